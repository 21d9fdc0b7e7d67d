#pragma once
// One running copy per user and program name ("Lexora.exe", "Glosix.exe").

#include <QString>
#include <memory>

namespace lex {

class WindowLink;

enum class InstanceClaim {
    Acquired,        // we are the only one; held until the object is destroyed
    AlreadyRunning,  // another live process holds the name
    Unavailable,     // no lock could be made at all: the program goes on, unguarded
};

class SingleInstance {
public:
    virtual ~SingleInstance() = default;
    virtual InstanceClaim claim(const QString& name) = 0;
};

// flock on "instance-NAME.lock" in the runtime folder. The kernel drops the lock when the process
// ends in any way, so a crashed run never blocks the next start.
class FileLockInstance final : public SingleInstance {
public:
    explicit FileLockInstance(QString runtimeDir);
    ~FileLockInstance() override;
    FileLockInstance(const FileLockInstance&) = delete;
    FileLockInstance& operator=(const FileLockInstance&) = delete;

    InstanceClaim claim(const QString& name) override;

private:
    QString dir_;
    int fd_ = -1;
};

// The start-up step of both programs: claims `name`; when another copy runs, asks its window
// (`title`) to come to the front. Returns false when this process must end.
bool claimOrRaise(SingleInstance& instance, WindowLink& link, const QString& name, const QString& title);

} // namespace lex
