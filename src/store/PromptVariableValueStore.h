#pragma once

#include "model/environment/AppEnvironment.h"
#include "model/environment/UserDefaults.h"
#include "store/PromptVariableRecentValue.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

// Remembers the value last confirmed for each variable name, across prompts and launches, so
// that the variable form can be prefilled. At most 50 values, one per normalised name, kept in
// user defaults. Main thread only; `recordsChanged` follows every remembered value.
class PromptVariableValueStore : public QObject {
    Q_OBJECT
public:
    static inline const QString key = QStringLiteral("OrrisHollows.promptVariableRecentValues.v1");
    static constexpr qsizetype maximumRecordCount = 50;

    // Loads and cleans the stored list; the cleaned list is written back with the next value.
    explicit PromptVariableValueStore(const AppEnvironment& environment, QObject* parent = nullptr);

    const QList<PromptVariableRecentValue>& records() const { return m_records; }

    std::optional<QString> value(const QString& variableName) const;
    // An empty value or a name that is empty once trimmed is ignored.
    void record(const QString& value, const QString& variableName, const QDateTime& updatedAt);

    // Forgets every remembered value and removes the key from user defaults.
    void removeAll();

    // Trimmed of white space and line breaks, then lower-cased.
    static QString normalizedName(const QString& variableName);

    // Compact JSON: [{"normalizedName":...,"value":...,"updatedAt":seconds since 2001}, ...].
    static QByteArray encode(const QList<PromptVariableRecentValue>& records);
    static std::optional<QList<PromptVariableRecentValue>> decode(const QByteArray& data);
    // Drops empty names and values, keeps the latest record per name (moved to the end; a tie
    // goes to the later one) and caps the list.
    static QList<PromptVariableRecentValue> cleaned(const QList<PromptVariableRecentValue>& records);
    // Removes the oldest records (the first of equal dates first) until at most 50 remain.
    static void removeOldestRecordsIfNeeded(QList<PromptVariableRecentValue>& records);

signals:
    void recordsChanged();

private:
    void persist();

    std::shared_ptr<UserDefaults> m_defaults;
    QList<PromptVariableRecentValue> m_records;
};
