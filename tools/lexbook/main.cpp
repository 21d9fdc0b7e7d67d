// lexbook: a command-line companion for learners who script and for checking files.
#include "commands.h"
#include "progress.h"

#include "common/platform/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

namespace lexbook {

int fail(const QString& message, int code)
{
    clearProgressLine();
    std::fprintf(stderr, "lexbook: %s\n", message.toUtf8().constData());
    return code;
}

bool takeFlag(QStringList& args, const QString& flag)
{
    return args.removeAll(flag) > 0;
}

bool takeIntOption(QStringList& args, const QString& name, int min, int* value, QString* error)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return true;
    bool ok = false;
    const int v = at + 1 < args.size() ? args[at + 1].toInt(&ok) : 0;
    if (!ok || v < min) {
        *error = QStringLiteral("%1 needs a whole number of at least %2").arg(name).arg(min);
        return false;
    }
    *value = v;
    args.remove(at, 2);
    return true;
}

void out(const QString& text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stdout);
}

bool progressWanted() { return ::isatty(STDERR_FILENO) == 1; }

} // namespace lexbook

namespace {

using lexbook::Command;

// Every command: its name, what it runs, its synopsis and its help. The man page (lexbook.1)
// describes the same commands; a test checks that none is missing there.
const Command kCommands[] = {
    {"dump", lexbook::cmdDump, "dump BOOK",
     "Prints every entry of the word book as one JSON object a line: the word, phonetic, explanation,\n"
     "comment, class name, the three stored strangeness degrees, the added and review times and the\n"
     "text record's offsets.\n"},
    {"due", lexbook::cmdDue, "due BOOK [--date YYYY-MM-DD] [--degree recognition|spelling|listening] [--model [--retention R]]",
     "Prints the entries due for review today (or on --date), in Book order, as dump prints them. An\n"
     "entry is due for a degree when the whole days since its review time reach the interval of that\n"
     "degree's strangeness (10: 0 days, 9 and 8: 1, 7: 2, 6: 3, 5: 5, 4: 8, 3: 13, 2: 21, 1: 34, 0: 55).\n"
     "Without --degree every entry due for any degree is printed, with a \"due\" key listing its\n"
     "degrees. Never writes anything.\n"
     "With --model an entry that the learning record (BOOK.review.db) has for a degree is due for it\n"
     "from the day its predicted recall falls to the desired retention (--retention, default 0.9);\n"
     "the table decides the rest, and a \"model\" key lists the degrees the record decided.\n"},
    {"check", lexbook::cmdCheck, "check BOOK",
     "Reads the word book as Lexora does and reports its headers, versions and every damaged or skipped\n"
     "record. Exit status 0 when the Book is clean, 1 when anything was found.\n"},
    {"salvage", lexbook::cmdSalvage, "salvage BOOK OUT",
     "Writes a new, clean word book OUT with every entry that can be got back from a damaged BOOK: the\n"
     "entries the loader accepts and the text records that no sound index record points to. Prints how\n"
     "many entries came from where. Never writes to BOOK; refuses an OUT that exists.\n"},
    {"lookup", lexbook::cmdLookupAny, "lookup DICTFOLDER WORD [--companion]\nlookup DICT.ifo WORD\nlookup PROGRAMFOLDER WORD --all",
     "Looks WORD up in DICTFOLDER/Dict.idx and Dict.dic, as Lexora does; with --companion in\n"
     "DICTFOLDER/21ct.idx and 21ct.dic, as Glosix does. Exit status 1 when the word is not there.\n"
     "With a StarDict DICT.ifo: one JSON line {\"word\": ..., \"definition\": ...} per entry whose\n"
     "headword (or synonym) is exactly WORD, with the entry's stored text.\n"
     "With --all: what Glosix shows for WORD, one JSON line {\"dictionary\": ..., \"word\": ..., \"text\": ...}\n"
     "per entry (a \"form\" key when found under the base form): PROGRAMFOLDER/Dict/21ct first (its\n"
     "dictionary name empty), then the StarDict dictionaries in the order and with the choice kept in\n"
     "PROGRAMFOLDER/Config.INI (STARDICT/Dictionaries), each under its name.\n"},
    {"config", lexbook::cmdConfig,
     "config FILE get SECTION KEY [--int DEFAULT | --struct SIZE]\n"
     "config FILE set SECTION KEY VALUE [--struct]",
     "Reads and writes Config.INI with the rules the programs use. Section and key names match without\n"
     "regard to case.\n"
     "  get                  prints the string value; exit 1 when the key is absent\n"
     "  get --int DEFAULT    prints the integer value, DEFAULT when the key is absent or empty\n"
     "  get --struct SIZE    prints the SIZE data bytes in hexadecimal (without the checksum); exit 1\n"
     "                       when the key is absent or its length or checksum is wrong\n"
     "  set                  stores VALUE as a string\n"
     "  set --struct         VALUE is the data bytes in hexadecimal; the checksum is added\n"
     "Use -- before a VALUE that starts with \"--\".\n"},
    {"dict-build", lexbook::cmdDictBuild, "dict-build SOURCE OUTFOLDER [--companion [--from-main]] [--block N] [--info CSV]",
     "Compiles a UTF-8 word list (word TAB phonetic TAB explanation a line) into OUTFOLDER/Dict.idx and\n"
     "Dict.dic, or with --companion into 21ct.idx and 21ct.dic. --from-main styles the companion's\n"
     "entries from the main form of the list; --block N sets the number of keys per index block.\n"
     "--info keeps the word lists and ranks of a CSV with ECDICT's columns (word, tag, collins, oxford,\n"
     "bnc, frq) in Dict.idx, for new-book and the vocabulary test.\n"},
    {"dict-ecdict", lexbook::cmdDictEcdict, "dict-ecdict CSV OUTFOLDER [--companion] [--block N] [--cmu CMUDICT]",
     "Converts the ECDICT word list (its CSV file) into either dictionary and reports what went in, what\n"
     "was left out and why. Shows its progress on stderr when that is a terminal. The main dictionary\n"
     "keeps each headword's exam lists, Oxford 3000 mark, Collins stars and BNC and frequency ranks.\n"
     "--cmu adds both accents' IPA of every headword: the British from ECDICT's phonetic made standard,\n"
     "the American from the CMU Pronouncing Dictionary (either the Festival edition, festlex-cmu's\n"
     "cmudict-0.4.out, or the plain one), and reports how often ECDICT's form was mended and from what.\n"},
    {"lists", lexbook::cmdLists, "lists DICTFOLDER", lexbook::kListsHelp},
    {"new-book", lexbook::cmdNewBook,
     "new-book BOOK --list EXPR [--order frq|bnc|collins|alpha] [--strangeness R,S,L] [--dict DICTFOLDER]",
     lexbook::kNewBookHelp},
    {"import", lexbook::cmdImport,
     "import BOOK FILE --style 1|2|3 [--strangeness R,S,L] [--encoding auto|utf16|gbk|utf8] [--dict DICTFOLDER] [--skip-known yes|no]\n"
     "import BOOK FILE [--format apkg|colpkg|kvtml|csv|tsv] [--map word=N,phonetic=N,...] [--strangeness R,S,L] [--dict DICTFOLDER] [--skip-known yes|no]",
     "Adds the words of a text word list to the word book, as the import dialog does. --style is the\n"
     "list's style; --strangeness gives the new entries' recognition, spelling and listening degrees\n"
     "(default 10,10,10); --encoding auto tells UTF-16 and UTF-8 by their marks and contents, else code\n"
     "page 936; --dict fills missing phonetics and explanations from a dictionary folder.\n"
     "Without --style, a FILE ending in .apkg, .colpkg, .kvtml, .csv or .tsv (or --format) is another\n"
     "program's file. --map says which field (from 1, or by name; 0 or none: no field; class=tags: the\n"
     "first tag) becomes the word, phonetic, explanation, comment and class; what it leaves out is\n"
     "guessed from the field names, and --dict fills an empty phonetic or explanation. --skip-known yes\n"
     "leaves out the words the word book holds already (the default for another program's file; no is\n"
     "the default for the text styles). A file that cannot be read, or is no text in a text style,\n"
     "leaves the word book unchanged.\n"},
    {"export", lexbook::cmdExport,
     "export BOOK FILE --style 1|2|3 [--encoding utf16|gbk|utf8] [--rows FIRST-LAST]\n"
     "export BOOK FILE [--format apkg|kvtml|csv|tsv] [--voice VOICEFOLDER] [--rows FIRST-LAST]",
     "Writes the word book (or rows FIRST to LAST, counted from 1) as a text word list of the given style.\n"
     "The default encoding is code page 936 (gbk), as the export dialog writes. Without --style, a FILE\n"
     "ending in .apkg, .kvtml, .csv or .tsv (or --format) is written in that program's format and what\n"
     "it cannot carry is listed; --voice packs the words' recorded files into an Anki package.\n"},
    {"fsrs", lexbook::cmdFsrs, "fsrs [--retention R] YYYY-MM-DDTHH:MM=G...", lexbook::kFsrsHelp},
    {"log", lexbook::cmdLog, "log BOOK", lexbook::kLogHelp},
    {"stats", lexbook::cmdStats, "stats BOOK [--date YYYY-MM-DD] [--retention R]", lexbook::kStatsHelp},
    {"sync", lexbook::cmdSync, "sync BOOK --folder DIR [--device NAME]", lexbook::kSyncHelp},
    {"senses", lexbook::cmdSenses, "senses WORD [--wordnet FOLDER] [--dict DICTFOLDER]",
     "Prints the WordNet senses of WORD, one JSON line {\"pos\": ..., \"words\": [...], \"gloss\": ...,\n"
     "\"examples\": [...]} each, in WordNet's order: per part of speech (noun, verb, adj, adv) the word\n"
     "itself, then the base forms WordNet's morphology finds for it. The files are read from\n"
     "/usr/share/wordnet, or FOLDER. With --dict, a word WordNet does not know is looked up under the\n"
     "base form the dictionary's inflected forms give it. Exit status 1 when there is no sense.\n"},
    {"words-from", lexbook::cmdWordsFrom,
     "words-from FILE [--book BOOK] [--known-rank N] [--dict DICTFOLDER] [--wordnet FOLDER] [--names] [--stats]",
     "Prints the words of a text (.txt), a subtitle file (.srt, .vtt) or an e-book (.epub), one JSON line\n"
     "{\"word\": ..., \"count\": ..., \"rank\": ..., \"exams\": [...], \"sentence\": ...} each, most frequent\n"
     "first: every word brought to its headword (the inflected forms of DICTFOLDER's dictionary, then\n"
     "WordNet's morphology), counted with its forms, with the sentence it first stands in. The rank is\n"
     "the word's frequency rank and the exams its exam lists (zk gk cet4 cet6 ky ielts toefl gre), where\n"
     "DICTFOLDER's dictionary carries them (else null and []). Left out: words BOOK holds, words ranked\n"
     "within the N most frequent, and proper names unless --names. --stats tells on stderr how many\n"
     "word tokens were resolved.\n"},
    {"grade", lexbook::cmdGrade, "grade TARGET TYPED [--hunspell FOLDER] [--hyphen FILE]", lexbook::kGradeHelp},
    {"ipa", lexbook::cmdIpa, "ipa WORD [--accent uk|us] [--dict FOLDER]", lexbook::kIpaHelp},
    {"speak", lexbook::cmdSpeak, "speak WORD [--accent uk|us] [--engine espeak|flite] [--voice NAME] --out FILE.wav", lexbook::kSpeakHelp},
    {"plan", lexbook::cmdPlan, "plan BOOK [--date YYYY-MM-DD] [--retention R] [--new N] [--reviews C]", lexbook::kPlanHelp},
    {"streak", lexbook::cmdStreak, "streak BOOK [--date YYYY-MM-DD] [--retention R]", lexbook::kStreakHelp},
};

const Command* findCommand(const QString& name)
{
    for (const Command& c : kCommands)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

// "lexbook " before each line of a synopsis, the first one after `first`.
QString synopsisLines(const Command& c, const QString& first, const QString& others)
{
    QString s;
    const QStringList lines = QString::fromLatin1(c.synopsis).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i)
        s += (i ? others : first) + QStringLiteral("lexbook ") + lines[i] + QLatin1Char('\n');
    return s;
}

QString overview()
{
    QString s = QStringLiteral("Works on Lexora's word books, dictionaries and Config.INI through the programs' own code.\n"
                               "BOOK is the folder and stem of a word book: Book/English for Book/English.idx and .txt.\n"
                               "'lexbook help COMMAND' or 'lexbook COMMAND --help' describes one command.\n\nCommands:\n");
    for (const Command& c : kCommands)
        s += synopsisLines(c, QStringLiteral("  "), QStringLiteral("  "));
    s.chop(1);
    return s;
}

int commandHelp(const Command& c)
{
    lexbook::out(synopsisLines(c, QStringLiteral("usage: "), QStringLiteral("       ")) + QLatin1Char('\n')
                 + QString::fromUtf8(c.help));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    lex::setApplicationIdentity(QStringLiteral("lexbook"));
    QCommandLineParser parser;
    // Everything after the command belongs to it, options included.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do (see Commands above)."),
                                 QStringLiteral("COMMAND [ARGUMENTS...]"));
    if (const int code = lex::parseCommandLine(parser, overview()); code >= 0)
        return code;
    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 2;
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("help")) {
        if (args.isEmpty()) {
            lexbook::out(parser.helpText());
            return 0;
        }
        const Command* c = findCommand(args.first());
        return c ? commandHelp(*c) : lexbook::fail(QStringLiteral("unknown command '%1' (see lexbook --help)").arg(args.first()));
    }
    const Command* c = findCommand(name);
    if (!c)
        return lexbook::fail(QStringLiteral("unknown command '%1' (see lexbook --help)").arg(name));
    // "--help" before a "--" asks for help; after it, it is a value (config ... set -- --help).
    const qsizetype dashes = args.indexOf(QStringLiteral("--"));
    const QStringList own = dashes < 0 ? args : args.mid(0, dashes);
    if (own.contains(QStringLiteral("--help")) || own.contains(QStringLiteral("-h")))
        return commandHelp(*c);
    return c->run(args);
}
