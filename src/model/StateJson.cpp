#include "model/StateJson.h"

#include "model/TextPrimitives.h"

#include <QJsonArray>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QVariant>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace StateJson {

namespace {

// 0001-01-01T00:00:00Z and 9999-12-31T23:59:59.999Z in milliseconds since 1970: the dates the
// ISO form can write with four-digit years.
constexpr qint64 earliestMSecs = -62'135'596'800'000;
constexpr qint64 latestMSecs = 253'402'300'799'999;

void appendIndent(QByteArray& out, int level) {
    out.append(QByteArray(level * 2, ' '));
}

void appendNumber(QByteArray& out, const QJsonValue& value) {
    // Integers parsed from the text (or set from qint64) are held exactly; keep them so.
    if (value.toVariant().typeId() == QMetaType::LongLong) {
        out.append(QByteArray::number(value.toInteger()));
    } else {
        out.append(number(value.toDouble()));
    }
}

void appendPretty(QByteArray& out, const QJsonValue& value, int level) {
    switch (value.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        out.append("null");
        return;
    case QJsonValue::Bool:
        out.append(value.toBool() ? "true" : "false");
        return;
    case QJsonValue::Double:
        appendNumber(out, value);
        return;
    case QJsonValue::String:
        out.append(quoted(value.toString()));
        return;
    case QJsonValue::Array: {
        const QJsonArray array = value.toArray();
        out.append("[\n");
        if (array.isEmpty()) {
            out.append('\n');
        }
        for (qsizetype i = 0; i < array.size(); ++i) {
            appendIndent(out, level + 1);
            appendPretty(out, array.at(i), level + 1);
            out.append(i + 1 < array.size() ? ",\n" : "\n");
        }
        appendIndent(out, level);
        out.append(']');
        return;
    }
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        QStringList keys = object.keys();
        std::sort(keys.begin(), keys.end(), Text::codePointLess);
        out.append("{\n");
        if (keys.isEmpty()) {
            out.append('\n');
        }
        for (qsizetype i = 0; i < keys.size(); ++i) {
            appendIndent(out, level + 1);
            out.append(quoted(keys.at(i)));
            out.append(" : ");
            appendPretty(out, object.value(keys.at(i)), level + 1);
            out.append(i + 1 < keys.size() ? ",\n" : "\n");
        }
        appendIndent(out, level);
        out.append('}');
        return;
    }
    }
}

bool fitsFourDigitYears(qint64 msecs) {
    return msecs >= earliestMSecs && msecs <= latestMSecs;
}

int digits(const QString& text, qsizetype start, qsizetype count) {
    int value = 0;
    for (qsizetype i = start; i < start + count; ++i) {
        value = value * 10 + (text.at(i).unicode() - '0');
    }
    return value;
}

} // namespace

QByteArray pretty(const QJsonValue& value) {
    QByteArray out;
    appendPretty(out, value, 0);
    return out;
}

QByteArray quoted(const QString& text) {
    QByteArray out;
    out.reserve(text.size() + 2);
    out.append('"');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        switch (c) {
        case u'"':
            out.append("\\\"");
            continue;
        case u'\\':
            out.append("\\\\");
            continue;
        case u'/':
            out.append("\\/");
            continue;
        case u'\b':
            out.append("\\b");
            continue;
        case u'\f':
            out.append("\\f");
            continue;
        case u'\n':
            out.append("\\n");
            continue;
        case u'\r':
            out.append("\\r");
            continue;
        case u'\t':
            out.append("\\t");
            continue;
        default:
            break;
        }
        if (c < 0x20) {
            out.append(QByteArrayLiteral("\\u00") + QByteArray::number(c, 16).rightJustified(2, '0'));
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append(text.mid(i, 2).toUtf8());
            ++i;
        } else if (QChar::isSurrogate(c)) {
            // A lone surrogate has no UTF-8 form; the escape keeps it as it was read.
            out.append(QByteArrayLiteral("\\u") + QByteArray::number(c, 16).rightJustified(4, '0'));
        } else {
            out.append(QString(QChar(c)).toUtf8());
        }
    }
    out.append('"');
    return out;
}

QByteArray number(double value) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 9007199254740992.0) {
        return QByteArray::number(qint64(value));
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, result.ptr - buffer);
}

std::optional<qint64> integer(const QJsonValue& value) {
    if (!value.isDouble()) {
        return std::nullopt;
    }
    // toInteger returns its fallback for a fraction or a value out of range; two different
    // fallbacks tell that apart from a real value equal to one of them.
    const qint64 first = value.toInteger(0);
    if (first != value.toInteger(1)) {
        return std::nullopt;
    }
    return first;
}

double secondsSinceReferenceDate(const QDateTime& date) {
    return double(date.toMSecsSinceEpoch() - referenceDateUnixSeconds * 1000) / 1000.0;
}

