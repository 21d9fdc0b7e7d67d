#include "lexora/book/book_file.h"

#include "common/text/codepage.h"

#include <QtEndian>
#include <QtGlobal>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "Book texts are borrowed as UTF-16LE in place");

namespace lex {
namespace {

constexpr char kMarkerBytes[4] = {0x74, 0x00, 0x00, char(0xFF)};
constexpr uint32_t kLastAnsiVersion = 111;
constexpr uint32_t kMaxOffset = std::numeric_limits<uint32_t>::max();

uint32_t le32(const char* p) { return qFromLittleEndian<uint32_t>(p); }

// ---------------------------------------------------------------------------------------------
// Text records

// Calls hit(position, code unit) for every code unit U+0000..U+0004 (field selectors) and, when
// `withCr`, every CR, in order; stops when it returns false.
template <bool withCr, typename F>
void scanRecord(const char16_t* p, qsizetype n, F&& hit)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i four = _mm_set1_epi16(4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i cr = _mm_set1_epi16(13);
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        // Saturating v - 4 is zero exactly for the code units 0..4.
        __m128i m = _mm_cmpeq_epi16(_mm_subs_epu16(v, four), zero);
        if (withCr)
            m = _mm_or_si128(m, _mm_cmpeq_epi16(v, cr));
        unsigned mask = unsigned(_mm_movemask_epi8(m));
        while (mask) {
            const int bit = __builtin_ctz(mask);
            const qsizetype k = i + bit / 2;
            if (!hit(k, p[k]))
                return;
            mask &= ~(3u << bit);
        }
    }
#endif
    for (; i < n; ++i) {
        if ((p[i] <= 4 || (withCr && p[i] == 13)) && !hit(i, p[i]))
            return;
    }
}

// ---------------------------------------------------------------------------------------------
// Files of an interrupted save
//
// A save that rewrites both files writes NAME.txt.new and NAME.idx.new, syncs them, and then
// commits by writing NAME.save atomically. Only after that are the two renamed into place and
// NAME.save removed. So: NAME.save present = the new state is complete and wins; absent = the
// old files are untouched and any *.new is rubbish.

constexpr char kCommitMagic[] = "LEXORA-SAVE 1";

struct SaveSet {
    QString dir, idx, txt, idxNew, txtNew, marker, markerTmp, idxTmp;
    SaveSet(const QString& path, const QString& name)
    {
        const QString stem = path + name;
        idx = stem + QStringLiteral(".idx");
        txt = stem + QStringLiteral(".txt");
        idxNew = idx + QStringLiteral(".new");
        txtNew = txt + QStringLiteral(".new");
        marker = stem + QStringLiteral(".save");
        markerTmp = marker + QStringLiteral(".tmp");   // writeFileAtomically's own file
        idxTmp = idx + QStringLiteral(".tmp");         // the same, for an index-only save
        dir = parentDir(idx);
    }
};

struct Pending {
    bool markerFound = false;
    bool committed = false;
    qint64 txtSize = -1, idxSize = -1;   // as the marker records them
    QStringList leftovers;               // files to remove when rolling back
    bool any() const { return markerFound || !leftovers.isEmpty(); }
};

QByteArray commitContent(qint64 txtSize, qint64 idxSize)
{
    return QByteArray(kCommitMagic) + "\ntext " + QByteArray::number(txtSize) + "\nindex " +
           QByteArray::number(idxSize) + "\n";
}

Pending examine(Env* env, const SaveSet& s)
{
    Pending p;
    if (env->fileExists(s.marker)) {
        p.markerFound = true;
        QByteArray m;
        if (env->readFile(s.marker, &m)) {
            const QList<QByteArray> lines = m.split('\n');
            bool ok1 = false, ok2 = false;
            if (lines.size() >= 3 && lines[0] == kCommitMagic && lines[1].startsWith("text ") &&
                lines[2].startsWith("index ")) {
                p.txtSize = lines[1].mid(5).toLongLong(&ok1);
                p.idxSize = lines[2].mid(6).toLongLong(&ok2);
            }
            p.committed = ok1 && ok2;
        }
        if (!p.committed)
            p.leftovers << s.marker;
    }
    for (const QString& f : {s.markerTmp, s.idxTmp, s.txtNew, s.idxNew}) {
        if (env->fileExists(f))
            p.leftovers << f;
    }
    return p;
}

// Finishes (committed) or rolls back (not committed) an interrupted save. `what` tells which.
Status finishInterruptedSave(Env* env, const SaveSet& s, QString* what)
{
    const Pending p = examine(env, s);
    if (!p.any())
        return Status::ok();
    Status st;
    if (p.committed) {
        // Refuse to put in place a file that is not the one the commit describes.
        if (env->fileExists(s.txtNew) && env->fileSize(s.txtNew) != p.txtSize)
            return Status::error(QStringLiteral("%1 does not match %2").arg(s.txtNew, s.marker));
        if (env->fileExists(s.idxNew) && env->fileSize(s.idxNew) != p.idxSize)
            return Status::error(QStringLiteral("%1 does not match %2").arg(s.idxNew, s.marker));
        // Text first, then index: the order of the save itself.
        if (st && env->fileExists(s.txtNew))
            st = env->renameFile(s.txtNew, s.txt);
        if (st && env->fileExists(s.idxNew))
            st = env->renameFile(s.idxNew, s.idx);
        if (st)
            st = env->syncDir(s.dir);
        for (const QString& f : {s.markerTmp, s.idxTmp}) {
            if (st && env->fileExists(f))
                st = env->removeFile(f);
        }
        if (st)
            st = env->removeFile(s.marker);
        if (st)
            st = env->syncDir(s.dir);
        if (what)
            *what = st ? QStringLiteral("completed an interrupted save")
                       : QStringLiteral("could not complete an interrupted save: ") + st.message();
        return st;
    }
    // Not committed: the old files are whole. The marker (if unreadable) goes first, so that a
    // crash while cleaning up can never leave a marker beside a partial set of new files.
    for (const QString& f : p.leftovers) {
        if (st)
            st = env->removeFile(f);
        if (st && f == s.marker)
            st = env->syncDir(s.dir);
    }
    if (what)
        *what = st ? QStringLiteral("removed the leftovers of an interrupted save")
                   : QStringLiteral("could not remove the leftovers of an interrupted save: ") + st.message();
    return st;
}

// The files that hold the Book's state, with an interrupted save counted as done.
void effectivePaths(Env* env, const SaveSet& s, const Pending& p, QString* idx, QString* txt)
{
    *idx = s.idx;
    *txt = s.txt;
    if (p.committed) {
        if (env->fileExists(s.idxNew))
            *idx = s.idxNew;
        if (env->fileExists(s.txtNew))
            *txt = s.txtNew;
    }
}

// ---------------------------------------------------------------------------------------------
// Loading

void skip(LoadReport& r, int index, qint64 offset, QString reason)
{
    r.skipped.push_back(SkippedRecord{index, offset, std::move(reason)});
}

// Steps 6-8 of the load: headers and records. Never reads outside `ib` and `tb`.
void parseBookBytes(Book& book, const QByteArray& ib, QByteArray tb, LoadReport& r, const BookFileHooks* hooks)
{
    const qsizetype ilen = ib.size();
    const char* ip = ib.constData();
    int recordSize = kIndexRecordSize;
    qsizetype off = 0;
    const uint32_t ih = le32(ip);
    if ((ih >> 24) == 0xFF) {
        r.indexHasHeader = true;
        r.indexVersion = ih & 0xFFFFFF;
        recordSize = int(int8_t(ip[4]));
        off = 5;
    } else {
        r.oldestIndexForm = true;
        book.textChanged = true;
        if (hooks && hooks->oldIndexFormRead)
            hooks->oldIndexFormRead();
    }
    r.recordSize = recordSize;

    const uint32_t th = le32(tb.constData());
    if ((th >> 24) != 0xFF) {
        book.textChanged = true;
    } else {
        r.textHasHeader = true;
        r.textVersion = th & 0xFFFFFF;
        if (th != kBookMarker)
            book.textChanged = true;
        r.ansiText = r.textVersion <= kLastAnsiVersion;
    }

    // With a step below one record the records cannot be told apart: nothing is trusted.
    if (recordSize < kIndexRecordSize) {
        skip(r, 0, 4, QStringLiteral("record size byte %1 is below %2: every record skipped")
                          .arg(recordSize).arg(kIndexRecordSize));
        return;
    }

    const qsizetype tlen = tb.size();
    const char* tp = tb.constData();
    if (!r.ansiText) {
        book.adoptTextBuffer(std::move(tb));
        tp = book.textBuffer().data(); // the same bytes, now held by the Book
    }

    const qsizetype count = (ilen - off + recordSize - 1) / recordSize;
    book.reserveBlock(size_t(count));
    book.reserve(size_t(count));
    QString scratch;
    for (qsizetype i = 0; off < ilen; ++i, off += recordSize) {
        WordEntry& e = *book.nextBlockEntry();
        const qsizetype left = ilen - off;
        if (left < kIndexRecordSize) {
            skip(r, int(i), off, QStringLiteral("truncated record: %1 of %2 bytes").arg(left).arg(kIndexRecordSize));
            break;
        }
        if (left < recordSize)
            r.notes << QStringLiteral("record %1 at offset %2: %3 of %4 bytes, its first %5 were read")
                           .arg(i).arg(off).arg(left).arg(recordSize).arg(kIndexRecordSize);
        std::memcpy(static_cast<void*>(&e.stored), ip + off, sizeof(IndexFields));
        const qint64 s = e.stored.textStart, en = e.stored.textEnd;
        if (s > en) {
            skip(r, int(i), off, QStringLiteral("text offsets reversed (start %1, end %2)").arg(s).arg(en));
            continue;
        }
        if (en > tlen) {
            skip(r, int(i), off, QStringLiteral("text offsets outside the text file (start %1, end %2, length %3)")
                                     .arg(s).arg(en).arg(tlen));
            continue;
        }
        const qsizetype bytes = qsizetype(en - s);
        const char* p = tp + s;
        if (r.ansiText) {
            scratch.clear();
            cp936::decodeAppend(QByteArrayView(p, bytes), scratch);
            parseTextRecord(scratch, e);
        } else if (bytes & 1) {
            skip(r, int(i), off, QStringLiteral("odd text length %1 (start %2)").arg(bytes).arg(s));
            continue;
        } else if ((reinterpret_cast<quintptr>(p) & (alignof(char16_t) - 1)) == 0) {
            e.bindRecord(QStringView(reinterpret_cast<const char16_t*>(p), bytes / 2));
        } else {
            // Misaligned UTF-16 is copied out rather than read in place.
            scratch.resize(bytes / 2);
            std::memcpy(static_cast<void*>(scratch.data()), p, size_t(bytes));
            parseTextRecord(scratch, e);
        }
        if (book.admitLoaded(&e)) {
            ++r.recordsRead;
        } else {
            ++r.emptyWords;
            e.clearTexts();
        }
    }
}

// Steps 4-5 (sizes and reading) and then the parse. Missing files count as empty.
void readBookFiles(Book& book, const QString& idxPath, const QString& txtPath, Env* env, LoadReport& r,
                   const BookFileHooks* hooks)
{
    auto readWhole = [&](const QString& path, qint64 minSize, QByteArray* out) {
        if (!env->fileExists(path))
            return false;
        const qint64 size = env->fileSize(path);
        if (size < 0) {
            r.readError = QStringLiteral("cannot examine %1").arg(path);
            return false;
        }
        if (size < minSize)
            return false;
        const Status st = env->readFile(path, out);
        if (!st) {
            r.readError = st.message();
            return false;
        }
        return out->size() >= minSize;
    };
    QByteArray ib, tb;
    if (!readWhole(idxPath, 5, &ib) || !readWhole(txtPath, 4, &tb)) {
        if (!r.readError.isEmpty())
            book.loadFailed = true;
        return;
    }
    parseBookBytes(book, ib, std::move(tb), r, hooks);
}

// ---------------------------------------------------------------------------------------------
// Saving

Status writeNewFile(Env* env, const QString& path, QByteArrayView data)
{
    std::unique_ptr<WritableFile> f;
    Status st = env->newWritableFile(path, &f);
    if (st)
        st = f->append(data);
    if (st)
        st = f->sync();
    if (st)
        st = f->close();
    return st;
}

QByteArray buildIndex(const Book& book, const std::vector<std::pair<uint32_t, uint32_t>>* offsets)
{
    const auto& full = book.full();
    QByteArray out(5 + qsizetype(full.size()) * kIndexRecordSize, Qt::Uninitialized);
    char* p = out.data();
    std::memcpy(p, kMarkerBytes, 4);
    p[4] = char(kIndexRecordSize);
    p += 5;
    for (size_t i = 0; i < full.size(); ++i, p += kIndexRecordSize) {
        IndexFields f = full[i]->stored;
        if (offsets) {
            f.textStart = (*offsets)[i].first;
            f.textEnd = (*offsets)[i].second;
        }
        std::memcpy(p, &f, kIndexRecordSize);
    }
    return out;
}

SaveResult failed(SaveFailure which, const QString& path, const QString& message)
{
    SaveResult r;
    r.failure = which;
    r.failedPath = path;
    r.message = message;
    return r;
}

// Undoes a save that failed before or while committing. The marker goes first (and durably), so
// that the new files are never removed while a marker could still make them win.
void rollBack(Env* env, const SaveSet& s)
{
    Status st;
    if (env->fileExists(s.marker)) {
        st = env->removeFile(s.marker);
        if (st)
            st = env->syncDir(s.dir);
    }
    if (!st)
        return; // the next load or save completes the committed save instead
    for (const QString& f : {s.markerTmp, s.txtNew, s.idxNew}) {
        if (env->fileExists(f))
            env->removeFile(f);
    }
}

} // namespace

