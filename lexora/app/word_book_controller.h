#pragma once
// WordBookController: what the word-book page does, without a widget. It owns the open Book (its
// session and undo history), the dictionary, the speech output and the link to the companion; it
// carries out the word-book commands (onCommand, 14000-14021, the toggles, 90002), opens and
// switches Books, applies what the dialogs give back and keeps the status texts.
// The page shows what it is told through WordBookView; every dialog opens through
// WordBookDialogs, and every question through the services' UserServices, so a test drives the
// whole page with a fake view and scripted dialogs.

#include "common/dictionary/dictionary.h"
#include "common/dictionary/us_phonetics.h"
#include "common/dictionary/word_forms.h"
#include "common/dictionary/word_info.h"
#include "common/dictionary/wordnet.h"
#include "common/platform/link_protocol.h"
#include "lexora/app/app_services.h"
#include "lexora/app/study_planner.h"
#include "lexora/app/word_book_session.h"
#include "lexora/book/book_session.h"
#include "lexora/book/skills.h"
#include "lexora/record/review_plan.h"
#include "lexora/record/book_record.h"
#include "lexora/sync/book_syncer.h"
#include "lexora/web/start_page.h"

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QFileSystemWatcher;
class QTimer;
class QWidget;

namespace lex {

class BookHistory;
class CompanionLink;
class Profile;
class SpeechOutput;
class StatusAnimation;

// The page as the controller sees it: the list's selection and focus, the check boxes, the panes.
class WordBookView {
public:
    virtual ~WordBookView() = default;
    virtual std::vector<int> selectedRows() const = 0;   // ascending
    virtual int focusedRow() const = 0;                  // -1 when no row has the focus
    // `row` focused, selected alone and scrolled into view; with `keyboardFocus` the list also
    // takes the keyboard focus.
    virtual void showRow(int row, bool keyboardFocus) = 0;
    // `row` scrolled into view only: it becomes neither focused nor selected.
    virtual void scrollToRow(int row) = 0;
    // Exactly `rows` selected, the first focused and shown (today's review).
    virtual void selectRows(const std::vector<int>& rows) = 0;
    // Keeps selected only the selected rows for which `keep` holds.
    virtual void narrowSelection(const std::function<bool(int row)>& keep) = 0;
    virtual void focusList() = 0;
    virtual bool isToggleChecked(int controlId) const = 0;
    virtual void setToggleChecked(int controlId, bool on) = 0;
    virtual void redrawList() = 0;
    virtual void setPaneText(int pane, const QString& text) = 0;
};

// The dialogs of the word-book commands. Each opens one dialog (modal, but the find window) and
// gives back what the learner chose; the controller applies it.
class WordBookDialogs {
public:
    virtual ~WordBookDialogs() = default;
    // The delete confirmation with `text`; *dontAskAgain receives "本次运行不再确认". True for "确定".
    virtual bool confirmDelete(const QString& text, bool* dontAskAgain) = 0;
    // The add dialog (row -1) or the modify dialog of `row`; the dialog edits through the history
    // itself and reports each added word's row to `added`. False when cancelled.
    virtual bool addOrModify(int row, const std::function<void(int row)>& added) = 0;
    // The class-name dialog: the name for the selected rows (empty clears), nothing when cancelled.
    virtual std::optional<QString> className() = 0;
    // The strangeness selection filter: which temporary degrees it keeps; empty when cancelled.
    virtual std::function<bool(int temporary)> strangenessFilter() = 0;
    struct GroupChoice {
        QString name;          // the Book chosen (the open one when nothing was chosen)
        bool discard = false;  // switch mode: "不保存原内容"
        bool move = false;     // move/copy mode: "移动" rather than "复制"
    };
    virtual std::optional<GroupChoice> groups(const QString& folder, const QString& openName, bool moveMode) = 0;
    // The modeless find window; a second request while it is open does nothing.
    virtual void openFind() = 0;
    virtual void importExport(bool importMode) = 0;
    // Set-up dialog and practice window on the selected rows, 开始 from `minWords` selected;
    // true when a run took place.
    virtual bool practice(PracticeMode mode, int minWords) = 0;
    struct ReviewChoice {
        Skill degree;
        PracticeMode mode;
    };
    // 今日复习 with the due counts per degree: the degree whose practice the learner started.
    virtual std::optional<ReviewChoice> todayReview(const std::array<int, kSkillCount>& counts) = 0;
    virtual void settings() = 0;
    // 学习统计 over the open Book and its learning record.
    virtual void statistics() {}
    // 从词表新建组 over the dictionary's word lists: the name of the Book it made in `folder`, which
    // the word-book window then switches to; nothing when cancelled.
    virtual std::optional<QString> bookFromList(const QString& folder, const WordInfoTable& lists)
    {
        (void)folder;
        (void)lists;
        return std::nullopt;
    }
    // 词汇量测试 over the dictionary's frequency ranks; the Books it may make go to `folder`.
    virtual std::optional<QString> vocabularyTest(const QString& folder, const WordInfoTable& lists)
    {
        (void)folder;
        (void)lists;
        return std::nullopt;
    }
    // 从文章取词: the chosen words of a text go into the Book as one step of its history.
    virtual void wordsFromText() {}
    struct PlanChoice {
        std::optional<PlanSettings> saved;  // 保存计划 with these numbers
        std::optional<PracticeMode> start;  // today's words, in this practice
    };
    // 今日计划 with today's figures; `planSet` false when the Book has no plan yet.
    virtual PlanChoice todayPlan(const StudyState& state, bool planSet)
    {
        (void)state, (void)planSet;
        return {};
    }
};

class WordBookController : public QObject {
    Q_OBJECT
public:
    // `view` and `dialogs` outlive the controller; `owner` (may be null) owns its message boxes.
    WordBookController(const AppServices& services, WordBookView* view, WordBookDialogs* dialogs,
                       QWidget* owner = nullptr);
    ~WordBookController() override;

