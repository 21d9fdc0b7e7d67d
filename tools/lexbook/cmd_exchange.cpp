// import and export: word lists in and out of a word book, as the import/export dialog does: the
// three text styles, or another program's file (Anki, KDE, CSV, TSV) by its extension or --format.
#include "commands.h"
#include "progress.h"

#include "common/dictionary/dictionary.h"
#include "common/platform/env.h"
#include "common/platform/sources.h"
#include "lexora/book/book_file.h"
#include "lexora/book/book_session.h"
#include "lexora/exchange/import_op.h"
#include "lexora/exchange/foreign_exchange.h"
#include "lexora/exchange/formats/foreign_format.h"
#include "lexora/exchange/text_format.h"
#include "lexora/record/book_record.h"
#include "lexora/texts/lexora_texts.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

namespace lexbook {
namespace {

struct Options {
    QStringList positional;
    std::optional<QString> style, strangeness, encoding, dict, rows, format, map, voice, skipKnown;
};

// Splits `args` into positional arguments and the options in `allowed`; false (with `code` set and
// the message printed) for an unknown option or a missing value.
bool parseOptions(const QStringList& args, const QStringList& allowed, Options* o, int* code)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QLatin1String("--"))) {
            o->positional << a;
            continue;
        }
        if (!allowed.contains(a)) {
            *code = fail(QStringLiteral("unknown option '%1'").arg(a));
            return false;
        }
        if (i + 1 >= args.size()) {
            *code = fail(QStringLiteral("option '%1' needs a value").arg(a));
            return false;
        }
        const QString v = args[++i];
        if (a == QLatin1String("--style")) o->style = v;
        else if (a == QLatin1String("--strangeness")) o->strangeness = v;
        else if (a == QLatin1String("--encoding")) o->encoding = v;
        else if (a == QLatin1String("--dict")) o->dict = v;
        else if (a == QLatin1String("--rows")) o->rows = v;
        else if (a == QLatin1String("--format")) o->format = v;
        else if (a == QLatin1String("--map")) o->map = v;
        else if (a == QLatin1String("--voice")) o->voice = v;
        else if (a == QLatin1String("--skip-known")) o->skipKnown = v;
    }
    return true;
}

bool splitBook(const QString& arg, lex::Book& book)
{
    const qsizetype slash = arg.lastIndexOf(QLatin1Char('/'));
    book.path = arg.left(slash + 1);
    book.name = arg.mid(slash + 1);
    return !book.name.isEmpty();
}

bool parseStyle(const std::optional<QString>& s, int* style)
{
    if (!s)
        return false;
    bool ok = false;
    *style = s->toInt(&ok);
    return ok && *style >= lex::kFirstStyle && *style <= lex::kLastStyle;
}

// Loads the Book; false (with the message printed) when an existing file could not be read.
bool loadForCommand(lex::Book& book, int* code)
{
    const lex::LoadReport report = lex::LoadBook(book);
    tellDamage(book, report);
    if (!report.readError.isEmpty()) {
        *code = fail(QStringLiteral("cannot read the word book: ") + report.readError);
        return false;
    }
    return true;
}

// Another program's format: --format NAME, else the file's extension when no --style is given.
// False (with the message printed) for an unknown name or a --format beside --style.
bool chooseForeign(const Options& o, const QString& file, std::optional<lex::ForeignKind>* kind, int* code)
{
    if (o.format) {
        if (o.style) {
            *code = fail(QStringLiteral("--format and --style exclude each other"));
            return false;
        }
        *kind = lex::foreignKindByName(*o.format);
        if (!*kind) {
            QStringList extensions;
            for (const lex::ForeignFormat& f : lex::foreignFormats())
                extensions += f.extensions;
            const QString last = extensions.takeLast();
            *code = fail(QStringLiteral("--format must be %1 or %2").arg(extensions.join(QStringLiteral(", ")), last));
            return false;
        }
        return true;
    }
    if (!o.style)
        *kind = lex::foreignKindForPath(file);
    return true;
}

