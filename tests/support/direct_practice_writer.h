#pragma once
// A practice writer straight into a Book no session holds, for the tests that drive the practice
// engine or window on a Book of their own; it keeps every answer it was given. The program's
// writer runs each answer as an operation of the session instead (SessionPracticeWriter).

#include "lexora/book/book.h"
#include "lexora/book/practice_writer.h"

#include <vector>

namespace lextest {

struct DirectPracticeWriter : lex::PracticeWriter {
    explicit DirectPracticeWriter(lex::Book& b) : book(b) {}
    void settle(const lex::PracticeAnswer& answer) override
    {
        book.applyAnswer(answer);
        answers.push_back(answer);
    }

    lex::Book& book;
    std::vector<lex::PracticeAnswer> answers;
};

} // namespace lextest
