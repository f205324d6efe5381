#include "store/PromptSearchQuery.h"

#include "model/TextPrimitives.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

char16_t asciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

// Setting bit 0x20 lower-cases an ASCII letter and nothing else matters for a lower-case letter
// of the query; any other query character must match exactly.
char16_t caseBitFor(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(0x20) : char16_t(0);
}

#if defined(__SSE2__)
// Tries every start in blocks of sixteen, the last block reaching back over starts seen already.
// Only for at least sixteen starts.
template <typename AnyOf16> bool anyStartInBlocksOf16(qsizetype starts, const AnyOf16& anyOf16) {
    qsizetype i = 0;
    for (; i + 16 <= starts; i += 16) {
        if (anyOf16(i)) {
            return true;
        }
    }
    return i < starts && anyOf16(starts - 16);
}
#endif

} // namespace

PromptSearchQuery::PromptSearchQuery(const QString& searchText)
    : m_query(Text::trimWhitespaceAndNewlines(searchText).toLower()), m_isAscii(QtPrivate::isAscii(m_query)) {
    m_queryData = reinterpret_cast<const char16_t*>(m_query.constData());
    if (m_isAscii) {
        m_asciiQuery = m_query.toLatin1();
    }
    if (!m_query.isEmpty()) {
        m_firstCaseBit = caseBitFor(m_query.front().unicode());
        m_lastCaseBit = caseBitFor(m_query.back().unicode());
    }
}

bool PromptSearchQuery::matchesAt(const char16_t* text) const {
    const qsizetype n = m_query.size();
    for (qsizetype j = 0; j < n; ++j) {
        if (asciiLower(text[j]) != m_queryData[j]) {
            return false;
        }
    }
    return true;
}

bool PromptSearchQuery::occursInAscii(QStringView asciiText) const {
    const qsizetype n = m_query.size();
    if (n == 0) {
        return true;
    }
    // Candidate starts: a longer query, or one with characters beyond ASCII, never occurs.
    const qsizetype starts = asciiText.size() - n + 1;
    if (!m_isAscii || starts <= 0) {
        return false;
    }
    const char16_t* text = asciiText.utf16();
    qsizetype i = 0;
#if defined(__SSE2__)
    // Sixteen starts at a time: a start is a candidate when its first and last characters match
    // the query's; only candidates are compared in full.
    const __m128i firstLanes = _mm_set1_epi16(short(m_queryData[0]));
    const __m128i lastLanes = _mm_set1_epi16(short(m_queryData[n - 1]));
    const __m128i firstBit = _mm_set1_epi16(short(m_firstCaseBit));
    const __m128i lastBit = _mm_set1_epi16(short(m_lastCaseBit));
    const auto candidates = [&](const char16_t* at) {
        const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i tails = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + n - 1));
        return _mm_and_si128(_mm_cmpeq_epi16(_mm_or_si128(heads, firstBit), firstLanes),
                             _mm_cmpeq_epi16(_mm_or_si128(tails, lastBit), lastLanes));
    };
    const auto anyOf16 = [&](qsizetype from) {
        const __m128i low = candidates(text + from);
        const __m128i high = candidates(text + from + 8);
        // One bit per start, in order.
        quint32 mask = quint32(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
        while (mask != 0) {
            if (matchesAt(text + from + __builtin_ctz(mask))) {
                return true;
            }
            mask &= mask - 1;
        }
        return false;
    };
    if (starts >= 16) {
        return anyStartInBlocksOf16(starts, anyOf16);
    }
#endif
    const char16_t last = m_queryData[n - 1];
    for (; i < starts; ++i) {
        if ((text[i + n - 1] | m_lastCaseBit) == last && matchesAt(text + i)) {
            return true;
        }
    }
    return false;
}

bool PromptSearchQuery::occursInLoweredAscii(const char* text, qsizetype size) const {
    const qsizetype n = m_asciiQuery.size();
    const qsizetype starts = size - n + 1;
    if (!m_isAscii || n == 0 || starts <= 0) {
        return m_query.isEmpty();
    }
    const char* query = m_asciiQuery.constData();
    const auto matchesAt = [&](qsizetype i) { return std::memcmp(text + i + 1, query + 1, size_t(n - 1)) == 0; };
    qsizetype i = 0;
#if defined(__SSE2__)
    // Sixteen starts at a time, as in occursInAscii.
    const __m128i firstLanes = _mm_set1_epi8(query[0]);
    const __m128i lastLanes = _mm_set1_epi8(query[n - 1]);
    const auto anyOf16 = [&](qsizetype from) {
        const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from));
        const __m128i tails = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from + n - 1));
        quint32 mask = quint32(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(heads, firstLanes), _mm_cmpeq_epi8(tails, lastLanes))));
        while (mask != 0) {
            if (matchesAt(from + __builtin_ctz(mask))) {
                return true;
            }
            mask &= mask - 1;
        }
        return false;
    };
    if (starts >= 16) {
        return anyStartInBlocksOf16(starts, anyOf16);
    }
#endif
    for (; i < starts; ++i) {
        if (text[i] == query[0] && text[i + n - 1] == query[n - 1] && matchesAt(i)) {
            return true;
        }
    }
    return false;
}

bool PromptSearchQuery::occursIn(const QString& text) const {
    if (QtPrivate::isAscii(QStringView(text))) {
        return occursInAscii(text);
    }
    return occursInLowered(text.toLower());
}

bool PromptSearchQuery::matches(const PromptItem& prompt) const {
    if (m_query.isEmpty() || occursIn(prompt.title.toString()) || occursIn(prompt.group) ||
        occursIn(prompt.text.toString())) {
        return true;
    }
    // Lower-casing maps each character on its own and never yields a blank, so a query without a
    // blank occurs in the joined tags exactly when it occurs in one of them.
    if (m_query.contains(QLatin1Char(' '))) {
        return occursIn(prompt.tags.join(QLatin1Char(' ')));
    }
    return std::any_of(prompt.tags.cbegin(), prompt.tags.cend(), [this](const QString& tag) { return occursIn(tag); });
}
