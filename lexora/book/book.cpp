#include "lexora/book/book.h"

#include "common/platform/huge_pages.h"
#include "common/platform/sources.h"

#include <QDateTime>
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <unordered_map>
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

bool Book::AddEntry(std::unique_ptr<WordEntry> entry, AddMode mode)
{
    if (!entry || entry->word().isEmpty())
        return false;
    if (mode == AddMode::Interactive) {
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
    return blockIn(blocks_, e);
}

Book::Block* Book::blockIn(std::vector<Block>& blocks, const WordEntry* e)
{
    std::less<const WordEntry*> lt;
    for (Block& b : blocks) {
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

std::vector<Book::Taken> Book::takeViewRows(const std::vector<int>& rows, bool keepTextFlag)
{
    std::vector<int> sorted;
    sorted.reserve(rows.size());
    for (int r : rows)
        if (atView(r))
            sorted.push_back(r);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::vector<Taken> out(sorted.size());
    if (sorted.empty())
        return out;
    std::unordered_map<WordEntry*, size_t> slot;
    slot.reserve(sorted.size());
    for (size_t i = 0; i < sorted.size(); ++i) {
        out[i].viewRow = sorted[i];
        slot.emplace(view_[size_t(sorted[i])], i);
    }
    for (size_t i = 0; i < full_.size(); ++i)
        if (auto it = slot.find(full_[i]); it != slot.end())
            out[it->second].fullRow = int(i);
    auto gone = [&](WordEntry* e) { return slot.count(e) != 0; };
    full_.erase(std::remove_if(full_.begin(), full_.end(), gone), full_.end());
    view_.erase(std::remove_if(view_.begin(), view_.end(), gone), view_.end());
    for (auto& [e, i] : slot) {
        if (blockOf(e)) {
            out[i].entry = std::make_unique<WordEntry>(*e);
            release(e);
        } else {
            out[i].entry.reset(e);
        }
    }
    if (!keepTextFlag)
        textChanged = true;
    return out;
}

namespace {
// Merges `items` (ascending final positions) into `v`.
void insertAtPositions(std::vector<WordEntry*>& v, std::vector<std::pair<int, WordEntry*>>& items)
{
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<WordEntry*> out;
    out.reserve(v.size() + items.size());
    size_t src = 0;
    for (const auto& [pos, e] : items) {
        while (int(out.size()) < pos && src < v.size())
            out.push_back(v[src++]);
        out.push_back(e);
    }
    out.insert(out.end(), v.begin() + std::ptrdiff_t(src), v.end());
    v.swap(out);
}
} // namespace

void Book::putBack(std::vector<Taken> taken)
{
    if (taken.empty())
        return;
    std::vector<std::pair<int, WordEntry*>> inView, inFull;
    inView.reserve(taken.size());
    inFull.reserve(taken.size());
    reserve(taken.size());
    for (Taken& t : taken) {
        WordEntry* e = t.entry.release();
        inView.emplace_back(t.viewRow, e);
        inFull.emplace_back(t.fullRow, e);
        nextSeq = std::max(nextSeq, e->seq + 1);
    }
    insertAtPositions(view_, inView);
    insertAtPositions(full_, inFull);
    textChanged = true;
}

std::unique_ptr<Book::Contents> Book::takeAll()
{
    auto c = std::make_unique<Contents>();
    c->full.swap(full_);
    c->view.swap(view_);
    c->blocks.swap(blocks_);
    c->buffers.swap(textBuffers_);
    return c;
}

void Book::putBackAll(std::unique_ptr<Contents> c)
{
    if (!c)
        return;
    full_.insert(full_.begin(), c->full.begin(), c->full.end());
    view_.insert(view_.begin(), c->view.begin(), c->view.end());
    for (Block& b : c->blocks)
        blocks_.push_back(std::move(b));
    // The buffer adopted last stays last (textBuffer()).
    textBuffers_.insert(textBuffers_.begin(), std::make_move_iterator(c->buffers.begin()),
                        std::make_move_iterator(c->buffers.end()));
    for (const WordEntry* e : c->full)
        nextSeq = std::max(nextSeq, e->seq + 1);
    c->full.clear();
    c->view.clear();
    c->blocks.clear();
    c->buffers.clear();
    textChanged = true;
}

size_t Book::Contents::bytes() const
{
    size_t n = full.size() * (sizeof(WordEntry) + 2 * sizeof(WordEntry*));
    for (const QByteArray& b : buffers)
        n += size_t(b.capacity());
    return n;
}

Book::Contents::~Contents()
{
    for (WordEntry* e : full)
        if (!Book::blockIn(blocks, e))
            delete e;
}

bool Book::SetStrangeness(int viewRow, Degree degree, DegreeChange change)
{
    WordEntry* e = atView(viewRow);
    if (!e)
        return false;
    uint8_t& d = e->strangeness(degree);
    const int next = change.applied(d);
    if (next < 0)
        return false;
    d = uint8_t(next);
    return true;
}

void Book::StampReviewTime(int viewRow, const Clock& clock)
{
    StampReviewTime(viewRow, clock.localNow());
}

void Book::StampReviewTime(int viewRow, const QDateTime& at)
{
    if (WordEntry* e = atView(viewRow))
        e->stored.review = toEntryTime(at);
}

bool Book::applyAnswer(const PracticeAnswer& answer)
{
    if (!atView(answer.row))
        return false;
    StampReviewTime(answer.row, answer.at);
    if (answer.outcome != AnswerOutcome::Right)
        SetStrangeness(answer.row, Degree::Temporary, DegreeChange::by(Step::Up));
    return true;
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