// --map word=1,explanation=2,...: fields counted from 1 or named as the file names them; 0 or
// "none" leaves that part empty, class=tags takes the note's first tag. Parts not named keep the
// guess from the field names.
bool parseFieldMap(const QString& spec, const QStringList& fields, lex::FieldMap* map, QString* error)
{
    for (const QString& part : spec.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        const QString key = part.left(eq).trimmed().toLower(), value = part.mid(eq + 1).trimmed();
        int* slot = key == u"word" ? &map->word
                  : key == u"phonetic" ? &map->phonetic
                  : key == u"explanation" ? &map->explanation
                  : key == u"comment" ? &map->comment
                  : key == u"class" ? &map->className
                                    : nullptr;
        if (eq < 0 || !slot) {
            *error = QStringLiteral("--map takes word, phonetic, explanation, comment and class, e.g. word=1,explanation=2");
            return false;
        }
        bool number = false;
        int field = value.toInt(&number);
        const bool tags = slot == &map->className && value == u"tags";
        if (slot == &map->className)
            map->classFromTags = tags;
        if (value == u"none" || tags)
            field = 0;
        else if (!number)
            field = int(fields.indexOf(value)) + 1;
        if (field < 0 || field > fields.size() || (field == 0 && !number && value != u"none" && !tags)) {
            *error = QStringLiteral("--map: no field '%1' (the file has %2: %3)")
                         .arg(value)
                         .arg(fields.size())
                         .arg(fields.join(QStringLiteral(", ")));
            return false;
        }
        *slot = field - 1;
    }
    return true;
}

} // namespace

bool parseStrangeness(const QString& text, std::array<uint8_t, 3>* degrees)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const int v = parts[i].toInt(&ok);
        if (!ok || v < 0 || v > lex::kMaxStrangeness)
            return false;
        (*degrees)[size_t(i)] = uint8_t(v);
    }
    return true;
}

