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

// The first `n` bytes of a file (fewer when it is shorter).
bool readHead(Env* env, const QString& path, qsizetype n, QByteArray* out)
{
    std::unique_ptr<SequentialFile> file;
    if (!env->newSequentialFile(path, &file))
        return false;
    out->resize(n);
    qsizetype got = 0, total = 0;
    while (total < n && file->read(out->data() + total, n - total, &got) && got > 0)
        total += got;
    out->truncate(total);
    return true;
}

// The number in a name of this machine's own, "MACHINE.NNNNNNNN.lxj" (0: not such a name).
uint64_t ownSeq(const QString& name, const QString& machine)
{
    const QString prefix = fileSafeName(machine) + QLatin1Char('.');
    if (!name.startsWith(prefix) || !name.endsWith(kSuffix) || name.size() != prefix.size() + 8 + kSuffix.size())
        return 0;
    bool ok = false;
    const uint64_t seq = name.mid(prefix.size(), 8).toULongLong(&ok);
    return ok ? seq : 0;
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

std::map<uint64_t, MergedState::SeenFile> FolderRead::all() const
{
    std::map<uint64_t, MergedState::SeenFile> out = known;
    for (size_t i = 0; i < files.size(); ++i)
        out[keys[i]] = {files[i].machine, files[i].seq};
    return out;
}

FolderRead readJournalFolder(Env* env, const QString& folder, const std::map<uint64_t, MergedState::SeenFile>& known)
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
        uint64_t key = 0;
        // A file is never changed under its name once whole, and what its header states tells
        // it from every other: one read before is not read again.
        if (!known.empty() && readHead(env, folder + name, kJournalHeaderSize, &bytes) && journalKey(bytes, &key)) {
            if (const auto it = known.find(key); it != known.end()) {
                read.known.insert(*it);
                continue;
            }
        }
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
        if (!seen.insert({file.machine, file.seq, bytes.first(kJournalHeaderSize).right(4)}).second)
            continue;
        int64_t& last = read.lastSeen[file.machine];
        for (const Record& r : file.records)
            if (r.stamp.machine == machineId(file.machine))
                last = std::max(last, r.stamp.ms);
        journalKey(bytes, &key);
        read.keys.push_back(key);
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
    for (const auto& [key, f] : read.known)
        if (f.machine == machine)
            last = std::max(last, f.seq);
    return last;
}

Status writeJournalFile(Env* env, const QString& folder, const JournalFile& file, uint64_t* key)
{
    if (!env->isDir(folder))
        if (Status s = createDirs(env, folder); !s)
            return s;
    const QByteArray bytes = encodeJournal(file);
    if (key)
        journalKey(bytes, key);
    return writeFileAtomically(env, folder + journalFileName(file.machine, file.seq), bytes);
}

Status compactJournal(Env* env, const QString& folder, JournalFile snapshot, uint64_t* key)
{
    // The answers and stamps of the files it replaces: the entries' fields are the machine's own
    // of the merged state, but its events live only in its files.
    JournalState events;
    QStringList replaced;
    for (const QString& name : env->listFiles(folder)) {
        // Only our own names: "MACHINE.NNNNNNNN.lxj", nothing a sync tool named.
        const uint64_t seq = ownSeq(name, snapshot.machine);
        if (seq == 0 || seq >= snapshot.seq)
            continue;
        QByteArray bytes;
        JournalFile file;
        if (!env->readFile(folder + name, &bytes) || parseJournal(bytes, &file) != ReadResult::Ok)
            continue;
        for (const Record& r : file.records)
            if (r.kind == Record::Kind::Answer || r.kind == Record::Kind::ReviewStamp)
                events.apply(r);
        replaced << name;
    }
    for (const Record& r : snapshot.records)
        if (r.kind == Record::Kind::Answer || r.kind == Record::Kind::ReviewStamp)
            events.apply(r);
    std::erase_if(snapshot.records, [](const Record& r) {
        return r.kind == Record::Kind::Answer || r.kind == Record::Kind::ReviewStamp;
    });
    const std::vector<Record> kept = events.records();
    snapshot.records.insert(snapshot.records.end(), kept.begin(), kept.end());
    if (Status s = writeJournalFile(env, folder, snapshot, key); !s)
        return s;
    for (const QString& name : replaced)
        if (Status s = env->removeFile(folder + name); !s)
            return s;
    return env->syncDir(folder);
}

Status readMergedState(Env* env, const QString& file, const QString& machine, MergedStateFile* out)
{
    *out = {};
    if (!env->fileExists(file))
        return Status::ok();
    QByteArray bytes;
    if (Status s = env->readFile(file, &bytes); !s)
        return s;
    if (parseMergedState(bytes, &out->merged, &out->read) != ReadResult::Ok) {
        *out = {};
        return Status::error(Status::Code::Damaged, file);
    }
    // Another machine's name: the Book folder was copied here; start again from the folder.
    if (out->read.machine != machine)
        *out = {};
    return Status::ok();
}

Status writeMergedState(Env* env, const QString& file, const QString& machine, const QString& book,
                        const MergedState& state, const MergedStateRead& asRead, const std::vector<Record>* added,
                        MergedStateRead* written)
{
    // Small additions are appended; once they outgrow the whole state, it is written anew.
    constexpr qsizetype kSlack = 64 * 1024;
    if (added && asRead.wholeBytes > 0 && !asRead.cut && !asRead.oldForm && asRead.machine == machine
        && env->fileSize(file) == asRead.goodBytes) {
        const QByteArray piece = encodeMergedState(machine, book, state, added);
        if (asRead.goodBytes + piece.size() <= 2 * asRead.wholeBytes + kSlack) {
            std::unique_ptr<WritableFile> f;
            Status s = env->newAppendableFile(file, &f);
            if (s)
                s = writeDurably(*f, piece);
            if (s && written) {
                *written = asRead;
                written->goodBytes += piece.size();
            }
            return s;
        }
    }
    const QByteArray whole = encodeMergedState(machine, book, state, nullptr);
    const Status s = writeFileAtomically(env, file, whole);
    if (s && written) {
        *written = {};
        written->machine = machine;
        written->wholeBytes = written->goodBytes = whole.size();
    }
    return s;
}

} // namespace lex::sync
