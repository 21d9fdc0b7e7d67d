#include "lexora/stats/statistics_charts.h"

#include "lexora/stats/check_in_calendar.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QStackedBarSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace lex::stats_charts {
namespace {

using Page = StudyStatistics::Page;

const QColor kRight(0x3C, 0xA0, 0x5A), kWrong(0xD9, 0x4F, 0x4F);

QColor skillColor(Skill d)
{
    switch (d) {
    case Skill::Recognition: return {0x3A, 0x7B, 0xD5};
    case Skill::Spelling: return {0xE0, 0x8E, 0x0B};
    case Skill::Listening: return {0x8E, 0x5B, 0xC8};
    }
    return Qt::gray;
}

QString skillTitle(Skill d)
{
    switch (d) {
    case Skill::Recognition: return QStringLiteral("认识（初记、强记）");
    case Skill::Spelling: return QStringLiteral("拼写（听写）");
    case Skill::Listening: return QStringLiteral("听力（听辩）");
    }
    return {};
}

QChart* newChart(const QString& title)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    QFont f = chart->titleFont();
    f.setPointSizeF(f.pointSizeF() * 1.1);
    f.setBold(true);
    chart->setTitleFont(f);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->setMargins(QMargins(4, 4, 4, 4));
    return chart;
}

// A count axis: whole numbers from 0, with room above the highest. It reaches 10 at least: the
// axis is as wide as its labels, and beside one-digit labels the title is cut to "…".
QValueAxis* countAxis(int highest, const QString& title)
{
    auto* axis = new QValueAxis;
    axis->setRange(0, std::max(10, highest + highest / 10 + 1));
    axis->applyNiceNumbers();
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->setTitleText(title);
    return axis;
}

QBarCategoryAxis* categoryAxis(const QStringList& categories, const QString& title, int labelAngle = 0)
{
    auto* axis = new QBarCategoryAxis;
    axis->append(categories);
    axis->setTitleText(title);
    axis->setLabelsAngle(labelAngle);
    return axis;
}

void attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y)
{
    chart->addSeries(series);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    // Thirty days in a window of ordinary width leave some 28 pixels a label. (After addAxis,
    // which gives the axis the theme's font.)
    if (auto* days = qobject_cast<QBarCategoryAxis*>(x); days && days->count() > 20) {
        QFont f = days->labelsFont();
        if (f.pointSizeF() > 0)
            f.setPointSizeF(f.pointSizeF() * 0.8);
        else
            f.setPixelSize(std::max(8, f.pixelSize() * 4 / 5));
        days->setLabelsFont(f);
    }
    series->attachAxis(x);
    series->attachAxis(y);
}

QChartView* viewOf(QChart* chart)
{
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setFocusPolicy(Qt::NoFocus);
    return view;
}

// Day labels short enough to stand upright under 30 bars: the day of the month, "今天" for today;
// the months stand in the axis title (dayRange).
QStringList dayLabels(QDate first, int days, QDate today)
{
    QStringList out;
    for (int i = 0; i < days; ++i) {
        const QDate d = first.addDays(i);
        out << (d == today ? QStringLiteral("今天") : QString::number(d.day()));
    }
    return out;
}

QString dayRange(QDate first, int days)
{
    const QDate last = first.addDays(days - 1);
    return QStringLiteral("%1月%2日至%3月%4日").arg(first.month()).arg(first.day()).arg(last.month()).arg(last.day());
}

QChart* answersMonth(const ReviewFigures& f, Skill d)
{
    const int n = int(f.answers.size()), days = std::min(n, StudyStatistics::kMonthDays);
    auto* right = new QBarSet(QStringLiteral("答对"));
    auto* wrong = new QBarSet(QStringLiteral("答错（含不知道）"));
    right->setColor(kRight);
    wrong->setColor(kWrong);
    int highest = 0;
    for (int i = n - days; i < n; ++i) {
        const auto& a = f.answers[size_t(i)];
        *right << a.right[size_t(d)];
        *wrong << a.wrong[size_t(d)];
        highest = std::max(highest, a.right[size_t(d)] + a.wrong[size_t(d)]);
    }
    auto* series = new QStackedBarSeries;
    series->append(right);
    series->append(wrong);
    QChart* chart = newChart(skillTitle(d));
    attach(chart, series, categoryAxis(dayLabels(f.today.addDays(1 - days), days, f.today), dayRange(f.today.addDays(1 - days), days)), countAxis(highest, QStringLiteral("次数")));
    return chart;
}

QChart* answersYear(const ReviewFigures& f, Skill d)
{
    auto* right = new QLineSeries;
    auto* wrong = new QLineSeries;
    right->setName(QStringLiteral("答对"));
    wrong->setName(QStringLiteral("答错（含不知道）"));
    right->setColor(kRight);
    wrong->setColor(kWrong);
    const int n = int(f.answers.size());
    int highest = 0;
    for (int i = 0; i < n; ++i) {
        const auto& a = f.answers[size_t(i)];
        const qreal x = qreal(QDateTime(f.today.addDays(i - n + 1), QTime(12, 0)).toMSecsSinceEpoch());
        right->append(x, a.right[size_t(d)]);
        wrong->append(x, a.wrong[size_t(d)]);
        highest = std::max({highest, a.right[size_t(d)], a.wrong[size_t(d)]});
    }
    QChart* chart = newChart(skillTitle(d));
    auto* x = new QDateTimeAxis;
    x->setFormat(QStringLiteral("yyyy/MM"));
    x->setTickCount(13);
    x->setRange(QDateTime(f.today.addDays(1 - n), QTime(0, 0)), QDateTime(f.today, QTime(23, 59)));
    QValueAxis* y = countAxis(highest, QStringLiteral("次数"));
    attach(chart, right, x, y);
    chart->addSeries(wrong);
    wrong->attachAxis(x);
    wrong->attachAxis(y);
    return chart;
}

