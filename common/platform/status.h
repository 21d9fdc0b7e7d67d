#pragma once
// Result of an operation that can fail for an outside reason (a file, a device).

#include <QString>

namespace lex {

class Status {
public:
    Status() = default;
    static Status ok() { return {}; }
    static Status error(QString message) { Status s; s.ok_ = false; s.message_ = std::move(message); return s; }

    bool isOk() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const QString& message() const { return message_; }

private:
    bool ok_ = true;
    QString message_;
};

} // namespace lex
