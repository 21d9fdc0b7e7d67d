#pragma once
// CMyCategory (template 206): the Books of the Book folder. In switch mode ("新建&切换组") it
// creates a Book with "添加" and picks the Book to switch to; in move/copy mode ("移动&复制到组")
// it picks the Book that the selected rows are appended to. The word-book window carries out the
// switch or the move/copy after the dialog closes.

#include "common/ui/template_dialog.h"
#include "resources/resource_ids.h"

class QComboBox;
class QTextEdit;

namespace lex {

class Env;
class UserServices;

class CMyCategory : public ui::TemplateDialog {
    Q_OBJECT
public:
    static constexpr int kNewName = res::category_dlg::kNewName, kAdd = res::category_dlg::kAdd,
                         kBooks = res::category_dlg::kBooks, kCount = res::category_dlg::kCount,
                         kVersion = res::category_dlg::kVersion, kFolder = res::category_dlg::kFolder,
                         kMove = res::category_dlg::kMove, kCopy = res::category_dlg::kCopy,
                         kDiscard = res::category_dlg::kDiscard, kNote = res::category_dlg::kNote;

    struct Inputs {
        QString folder;        // the Book folder, ending in "/"
        QString openName;      // the open Book, never offered
        bool moveMode = false;
        Env* env = nullptr;    // null: the real file system
        UserServices* ui = nullptr;
    };
    explicit CMyCategory(Inputs inputs, QWidget* parent = nullptr);

    bool onCommand(int id, qintptr param) override;

    // Results, read after the dialog closed.
    QString chosenName() const { return chosen_; }   // the open Book's name when nothing was chosen
    bool move() const { return move_; }               // move/copy mode: "移动" rather than "复制"
    bool discard() const { return discard_; }         // switch mode: "不保存原内容"

    // Lists the folder again and selects the chosen name (also each time the list drops down).
    void refill();

private:
    void showFigures();
    void addBook();

    Inputs in_;
    QComboBox* books_ = nullptr;
    QString chosen_;
    bool move_ = false;
    bool discard_ = false;
};

} // namespace lex
