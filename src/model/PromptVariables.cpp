#include "model/PromptVariables.h"

#include "model/TextPrimitives.h"

#include <QSet>

#include <algorithm>

QList<PromptVariable> PromptVariableParser::variables(const QString& text) {
    QList<PromptVariable> result;
    QSet<QString> seen;
    for (const Marker& marker : validMarkers(text)) {
        if (!seen.contains(marker.variable.normalizedName)) {
            seen.insert(marker.variable.normalizedName);
            result.append(marker.variable);
        }
    }
    return result;
}

QString PromptVariableParser::render(const QString& text, const QHash<QString, QString>& values) {
    const QHash<QString, QString> byName = normalized(values);
    const QList<Marker> markers = validMarkers(text);
    if (markers.isEmpty()) {
        return text;
    }
    QString result;
    result.reserve(text.size());
    qsizetype position = 0;
    for (const Marker& marker : markers) {
        result.append(QStringView(text).sliced(position, marker.start - position));
        const auto value = byName.constFind(marker.variable.normalizedName);
        if (value != byName.constEnd()) {
            result.append(*value);
        } else {
            result.append(QStringView(text).sliced(marker.start, marker.length));
        }
        position = marker.start + marker.length;
    }
    result.append(QStringView(text).sliced(position));
    return result;
}

QList<PromptVariableParser::Marker> PromptVariableParser::validMarkers(const QString& text) {
    QList<Marker> markers;
    const QLatin1String open("{{");
    const QLatin1String close("}}");
    qsizetype start = 0;
    for (;;) {
        const qsizetype opening = text.indexOf(open, start);
        if (opening < 0) {
            break;
        }
        const qsizetype closing = text.indexOf(close, opening + 2);
        if (closing < 0) {
            break;
        }
        const QStringView inner = QStringView(text).sliced(opening + 2, closing - opening - 2);
        if (auto found = variable(inner)) {
            markers.append({opening, closing + 2 - opening, std::move(*found)});
        }
        start = closing + 2;
    }
    return markers;
}

std::optional<PromptVariable> PromptVariableParser::variable(QStringView inner) {
    if (inner.contains(QLatin1Char('{')) || inner.contains(QLatin1Char('}'))) {
        return std::nullopt;
    }
    const qsizetype bar = inner.indexOf(QLatin1Char('|'));
    const QStringView namePart = bar < 0 ? inner : inner.first(bar);
    const QString name = Text::trimWhitespaceAndNewlines(namePart).toString();
    if (name.isEmpty()) {
        return std::nullopt;
    }
    PromptVariable result;
    result.name = name;
    result.normalizedName = name.toLower();
    if (bar >= 0) {
        result.defaultValue = inner.sliced(bar + 1).toString();
    }
    return result;
}

QHash<QString, QString> PromptVariableParser::normalized(const QHash<QString, QString>& values) {
    QStringList keys = values.keys();
    std::sort(keys.begin(), keys.end(), Text::codePointLess);
    QHash<QString, QString> result;
    for (const QString& key : keys) {
        const QString name = Text::trimWhitespaceAndNewlines(key).toLower();
        if (name.isEmpty()) {
            continue;
        }
        if (key != name && result.contains(name)) {
            continue;
        }
        result.insert(name, values.value(key));
    }
    return result;
}
