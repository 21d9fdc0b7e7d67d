// lexora-samplebook SOURCE.tsv OUTSTEM [--count N]: a sample word book from a word list.
// The list is UTF-8, one `word<TAB>phonetic<TAB>explanation` a line (explanation lines joined by
// a backslash and n), '#' lines are comments. Degrees and times are derived from the line number,
// so the same list always gives the same Book.
#include "common/platform/sources.h"
#include "lexora/book/book_file.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "lexora-samplebook: %s\n", message.toUtf8().constData());
    return 2;
}

const char16_t* const kClasses[] = {u"单元一", u"单元二", u"单元三", u"单元四", u"单元五"};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int count = 100;
    const qsizetype c = args.indexOf(QStringLiteral("--count"));
    if (c >= 0) {
        bool ok = false;
        count = c + 1 < args.size() ? args[c + 1].toInt(&ok) : 0;
        if (!ok || count < 0)
            return fail(QStringLiteral("--count needs a number of words"));
        args.remove(c, 2);
    }
    if (args.size() != 2)
        return fail(QStringLiteral("usage: lexora-samplebook SOURCE.tsv OUTSTEM [--count N]"));

    lex::Env* env = lex::Env::defaultEnv();
    QByteArray source;
    if (const lex::Status st = env->readFile(args[0], &source); !st)
        return fail(st.message());

    lex::Book book;
    const QString stem = args[1];
    const qsizetype slash = stem.lastIndexOf(QLatin1Char('/'));
    book.path = stem.left(slash + 1);
    book.name = stem.mid(slash + 1);
    if (book.name.isEmpty())
        return fail(QStringLiteral("'%1' has no file stem").arg(stem));

    // Added one word a day from a fixed date; reviewed a few days later for some.
    const QDateTime start(QDate(2024, 3, 1), QTime(8, 30), Qt::UTC);
    lex::FixedClock clock(start);
    int lineNo = 0;
    for (const QByteArray& raw : source.split('\n')) {
        ++lineNo;
        if (book.size() >= count)
            break;
        QByteArray line = raw;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> cols = line.split('\t');
        if (cols.size() < 3)
            return fail(QStringLiteral("%1:%2: expected word, phonetic and explanation separated by tabs")
                            .arg(args[0]).arg(lineNo));
        const int i = book.size();
        auto e = std::make_unique<lex::WordEntry>();
        e->setWord(QString::fromUtf8(cols[0]).trimmed());
        e->setPhonetic(QString::fromUtf8(cols[1]));
        e->setExplanation(QString::fromUtf8(cols[2]).replace(QStringLiteral("\\n"), QStringLiteral("\r\n")));
        if (i % 4 == 1)
            e->setComment(QStringLiteral("例句见课本第 %1 页").arg(10 + i));
        if (i % 3 != 2)
            e->setClassName(QString::fromUtf16(kClasses[(i / 20) % 5]));
        e->stored.recognition = uint8_t((i * 7) % 11);
        e->stored.spelling = uint8_t((i * 3 + 5) % 11);
        e->stored.listening = uint8_t((i * 5 + 2) % 11);
        clock.set(start.addDays(i).addSecs(60 * (i % 50)));
        e->stored.added = lex::toEntryTime(clock.localNow());
        e->stored.review = i % 2 ? lex::toEntryTime(clock.localNow().addDays(3 + i % 5)) : e->stored.added;
        book.AddEntry(std::move(e), lex::AddMode::Interactive);
    }
    if (!book.path.isEmpty())
        env->createDir(book.path.chopped(1));
    const lex::SaveResult r = lex::saveBook(book, env);
    if (!r.ok())
        return fail(QStringLiteral("cannot write %1: %2").arg(r.failedPath, r.message));
    std::printf("%d words written to %s.idx and .txt\n", book.size(), stem.toUtf8().constData());
    return 0;
}
