#include "model/PromptText.h"

#include <QAnyStringView>
#include <QStringDecoder>

PromptText::PromptText(const QString& text) {
    if (QStringView(text).isValidUtf16()) {
        m_bytes = text.toUtf8();
    } else {
        m_bytes.reserve(1 + text.size() * qsizetype(sizeof(char16_t)));
        m_bytes.append(utf16Marker);
        m_bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * qsizetype(sizeof(char16_t)));
    }
}

PromptText PromptText::fromValidUtf8(QByteArray bytes) {
    PromptText text;
    text.m_bytes = std::move(bytes);
    return text;
}

QString PromptText::toString() const {
    if (!isUtf8()) {
        return QString(reinterpret_cast<const QChar*>(m_bytes.constData() + 1),
                       (m_bytes.size() - 1) / qsizetype(sizeof(char16_t)));
    }
    if (m_bytes.startsWith("\xEF\xBB\xBF")) {
        // fromUtf8 drops a byte order mark at the start; in a text it is a character.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
        return decoder.decode(m_bytes);
    }
    return QString::fromUtf8(m_bytes);
}

bool PromptText::isAscii() const {
    return isUtf8() && QtPrivate::isAscii(QLatin1StringView(m_bytes));
}

bool operator==(const PromptText& a, const QString& b) {
    if (!a.isUtf8()) {
        return a.toString() == b;
    }
    return QAnyStringView::equal(QUtf8StringView(a.m_bytes), b);
}
