#include "common/dictionary/dict_keys.h"

#include "common/text/codepage.h"

namespace lex::dictkeys {
namespace {

template <bool Fold>
int compareUnits(const char16_t* a, qsizetype na, const char16_t* b, qsizetype nb)
{
    const qsizetype n = na < nb ? na : nb;
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = a[i], y = b[i];
        if constexpr (Fold) {
            x = foldAscii(x);
            y = foldAscii(y);
        }
        if (x != y)
            return x < y ? -1 : 1;
    }
    return na == nb ? 0 : (na < nb ? -1 : 1);
}

template <bool Fold>
int compareStoredT(const unsigned char* key, size_t len, QStringView query, QString& scratch)
{
    const auto* q = reinterpret_cast<const char16_t*>(query.utf16());
    const size_t nq = size_t(query.size());
    const size_t n = len < nq ? len : nq;
    // While the key's bytes are ASCII they are its converted code units one for one (no lead
    // byte before them), so a difference found there decides.
    size_t i = 0;
    for (; i < n; ++i) {
        const unsigned char k = key[i];
        if (k >= 0x80)
            break;
        char16_t x = k, y = q[i];
        if constexpr (Fold) {
            x = foldAscii(x);
            y = foldAscii(y);
        }
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i == n) {
        if (len == nq)
            return 0;
        if (len < nq)
            return -1; // the whole key was ASCII and is a proper prefix of the query
        if (key[nq] < 0x80)
            return 1;  // the query is a proper prefix of the key
    }
    scratch.resize(0);
    cp936::decodeAppend(QByteArrayView(reinterpret_cast<const char*>(key), qsizetype(len)), scratch);
    return compareUnits<Fold>(reinterpret_cast<const char16_t*>(scratch.utf16()), scratch.size(), q, query.size());
}

} // namespace

int compare(DictVariant v, QStringView a, QStringView b)
{
    const auto* pa = reinterpret_cast<const char16_t*>(a.utf16());
    const auto* pb = reinterpret_cast<const char16_t*>(b.utf16());
    return v == DictVariant::Companion ? compareUnits<true>(pa, a.size(), pb, b.size())
                                       : compareUnits<false>(pa, a.size(), pb, b.size());
}

int compareStored(DictVariant v, const unsigned char* key, size_t len, QStringView query, QString& scratch)
{
    return v == DictVariant::Companion ? compareStoredT<true>(key, len, query, scratch)
                                       : compareStoredT<false>(key, len, query, scratch);
}

} // namespace lex::dictkeys
