#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The text rules shared by every reader and writer, in one place:
// - newlines are U+000A to U+000D, U+0085, U+2028 and U+2029;
// - three different trims: spaces and tabs; white space (space separators and tab);
//   white space and newlines (all separators, U+000A to U+000D and U+0085);
// - code-point order compares Unicode scalar values, not UTF-16 units;
// - "characters" are grapheme clusters, byte limits count UTF-8 bytes.
namespace Text {

bool isNewline(char32_t c);
bool isWhitespace(char32_t c);          // space separators and tab
bool isWhitespaceOrNewline(char32_t c); // all separators, U+000A..U+000D, U+0085

QString trimSpacesAndTabs(const QString& text);
QString trimWhitespace(const QString& text);
QString trimWhitespaceAndNewlines(const QString& text);

// The same trims over a view, without copying; for readers that scan large texts.
QStringView trimSpacesAndTabs(QStringView text);
QStringView trimWhitespace(QStringView text);
QStringView trimWhitespaceAndNewlines(QStringView text);

// Splits at every newline character; a CR LF pair gives an empty piece between the two.
QStringList splitAtNewlines(const QString& text);
// The same split as views into the text, which must outlive them.
QList<QStringView> splitViewsAtNewlines(QStringView text);

// Negative, zero or positive as a is before, equal to or after b in code-point order.
int compareCodePoints(const QString& a, const QString& b);
inline bool codePointLess(const QString& a, const QString& b) {
    return compareCodePoints(a, b) < 0;
}

qsizetype graphemeCount(const QString& text);
// The first `count` grapheme clusters of the text.
QString prefixGraphemes(const QString& text, qsizetype count);
qsizetype utf8Length(const QString& text);

// The text of bytes that are valid UTF-8 throughout; none for anything else, where a lenient
// decode would slip replacement characters into the text.
std::optional<QString> decodeUtf8(QByteArrayView bytes);

} // namespace Text
