#include "lexora/book/book.h"

#include "common/platform/huge_pages.h"
#include "common/platform/sources.h"

#include <QDateTime>
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <unordered_set>

namespace lex {

Book::Book() = default;

Book::~Book() { clear(); }

EntryTime toEntryTime(const QDateTime& t)
{
    const QDate d = t.date();
    const QTime tm = t.time();
    EntryTime e;
    e.year = uint8_t(((d.year() % 16) + 16) % 16);
    e.month = uint8_t(d.month());
    e.day = uint8_t(d.day());
    e.hour = uint8_t(tm.hour());
    e.minute = uint8_t(tm.minute());
    return e;
}

namespace {

bool isTrimmed(QChar c)
{
    return c == u' ' || c == u',' || c == u'\'' || c == u'-' || c == u'/';
}

} // namespace

QStringView trimmedWord(QStringView word)
{
    qsizetype n = word.size();
    while (n > 0 && isTrimmed(word[n - 1]))
        --n;
    return word.left(n);
}

bool Book::AddEntry(std::unique_ptr<WordEntry> entry, int mode)
{
    if (!entry || entry->word().isEmpty())
        return false;
    if (mode != 0) {
        const QStringView w = entry->word();
        const QStringView kept = trimmedWord(w);
        // A word of trimmed characters only ("," or " - ") would be stored empty, and the loader
        // drops empty words: the entry would vanish at the next start.
        if (kept.isEmpty())
            return false;
        if (kept.size() != w.size())
            entry->setWord(kept.toString());
        textChanged = true;
    }
    entry->seq = nextSeq;
    entry->keptSeq = nextSeq;
    WordEntry* e = entry.release();
    full_.push_back(e);
    view_.push_back(e);
    ++nextSeq;
    return true;
}

namespace {
// Small blocks are sized exactly; large ones are rounded to whole huge pages.
size_t blockAlign(size_t n) { return n * sizeof(WordEntry) >= kHugePageSize ? kHugePageSize : alignof(std::max_align_t); }
size_t blockBytes(size_t n)
{
    const size_t a = blockAlign(n);
    return (n * sizeof(WordEntry) + a - 1) / a * a;
}
} // namespace

void Book::BlockDeleter::operator()(WordEntry* p) const
{
    for (size_t i = 0; i < count; ++i)
        p[i].~WordEntry();
    std::free(p);
}

WordEntry* Book::allocateBlock(size_t n)
{
    if (n == 0)
        return nullptr;
    reserveBlock(n);
    WordEntry* first = nextBlockEntry();
    for (size_t i = 1; i < n; ++i)
        nextBlockEntry();
    return first;
}

void Book::blockFull()
{
    throw std::logic_error("Book block is full");
}

void Book::reserveBlock(size_t n)
{
    if (n == 0)
        return;
    // One allocation for all loaded entries, in huge pages where the system offers them: a
    // million entries then cost a few dozen page faults instead of tens of thousands.
    const size_t bytes = blockBytes(n);
    void* mem = std::aligned_alloc(blockAlign(n), bytes);
    if (!mem)
        throw std::bad_alloc();
    adviseHugePages(mem, bytes);
    Block b;
    b.entries = std::unique_ptr<WordEntry, BlockDeleter>(static_cast<WordEntry*>(mem), BlockDeleter{0});
    b.size = n;
    blocks_.push_back(std::move(b));
}

void Book::reserve(size_t more)
{
    for (std::vector<WordEntry*>* v : {&full_, &view_}) {
        v->reserve(v->size() + more);
        adviseHugePages(v->data() + v->size(), more * sizeof(WordEntry*));
    }
}

Book::Block* Book::blockOf(const WordEntry* e)
{
    std::less<const WordEntry*> lt;
    for (Block& b : blocks_) {
        const WordEntry* first = b.entries.get();
        if (!lt(e, first) && lt(e, first + b.size))
            return &b;
    }
    return nullptr;
}

void Book::release(WordEntry* e)
{
    Block* b = blockOf(e);
    if (!b) {
        delete e;
        return;
    }
    e->clearTexts();
    if (--b->live == 0)
        blocks_.erase(blocks_.begin() + (b - blocks_.data()));
}

void Book::removeViewRows(std::vector<int> rows, bool keepTextFlag)
{
    std::unordered_set<WordEntry*> doomed;
    for (int r : rows) {
        if (WordEntry* e = atView(r))
            doomed.insert(e);
    }
    if (doomed.empty())
        return;
    auto gone = [&](WordEntry* e) { return doomed.count(e) != 0; };
    full_.erase(std::remove_if(full_.begin(), full_.end(), gone), full_.end());
    view_.erase(std::remove_if(view_.begin(), view_.end(), gone), view_.end());
    for (WordEntry* e : doomed)
        release(e);
    if (!keepTextFlag)
        textChanged = true;
}

void Book::clear()
{
    if (blocks_.empty()) {
        for (WordEntry* e : full_)
            delete e;
    } else {
        for (WordEntry* e : full_) {
            if (!blockOf(e))
                delete e;
        }
    }
    full_.clear();
    view_.clear();
    blocks_.clear();
    textBuffers_.clear();
    nextSeq = 0;
}

bool Book::SetStrangeness(int viewRow, int column, int value, int step)
{
    WordEntry* e = atView(viewRow);
    if (!e)
        return false;
    uint8_t* degree = e->strangeness(column);
    if (!degree || value < 0)
        return false;
    if (value <= kMaxStrangeness) {
        *degree = uint8_t(value);
        return true;
    }
    const int next = int(*degree) + step;
    if (next < 0 || next > kMaxStrangeness)
        return false;
    *degree = uint8_t(next);
    return true;
}

void Book::StampReviewTime(int viewRow, const Clock& clock)
{
    if (WordEntry* e = atView(viewRow))
        e->stored.review = toEntryTime(clock.localNow());
}

void Book::adoptTextBuffer(QByteArray bytes)
{
    textBuffers_.push_back(std::move(bytes));
}

QByteArrayView Book::textBuffer() const
{
    return textBuffers_.empty() ? QByteArrayView() : QByteArrayView(textBuffers_.back());
}

} // namespace lex
