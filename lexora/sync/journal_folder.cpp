#include "lexora/sync/journal_folder.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace lex::sync {

namespace {

const QString kSuffix = QStringLiteral(".lxj");

bool isJournalName(const QString& name)
{
    return name.endsWith(kSuffix, Qt::CaseInsensitive);
}

} // namespace

QString fileSafeName(const QString& machine)
{
    QString out;
    for (QChar c : machine)
        out += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'-' || c == u'_' ? c : QChar(u'_');
    return out.isEmpty() ? QStringLiteral("_") : out;
}

QString journalFileName(const QString& machine, uint64_t seq)
{
    return fileSafeName(machine) + QLatin1Char('.') + QStringLiteral("%1").arg(seq, 8, 10, QLatin1Char('0')) + kSuffix;
}

QString journalFolder(const QString& syncFolder, const QString& bookName)
{
    QString f = syncFolder;
    if (!f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    return f + bookName + QLatin1Char('/');
}

QString mergedStateFile(const QString& bookPath, const QString& bookName)
{
    return bookPath + bookName + QStringLiteral(".sync");
}

FolderRead readJournalFolder(Env* env, const QString& folder)
{
    FolderRead read;
    if (!env->isDir(folder)) {
        read.folderMissing = true;
        return read;
    }
    QStringList names = env->listFiles(folder);
    // Own names before conflict copies, so that a copy of a file read is the one dropped.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return std::make_tuple(a.size(), a) < std::make_tuple(b.size(), b);
    });
    std::set<std::tuple<QString, uint64_t, QByteArray>> seen;
    for (const QString& name : names) {
        if (!isJournalName(name))
            continue;
        QByteArray bytes;
        if (!env->readFile(folder + name, &bytes)) {
            read.incomplete.push_back(name);
            continue;
        }
        JournalFile file;
        switch (parseJournal(bytes, &file)) {
        case ReadResult::Incomplete: read.incomplete.push_back(name); continue;
        case ReadResult::Foreign: read.foreign.push_back(name); continue;
        case ReadResult::Ok: break;
        }
        // The same file twice (a copy under a conflict name with the same contents) is read once;
        // two files of one number that differ are both read: the merge takes whatever each says.
        if (!seen.insert({file.machine, file.seq, bytes.right(4)}).second)
            continue;
        int64_t& last = read.lastSeen[file.machine];
        for (const Record& r : file.records)
            if (r.stamp.machine == machineId(file.machine))
                last = std::max(last, r.stamp.ms);
        read.files.push_back(std::move(file));
    }
    return read;
}

uint64_t lastSeqOf(const FolderRead& read, const QString& machine)
{
    uint64_t last = 0;
    for (const JournalFile& f : read.files)
        if (f.machine == machine)
            last = std::max(last, f.seq);
    return last;
}

Status writeJournalFile(Env* env, const QString& folder, const JournalFile& file)
{
    if (!env->isDir(folder))
        if (Status s = createDirs(env, folder); !s)
            return s;
    return writeFileAtomically(env, folder + journalFileName(file.machine, file.seq), encodeJournal(file));
}

Status compactJournal(Env* env, const QString& folder, const JournalFile& snapshot)
{
    if (Status s = writeJournalFile(env, folder, snapshot); !s)
        return s;
    const QString prefix = fileSafeName(snapshot.machine) + QLatin1Char('.');
    for (const QString& name : env->listFiles(folder)) {
        // Only our own names: "MACHINE.NNNNNNNN.lxj", nothing a sync tool named.
        if (!name.startsWith(prefix) || !name.endsWith(kSuffix) || name.size() != prefix.size() + 8 + kSuffix.size())
            continue;
        bool ok = false;
        const uint64_t seq = name.mid(prefix.size(), 8).toULongLong(&ok);
        if (ok && seq < snapshot.seq)
            if (Status s = env->removeFile(folder + name); !s)
                return s;
    }
    return env->syncDir(folder);
}

Status readMergedState(Env* env, const QString& file, const QString& machine, MergedState* out)
{
    *out = {};
    if (!env->fileExists(file))
        return Status::ok();
    QByteArray bytes;
    if (Status s = env->readFile(file, &bytes); !s)
        return s;
    JournalFile f;
    if (parseJournal(bytes, &f) != ReadResult::Ok)
        return Status::error(Status::Code::Damaged, file);
    // Another machine's name: the Book folder was copied here; start again from the folder.
    if (f.machine != machine)
        return Status::ok();
    out->state.applyAll(f.records);
    out->nextSeq = f.seq;
    return Status::ok();
}

Status writeMergedState(Env* env, const QString& file, const QString& machine, const QString& book,
                        const MergedState& state)
{
    JournalFile f{machine, book, state.nextSeq, true, state.state.records()};
    return writeFileAtomically(env, file, encodeJournal(f, true));
}

} // namespace lex::sync
