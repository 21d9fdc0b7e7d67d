#include "common/config/profile.h"

#include "common/text/codepage.h"
#include "common/text/encoding_guess.h"

#include <QDebug>

#include <QStringDecoder>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdint>
#include <vector>

namespace lex {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

// QString::fromUtf8 drops a leading U+FEFF; after our own mark is skipped, another one is text.
QString fromUtf8Exact(QByteArrayView bytes)
{
    QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    return dec.decode(bytes);
}

bool isSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\r' || u == '\n' || u == '\v' || u == '\f';
}

QStringView trim(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isSpace(s[b]))
        ++b;
    while (e > b && isSpace(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

char16_t foldAscii(char16_t c) { return (c >= 'a' && c <= 'z') ? char16_t(c - 'a' + 'A') : c; }

// Names are ASCII in practice; other characters must match exactly.
bool sameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (foldAscii(a[i].unicode()) != foldAscii(b[i].unicode()))
            return false;
    return true;
}

bool isQuote(QChar c) { return c == QLatin1Char('"') || c == QLatin1Char('\''); }

bool enclosedInQuotes(QStringView v) { return v.size() >= 2 && isQuote(v.front()) && v.back() == v.front(); }

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    QStringView name;          // section or key name, trimmed
    QStringView value;         // key lines: the value, trimmed
    qsizetype valueStart = 0;  // key lines: where the text after '=' and its white space begins
};

// "[name]" (anything after the first ']' is ignored), ";comment", "key=value"; anything else is
// kept but means nothing.
ParsedLine parseLine(QStringView text)
{
    ParsedLine p;
    const QStringView t = trim(text);
    if (t.isEmpty() || t.front() == QLatin1Char(';'))
        return p;
    if (t.front() == QLatin1Char('[')) {
        const qsizetype close = t.indexOf(QLatin1Char(']'));
        if (close > 0) {
            p.kind = LineKind::Section;
            p.name = trim(t.mid(1, close - 1));
            return p;
        }
    }
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq < 0)
        return p;
    p.kind = LineKind::Key;
    p.name = trim(text.left(eq));
    qsizetype vs = eq + 1;
    while (vs < text.size() && isSpace(text[vs]))
        ++vs;
    p.valueStart = vs;
    p.value = trim(text.mid(vs));
    return p;
}

// The decoded file as one string, with the extent of each line in it.
class Document {
public:
    // Reads the file. A missing file gives an empty document; false when it exists but cannot be read.
    bool load(Env* env, const QString& path)
    {
        if (!env->fileExists(path))
            return true;
        QByteArray raw;
        if (!env->readFile(path, &raw))
            return false;
        QByteArrayView body(raw);
        if (body.startsWith(QByteArrayView(kBom, 3))) {
            // The mark says UTF-8; any broken sequence becomes U+FFFD.
            text_ = fromUtf8Exact(body.sliced(3));
        } else if (guessUnmarkedEncoding(body) == UnmarkedEncoding::Utf8) {
            // Written by an earlier version of ours, without the mark: only a whole file that
            // reads far likelier as UTF-8 than as GBK is taken so.
            text_ = fromUtf8Exact(body);
        } else {
            // As Windows reads it: code page 936 throughout.
            text_ = cp936::decode(body);
        }
        split();
        return true;
    }

    // Line index of the first `key` in any section named `section`, or -1.
    qsizetype find(QStringView section, QStringView key) const
    {
        if (key.isEmpty())
            return -1;
        bool inSection = false;
        for (qsizetype i = 0; i < qsizetype(lines_.size()); ++i) {
            const ParsedLine p = parseLine(line(i));
            if (p.kind == LineKind::Section)
                inSection = sameName(p.name, section);
            else if (p.kind == LineKind::Key && inSection && sameName(p.name, key))
                return i;
        }
        return -1;
    }

    QStringView value(qsizetype i) const { return parseLine(line(i)).value; }

    // Sets the value text of `key`; the document then holds only the new text (serialize() it).
    void set(QStringView section, QStringView key, const QString& stored)
    {
        qsizetype firstSection = -1, lastKeyOfFirst = -1;
        bool inSection = false, inFirst = false;
        for (qsizetype i = 0; i < qsizetype(lines_.size()); ++i) {
            const ParsedLine p = parseLine(line(i));
            if (p.kind == LineKind::Section) {
                inSection = sameName(p.name, section);
                inFirst = inSection && firstSection < 0;
                if (inFirst)
                    firstSection = i;
            } else if (p.kind == LineKind::Key && inSection) {
                if (sameName(p.name, key)) {
                    // Keep the key as spelled and the spacing up to the value.
                    const Span& l = lines_[size_t(i)];
                    const qsizetype from = l.begin + p.valueStart;
                    text_.replace(from, l.end - from, stored);
                    return;
                }
                if (inFirst)
                    lastKeyOfFirst = i;
            }
        }
        const QString keyLine = key.toString() + QLatin1Char('=') + stored;
        if (firstSection >= 0)
            insertAfter((lastKeyOfFirst >= 0 ? lastKeyOfFirst : firstSection), keyLine);
        else
            insertAfter(qsizetype(lines_.size()) - 1, QLatin1Char('[') + section.toString() + QLatin1Char(']') + eol() + keyLine);
    }