int cmdImport(const QStringList& args)
{
    const QString usage = QStringLiteral(
        "usage: lexbook import BOOK FILE --style 1|2|3 [--strangeness R,S,L] [--encoding auto|utf16|gbk|utf8] [--dict DICTFOLDER] [--skip-known yes|no]\n"
        "       lexbook import BOOK FILE.apkg|.colpkg|.kvtml|.csv|.tsv [--format NAME] [--map word=1,explanation=2,...] [--strangeness R,S,L] [--dict DICTFOLDER] [--skip-known yes|no]");
    Options o;
    int code = 0;
    if (!parseOptions(args, {QStringLiteral("--style"), QStringLiteral("--strangeness"), QStringLiteral("--encoding"),
                             QStringLiteral("--dict"), QStringLiteral("--format"), QStringLiteral("--map"),
                             QStringLiteral("--skip-known")}, &o, &code))
        return code;
    if (o.positional.size() != 2)
        return fail(usage);
    std::optional<lex::ForeignKind> foreign;
    if (!chooseForeign(o, o.positional[1], &foreign, &code))
        return code;
    lex::ImportSettings settings;
    if (!foreign && !parseStyle(o.style, &settings.style))
        return fail(QStringLiteral("--style must be 1, 2 or 3"));
    if (foreign && o.encoding)
        return fail(QStringLiteral("--encoding is for the text styles only"));
    // As the dialog's 跳过词库中已有的单词: on for another program's file, off for the text styles.
    settings.skipKnown = foreign.has_value();
    if (o.skipKnown) {
        if (*o.skipKnown != u"yes" && *o.skipKnown != u"no")
            return fail(QStringLiteral("--skip-known takes yes or no"));
        settings.skipKnown = *o.skipKnown == u"yes";
    }
    if (!foreign && o.map)
        return fail(QStringLiteral("--map is for another program's file only"));
    if (o.strangeness) {
        std::array<uint8_t, 3> values{};
        if (!parseStrangeness(*o.strangeness, &values))
            return fail(QStringLiteral("--strangeness takes three values from 0 to 10, e.g. 10,10,10"));
        settings.recognition = values[0];
        settings.spelling = values[1];
        settings.listening = values[2];
    }
    lex::TextEncoding encoding = lex::TextEncoding::Auto;
    if (o.encoding && !lex::parseTextEncoding(*o.encoding, &encoding))
        return fail(QStringLiteral("--encoding must be auto, utf16, gbk or utf8"));

    std::unique_ptr<lex::Dictionary> dict;
    if (o.dict) {
        dict = std::make_unique<lex::Dictionary>(lex::DictVariant::Main);
        const QStringList failed = dict->openFolder(*o.dict);
        if (!failed.isEmpty())
            return fail(QStringLiteral("不能打开词典文件，请确认此文件是否存在 ") + failed.join(QLatin1Char(' ')));
        settings.lookUp = [d = dict.get()](QStringView w, QString& e, QString& p) { return d->LookUpWord(w, e, p); };
    }

    lex::Env* env = lex::Env::defaultEnv();
    const QString& file = o.positional[1];
    if (!env->fileExists(file))
        return fail(QStringLiteral("请指定一个有效的文件路径名: ") + file);
    std::optional<Progress> progress(std::in_place);
    progress->step(QStringLiteral("reading %1").arg(file));
    QString text;
    lex::ForeignTable table;
    std::vector<lex::ImportRecord> records;
    int withoutWord = 0;
    if (foreign) {
        // Read and mapped before the Book is touched: a bad file changes nothing.
        const lex::Status read = lex::readForeign(*foreign, env, file, &table);
        if (!read)
            return fail(QStringLiteral("无效文件: %1: %2").arg(file, read.message()));
        lex::FieldMap map = lex::guessFieldMap(table.fields);
        // As the dialog starts: without a class field, a note's first tag (an Anki deck's lessons).
        if (map.className < 0)
            map.classFromTags = std::any_of(table.rows.begin(), table.rows.end(),
                                            [](const lex::ForeignRow& r) { return !r.tags.isEmpty(); });
        QString error;
        if (o.map && !parseFieldMap(*o.map, table.fields, &map, &error))
            return fail(error);
        records = lex::recordsFromTable(table, map, &withoutWord);
    } else if (!lex::readWordListFile(env, file, encoding, &text)) {
        return fail(QStringLiteral("无效文件: ") + file);
    }

    lex::Book book;
    if (!splitBook(o.positional[0], book))
        return fail(usage);
    // Importing into a new Book in a new folder is how a learner starts one from the shell.
    if (!book.path.isEmpty() && !env->fileExists(book.path)) {
        const lex::Status made = env->createDir(book.path);
        if (!made)
            return fail(QStringLiteral("cannot create %1: %2").arg(book.path, made.message()), 1);
    }
    // A Lexora with this Book open would overwrite the import at its next save; Glosix's AddTo
    // must not append in between. Held until the process ends.
    std::unique_ptr<lex::FileLock> writer;
    if (!lockOrRefuse({o.positional[0], book.path, book.name}, &writer, &code))
        return code;
    // The import is an edit like the program's: an operation run by a session of the Book, whose
    // learning record follows it as the program's does.
    lex::BookSession session(env);
    lex::BookRecord record(
        [](const lex::RecordFault& fault) { std::fprintf(stderr, "lexbook: %s\n", qUtf8Printable(lex::texts::recordFault(fault))); });
    record.follow(session);
    progress->step(QStringLiteral("loading %1").arg(o.positional[0]));
    const lex::LoadReport loaded = session.open(book.path, book.name);
    tellDamage(session.book(), loaded);
    if (!loaded.readError.isEmpty())
        return fail(QStringLiteral("cannot read the word book: ") + loaded.readError);
    const lex::Clock& clock = *lex::Clock::system();
    lex::ImportResult r;
    if (foreign) {
        progress->step(QStringLiteral("importing %1 entries").arg(records.size()));
        r = session.run(std::make_unique<lex::ImportOp>(std::move(records), settings, clock));
    } else {
        progress->step(QStringLiteral("importing %1 characters of words").arg(text.size()));
        r = session.run(std::make_unique<lex::ImportOp>(text, settings, clock));
    }
    progress->step(QStringLiteral("saving %1 entries").arg(session.rowCount()));
    const lex::SaveResult saved = session.save(lex::SaveQuestions{});
    progress.reset();
    if (!saved.ok())
        return fail(QStringLiteral("保存文件失败:%1 (%2)").arg(saved.failedPath, saved.message), 1);
    if (foreign)
        out(lex::texts::foreignImportMessage(r, withoutWord, table.losses) + QLatin1Char('\n'));
    else
        out(lex::texts::importMessage(r) + QLatin1Char('\n'));
    return 0;
}

