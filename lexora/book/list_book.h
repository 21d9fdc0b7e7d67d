#pragma once
// A new word book made from words chosen elsewhere (the dictionary's word lists): each entry as
// the add dialog would make it, in the order given, and the words of an existing Book for a list
// expression's book: term.

#include "common/dictionary/word_lists.h"
#include "lexora/book/book_folder.h"
#include "lexora/book/skills.h"

#include <QDateTime>
#include <QSet>
#include <QStringList>
#include <array>

namespace lex {

class Dictionary;

struct NewBookFromWords {
    QString folder;  // ending in '/'
    QString name;
    QStringList words;                        // in Book order
    const Dictionary* dict = nullptr;         // the phonetics and explanations (may be null)
    std::array<uint8_t, kSkillCount> degrees{10, 10, 10}; // recognition, spelling, listening
    QDateTime now;                            // the entries' added and review time
    // Words the learner knows already (a vocabulary test found them): these get `knownDegrees`.
    QSet<QString> known;
    std::array<uint8_t, kSkillCount> knownDegrees{1, 1, 1};
};

// Makes folder/name.idx and .txt holding the words, both or neither: nothing is written when the
// name is no Book name or either file exists. Words the add dialog would refuse, and repeats, are
// left out; *added (optional) gets the count of entries written.
CreateBookFailure makeBookFromWords(Env* env, const NewBookFromWords& request, int* added = nullptr);

// The words of the Book PATH/STEM ("Book/English"; a relative path from the current folder):
// MissingBook without its index file, UnreadableBook when it cannot be read. Reads, never writes.
ListExprError::Why readBookWords(Env* env, const QString& pathStem, QStringList* words);

// What the dialog "从词表新建组" holds and does, without its window: the dictionary's lists with
// their counts, the expression the learner builds from them (typed, or a list added with an
// operator), the order, the degrees, the new Book's name; the live count; the making.
class ListBookForm {
public:
    // `table` and `dict` (may be null) outlive the form; `folder` is the Book folder (ending in '/').
    ListBookForm(const WordInfoTable& table, const Dictionary* dict, Env* env, QString folder);

    const QString& folder() const { return folder_; }
    const Dictionary* dictionary() const { return dict_; }
    Env* env() const { return env_; }

    // The lists the dictionary offers (none when it keeps no word lists), with their counts.
    const std::vector<NamedList>& lists() const { return lists_; }
    // The folder's Books, for "minus the words of a Book".
    QStringList books() const;
    // The term that names the folder's Book `name` in an expression.
    QString bookTerm(const QString& name) const;

    const QString& expression() const { return expression_; }
    void setExpression(const QString& text);
    // Adds `term` to the expression with `op` ('+', '-' or '&'); the term alone when it is empty.
    void addTerm(QChar op, const QString& term);

    ListOrder order = ListOrder::Frq;
    std::array<uint8_t, kSkillCount> degrees{10, 10, 10};
    QString name;
    QSet<QString> known; // these words get low degrees (NewBookFromWords::knownDegrees)

    // The words the expression names now, or why it names none (empty: Why::Empty).
    struct Preview {
        qsizetype count = 0;
        ListExprError error;
    };
    Preview preview();
    // The Book made, in the chosen order; a failure of the expression first (nothing made).
    struct Made {
        ListExprError error;
        CreateBookFailure failure;
        int added = 0;
        bool ok() const { return !error.failed() && !failure.failed(); }
    };
    Made make(const QDateTime& now);

private:
    const WordInfoTable& table_;
    const Dictionary* dict_;
    Env* env_;
    QString folder_;
    std::vector<NamedList> lists_;
    QString expression_;
    bool fresh_ = false; // words_ and error_ follow expression_
    QStringList words_;
    ListExprError error_;
};

} // namespace lex
