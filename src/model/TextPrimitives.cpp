#include "model/TextPrimitives.h"

#include <QStringDecoder>
#include <QStringView>
#include <QTextBoundaryFinder>

namespace Text {

namespace {

char32_t codePointAt(QStringView text, qsizetype index, qsizetype* width) {
    const QChar c = text.at(index);
    if (c.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate()) {
        *width = 2;
        return QChar::surrogateToUcs4(c, text.at(index + 1));
    }
    *width = 1;
    return c.unicode();
}

// The code point that ends before `end`, and its width.
char32_t codePointBefore(QStringView text, qsizetype end, qsizetype* width) {
    const QChar c = text.at(end - 1);
    if (c.isLowSurrogate() && end >= 2 && text.at(end - 2).isHighSurrogate()) {
        *width = 2;
        return QChar::surrogateToUcs4(text.at(end - 2), c);
    }
    *width = 1;
    return c.unicode();
}

template <typename Predicate> QStringView trimmedView(QStringView text, Predicate shouldTrim) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end) {
        qsizetype width = 0;
        if (!shouldTrim(codePointAt(text, start, &width))) {
            break;
        }
        start += width;
    }
    while (end > start) {
        qsizetype width = 0;
        if (!shouldTrim(codePointBefore(text, end, &width))) {
            break;
        }
        end -= width;
    }
    return text.sliced(start, end - start);
}

template <typename Predicate> QString trimmed(const QString& text, Predicate shouldTrim) {
    const QStringView view = trimmedView(QStringView(text), shouldTrim);
    if (view.size() == text.size()) {
        return text;
    }
    return view.toString();
}

bool isSpaceOrTab(char32_t c) {
    return c == U' ' || c == U'\t';
}

} // namespace

bool isNewline(char32_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isWhitespace(char32_t c) {
    if (c < 0x80) {
        return c == 0x09 || c == 0x20;
    }
    return QChar::category(c) == QChar::Separator_Space;
}

bool isWhitespaceOrNewline(char32_t c) {
    if (c < 0x80) {
        return (c >= 0x09 && c <= 0x0D) || c == 0x20;
    }
    if (c == 0x85) {
        return true;
    }
    const QChar::Category category = QChar::category(c);
    return category == QChar::Separator_Space || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph;
}

// Lambdas rather than function pointers, so that the tests inline into the trim loops.
QString trimSpacesAndTabs(const QString& text) {
    return trimmed(text, [](char32_t c) { return isSpaceOrTab(c); });
}

QString trimWhitespace(const QString& text) {
    return trimmed(text, [](char32_t c) { return isWhitespace(c); });
}

QString trimWhitespaceAndNewlines(const QString& text) {
    return trimmed(text, [](char32_t c) { return isWhitespaceOrNewline(c); });
}

QStringView trimSpacesAndTabs(QStringView text) {
    return trimmedView(text, [](char32_t c) { return isSpaceOrTab(c); });
}

QStringView trimWhitespace(QStringView text) {
    return trimmedView(text, [](char32_t c) { return isWhitespace(c); });
}

QStringView trimWhitespaceAndNewlines(QStringView text) {
    return trimmedView(text, [](char32_t c) { return isWhitespaceOrNewline(c); });
}

QStringList splitAtNewlines(const QString& text) {
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if ((u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029) {
            pieces.append(text.mid(start, i - start));
            start = i + 1;
        }
    }
    pieces.append(text.mid(start));
    return pieces;
}

QList<QStringView> splitViewsAtNewlines(QStringView text) {
    QList<QStringView> pieces;
    pieces.reserve(text.size() / 40 + 1);
    const char16_t* data = text.utf16();
    const qsizetype size = text.size();

    // Almost every text breaks its lines with U+000A alone: then the vectorised search for it
    // does the work. The loop over all characters is only for texts with other newlines.
    char16_t others = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t u = data[i];
        others |= char16_t((u >= 0x0B && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029);
    }
    qsizetype start = 0;
    if (others == 0) {
        for (qsizetype end = text.indexOf(u'\n'); end >= 0; end = text.indexOf(u'\n', start)) {
            pieces.append(text.sliced(start, end - start));
            start = end + 1;
        }
    } else {
        for (qsizetype i = 0; i < size; ++i) {
            const char16_t u = data[i];
            if ((u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029) {
                pieces.append(text.sliced(start, i - start));
                start = i + 1;
            }
        }
    }
    pieces.append(text.sliced(start));
    return pieces;
}

int compareCodePoints(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        qsizetype wa = 0;
        qsizetype wb = 0;
        const char32_t ca = codePointAt(a, i, &wa);
        const char32_t cb = codePointAt(b, j, &wb);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
        i += wa;
        j += wb;
    }
    if (i < a.size()) {
        return 1;
    }
    if (j < b.size()) {
        return -1;
    }
    return 0;
}

qsizetype graphemeCount(const QString& text) {
    if (text.isEmpty()) {
        return 0;
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1) {
        ++count;
    }
    return count;
}

QString prefixGraphemes(const QString& text, qsizetype count) {
    if (count <= 0) {
        return {};
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype taken = 0;
    qsizetype position = 0;
    while (taken < count) {
        const qsizetype next = finder.toNextBoundary();
        if (next == -1) {
            return text;
        }
        position = next;
        ++taken;
    }
    return text.left(position);
}

qsizetype utf8Length(const QString& text) {
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 0x80) {
            bytes += 1;
        } else if (u < 0x800) {
            bytes += 2;
        } else if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
                   QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            bytes += 4;
            ++i;
        } else {
            bytes += 3; // a lone surrogate is written as U+FFFD, three bytes
        }
    }
    return bytes;
}

std::optional<QString> decodeUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

} // namespace Text
