#include "lexora/exchange/text_encoding.h"

#include "common/text/codepage.h"
#include "common/text/encoding_guess.h"

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
    // One rule for the import, the preview and lexbook, decided on the whole file.
    return guessUnmarkedEncoding(bytes) == UnmarkedEncoding::Utf8 ? TextEncoding::Utf8 : TextEncoding::Cp936;
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

bool isWordListText(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isNull())
        --end;
    qsizetype bad = 0, run = 0;
    for (qsizetype i = 0; i < end; ++i) {
        const char16_t c = text[i].unicode();
        bool undecodable = false;
        if (c == 0) {
            return false;
        } else if (c < 0x20) {
            undecodable = c != u'\t' && c != u'\n' && c != 0x0B && c != 0x0C && c != u'\r' && c != 0x1A;
        } else if (c == 0xFFFD) {
            undecodable = true;
        } else if (QChar::isHighSurrogate(c)) {
            if (i + 1 < end && QChar::isLowSurrogate(text[i + 1].unicode()))
                ++i;
            else
                undecodable = true;
        } else if (QChar::isLowSurrogate(c)) {
            undecodable = true;
        }
        run = undecodable ? run + 1 : 0;
        bad += undecodable ? 1 : 0;
        if (run >= 4)
            return false;
    }
    return bad * 8 <= end;
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
        return Status::error(Status::Code::NotFound, QStringLiteral("no such file: ") + path);
    QByteArray bytes;
    Status s = env->readFile(path, &bytes);
    if (!s)
        return s;
    if (bytes.isEmpty())
        return Status::error(Status::Code::Refused, QStringLiteral("empty file: ") + path);
    *text = decodeWordList(bytes, encoding, used);
    if (!isWordListText(*text)) {
        text->clear();
        return Status::error(Status::Code::Damaged, QStringLiteral("not a text file: ") + path);
    }
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
        qsizetype n = qMin(kPreview, all.size());
        // Nor half of a surrogate pair. A high surrogate with no low one after it is a unit of its
        // own (a damaged file) and is shown as the import reads it.
        if (n < all.size() && n > 0 && all[n - 1].isHighSurrogate() && all[n].isLowSurrogate())
            --n;
        p.text = all.left(n);
    } else {
        const QByteArrayView body = p.encoding == TextEncoding::Utf8 && hasUtf8Mark(bytes) ? bytes.sliced(3) : bytes;
        p.lineCount = int(body.count("\r\n")) + 1;
        QByteArrayView head = body.first(qMin(kPreview, body.size()));
        if (p.encoding == TextEncoding::Utf8) {
            // Do not show a character cut in half by the 200-byte limit.
            head = head.first(head.size() - incompleteUtf8Tail(head));
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
