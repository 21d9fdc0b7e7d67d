#pragma once
// The dictionary's word lists (exam lists, the Oxford 3000, Collins stars) combined by a short
// expression, and the order a word book made from them takes.
//
// An expression is list names joined by operators, read left to right without precedence:
// "cet6 - cet4", "gre - toefl - ielts - cet6", "cet4 & oxford3000 + collins5". Operators: '+' the
// words of either, '-' those of the left without those of the right, '&' those of both. Names:
// zk gk cet4 cet6 ky ielts toefl gre, oxford3000, collinsN (N stars or more, 1 to 5), and
// book:PATH/STEM, the words of an existing word book. A book name runs to the next operator that
// has a blank before it (so a path may hold '-' or blanks), the other names to the next
// character that is no letter or digit.

#include "common/dictionary/word_info.h"
#include "common/platform/status.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <vector>

namespace lex {

struct ListTerm {
    enum class Kind { Exam, Oxford, Collins, Book };
    Kind kind = Kind::Exam;
    int value = 0;  // Exam: the Exam; Collins: the least stars
    QString book;   // Book: PATH/STEM as written
    bool operator==(const ListTerm&) const = default;
};

struct ListExpression {
    std::vector<ListTerm> terms;
    QString ops; // between terms: ops[i] joins the result so far with terms[i + 1]
};

// Why an expression was refused, and where.
struct ListExprError {
    enum class Why {
        None,
        Empty,          // nothing but blanks
        NameExpected,   // an operator, or the end, where a list name belongs (at `position`)
        OperatorExpected, // a name or another character where an operator belongs (at `position`)
        UnknownList,    // `subject` is no list name
        MissingBook,    // book:`subject` names no word book
        UnreadableBook, // book:`subject` could not be read
    };
    Why why = Why::None;
    qsizetype position = 0; // in the expression, 0-based
    QString subject;
    bool failed() const { return why != Why::None; }
};

ListExprError parseListExpression(QStringView text, ListExpression* out);

// The name a term is written with ("cet4", "collins3", "book:Book/English").
QString listTermName(const ListTerm& term);

// The lists a dictionary offers without a book, in the order a learner is shown them, and how many
// words each holds in `table`.
struct NamedList {
    ListTerm term;
    qsizetype count = 0;
};
std::vector<NamedList> dictionaryLists(const WordInfoTable& table);

// The words of the word book PATH/STEM, or why not (MissingBook or UnreadableBook).
using BookWordsReader = std::function<ListExprError::Why(const QString& book, QStringList* words)>;

// The words the expression names, without repeats, in no particular order. Book words need not be
// in the table. Fails only for a book term that `readBook` cannot give (a null reader: every book
// term fails as MissingBook).
ListExprError evaluateListExpression(const ListExpression& expr, const WordInfoTable& table,
                                     const BookWordsReader& readBook, QStringList* words);

enum class ListOrder { Frq, Bnc, Collins, Alpha };
// "frq", "bnc", "collins", "alpha".
const char* listOrderName(ListOrder order);
bool parseListOrder(QStringView name, ListOrder* order);

// Sorts `words` for learning: by the frequency rank (most frequent first), the BNC rank, the
// Collins stars (most first, then by frequency rank) or alphabetically (without regard to case,
// then exactly). Words without the rank or stars asked for (or not in the table) come last,
// alphabetically.
void orderWords(QStringList* words, const WordInfoTable& table, ListOrder order);

} // namespace lex