// -------------------------------------------------------------------------------------------------

void appendTextRecord(const WordEntry& e, QByteArray& out)
{
    qsizetype units = kTextFieldCount;
    for (int f = 0; f < kTextFieldCount; ++f)
        units += e.text(TextField(f)).size();
    const qsizetype at = out.size();
    out.resize(at + units * 2);
    char* p = out.data() + at;
    // The selector values equal the TextField numbers: word 0, explanation 1, phonetic 2,
    // class name 3, comment 4.
    for (int f = 0; f < kTextFieldCount; ++f) {
        const char16_t sel = char16_t(f);
        std::memcpy(p, &sel, 2);
        p += 2;
        const QStringView t = e.text(TextField(f));
        if (!t.isEmpty()) {
            std::memcpy(p, t.utf16(), size_t(t.size()) * 2);
            p += t.size() * 2;
        }
    }
}

QByteArray buildTextRecord(const WordEntry& e)
{
    QByteArray out;
    appendTextRecord(e, out);
    return out;
}

void parseTextRecord(QStringView record, WordEntry& e)
{
    QString fields[kTextFieldCount];
    int cur = -1;
    qsizetype runStart = 0;
    const char16_t* p = record.utf16();
    const qsizetype n = record.size();
    auto flush = [&](qsizetype end) {
        if (cur >= 0 && end > runStart)
            fields[cur].append(QStringView(p + runStart, end - runStart));
    };
    scanRecord<false>(p, n, [&](qsizetype k, char16_t sel) {
        flush(k);
        cur = sel;
        runStart = k + 1;
        return true;
    });
    flush(n);
    for (int f = 0; f < kTextFieldCount; ++f)
        e.setText(TextField(f), fields[f]);
}

