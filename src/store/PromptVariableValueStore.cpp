#include "store/PromptVariableValueStore.h"

#include "config/StateFiles.h"
#include "model/StateJson.h"
#include "model/TextPrimitives.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {
const QString normalizedNameKey = QStringLiteral("normalizedName");
const QString valueKey = QStringLiteral("value");
const QString updatedAtKey = QStringLiteral("updatedAt");
} // namespace

PromptVariableValueStore::PromptVariableValueStore(const AppEnvironment& environment, QObject* parent)
    : QObject(parent), m_defaults(environment.defaults) {
    if (const auto data = m_defaults->dataValue(key)) {
        if (const auto decoded = decode(*data)) {
            m_records = cleaned(*decoded);
        }
    }
}

QString PromptVariableValueStore::normalizedName(const QString& variableName) {
    return Text::trimWhitespaceAndNewlines(variableName).toLower();
}

std::optional<QString> PromptVariableValueStore::value(const QString& variableName) const {
    const QString name = normalizedName(variableName);
    if (name.isEmpty()) {
        return std::nullopt;
    }
    for (const PromptVariableRecentValue& record : m_records) {
        if (record.normalizedName == name) {
            return record.value;
        }
    }
    return std::nullopt;
}

void PromptVariableValueStore::record(const QString& value, const QString& variableName, const QDateTime& updatedAt) {
    const QString name = normalizedName(variableName);
    if (value.isEmpty() || name.isEmpty()) {
        return;
    }
    m_records.removeIf([&](const PromptVariableRecentValue& record) { return record.normalizedName == name; });
    m_records.append(PromptVariableRecentValue{name, value, updatedAt});
    removeOldestRecordsIfNeeded(m_records);
    persist();
    emit recordsChanged();
}

void PromptVariableValueStore::removeAll() {
    m_records.clear();
    m_defaults->remove(key);
    emit recordsChanged();
}

QByteArray PromptVariableValueStore::encode(const QList<PromptVariableRecentValue>& records) {
    QByteArray out("[");
    for (qsizetype i = 0; i < records.size(); ++i) {
        const PromptVariableRecentValue& record = records.at(i);
        if (i > 0) {
            out.append(',');
        }
        out.append("{\"normalizedName\":" + StateJson::quoted(record.normalizedName));
        out.append(",\"value\":" + StateJson::quoted(record.value));
        out.append(",\"updatedAt\":" + StateJson::number(StateJson::secondsSinceReferenceDate(record.updatedAt)));
        out.append('}');
    }
    out.append(']');
    return out;
}

std::optional<QList<PromptVariableRecentValue>> PromptVariableValueStore::decode(const QByteArray& data) {
    if (data.size() > StateFiles::maximumBytes) {
        return std::nullopt;
    }
    const Result<QJsonDocument> document = StateJson::parse(data);
    if (!document || !document->isArray()) {
        return std::nullopt;
    }
    QList<PromptVariableRecentValue> records;
    for (const QJsonValue& element : document->array()) {
        if (!element.isObject()) {
            return std::nullopt;
        }
        const QJsonObject object = element.toObject();
        const auto name = StateJson::requiredString(object, normalizedNameKey);
        const auto value = StateJson::requiredString(object, valueKey);
        const auto updatedAt = StateJson::requiredNumericDate(object, updatedAtKey);
        if (!name || !value || !updatedAt) {
            return std::nullopt;
        }
        records.append(PromptVariableRecentValue{*name, *value, *updatedAt});
    }
    return records;
}

QList<PromptVariableRecentValue> PromptVariableValueStore::cleaned(const QList<PromptVariableRecentValue>& records) {
    // Entries of the new list; a record that a later one replaces leaves an empty entry behind, so
    // that a long stored list costs no quadratic removals.
    std::vector<std::optional<PromptVariableRecentValue>> entries;
    QHash<QString, size_t> entryOfName;
    for (const PromptVariableRecentValue& stored : records) {
        const QString name = normalizedName(stored.normalizedName);
        if (stored.value.isEmpty() || name.isEmpty()) {
            continue;
        }
        if (const auto found = entryOfName.constFind(name); found != entryOfName.constEnd()) {
            if (entries[*found]->updatedAt > stored.updatedAt) {
                continue;
            }
            entries[*found].reset();
        }
        entryOfName.insert(name, entries.size());
        entries.push_back(PromptVariableRecentValue{name, stored.value, stored.updatedAt});
    }
    QList<PromptVariableRecentValue> result;
    for (auto& entry : entries) {
        if (entry) {
            result.append(std::move(*entry));
        }
    }
    removeOldestRecordsIfNeeded(result);
    return result;
}

void PromptVariableValueStore::removeOldestRecordsIfNeeded(QList<PromptVariableRecentValue>& records) {
    if (records.size() <= maximumRecordCount) {
        return;
    }
    // Removing the earliest record one at a time, the first of equal dates first, removes the
    // records that come first in (date, position) order: find those at once.
    std::vector<qsizetype> order(size_t(records.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return records.at(a).updatedAt < records.at(b).updatedAt; });
    std::vector<bool> removed(size_t(records.size()), false);
    for (size_t i = 0; i < size_t(records.size() - maximumRecordCount); ++i) {
        removed[size_t(order[i])] = true;
    }
    QList<PromptVariableRecentValue> kept;
    kept.reserve(maximumRecordCount);
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (!removed[size_t(i)]) {
            kept.append(records.at(i));
        }
    }
    records = kept;
}

void PromptVariableValueStore::persist() {
    m_defaults->setData(key, encode(m_records));
}