int cmdExport(const QStringList& args)
{
    const QString usage = QStringLiteral(
        "usage: lexbook export BOOK FILE --style 1|2|3 [--encoding utf16|gbk|utf8] [--rows FIRST-LAST]\n"
        "       lexbook export BOOK FILE.apkg|.kvtml|.csv|.tsv [--format NAME] [--voice VOICEFOLDER] [--rows FIRST-LAST]");
    Options o;
    int code = 0;
    if (!parseOptions(args, {QStringLiteral("--style"), QStringLiteral("--encoding"), QStringLiteral("--rows"),
                             QStringLiteral("--format"), QStringLiteral("--voice")}, &o, &code))
        return code;
    if (o.positional.size() != 2)
        return fail(usage);
    std::optional<lex::ForeignKind> foreign;
    if (!chooseForeign(o, o.positional[1], &foreign, &code))
        return code;
    int style = 0;
    if (!foreign && !parseStyle(o.style, &style))
        return fail(QStringLiteral("--style must be 1, 2 or 3"));
    if (foreign && o.encoding)
        return fail(QStringLiteral("--encoding is for the text styles only"));
    if (o.voice && !(foreign && lex::foreignFormat(*foreign).packsSounds))
        return fail(QStringLiteral("--voice is for formats that carry sounds only"));
    // The dialog's default is code page 936 (导出Unicode unchecked).
    lex::TextEncoding encoding = lex::TextEncoding::Cp936;
    if (o.encoding && (!lex::parseTextEncoding(*o.encoding, &encoding) || encoding == lex::TextEncoding::Auto))
        return fail(QStringLiteral("--encoding must be utf16, gbk or utf8"));

    lex::Book book;
    if (!splitBook(o.positional[0], book))
        return fail(usage);
    if (!loadForCommand(book, &code))
        return code;
    // Rows are numbered from 1, as a learner counts them in the list.
    int first = 1, last = book.size();
    if (o.rows) {
        const QStringList parts = o.rows->split(QLatin1Char('-'));
        bool ok1 = false, ok2 = false;
        if (parts.size() == 2) {
            first = parts[0].toInt(&ok1);
            last = parts[1].toInt(&ok2);
        }
        if (!ok1 || !ok2 || first < 1 || last < first || last > book.size())
            return fail(QStringLiteral("--rows must be FIRST-LAST within 1-%1").arg(book.size()));
    }
    if (book.empty() || first > last)
        return fail(QStringLiteral("请选择单词再导出: the word book is empty"));
    std::vector<const lex::WordEntry*> entries;
    for (int r = first; r <= last; ++r)
        entries.push_back(book.atView(r - 1));

    if (foreign) {
        lex::ForeignExportOptions options;
        options.deckName = book.name;
        if (o.voice) {
            QString folder = *o.voice;
            if (!folder.endsWith(QLatin1Char('/')))
                folder += QLatin1Char('/');
            options.sound = lex::recordedSounds(lex::Env::defaultEnv(), folder);
        }
        lex::ForeignExportResult result;
        const lex::Status s = lex::writeForeign(*foreign, lex::Env::defaultEnv(), o.positional[1], entries, options, &result);
        if (!s)
            return fail(QStringLiteral("cannot write %1: %2").arg(o.positional[1], s.message()), 1);
        out(lex::texts::foreignExportMessage(result) + QLatin1Char('\n'));
        return 0;
    }
    bool lossy = false;
    const QByteArray bytes = lex::exportWordListBytes(entries, style, encoding, &lossy);
    const lex::Status s = lex::writeFileAtomically(lex::Env::defaultEnv(), o.positional[1], bytes);
    if (!s)
        return fail(QStringLiteral("cannot write %1: %2").arg(o.positional[1], s.message()), 1);
    if (lossy)
        std::fprintf(stderr, "lexbook: some characters have no code page 936 form and were written as '?'\n");
    out(QStringLiteral("导出完成，导出单词数:%1\n").arg(entries.size()));
    return 0;
}

} // namespace lexbook
