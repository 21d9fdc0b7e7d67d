#pragma once
// The words the learner looked up in Glosix: each word once, with how often and when it was first
// and last looked up, most recent first. Kept in a small text file in the user's data folder and
// rewritten atomically after every look-up, so a crash loses at most that look-up. A file that
// cannot be read as a history is never overwritten: it is renamed aside and a new history starts.
//
// File (UTF-8, LF):  "Glosix history 1"
//                    WORD TAB COUNT TAB FIRST TAB LAST   (seconds since the epoch, UTC)

#include "common/platform/status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <vector>

namespace lex {

class Clock;
class Env;

struct HistoryRecord {
    QString word;
    int count = 0;
    qint64 first = 0, last = 0;   // seconds since the epoch
};

// Reads a history file. False (and *out untouched) for anything but a well-formed file: a wrong
// first line, a line without four fields, a count below 1, times out of order, an empty or
// repeated word. An empty input is an empty history.
bool parseHistory(QByteArrayView bytes, std::vector<HistoryRecord>* out);
QByteArray serializeHistory(const std::vector<HistoryRecord>& records);

class LookUpHistory {
public:
    static constexpr int kOftenLookedUp = 3;   // marked in the list from this many look-ups on
    static constexpr int kMaxWords = 5000;     // beyond this the least recently looked up go
    static constexpr int kMaxWordLength = 64;  // longer texts are not words worth keeping

    enum class Opened {
        Read,       // the file was there and read
        New,        // no file yet
        SetAside,   // the file was damaged: renamed to setAsidePath(), an empty history started
        Unusable,   // damaged and could not be moved away: kept in memory only, never written
    };

    // `env` and `clock` are not owned and must outlive the history.
    LookUpHistory(Env* env, QString path, const Clock* clock);

    Opened open();
    const QString& path() const { return path_; }
    const QString& setAsidePath() const { return setAside_; }

    // Counts one look-up of `word` (trimmed; an empty or over-long word is not counted) and
    // writes the file. The count stays in memory when the write fails.
    Status record(const QString& word);

    const std::vector<HistoryRecord>& records() const { return records_; }   // most recent first
    // The records whose word contains `filter` (ignoring case), in the same order.
    std::vector<const HistoryRecord*> filtered(QStringView filter) const;
    static bool isOften(const HistoryRecord& r) { return r.count >= kOftenLookedUp; }

private:
    Env* env_;
    QString path_;
    const Clock* clock_;
    QString setAside_;
    bool writable_ = true;
    std::vector<HistoryRecord> records_;
};

} // namespace lex
