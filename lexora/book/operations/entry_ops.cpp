#include "lexora/book/operations/entry_ops.h"

#include "lexora/book/book_file.h"
#include "lexora/book/book_session.h"

#include <algorithm>
#include <numeric>

namespace lex {

// ---- rows out and back -----------------------------------------------------------------------

RowsOp::~RowsOp() = default;

size_t RowsOp::cost() const
{
    return sizeof(*this) + rows_.capacity() * sizeof(int) + keptBytes_;
}

std::vector<int> RowsOp::touched() const
{
    return taken_.empty() && !all_ ? rows_ : std::vector<int>();
}

DeleteOutcome RowsOp::takeOut()
{
    DeleteOutcome out;
    Book& b = book();
    const RowRanges ranges = rowRanges(rows_, b.size());
    if (ranges.empty())
        return out;
    for (const RowRange& r : ranges)
        out.removed += r.last - r.first + 1;
    if (out.removed == b.size()) {
        // The entries go, the numbering goes on: the next word added is number n + 1. Only a
        // switch to another Book starts counting afresh.
        const int32_t next = b.nextSeq;
        all_ = b.takeAll();
        keptBytes_ = all_->bytes();
        b.clear();
        b.nextSeq = next;
        out.cleared = true;
        announceReset();
        return out;
    }
    std::vector<int> list;
    list.reserve(size_t(out.removed));
    for (const RowRange& r : ranges)
        for (int i = r.first; i <= r.last; ++i)
            list.push_back(i);
    taken_ = b.takeViewRows(list);
    keptBytes_ = 0;
    for (const Book::Taken& t : taken_) {
        keptBytes_ += sizeof(Book::Taken) + sizeof(WordEntry);
        for (int f = 0; f < kTextFieldCount; ++f)
            keptBytes_ += size_t(t.entry->text(TextField(f)).size()) * sizeof(char16_t);
    }
    out.selectRow = std::max(0, ranges.front().first - 1);
    announceRemoved(ranges);
    return out;
}

void RowsOp::putBack()
{
    Book& b = book();
    keptBytes_ = 0;
    if (all_) {
        const int n = all_->size();
        b.putBackAll(std::move(all_));
        if (n > 0)
            announceInserted({{0, n - 1}});
    }
    if (!taken_.empty()) {
        std::vector<int> rows;
        rows.reserve(taken_.size());
        for (const Book::Taken& t : taken_)
            rows.push_back(t.viewRow);
        b.putBack(std::move(taken_));
        taken_.clear();
        announceInserted(rowRanges(std::move(rows), b.size()));
    }
}

// ---- add -------------------------------------------------------------------------------------

AddOp::AddOp(std::unique_ptr<WordEntry> entry) : RowsOp(QStringLiteral("添加")), entry_(std::move(entry)) {}

void AddOp::redo()
{
    if (!entry_) {
        putBack();
        return;
    }
    changed_ = book().AddEntry(std::move(entry_), AddMode::Interactive);
    if (!changed_)
        return;
    const int row = book().size() - 1;
    rows_ = {row};
    announceInserted({{row, row}});
}

// ---- delete and move -------------------------------------------------------------------------

DeleteOp::DeleteOp(std::vector<int> rows) : RowsOp(QStringLiteral("删除"))
{
    rows_ = std::move(rows);
}

void DeleteOp::redo()
{
    outcome_ = takeOut();
    changed_ = outcome_.removed > 0;
}

MoveToOp::MoveToOp(std::vector<int> rows, QString target, bool move)
    : DeleteOp(std::move(rows)), target_(std::move(target)), move_(move)
{
    setText(QStringLiteral("移动到组 %1").arg(target_));
}

void MoveToOp::redo()
{
    if (!appended_) {
        appended_ = true;
        // Names are compared exactly: on this system "book" and "Book" are two Books.
        if (target_ == book().name) {
            intoOpenBook_ = true;
            return;
        }
        std::vector<const WordEntry*> entries;
        for (const RowRange& r : rowRanges(rows_, book().size()))
            for (int i = r.first; i <= r.last; ++i)
                entries.push_back(book().atView(i));
        if (entries.empty())
            return;
        append_ = AppendToBook(entries, book().path, target_, session().env());
        if (append_.failed() || !move_)
            return;
    }
    DeleteOp::redo();
}

void MoveToOp::undo()
{
    const int n = outcome_.removed;
    putBack();
    notice(QStringLiteral("已撤销移动：%1 项已放回当前组。\n组\"%2\"中的副本仍然保留，需要时请在那个组中删除。")
               .arg(n)
               .arg(target_));
}

// ---- modify ----------------------------------------------------------------------------------

namespace {

EntryEdit editOf(const WordEntry& e)
{
    return {e.word().toString(),    e.phonetic().toString(), e.explanation().toString(), e.comment().toString(),
            e.stored.recognition,   e.stored.spelling,       e.stored.listening};
}

// Writes `edit` into `e`; true when a text differed (the Book's text is then modified).
bool writeEntry(Book& book, WordEntry& e, const EntryEdit& edit)
{
    const QString word = withoutFieldSelectors(edit.word);
    const QString phonetic = withoutFieldSelectors(edit.phonetic);
    const QString explanation = withoutFieldSelectors(edit.explanation);
    const QString comment = withoutFieldSelectors(edit.comment);
    const bool changed = e.word() != word || e.phonetic() != phonetic || e.explanation() != explanation ||
                         e.comment() != comment;
    if (changed) {
        e.setWord(word);
        e.setPhonetic(phonetic);
        e.setExplanation(explanation);
        e.setComment(comment);
        book.textChanged = true;
    }
    e.stored.recognition = std::min<uint8_t>(edit.recognition, kMaxStrangeness);
    e.stored.spelling = std::min<uint8_t>(edit.spelling, kMaxStrangeness);
    e.stored.listening = std::min<uint8_t>(edit.listening, kMaxStrangeness);
    return changed;
}

} // namespace

ModifyOp::ModifyOp(int row, EntryEdit edit) : BookOperation(QStringLiteral("修改")), row_(row), after_(std::move(edit)) {}

void ModifyOp::redo()
{
    WordEntry* e = book().atView(row_);
    if (!e)
        return;
    const QString word = e->word().toString();
    if (!outcome_.done) {
        // What would be stored: setText() drops field selectors.
        if (trimmedWord(withoutFieldSelectors(after_.word)).isEmpty())
            return;
        before_ = editOf(*e);
        outcome_.done = true;
        outcome_.textChanged = writeEntry(book(), *e, after_);
        after_ = editOf(*e);
        changed_ = before_ != after_;
    } else {
        writeEntry(book(), *e, after_);
    }
    announceChanged(row_, row_);
    announceWordChanged(word, *e);
}

void ModifyOp::undo()
{
    if (WordEntry* e = book().atView(row_)) {
        const QString word = e->word().toString();
        writeEntry(book(), *e, before_);
        announceChanged(row_, row_);
        announceWordChanged(word, *e);
    }
}

size_t ModifyOp::cost() const
{
    auto texts = [](const EntryEdit& d) {
        return size_t(d.word.size() + d.phonetic.size() + d.explanation.size() + d.comment.size()) * sizeof(char16_t);
    };
    return sizeof(*this) + texts(before_) + texts(after_);
}

// ---- class name ------------------------------------------------------------------------------

ClassNameOp::ClassNameOp(std::vector<int> rows, const QString& name)
    : BookOperation(QStringLiteral("指定类名")), rows_(std::move(rows)), name_(withoutFieldSelectors(name))
{
}

void ClassNameOp::redo()
{
    Book& b = book();
    if (!done_) {
        done_ = true;
        std::vector<int> changed;
        for (const RowRange& r : rowRanges(rows_, b.size())) {
            for (int i = r.first; i <= r.last; ++i) {
                WordEntry* e = b.atView(i);
                if (e->className() == name_)
                    continue;
                before_.push_back(e->className().toString());
                changed.push_back(i);
            }
        }
        rows_ = std::move(changed);
        changed_ = !rows_.empty();
    }
    for (int row : rows_)
        b.atView(row)->setClassName(name_);
    if (!rows_.empty())
        b.textChanged = true;
    announceChanged(rowRanges(rows_, b.size()));
}

void ClassNameOp::undo()
{
    Book& b = book();
    for (size_t i = 0; i < rows_.size(); ++i)
        if (WordEntry* e = b.atView(rows_[i]))
            e->setClassName(before_[i]);
    if (!rows_.empty())
        b.textChanged = true;
    announceChanged(rowRanges(rows_, b.size()));
}

size_t ClassNameOp::cost() const
{
    size_t n = sizeof(*this) + rows_.capacity() * sizeof(int) + size_t(name_.size()) * 2;
    for (const QString& s : before_)
        n += sizeof(QString) + size_t(s.size()) * sizeof(char16_t);
    return n;
}

} // namespace lex