// One bar set per skill over `categories`; `value(skill, i)` gives the bars.
template <class F>
QChart* perSkillBars(const QString& title, const QStringList& categories, const QString& xTitle, const QString& yTitle,
                     bool stacked, int labelAngle, F value)
{
    QAbstractBarSeries* series = stacked ? static_cast<QAbstractBarSeries*>(new QStackedBarSeries)
                                         : static_cast<QAbstractBarSeries*>(new QBarSeries);
    std::vector<int> totals(size_t(categories.size()));
    int highest = 0;
    for (Skill d : kSkills) {
        auto* set = new QBarSet(StudyStatistics::skillName(d));
        set->setColor(skillColor(d));
        for (int i = 0; i < categories.size(); ++i) {
            const int v = value(d, i);
            *set << v;
            totals[size_t(i)] += v;
            highest = std::max(highest, stacked ? totals[size_t(i)] : v);
        }
        series->append(set);
    }
    QChart* chart = newChart(title);
    attach(chart, series, categoryAxis(categories, xTitle, labelAngle), countAxis(highest, yTitle));
    return chart;
}

QChart* singleChart(Page page, const ReviewFigures& f)
{
    switch (page) {
    case Page::Due:
        return perSkillBars(QStringLiteral("未来30天每天到期的单词（今天含已过期的）"), dayLabels(f.today, int(f.due.size()), f.today), dayRange(f.today, int(f.due.size())),
                            QStringLiteral("单词数"), true, 0, [&](Skill d, int i) { return f.due[size_t(i)][size_t(d)]; });
    case Page::Recall: {
        QStringList bins;
        for (int b = 0; b < ReviewFigures::kRecallBins; ++b)
            bins << QStringLiteral("%1–%2%").arg(b * 10).arg(b * 10 + 10);
        return perSkillBars(QStringLiteral("今天预测记忆率的分布（只计有学习记录的单词）"), bins, QStringLiteral("预测记忆率"),
                            QStringLiteral("单词数"), false, 0, [&](Skill d, int b) { return f.recall[size_t(d)][size_t(b)]; });
    }
    case Page::Degrees: {
        QStringList values;
        for (int v = 0; v <= kMaxStrangeness; ++v)
            values << QString::number(v);
        return perSkillBars(QStringLiteral("三种陌生度的分布（0最熟，10最生）"), values, QStringLiteral("陌生度"),
                            QStringLiteral("单词数"), false, 0, [&](Skill d, int v) { return f.degrees[size_t(d)][size_t(v)]; });
    }
    case Page::Added: {
        auto* set = new QBarSet(QStringLiteral("新增单词"));
        set->setColor(skillColor(Skill::Recognition));
        QStringList months;
        int highest = 0;
        for (const ReviewFigures::Month& m : f.added) {
            months << QStringLiteral("%1/%2").arg(m.year).arg(m.month, 2, 10, QLatin1Char('0'));
            *set << m.words;
            highest = std::max(highest, m.words);
        }
        auto* series = new QBarSeries;
        series->append(set);
        series->setLabelsVisible(months.size() <= 24);
        series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
        QChart* chart = newChart(QStringLiteral("每月新增的单词"));
        chart->legend()->hide();
        attach(chart, series, categoryAxis(months, QStringLiteral("月份"), months.size() > 12 ? -90 : 0),
               countAxis(highest + highest / 10, QStringLiteral("单词数")));
        return chart;
    }
    default:
        return nullptr;
    }
}

} // namespace

QWidget* makePage(Page page, const StudyStatistics& statistics, QWidget* parent)
{
    auto* w = new QWidget(parent);
    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const ReviewFigures& f = statistics.figures();
    if (page == Page::AnswersMonth || page == Page::AnswersYear) {
        // The colours mean the same in the three charts: one legend, above the first, is enough.
        for (Skill d : kSkills) {
            QChart* chart = page == Page::AnswersMonth ? answersMonth(f, d) : answersYear(f, d);
            if (d != Skill::Recognition)
                chart->legend()->hide();
            // Likewise the days' range, under the last.
            if (d != Skill::Listening && page == Page::AnswersMonth)
                chart->axes(Qt::Horizontal).value(0)->setTitleVisible(false);
            layout->addWidget(viewOf(chart));
        }
    } else if (page == Page::Calendar) {
        std::vector<int> answers;
        for (const ReviewFigures::DayAnswers& d : f.answers) {
            int n = 0;
            for (Skill k : kSkills)
                n += d.right[size_t(k)] + d.wrong[size_t(k)];
            answers.push_back(n);
        }
        layout->addWidget(new CheckInCalendar(f.today, std::move(answers), statistics.streaks(), w));
        layout->addStretch(1);
    } else if (QChart* chart = singleChart(page, f)) {
        layout->addWidget(viewOf(chart));
    }
    return w;
}

} // namespace lex::stats_charts