    // Every start-up step, in order: status bar, dictionary, speech and voice folder, then
    // `applyToControls` (check boxes, list, fonts: no questions there), Book path and name (with
    // their questions), the load, the remembered row scrolled into view.
    void initialise(const QString& programFolder, Profile& profile, bool* forbidWinStick,
                    const std::function<void(const WordBookConfig&)>& applyToControls);

    // The word-book half of the shutdown: speech settings, the save (unless "退出(不保存)"),
    // then the keys of Config.INI; `controls` brings what the page's controls hold (case toggle,
    // background, font type, column widths). Runs once; later calls do nothing.
    void shutDown(Profile& profile, WordBookExitState controls);

    // A command of the menus, the list or the check boxes; true when handled.
    bool onCommand(int id, qintptr param);

    // The private message 90002: a text for pane 0.
    void showStatusText(const QString& text);
    // The status-line animation that follows a practice run.
    void startStatusAnimation();
    StatusAnimation& statusAnimation() { return *animation_; }
    QString statusText() const { return statusText_; }

    // The word of a view row goes to the companion dictionary (the list's double-click).
    void sendRowToCompanion(int row);
    // Glosix's "AddTo": the word joins the open Book as the add dialog would add it, and the list
    // shows the new row.
    LinkAddOutcome addFromCompanion(const QString& word);
    // Saves the Book to its folder and opens the same Book name from `folder`; refused (false,
    // nothing changed) when the folder does not exist or the save did not succeed.
    bool changeBookFolder(const QString& folder);
    void SpeakWord(const QString& word);
    // The list's tip: `e`'s predicted recall per skill today (empty without a record).
    QString recallText(const WordEntry& e);
    // One WordNet example of `e`'s word for the list's tip; empty without WordNet, without an
    // example, or when the settings ([ENGLISH] TipExample) turned it off.
    QString exampleText(const WordEntry& e);
    BookRecord& record() { return record_; }
    // The journal in the synced folder ([SYNC] of Config.INI); inactive while no folder is named.
    sync::BookSyncer& syncer() { return *syncer_; }
    // Takes new [SYNC] settings and merges at once (the settings page).
    void applySyncSettings(const sync::SyncSettings& settings);
    // One merge now: at open, after a save, when the folder changed.
    void syncNow();
    StudyPlanner& planner() { return planner_; }
    // 今日计划 (14023): the plan's window, and today's words in the practice chosen there.
    void openTodayPlan();
    // Pane 3: today's progress when the open Book has a plan.
    void updateProgress();
    // What the web page's start page shows of the open Book and its plan.
    StartPageFigures startPageFigures();

    const Book& book() const { return session_.book(); }
    BookSession& session() { return session_; }
    BookHistory& history() { return session_.history(); }
    const AppServices& services() const { return services_; }
    const QString& programFolder() const { return programFolder_; }
    Profile* profile() const { return profile_.get(); }
    Dictionary& dictionary() { return dict_; }
    const WordForms& forms() const { return forms_; }
    // The word lists and ranks the dictionary's index keeps, mapped at the first use (none when it
    // keeps none).
    const WordInfoTable& wordInfo();
    // Both accents' IPA the dictionary's index carries (empty when it was built without them).
    const AccentPhonetics& accents() const { return accents_; }
    SpeechOutput* speech() const { return speech_.get(); }
    CompanionLink* companion() const { return companion_.get(); }
    bool* forbidWinStick() const { return forbidWinStick_; }
    QWidget* owner() const { return owner_; }

private:
    void onToggle(int id);
    SaveQuestions saveQuestions();
    BookFileHooks loadHooks();
    bool save();
    void deleteSelected(qintptr param);
    void updateStatusText();
    bool requireSelection(int minimum, const QString& message);
    void addOrModify(bool modify);
    void assignClassName();
    void filterSelection();
    void groups(bool moveMode);
    // `minWords`: 0 for the ordinary set-up's minimum.
    void runPracticeCommand(int id, int minWords = 0);
    void openTodayReview();
    void newBookFromList(bool vocabularyTest);
    void startPractice(PracticeMode mode, int minWords = 0);

    AppServices services_;
    WordBookView* view_;
    WordBookDialogs* dialogs_;
    QWidget* owner_;
    QString programFolder_;
    std::unique_ptr<Profile> profile_;   // Config.INI, for the dialogs that keep their settings
    bool* forbidWinStick_ = nullptr;
    bool shutDown_ = false;
    int rememberedRow_ = -1;   // FocusedItem of the last run, kept until a row takes the focus

    BookSession session_;
    Dictionary dict_{DictVariant::Main};
    WordForms forms_;   // the inflected forms the dictionary's index carries
    std::unique_ptr<WordInfoTable> wordInfo_;
    std::unique_ptr<WordNet> wordnet_;   // mapped at the first tip that asks for an example
    AccentPhonetics accents_;
    std::unique_ptr<SpeechOutput> speech_;
    std::unique_ptr<CompanionLink> companion_;
    StatusAnimation* animation_ = nullptr;
    QString statusText_;
    BookRecord record_;
    std::unique_ptr<sync::BookSyncer> syncer_;
    QFileSystemWatcher* syncWatcher_ = nullptr;
    QTimer* syncDelay_ = nullptr;   // a sync tool writes a file in several steps: merge once it is quiet
    bool syncing_ = false;
    StudyPlanner planner_;
    bool progressShown_ = false; // pane 3 shows today's progress
};

} // namespace lex
