#include "common/text/codepage.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace lex {
namespace {

// One converter per thread and direction: iconv_open loads a gconv module and is too costly per call.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd_ != iconv_t(-1))
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    iconv_t handle() const { return cd_; }
    void reset() const { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t cd_;
};

const Converter& decoder()
{
    thread_local Converter c("UTF-16LE", "CP936");
    return c;
}

const Converter& encoder()
{
    thread_local Converter c("CP936", "UTF-16LE");
    return c;
}

constexpr char16_t kReplacement = 0xFFFD;

} // namespace

bool cp936::isAscii(QByteArrayView bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

void cp936::decodeAppend(QByteArrayView bytes, QString& out)
{
    const qsizetype base = out.size();
    // Every byte yields at most one UTF-16 code unit (double-byte sequences yield one).
    out.resize(base + bytes.size());
    char16_t* dst = reinterpret_cast<char16_t*>(out.data()) + base;
    char16_t* const begin = dst;

    const char* in = bytes.data();
    size_t inLeft = size_t(bytes.size());
    const Converter& conv = decoder();
    while (inLeft > 0) {
        // ASCII runs need no conversion call.
        const auto uc = static_cast<unsigned char>(*in);
        if (uc < 0x80) {
            *dst++ = uc;
            ++in;
            --inLeft;
            continue;
        }
        if (conv.handle() == iconv_t(-1)) {
            *dst++ = kReplacement;
            ++in;
            --inLeft;
            continue;
        }
        // Convert up to the next ASCII byte, which is always a boundary in code page 936 only when
        // it is not a trail byte; let iconv take the rest of the input and report where it stopped.
        char* outp = reinterpret_cast<char*>(dst);
        size_t outLeft = inLeft * 2;
        char* inp = const_cast<char*>(in);
        size_t before = inLeft;
        size_t rc = iconv(conv.handle(), &inp, &inLeft, &outp, &outLeft);
        dst = reinterpret_cast<char16_t*>(outp);
        in = inp;
        if (rc == size_t(-1)) {
            if (errno == EILSEQ || errno == EINVAL) {
                conv.reset();
                *dst++ = kReplacement;
                ++in;
                --inLeft;
            } else if (inLeft == before) {
                // E2BIG cannot happen with this buffer; never loop without progress.
                *dst++ = kReplacement;
                ++in;
                --inLeft;
            }
        }
    }
    out.resize(base + (dst - begin));
}

QString cp936::decode(QByteArrayView bytes)
{
    QString out;
    decodeAppend(bytes, out);
    return out;
}

QByteArray cp936::encode(QStringView text, bool* lossy)
{
    if (lossy)
        *lossy = false;
    QByteArray out;
    out.resize(text.size() * 2 + 4);
    char* dst = out.data();
    const char16_t* src = reinterpret_cast<const char16_t*>(text.utf16());
    const char16_t* end = src + text.size();
    const Converter& conv = encoder();
    while (src < end) {
        if (*src < 0x80) {
            *dst++ = char(*src++);
            continue;
        }
        // Surrogate pairs take two units; a lone surrogate cannot be mapped.
        size_t units = 1;
        if (QChar::isHighSurrogate(*src) && src + 1 < end && QChar::isLowSurrogate(src[1]))
            units = 2;
        char* inp = reinterpret_cast<char*>(const_cast<char16_t*>(src));
        size_t inLeft = units * 2;
        char buf[8];
        char* outp = buf;
        size_t outLeft = sizeof buf;
        size_t rc = conv.handle() == iconv_t(-1) ? size_t(-1)
                                                 : iconv(conv.handle(), &inp, &inLeft, &outp, &outLeft);
        if (rc == size_t(-1) || inLeft != 0 || rc > 0) {
            // rc > 0 means iconv substituted something on its own: treat it as unmappable too.
            conv.reset();
            *dst++ = '?';
            if (lossy)
                *lossy = true;
        } else {
            const size_t n = sizeof buf - outLeft;
            std::memcpy(dst, buf, n);
            dst += n;
        }
        src += units;
    }
    out.resize(dst - out.data());
    return out;
}

bool utf8::isValid(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        unsigned c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int len;
        unsigned cp;
        if (c >= 0xC2 && c <= 0xDF) { len = 2; cp = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { len = 3; cp = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { len = 4; cp = c & 0x07; }
        else return false;
        if (end - p < len)
            return false;
        for (int i = 1; i < len; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        if (cp >= 0xD800 && cp <= 0xDFFF)
            return false;
        p += len;
    }
    return true;
}

} // namespace lex
