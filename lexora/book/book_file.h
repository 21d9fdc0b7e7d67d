#pragma once
// The two files of a Book (NAME.idx and NAME.txt): loading with every older form, a crash-safe
// save, appending to another Book, and the entry text record.

#include "common/platform/env.h"
#include "lexora/book/book.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace lex {

constexpr uint32_t kBookMarker = 0xFF000074;
constexpr uint32_t kBookVersion = 116;
constexpr int kIndexRecordSize = 21;

// Text record: U+0000 word U+0001 explanation U+0002 phonetic U+0003 class U+0004 comment.
QByteArray buildTextRecord(const WordEntry& e);           // UTF-16LE bytes
void appendTextRecord(const WordEntry& e, QByteArray& out);
// Parses UTF-16 code units into the entry's fields (owned copies); all five fields are replaced.
void parseTextRecord(QStringView record, WordEntry& e);

struct SkippedRecord {
    int index = 0;          // record number in the index file, 0-based
    qint64 offset = 0;      // byte offset of the record in the index file
    QString reason;
    int count = 1;          // records this covers (all of them when the record size is unusable)
};

struct LoadReport {
    bool indexExisted = false, textExisted = false;
    bool indexHasHeader = false, textHasHeader = false;
    uint32_t indexVersion = 0, textVersion = 0;   // low 24 bits of the marker, when present
    int recordSize = 0;
    bool ansiText = false;                        // text of version 111 or lower
    int recordsRead = 0;                          // records admitted into the Book
    int emptyWords = 0;                           // records whose word was empty (not admitted)
    std::vector<SkippedRecord> skipped;           // damaged records, not admitted
    QString recovery;                             // what was done about an interrupted save, if anything
    bool interruptedSave = false;                 // leftovers of an interrupted save were found
    bool oldestIndexForm = false;                 // the index had no header: ReportError.txt is opened
    QString readError;                            // an existing file could not be read (Book left empty)
    QStringList notes;                            // oddities that lost nothing (e.g. a short padding)
    QString indexFile, textFile;                  // the files read (after an interrupted save, its new ones)
    int skippedCount() const;                     // damaged records in all
    // Damaged records, a read error or recovery trouble; empty words and old forms are not damage.
    bool clean() const { return skipped.empty() && readError.isEmpty() && !interruptedSave && notes.isEmpty(); }
};

struct BookFileHooks {
    // Called when an index file without header is read (the window layer opens "ReportError.txt").
    std::function<void()> oldIndexFormRead;
};

// Reads book.path + book.name into the (emptied) book. Never truncates an existing file; a
// missing file is created empty. Finishes or rolls back an interrupted save first. When records
// were skipped as damaged, book.damageCopies says where the first save keeps the files as they
// are (book_damage.h).
LoadReport LoadBook(Book& book, Env* env = Env::defaultEnv(), const BookFileHooks& hooks = {});

// Examines a Book's files without changing anything on disk (for `lexbook check` and `dump`).
// An interrupted save is reported, not repaired; the entries read are those that LoadBook()
// would give after repairing it. When `into` is given, the entries are loaded into it.
LoadReport inspectBook(const QString& path, const QString& name, Env* env = Env::defaultEnv(),
                       Book* into = nullptr);

enum class SaveFailure { None, TextFile, IndexFile };
struct SaveResult {
    SaveFailure failure = SaveFailure::None;
    QString failedPath;   // the file that could not be written
    QString message;      // the file layer's words
    bool ok() const { return failure == SaveFailure::None; }
};

// Writes the Book: NAME.txt only when textChanged, NAME.idx always. Crash-safe: the new files
// are written beside the old ones, synced, and put in place so that a load always sees either
// the old or the new state. On success textChanged is cleared. When the Book was loaded from
// damaged files, they are first copied aside (book.damageCopies); if that fails nothing is
// written and the save fails.
SaveResult saveBook(Book& book, Env* env = Env::defaultEnv());

// Why the learner is asked whether to save under another name, and what the question names.
struct SaveAsQuestion {
    enum class Why {
        SaveFailed, // the file `subject` could not be written
        ReadOnly,   // the Book `subject` was opened read-only (another writer held it)
        Busy,       // the Book `subject` chosen to save as is held by another writer
    };
    Why why = Why::SaveFailed;
    QString subject;
};

// What the user is asked when a save fails (message box, then a save-as chooser).
struct SaveQuestions {
    // Yes/No; true for Yes.
    std::function<bool(const SaveAsQuestion& question)> askSaveAs;
    // Save-as chooser with the initial path, its filter following the file that failed; returns
    // the chosen path or empty.
    std::function<QString(const QString& initialPath, SaveFailure failed)> chooseFile;
};
// The Book a save-as file name gives: the folder with its trailing '/', and the file name
// without its extension.
void splitSaveAsPath(const QString& chosen, QString* path, QString* name);
// Saves, and on failure runs the save-as dialogue until it succeeds or the user declines.
SaveResult saveBookInteractive(Book& book, const SaveQuestions& q, Env* env = Env::defaultEnv());

// Why appending to another Book failed, and the file it concerns.
struct AppendFailure {
    enum class Why {
        None,
        IndexUnreadable, // `path` (the index) is missing or cannot be read or opened
        TextUnreadable,  // `path` (the text file) likewise
        OtherVersion,    // `path` is not a Book file of this version
        TooLarge,        // the text file `path` would outgrow the index's offsets
        WriteFailed,     // the file layer's words in `detail`
    };
    Why why = Why::None;
    QString path;
    QString detail;
    bool failed() const { return why != Why::None; }
};

// Appends the entries' texts and index records to the Book `targetName` in book.path.
AppendFailure AppendToBook(const std::vector<const WordEntry*>& entries, const QString& bookPath,
                     const QString& targetName, Env* env = Env::defaultEnv());

} // namespace lex