    // Always UTF-8 with the mark, so that the next reader need not guess.
    QByteArray serialize() const { return QByteArray(kBom, 3) + text_.toUtf8(); }

private:
    struct Span {
        qsizetype begin, end; // the line's text, without its ending
        qsizetype next;       // where the next line begins (== end for a last line without ending)
    };

    QStringView line(qsizetype i) const
    {
        const Span& l = lines_[size_t(i)];
        return QStringView(text_).mid(l.begin, l.end - l.begin);
    }

    QString eol() const { return crlf_ ? QStringLiteral("\r\n") : QStringLiteral("\n"); }

    void split()
    {
        qsizetype start = 0;
        while (start < text_.size()) {
            const qsizetype nl = text_.indexOf(QLatin1Char('\n'), start);
            if (nl < 0) {
                lines_.push_back({start, text_.size(), text_.size()});
                break;
            }
            const bool cr = nl > start && text_[nl - 1] == QLatin1Char('\r');
            lines_.push_back({start, nl - (cr ? 1 : 0), nl + 1});
            if (lines_.size() == 1)
                crlf_ = cr;
            start = nl + 1;
        }
    }

    // Inserts `lines` (joined by line endings) after line `after` (-1: at the start). A last line
    // without an ending stays the last one without.
    void insertAfter(qsizetype after, const QString& lines)
    {
        if (after < 0) {
            text_.insert(0, lines + eol());
            return;
        }
        const Span& l = lines_[size_t(after)];
        if (l.next == l.end) // the file's last line, without an ending
            text_.insert(l.end, eol() + lines);
        else
            text_.insert(l.next, lines + eol());
    }

    QString text_;
    std::vector<Span> lines_;
    bool crlf_ = false;
};

bool hasLineBreak(QStringView s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

bool storableSection(QStringView s)
{
    return !s.isEmpty() && !isSpace(s.front()) && !isSpace(s.back()) && !hasLineBreak(s)
        && !s.contains(QLatin1Char(']'));
}

bool storableKey(QStringView k)
{
    return !k.isEmpty() && !isSpace(k.front()) && !isSpace(k.back()) && !hasLineBreak(k)
        && !k.contains(QLatin1Char('=')) && k.front() != QLatin1Char(';') && k.front() != QLatin1Char('[');
}

QString truncated(QStringView s, int capacity)
{
    if (capacity <= 0)
        return {};
    qsizetype n = capacity - 1;
    if (s.size() <= n)
        return s.toString();
    if (n > 0 && s[n - 1].isHighSurrogate() && s[n].isLowSurrogate())
        --n;
    return s.left(n).toString();
}

QStringView unquoted(QStringView v) { return enclosedInQuotes(v) ? v.mid(1, v.size() - 2) : v; }

int digitValue(char16_t u)
{
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'z')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'Z')
        return u - 'A' + 10;
    return 99;
}

// As Windows' private-profile integer function converts: leading white space, an optional sign,
// a lower-case base prefix ("0x", "0o", "0b"; a leading zero alone is still decimal), then the
// digits of that base up to the first other character. Arithmetic wraps modulo 2^32 and the
// result is taken as signed, so "4294967297" gives 1 and "2147483648" gives INT_MIN.
int parseInt(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && isSpace(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) {
        negative = s[i] == QLatin1Char('-');
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < s.size() && s[i] == QLatin1Char('0')) {
        const char16_t p = s[i + 1].unicode();
        base = p == 'x' ? 16 : p == 'o' ? 8 : p == 'b' ? 2 : 10;
        if (base != 10)
            i += 2; // "0x" with no digit after it reads as 0
    }
    uint32_t value = 0;
    for (; i < s.size(); ++i) {
        const int d = digitValue(s[i].unicode());
        if (d >= int(base))
            break;
        value = value * base + uint32_t(d);
    }
    if (negative)
        value = 0u - value;
    return int(value); // two's complement: values from 2^31 up read as negative
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

// Both programs rewrite the file at their exit; the lock keeps one's read-change-replace from
// dropping the other's keys. It is taken on the folder, not on the file, because replacing the
// file by rename would leave a lock on the old file behind.
constexpr int kLockWaitMs = 2000;
// After a wait ran out, the holder is taken to be stuck: during this time later writes of this
// process wait only briefly (a sound writer holds the lock for milliseconds), so that a dozen
// writes at exit cannot add up to a long hang. The first lock taken ends it.
constexpr std::chrono::seconds kStuckLockGrace{10};
constexpr int kStuckLockWaitMs = 100;
std::atomic<int64_t> lockStuckUntil{0};

int64_t steadyNowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// False when another writer kept the lock past the wait. The write then fails: going ahead would
// share the temporary file with that writer and could leave a mixture of both files, which is
// worse than one value not stored. Any other failure to lock (a folder we cannot open) lets the
// write go on alone; it will fail or succeed on its own.
bool isTimeout(const Status& st) { return st.code() == Status::Code::Busy; }

bool lockFolderOf(Env* env, const QString& path, std::unique_ptr<FileLock>* lock)
{
    const bool stuck = steadyNowMs() < lockStuckUntil.load(std::memory_order_relaxed);
    const Status st = env->lockExclusive(parentDir(path), stuck ? kStuckLockWaitMs : kLockWaitMs, lock);
    if (st) {
        lockStuckUntil.store(0, std::memory_order_relaxed);
        return true;
    }
    if (!isTimeout(st))
        return true;
    lockStuckUntil.store(steadyNowMs() + std::chrono::milliseconds(kStuckLockGrace).count(), std::memory_order_relaxed);
    qWarning("Config.INI not written: %s", qUtf8Printable(st.message()));
    return false;
}

} // namespace

