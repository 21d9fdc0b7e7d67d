#pragma once
// The open word book in memory: its entries (owned here), the full and view arrays, numbering,
// and the flags that decide how it is saved. Files are in book_file.h; list-wide operations in
// list_ops.h.

#include "lexora/book/word_entry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <vector>

class QDateTime;

namespace lex {

class Clock;

// How Book::AddEntry admits an entry.
enum class AddMode {
    Loaded,        // read from the Book's own files: taken as it is
    Interactive,   // typed, imported or sent from elsewhere: trailing " ,'-/" trimmed, refused when
                   // nothing is left, and textChanged set (the entry has no text record yet)
};

class Book {
public:
    Book();
    ~Book();
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;

    // Folder ('/'-terminated) and stem: the files are path + name + ".idx" / ".txt".
    QString path;
    QString name;
    QString indexPath() const { return path + name + QStringLiteral(".idx"); }
    QString textPath() const { return path + name + QStringLiteral(".txt"); }

    bool textChanged = false;    // a save must rewrite NAME.txt
    // Set by the loader when an existing file could not be read: the save then refuses to
    // overwrite it (the save-as question offers another name) rather than replace a Book it
    // never saw with an empty one. Cleared when the path or name is changed by a save-as.
    bool loadFailed = false;
    // Set by the loader when it skipped damaged records: the files as they were loaded are
    // copied here by the first save that overwrites them (book_damage.h), then this is cleared.
    struct DamageCopies {
        QString indexFile, textFile;   // the originals
        QString indexCopy, textCopy;   // where they are kept
    };
    std::optional<DamageCopies> damageCopies;
    bool saveOnExit = true;      // cleared by "退出(不保存)"
    bool confirmDelete = true;   // cleared by "本次运行不再确认"
    int32_t nextSeq = 0;

    // Admits a new entry as `mode` says. Takes ownership on success; on failure returns false and
    // the entry is destroyed.
    bool AddEntry(std::unique_ptr<WordEntry> entry, AddMode mode);

    // Loader support. Loaded entries live in blocks owned by the Book instead of one heap
    // allocation each. allocateBlock() returns n default entries; admitLoaded() admits one of
    // them as AddEntry(e, AddMode::Loaded) would (false for an empty word: the slot stays unused). A removed
    // block entry loses its texts at once; its block is freed with the last live entry of it.
    WordEntry* allocateBlock(size_t n);
    // The same room for n entries, constructed one by one with nextBlockEntry() while they are
    // filled, so that a large load touches the memory once. Entries never asked for stay raw and
    // are never destroyed.
    void reserveBlock(size_t n);
    WordEntry* nextBlockEntry()
    {
        Block& b = blocks_.back();
        size_t& constructed = b.entries.get_deleter().count;
        if (constructed == b.size)
            blockFull();
        return new (b.entries.get() + constructed++) WordEntry();
    }
    // Makes room for n more entries in both arrays.
    void reserve(size_t more);
    bool admitLoaded(WordEntry* e)
    {
        if (e->wordIsEmpty())
            return false;
        e->seq = nextSeq;
        e->keptSeq = nextSeq;
        ++nextSeq;
        full_.push_back(e);
        view_.push_back(e);
        // The loader fills the newest block, so look there first.
        Block* b = blocks_.empty() ? nullptr : &blocks_.back();
        std::less<const WordEntry*> lt;
        if (!b || lt(e, b->entries.get()) || !lt(e, b->entries.get() + b->size))
            b = blockOf(e);
        if (b)
            ++b->live;
        return true;
    }

    int size() const { return int(full_.size()); }
    bool empty() const { return full_.empty(); }

    // Book order (the order of a save) and display order. Both hold the same entries.
    const std::vector<WordEntry*>& full() const { return full_; }
    const std::vector<WordEntry*>& view() const { return view_; }
    // The entry at a view row, null outside the view. Through a const Book it is read-only.
    WordEntry* atView(int row) { return row >= 0 && row < int(view_.size()) ? view_[size_t(row)] : nullptr; }
    const WordEntry* atView(int row) const { return const_cast<Book*>(this)->atView(row); }

