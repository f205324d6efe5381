#include "store/PromptSearchIndex.h"

#include <algorithm>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
// Sixteen ASCII bytes lower-cased.
__m128i lowerAsciiBlock(__m128i bytes) {
    const __m128i upper =
        _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8('A' - 1)), _mm_cmplt_epi8(bytes, _mm_set1_epi8('Z' + 1)));
    return _mm_or_si128(bytes, _mm_and_si128(upper, _mm_set1_epi8(0x20)));
}
#endif

char lowerAsciiChar(char32_t c) {
    return char((c >= U'A' && c <= U'Z') ? c + 32 : c);
}

// ASCII text lower-cased into one byte a character, sixteen at a time.
void lowerAscii(const char16_t* in, qsizetype size, char* out) {
    qsizetype i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= size; i += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 8));
        const __m128i bytes = _mm_packus_epi16(low, high); // exact: every character is below 0x80
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), lowerAsciiBlock(bytes));
    }
#endif
    for (; i < size; ++i) {
        out[i] = lowerAsciiChar(in[i]);
    }
}

// The same for ASCII text held one byte a character.
void lowerAscii(const char* in, qsizetype size, char* out) {
    qsizetype i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= size; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), lowerAsciiBlock(bytes));
    }
#endif
    for (; i < size; ++i) {
        out[i] = lowerAsciiChar(char32_t(static_cast<unsigned char>(in[i])));
    }
}

} // namespace

PromptSearchIndex::PromptSearchIndex(QList<PromptItem> prompts) : m_prompts(std::move(prompts)) {
    const qsizetype count = m_prompts.size();
    qsizetype bytes = 0;
    for (const PromptItem& prompt : std::as_const(m_prompts)) {
        bytes += prompt.title.utf8().size() + prompt.group.size() + prompt.text.utf8().size() + prompt.tags.size();
        for (const QString& tag : prompt.tags) {
            bytes += tag.size();
        }
    }
    // Offsets are 32 bits: a list beyond that (far past every limit) is searched as text beyond ASCII.
    const bool fits = bytes < qsizetype(std::numeric_limits<quint32>::max());
    m_ascii.reserve(fits ? bytes : 0);
    m_offsets.reserve(size_t(fieldCount * count + 1));
    m_offsets.push_back(0);
    const auto append = [this](const QString& field) {
        const qsizetype start = m_ascii.size();
        m_ascii.resize(start + field.size());
        lowerAscii(reinterpret_cast<const char16_t*>(field.constData()), field.size(), m_ascii.data() + start);
    };
    const auto add = [this, fits, &append](qint64 key, const QString& field) {
        if (fits && QtPrivate::isAscii(QStringView(field))) {
            append(field);
        } else if (!field.isEmpty()) {
            m_beyondAscii.insert(key, field.toLower());
        }
        m_offsets.push_back(quint32(m_ascii.size()));
    };
    const auto addText = [this, fits, &add](qint64 key, const PromptText& field) {
        if (fits && field.isAscii()) {
            const QByteArrayView text = field.utf8();
            const qsizetype start = m_ascii.size();
            m_ascii.resize(start + text.size());
            lowerAscii(text.data(), text.size(), m_ascii.data() + start);
            m_offsets.push_back(quint32(m_ascii.size()));
        } else {
            add(key, field.toString());
        }
    };
    for (qsizetype i = 0; i < count; ++i) {
        const PromptItem& prompt = m_prompts.at(i);
        const qint64 key = qint64(fieldCount) * i;
        addText(key, prompt.title);
        add(key + 1, prompt.group);
        addText(key + 2, prompt.text);
        const bool asciiTags = std::all_of(prompt.tags.cbegin(), prompt.tags.cend(),
                                           [](const QString& tag) { return QtPrivate::isAscii(QStringView(tag)); });
        if (fits && asciiTags) {
            for (qsizetype t = 0; t < prompt.tags.size(); ++t) {
                if (t > 0) {
                    m_ascii.append(' ');
                }
                append(prompt.tags.at(t));
            }
            m_offsets.push_back(quint32(m_ascii.size()));
        } else {
            add(key + 3, prompt.tags.join(QLatin1Char(' ')));
        }
    }
    m_ascii.squeeze();
}

bool PromptSearchIndex::matches(qsizetype position, const PromptSearchQuery& query) const {
    if (query.isEmpty()) {
        return true;
    }
    // Lower-casing maps each character on its own and never yields a blank, so the joined tags
    // hold a query exactly when the lower-cased joined tags do, and a query without a blank
    // occurs in them exactly when it occurs in one tag.
    const size_t first = size_t(fieldCount * position);
    const char* ascii = m_ascii.constData();
    for (size_t field = first; field < first + fieldCount; ++field) {
        const quint32 start = m_offsets[field];
        const quint32 end = m_offsets[field + 1];
        if (start != end) {
            if (query.occursInLoweredAscii(ascii + start, qsizetype(end - start))) {
                return true;
            }
        } else if (!m_beyondAscii.isEmpty()) {
            const auto lowered = m_beyondAscii.constFind(qint64(field));
            if (lowered != m_beyondAscii.constEnd() && query.occursInLowered(*lowered)) {
                return true;
            }
        }
    }
    return false;
}
