#include "lexora/link/companion_link.h"

#include "common/platform/named_event.h"
#include "common/platform/process_launcher.h"
#include "common/platform/user_services.h"
#include "common/platform/window_link.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <memory>

namespace lex {

bool CompanionLink::startAndWait(const QDeadlineTimer& budget)
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
    return ready->wait(int(std::min<qint64>(kReadyWaitMs, std::max<qint64>(0, budget.remainingTime()))));
    // The handle closes here in every case.
}

bool CompanionLink::SendWordToCompanion(const QString& word, uint32_t raiseFlag)
{
    if (!deps_.link)
        return false;
    // One budget for the whole call, start included: the caller is the GUI thread.
    const QDeadlineTimer budget(kSendBudgetMs);
    // The word itself finds the window: one connection, and the companion raises itself.
    const LinkDelivery first = deps_.link->deliverWord(kTitle, word, raiseFlag, budget);
    if (first == LinkDelivery::Answered)
        return true;
    // A window that is there but did not answer (busy, hung) is not started a second time.
    if (first == LinkDelivery::NoAnswer || !startAndWait(budget))
        return false;
    return deps_.link->deliverWord(kTitle, word, raiseFlag, budget) == LinkDelivery::Answered;
}

bool CompanionLink::requestCompanionClose()
{
    // Without a window the connect fails at once; nothing is started.
    return deps_.link && deps_.link->requestClose(kTitle);
}

} // namespace lex
