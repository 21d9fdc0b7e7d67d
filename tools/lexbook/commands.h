#pragma once
// The subcommands of `lexbook`. Each takes the arguments after its own name and returns the exit
// code; errors are one clear line on stderr.

#include <QDate>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace lex {
class Book;
class FileLock;
class Profile;
class ReviewRecord;
class WordEntry;
struct EntryTime;
struct LoadReport;
struct ReviewPlan;
}

namespace lexbook {

int cmdDump(const QStringList& args);      // dump BOOK
int cmdCheck(const QStringList& args);     // check BOOK
int cmdDue(const QStringList& args);       // due BOOK [--date YYYY-MM-DD] [--degree NAME]
int cmdLookup(const QStringList& args);    // lookup DICTFOLDER WORD [--companion]
int cmdLookupAny(const QStringList& args); // lookup DICT.ifo WORD, else cmdLookup
int cmdConfig(const QStringList& args);    // config FILE get|set ...
int cmdDictBuild(const QStringList& args); // dict-build SOURCE OUTFOLDER [--companion] [--block N]
int cmdDictEcdict(const QStringList& args); // dict-ecdict CSV OUTFOLDER [--companion] [--block N]
int cmdImport(const QStringList& args);    // import BOOK FILE --style 1|2|3 ...
int cmdExport(const QStringList& args);    // export BOOK FILE --style 1|2|3 ...
int cmdSalvage(const QStringList& args);   // salvage BOOK OUT
int cmdFsrs(const QStringList& args);      // fsrs [--retention R] REVIEW...
int cmdLog(const QStringList& args);       // log BOOK
int cmdStats(const QStringList& args);     // stats BOOK [--date D] [--retention R]
int cmdNewBook(const QStringList& args);   // new-book BOOK --list EXPR [--order O] [--strangeness R,S,L] [--dict DICTFOLDER]
int cmdLists(const QStringList& args);     // lists DICTFOLDER
int cmdSync(const QStringList& args);      // sync BOOK --folder DIR [--device NAME]
int cmdSenses(const QStringList& args);    // senses WORD [--wordnet FOLDER] [--dict DICTFOLDER]
int cmdWordsFrom(const QStringList& args); // words-from FILE [--book BOOK] [--known-rank N] ...
int cmdGrade(const QStringList& args);     // grade TARGET TYPED [--hunspell FOLDER] [--hyphen FILE]
int cmdIpa(const QStringList& args);       // ipa WORD [--accent uk|us] [--dict FOLDER]
int cmdSpeak(const QStringList& args);     // speak WORD [--accent uk|us] [--engine espeak] [--voice NAME] --out FILE
extern const char kFsrsHelp[], kLogHelp[], kStatsHelp[], kGradeHelp[], kIpaHelp[], kSpeakHelp[],
    kListsHelp[], kNewBookHelp[], kSyncHelp[], kPlanHelp[], kStreakHelp[];
int cmdPlan(const QStringList& args);      // plan BOOK [--date D] [--retention R] [--new N] [--reviews C]
int cmdStreak(const QStringList& args);    // streak BOOK [--date D] [--retention R]

// Shared by the verbs that read a learning record (cmd_review.cpp): false with *code set.
bool openRecord(const QString& bookPath, const QString& bookName, lex::ReviewRecord* record, int* code);
bool parseRetention(const std::optional<QString>& given, double* retention, int* code);
bool takeDate(const std::optional<QString>& given, QDate* day, int* code); // today without one

// One command of the table in main.cpp.
struct Command {
    const char* name;
    int (*run)(const QStringList& args);
    const char* synopsis;   // after "lexbook ", one line per form
    const char* help;       // what it does and its options, lines ending in '\n'
};

// True when long work should show its progress on stderr: stderr is a terminal.
bool progressWanted();

// Removes `flag` from `args`; true when it was there.
bool takeFlag(QStringList& args, const QString& flag);
// Removes "NAME VALUE" from `args` and stores VALUE in *value. False, with *error set, when VALUE
// is missing or not a whole number of at least `min`; true and nothing changed when NAME is absent.
bool takeIntOption(QStringList& args, const QString& name, int min, int* value, QString* error);

// What a writer verb is about to change: a Book (the lock Lexora holds while the Book is open and
// Glosix while it appends a word) or Config.INI (the lock every write of it holds).
struct WriteTarget {
    QString shown;                    // as the user named it
    QString bookFolder, bookName;     // a Book ...
    lex::Profile* config = nullptr;   // ... or Config.INI: its writes then skip the lock it holds
};
// The exit status of a writer verb refused because another program holds the lock.
inline constexpr int kBusyExit = 3;
// How long a writer verb waits for another writer to finish.
inline constexpr int kWriterLockWaitMs = 1000;
// Takes the target's lock for the rest of the command (a Book's in *held, Config.INI's in the
// Profile), or prints why not and returns false with *code set: kBusyExit when another program
// holds it past the wait, 1 when it cannot be taken at all.
bool lockOrRefuse(const WriteTarget& target, std::unique_ptr<lex::FileLock>* held, int* code);

// Shared by the commands that print entries (cmd_book.cpp).
QString jsonString(QStringView s);
QString jsonTime(const lex::EntryTime& t);   // [year, month, day, hour, minute] as stored
// The keys of one entry, as dump prints them, without the closing brace.
void appendEntryKeys(QString& line, const lex::WordEntry* e);
// Removes "NAME VALUE" from `args`; false with *error set when VALUE is missing or NAME is twice.
bool takeValue(QStringList& args, const QString& name, std::optional<QString>* value, QString* error);
// Reads BOOK (the only argument left) without writing; false with *code set when it cannot.
bool readEntries(const QStringList& args, const char* command, lex::Book* book, int* code);

// due --model (cmd_review.cpp): the plan by the learning record's model, and per entry the
// degrees (dueBit) that the model decided; false with *code set when the record cannot be read.
bool planByModel(const lex::Book& book, QDate today, const std::optional<QString>& retention,
                 lex::ReviewPlan* plan, std::vector<uint8_t>* fromModel, int* code);
// ,"model":["recognition",...]
void appendModelKey(QString& line, uint8_t degrees);

// "R,S,L": the recognition, spelling and listening degrees, each 0 to 10 (import, new-book).
bool parseStrangeness(const QString& text, std::array<uint8_t, 3>* degrees);

// Prints "lexbook: <message>" on stderr and returns `code`.
int fail(const QString& message, int code = 2);
// Tells on stderr, once per command, that a load skipped damaged records (nothing when none).
void tellDamage(const lex::Book& book, const lex::LoadReport& report);
// Writes UTF-8 text to stdout.
void out(const QString& text);

} // namespace lexbook