Profile::Profile(QString path, Env* env) : path_(std::move(path)), env_(env) {}

bool Profile::contains(const QString& section, const QString& key) const
{
    Document doc;
    return doc.load(env_, path_) && doc.find(section, key) >= 0;
}

int Profile::readInt(const QString& section, const QString& key, int def) const
{
    Document doc;
    if (!doc.load(env_, path_))
        return def;
    const qsizetype line = doc.find(section, key);
    if (line < 0)
        return def;
    const QStringView v = unquoted(doc.value(line));
    return v.isEmpty() ? def : parseInt(v);
}

QString Profile::readString(const QString& section, const QString& key, const QString& def, int capacity) const
{
    Document doc;
    qsizetype line = -1;
    if (doc.load(env_, path_))
        line = doc.find(section, key);
    if (line < 0)
        return truncated(def, capacity);
    return truncated(unquoted(doc.value(line)), capacity);
}

std::optional<QByteArray> Profile::readStruct(const QString& section, const QString& key, int size) const
{
    if (size < 0)
        return std::nullopt;
    Document doc;
    if (!doc.load(env_, path_))
        return std::nullopt;
    const qsizetype line = doc.find(section, key);
    if (line < 0)
        return std::nullopt;
    const QStringView v = doc.value(line);
    if (v.size() != 2 * qsizetype(size) + 2)
        return std::nullopt;
    QByteArray bytes(size + 1, '\0');
    for (int i = 0; i <= size; ++i) {
        const int hi = hexDigit(v[2 * i]), lo = hexDigit(v[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes[i] = char(hi * 16 + lo);
    }
    unsigned sum = 0;
    for (int i = 0; i < size; ++i)
        sum += static_cast<unsigned char>(bytes[i]);
    if ((sum & 0xFF) != static_cast<unsigned char>(bytes[size]))
        return std::nullopt;
    bytes.chop(1);
    return bytes;
}

bool Profile::writeString(const QString& section, const QString& key, const QString& value)
{
    if (!storableSection(section) || !storableKey(key) || hasLineBreak(value))
        return false;
    QString stored = value;
    const QStringView v(value);
    if (!v.isEmpty() && (isSpace(v.front()) || isSpace(v.back()) || enclosedInQuotes(v)))
        stored = QLatin1Char('"') + value + QLatin1Char('"');

    std::unique_ptr<FileLock> lock;
    if (!held_ && !lockFolderOf(env_, path_, &lock))
        return false;
    Document doc;
    // A file that exists but cannot be read must not be replaced by one holding a single key.
    if (!doc.load(env_, path_))
        return false;
    doc.set(section, key, stored);
    return writeFileAtomically(env_, path_, doc.serialize()).isOk();
}

Status Profile::lockWriters(int timeoutMs, bool* heldByOther)
{
    if (heldByOther)
        *heldByOther = false;
    std::unique_ptr<FileLock> lock;
    const Status st = env_->lockExclusive(parentDir(path_), timeoutMs, &lock);
    if (!st) {
        if (heldByOther)
            *heldByOther = isTimeout(st);
        return st;
    }
    held_ = std::move(lock);
    return st;
}

Status Profile::seed(QByteArrayView bytes)
{
    std::unique_ptr<FileLock> lock;
    if (!held_ && !lockFolderOf(env_, path_, &lock))
        return Status::error(QStringLiteral("%1: another program kept it locked").arg(path_));
    // Checked under the lock: whoever wrote first keeps what he wrote.
    if (env_->fileExists(path_))
        return Status::ok();
    return writeFileAtomically(env_, path_, bytes);
}

bool Profile::writeInt(const QString& section, const QString& key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool Profile::writeStruct(const QString& section, const QString& key, const QByteArray& bytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    QString text;
    text.reserve(bytes.size() * 2 + 2);
    unsigned sum = 0;
    auto put = [&](unsigned char b) {
        text += QLatin1Char(kHex[b >> 4]);
        text += QLatin1Char(kHex[b & 0xF]);
    };
    for (char c : bytes) {
        put(static_cast<unsigned char>(c));
        sum += static_cast<unsigned char>(c);
    }
    put(static_cast<unsigned char>(sum & 0xFF));
    return writeString(section, key, text);
}

} // namespace lex
