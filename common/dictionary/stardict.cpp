#include "common/dictionary/stardict.h"

#include <QDir>
#include <QFileInfo>
#include <QtGlobal>
#include <cstring>

namespace lex {
namespace {

inline uint32_t be32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
inline uint64_t be64(const unsigned char* p) { return uint64_t(be32(p)) << 32 | be32(p + 4); }

inline unsigned char lowerAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

int asciiCaseCompare(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int x = lowerAscii(uchar(a[i])), y = lowerAscii(uchar(b[i]));
        if (x != y)
            return x - y;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

int byteCompare(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const int c = n ? std::memcmp(a.data(), b.data(), size_t(n)) : 0;
    if (c)
        return c;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// A sorted file of records "key NUL value": the .idx (value = offset and size) or the .syn
// (value = index of an .idx record).
struct RecordFile {
    const unsigned char* data = nullptr;
    uint64_t size = 0;
    int valueBytes = 8;
    std::vector<uint64_t> every32; // byte position of records 0, 32, 64, ...
    qint64 count = 0;

    struct Rec {
        QByteArrayView key;
        const unsigned char* value;
        uint64_t next;
    };
    // Caller passes a position known to start a record (from every32 or a record's `next`).
    Rec at(uint64_t pos) const
    {
        const auto* z = static_cast<const unsigned char*>(std::memchr(data + pos, 0, size_t(size - pos)));
        return {QByteArrayView(reinterpret_cast<const char*>(data + pos), z - (data + pos)), z + 1,
                uint64_t(z + 1 - data) + uint64_t(valueBytes)};
    }

    // Walks every record once; fails when the last one is cut short.
    bool scan()
    {
        every32.clear();
        count = 0;
        uint64_t pos = 0;
        while (pos < size) {
            const void* z = std::memchr(data + pos, 0, size_t(size - pos));
            if (!z)
                return false;
            const uint64_t next = uint64_t(static_cast<const unsigned char*>(z) - data) + 1 + uint64_t(valueBytes);
            if (next > size)
                return false;
            if (count % 32 == 0)
                every32.push_back(pos);
            ++count;
            pos = next;
        }
        return true;
    }

    // Calls `visit` for each record whose key equals `q` under `same` (a comparison that the
    // file's order refines), in file order, with the record's ordinal.
    template <typename Same, typename Visit>
    void forEachEqual(QByteArrayView q, Same same, Visit visit) const
    {
        if (every32.empty())
            return;
        // The last block whose first key sorts before q; equal keys may start in it.
        size_t lo = 0, hi = every32.size();
        while (lo < hi) {
            const size_t mid = (lo + hi) / 2;
            if (same(at(every32[mid]).key, q) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        const size_t block = lo == 0 ? 0 : lo - 1;
        uint64_t pos = every32[block];
        qint64 ordinal = qint64(block) * 32;
        for (; ordinal < count; ++ordinal) {
            const Rec r = at(pos);
            const int c = same(r.key, q);
            if (c > 0)
                return;
            if (c == 0)
                visit(r, ordinal);
            pos = r.next;
        }
    }

    uint64_t positionOf(qint64 ordinal) const
    {
        uint64_t pos = every32[size_t(ordinal / 32)];
        for (qint64 i = ordinal / 32 * 32; i < ordinal; ++i)
            pos = at(pos).next;
        return pos;
    }
};

} // namespace

int starDictCompare(QByteArrayView a, QByteArrayView b)
{
    const int c = asciiCaseCompare(a, b);
    return c ? c : byteCompare(a, b);
}

Status parseStarDictIfo(QByteArrayView bytes, StarDictInfo* out)
{
    *out = {};
    const QList<QByteArray> lines = QByteArray(bytes.data(), bytes.size()).split('\n');
    if (lines.isEmpty() || lines[0].trimmed() != "StarDict's dict ifo file")
        return Status::error(QStringLiteral("not a StarDict .ifo file (its first line is not \"StarDict's dict ifo file\")"));
    bool haveWordcount = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1);
        bool ok = true;
        if (key == "version")
            out->version = QString::fromUtf8(value.trimmed());
        else if (key == "bookname")
            out->bookname = QString::fromUtf8(value).trimmed();
        else if (key == "wordcount")
            out->wordcount = value.trimmed().toLongLong(&ok), haveWordcount = ok && out->wordcount >= 0;
        else if (key == "synwordcount")
            out->synwordcount = value.trimmed().toLongLong(&ok);
        else if (key == "idxfilesize")
            out->idxfilesize = value.trimmed().toLongLong(&ok);
        else if (key == "idxoffsetbits")
            out->idxoffsetbits = value.trimmed().toInt(&ok);
        else if (key == "sametypesequence")
            out->sametypesequence = value.trimmed();
        else if (key == "author")
            out->author = QString::fromUtf8(value).trimmed();
        else if (key == "description")
            out->description = QString::fromUtf8(value).trimmed();
        if (!ok)
            return Status::error(QStringLiteral(".ifo: %1 is not a number").arg(QString::fromUtf8(key)));
    }
    if (out->version != QLatin1String("2.4.2") && out->version != QLatin1String("3.0.0"))
        return Status::error(QStringLiteral(".ifo: unknown version \"%1\"").arg(out->version));
    if (out->bookname.isEmpty())
        return Status::error(QStringLiteral(".ifo: no bookname"));
    if (!haveWordcount)
        return Status::error(QStringLiteral(".ifo: no wordcount"));
    if (out->idxoffsetbits != 32 && out->idxoffsetbits != 64)
        return Status::error(QStringLiteral(".ifo: idxoffsetbits must be 32 or 64"));
    for (char c : out->sametypesequence)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return Status::error(QStringLiteral(".ifo: sametypesequence holds a character that is no type"));
    return Status::ok();
}

struct StarDict::Impl {
    explicit Impl(Env* env = Env::defaultEnv()) : idxFile(env), synFile(env), dictFile(env) {}
    StarDictInfo info;
    QString ifoPath, warning;
    QByteArray ifoBytes;
    MappedFile idxFile, synFile, dictFile;
    RecordFile idx, syn;
    const unsigned char* dict = nullptr;
    uint64_t dictSize = 0;
    bool dictzip = false;
    DictzipReader dz;
    bool open = false;

    Status setUp(QByteArrayView ifo, QByteArrayView idxBytes, QByteArrayView synBytes, QByteArrayView dictBytes,
                 bool isDz);
    Status readEntry(const RecordFile::Rec& r, StarDictEntry* e) const;
};

StarDict::StarDict() : d_(new Impl) {}
StarDict::~StarDict() = default;

Status StarDict::Impl::setUp(QByteArrayView ifo, QByteArrayView idxBytes, QByteArrayView synBytes,
                             QByteArrayView dictBytes, bool isDz)
{
    Status s = parseStarDictIfo(ifo, &info);
    if (!s)
        return s;
    idx = {reinterpret_cast<const unsigned char*>(idxBytes.data()), uint64_t(idxBytes.size()),
           info.idxoffsetbits == 64 ? 12 : 8, {}, 0};
    if (!idx.scan())
        return Status::error(QStringLiteral("the .idx is cut short after %1 headwords").arg(idx.count));
    syn = {reinterpret_cast<const unsigned char*>(synBytes.data()), uint64_t(synBytes.size()), 4, {}, 0};
    if (!syn.scan())
        return Status::error(QStringLiteral("the .syn is cut short after %1 synonyms").arg(syn.count));
    dict = reinterpret_cast<const unsigned char*>(dictBytes.data());
    dictSize = uint64_t(dictBytes.size());
    dictzip = isDz;
    if (isDz) {
        s = dz.open(dict, dictSize);
        if (!s)
            return s;
    }
    if (idx.count != info.wordcount)
        warning = QStringLiteral("the .ifo says %1 headwords, the .idx holds %2").arg(info.wordcount).arg(idx.count);
    else if (syn.size && syn.count != info.synwordcount)
        warning = QStringLiteral("the .ifo says %1 synonyms, the .syn holds %2").arg(info.synwordcount).arg(syn.count);
    open = true;
    return Status::ok();
}

Status StarDict::open(Env* env, const QString& ifoPath)
{
    d_.reset(new Impl(env));
    d_->ifoPath = ifoPath;
    Status s = env->readFile(ifoPath, &d_->ifoBytes);
    if (!s)
        return s;
    const QString stem = ifoPath.endsWith(QLatin1String(".ifo")) ? ifoPath.chopped(4) : ifoPath;
    auto map = [&](MappedFile& f, const QString& path) -> Status {
        if (!f.open(path))
            return Status::error(QStringLiteral("cannot open %1").arg(path));
        return Status::ok();
    };
    auto view = [](const MappedFile& f) {
        return QByteArrayView(reinterpret_cast<const char*>(f.data()), qsizetype(f.size()));
    };
    const QString idxPath = stem + QStringLiteral(".idx");
    if (!(s = map(d_->idxFile, idxPath)))
        return s;
    const QString dz = stem + QStringLiteral(".dict.dz");
    const bool isDz = env->fileExists(dz);
    if (!(s = map(d_->dictFile, isDz ? dz : stem + QStringLiteral(".dict"))))
        return close(), s;
    const QString synPath = stem + QStringLiteral(".syn");
    if (env->fileExists(synPath) && !(s = map(d_->synFile, synPath)))
        return close(), s;
    s = d_->setUp(d_->ifoBytes, view(d_->idxFile), view(d_->synFile), view(d_->dictFile), isDz);
    if (!s) {
        const QString message = QFileInfo(ifoPath).fileName() + QStringLiteral(": ") + s.message();
        close();
        return Status::error(message);
    }
    return s;
}

Status StarDict::openMemory(QByteArrayView ifo, QByteArrayView idx, QByteArrayView syn, QByteArrayView dict,
                            bool dictIsDictzip)
{
    close();
    Status s = d_->setUp(ifo, idx, syn, dict, dictIsDictzip);
    if (!s)
        close();
    return s;
}

void StarDict::close()
{
    d_.reset(new Impl);
}

bool StarDict::isOpen() const { return d_->open; }
const StarDictInfo& StarDict::info() const { return d_->info; }
QString StarDict::ifoPath() const { return d_->ifoPath; }
QString StarDict::warning() const { return d_->warning; }
qint64 StarDict::wordCount() const { return d_->idx.count; }
qint64 StarDict::synonymCount() const { return d_->syn.count; }

Status StarDict::Impl::readEntry(const RecordFile::Rec& r, StarDictEntry* e) const
{
    e->word = QString::fromUtf8(r.key);
    uint64_t offset, size;
    if (idx.valueBytes == 12) {
        offset = be64(r.value);
        size = be32(r.value + 8);
    } else {
        offset = be32(r.value);
        size = be32(r.value + 4);
    }
    e->cut = size > kMaxStarDictEntryBytes;
    const uint64_t want = std::min(size, kMaxStarDictEntryBytes);
    QByteArray bytes;
    if (dictzip) {
        Status s = dz.read(offset, want, &bytes);
        if (!s)
            return Status::error(QStringLiteral("\"%1\": %2").arg(e->word, s.message()));
    } else {
        if (offset > dictSize || size > dictSize - offset)
            return Status::error(QStringLiteral("\"%1\": entry lies past the end of the dictionary text").arg(e->word));
        bytes = QByteArray(reinterpret_cast<const char*>(dict + offset), qsizetype(want));
    }
    // Fields: with a sametypesequence the types are not stored, and the last field runs to the
    // end; otherwise each field starts with its type. Text types end at a NUL, the others
    // (upper case) start with their length.
    const QByteArray& seq = info.sametypesequence;
    qsizetype pos = 0;
    for (qsizetype k = 0; pos < bytes.size() && (seq.isEmpty() || k < seq.size()); ++k) {
        StarDictField f;
        if (seq.isEmpty()) {
            f.type = bytes[pos++];
        } else {
            f.type = seq[k];
        }
        const bool last = !seq.isEmpty() && k == seq.size() - 1;
        const bool text = f.type >= 'a' && f.type <= 'z';
        if (last) {
            f.data = bytes.mid(pos);
            pos = bytes.size();
        } else if (text) {
            qsizetype z = bytes.indexOf('\0', pos);
            if (z < 0)
                z = bytes.size();
            f.data = bytes.mid(pos, z - pos);
            pos = z + 1;
        } else {
            if (pos + 4 > bytes.size())
                break;
            const uint64_t n = be32(reinterpret_cast<const unsigned char*>(bytes.constData() + pos));
            pos += 4;
            const qsizetype take = qsizetype(std::min<uint64_t>(n, uint64_t(bytes.size() - pos)));
            f.data = bytes.mid(pos, take);
            pos += take;
        }
        e->fields.push_back(std::move(f));
    }
    return Status::ok();
}

Status StarDict::lookup(QStringView word, Match match, std::vector<StarDictEntry>* out) const
{
    out->clear();
    if (!d_->open)
        return Status::ok();
    const QByteArray q = word.toUtf8();
    std::vector<qint64> found; // .idx ordinals, in the order met
    auto add = [&](qint64 ordinal) {
        if (std::find(found.begin(), found.end(), ordinal) == found.end())
            found.push_back(ordinal);
    };
    const bool exact = match == Match::Exact;
    auto order = [](QByteArrayView a, QByteArrayView b) { return starDictCompare(a, b); };
    auto equalExact = [&](const RecordFile::Rec& r, qint64 ordinal) {
        if (byteCompare(r.key, q) == 0)
            add(ordinal);
    };
    auto equalFolded = [&](const RecordFile::Rec&, qint64 ordinal) { add(ordinal); };
    if (exact)
        d_->idx.forEachEqual(q, order, equalExact);
    else
        d_->idx.forEachEqual(q, asciiCaseCompare, equalFolded);
    auto synVisit = [&](const RecordFile::Rec& r, qint64) {
        if (exact && byteCompare(r.key, q) != 0)
            return;
        const qint64 target = be32(r.value);
        if (target < d_->idx.count)
            add(target);
    };
    if (exact)
        d_->syn.forEachEqual(q, order, synVisit);
    else
        d_->syn.forEachEqual(q, asciiCaseCompare, synVisit);

    std::sort(found.begin(), found.end());
    QStringList problems;
    for (qint64 ordinal : found) {
        StarDictEntry e;
        Status s = d_->readEntry(d_->idx.at(d_->idx.positionOf(ordinal)), &e);
        if (s)
            out->push_back(std::move(e));
        else
            problems << s.message();
    }
    if (!problems.isEmpty())
        return Status::error(QStringLiteral("%1: %2").arg(d_->info.bookname, problems.join(QStringLiteral("; "))));
    return Status::ok();
}

namespace {

QStringList sortedFolders(Env* env, const QString& folder)
{
    QStringList subs = env->listFolders(folder);
    subs.sort();
    return subs;
}

} // namespace

QStringList sharedStarDictFolders()
{
    if (qEnvironmentVariableIsSet(kStarDictPathVariable))
        return qEnvironmentVariable(kStarDictPathVariable).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return {QDir::homePath() + QStringLiteral("/.local/share/stardict/dic"), QStringLiteral("/usr/share/stardict/dic")};
}

QStringList starDictFolders(const QString& programFolder, Env* env)
{
    QStringList folders;
    const QString dict = programFolder + QStringLiteral("/Dict/");
    for (const QString& sub : sortedFolders(env, dict))
        folders << dict + sub;
    folders << sharedStarDictFolders();
    return folders;
}

QStringList findStarDictFiles(const QStringList& folders, Env* env)
{
    QStringList found;
    auto addIfos = [&](const QString& folder) {
        QStringList files = env->listFiles(folder);
        files.sort();
        for (const QString& f : files)
            if (f.endsWith(QLatin1String(".ifo")))
                found << folder + QLatin1Char('/') + f;
    };
    for (const QString& folder : folders) {
        addIfos(folder);
        for (const QString& sub : sortedFolders(env, folder))
            addIfos(folder + QLatin1Char('/') + sub);
    }
    found.removeDuplicates();
    return found;
}

} // namespace lex