void bindTextRecord(QStringView record, WordEntry& e)
{
    // One pass finds the selectors and, for the explanation and the comment, the first CR LF.
    qsizetype start[kTextFieldCount] = {}, end[kTextFieldCount] = {};
    int32_t firstLine[kTextFieldCount] = {-1, -1, -1, -1, -1};
    unsigned seen = 0;
    int cur = -1;
    bool repeated = false;
    const char16_t* p = record.utf16();
    const qsizetype n = record.size();
    scanRecord<true>(p, n, [&](qsizetype k, char16_t u) {
        if (u == 13) {
            if (cur >= 0 && firstLine[cur] < 0 && k + 1 < n && p[k + 1] == u'\n')
                firstLine[cur] = int32_t(k - start[cur]);
            return true;
        }
        if (cur >= 0)
            end[cur] = k;
        if (seen & (1u << u)) {
            repeated = true;
            return false;
        }
        seen |= 1u << u;
        cur = u;
        start[u] = k + 1;
        return true;
    });
    if (repeated) {
        parseTextRecord(record, e);
        return;
    }
    if (cur >= 0)
        end[cur] = n;
    for (int f = 0; f < kTextFieldCount; ++f) {
        if (seen & (1u << f))
            e.bindText(TextField(f), QStringView(p + start[f], end[f] - start[f]), firstLine[f]);
        else
            e.bindText(TextField(f), QStringView(), -1);
    }
}

