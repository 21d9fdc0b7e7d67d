#include "lexora/sync/book_syncer.h"

#include "common/config/profile.h"
#include "common/platform/sources.h"
#include "lexora/book/book_session.h"
#include "lexora/record/book_record.h"
#include "lexora/texts/lexora_texts.h"

#include <QDir>
#include <QSysInfo>

namespace lex::sync {

namespace {
const QString kSection = QStringLiteral("SYNC");
}

SyncSettings SyncSettings::read(const Profile& profile)
{
    return {profile.readString(kSection, QStringLiteral("Folder"), {}, 1024),
            profile.readString(kSection, QStringLiteral("Device"))};
}

bool SyncSettings::write(Profile& profile) const
{
    return profile.writeString(kSection, QStringLiteral("Folder"), folder)
           && profile.writeString(kSection, QStringLiteral("Device"), device);
}

QString SyncSettings::machine() const
{
    return device.isEmpty() ? QSysInfo::machineHostName() : device;
}

BookSyncer::BookSyncer(BookSession& session, BookRecord& record, Env* env, const Clock* clock)
    : session_(session), record_(record), env_(orDefault(env)), clock_(orDefault(clock))
{
    session_.addListener(&journal_);
}

BookSyncer::~BookSyncer()
{
    session_.removeListener(&journal_);
}

BookSyncer::Told BookSyncer::merge(const std::function<bool()>& save)
{
    Told told;
    if (!settings_.enabled() || session_.book().name.isEmpty())
        return told;
    SyncOptions o;
    o.folder = settings_.folder;
    o.machine = settings_.machine();
    o.wallMs = clock_->localNow().toMSecsSinceEpoch();
    const SyncReport r = syncBook(session_, &record_.record(), &journal_, env_, o, save);
    lastSeen_ = r.lastSeen;
    if (r.cameIn())
        told.note = texts::syncNote(r.added, r.changed, r.removed, r.events, r.revived);
    if (!r.status) {
        if (!faultTold_)
            told.fault = texts::syncFault(settings_.folder, r.status.message());
        faultTold_ = true;
    } else {
        faultTold_ = false;
    }
    QStringList fresh;
    for (const QString& name : r.foreign)
        if (!foreignTold_.contains(name)) {
            foreignTold_.insert(name);
            fresh << name;
        }
    if (!fresh.isEmpty())
        told.foreign = texts::syncForeignFiles(fresh);
    return told;
}

QString syncToolAbove(Env* env, const QString& folder)
{
    env = orDefault(env);
    // Markers a tool leaves at the top of a folder it keeps.
    static const char* const kMarkers[] = {".stfolder", ".stignore", ".sync", ".nextcloudsync.log", ".owncloudsync.log",
                                           ".dropbox", ".dropbox.cache", "desktop.ini"};
    QDir dir(folder);
    for (int depth = 0; depth < 32; ++depth) {
        const QString path = dir.absolutePath();
        for (const char* m : kMarkers) {
            const QString marker = path + QLatin1Char('/') + QLatin1String(m);
            // desktop.ini alone marks no tool; only with a cloud drive's name below.
            if (QLatin1String(m) != QLatin1String("desktop.ini") && (env->isDir(marker) || env->fileExists(marker)))
                return path;
        }
        const QString name = dir.dirName();
        for (const char* cloud : {"Dropbox", "OneDrive", "Nextcloud", "ownCloud", "Google Drive", "iCloud Drive", "pCloud Drive"})
            if (name.startsWith(QLatin1String(cloud), Qt::CaseInsensitive))
                return path;
        if (!dir.cdUp())
            break;
    }
    return {};
}

} // namespace lex::sync
