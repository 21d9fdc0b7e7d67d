#include "lexora/book/book_file.h"

#include "common/platform/huge_pages.h"
#include "common/text/codepage.h"
#include "lexora/book/book_commit.h"
#include "lexora/book/book_damage.h"
#include "lexora/book/record_scan.h"

#include <QtEndian>
#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <cstring>
#include <limits>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "Book texts are borrowed as UTF-16LE in place");

namespace lex {

using namespace bookcommit;

namespace {

constexpr char kMarkerBytes[4] = {0x74, 0x00, 0x00, char(0xFF)};
constexpr uint32_t kLastAnsiVersion = 111;
constexpr uint32_t kMaxOffset = std::numeric_limits<uint32_t>::max();

uint32_t le32(const char* p) { return qFromLittleEndian<uint32_t>(p); }

// ---------------------------------------------------------------------------------------------
// Loading

void skip(LoadReport& r, int index, qint64 offset, QString reason)
{
    r.skipped.push_back(SkippedRecord{index, offset, std::move(reason)});
}

// The index file's bytes in order through a small buffer, so that even a very large index
// needs no memory of its own size (the records are copied into the entries anyway).
class IndexStream {
public:
    // `expectedSize` only sizes the window: a small index gets a small one.
    IndexStream(std::unique_ptr<SequentialFile> file, qint64 expectedSize)
        : file_(std::move(file)), size_(qsizetype(std::clamp<qint64>(expectedSize, kMinChunk, kChunk))),
          buf_(new char[size_t(size_)])
    {
    }

    // Makes at least `want` bytes available unless the file ends first.
    Status fill(qsizetype want)
    {
        if (end_ - pos_ >= want || eof_)
            return Status::ok();
        std::memmove(buf_.get(), buf_.get() + pos_, size_t(end_ - pos_));
        end_ -= pos_;
        consumed_ += pos_;
        pos_ = 0;
        while (end_ < want && !eof_) {
            qsizetype got = 0;
            const Status st = file_->read(buf_.get() + end_, size_ - end_, &got);
            if (!st)
                return st;
            eof_ = got == 0;
            end_ += got;
        }
        return Status::ok();
    }
    const char* data() const { return buf_.get() + pos_; }
    qsizetype available() const { return end_ - pos_; }
    void consume(qsizetype n) { pos_ += n; }
    qint64 offset() const { return consumed_ + pos_; } // of data() in the file

private:
    static constexpr qsizetype kChunk = 256 * 1024;
    static constexpr qsizetype kMinChunk = 1024; // well over the largest record (127 bytes)
    std::unique_ptr<SequentialFile> file_;
    qsizetype size_;
    std::unique_ptr<char[]> buf_;
    qsizetype pos_ = 0, end_ = 0;
    qint64 consumed_ = 0;
    bool eof_ = false;
};

// The text file read into one buffer of its size. A large file is read by a second thread
// while the loader works through the index, which needs a record's bytes only when it reaches
// that record: the copy out of the page cache and the building of the entries then overlap.
class TextReader {
public:
    TextReader(std::unique_ptr<SequentialFile> file, qint64 size)
        : file_(std::move(file)), bytes_(qsizetype(size), Qt::Uninitialized), data_(bytes_.data()), size_(bytes_.size())
    {
        adviseHugePages(data_, size_t(size_));
        if (size_ >= kThreadFrom) {
            threaded_ = true;
            try {
                thread_ = std::thread([this] { readAhead(); });
            } catch (const std::system_error&) {
                threaded_ = false; // no thread to be had: read as the records ask
            }
        }
    }
    ~TextReader()
    {
        if (thread_.joinable()) {
            stop_.store(true);
            thread_.join();
        }
    }