LoadReport LoadBook(Book& book, Env* env, const BookFileHooks& hooks)
{
    book.clear();
    book.textChanged = false;
    book.loadFailed = false;
    LoadReport r;
    const SaveSet s(book.path, book.name);

    Pending p = examine(env, s);
    if (p.any()) {
        r.interruptedSave = true;
        if (!finishInterruptedSave(env, s, &r.recovery)) {
            // Read what the Book is meant to be, and keep the save away from the half-done files.
            book.loadFailed = true;
            p = examine(env, s);
        } else {
            p = Pending();
        }
    }
    QString idxPath, txtPath;
    effectivePaths(env, s, p, &idxPath, &txtPath);

    r.indexExisted = env->fileExists(idxPath);
    if (!r.indexExisted && !env->createIfMissing(idxPath))
        return r;
    r.textExisted = env->fileExists(txtPath);
    if (!r.textExisted && !env->createIfMissing(txtPath))
        return r;
    readBookFiles(book, idxPath, txtPath, env, r, &hooks);
    return r;
}

LoadReport inspectBook(const QString& path, const QString& name, Env* env, Book* into)
{
    Book local;
    Book& book = into ? *into : local;
    book.clear();
    book.textChanged = false;
    book.loadFailed = false;
    book.path = path;
    book.name = name;
    LoadReport r;
    const SaveSet s(path, name);
    const Pending p = examine(env, s);
    if (p.any()) {
        r.interruptedSave = true;
        r.recovery = p.committed ? QStringLiteral("an interrupted save would be completed at the next load")
                                 : QStringLiteral("the leftovers of an interrupted save would be removed at the next load: ") +
                                       p.leftovers.join(QStringLiteral(", "));
    }
    QString idxPath, txtPath;
    effectivePaths(env, s, p, &idxPath, &txtPath);
    r.indexExisted = env->fileExists(idxPath);
    r.textExisted = env->fileExists(txtPath);
    readBookFiles(book, idxPath, txtPath, env, r, nullptr);
    return r;
}

