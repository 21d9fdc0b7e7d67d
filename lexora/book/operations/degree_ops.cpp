#include "lexora/book/operations/degree_ops.h"

#include "common/platform/sources.h"
#include "lexora/book/book_session.h"
#include "lexora/book/list_ops.h"

namespace lex {

namespace {
constexpr int kStepId = 1;   // id() of degree steps, which merge
} // namespace

StrangenessOp::StrangenessOp(std::vector<int> rows, Degree degree, DegreeChange change)
    : BookOperation(QStringLiteral("陌生度")), rows_(std::move(rows)), degree_(degree), change_(change)
{
}

void StrangenessOp::redo()
{
    if (done_) {
        move(before_, after_);
        return;
    }
    done_ = true;
    Book& b = book();
    for (const RowRange& r : rowRanges(rows_, b.size())) {
        for (int i = r.first; i <= r.last; ++i) {
            const uint8_t was = b.atView(i)->strangeness(degree_);
            if (!b.SetStrangeness(i, degree_, change_))
                continue;
            ++applied_;
            const uint8_t now = b.atView(i)->strangeness(degree_);
            if (now == was)
                continue;
            changedRows_.push_back(i);
            before_.push_back(was);
            after_.push_back(now);
        }
    }
    changed_ = !changedRows_.empty();
    announceChanged(rowRanges(changedRows_, b.size()));
}

void StrangenessOp::move(const std::vector<uint8_t>& from, const std::vector<uint8_t>& to)
{
    Book& b = book();
    std::vector<int> moved;
    for (size_t i = 0; i < changedRows_.size(); ++i) {
        WordEntry* e = b.atView(changedRows_[i]);
        if (e && e->strangeness(degree_) == from[i]) {
            e->strangeness(degree_) = to[i];
            moved.push_back(changedRows_[i]);
        }
    }
    announceChanged(rowRanges(std::move(moved), b.size()));
}

int StrangenessOp::id() const
{
    return change_.isStep() ? kStepId : -1;
}

bool StrangenessOp::mergeWith(const QUndoCommand* other)
{
    const auto* o = dynamic_cast<const StrangenessOp*>(other);
    if (!o || o->degree_ != degree_ || !(o->change_ == change_) || o->rows_ != rows_)
        return false;
    // Row by row: the first value from this step, the last from the other.
    std::vector<int> rows;
    std::vector<uint8_t> before, after;
    size_t i = 0, j = 0;
    while (i < changedRows_.size() || j < o->changedRows_.size()) {
        const bool mine = j == o->changedRows_.size() ||
                          (i < changedRows_.size() && changedRows_[i] <= o->changedRows_[j]);
        const bool theirs = i == changedRows_.size() ||
                            (j < o->changedRows_.size() && o->changedRows_[j] <= changedRows_[i]);
        rows.push_back(mine ? changedRows_[i] : o->changedRows_[j]);
        before.push_back(mine ? before_[i] : o->before_[j]);
        after.push_back(theirs ? o->after_[j] : after_[i]);
        i += mine;
        j += theirs;
    }
    changedRows_ = std::move(rows);
    before_ = std::move(before);
    after_ = std::move(after);
    return true;
}

size_t StrangenessOp::cost() const
{
    return sizeof(*this) + rows_.capacity() * sizeof(int) + changedRows_.capacity() * sizeof(int) +
           before_.capacity() + after_.capacity();
}

// ---- practice results and reveal flags -------------------------------------------------------

void StampReviewOp::redo()
{
    if (!book().atView(row_))
        return;
    const QDateTime at = clock_.localNow();
    book().StampReviewTime(row_, at);
    changed_ = true;
    announceChanged(row_, row_);
    tellStamped(row_, kind_, at);
}

void PracticeAnswerOp::redo()
{
    changed_ = book().applyAnswer(answer_);
    if (!changed_)
        return;
    announceChanged(answer_.row, answer_.row);
    tellAnswered(answer_);
}

void SessionPracticeWriter::settle(const PracticeAnswer& answer)
{
    session_.run(std::make_unique<PracticeAnswerOp>(answer));
}

void RevealOp::redo()
{
    Book& b = book();
    const RowRanges ranges = rowRanges(rows_, b.size());
    bool first = true;
    for (const RowRange& r : ranges) {
        for (int i = r.first; i <= r.last; ++i) {
            WordEntry* e = b.atView(i);
            e->reveal = !e->reveal;
            if (first && e->reveal)
                b.StampReviewTime(i, clock_);
            first = false;
        }
    }
    changed_ = !ranges.empty();
    announceChanged(ranges);
}

void RevealAllOp::redo()
{
    for (WordEntry* e : book().full())
        e->reveal = reveal_;
    changed_ = !book().empty();
    announceAll();
}

void BeginPracticeOp::redo()
{
    rows_ = takePracticeRows(book(), std::vector<int32_t>(selected_.begin(), selected_.end()));
    changed_ = !rows_.empty();
    announceChanged(rowRanges(std::vector<int>(rows_.begin(), rows_.end()), book().size()));
}

void EndPracticeOp::redo()
{
    changed_ = !rows_.empty();
    announceChanged(rowRanges(std::vector<int>(rows_.begin(), rows_.end()), book().size()));
}

} // namespace lex
