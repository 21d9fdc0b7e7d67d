#pragma once
// Result of an operation that can fail for an outside reason (a file, a device). Callers decide
// by the code; the message is for the learner or the log line.

#include <QString>

namespace lex {

class Status {
public:
    enum class Code {
        Ok,
        NotFound,   // the file or folder is not there
        Busy,       // another holder keeps the lock past the wait
        Damaged,    // the data is there but not as it must be
        IO,         // reading, writing or syncing failed
        Refused,    // not allowed: permissions, a folder or device where a file must be, a limit
    };

    Status() = default;
    static Status ok() { return {}; }
    // A failure; Ok is no failure code, so it is taken as IO.
    static Status error(Code code, QString message)
    {
        Status s;
        s.code_ = code == Code::Ok ? Code::IO : code;
        s.message_ = std::move(message);
        return s;
    }
    // An I/O failure, the most common kind.
    static Status error(QString message) { return error(Code::IO, std::move(message)); }

    bool isOk() const { return code_ == Code::Ok; }
    explicit operator bool() const { return isOk(); }
    Code code() const { return code_; }
    const QString& message() const { return message_; }

private:
    Code code_ = Code::Ok;
    QString message_;
};

} // namespace lex