SaveResult saveBook(Book& book, Env* env)
{
    const SaveSet s(book.path, book.name);
    const SaveFailure first = book.textChanged ? SaveFailure::TextFile : SaveFailure::IndexFile;
    const QString firstPath = book.textChanged ? s.txt : s.idx;
    if (book.loadFailed)
        return failed(first, firstPath, QStringLiteral("not overwritten: the file could not be read when the Book was loaded"));
    Status st = finishInterruptedSave(env, s, nullptr);
    if (!st)
        return failed(first, firstPath, st.message());

    if (!book.textChanged) {
        // The text file stays as it is; the index is replaced in one atomic rename.
        st = writeFileAtomically(env, s.idx, buildIndex(book, nullptr));
        if (!st)
            return failed(SaveFailure::IndexFile, s.idx, st.message());
        return {};
    }

    const auto& full = book.full();
    QByteArray text(kMarkerBytes, 4);
    std::vector<std::pair<uint32_t, uint32_t>> offsets;
    offsets.reserve(full.size());
    for (const WordEntry* e : full) {
        const qsizetype start = text.size();
        appendTextRecord(*e, text);
        if (quint64(text.size()) > kMaxOffset)
            return failed(SaveFailure::TextFile, s.txt, QStringLiteral("the text file would exceed 4 GiB"));
        offsets.emplace_back(uint32_t(start), uint32_t(text.size()));
    }
    const QByteArray index = buildIndex(book, &offsets);

    st = writeNewFile(env, s.txtNew, text);
    if (!st) {
        rollBack(env, s);
        return failed(SaveFailure::TextFile, s.txt, st.message());
    }
    st = writeNewFile(env, s.idxNew, index);
    if (st)
        st = env->syncDir(s.dir);
    if (st)
        st = writeFileAtomically(env, s.marker, commitContent(text.size(), index.size()));
    if (!st) {
        rollBack(env, s);
        return failed(SaveFailure::IndexFile, s.idx, st.message());
    }

    // Committed: from here on a load sees the new state, so the entries point into it.
    for (size_t i = 0; i < full.size(); ++i) {
        full[i]->stored.textStart = offsets[i].first;
        full[i]->stored.textEnd = offsets[i].second;
    }
    st = finishInterruptedSave(env, s, nullptr);
    if (!st)
        return failed(SaveFailure::IndexFile, s.idx, st.message()); // textChanged stays set
    book.textChanged = false;
    return {};
}

