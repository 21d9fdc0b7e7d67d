#include "lexora/web/start_page.h"

#include "resources/resource_ids.h"

namespace lex {

bool isStartPageCommand(int id)
{
    return id == cmd::kTodayPlan || id == cmd::kNewBookFromList || id == cmd::kVocabularyTest || id == cmd::kStudyPage;
}

QString startPageHtml(const StartPageFigures& f, const std::function<QUrl(int)>& link)
{
    auto a = [&](int id, const QString& text) {
        return QStringLiteral("<a class=\"cmd\" id=\"cmd%1\" href=\"%2\">%3</a>")
            .arg(id)
            .arg(link(id).toString(QUrl::FullyEncoded).toHtmlEscaped(), text);
    };
    QString plan;
    if (f.planSet)
        plan = QStringLiteral("<p>新词 <b>%1/%2</b>　复习 <b>%3/%4</b>%5</p><p>%6</p>")
                   .arg(f.doneNew)
                   .arg(f.plannedNew)
                   .arg(f.doneReviews)
                   .arg(f.plannedReviews)
                   .arg(f.checkedInToday ? QStringLiteral("　<span class=\"ok\">今日已打卡</span>") : QString())
                   .arg(f.forecast.toHtmlEscaped());
    else
        plan = QStringLiteral("<p>还没有学习计划：在“今日计划”里设定每天的新词和复习上限。</p>");
    const QString book = f.bookName.isEmpty()
                             ? QStringLiteral("<p>没有打开的单词本。</p>")
                             : QStringLiteral("<p>单词本 <b>%1</b>：共 %2 词，已学 %3 词，已掌握 %4 词。</p>")
                                   .arg(f.bookName.toHtmlEscaped())
                                   .arg(f.words)
                                   .arg(f.practised)
                                   .arg(f.learned);
    return QStringLiteral(
               "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
               "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">"
               "<title>Lexora</title><style>"
               "body{font-family:sans-serif;margin:24px 32px;color:#222;background:#fff}"
               "h1{font-size:20px;margin:0 0 12px}h2{font-size:16px;margin:20px 0 6px}"
               ".streak{font-size:15px}.ok{color:#2a7d2a}"
               "a.cmd{display:inline-block;margin:6px 12px 6px 0;padding:6px 14px;border:1px solid #3b6fb6;"
               "border-radius:4px;color:#fff;background:#3b6fb6;text-decoration:none}"
               "a.cmd.plain{background:#fff;color:#3b6fb6}"
               "</style></head><body>"
               "<h1>Lexora 单词本</h1>"
               "<h2>今日计划</h2>%1"
               "<p class=\"streak\">连续打卡 <b>%2</b> 天，最长 %3 天</p>"
               "<h2>当前单词本</h2>%4"
               "<p>%5 %6 %7 %8</p>"
               "</body></html>")
        .arg(plan)
        .arg(f.streak)
        .arg(f.longest)
        .arg(book)
        .arg(a(cmd::kTodayPlan, QStringLiteral("开始今日学习")), a(cmd::kNewBookFromList, QStringLiteral("从词表新建单词本")),
             a(cmd::kVocabularyTest, QStringLiteral("词汇量测试")), a(cmd::kStudyPage, QStringLiteral("学习")));
}

} // namespace lex
