#include "model/PromptText.h"

#include <QAnyStringView>
#include <QAtomicInt>
#include <QStringDecoder>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

// The bytes follow the count in the same allocation.
struct PromptText::Block {
    QAtomicInt references;

    char* bytes() { return reinterpret_cast<char*>(this + 1); }
    void retain() { references.ref(); }
    void release() {
        if (!references.deref()) {
            this->~Block();
            std::free(this);
        }
    }
};

namespace {

quint32 checkedSize(qsizetype size) {
    // A text this large could not be held as a string either.
    if (size < 0 || quint64(size) > std::numeric_limits<quint32>::max()) {
        qFatal("A prompt text of %lld bytes is too large", static_cast<long long>(size));
    }
    return quint32(size);
}

} // namespace

PromptText PromptText::allocate(qsizetype size) {
    PromptText text;
    text.m_size = checkedSize(size);
    if (size == 0) {
        return text;
    }
    // A NUL after the bytes, which slices keep too: data() of a text is a C string, as with a QByteArray.
    void* memory = std::malloc(sizeof(Block) + size_t(size) + 1);
    if (!memory) {
        qFatal("Out of memory for a prompt text");
    }
    text.m_block = new (memory) Block{QAtomicInt(1)};
    text.m_block->bytes()[size] = '\0';
    return text;
}

char* PromptText::mutableBytes() const {
    return m_block->bytes() + m_offset;
}

QByteArrayView PromptText::bytes() const {
    return m_block ? QByteArrayView(m_block->bytes() + m_offset, qsizetype(m_size)) : QByteArrayView();
}

PromptText::PromptText(const QString& text) {
    if (QStringView(text).isValidUtf16()) {
        const QByteArray utf8 = text.toUtf8();
        *this = fromValidUtf8(utf8);
    } else {
        const qsizetype size = text.size() * qsizetype(sizeof(char16_t));
        *this = allocate(1 + size);
        mutableBytes()[0] = utf16Marker;
        std::memcpy(mutableBytes() + 1, text.utf16(), size_t(size));
    }
}

PromptText::PromptText(const PromptText& other) noexcept
    : m_block(other.m_block), m_offset(other.m_offset), m_size(other.m_size) {
    if (m_block) {
        m_block->retain();
    }
}

PromptText::PromptText(PromptText&& other) noexcept
    : m_block(std::exchange(other.m_block, nullptr)), m_offset(std::exchange(other.m_offset, 0)),
      m_size(std::exchange(other.m_size, 0)) {}

PromptText& PromptText::operator=(const PromptText& other) noexcept {
    PromptText copy(other);
    *this = std::move(copy);
    return *this;
}