    // Waits until the first `upto` bytes are there or the file has ended (or the buffer is
    // full: a file that grew while being read is taken at the size it had).
    Status ensure(qint64 upto)
    {
        if (!threaded_) {
            readSome(upto);
            return status_;
        }
        qint64 p = progress_.load(std::memory_order_acquire);
        while ((p & ~kDone) < upto && !(p & kDone)) {
            progress_.wait(p, std::memory_order_acquire);
            p = progress_.load(std::memory_order_acquire);
        }
        if ((p & ~kDone) < upto) {
            if (thread_.joinable())
                thread_.join(); // status_ is final and visible after the join
            return status_;
        }
        return Status::ok();
    }
    Status readAll()
    {
        const Status st = ensure(size_);
        if (thread_.joinable())
            thread_.join();
        return st ? status_ : st;
    }
    qsizetype have() const { return qsizetype(progress_.load(std::memory_order_acquire) & ~kDone); }
    const char* data() const { return data_; }
    // Hands the buffer to the Book to keep. Reading goes on into the same bytes, which do not
    // move with the QByteArray that owns them.
    QByteArray take() { return std::move(bytes_); }

private:
    static constexpr qsizetype kChunk = 1024 * 1024;
    static constexpr qsizetype kThreadFrom = 4 * kChunk;
    static constexpr qint64 kDone = qint64(1) << 62;

    // Reads in steps of kChunk until `upto` or the end; the result is left in status_.
    void readSome(qint64 upto)
    {
        qsizetype h = have();
        while (h < upto && !eof_ && status_) {
            // The reading thread publishes a chunk at a time; the loader's own reads go at least
            // as far as asked.
            const qint64 target = threaded_ ? h + kChunk : std::max<qint64>(upto, h + kChunk);
            const qsizetype want = qsizetype(std::min<qint64>(target, size_));
            qsizetype got = 0;
            status_ = file_->read(data_ + h, want - h, &got);
            h += got;
            eof_ = !status_ || got == 0 || h == size_;
            progress_.store(h, std::memory_order_release);
            if (threaded_)
                progress_.notify_all();
            if (stop_.load(std::memory_order_relaxed))
                break;
        }
    }
    void readAhead()
    {
        readSome(size_);
        progress_.store(have() | kDone, std::memory_order_release);
        progress_.notify_all();
    }

    std::unique_ptr<SequentialFile> file_;
    QByteArray bytes_;
    char* data_;
    qsizetype size_;
    // Bytes read so far, published by the reading thread; kDone is added when it has finished.
    std::atomic<qint64> progress_{0};
    std::atomic<bool> stop_{false};
    bool threaded_ = false;
    bool eof_ = false;           // written by the reading thread only
    Status status_;              // the same; read after join()
    std::thread thread_;
};

// Steps 6-8 of the load: headers and records. Never reads outside the index stream's buffer
// and the part of the text that has been read. `indexSize` (from the directory) only sizes the entry block: the records are those
// that arrive. Returns a failed status only when the index file could not be read to its end.
Status parseBook(Book& book, IndexStream& in, qint64 indexSize, TextReader& text, LoadReport& r,
                 const BookFileHooks* hooks)
{
    Status st = in.fill(5);
    if (!st)
        return st;
    if (in.available() < 5)
        return Status::ok(); // shrank since it was measured: an empty Book, as a short file is
    int recordSize = kIndexRecordSize;
    const char* ip = in.data();
    const uint32_t ih = le32(ip);
    if ((ih >> 24) == 0xFF) {
        r.indexHasHeader = true;
        r.indexVersion = ih & 0xFFFFFF;
        recordSize = int(int8_t(ip[4]));
        in.consume(5);
    } else {
        r.oldestIndexForm = true;
        book.textChanged = true;
        if (hooks && hooks->oldIndexFormRead)
            hooks->oldIndexFormRead();
    }
    r.recordSize = recordSize;

    st = text.ensure(4);
    if (!st)
        return st;
    if (text.have() < 4)
        return Status::ok(); // shrank since it was measured: an empty Book, as a short file is
    const uint32_t th = le32(text.data());
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
        // Counted as the 21-byte records the writer makes: the size byte is what is damaged.
        r.skipped.back().count = int(std::max<qint64>(1, (indexSize - 5 + kIndexRecordSize - 1) / kIndexRecordSize));
        return Status::ok();
    }

    const char* tp = text.data();
    if (!r.ansiText)
        book.adoptTextBuffer(text.take()); // tp stays valid: the bytes do not move

