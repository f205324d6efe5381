#include "store/PromptUsageStore.h"

#include "config/SecureFileWriter.h"
#include "config/StateFiles.h"
#include "model/AppLog.h"
#include "model/StateJson.h"
#include "model/TextPrimitives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>

PromptUsageStore::PromptUsageStore(const AppEnvironment& environment, QObject* parent)
    : QObject(parent), m_filePath(environment.dataFile(fileName)), m_clock(environment.clock) {
    if (!StateFiles::exists(m_filePath)) {
        return;
    }
    const Result<QByteArray> data = StateFiles::readRegularFile(m_filePath);
    Result<QHash<QString, PromptUsageRecord>> decoded =
        data ? decode(*data) : Result<QHash<QString, PromptUsageRecord>>(data.error());
    if (!decoded) {
        qCCritical(lcPersistence).noquote()
            << "Load prompt usage failed error=" + AppLog::errorSummary(decoded.error());
        m_unreadableFileOnDisk = true;
        return;
    }
    m_records = std::move(decoded).value();
}

Result<QHash<QString, PromptUsageRecord>> PromptUsageStore::decode(const QByteArray& data) {
    const Result<QJsonDocument> document = StateJson::parse(data);
    if (!document) {
        return document.error();
    }
    if (!document->isArray()) {
        return StateJson::typeMismatch(QStringLiteral("records"));
    }
    QHash<QString, PromptUsageRecord> records;
    for (const QJsonValue& element : document->array()) {
        Result<PromptUsageRecord> decoded = PromptUsageRecord::fromJson(element);
        if (!decoded) {
            return decoded.error();
        }
        PromptUsageRecord record = std::move(decoded).value();
        record.successfulCopyCount = std::max<qint64>(record.successfulCopyCount, 0);
        const auto existing = records.constFind(record.promptID);
        if (existing != records.constEnd()) {
            if (existing->lastUsedAt > record.lastUsedAt) {
                record.lastUsedAt = existing->lastUsedAt;
            }
            record.successfulCopyCount = std::max(record.successfulCopyCount, existing->successfulCopyCount);
        }
        records.insert(record.promptID, record);
    }
    return records;
}

QByteArray PromptUsageStore::encode(const QHash<QString, PromptUsageRecord>& records) {
    QStringList ids = records.keys();
    std::sort(ids.begin(), ids.end(), Text::codePointLess);
    QJsonArray array;
    for (const QString& id : ids) {
        array.append(records.value(id).toJson());
    }
    return StateJson::pretty(array);
}

void PromptUsageStore::recordSuccessfulCopy(const QString& promptID, const QDateTime& at) {
    const qint64 existing = std::max<qint64>(m_records.value(promptID).successfulCopyCount, 0);
    const qint64 count = existing == std::numeric_limits<qint64>::max() ? existing : existing + 1;
    QHash<QString, PromptUsageRecord> candidate = m_records;
    candidate.insert(promptID, PromptUsageRecord{promptID, at, count});
    persist(candidate);
}

void PromptUsageStore::remove(const QString& promptID) {
    if (!m_records.contains(promptID)) {
        return;
    }
    QHash<QString, PromptUsageRecord> candidate = m_records;
    candidate.remove(promptID);
    persist(candidate);
}

void PromptUsageStore::retain(const QSet<QString>& promptIDs) {
    QHash<QString, PromptUsageRecord> candidate = m_records;
    candidate.removeIf([&](const auto& entry) { return !promptIDs.contains(entry.key()); });
    if (candidate == m_records) {
        return;
    }
    persist(candidate);
}

Status PromptUsageStore::removeAll() {
    if (m_records.isEmpty()) {
        return {};
    }
    return persist({});
}

Status PromptUsageStore::persist(const QHash<QString, PromptUsageRecord>& candidate) {
    Status saved = StateFiles::createPrivateDirectory(QFileInfo(m_filePath).absolutePath());
    if (saved && m_unreadableFileOnDisk) {
        saved = moveUnreadableFileAside();
    }
    if (saved) {
        saved = SecureFileWriter::writeData(encode(candidate), m_filePath);
    }
    if (!saved) {
        qCCritical(lcPersistence).noquote()
            << "Save prompt usage failed recordCount=" + QString::number(candidate.size())
            << "error=" + AppLog::errorSummary(saved.error());
        return saved;
    }
    m_records = candidate;
    emit recordsChanged();
    return saved;
}

Status PromptUsageStore::moveUnreadableFileAside() {
    const QString stamp = m_clock->now().toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const QString base = m_filePath + QStringLiteral(".unreadable-") + stamp;
    QString target = base;
    for (int attempt = 2; StateFiles::exists(target); ++attempt) {
        target = base + QLatin1Char('-') + QString::number(attempt);
    }
    if (std::rename(QFile::encodeName(m_filePath).constData(), QFile::encodeName(target).constData()) == 0) {
        qCWarning(lcPersistence).noquote() << "Moved unreadable prompt usage aside file=" + AppLog::fileContext(target);
    } else if (errno != ENOENT) {
        return AppError::posix(errno);
    }
    m_unreadableFileOnDisk = false;
    return {};
}
