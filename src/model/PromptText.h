#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHashFunctions>
#include <QString>

// A prompt's text as the UTF-8 bytes it was read from: half the memory of a string for the
// mostly ASCII texts of a library, and no conversion when a file is read. It becomes a string
// only where one is needed (a visible tile, the preview, a copy, an edit, a save). Copies share
// their bytes. A string that UTF-8 cannot carry exactly (a lone surrogate) is kept as it is.
class PromptText {
public:
    PromptText() = default;
    PromptText(const QString& text); // NOLINT(google-explicit-constructor): any string is a text
    PromptText(const char16_t* text) : PromptText(QString::fromUtf16(text)) {}

    // `bytes` must be valid UTF-8, as the file reader checked it.
    static PromptText fromValidUtf8(QByteArray bytes);

    QString toString() const;
    bool isEmpty() const { return m_bytes.isEmpty(); }
    // Whether the text is ASCII alone, then utf8() holds one byte a character.
    bool isAscii() const;
    // The UTF-8 bytes; empty for a text that UTF-8 cannot carry (see isUtf8).
    QByteArrayView utf8() const { return isUtf8() ? QByteArrayView(m_bytes) : QByteArrayView(); }
    bool isUtf8() const { return m_bytes.isEmpty() || m_bytes.front() != utf16Marker; }
    // The heap bytes this text holds (shared or not).
    qsizetype capacityBytes() const { return m_bytes.capacity(); }

    friend bool operator==(const PromptText& a, const PromptText& b) { return a.m_bytes == b.m_bytes; }
    friend bool operator==(const PromptText& a, const QString& b);
    friend size_t qHash(const PromptText& text, size_t seed = 0) { return ::qHash(QByteArrayView(text.m_bytes), seed); }

private:
    // Never a byte of UTF-8: leads a text kept as UTF-16.
    static constexpr char utf16Marker = char(0xFF);

    QByteArray m_bytes;
};
