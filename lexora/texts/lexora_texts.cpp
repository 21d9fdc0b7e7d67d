#include "lexora/texts/lexora_texts.h"

#include "common/platform/status.h"
#include "lexora/book/book.h"
#include "lexora/book/book_lock.h"
#include "lexora/practice/spelling_grade.h"

namespace lex::texts {

QString saveAsQuestion(const SaveAsQuestion& q)
{
    switch (q.why) {
    case SaveAsQuestion::Why::SaveFailed:
        return QStringLiteral("保存文件失败:") + q.subject + QStringLiteral("\n，是否要另存为... ");
    case SaveAsQuestion::Why::ReadOnly:
        return QStringLiteral("单词本“%1”是以只读方式打开的，不能保存到原来的文件。\n是否要另存为... ").arg(q.subject);
    case SaveAsQuestion::Why::Busy:
        return QStringLiteral("单词本“%1”正被另一个程序使用，不能保存到那里。\n是否要另存为其他文件名... ").arg(q.subject);
    }
    return {};
}

QString saveAsFilter(SaveFailure failed)
{
    return failed == SaveFailure::TextFile ? QStringLiteral("文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*||")
                                           : QStringLiteral("文本文件 (*.idx)|*.idx|所有文件 (*.*)|*.*||");
}

QString appendFailure(const AppendFailure& f)
{
    switch (f.why) {
    case AppendFailure::Why::None: return {};
    case AppendFailure::Why::IndexUnreadable: return QStringLiteral("无法打开文件: ") + f.path;
    case AppendFailure::Why::TextUnreadable: return QStringLiteral("无法打开文件：") + f.path;
    case AppendFailure::Why::OtherVersion: return QStringLiteral("失败：目标文件版本不同。") + f.path;
    case AppendFailure::Why::TooLarge: return QStringLiteral("失败：目标文件过大。") + f.path;
    case AppendFailure::Why::WriteFailed: return f.detail;
    }
    return {};
}

QString moveFailure(bool intoOpenBook, const AppendFailure& append)
{
    if (intoOpenBook)
        return QStringLiteral("不能移动或复制到当前打开的组：请先用\"添加\"新建另一个组。");
    return appendFailure(append);
}

QString damageNotice(const Book& book, const LoadReport& report)
{
    const int n = report.skippedCount();
    if (n == 0)
        return {};
    QString text = QStringLiteral("单词本“%1”中有 %2 条记录已损坏，未能读入。").arg(book.name).arg(n);
    if (book.damageCopies)
        text += QStringLiteral("\n第一次保存之前，原来的两个文件将原样保留为：\n%1\n%2")
                    .arg(book.damageCopies->indexCopy, book.damageCopies->textCopy);
    text += QStringLiteral("\n可用命令 lexbook salvage 从中找回单词。");
    return text;
}

QString readOnlyNotice(const QString& name)
{
    return QStringLiteral("单词本“%1”正被另一个程序写入，等待 %2 秒后仍未结束，现以只读方式打开。\n"
                          "可以查看和练习，但修改不会保存到原来的文件；保存时可以另存为另一个单词本。")
        .arg(name)
        .arg(kBookLockWaitMs / 1000);
}

QString recoveredBookNotice(const QString& where)
{
    const qsizetype slash = where.lastIndexOf(QLatin1Char('/'));
    return QStringLiteral("上次退出时单词本“%1”未能保存，已将它完整地保存在：\n%2\n%3\n"
                          "可以把这两个文件复制到Book文件夹中再打开。")
        .arg(where.mid(slash + 1), where + QStringLiteral(".idx"), where + QStringLiteral(".txt"));
}

QString listExpressionError(const ListExprError& e)
{
    using Why = ListExprError::Why;
    switch (e.why) {
    case Why::None: return {};
    case Why::Empty: return QStringLiteral("请选择词表，或输入词表组合，例如 cet6 - cet4");
    case Why::NameExpected: return QStringLiteral("词表组合第%1个字符处缺少词表名").arg(e.position + 1);
    case Why::OperatorExpected: return QStringLiteral("词表组合第%1个字符处缺少 + - & 之一").arg(e.position + 1);
    case Why::UnknownList: return QStringLiteral("没有这个词表:") + e.subject;
    case Why::MissingBook: return QStringLiteral("找不到组:") + e.subject;
    case Why::UnreadableBook: return QStringLiteral("无法读取组:") + e.subject;
    }
    return {};
}

QString noWordLists()
{
    return QStringLiteral("词典中没有词表和词频（词典由旧版本生成），请更新词典。");
}

QString vocabularyEstimateText(int words, int low, int high)
{
    return QStringLiteral("词汇量约 %1（%2 至 %3）").arg(words).arg(low).arg(high);
}

QString createBookFailure(const CreateBookFailure& f)
{
    switch (f.why) {
    case CreateBookFailure::Why::None: return {};
    case CreateBookFailure::Why::BadName:
        return QStringLiteral("组名不能用:") + f.subject
               + QStringLiteral("\n组名不能为空，不能含有\"/\"、\"..\"或控制字符，也不能以\".\"开头。");
    case CreateBookFailure::Why::Exists: return QStringLiteral("指定文件已存在:") + f.subject;
    case CreateBookFailure::Why::WriteFailed: return QStringLiteral("添加文件失败:") + f.subject;
    }
    return {};
}

QString practiceSetupTitle(PracticeMode mode)
{
    switch (mode) {
    case PracticeMode::Listen:
        return QStringLiteral("听辨");
    case PracticeMode::Learn:
        return QStringLiteral("初记");
    case PracticeMode::Drill:
        return QStringLiteral("强记");
    case PracticeMode::Dictate:
        return QStringLiteral("拼写");
    case PracticeMode::Cloze:
        return QStringLiteral("填空");
    }
    return {};
}

QString practiceSetupExplanation(PracticeMode mode, bool startEnabled)
{
    if (!startEnabled)
        return QStringLiteral("请选择10至100个单词");
    QString text = QStringLiteral("<临时陌生度>将被清零,每次做错将加一\r\n");
    if (mode == PracticeMode::Drill)
        text += QStringLiteral("在强记中：每个单词有10秒思考时间，当想到") + QStringLiteral("答案后点击任一项显示解释，如果结果不是你")
                + QStringLiteral("预期的请选择<不知道>");
    return text;
}

QString recallLines(const RecallPercents& recall)
{
    static const QString kLabel[kSkillCount] = {QStringLiteral("认"), QStringLiteral("拼"), QStringLiteral("听")};
    QString text;
    for (size_t d = 0; d < recall.size(); ++d) {
        if (!recall[d])
            continue;
        if (!text.isEmpty())
            text += QStringLiteral("\r\n");
        text += kLabel[d] + QStringLiteral(" %1%").arg(*recall[d]);
    }
    return text;
}

QString recordFault(const RecordFault& f)
{
    switch (f.kind) {
    case RecordFault::Kind::Damaged:
        return QStringLiteral("学习记录已损坏，练习照常进行但不再记录：%1").arg(f.file);
    case RecordFault::Kind::Busy:
        return QStringLiteral("学习记录被另一个程序占用，这次的练习未能记录：%1").arg(f.file);
    case RecordFault::Kind::Unopenable:
        return QStringLiteral("无法打开学习记录：%1（%2）").arg(f.file, f.detail);
    case RecordFault::Kind::Unwritable:
        return QStringLiteral("无法写入学习记录：%1（%2：%3）").arg(f.file, f.step, f.detail);
    case RecordFault::Kind::Unreadable:
        return QStringLiteral("无法读取学习记录：%1（%2）").arg(f.file, f.detail);
    case RecordFault::Kind::Stopped:
        return QStringLiteral("读取学习记录已中止：%1").arg(f.file);
    case RecordFault::Kind::Foreign:
        return QStringLiteral("这不是本程序的学习记录，未被打开也不会被改动：%1").arg(f.file);
    case RecordFault::Kind::Newer:
        return QStringLiteral("学习记录由较新版本的程序写成，未被打开也不会被改动：%1").arg(f.file);
    }
    return {};
}

QString recordFailure(const Status& status, const std::optional<RecordFault>& fault)
{
    return fault ? recordFault(*fault) : status.message();
}

QString statisticsUnreadNotice(const QString& error)
{
    return error + QStringLiteral("\n下面只有来自Book本身的统计（陌生度分布、每月新增）。");
}

QString statisticsNoRecordNotice()
{
    return QStringLiteral("这个Book还没有学习记录：做过初记、强记、听写或听辩之后，这里才有每天的答题和预测记忆率。"
                          "下面的陌生度分布和每月新增来自Book本身；到期的单词按陌生度的复习间隔计算。");
}

QString statisticsReadingPlaceholder() { return QStringLiteral("正在读取学习记录……"); }

QString statisticsNoRecordPlaceholder() { return QStringLiteral("还没有学习记录，这一页没有可画的数据。"); }

QString statisticsSaveFailure(const QString& path, const Status& status)
{
    return QStringLiteral("无法保存文件：%1\n%2").arg(path, status.message());
}

namespace {

void appendLosses(QString& text, const QStringList& losses)
{
    if (losses.isEmpty())
        return;
    text += QStringLiteral("\n未能保留:");
    for (const QString& l : losses)
        text += QStringLiteral("\n  ") + l;
}

} // namespace

QString importMessage(const ImportResult& result)
{
    QString text = (result.cancelled ? QStringLiteral("导入已取消，导入单词数:%1") : QStringLiteral("导入完成，导入单词数:%1"))
                       .arg(result.added);
    if (result.skipped > 0)
        text += QStringLiteral("\n已在词库中而未导入:%1").arg(result.skipped);
    return text;
}

QString foreignImportMessage(const ImportResult& result, int withoutWord, const QStringList& losses)
{
    QString text = importMessage(result);
    if (const int left = withoutWord + result.rejected; left > 0)
        text += QStringLiteral("\n没有单词而未导入:%1").arg(left);
    appendLosses(text, losses);
    return text;
}

QString foreignExportMessage(const ForeignExportResult& result)
{
    QString text = QStringLiteral("导出完成，导出单词数:%1").arg(result.written);
    if (result.withSound > 0)
        text += QStringLiteral("\n带声音:%1").arg(result.withSound);
    appendLosses(text, result.losses);
    return text;
}

QString soundCopyMessage(const SoundCopyResult& r)
{
    QString text = QStringLiteral("复制声音文件:%1").arg(r.copied);
    if (r.kept > 0)
        text += QStringLiteral("\n已有语音文件，保留:%1").arg(r.kept);
    if (r.unusable > 0)
        text += QStringLiteral("\n不能用作语音文件:%1").arg(r.unusable);
    if (!r.error.isEmpty())
        text += QStringLiteral("\n复制失败:") + r.error;
    return text;
}

QString practiceTitle(PracticeMode mode, bool paused)
{
    QString t;
    switch (mode) {
    case PracticeMode::Dictate:
        t = QStringLiteral("单词拼写");
        break;
    case PracticeMode::Cloze:
        t = QStringLiteral("单词填空");
        break;
    case PracticeMode::Drill:
        t = QStringLiteral("单词强记");
        break;
    case PracticeMode::Listen:
        t = QStringLiteral("单词听辩");
        break;
    case PracticeMode::Learn:
        t = QStringLiteral("单词初记");
        break;
    }
    if (paused)
        t += QStringLiteral(" <已暂停>");
    return t;
}

QString pauseCaption(bool paused) { return paused ? QStringLiteral("继续") : QStringLiteral("暂停(Pause)"); }

QString practiceNoticeText(PracticeNotice notice, const QString& word)
{
    return notice == PracticeNotice::Finished ? QStringLiteral("已完成") : word;
}

QString clozeLeftOutMessage(int count)
{
    return QStringLiteral("%1 个单词没有例句，不参加这次填空。").arg(count);
}

QString dictationGradeText(const SpellingGrade& grade, const QString& typed)
{
    const QString marked = markedSpelling(grade.compared, grade.edits);
    switch (grade.verdict) {
    case SpellingVerdict::Right: return {};
    case SpellingVerdict::Typo: return QStringLiteral("拼写有误，差一点(仍算答错): %1").arg(marked);
    case SpellingVerdict::OtherWord: return QStringLiteral("“%1”是另一个单词: %2").arg(typed, marked);
    case SpellingVerdict::Wrong: break;
    }
    return typed.isEmpty() ? QString() : QStringLiteral("拼写错误: %1").arg(marked);
}

QString clozeMissText(SpellingVerdict verdict)
{
    switch (verdict) {
    case SpellingVerdict::Right: return {};
    case SpellingVerdict::Typo: return QStringLiteral("拼写有误，差一点，再试一次");
    case SpellingVerdict::OtherWord: return QStringLiteral("这是另一个单词，再试一次");
    case SpellingVerdict::Wrong: break;
    }
    return QStringLiteral("不对，再试一次");
}

QString spellingHintText(const QString& pattern)
{
    return pattern.isEmpty() ? QString() : QStringLiteral("提示(F3): %1").arg(pattern);
}

QString recordedWordsText(int recorded, int words)
{
    return recorded > 0 ? QStringLiteral("  有录音 %1/%2").arg(recorded).arg(words) : QString();
}

QString noSpellingDictionaryText()
{
    return QStringLiteral("没有找到英文拼写词典(hunspell-en-us、hunspell-en-gb)，听写只判对错，不区分笔误和别的单词。");
}

QString practiceNoticeCaption(PracticeNotice notice)
{
    return notice == PracticeNotice::WrongDictation ? QStringLiteral("Wrong") : QString();
}

QString syncNote(int added, int changed, int removed, int answers, int revived)
{
    QStringList parts;
    if (added)
        parts << QStringLiteral("新词条 %1").arg(added);
    if (changed)
        parts << QStringLiteral("修改 %1").arg(changed);
    if (removed)
        parts << QStringLiteral("删除 %1").arg(removed);
    if (answers)
        parts << QStringLiteral("练习记录 %1").arg(answers);
    QString text = QStringLiteral("同步: 收到") + parts.join(QStringLiteral("，"));
    if (revived)
        text += QStringLiteral("；%1 个在本机删除的词条因在另一台电脑上修改而恢复").arg(revived);
    return text;
}

QString syncFault(const QString& folder, const QString& message)
{
    return QStringLiteral("同步文件夹“%1”暂时不能使用（%2）。练习和保存照常进行，文件夹恢复后自动同步。").arg(folder, message);
}

QString syncForeignFiles(const QStringList& names)
{
    return QStringLiteral("同步文件夹中有不是本版本写的文件，已跳过: ") + names.join(QStringLiteral(", "));
}

QString syncToolNotice(const QString& bookFolder, const QString& toolFolder)
{
    return QStringLiteral("单词本文件夹“%1”位于同步软件管理的文件夹“%2”中。同步软件逐个复制文件，可能使单词本和学习记录损坏或互相覆盖。"
                          "请在“设置 - 同步”中指定一个同步文件夹，由本程序在各台电脑之间合并。").arg(bookFolder, toolFolder);
}

QString planFileSetAside(const QString& asideTo)
{
    return QStringLiteral("学习计划文件无法识别，未读取，已改名为 %1").arg(asideTo);
}

QString planFileWriteFailure(const QString& file, const Status& status)
{
    return QStringLiteral("无法保存学习计划:\n%1\n%2").arg(file, status.message());
}

QString todayProgress(const StudyDay& today)
{
    if (!today.planned || today.nothingPlanned())
        return {};
    return QStringLiteral("今日 新词 %1/%2 复习 %3/%4")
        .arg(std::min(today.doneNew, today.plannedNew))
        .arg(today.plannedNew)
        .arg(std::min(today.doneReviews, today.plannedReviews))
        .arg(today.plannedReviews);
}

QString forecastText(const Forecast& forecast, QDate today)
{
    if (!forecast.finishDay)
        return QStringLiteral("按此进度无法在十年内学完");
    const QDate d = QDate::fromJulianDay(*forecast.finishDay);
    return QStringLiteral("预计 %1 学完 (还需 %2 天)").arg(d.toString(Qt::ISODate)).arg(today.daysTo(d));
}

QString streakText(int current, int longest)
{
    return QStringLiteral("连续打卡 %1 天，最长 %2 天").arg(current).arg(longest);
}

} // namespace lex::texts