    // Reorders the full array (sort, shuffle) and then copies it into the view array.
    std::vector<WordEntry*>& fullForReorder() { return full_; }
    void syncViewToFull() { view_ = full_; }

    // Removes and frees the entries at the given view rows (any order, duplicates ignored).
    // Sets textChanged unless `keepTextFlag`.
    void removeViewRows(std::vector<int> rows, bool keepTextFlag = false);
    // Frees every entry; nextSeq back to 0. Flags are left as they are.
    void clear();

    // ---- taking entries out and putting them back (undo) ------------------------------------
    // An entry taken out of the Book with the places it stood at.
    struct Taken {
        int viewRow = 0;
        int fullRow = 0;
        std::unique_ptr<WordEntry> entry;
    };
    // Removes the entries at the given view rows (any order, duplicates ignored) like
    // removeViewRows(), but hands them over instead of freeing them, in ascending view order. An
    // entry of a loaded block is copied (its block may be freed); one made in memory moves as it is.
    std::vector<Taken> takeViewRows(const std::vector<int>& rows, bool keepTextFlag = false);
    // Puts taken entries back at their places; textChanged is set (the text file may no longer
    // hold their records).
    void putBack(std::vector<Taken> taken);
    // Every entry with its blocks and text buffers, moved out at once: emptying a Book of a million
    // entries costs no copy. nextSeq and the flags stay.
    class Contents;
    std::unique_ptr<Contents> takeAll();
    // Puts them back in front of any entries the Book holds now; textChanged is set.
    void putBackAll(std::unique_ptr<Contents> contents);

    // Changes one degree of the entry at `viewRow`; false (nothing changed) for no such row or
    // a change that would leave 0..10.
    bool SetStrangeness(int viewRow, Degree degree, DegreeChange change);
    // Sets the entry's review time to the clock's local time, or to `at` (local time).
    void StampReviewTime(int viewRow, const Clock& clock);
    void StampReviewTime(int viewRow, const QDateTime& at);
    // What a settled practice answer writes: the entry's review time stamped with answer.at and,
    // unless it was answered right, its temporary strangeness one step up (a step past 10 is
    // refused, so it stays at 10). False for no such row.
    bool applyAnswer(const PracticeAnswer& answer);

    // The bytes of the loaded text file, which loaded entries' texts point into. Set by the loader.
    void adoptTextBuffer(QByteArray bytes);

    // The buffer adopted last (the loaded text file), empty when none.
    QByteArrayView textBuffer() const;

private:
    struct BlockDeleter {
        size_t count; // constructed entries, from the start of the block
        void operator()(WordEntry* p) const;
    };
    struct Block {
        std::unique_ptr<WordEntry, BlockDeleter> entries;
        size_t size = 0;
        size_t live = 0;
    };
    Block* blockOf(const WordEntry* e);
    static Block* blockIn(std::vector<Block>& blocks, const WordEntry* e);
    [[noreturn]] static void blockFull();
    void release(WordEntry* e);

    std::vector<WordEntry*> full_;
    std::vector<WordEntry*> view_;
    std::vector<Block> blocks_;
    std::vector<QByteArray> textBuffers_; // outlive every entry that borrows from them
};

// Entries moved out of a Book by takeAll(); frees them when it is destroyed without being put back.
class Book::Contents {
public:
    ~Contents();
    int size() const { return int(full.size()); }
    // Approximate memory held: the entries and the text buffers they borrow from.
    size_t bytes() const;

private:
    friend class Book;
    std::vector<WordEntry*> full, view;
    std::vector<Block> blocks;
    std::vector<QByteArray> buffers;
};

// The word without its trailing blanks, ",", "'", "-" and "/" (what an interactive add keeps).
QStringView trimmedWord(QStringView word);

// Local time as stored in a Book (year modulo 16).
EntryTime toEntryTime(const QDateTime& t);

} // namespace lex
