#pragma once
// CMyPracticeDialog: the window of one practice run. It lays itself out for the mode, keeps the
// seven option check boxes, and otherwise only forwards clicks, keys and its one-second timer to
// the PracticeEngine and redraws from the engine's view.

#include "common/frame/my_base_dialog.h"
#include "lexora/practice/practice_engine.h"
#include "lexora/practice/practice_trace.h"

#include <QBasicTimer>
#include <QFont>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QTextEdit;

namespace lex {

class Book;
class CBMStatic;
class CImageButton;
class Env;
class UserServices;

struct PracticeWindowDeps {
    UserServices* ui = nullptr;      // "已完成", the "Wrong" box
    Random* random = nullptr;
    const Clock* clock = nullptr;
    std::function<void(QStringView word)> speak;
    std::function<void(QStringView word, int raiseFlag)> sendToCompanion;
    std::function<void()> closeCompanion;
    // 填空: the entry's word blanked in one of its examples (none: the word is left out).
    std::function<std::optional<ClozeQuestion>(const WordEntry& entry)> clozeFor;
    // 修改: edits the entry at this view row in place; true when the learner pressed OK.
    // Empty: the run is paused and nothing else happens, as after Cancel.
    std::function<bool(QWidget* owner, int row)> modifyEntry;
    QString configPath;              // Config.INI, for "PracticeTool"/"State"
    Env* env = nullptr;              // null: the real file system
    QFont phoneticFont;
    bool upperCase = false;          // the word list's 大写
    const WordChecker* wordChecker = nullptr;   // 听写's and 填空's grade: English words (null: right or wrong)
    const Hyphenator* hyphenator = nullptr;     // the hint ladder's syllables (null: by vowel groups)
    // Test hook: the run's events, one line each (see practice_trace.h); empty for learners.
    std::function<void(const QString& line)> trace;
};

class CMyPracticeDialog : public CMyBaseDialog {
    Q_OBJECT
public:
    // Lays the window out and starts the run over `rows` (view rows, at most 100) of `book`, whose
    // entries the run changes only through `writer`.
    CMyPracticeDialog(const Book& book, PracticeWriter& writer, const PracticeSettings& settings,
                      const std::vector<int32_t>& rows, PracticeWindowDeps deps, QWidget* parent = nullptr);
    // Writes the options back to Config.INI.
    ~CMyPracticeDialog() override;

    bool onCommand(int id, qintptr param) override;

    PracticeEngine& engine() { return *engine_; }
    const PracticeEngine& engine() const { return *engine_; }
    // How much shorter the window is than its template (0 in 听辩, negative otherwise).
    int heightChange() const { return heightChange_; }
    bool timerActive() const { return timer_.isActive(); }
    // One step of timer 1, as the timer gives it.
    void tick();
    // A mark shown on answer slot i, or nullptr.
    const CBMStatic* markOn(int slot) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void buildControls();
    void layOutForMode();
    void applyOptionsToBoxes();
    bool handleKey(QKeyEvent* e);
    void afterEngine();
    void render();
    void setTopMost(bool on);
    void modify();
    void onWordBoxEdited();
    CImageButton* button(int id) const;
    QTextEdit* box(int id) const;
    void setBoxText(int id, const QString& text);

    const Book& book_;
    PracticeWindowDeps deps_;
    std::unique_ptr<PracticeEngine> engine_;
    PracticeTrace trace_;
    QBasicTimer timer_;
    int heightChange_ = 0;
    bool ending_ = false;
    std::array<CImageButton*, 4> slots_{};
    std::array<QString, 4> choices_;   // the engine's texts, before fitting them to the buttons
    CBMStatic* tick_ = nullptr;
    std::array<CBMStatic*, 3> crosses_{};
    QFont bigFont_;
};

} // namespace lex
