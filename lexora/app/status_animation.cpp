#include "lexora/app/status_animation.h"

#include <QTimerEvent>

namespace lex {

namespace {
constexpr int kPeriods[4] = {StatusAnimation::kRestoreMs, StatusAnimation::kStartMs, StatusAnimation::kTypeMs,
                             StatusAnimation::kBlinkMs};
} // namespace

StatusAnimation::StatusAnimation(std::function<void(const QString&)> show, std::function<QString()> statusText,
                                 QObject* parent)
    : QObject(parent), show_(std::move(show)), statusText_(std::move(statusText))
{
}

void StatusAnimation::armTimer(int id) { timers_[id].start(kPeriods[id], this); }
void StatusAnimation::disarmTimer(int id) { timers_[id].stop(); }

bool StatusAnimation::isActive(int id) const { return id >= 0 && id < 4 && timers_[id].isActive(); }

void StatusAnimation::start()
{
    for (int id = 0; id < 4; ++id)
        disarmTimer(id);
    shown_ = 0;
    blinks_ = 0;
    armTimer(kStartTimer);
}

void StatusAnimation::stop()
{
    for (int id = 0; id < 4; ++id)
        disarmTimer(id);
    show_(statusText_());
}

void StatusAnimation::timerEvent(QTimerEvent* e)
{
    for (int id = 0; id < 4; ++id) {
        if (e->timerId() == timers_[id].timerId()) {
            onTimer(id);
            return;
        }
    }
    QObject::timerEvent(e);
}

void StatusAnimation::onTimer(int id)
{
    switch (id) {
    case kStartTimer:
        if (!isActive(kStartTimer))
            return;
        disarmTimer(kStartTimer);
        shown_ = 0;
        blinks_ = 0;
        armTimer(kRestoreTimer);
        armTimer(kTypeTimer);
        break;
    case kTypeTimer:
        if (!isActive(kTypeTimer))
            return;
        ++shown_;
        show_(kText.left(shown_));
        if (shown_ >= kText.size()) {
            disarmTimer(kTypeTimer);
            armTimer(kBlinkTimer);
        }
        break;
    case kBlinkTimer:
        if (!isActive(kBlinkTimer))
            return;
        ++blinks_;
        // Odd ticks show the text, even ones an empty pane; the seventh leaves the text.
        show_(blinks_ % 2 ? kText : QString());
        if (blinks_ >= kBlinkTicks)
            disarmTimer(kBlinkTimer);
        break;
    case kRestoreTimer:
        if (!isActive(kRestoreTimer))
            return;
        // Whatever is still running ends with it, so the status text is not overwritten later.
        disarmTimer(kRestoreTimer);
        disarmTimer(kTypeTimer);
        disarmTimer(kBlinkTimer);
        show_(statusText_());
        break;
    default:
        break;
    }
}

} // namespace lex
