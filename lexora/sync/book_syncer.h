#pragma once
// What the program does with the journal while a Book is open: the [SYNC] settings of Config.INI,
// the session followed for changed words, a merge at open, after each save and when the folder
// changes, and what the learner is told of it: a note when something came in, a fault of the
// folder once until it works again, a foreign file once. Never a question: practice and saving
// go on whatever the folder does. Nothing happens while no folder is named.

#include "common/platform/env.h"
#include "lexora/sync/book_sync.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <functional>

namespace lex {

class BookRecord;
class BookSession;
class Clock;
class Profile;

namespace sync {

// [SYNC] Folder= and Device= (this machine's name; the host name when empty).
struct SyncSettings {
    QString folder;
    QString device;
    static SyncSettings read(const Profile& profile);
    bool write(Profile& profile) const;
    bool enabled() const { return !folder.isEmpty(); }
    // The name the machine writes under.
    QString machine() const;
};

class BookSyncer {
public:
    BookSyncer(BookSession& session, BookRecord& record, Env* env = nullptr, const Clock* clock = nullptr);
    ~BookSyncer();
    BookSyncer(const BookSyncer&) = delete;
    BookSyncer& operator=(const BookSyncer&) = delete;

    void setSettings(const SyncSettings& settings) { settings_ = settings; }
    const SyncSettings& settings() const { return settings_; }

    // What a merge has to tell the learner: all empty when nothing.
    struct Told {
        QString note;    // something came in (the status line)
        QString fault;   // the folder failed, said once until a merge works again
        QString foreign; // files of another program or build, each said once
    };
    // One merge when a folder is named; `save` saves the Book as the program does.
    Told merge(const std::function<bool()>& save);
    // The machines seen in the folder at the last merge, and when each last wrote (ms, UTC).
    const QHash<QString, int64_t>& lastSeen() const { return lastSeen_; }

private:
    BookSession& session_;
    BookRecord& record_;
    Env* env_;
    const Clock* clock_;
    SyncSettings settings_;
    SyncJournal journal_;
    bool faultTold_ = false;
    QSet<QString> foreignTold_;
    QHash<QString, int64_t> lastSeen_;
};

// A folder a sync tool keeps, at or above `folder`: the tool's marker files, or the name of a
// cloud drive's folder; empty when none. The Book's own files carried by such a tool are two
// files carried one by one, and its record a live database: the journal is the way instead.
QString syncToolAbove(Env* env, const QString& folder);

} // namespace sync
} // namespace lex
