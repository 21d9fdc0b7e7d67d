#pragma once
// CLexoraDlg: the word-book page of the outer window. The list, its five check boxes and the
// three-pane status bar; it owns the open Book, the dictionary, the speech output and the fonts,
// and carries out the word-book commands (14000-14019) and the list's own requests. Every edit
// of the open Book is a step of its history (撤销 14018, 重做 14019).

#include "common/dictionary/dictionary.h"
#include "common/platform/link_protocol.h"
#include "lexora/app/app_services.h"
#include "lexora/book/book_session.h"
#include "lexora/wordlist/find_dialog.h"
#include "lexora/wordlist/my_list_ctrl.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

class QLabel;
class QMenu;

namespace lex {

class CImageButton;
class CompanionLink;
class Profile;
class SpeechOutput;
class StatusAnimation;

class CLexoraDlg : public QWidget, public ListHost {
    Q_OBJECT
public:
    static inline const QColor kBackground{185, 209, 234};
    static constexpr int kStatusBarHeight = 18;
    static constexpr int kPaneWidth = 55;

    CLexoraDlg(const AppServices& services, QWidget* parent = nullptr);
    ~CLexoraDlg() override;

    // Every start-up step, in order: status bar, dictionary, speech and voice folder, check
    // boxes, list, fonts, Book path and name (with their questions), the load, the focused row.
    // `forbidWinStick` is the outer window's no-snapping flag, kept for the settings.
    void initialise(const QString& programFolder, Profile& profile, bool* forbidWinStick);

    // The word-book half of the shutdown: speech settings, the save (unless "退出(不保存)"),
    // then the window's keys of Config.INI. Runs once; later calls do nothing.
    void shutDown(Profile& profile);

    bool onCommand(int id, qintptr param) override;

    // ListHost
    bool isToggleChecked(int controlId) const override;
    void setSelectionText(const QString& text) override;
    void SpeakWord(const QString& word) override;
    bool lookUpWord(QStringView word, QString& explanation, QString& phonetic) override;

    // The private message 90002: a text for pane 0.
    void showStatusText(const QString& text);
    // The status-line animation that follows a practice run.
    void startStatusAnimation();
    StatusAnimation& statusAnimation() { return *animation_; }

    // The word of a view row goes to the companion dictionary (the list's double-click).
    void sendRowToCompanion(int row);
    // Glosix's "AddTo": the word joins the open Book as the add dialog would add it, and the list
    // shows the new row.
    LinkAddOutcome addFromCompanion(const QString& word);

    // The settings dialog (14013) and the changes it makes here (lexora_dlg_settings.cpp).
    void openSettings();
    // Saves the Book to its folder and opens the same Book name from `folder`; refused (false,
    // nothing changed) when the folder does not exist or the save did not succeed.
    bool changeBookFolder(const QString& folder);
    void setFontType(int fontType);

    // 导入/导出 (14000, 14001) and the practice commands (14004, 14014-14016); the dialogs
    // themselves live with the import/export and practice code.
    void openImportExport(bool importMode);
    void runPracticeCommand(int id);
    // 今日复习 (14020): the due counts; a degree's button selects its due rows and starts its practice.
    void openTodayReview();

    Book& book() { return session_.book(); }
    BookSession& session() { return session_; }
    BookHistory& history() { return session_.history(); }
    // Enables 撤销 and 重做 of `menu` (the 编辑 pop-up) exactly while they can be used.
    void bindHistoryActions(QMenu* menu);
    const SortState& sortState() const { return session_.sortState(); }
    CMyListCtrl* list() const { return list_; }
    CImageButton* toggle(int controlId) const;
    QString paneText(int pane) const;
    QString statusText() const { return statusText_; }
    const QString& programFolder() const { return programFolder_; }
    int fontType() const { return fontType_; }
    const QFont& listFont() const { return listFont_; }
    const QFont& phoneticFont() const { return phoneticFont_; }
    SpeechOutput* speech() const { return speech_.get(); }
    const Dictionary& dictionary() const { return dict_; }
    bool* forbidWinStick() const { return forbidWinStick_; }
    // The modeless find window while it is open.
    CMyFindDialog* findDialog() const { return find_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void showEvent(QShowEvent*) override;

private:
    void buildControls();
    void layoutChildren();
    void onToggle(int id);
    SaveQuestions saveQuestions();
    BookFileHooks loadHooks();
    bool save();
    void deleteSelected(qintptr param);
    void updateStatusText();
    bool requireSelection(int minimum, const QString& message);
    // The commands that open the editing dialogs.
    void addOrModify(bool modify);
    void openFind();
    void assignClassName();
    void filterSelection();
    void groups(bool moveMode);

    AppServices services_;
    QString programFolder_;
    std::unique_ptr<Profile> profile_;   // Config.INI, for the dialogs that keep their settings
    QPointer<CMyFindDialog> find_;
    bool* forbidWinStick_ = nullptr;
    bool shutDown_ = false;

    // Declared before the list, which points into it: the destructor removes the list first.
    BookSession session_;
    Dictionary dict_{DictVariant::Main};
    std::unique_ptr<SpeechOutput> speech_;
    std::unique_ptr<CompanionLink> companion_;
    StatusAnimation* animation_ = nullptr;

    CMyListCtrl* list_ = nullptr;
    QWidget* statusBar_ = nullptr;
    QLabel* panes_[3] = {nullptr, nullptr, nullptr};
    QString statusText_;

    int fontType_ = 0;
    QFont listFont_;
    QFont phoneticFont_;
    QFont dialogFont_;
};

} // namespace lex
