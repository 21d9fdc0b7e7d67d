// dump, due and check: read-only views of a word book. Neither writes anything, not even the empty
// files or the repair of an interrupted save that loading the Book in the program would do.
// salvage: a new Book with every entry that can be got back from a damaged one.
#include "commands.h"

#include "common/platform/sources.h"
#include "lexora/book/book_damage.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_salvage.h"
#include "lexora/record/review_plan.h"
#include "lexora/texts/lexora_texts.h"

#include <QDateTime>
#include <QFileInfo>
#include <cstdio>
#include <optional>

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

} // namespace

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

namespace {

bool bookExists(const BookArg& where, const QString& arg, int* code)
{
    lex::Env* env = lex::Env::defaultEnv();
    const QString idx = where.path + where.name + QStringLiteral(".idx");
    const QString txt = where.path + where.name + QStringLiteral(".txt");
    if (!env->fileExists(idx) && !env->fileExists(txt) && !env->fileExists(idx + QStringLiteral(".new"))) {
        *code = fail(QStringLiteral("no Book at %1 (neither %2 nor %3 exists)").arg(arg, idx, txt));
        return false;
    }
    return true;
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
    if (!bookExists(*where, args[0], code))
        return false;
    *report = lex::inspectBook(where->path, where->name, lex::Env::defaultEnv(), book);
    tellDamage(*book, *report);
    return true;
}

} // namespace

// The keys of one entry, as dump prints them, without the closing brace.
void appendEntryKeys(QString& line, const lex::WordEntry* e)
{
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
    line += QStringLiteral(",\"textStart\":%1,\"textEnd\":%2").arg(e->stored.textStart).arg(e->stored.textEnd);
}

// Removes "NAME VALUE" from `args`; false with *error set when VALUE is missing.
bool takeValue(QStringList& args, const QString& name, std::optional<QString>* value, QString* error)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return true;
    if (at + 1 >= args.size()) {
        *error = QStringLiteral("%1 needs a value").arg(name);
        return false;
    }
    *value = args[at + 1];
    args.remove(at, 2);
    if (args.contains(name)) {
        *error = QStringLiteral("%1 given twice").arg(name);
        return false;
    }
    return true;
}

// readBook for the commands that print entries: a Book that cannot be read at all is an error.
bool readEntries(const QStringList& args, const char* command, lex::Book* book, int* code)
{
    lex::LoadReport report;
    BookArg where;
    if (!readBook(args, command, book, &report, &where, code))
        return false;
    if (!report.readError.isEmpty()) {
        *code = fail(report.readError);
        return false;
    }
    return true;
}

int cmdDump(const QStringList& args)
{
    lex::Book book;
    int code = 0;
    if (!readEntries(args, "dump", &book, &code))
        return code;
    QString line;
    for (const lex::WordEntry* e : book.full()) {
        line.clear();
        appendEntryKeys(line, e);
        line += QStringLiteral("}\n");
        out(line);
    }
    return 0;
}

