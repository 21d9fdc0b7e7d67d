// dump and check: read-only views of a word book. Neither writes anything, not even the empty
// files or the repair of an interrupted save that loading the Book in the program would do.
#include "commands.h"

#include "lexora/book/book_file.h"

#include <QFileInfo>

namespace lexbook {
namespace {

struct BookArg {
    QString path; // folder with a trailing '/', or empty for the current folder
    QString name;
};

bool splitBook(const QString& arg, BookArg* out)
{
    if (arg.isEmpty())
        return false;
    const qsizetype slash = arg.lastIndexOf(QLatin1Char('/'));
    out->path = arg.left(slash + 1);
    out->name = arg.mid(slash + 1);
    return !out->name.isEmpty();
}

QString jsonString(QStringView s)
{
    QString out;
    out.reserve(s.size() + 2);
    out += QLatin1Char('"');
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t u = s[i].unicode();
        switch (u) {
        case u'"': out += QLatin1String("\\\""); break;
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        default: {
            const bool pair = QChar::isHighSurrogate(u) && i + 1 < s.size() && s[i + 1].isLowSurrogate();
            if (pair) {
                out += s[i];
                out += s[++i];
            } else if (u < 0x20 || QChar::isSurrogate(u)) {
                // Control characters and lone surrogates (which UTF-8 cannot carry) are escaped.
                out += QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0'));
            } else {
                out += s[i];
            }
        }
        }
    }
    out += QLatin1Char('"');
    return out;
}

QString jsonTime(const lex::EntryTime& t)
{
    return QStringLiteral("[%1,%2,%3,%4,%5]").arg(t.year).arg(t.month).arg(t.day).arg(t.hour).arg(t.minute);
}

// Reads the Book without writing; fails (message set) when there is nothing to read.
bool readBook(const QStringList& args, const char* command, lex::Book* book, lex::LoadReport* report,
              BookArg* where, int* code)
{
    if (args.size() != 1) {
        *code = fail(QStringLiteral("usage: lexbook %1 BOOK").arg(QLatin1String(command)));
        return false;
    }
    if (!splitBook(args[0], where)) {
        *code = fail(QStringLiteral("'%1' is not a Book (give folder and stem, e.g. Book/English)").arg(args[0]));
        return false;
    }
    lex::Env* env = lex::Env::defaultEnv();
    const QString idx = where->path + where->name + QStringLiteral(".idx");
    const QString txt = where->path + where->name + QStringLiteral(".txt");
    if (!env->fileExists(idx) && !env->fileExists(txt) && !env->fileExists(idx + QStringLiteral(".new"))) {
        *code = fail(QStringLiteral("no Book at %1 (neither %2 nor %3 exists)").arg(args[0], idx, txt));
        return false;
    }
    *report = lex::inspectBook(where->path, where->name, env, book);
    return true;
}

} // namespace

int cmdDump(const QStringList& args)
{
    lex::Book book;
    lex::LoadReport report;
    BookArg where;
    int code = 0;
    if (!readBook(args, "dump", &book, &report, &where, &code))
        return code;
    if (!report.readError.isEmpty())
        return fail(report.readError);
    QString line;
    for (const lex::WordEntry* e : book.full()) {
        line.clear();
        line += QStringLiteral("{\"seq\":%1").arg(e->seq);
        line += QStringLiteral(",\"word\":") + jsonString(e->word());
        line += QStringLiteral(",\"explanation\":") + jsonString(e->explanation());
        line += QStringLiteral(",\"phonetic\":") + jsonString(e->phonetic());
        line += QStringLiteral(",\"comment\":") + jsonString(e->comment());
        line += QStringLiteral(",\"class\":") + jsonString(e->className());
        line += QStringLiteral(",\"recognition\":%1,\"spelling\":%2,\"listening\":%3")
                    .arg(e->stored.recognition).arg(e->stored.spelling).arg(e->stored.listening);
        line += QStringLiteral(",\"review\":") + jsonTime(e->stored.review);
        line += QStringLiteral(",\"added\":") + jsonTime(e->stored.added);
        line += QStringLiteral(",\"textStart\":%1,\"textEnd\":%2}\n").arg(e->stored.textStart).arg(e->stored.textEnd);
        out(line);
    }
    return 0;
}

int cmdCheck(const QStringList& args)
{
    lex::Book book;
    lex::LoadReport r;
    BookArg where;
    int code = 0;
    if (!readBook(args, "check", &book, &r, &where, &code))
        return code;
    const QString stem = where.path + where.name;
    auto header = [](bool exists, bool has, uint32_t version) {
        if (!exists)
            return QStringLiteral("missing");
        if (!has)
            return QStringLiteral("no header (oldest form)");
        return QStringLiteral("header, version %1").arg(version);
    };
    QString text;
    text += QStringLiteral("index %1.idx: %2").arg(stem, header(r.indexExisted, r.indexHasHeader, r.indexVersion));
    if (r.recordSize)
        text += QStringLiteral(", record size %1").arg(r.recordSize);
    text += QLatin1Char('\n');
    text += QStringLiteral("text %1.txt: %2%3\n")
                .arg(stem, header(r.textExisted, r.textHasHeader, r.textVersion),
                     r.ansiText ? QStringLiteral(", code page 936 records") : QString());
    if (!r.readError.isEmpty())
        text += QStringLiteral("read error: %1\n").arg(r.readError);
    text += QStringLiteral("entries: %1\n").arg(r.recordsRead);
    if (r.emptyWords)
        text += QStringLiteral("records with an empty word (not loaded): %1\n").arg(r.emptyWords);
    text += QStringLiteral("skipped records: %1\n").arg(r.skipped.size());
    for (const lex::SkippedRecord& s : r.skipped)
        text += QStringLiteral("  record %1 at offset %2: %3\n").arg(s.index).arg(s.offset).arg(s.reason);
    for (const QString& n : r.notes)
        text += QStringLiteral("note: %1\n").arg(n);
    text += QStringLiteral("interrupted save: %1\n").arg(r.interruptedSave ? r.recovery : QStringLiteral("none"));
    text += r.clean() ? QStringLiteral("clean\n") : QStringLiteral("not clean\n");
    out(text);
    return r.clean() ? 0 : 1;
}

} // namespace lexbook
