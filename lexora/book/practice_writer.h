#pragma once
// PracticeWriter: all that a practice run may change in the Book it practises, which it otherwise
// only reads. In the program each call is one operation run by the open Book's session, off the
// history (SessionPracticeWriter, operations/degree_ops.h), so that the session's listeners (the
// learning record) hear of every answer there.

#include "lexora/book/skills.h"

namespace lex {

class PracticeWriter {
public:
    virtual ~PracticeWriter() = default;
    // An answer settled: its entry's review time is stamped and, unless it was answered right,
    // its temporary strangeness raised (Book::applyAnswer).
    virtual void settle(const PracticeAnswer& answer) = 0;
};

} // namespace lex
