#pragma once
// CMyListBookDialog (从词表新建组, template 220): the dictionary's word lists with their counts,
// buttons that add the chosen list to the combination with + (either), - (without) or & (both),
// "minus the words of a Book", the combination itself (typed or built), its live count, the
// order, the degrees and the new Book's name. 新建并切换 makes the Book through the form; the
// word-book window switches to it after the dialog closed. The logic is ListBookForm's.

#include "common/ui/template_dialog.h"
#include "lexora/book/list_book.h"
#include "resources/resource_ids.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace lex {

class Clock;
class UserServices;

class CMyListBookDialog : public ui::TemplateDialog {
    Q_OBJECT
public:
    // `form`, `ui` and `clock` outlive the dialog.
    CMyListBookDialog(ListBookForm& form, UserServices* ui, const Clock& clock, QWidget* parent = nullptr);

    bool onCommand(int id, qintptr param) override;

    // The Book made (empty until 新建并切换 succeeded).
    const QString& madeName() const { return made_; }

private:
    void addChosenList(QChar op);
    void expressionEdited();
    void showCount();
    void makeBook();

    ListBookForm& form_;
    UserServices* ui_;
    const Clock& clock_;
    QListWidget* lists_ = nullptr;
    QLineEdit* expression_ = nullptr;
    QLineEdit* name_ = nullptr;
    bool nameTyped_ = false;
    QString made_;
};

} // namespace lex