PromptText& PromptText::operator=(PromptText&& other) noexcept {
    if (this != &other) {
        if (m_block) {
            m_block->release();
        }
        m_block = std::exchange(other.m_block, nullptr);
        m_offset = std::exchange(other.m_offset, 0);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

PromptText::~PromptText() {
    if (m_block) {
        m_block->release();
    }
}

PromptText PromptText::fromValidUtf8(QByteArrayView bytes) {
    PromptText text = allocate(bytes.size());
    if (!bytes.isEmpty()) {
        std::memcpy(text.mutableBytes(), bytes.data(), size_t(bytes.size()));
    }
    return text;
}

QString PromptText::toString() const {
    const QByteArrayView all = bytes();
    if (!isUtf8()) {
        return QString(reinterpret_cast<const QChar*>(all.data() + 1), (all.size() - 1) / qsizetype(sizeof(char16_t)));
    }
    if (all.startsWith("\xEF\xBB\xBF")) {
        // fromUtf8 drops a byte order mark at the start; in a text it is a character.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
        return decoder.decode(all);
    }
    return QString::fromUtf8(all);
}

bool PromptText::isAscii() const {
    return isUtf8() && QtPrivate::isAscii(QLatin1StringView(bytes()));
}

bool operator==(const PromptText& a, const QString& b) {
    if (!a.isUtf8()) {
        return a.toString() == b;
    }
    return QAnyStringView::equal(QUtf8StringView(a.bytes()), b);
}

// ---- Blocks ------------------------------------------------------------------------------

PromptText::Blocks::~Blocks() {
    if (m_block) {
        m_block->release();
    }
}

void PromptText::Blocks::reserve(qsizetype bytes) {
    if (bytes <= m_capacity) {
        return;
    }
    // No text is handed out before finish(), so the block may still move.
    checkedSize(bytes);
    void* memory = std::realloc(m_block, sizeof(Block) + size_t(bytes));
    if (!memory) {
        qFatal("Out of memory for prompt texts");
    }
    if (!m_block) {
        new (memory) Block{QAtomicInt(1)};
    }
    m_block = static_cast<Block*>(memory);
    m_capacity = bytes;
}

qsizetype PromptText::Blocks::add(QByteArrayView bytes) {
    const qsizetype needed = m_used + bytes.size() + 1;
    if (needed > m_capacity) {
        reserve(std::max(needed, m_capacity * 2));
    }
    if (!bytes.isEmpty()) {
        std::memcpy(m_block->bytes() + m_used, bytes.data(), size_t(bytes.size()));
    }
    m_block->bytes()[m_used + bytes.size()] = '\0';
    m_slices.emplace_back(quint32(m_used), quint32(bytes.size()));
    m_used = needed;
    return qsizetype(m_slices.size()) - 1;
}

void PromptText::Blocks::finish() {
    if (!m_block) {
        return;
    }
    const auto view = [this](const std::pair<quint32, quint32>& slice) {
        return QByteArrayView(m_block->bytes() + slice.first, qsizetype(slice.second));
    };
    // Equal texts are found by their size and first and last bytes (cheaper than a hash of the
    // whole text and nearly always enough), then compared in full.
    std::vector<std::pair<size_t, quint32>> keys;
    keys.reserve(m_slices.size());
    for (size_t i = 0; i < m_slices.size(); ++i) {
        const QByteArrayView bytes = view(m_slices[i]);
        const qsizetype ends = std::min<qsizetype>(32, bytes.size());
        keys.emplace_back(qHashMulti(size_t(bytes.size()), bytes.first(ends), bytes.last(ends)), quint32(i));
    }
    std::sort(keys.begin(), keys.end());
    // Each slice's first equal slice, or itself.
    std::vector<quint32> original(m_slices.size());
    for (size_t i = 0; i < original.size(); ++i) {
        original[i] = quint32(i);
    }
    for (size_t run = 0; run < keys.size();) {
        size_t end = run + 1;
        while (end < keys.size() && keys[end].first == keys[run].first) {
            ++end;
        }
        for (size_t k = run + 1; k < end; ++k) {
            // A few distinct texts per key at most, so that colliding keys stay linear.
            for (size_t earlier = run; earlier < std::min(k, run + 8); ++earlier) {
                const quint32 candidate = original[keys[earlier].second];
                if (view(m_slices[candidate]) == view(m_slices[keys[k].second])) {
                    original[keys[k].second] = candidate;
                    break;
                }
            }
        }
        run = end;
    }
    std::vector<std::pair<size_t, quint32>>().swap(keys);

    // The texts kept move down over the dropped ones, in file order, so none is overwritten
    // before it moved; empty texts take no room.
    quint32 offset = 0;
    for (size_t i = 0; i < m_slices.size(); ++i) {
        auto& [start, size] = m_slices[i];
        if (size == 0) {
            continue;
        }
        if (original[i] == i) {
            if (start != offset) {
                std::memmove(m_block->bytes() + offset, m_block->bytes() + start, size_t(size) + 1);
            }
            start = offset;
            offset += size + 1;
        } else {
            start = m_slices[original[i]].first;
        }
    }
    if (offset == 0) {
        m_block->release();
        m_block = nullptr;
    } else if (offset < m_capacity) {
        // Shrinking keeps the bytes where they are (or moves them with the block).
        if (void* memory = std::realloc(m_block, sizeof(Block) + offset)) {
            m_block = static_cast<Block*>(memory);
        }
    }
    m_used = m_capacity = offset;
}

PromptText PromptText::Blocks::text(qsizetype number) const {
    PromptText text;
    const auto& [offset, size] = m_slices[size_t(number)];
    if (size > 0 && m_block) {
        m_block->retain();
        text.m_block = m_block;
        text.m_offset = offset;
        text.m_size = size;
    }
    return text;
}
