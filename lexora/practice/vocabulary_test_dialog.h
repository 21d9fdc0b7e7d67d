#pragma once
// CVocabularyTestDialog (词汇量测试, template 221): one word at a time with 认识 and 不认识; after
// some of the "认识" answers the word's meaning among four. At the end the estimate and its range,
// and two Books the learner may make in the Book folder: an exam list with the words up to the
// estimate marked as known (low degrees), or the 500 words just above the estimate. The logic is
// VocabularyQuiz's and ListBookForm's; the word-book window switches to a Book made.

#include "common/ui/template_dialog.h"
#include "lexora/book/list_book.h"
#include "lexora/practice/vocabulary_test.h"
#include "resources/resource_ids.h"

namespace lex {

class Clock;
class UserServices;

class CVocabularyTestDialog : public ui::TemplateDialog {
    Q_OBJECT
public:
    // Everything given outlives the dialog; `form` makes the Books (in its folder).
    CVocabularyTestDialog(VocabularyQuiz& quiz, ListBookForm& form, UserServices* ui, const Clock& clock,
                          QWidget* parent = nullptr);

    bool onCommand(int id, qintptr param) override;

    // The Book made from the result (empty when none was made).
    const QString& madeName() const { return made_; }
    // How many words the "above" Book takes.
    static constexpr int kAboveCount = 500;

private:
    void showQuestion();
    void makeKnownBook();
    void makeAboveBook();
    void finish(const QString& name, const ListExprError& error, const CreateBookFailure& failure);

    VocabularyQuiz& quiz_;
    ListBookForm& form_;
    UserServices* ui_;
    const Clock& clock_;
    QString made_;
};

} // namespace lex