    const qint64 count = std::max<qint64>(0, (indexSize - in.offset() + recordSize - 1) / recordSize);
    book.reserveBlock(size_t(count));
    book.reserve(size_t(count));
    QString scratch;
    for (qint64 i = 0;; ++i) {
        if (in.available() < recordSize) {
            st = in.fill(recordSize);
            if (!st)
                return st;
        }
        const qsizetype left = in.available();
        const qint64 off = in.offset();
        if (left == 0)
            break;
        if (i == count) {
            r.notes << QStringLiteral("the index file grew while it was read: records from %1 on were not read").arg(i);
            break;
        }
        WordEntry& e = *book.nextBlockEntry();
        if (left < kIndexRecordSize) {
            skip(r, int(i), off, QStringLiteral("truncated record: %1 of %2 bytes").arg(left).arg(kIndexRecordSize));
            break;
        }
        if (left < recordSize)
            r.notes << QStringLiteral("record %1 at offset %2: %3 of %4 bytes, its first %5 were read")
                           .arg(i).arg(off).arg(left).arg(recordSize).arg(kIndexRecordSize);
        std::memcpy(static_cast<void*>(&e.stored), in.data(), sizeof(IndexFields));
        in.consume(std::min<qsizetype>(left, recordSize));
        const qint64 s = e.stored.textStart, en = e.stored.textEnd;
        if (s > en) {
            skip(r, int(i), off, QStringLiteral("text offsets reversed (start %1, end %2)").arg(s).arg(en));
            continue;
        }
        st = text.ensure(en);
        if (!st)
            return st;
        if (en > text.have()) {
            skip(r, int(i), off, QStringLiteral("text offsets outside the text file (start %1, end %2, length %3)")
                                     .arg(s).arg(en).arg(text.have()));
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
    return text.readAll();
}

// Steps 4-5 (sizes and reading) and then the parse. Missing files count as empty.
void readBookFiles(Book& book, const QString& idxPath, const QString& txtPath, Env* env, LoadReport& r,
                   const BookFileHooks* hooks)
{
    // The size of an existing file, or -1 when it is missing or shorter than minSize.
    auto sizeOf = [&](const QString& path, qint64 minSize) -> qint64 {
        if (!env->fileExists(path))
            return -1;
        const qint64 size = env->fileSize(path);
        if (size < 0)
            r.readError = QStringLiteral("cannot examine %1").arg(path);
        return size < minSize ? -1 : size;
    };
    // A file that cannot be read to its end leaves the Book empty, as one that cannot be opened.
    auto failed = [&](const Status& st) {
        r.readError = st.message();
        book.clear();
        book.loadFailed = true;
    };
    r.indexFile = idxPath;
    r.textFile = txtPath;
    const qint64 indexSize = sizeOf(idxPath, 5);
    const qint64 textSize = indexSize < 0 ? -1 : sizeOf(txtPath, 4);
    if (indexSize < 0 || textSize < 0) {
        if (!r.readError.isEmpty())
            book.loadFailed = true;
        return;
    }
    std::unique_ptr<SequentialFile> index, textFile;
    Status st = env->newSequentialFile(idxPath, &index);
    if (st)
        st = env->newSequentialFile(txtPath, &textFile);
    if (!st)
        return failed(st);
    IndexStream in(std::move(index), indexSize);
    TextReader text(std::move(textFile), textSize);
    st = parseBook(book, in, indexSize, text, r, hooks);
    if (!st)
        failed(st);
}

// ---------------------------------------------------------------------------------------------
// Saving

Status writeNewFile(Env* env, const QString& path, QByteArrayView data)
{
    std::unique_ptr<WritableFile> f;
    Status st = env->newWritableFile(path, &f);
    if (st)
        st = writeDurably(*f, data);
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
    scanSelectors(p, n, [&](qsizetype k, char16_t sel) {
        flush(k);
        cur = sel;
        runStart = k + 1;
        return true;
    });
    flush(n);
    for (int f = 0; f < kTextFieldCount; ++f)
        e.setText(TextField(f), fields[f]);
}

int LoadReport::skippedCount() const
{
    int n = 0;
    for (const SkippedRecord& s : skipped)
        n += s.count;
    return n;
}

LoadReport LoadBook(Book& book, Env* env, const BookFileHooks& hooks)
{
    book.clear();
    book.textChanged = false;
    book.loadFailed = false;
    book.damageCopies.reset();
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
    removeStrayDamageTemps(book.path, book.name, env);
    QString idxPath, txtPath;
    effectivePaths(env, s, p, &idxPath, &txtPath);

    r.indexExisted = env->fileExists(idxPath);
    if (!r.indexExisted && !env->createIfMissing(idxPath))
        return r;
    r.textExisted = env->fileExists(txtPath);
    if (!r.textExisted && !env->createIfMissing(txtPath))
        return r;
    readBookFiles(book, idxPath, txtPath, env, r, &hooks);
    if (!r.skipped.empty() && !book.loadFailed)
        book.damageCopies = planDamageCopies(book, env);
    return r;
}

LoadReport inspectBook(const QString& path, const QString& name, Env* env, Book* into)
{
    Book local;
    Book& book = into ? *into : local;
    book.clear();
    book.textChanged = false;
    book.loadFailed = false;
    book.damageCopies.reset();
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
    // Damaged files as they were loaded are kept before anything of them is overwritten.
    st = keepDamageCopies(book, env);
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

void splitSaveAsPath(const QString& chosen, QString* path, QString* name)
{
    const qsizetype slash = chosen.lastIndexOf(QLatin1Char('/'));
    const QString file = chosen.mid(slash + 1);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    *path = chosen.left(slash + 1);
    *name = dot > 0 ? file.left(dot) : file;
}

SaveResult saveBookInteractive(Book& book, const SaveQuestions& q, Env* env)
{
    for (;;) {
        SaveResult r = saveBook(book, env);
        if (r.ok())
            return r;
        if (!q.askSaveAs || !q.askSaveAs({SaveAsQuestion::Why::SaveFailed, r.failedPath}))
            return r;
        const QString chosen = q.chooseFile ? q.chooseFile(r.failedPath, r.failure) : QString();
        if (chosen.isEmpty())
            return r;
        splitSaveAsPath(chosen, &book.path, &book.name);
        book.textChanged = true;
        book.loadFailed = false;
    }
}

AppendFailure AppendToBook(const std::vector<const WordEntry*>& entries, const QString& bookPath,
                           const QString& targetName, Env* env)
{
    using Why = AppendFailure::Why;
    const SaveSet s(bookPath, targetName);
    const AppendFailure cannotIdx{Why::IndexUnreadable, s.idx, {}};
    const AppendFailure cannotTxt{Why::TextUnreadable, s.txt, {}};

    if (!env->fileExists(s.idx))
        return cannotIdx;
    if (!finishInterruptedSave(env, s, nullptr))
        return cannotIdx;
    QByteArray ib;
    if (!env->readFile(s.idx, &ib))
        return cannotIdx;
    if (!ib.isEmpty()) {
        if (ib.size() < 4 || std::memcmp(ib.constData(), kMarkerBytes, 4) != 0)
            return {Why::OtherVersion, s.idx, {}};
        // Our 21-byte records would be misread behind another record size or a broken tail.
        if (ib.size() < 5 || int8_t(ib[4]) != kIndexRecordSize || (ib.size() - 5) % kIndexRecordSize != 0)
            return {Why::OtherVersion, s.idx, {}};
    }
    if (!env->fileExists(s.txt))
        return cannotTxt;
    QByteArray tb;
    if (!env->readFile(s.txt, &tb))
        return cannotTxt;
    if (!tb.isEmpty() && (tb.size() < 4 || std::memcmp(tb.constData(), kMarkerBytes, 4) != 0))
        return {Why::OtherVersion, s.txt, {}};

    const qint64 base = tb.size();
    tb.clear();
    QByteArray text, index;
    for (const WordEntry* e : entries) {
        IndexFields f = e->stored;
        const qint64 start = base + text.size();
        appendTextRecord(*e, text);
        const qint64 end = base + text.size();
        if (end > qint64(kMaxOffset))
            return {Why::TooLarge, s.txt, {}};
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
    st = writeDurably(*tf, text);
    if (!st)
        return {Why::WriteFailed, s.txt, st.message()};
    st = env->newAppendableFile(s.idx, &xf);
    if (!st)
        return cannotIdx;
    st = writeDurably(*xf, index);
    if (!st)
        return {Why::WriteFailed, s.idx, st.message()};
    return {};
}

} // namespace lex
