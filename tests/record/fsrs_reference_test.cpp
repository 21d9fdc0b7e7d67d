// The memory model against the reference scheduler (the npm package ts-fsrs, installed into the
// build folder on first use) on random review histories: same-day reviews, long gaps, every grade,
// several desired retentions. Also the lexbook fsrs command on some of them, and its errors.
#include "lexora/record/fsrs.h"

#include "temp_dir.h"
#include "tool_run.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int kHistories = 1200;
constexpr double kRelative = 5e-5; // four significant digits

// The folder holding node_modules/ts-fsrs (tools/dev.sh test installs it before the tests run;
// a test run by hand installs it on first use); empty (with *why) when it cannot be had.
QString referenceModules(QString* why)
{
    const QString prefix = lextest::binaryDir() + QStringLiteral("/ts-fsrs");
    const QString modules = prefix + QStringLiteral("/node_modules");
    if (QFileInfo::exists(modules + QStringLiteral("/ts-fsrs/package.json")))
        return modules;
    const QString npm = QStandardPaths::findExecutable(QStringLiteral("npm"));
    if (npm.isEmpty()) {
        *why = QStringLiteral("npm is not installed (apt-get install nodejs npm)");
        return {};
    }
    const lextest::ToolRun r = lextest::runTool(
        npm, {QStringLiteral("install"), QStringLiteral("--no-audit"), QStringLiteral("--no-fund"),
              QStringLiteral("--prefix"), prefix, QStringLiteral("ts-fsrs@5.4.2")}, {}, 180000);
    if (r.code != 0) {
        *why = QStringLiteral("npm install ts-fsrs failed: ") + r.err.right(400);
        return {};
    }
    return modules;
}

struct History {
    double retention = 0.9;
    QStringList reviews;
    QJsonArray expected;
};

std::vector<History> referenceHistories(QString* why)
{
    const QString modules = referenceModules(why);
    if (modules.isEmpty())
        return {};
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (node.isEmpty()) {
        *why = QStringLiteral("node is not installed");
        return {};
    }
    const lextest::ToolRun r = lextest::runTool(
        node, {lextest::sourceDir() + QStringLiteral("/tests/record/fsrs_reference.mjs"), modules,
               QString::number(kHistories)}, {}, 120000);
    if (r.code != 0) {
        *why = QStringLiteral("the reference script failed: ") + r.err.right(400);
        return {};
    }
    std::vector<History> out;
    for (const QByteArray& line : r.out.toUtf8().split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        History h;
        h.retention = o.value("retention").toDouble();
        for (const QJsonValue& v : o.value("reviews").toArray())
            h.reviews << v.toString();
        h.expected = o.value("expected").toArray();
        out.push_back(h);
    }
    return out;
}

double relativeError(double got, double want)
{
    return want == 0 ? std::fabs(got) : std::fabs(got - want) / std::fabs(want);
}

TEST(FsrsReference, MatchesTsFsrsOnRandomHistories)
{
    QString why;
    const std::vector<History> histories = referenceHistories(&why);
    if (histories.empty())
        GTEST_SKIP() << "no reference: " << why.toStdString();
    ASSERT_EQ(int(histories.size()), kHistories);

    int reviews = 0, sameDay = 0, longGaps = 0;
    double worst = 0;
    std::array<int, 5> grades{};
    for (const History& h : histories) {
        const lex::FsrsScheduler scheduler(h.retention);
        lex::MemoryState state;
        QDate last;
        for (qsizetype i = 0; i < h.reviews.size(); ++i) {
            const QString& text = h.reviews[i];
            const QDate day = QDateTime::fromString(text.left(16), QStringLiteral("yyyy-MM-ddTHH:mm")).date();
            const int grade = text.mid(17).toInt();
            ASSERT_TRUE(day.isValid()) << text.toStdString();
            const int days = last.isValid() ? int(last.daysTo(day)) : 0;
            sameDay += last.isValid() && days == 0;
            longGaps += days > 365;
            ++grades[size_t(grade)];
            const lex::FsrsScheduler::Step step = scheduler.review(state, days, lex::FsrsGrade(grade));
            const lex::MemoryState alone = scheduler.next(state, days, lex::FsrsGrade(grade));
            EXPECT_EQ(alone.stability, step.after.stability);
            EXPECT_EQ(alone.difficulty, step.after.difficulty);
            const QJsonObject want = h.expected[i].toObject();
            const std::string where = h.reviews.mid(0, i + 1).join(' ').toStdString();
            const double errS = relativeError(step.after.stability, want.value("stability").toDouble());
            const double errD = relativeError(step.after.difficulty, want.value("difficulty").toDouble());
            EXPECT_LE(errS, kRelative) << where;
            EXPECT_LE(errD, kRelative) << where;
            if (want.value("retrievability").isNull()) {
                EXPECT_FALSE(step.retrievability) << where;
            } else {
                ASSERT_TRUE(step.retrievability) << where;
                const double errR = relativeError(*step.retrievability, want.value("retrievability").toDouble());
                EXPECT_LE(errR, kRelative) << where;
                worst = std::max(worst, errR);
            }
            EXPECT_EQ(step.interval, want.value("interval").toInt()) << where;
            worst = std::max({worst, errS, errD});
            state = step.after;
            last = day;
            ++reviews;
        }
    }
    // The histories cover what they are meant to.
    EXPECT_GT(sameDay, 1000);
    EXPECT_GT(longGaps, 500);
    for (int g = 1; g <= 4; ++g)
        EXPECT_GT(grades[size_t(g)], 1000) << "grade " << g;
    std::printf("compared %d reviews of %d histories with ts-fsrs; largest relative error %.3g\n", reviews,
                kHistories, worst);

    // The command prints the same, as JSON.
    for (size_t k = 0; k < 20; ++k) {
        const History& h = histories[k * 37];
        QStringList args{QStringLiteral("fsrs")};
        if (h.retention != 0.9)
            args << QStringLiteral("--retention") << QString::number(h.retention);
        const lextest::ToolRun r = lextest::lexbook(args + h.reviews);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), h.reviews.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QJsonObject got = QJsonDocument::fromJson(lines[i].toUtf8()).object();
            const QJsonObject want = h.expected[i].toObject();
            EXPECT_EQ(got.keys(), want.keys());
            EXPECT_LE(relativeError(got.value("stability").toDouble(), want.value("stability").toDouble()), kRelative);
            EXPECT_EQ(got.value("retrievability").isNull(), want.value("retrievability").isNull());
            EXPECT_EQ(got.value("interval").toInt(), want.value("interval").toInt());
        }
    }
}

TEST(FsrsCommand, RefusesWhatIsNoReview)
{
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"fsrs"}, "usage"},
        {{"fsrs", "2026-03-01T09:00"}, "is not a review"},
        {{"fsrs", "2026-03-01T09:00=5"}, "is not a review"},
        {{"fsrs", "2026-02-30T09:00=3"}, "is not a review"},
        {{"fsrs", "2026-03-01 09:00=3"}, "is not a review"},
        {{"fsrs", "2026-03-02T09:00=3", "2026-03-01T09:00=3"}, "time order"},
        {{"fsrs", "--retention", "1.5", "2026-03-01T09:00=3"}, "--retention"},
        {{"fsrs", "--retention"}, "--retention"},
    };
    for (const auto& c : cases) {
        const lextest::ToolRun r = lextest::lexbook(c.args);
        EXPECT_EQ(r.code, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

} // namespace
