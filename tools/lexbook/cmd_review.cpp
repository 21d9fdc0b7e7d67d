// fsrs: the memory model alone, on reviews given on the command line.
#include "commands.h"

#include "lexora/record/fsrs.h"

#include <QDateTime>
#include <QLocale>

namespace lexbook {
namespace {

QString jsonNumber(double v) { return QString::number(v, 'g', QLocale::FloatingPointShortest); }

} // namespace

const char kFsrsHelp[] =
    "Runs the memory model (FSRS-6, default parameters) over one item's reviews, given in time order\n"
    "as local times with the grade: 1 again, 2 hard, 3 good, 4 easy. Prints one JSON object per review:\n"
    "stability (days until recall falls to 90 %), difficulty (1 to 10), retrievability (the predicted\n"
    "recall just before the review, null for the first) and interval (whole days to the next review at\n"
    "the desired retention, at least 1). Days are counted between calendar dates; reviews on the same\n"
    "date do not raise the stability. --retention sets the desired retention (default 0.9).\n"
    "Example: lexbook fsrs 2026-03-01T09:00=3 2026-03-04T20:15=1\n";

int cmdFsrs(const QStringList& argsIn)
{
    QStringList args = argsIn;
    double retention = lex::FsrsScheduler::kDefaultRetention;
    const qsizetype at = args.indexOf(QStringLiteral("--retention"));
    if (at >= 0) {
        bool ok = false;
        retention = at + 1 < args.size() ? args[at + 1].toDouble(&ok) : 0;
        if (!ok || !lex::FsrsScheduler::validRetention(retention))
            return fail(QStringLiteral("--retention needs a number between 0 and 1, e.g. 0.9"));
        args.remove(at, 2);
    }
    if (args.isEmpty())
        return fail(QStringLiteral("usage: lexbook fsrs [--retention R] YYYY-MM-DDTHH:MM=G..."));

    const lex::FsrsScheduler scheduler(retention);
    lex::MemoryState state;
    QDateTime last;
    QString text;
    for (const QString& a : args) {
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        const QDateTime when = QDateTime::fromString(a.left(eq), QStringLiteral("yyyy-MM-ddTHH:mm"));
        bool ok = false;
        const int grade = eq > 0 ? a.mid(eq + 1).toInt(&ok) : 0;
        if (eq != 16 || !when.isValid() || !ok || grade < 1 || grade > 4)
            return fail(QStringLiteral("'%1' is not a review: give YYYY-MM-DDTHH:MM=G with G 1 (again) to 4 (easy)").arg(a));
        if (last.isValid() && when < last)
            return fail(QStringLiteral("'%1' comes before the review given before it: give the reviews in time order").arg(a));
        const int days = last.isValid() ? int(last.date().daysTo(when.date())) : 0;
        const lex::FsrsScheduler::Step step = scheduler.review(state, days, lex::FsrsGrade(grade));
        text += QStringLiteral("{\"stability\":%1,\"difficulty\":%2,\"retrievability\":%3,\"interval\":%4}\n")
                    .arg(jsonNumber(step.after.stability), jsonNumber(step.after.difficulty),
                         step.retrievability ? jsonNumber(*step.retrievability) : QStringLiteral("null"))
                    .arg(step.interval);
        state = step.after;
        last = when;
    }
    out(text);
    return 0;
}

} // namespace lexbook
