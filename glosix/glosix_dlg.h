#pragma once
// CGlosixDlg: the companion dictionary window "Glosix". The learner types a word and presses
// "查询" (or Enter) to read its entry and hear it; Lexora hands it words to show without speaking.
// It writes two keys of Config.INI: its rectangle ("GlosixDlgSize") and whether it watches the
// clipboard ("GlosixWatchClipboard").

#include "common/config/config_keys.h"
#include "common/config/profile.h"
#include "common/dictionary/dictionary.h"
#include "common/dictionary/dictionary_shelf.h"
#include "common/dictionary/word_forms.h"
#include "common/frame/snapping.h"
#include "common/platform/shared_names.h"
#include "common/ui/command.h"
#include "glosix/add_to_book.h"
#include "glosix/english_sections.h"
#include "glosix/entry_view.h"
#include "glosix/glosix_services.h"
#include "glosix/look_up_history.h"

#include <QBasicTimer>
#include <QHash>
#include <QMargins>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextEdit;

namespace lex {

class CHistoryDlg;
class SpeechOutput;

class CGlosixDlg : public ui::CommandDialog {
    Q_OBJECT
public:
    static inline const QString kReadyEvent = names::kGlosixReady;
    static inline const QString kAboutText = QStringLiteral("Glosix 1.0 版");
    static inline const QString kAboutMenuText = QStringLiteral("关于 Glosix(&A)...");

    CGlosixDlg(const GlosixServices& services, QString programFolder, QWidget* parent = nullptr);
    ~CGlosixDlg() override;

    // The window's start: dictionary (with its messages), settings, rectangle, speech, then tells
    // a waiting Lexora that it is ready, and hides the list pane. Publish the window's title before
    // calling this, so that Lexora finds it once the ready event is set.
    void initialise();

    bool onCommand(int id, qintptr param) override;
    // Enter never closes the window: it looks the word up.
    void accept() override;

    // The word from Lexora: into the input box, and its entry shown from the top. Not spoken.
    // raiseFlag 0 (a double-click in Lexora's list) also brings the window to the top; 1 (the
    // practice window following along) leaves the window order and the focus alone.
    void receiveWord(const QString& word, uint32_t raiseFlag = 1);

    void ShowEntryText(QStringView text);

    // The look-up history: every word whose entry the learner asked for (typed, the selection, the
    // clipboard watch, Lexora's double-click), not the words the practice window follows with.
    const LookUpHistory& history() const { return history_; }
    // The history window (Ctrl+H), made at the first call.
    CHistoryDlg* historyWindow();

    // The clipboard watch (off by default, kept in Config.INI): each newly copied English word is
    // looked up and the window comes to the top without taking the focus.
    void setClipboardWatch(bool on);
    bool clipboardWatch() const { return watchClipboard_; }
    // One change of the clipboard's text (the watch calls it; tests too). True when looked up.
    bool clipboardChanged(const QString& text, bool ownCopy);

    // "AddTo" (also Ctrl+D): the word whose entry is shown joins the learner's Book, through
    // Lexora when it runs, else into the Book named in Config.INI. The outcome is the status text
    // beside the buttons. The button is enabled while the input box holds the shown entry's word.
    AddToResult addToBook();
    QString statusText() const;

    // The one way the window ends (Esc, the close box, Lexora's close request, a signal): writes
    // "GlosixDlgSize" unless minimised or maximised, releases the voice and ends the modal loop.
    // Calling it again does nothing.
    void closeWindow();
    bool isClosed() const { return closed_; }

    // Ctrl+E: every WordNet sense of the shown word, or again only the first few.
    void toggleAllSenses();
    bool allSenses() const { return allSenses_; }

    // The list-pane toggle ("<" / ">").
    void togglePane();

    // Edge snapping: every move of the window (the window manager's drag of the title bar) is a
    // moving step of the same rule as Lexora's frame; the drag ends when the moves rest 250 ms.
    // settleMove() snaps the resting window where it is (tests call it).
    void settleMove();
    using WindowSource = std::function<std::vector<EdgeRect>(const QWidget* self)>;
    void setWindowSource(WindowSource source) { windowSource_ = std::move(source); }
    void setForbidWinStick(bool on) { forbidWinStick_ = on; }
    bool forbidWinStick() const { return forbidWinStick_; }

    QLineEdit* input() const { return input_; }
    QTextEdit* textPane() const { return text_; }
    QListWidget* listPane() const { return list_; }
    QPushButton* button(int id) const;
    const QString& programFolder() const { return programFolder_; }
    SpeechOutput* speech() const { return speech_.get(); }
    const EntryFonts& entryFonts() const { return fonts_; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void lookUp();
    void openStarDicts();
    // The text of every dictionary's entry for `word`; false when none has one.
    bool entryText(const QString& word, QString* text) const;
    void speak();
    void speak(const QString& word);
    void showAbout();
    void layoutControls();
    void entryShown(const QString& word);
    void updateAddTo();
    void setStatus(const QString& text);
    void addMenuItems(class QMenu* menu);
    // Shows the word's entry; false when no dictionary has it. `count` records a look-up.
    bool showWord(const QString& word, bool count);
    QMargins frameMargins() const;
    void placeAt(QPoint topLeft);
    void placeFrame();

    GlosixServices services_;
    QString programFolder_;
    Profile profile_;
    Dictionary dict_{DictVariant::Companion};
    WordForms forms_;
    DictionaryShelf shelf_;
    AccentPhonetics accents_;
    std::unique_ptr<WordNet> wordnet_;
    EnglishSettings english_;
    bool allSenses_ = false;
    std::unique_ptr<SpeechOutput> speech_;
    EntryFonts fonts_;
    bool forbidWinStick_ = false;
    bool listPaneFirstToggle_ = false;
    bool closed_ = false;

    QHash<int, QWidget*> controls_;
    QLineEdit* input_ = nullptr;
    QTextEdit* text_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* toggle_ = nullptr;
    QPushButton* lookUp_ = nullptr;
    QPushButton* addToButton_ = nullptr;
    QLabel* status_ = nullptr;
    QString shownWord_;   // the word whose entry the text pane shows
    std::unique_ptr<GlosixAddTo> addTo_;
    LookUpHistory history_;
    QPointer<CHistoryDlg> historyDlg_;
    bool watchClipboard_ = false;

    WindowSource windowSource_;
    EdgeSnapper snapper_;
    QPoint dragBase_;          // where the last move left the window: the next move's offset starts here
    QPoint applied_;           // where our last snap put it
    bool selfMoved_ = false;
    std::optional<config::Rect> startRect_;
    bool framePlaced_ = false;
    QBasicTimer settleTimer_;
    qint64 shownAtMs_ = -1;   // moves right after showing are the window manager placing it
};

} // namespace lex
