#pragma once
// Showing a word in the companion dictionary "Glosix": hand it the word (which finds its window),
// or start it, wait until it says it is ready and hand it the word then. Nothing ever comes back.

#include "common/platform/shared_names.h"

#include <QString>
#include <cstdint>

class QDeadlineTimer;
class QWidget;

namespace lex {

class NamedEvents;
class ProcessLauncher;
class UserServices;
class WindowLink;

class CompanionLink {
public:
    static constexpr int kReadyWaitMs = 2000;
    // The most one send may hold its caller, a start of the companion included.
    static constexpr int kSendBudgetMs = 3000;
    static inline const QString kTitle = names::kGlosixTitle;
    static inline const QString kReadyEvent = names::kGlosixReady;

    struct Deps {
        WindowLink* link = nullptr;
        NamedEvents* events = nullptr;
        ProcessLauncher* launcher = nullptr;
        UserServices* ui = nullptr;
        QWidget* owner = nullptr;
        QString programFolder;
        QString executable;   // empty: the companion beside the running executable
    };

    explicit CompanionLink(Deps deps) : deps_(std::move(deps)) {}

    // raiseFlag 0 brings the companion to the top after the word arrived; 1 leaves the window
    // order alone (the practice window following along). The companion does the raising on the
    // word's one connection. Returns within kSendBudgetMs; false when nothing was delivered.
    bool SendWordToCompanion(const QString& word, uint32_t raiseFlag);

    // The practice window's 例句 unchecked: posts the close request to the window titled "Glosix",
    // if there is one, and does not wait for it to close. Never starts it. False when there was none.
    bool requestCompanionClose();

    // The practice window's 例句: the run's words go here (flag 0 when the box is checked, 1 for
    // each following question) and unchecking sends the close request. `sinks` is whatever holds
    // the practice's sendToCompanion and closeCompanion (the engine's sinks, the window's deps);
    // this link must outlive it.
    template <class Sinks>
    void connectPracticeSinks(Sinks& sinks)
    {
        sinks.sendToCompanion = [this](QStringView word, int raiseFlag) {
            SendWordToCompanion(word.toString(), uint32_t(raiseFlag));
        };
        sinks.closeCompanion = [this] { requestCompanionClose(); };
    }

private:
    bool startAndWait(const QDeadlineTimer& budget);

    Deps deps_;
};

} // namespace lex
