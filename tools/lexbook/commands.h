#pragma once
// The subcommands of `lexbook`. Each takes the arguments after its own name and returns the exit
// code; errors are one clear line on stderr.

#include <QStringList>

namespace lex {
class Book;
struct LoadReport;
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

// Prints "lexbook: <message>" on stderr and returns `code`.
int fail(const QString& message, int code = 2);
// Tells on stderr, once per command, that a load skipped damaged records (nothing when none).
void tellDamage(const lex::Book& book, const lex::LoadReport& report);
// Writes UTF-8 text to stdout.
void out(const QString& text);

} // namespace lexbook
