#include "config/Slug.h"

#include "model/TextPrimitives.h"

namespace Slug {

QString fromText(const QString& text) {
    const QString lower = text.toLower();
    QString result;
    result.reserve(lower.size());
    for (const char32_t c : lower.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        const bool alphanumeric = (category >= QChar::Mark_NonSpacing && category <= QChar::Number_Other) ||
                                  (category >= QChar::Letter_Uppercase && category <= QChar::Letter_Other);
        if (alphanumeric || c == U'-' || c == U'_') {
            result.append(QString::fromUcs4(&c, 1));
        } else if (Text::isWhitespace(c)) {
            result.append(u'-');
        }
    }
    qsizetype start = 0;
    qsizetype end = result.size();
    while (start < end && result[start] == u'-') {
        ++start;
    }
    while (end > start && result[end - 1] == u'-') {
        --end;
    }
    return result.sliced(start, end - start);
}

} // namespace Slug
