#pragma once
// CLexoraDlg: the word-book page of the outer window. It builds the list, its five check boxes
// and the three-pane status bar from template 102 and maps them to the WordBookController, which
// owns the open Book, the dictionary and the speech output and carries out every word-book
// command (14000-14020) and the list's own requests. The dialogs open through
// WordBookPageDialogs.

#include "lexora/app/word_book_controller.h"
#include "lexora/wordlist/my_list_ctrl.h"

#include <QFont>
#include <QString>
#include <QWidget>
#include <memory>

class QLabel;
class QMenu;

namespace lex {

class CImageButton;
class CMyFindDialog;
class WordBookPageDialogs;

class CLexoraDlg : public QWidget, public ListHost, public WordBookView {
    Q_OBJECT
public:
    static inline const QColor kBackground{185, 209, 234};
    static constexpr int kStatusBarHeight = 18;
    static constexpr int kPaneWidth = 55;   // at least; panes 1 and 2 grow to their longest text

    CLexoraDlg(const AppServices& services, QWidget* parent = nullptr);
    ~CLexoraDlg() override;

    // The start-up steps (the controller's, with the check boxes, list and fonts set here).
    // `forbidWinStick` is the outer window's no-snapping flag, kept for the settings.
    void initialise(const QString& programFolder, Profile& profile, bool* forbidWinStick);
    // The word-book half of the shutdown. Runs once; later calls do nothing.
    void shutDown(Profile& profile);

    bool onCommand(int id, qintptr param) override { return controller_->onCommand(id, param); }

    // ListHost
    bool isToggleChecked(int controlId) const override;
    void setSelectionText(const QString& text) override;
    void SpeakWord(const QString& word) override { controller_->SpeakWord(word); }
    bool lookUpWord(QStringView word, QString& explanation, QString& phonetic) override;
    QString recallText(const WordEntry& e) override { return controller_->recallText(e); }
    QString exampleText(const WordEntry& e) override { return controller_->exampleText(e); }

    // WordBookView
    std::vector<int> selectedRows() const override;
    int focusedRow() const override;
    void showRow(int row, bool keyboardFocus) override;
    void scrollToRow(int row) override;
    void selectRows(const std::vector<int>& rows) override;
    void narrowSelection(const std::function<bool(int row)>& keep) override;
    void focusList() override;
    void setToggleChecked(int controlId, bool on) override;
    void redrawList() override;
    void setPaneText(int pane, const QString& text) override;

    WordBookController& controller() { return *controller_; }
    void showStatusText(const QString& text) { controller_->showStatusText(text); }
    void startStatusAnimation() { controller_->startStatusAnimation(); }
    StatusAnimation& statusAnimation() { return controller_->statusAnimation(); }
    void sendRowToCompanion(int row) { controller_->sendRowToCompanion(row); }
    LinkAddOutcome addFromCompanion(const QString& word) { return controller_->addFromCompanion(word); }
    bool changeBookFolder(const QString& folder) { return controller_->changeBookFolder(folder); }
    void setFontType(int fontType);

    const Book& book() const { return controller_->book(); }
    BookSession& session() { return controller_->session(); }
    BookHistory& history() { return controller_->history(); }
    // Enables 撤销 and 重做 of `menu` (the 编辑 pop-up) exactly while they can be used.
    void bindHistoryActions(QMenu* menu);
    const SortState& sortState() const { return controller_->session().sortState(); }
    CMyListCtrl* list() const { return list_; }
    CImageButton* toggle(int controlId) const;
    QString paneText(int pane) const;
    QString statusText() const { return controller_->statusText(); }
    const QString& programFolder() const { return controller_->programFolder(); }
    int fontType() const { return fontType_; }
    const QFont& listFont() const { return listFont_; }
    const QFont& phoneticFont() const { return phoneticFont_; }
    const QFont& dialogFont() const { return dialogFont_; }
    SpeechOutput* speech() const { return controller_->speech(); }
    const Dictionary& dictionary() const { return controller_->dictionary(); }
    bool* forbidWinStick() const { return controller_->forbidWinStick(); }
    // The modeless find window while it is open.
    CMyFindDialog* findDialog() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void showEvent(QShowEvent*) override;

private:
    void buildControls();
    void layoutChildren();
    void applyConfig(const WordBookConfig& config, const QString& programFolder);

    std::unique_ptr<WordBookPageDialogs> dialogs_;
    // Declared before the list, which points into its session: the destructor removes the list first.
    std::unique_ptr<WordBookController> controller_;

    CMyListCtrl* list_ = nullptr;
    QWidget* statusBar_ = nullptr;
    QLabel* panes_[4] = {nullptr, nullptr, nullptr, nullptr}; // 3: today's plan, shown when set

    int fontType_ = 0;
    QFont listFont_;
    QFont phoneticFont_;
    QFont dialogFont_;
};

} // namespace lex
