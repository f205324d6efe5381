#pragma once

#include "model/Result.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>
#include <utility>

// The JSON rules of the small state files (bindings, usage) and of JSON kept in user defaults.
// The files are written byte for byte the way the system has always written them, so the text
// is produced here rather than by QJsonDocument: two-space indentation, " : " between key and
// value, keys in code-point order, "/" escaped as "\/", empty containers as "{\n\n}".
namespace StateJson {

// Seconds from 1970-01-01 to 2001-01-01 00:00:00 UTC, the origin of numeric dates.
constexpr qint64 referenceDateUnixSeconds = 978'307'200;

// Pretty-printed text with every object's keys sorted; no trailing newline.
QByteArray pretty(const QJsonValue& value);
// A JSON string literal, quotes included.
QByteArray quoted(const QString& text);
// The shortest text that reads back as the same double; whole numbers without a fraction.
QByteArray number(double value);

// An integral number within the signed 64-bit range (5, 5.0 and 5e0 alike); none otherwise.
std::optional<qint64> integer(const QJsonValue& value);

// Numeric dates: seconds since 2001-01-01 00:00:00 UTC, with fraction. Dates are kept to the
// millisecond; a number that is not finite or falls outside the years 1 to 9999 is no date.
double secondsSinceReferenceDate(const QDateTime& date);
std::optional<QDateTime> dateFromSecondsSinceReferenceDate(double seconds);

// ISO 8601 internet date-time in UTC without fractional seconds: 2025-03-01T08:15:00Z.
QString iso8601(const QDateTime& date);
// Date, "T", time to the second, then "Z" or an offset (+01:00 or +0100). No fractions.
std::optional<QDateTime> parseIso8601(const QString& text);

// Parses with no options; an empty or broken text is an error.
Result<QJsonDocument> parse(const QByteArray& data);

// Decoding errors, named after the failure so that a log line can tell them apart.
AppError dataCorrupted(const QString& message);
AppError typeMismatch(const QString& key);
AppError keyNotFound(const QString& key);

// Field readers for decoders: a missing key is keyNotFound, a value of another type typeMismatch.
Result<QString> requiredString(const QJsonObject& object, const QString& key);
// Absent or null gives none; any other non-string is a type mismatch.
Result<std::optional<QString>> optionalString(const QJsonObject& object, const QString& key);
Result<bool> requiredBool(const QJsonObject& object, const QString& key);
Result<qint64> requiredInteger(const QJsonObject& object, const QString& key);
// A numeric date (seconds since 2001-01-01).
Result<QDateTime> requiredNumericDate(const QJsonObject& object, const QString& key);
// A numeric date or an ISO 8601 text; any other text is "Invalid date".
Result<QDateTime> requiredFlexibleDate(const QJsonObject& object, const QString& key);

// The field readers above, for a decoder that reads one field after the other: each gives its
// value, or an empty one after a failure, and the first failure is kept for the decoder to return
// once at the end. Fields after a failure are not read.
class FieldReader {
public:
    explicit FieldReader(QJsonObject object) : m_object(std::move(object)) {}

    QString requiredString(const QString& key) { return read(StateJson::requiredString, key); }
    std::optional<QString> optionalString(const QString& key) { return read(StateJson::optionalString, key); }
    bool requiredBool(const QString& key) { return read(StateJson::requiredBool, key); }
    qint64 requiredInteger(const QString& key) { return read(StateJson::requiredInteger, key); }
    QDateTime requiredNumericDate(const QString& key) { return read(StateJson::requiredNumericDate, key); }
    QDateTime requiredFlexibleDate(const QString& key) { return read(StateJson::requiredFlexibleDate, key); }

    // A failure the decoder finds itself; an earlier one is kept.
    void fail(const AppError& error) {
        if (!m_error) {
            m_error = error;
        }
    }
    const std::optional<AppError>& error() const { return m_error; }

private:
    template <typename T> T read(Result<T> (*reader)(const QJsonObject&, const QString&), const QString& key) {
        if (m_error) {
            return T{};
        }
        Result<T> result = reader(m_object, key);
        if (!result) {
            m_error = result.error();
            return T{};
        }
        return std::move(result).value();
    }

    QJsonObject m_object;
    std::optional<AppError> m_error;
};

} // namespace StateJson