std::optional<QDateTime> dateFromSecondsSinceReferenceDate(double seconds) {
    if (!std::isfinite(seconds)) {
        return std::nullopt;
    }
    const double unixMSecs = (seconds + double(referenceDateUnixSeconds)) * 1000.0;
    if (unixMSecs < double(earliestMSecs) || unixMSecs > double(latestMSecs)) {
        return std::nullopt;
    }
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(seconds * 1000.0)) + referenceDateUnixSeconds * 1000,
                                          Qt::UTC);
}

QString iso8601(const QDateTime& date) {
    const qint64 msecs = date.toMSecsSinceEpoch();
    // Whole seconds, rounded down also before 1970.
    const qint64 seconds = msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    const QDate day = utc.date();
    const QTime time = utc.time();
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02dZ", day.year(), day.month(), day.day(), time.hour(),
                             time.minute(), time.second());
}

std::optional<QDateTime> parseIso8601(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral(
        "^([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})(Z|[+-][0-9]{2}:?[0-9]{2})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const QDate day(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
    const int hour = digits(text, 11, 2);
    const int minute = digits(text, 14, 2);
    const int second = digits(text, 17, 2);
    if (!day.isValid() || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    qint64 offsetSeconds = 0;
    const QString zone = match.captured(7);
    if (zone != QLatin1String("Z")) {
        const qsizetype start = match.capturedStart(7);
        const int offsetHours = digits(text, start + 1, 2);
        const int offsetMinutes = digits(text, start + zone.size() - 2, 2);
        if (offsetHours > 23 || offsetMinutes > 59) {
            return std::nullopt;
        }
        offsetSeconds = (offsetHours * 3600 + offsetMinutes * 60) * (zone.at(0) == QLatin1Char('-') ? -1 : 1);
    }
    const QDateTime local(day, QTime(hour, minute, second), Qt::UTC);
    const qint64 msecs = local.toMSecsSinceEpoch() - offsetSeconds * 1000;
    if (!fitsFourDigitYears(msecs)) {
        return std::nullopt;
    }
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
}

Result<QJsonDocument> parse(const QByteArray& data) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || document.isNull()) {
        return AppError::make(QStringLiteral("JSONParseError"), QStringLiteral("json"), qint64(error.error),
                              error.errorString());
    }
    return document;
}

AppError dataCorrupted(const QString& message) {
    return AppError::make(QStringLiteral("DecodingError"), QStringLiteral("json.dataCorrupted"), 1, message);
}

AppError typeMismatch(const QString& key) {
    return AppError::make(QStringLiteral("DecodingError"), QStringLiteral("json.typeMismatch"), 2,
                          QStringLiteral("Unexpected type for key ") + key);
}

AppError keyNotFound(const QString& key) {
    return AppError::make(QStringLiteral("DecodingError"), QStringLiteral("json.keyNotFound"), 3,
                          QStringLiteral("Missing key ") + key);
}

Result<QString> requiredString(const QJsonObject& object, const QString& key) {
    const auto found = object.constFind(key);
    if (found == object.constEnd()) {
        return keyNotFound(key);
    }
    if (!found->isString()) {
        return typeMismatch(key);
    }
    return found->toString();
}

Result<std::optional<QString>> optionalString(const QJsonObject& object, const QString& key) {
    const auto found = object.constFind(key);
    if (found == object.constEnd() || found->isNull()) {
        return std::optional<QString>();
    }
    if (!found->isString()) {
        return typeMismatch(key);
    }
    return std::optional<QString>(found->toString());
}

Result<bool> requiredBool(const QJsonObject& object, const QString& key) {
    const auto found = object.constFind(key);
    if (found == object.constEnd()) {
        return keyNotFound(key);
    }
    if (!found->isBool()) {
        return typeMismatch(key);
    }
    return found->toBool();
}

Result<qint64> requiredInteger(const QJsonObject& object, const QString& key) {
    const auto found = object.constFind(key);
    if (found == object.constEnd()) {
        return keyNotFound(key);
    }
    const auto value = integer(*found);
    if (!value) {
        return typeMismatch(key);
    }
    return *value;
}

Result<QDateTime> requiredNumericDate(const QJsonObject& object, const QString& key) {
    const auto found = object.constFind(key);
    if (found == object.constEnd()) {
        return keyNotFound(key);
    }
    if (!found->isDouble()) {
        return typeMismatch(key);
    }
    const auto date = dateFromSecondsSinceReferenceDate(found->toDouble());
    if (!date) {
        return dataCorrupted(QStringLiteral("Invalid date"));
    }
    return *date;
}

Result<QDateTime> requiredFlexibleDate(const QJsonObject& object, const QString& key) {
    const auto found = object.constFind(key);
    if (found == object.constEnd()) {
        return keyNotFound(key);
    }
    if (found->isDouble()) {
        return requiredNumericDate(object, key);
    }
    if (!found->isString()) {
        return typeMismatch(key);
    }
    const auto date = parseIso8601(found->toString());
    if (!date) {
        return dataCorrupted(QStringLiteral("Invalid date"));
    }
    return *date;
}

} // namespace StateJson
