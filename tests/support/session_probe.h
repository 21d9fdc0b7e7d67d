#pragma once
// The open Book of a session, writable, for tests that arrange a state no operation makes (a flag
// as a load left it, a value a practice run left behind) or fill a Book before announceReset().
// The program has no such way in: every change there is an operation run by the session.

#include "lexora/book/book_session.h"

namespace lex {

struct BookSessionProbe {
    static Book& book(BookSession& s) { return s.book_; }
};

} // namespace lex

namespace lextest {

inline lex::Book& writableBook(lex::BookSession& s) { return lex::BookSessionProbe::book(s); }

} // namespace lextest
