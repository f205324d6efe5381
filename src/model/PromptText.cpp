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
    for (Block* block : m_blocks) {
        block->release();
    }
}

qsizetype PromptText::Blocks::add(QByteArrayView bytes) {
    const quint32 offset = checkedSize(qsizetype(m_scratch->size()));
    checkedSize(qsizetype(offset) + bytes.size() + 1);
    m_scratch->append(bytes.data(), size_t(bytes.size()));
    m_scratch->push_back('\0');
    m_slices.push_back(Slice{offset, quint32(bytes.size())});
    return qsizetype(m_slices.size()) - 1;
}

void PromptText::Blocks::finish() {
    const char* scratch = m_scratch->data();
    const auto view = [scratch](const Slice& slice) {
        return QByteArrayView(scratch + slice.offset, qsizetype(slice.size));
    };
    // Equal texts are found by their size and first and last bytes (cheaper than a hash of the
    // whole text and nearly always enough), then compared in full.
    std::vector<std::pair<size_t, quint32>> keys;
    keys.reserve(m_slices.size());
    for (size_t i = 0; i < m_slices.size(); ++i) {
        const QByteArrayView bytes = view(m_slices[i]);
        if (bytes.isEmpty()) {
            continue;
        }
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

    // The texts kept go, in file order, into blocks of at most 64 kB (a text that is larger gets
    // a block of its own). Blocks this small come from the heap, where the memory of a replaced
    // library is reused, and never from fresh pages.
    constexpr size_t blockBytes = 64 * 1024 - 64 - sizeof(Block);
    std::vector<size_t> sizes;
    std::vector<quint32> from(m_slices.size()); // where each kept text is in the scratch
    for (size_t i = 0; i < m_slices.size(); ++i) {
        Slice& slice = m_slices[i];
        if (slice.size == 0 || original[i] != i) {
            continue;
        }
        const size_t needed = size_t(slice.size) + 1;
        if (sizes.empty() || sizes.back() + needed > blockBytes) {
            sizes.push_back(0);
        }
        from[i] = slice.offset;
        slice.block = quint32(sizes.size() - 1);
        slice.offset = quint32(sizes.back());
        sizes.back() += needed;
    }
    m_blocks.reserve(sizes.size());
    for (const size_t size : sizes) {
        void* memory = std::malloc(sizeof(Block) + size);
        if (!memory) {
            qFatal("Out of memory for prompt texts");
        }
        m_blocks.push_back(new (memory) Block{QAtomicInt(1)});
    }
    for (size_t i = 0; i < m_slices.size(); ++i) {
        Slice& slice = m_slices[i];
        if (slice.size == 0) {
            continue;
        }
        if (original[i] == i) {
            std::memcpy(m_blocks[slice.block]->bytes() + slice.offset, scratch + from[i], size_t(slice.size) + 1);
        } else {
            // An earlier slice, placed already.
            slice.offset = m_slices[original[i]].offset;
            slice.block = m_slices[original[i]].block;
        }
    }
    m_scratch->clear();
}

PromptText PromptText::Blocks::text(qsizetype number) const {
    PromptText text;
    const Slice& slice = m_slices[size_t(number)];
    if (slice.size > 0) {
        Block* block = m_blocks[slice.block];
        block->retain();
        text.m_block = block;
        text.m_offset = slice.offset;
        text.m_size = slice.size;
    }
    return text;
}
