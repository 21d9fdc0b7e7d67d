#pragma once
// Named manual-reset events seen by both programs of one user ("GlosixReady", "WaitPlayed").
// An event exists while some handle to it is open; it is gone when the last holder ends, even
// by a crash, so a killed creator never leaves a name taken.

#include <QString>
#include <memory>

namespace lex {

class NamedEvent {
public:
    virtual ~NamedEvent() = default;   // closes the handle
    virtual bool set() = 0;
    // True when the event is (or becomes) signalled within `timeoutMs`.
    virtual bool wait(int timeoutMs) = 0;
};

enum class EventCreate { Created, AlreadyExists, Failed };

class NamedEvents {
public:
    virtual ~NamedEvents() = default;
    // A new, non-signalled event; null with AlreadyExists when some handle to the name is open.
    virtual std::unique_ptr<NamedEvent> create(const QString& name, EventCreate* result = nullptr) = 0;
    // The existing event, or null when none exists.
    virtual std::unique_ptr<NamedEvent> open(const QString& name) = 0;
};

// In the runtime folder: "event-NAME.lock" holds the state byte; every handle holds a shared
// flock on it, so "exists" means "some process holds the lock". Create and open run under a brief
// exclusive lock on "event-NAME.guard" so that no two creators can both succeed.
class FileNamedEvents final : public NamedEvents {
public:
    explicit FileNamedEvents(QString runtimeDir);
    std::unique_ptr<NamedEvent> create(const QString& name, EventCreate* result = nullptr) override;
    std::unique_ptr<NamedEvent> open(const QString& name) override;

private:
    std::unique_ptr<NamedEvent> acquire(const QString& name, bool create, EventCreate* result);
    QString dir_;
};

} // namespace lex
