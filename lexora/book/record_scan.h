#pragma once
// Finding the field selectors (U+0000..U+0004) of a stored text record, shared by the entry
// (which reads its fields out of a borrowed record) and the Book files.

#include <QtGlobal>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lex {

// Calls hit(position, selector) for every code unit U+0000..U+0004 in order; stops when it
// returns false. Eight code units at a time where SSE2 is there: records are scanned on every
// field access, so this is the inner loop of sorting or searching a large Book.
template <typename F>
void scanSelectors(const char16_t* p, qsizetype n, F&& hit)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i four = _mm_set1_epi16(4);
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        // Saturating v - 4 is zero exactly for the code units 0..4.
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_subs_epu16(v, four), zero)));
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
        if (p[i] <= 4 && !hit(i, p[i]))
            return;
    }
}

} // namespace lex