SaveResult saveBookInteractive(Book& book, const SaveQuestions& q, Env* env)
{
    for (;;) {
        SaveResult r = saveBook(book, env);
        if (r.ok())
            return r;
        const QString question = QStringLiteral("保存文件失败:") + r.failedPath + QStringLiteral("\n，是否要另存为... ");
        if (!q.askSaveAs || !q.askSaveAs(question))
            return r;
        const QString filter = r.failure == SaveFailure::TextFile
                                   ? QStringLiteral("文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*||")
                                   : QStringLiteral("文本文件 (*.idx)|*.txt|所有文件 (*.*)|*.*||");
        const QString chosen = q.chooseFile ? q.chooseFile(r.failedPath, filter) : QString();
        if (chosen.isEmpty())
            return r;
        const qsizetype slash = chosen.lastIndexOf(QLatin1Char('/'));
        const QString file = chosen.mid(slash + 1);
        const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
        book.path = chosen.left(slash + 1);
        book.name = dot > 0 ? file.left(dot) : file;
        book.textChanged = true;
        book.loadFailed = false;
    }
}

QString AppendToBook(const std::vector<const WordEntry*>& entries, const QString& bookPath,
                     const QString& targetName, Env* env)
{
    const SaveSet s(bookPath, targetName);
    const QString cannotIdx = QStringLiteral("无法打开文件: ") + s.idx;
    const QString cannotTxt = QStringLiteral("无法打开文件：") + s.txt;
    const QString differs = QStringLiteral("失败：目标文件版本不同。");

    if (!env->fileExists(s.idx))
        return cannotIdx;
    if (!finishInterruptedSave(env, s, nullptr))
        return cannotIdx;
    QByteArray ib;
    if (!env->readFile(s.idx, &ib))
        return cannotIdx;
    if (!ib.isEmpty()) {
        if (ib.size() < 4 || std::memcmp(ib.constData(), kMarkerBytes, 4) != 0)
            return differs + s.idx;
        // Our 21-byte records would be misread behind another record size or a broken tail.
        if (ib.size() < 5 || int8_t(ib[4]) != kIndexRecordSize || (ib.size() - 5) % kIndexRecordSize != 0)
            return differs + s.idx;
    }
    if (!env->fileExists(s.txt))
        return cannotTxt;
    QByteArray tb;
    if (!env->readFile(s.txt, &tb))
        return cannotTxt;
    if (!tb.isEmpty() && (tb.size() < 4 || std::memcmp(tb.constData(), kMarkerBytes, 4) != 0))
        return differs + s.txt;

    const qint64 base = tb.size();
    tb.clear();
    QByteArray text, index;
    for (const WordEntry* e : entries) {
        IndexFields f = e->stored;
        const qint64 start = base + text.size();
        appendTextRecord(*e, text);
        const qint64 end = base + text.size();
        if (end > qint64(kMaxOffset))
            return QStringLiteral("失败：目标文件过大。") + s.txt;
        f.textStart = uint32_t(start);
        f.textEnd = uint32_t(end);
        index.append(reinterpret_cast<const char*>(&f), kIndexRecordSize);
    }
    if (entries.empty())
        return {};

    // Texts first and durable, so that no index record ever points past the text file.
    std::unique_ptr<WritableFile> tf, xf;
    Status st = env->newAppendableFile(s.txt, &tf);
    if (!st)
        return cannotTxt;
    st = tf->append(text);
    if (st)
        st = tf->sync();
    if (st)
        st = tf->close();
    if (!st)
        return st.message();
    st = env->newAppendableFile(s.idx, &xf);
    if (!st)
        return cannotIdx;
    st = xf->append(index);
    if (st)
        st = xf->sync();
    if (st)
        st = xf->close();
    if (!st)
        return st.message();
    return {};
}

} // namespace lex
