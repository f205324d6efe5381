#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHashFunctions>
#include <QString>

#include <string>
#include <utility>
#include <vector>

// A prompt's text as the UTF-8 bytes it was read from: half the memory of a string for the
// mostly ASCII texts of a library, and no conversion when a file is read. It becomes a string
// only where one is needed (a visible tile, the preview, a copy, an edit, a save). Copies share
// their bytes. A string that UTF-8 cannot carry exactly (a lone surrogate) is kept as it is.
//
// The texts of one file are slices of a few blocks (see Blocks): a library of thousands of small
// texts costs its bytes and not a heap block, a header and a terminator each. A slice keeps its
// whole block alive, which is at most a part of one file's texts.
class PromptText {
    struct Block;

public:
    PromptText() = default;
    PromptText(const QString& text); // NOLINT(google-explicit-constructor): any string is a text
    PromptText(const char16_t* text) : PromptText(QString::fromUtf16(text)) {}
    PromptText(const PromptText& other) noexcept;
    PromptText(PromptText&& other) noexcept;
    PromptText& operator=(const PromptText& other) noexcept;
    PromptText& operator=(PromptText&& other) noexcept;
    ~PromptText();

    // `bytes` must be valid UTF-8, as the file reader checked it.
    static PromptText fromValidUtf8(QByteArrayView bytes);

    // Collects the texts of a file and then carves them out of a few blocks. Equal texts get one
    // slice. Each add() returns the number of a text, which text() gives back after finish().
    class Blocks {
    public:
        Blocks() : m_scratch(&m_ownScratch) {}
        // Gathers the texts in `scratch`, which the files of a load share: its memory is reused
        // from file to file instead of being fresh pages each time. It grows as texts come in,
        // not to a file's size: a block of that size would be fresh pages on every load.
        explicit Blocks(std::string& scratch) : m_scratch(&scratch) { scratch.clear(); }
        Blocks(const Blocks&) = delete;
        Blocks& operator=(const Blocks&) = delete;
        ~Blocks();

        // `bytes` must be valid UTF-8.
        qsizetype add(QByteArrayView bytes);
        // Makes the blocks; the texts added before are then at hand.
        void finish();
        PromptText text(qsizetype number) const;

    private:
        struct Slice {
            quint32 offset; // in the scratch before finish(), then in the slice's block
            quint32 size;
            quint32 block = 0;
        };

        // The texts one after the other, each ending in a NUL, until finish() copies the ones
        // kept into blocks of their exact size.
        std::string m_ownScratch;
        std::string* m_scratch;
        std::vector<Block*> m_blocks; // one reference each, given up with Blocks
        std::vector<Slice> m_slices;
    };

    QString toString() const;
    bool isEmpty() const { return m_size == 0; }
    // Whether the text is ASCII alone, then utf8() holds one byte a character.
    bool isAscii() const;
    // The UTF-8 bytes, followed by a NUL; empty for a text that UTF-8 cannot carry (see isUtf8).
    QByteArrayView utf8() const { return isUtf8() ? bytes() : QByteArrayView(); }
    bool isUtf8() const { return m_size == 0 || bytes().front() != utf16Marker; }

    friend bool operator==(const PromptText& a, const PromptText& b) { return a.bytes() == b.bytes(); }
    friend bool operator==(const PromptText& a, const QString& b);
    friend size_t qHash(const PromptText& text, size_t seed = 0) { return ::qHash(text.bytes(), seed); }

private:
    // Never a byte of UTF-8: leads a text kept as UTF-16.
    static constexpr char utf16Marker = char(0xFF);

    static PromptText allocate(qsizetype size);
    char* mutableBytes() const;
    QByteArrayView bytes() const;

    Block* m_block = nullptr;
    quint32 m_offset = 0;
    quint32 m_size = 0;
};