int cmdDue(const QStringList& argsIn)
{
    QStringList args = argsIn;
    std::optional<QString> dateArg, degreeArg, retentionArg;
    QString error;
    const bool byModel = takeFlag(args, QStringLiteral("--model"));
    if (!takeValue(args, QStringLiteral("--date"), &dateArg, &error)
        || !takeValue(args, QStringLiteral("--degree"), &degreeArg, &error)
        || (byModel && !takeValue(args, QStringLiteral("--retention"), &retentionArg, &error)))
        return fail(error);
    for (const QString& a : args)
        if (a.startsWith(QLatin1String("--")))
            return fail(QStringLiteral("unknown option '%1' (see lexbook help due)").arg(a));

    QDate today = lex::reviewDay(*lex::Clock::system());
    if (dateArg) {
        // Exactly YYYY-MM-DD, and a day that exists.
        const QDate d = dateArg->size() == 10 ? QDate::fromString(*dateArg, QStringLiteral("yyyy-MM-dd")) : QDate();
        if (!d.isValid())
            return fail(QStringLiteral("'%1' is not a date: give --date as YYYY-MM-DD, e.g. 2026-03-01").arg(*dateArg));
        today = d;
    }
    std::optional<lex::Skill> only;
    if (degreeArg) {
        only = lex::skillFromName(*degreeArg);
        if (!only)
            return fail(QStringLiteral("unknown degree '%1': give recognition, spelling or listening").arg(*degreeArg));
    }

    lex::Book book;
    int code = 0;
    if (!readEntries(args, "due", &book, &code))
        return code;

    std::vector<uint8_t> fromModel;
    lex::ReviewPlan plan;
    if (!byModel)
        plan = lex::planReview(book.full(), today);
    else if (!planByModel(book, today, retentionArg, &plan, &fromModel, &code))
        return code;
    const uint8_t wanted = only ? lex::dueBit(*only) : uint8_t(7);
    QString line;
    for (size_t i = 0; i < plan.due.size(); ++i) {
        const uint8_t mask = plan.due[i] & wanted;
        if (!mask)
            continue;
        line.clear();
        appendEntryKeys(line, book.full()[i]);
        if (!only) {
            line += QStringLiteral(",\"due\":[");
            bool first = true;
            for (lex::Skill d : lex::kSkills) {
                if (!(mask & lex::dueBit(d)))
                    continue;
                line += (first ? QStringLiteral("\"") : QStringLiteral(",\"")) + lex::skillName(d)
                        + QLatin1Char('"');
                first = false;
            }
            line += QLatin1Char(']');
        }
        if (byModel)
            appendModelKey(line, fromModel[i]);
        line += QStringLiteral("}\n");
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

namespace lexbook {

int cmdSalvage(const QStringList& args)
{
    BookArg from, to;
    int code = 0;
    if (args.size() != 2)
        return fail(QStringLiteral("usage: lexbook salvage BOOK OUT"));
    if (!splitBook(args[0], &from) || !splitBook(args[1], &to))
        return fail(QStringLiteral("give each Book as folder and stem, e.g. Book/English"));
    if (!bookExists(from, args[0], &code))
        return code;
    lex::Env* env = lex::Env::defaultEnv();
    const QString stem = to.path + to.name;
    // No Lexora or Glosix may create OUT while it is being written.
    std::unique_ptr<lex::FileLock> writer;
    if (!lockOrRefuse({args[1], to.path, to.name}, &writer, &code))
        return code;
    for (const QString& suffix : {QStringLiteral(".idx"), QStringLiteral(".txt"), QStringLiteral(".save"),
                                  QStringLiteral(".idx.new"), QStringLiteral(".txt.new")}) {
        if (env->fileExists(stem + suffix))
            return fail(QStringLiteral("%1 exists: salvage writes only a new Book").arg(stem + suffix));
    }

    lex::Book book;
    const lex::SalvageReport r =
        lex::salvageBook(from.path, from.name, book, lex::toEntryTime(lex::Clock::system()->localNow()), env);
    if (!r.load.readError.isEmpty())
        return fail(QStringLiteral("cannot read the word book: ") + r.load.readError, 1);
    if (!to.path.isEmpty() && !env->fileExists(to.path)) {
        const lex::Status made = lex::createDirs(env, to.path);
        if (!made)
            return fail(QStringLiteral("cannot create %1: %2").arg(to.path, made.message()), 1);
    }
    book.path = to.path;
    book.name = to.name;
    const lex::SaveResult saved = lex::saveBook(book, env);
    if (!saved.ok())
        return fail(QStringLiteral("保存文件失败:%1 (%2)").arg(saved.failedPath, saved.message), 1);
    QString text = QStringLiteral("entries accepted by the loader (%1): %2\n").arg(r.load.indexFile).arg(r.fromIndex);
    text += QStringLiteral("entries from text records of %1, with the degrees and times of their damaged index record: %2\n")
                .arg(r.load.textFile).arg(r.fromTextWithIndex);
    text += QStringLiteral("entries from text records of %1, with default degrees (10) and times (now): %2\n")
                .arg(r.load.textFile).arg(r.fromTextDefaults);
    if (r.emptyPieces)
        text += QStringLiteral("text records without a word, left out: %1\n").arg(r.emptyPieces);
    text += QStringLiteral("written: %1.idx and %1.txt, %2 entries\n").arg(stem).arg(book.size());
    out(text);
    return 0;
}

void tellDamage(const lex::Book& book, const lex::LoadReport& report)
{
    const QString notice = lex::texts::damageNotice(book, report);
    if (!notice.isEmpty())
        std::fprintf(stderr, "lexbook: %s\n", notice.toUtf8().constData());
}

} // namespace lexbook
