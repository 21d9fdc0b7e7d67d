#include "lexora/link/companion_link.h"

#include "common/platform/named_event.h"
#include "common/platform/process_launcher.h"
#include "common/platform/user_services.h"
#include "common/platform/window_link.h"
#include "lexora/practice/practice_engine.h"

#include <memory>

namespace lex {

bool CompanionLink::startAndWait()
{
    EventCreate created = EventCreate::Failed;
    std::unique_ptr<NamedEvent> ready = deps_.events ? deps_.events->create(kReadyEvent, &created) : nullptr;
    // A start still in progress (an earlier send that timed out) holds the name: wait on it too.
    if (!ready && created == EventCreate::AlreadyExists)
        ready = deps_.events->open(kReadyEvent);
    if (!ready) {
        if (deps_.ui)
            deps_.ui->messageBox(deps_.owner, QStringLiteral("error"));
        return false;
    }
    if (!deps_.launcher)
        return false;
    const bool started = deps_.executable.isEmpty()
                             ? startCompanion(*deps_.launcher, deps_.programFolder)
                             : startCompanion(*deps_.launcher, deps_.programFolder, deps_.executable);
    if (!started)
        return false;
    return ready->wait(kReadyWaitMs);
    // The handle closes here in every case.
}

bool CompanionLink::SendWordToCompanion(const QString& word, uint32_t raiseFlag)
{
    if (!deps_.link)
        return false;
    if (!deps_.link->find(kTitle)) {
        if (!startAndWait())
            return false;
        if (!deps_.link->find(kTitle))
            return false;
    }
    if (!deps_.link->sendWord(kTitle, word, raiseFlag))
        return false;
    if (raiseFlag != 1)
        deps_.link->raise(kTitle);
    return true;
}

bool CompanionLink::requestCompanionClose()
{
    if (!deps_.link || !deps_.link->find(kTitle))
        return false;
    return deps_.link->requestClose(kTitle);
}

void CompanionLink::connectPracticeSinks(PracticeSinks& sinks)
{
    sinks.sendToCompanion = [this](QStringView word, int raiseFlag) {
        SendWordToCompanion(word.toString(), uint32_t(raiseFlag));
    };
    sinks.closeCompanion = [this] { requestCompanionClose(); };
}

} // namespace lex
