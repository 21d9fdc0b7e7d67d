#pragma once
// Strangeness and what practice writes. StrangenessOp is an edit (every change of a degree from
// the list: pop-up menu, keys, mouse); the others record practice results and the reveal flags,
// which are never undone, so they run through the session but never enter the history.

#include "lexora/book/book_operation.h"
#include "lexora/book/practice_writer.h"

#include <vector>

namespace lex {

class Clock;

// One degree of every row of `rows` changed; a row at the end of the scale keeps its value when
// stepped, the others still change. result() is the number of rows the change applied to. An undo
// (or redo) only moves a degree that is still where this step left it: a practice run since then
// keeps its value. Repeated steps of the same rows and degree merge into one step.
class StrangenessOp : public BookOperation {
public:
    StrangenessOp(std::vector<int> rows, Degree degree, DegreeChange change);
    void redo() override;
    void undo() override { move(after_, before_); }
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;
    int result() const { return applied_; }
    std::vector<int> touched() const override { return changedRows_; }
    size_t cost() const override;

private:
    void move(const std::vector<uint8_t>& from, const std::vector<uint8_t>& to);

    std::vector<int> rows_;          // asked for
    Degree degree_;
    DegreeChange change_;
    bool done_ = false;
    int applied_ = 0;
    std::vector<int> changedRows_;   // ascending
    std::vector<uint8_t> before_, after_;
};

// The review time of `row` stamped from the list with the clock's local time; the session's
// listeners hear it as a stamp of `kind`.
class StampReviewOp : public BookOperation {
public:
    StampReviewOp(int row, StampKind kind, const Clock& clock) : row_(row), kind_(kind), clock_(clock) {}
    bool undoable() const override { return false; }
    void redo() override;

private:
    int row_;
    StampKind kind_;
    const Clock& clock_;
};

// One settled practice answer (Book::applyAnswer): the entry stamped and, when not answered
// right, its temporary strangeness raised; the session's listeners hear the answer.
class PracticeAnswerOp : public BookOperation {
public:
    explicit PracticeAnswerOp(const PracticeAnswer& answer) : answer_(answer) {}
    bool undoable() const override { return false; }
    void redo() override;
    const PracticeAnswer& answer() const { return answer_; }

private:
    PracticeAnswer answer_;
};

// The practice engine's writer in the program: each settled answer is a PracticeAnswerOp run by
// `session`.
class SessionPracticeWriter : public PracticeWriter {
public:
    explicit SessionPracticeWriter(BookSession& session) : session_(session) {}
    void settle(const PracticeAnswer& answer) override;

private:
    BookSession& session_;
};

// The reveal flag flipped on every row of `rows`; the first row, when it became revealed, is
// stamped.
class RevealOp : public BookOperation {
public:
    RevealOp(std::vector<int> rows, const Clock& clock) : rows_(std::move(rows)), clock_(clock) {}
    bool undoable() const override { return false; }
    void redo() override;

private:
    std::vector<int> rows_;
    const Clock& clock_;
};

// Every entry revealed or hidden (the column toggles).
class RevealAllOp : public BookOperation {
public:
    explicit RevealAllOp(bool reveal) : reveal_(reveal) {}
    bool undoable() const override { return false; }
    void redo() override;

private:
    bool reveal_;
};

// A practice run starts: at most the first 100 of `selected` (ascending), their temporary
// strangeness cleared. result() is the rows the run practises.
class BeginPracticeOp : public BookOperation {
public:
    explicit BeginPracticeOp(std::vector<int> selected) : selected_(std::move(selected)) {}
    bool undoable() const override { return false; }
    void redo() override;
    std::vector<int32_t> result() const { return rows_; }

private:
    std::vector<int> selected_;
    std::vector<int32_t> rows_;
};

// A practice run ended: the rows it practised are announced once more, for views that waited for
// the end of the run.
class EndPracticeOp : public BookOperation {
public:
    explicit EndPracticeOp(std::vector<int32_t> rows) : rows_(std::move(rows)) {}
    bool undoable() const override { return false; }
    void redo() override;

private:
    std::vector<int32_t> rows_;
};

} // namespace lex
