#pragma once

#include "model/environment/AppEnvironment.h"
#include "model/PromptUsage.h"
#include "model/Result.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

#include <memory>

// Counts every successful copy per prompt id, with the time of the last one, for the recent
// and frequent sort orders. Mirrors the whole set in ".orris-hollows/prompt-usage.json"; every
// change writes the file first and is adopted in memory only when the write succeeded.
// Main thread only; `recordsChanged` follows every adopted change.
class PromptUsageStore : public QObject {
    Q_OBJECT
public:
    static inline const QString fileName = QStringLiteral("prompt-usage.json");

    // Reads the file at once.
    explicit PromptUsageStore(const AppEnvironment& environment, QObject* parent = nullptr);

    const QHash<QString, PromptUsageRecord>& records() const { return m_records; }
    QString filePath() const { return m_filePath; }

    void recordSuccessfulCopy(const QString& promptID, const QDateTime& at);
    void remove(const QString& promptID);
    // Forgets every prompt whose id is not in the set.
    void retain(const QSet<QString>& promptIDs);
    // Empties the file and then the records; the error of a failed write, records kept.
    Status removeAll();

    // The file's content for a set of records: a pretty-printed array ordered by prompt id.
    static QByteArray encode(const QHash<QString, PromptUsageRecord>& records);
    // One record that fails to decode fails the whole file. Duplicate ids merge into the later
    // date and the larger count; negative counts read as 0.
    static Result<QHash<QString, PromptUsageRecord>> decode(const QByteArray& data);

signals:
    void recordsChanged();

private:
    Status persist(const QHash<QString, PromptUsageRecord>& candidate);
    Status moveUnreadableFileAside();

    QString m_filePath;
    std::shared_ptr<Clock> m_clock;
    QHash<QString, PromptUsageRecord> m_records;
    // The file was there but could not be read: it is moved aside, not overwritten, by the
    // first write, so the history in it is not lost.
    bool m_unreadableFileOnDisk = false;
};
