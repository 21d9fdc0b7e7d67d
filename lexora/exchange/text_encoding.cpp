#include "lexora/exchange/text_encoding.h"

#include "common/text/codepage.h"

#include <QtEndian>
#include <cstring>

namespace lex {
namespace {

bool hasUtf16Mark(QByteArrayView b)
{
    return b.size() >= 2 && uchar(b[0]) == 0xFF && uchar(b[1]) == 0xFE;
}

bool hasUtf8Mark(QByteArrayView b)
{
    return b.size() >= 3 && uchar(b[0]) == 0xEF && uchar(b[1]) == 0xBB && uchar(b[2]) == 0xBF;
}

// Length of the UTF-8 sequence that `lead` starts, 0 when it cannot start one.
int sequenceLength(uchar lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// The number of bytes at the end of `b` that begin a UTF-8 sequence without completing it
// (a file cut off while being copied), 0 when the end is not such a fragment.
qsizetype incompleteTail(QByteArrayView b)
{
    for (qsizetype cut = 1; cut <= 3 && cut <= b.size(); ++cut) {
        const uchar lead = uchar(b[b.size() - cut]);
        if (lead < 0x80)
            return 0;
        if ((lead & 0xC0) == 0x80)
            continue; // a continuation byte: the lead lies further back
        return sequenceLength(lead) > cut ? cut : 0;
    }
    return 0;
}

bool looksLikeUtf8(QByteArrayView b)
{
    if (cp936::isAscii(b))
        return false; // the same text either way; code page 936 keeps the old behaviour
    if (utf8::isValid(b))
        return true;
    const qsizetype tail = incompleteTail(b);
    if (tail == 0)
        return false;
    const QByteArrayView body = b.first(b.size() - tail);
    return !cp936::isAscii(body) && utf8::isValid(body);
}

QString fromUtf16Le(QByteArrayView b)
{
    const qsizetype units = b.size() / 2;
    QString s(units, Qt::Uninitialized);
    // The bytes may sit at any address: copy, then fix the order on a big-endian machine.
    std::memcpy(s.data(), b.data(), size_t(units) * 2);
    if constexpr (QSysInfo::ByteOrder == QSysInfo::BigEndian) {
        char16_t* p = reinterpret_cast<char16_t*>(s.data());
        for (qsizetype i = 0; i < units; ++i)
            p[i] = qFromLittleEndian(p[i]);
    }
    return s;
}

} // namespace

TextEncoding detectEncoding(QByteArrayView bytes)
{
    if (hasUtf16Mark(bytes))
        return TextEncoding::Utf16;
    if (hasUtf8Mark(bytes))
        return TextEncoding::Utf8;
    return looksLikeUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp936;
}

QString decodeWordList(QByteArrayView bytes, TextEncoding encoding, TextEncoding* used)
{
    if (encoding == TextEncoding::Auto)
        encoding = detectEncoding(bytes);
    if (used)
        *used = encoding;
    switch (encoding) {
    case TextEncoding::Utf16:
        return fromUtf16Le(hasUtf16Mark(bytes) ? bytes.sliced(2) : bytes);
    case TextEncoding::Utf8:
        return QString::fromUtf8(hasUtf8Mark(bytes) ? bytes.sliced(3) : bytes);
    case TextEncoding::Cp936:
    case TextEncoding::Auto:
        break;
    }
    return cp936::decode(bytes);
}

QByteArray encodeWordList(QStringView text, TextEncoding encoding, bool* lossy)
{
    if (lossy)
        *lossy = false;
    QByteArray out;
    switch (encoding) {
    case TextEncoding::Utf16: {
        out.reserve(2 + text.size() * 2);
        out.append("\xFF\xFE", 2);
        const qsizetype base = out.size();
        out.resize(base + text.size() * 2);
        char* dst = out.data() + base;
        for (qsizetype i = 0; i < text.size(); ++i)
            qToLittleEndian(char16_t(text[i].unicode()), dst + 2 * i);
        return out;
    }
    case TextEncoding::Utf8:
        out = "\xEF\xBB\xBF";
        out += text.toUtf8();
        return out;
    case TextEncoding::Cp936:
    case TextEncoding::Auto:
        break;
    }
    return cp936::encode(text, lossy);
}

Status readWordListFile(Env* env, const QString& path, TextEncoding encoding, QString* text,
                        TextEncoding* used)
{
    if (!env->fileExists(path))
        return Status::error(QStringLiteral("no such file: ") + path);
    QByteArray bytes;
    Status s = env->readFile(path, &bytes);
    if (!s)
        return s;
    if (bytes.isEmpty())
        return Status::error(QStringLiteral("empty file: ") + path);
    *text = decodeWordList(bytes, encoding, used);
    return Status::ok();
}

WordListPreview previewWordList(QByteArrayView bytes)
{
    constexpr qsizetype kPreview = 200;
    WordListPreview p;
    p.encoding = detectEncoding(bytes);
    if (p.encoding == TextEncoding::Utf16) {
        const QString all = fromUtf16Le(bytes.sliced(2));
        p.lineCount = int(all.count(QStringLiteral("\r\n"))) + 1;
        p.text = all.left(kPreview);
    } else {
        const QByteArrayView body = p.encoding == TextEncoding::Utf8 && hasUtf8Mark(bytes) ? bytes.sliced(3) : bytes;
        p.lineCount = int(body.count("\r\n")) + 1;
        QByteArrayView head = body.first(qMin(kPreview, body.size()));
        if (p.encoding == TextEncoding::Utf8) {
            // Do not show a character cut in half by the 200-byte limit.
            head = head.first(head.size() - incompleteTail(head));
            p.text = QString::fromUtf8(head);
        } else {
            p.text = cp936::decode(head);
        }
    }
    p.text += QStringLiteral("\r\n...\r\n..\r\n.");
    return p;
}

bool parseTextEncoding(QStringView name, TextEncoding* out)
{
    if (name == u"auto")
        *out = TextEncoding::Auto;
    else if (name == u"utf16")
        *out = TextEncoding::Utf16;
    else if (name == u"gbk" || name == u"cp936")
        *out = TextEncoding::Cp936;
    else if (name == u"utf8")
        *out = TextEncoding::Utf8;
    else
        return false;
    return true;
}

} // namespace lex
