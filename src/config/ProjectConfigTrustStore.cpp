#include "config/ProjectConfigTrustStore.h"

#include "config/ProjectPromptConfigLoader.h"
#include "config/SecureFileWriter.h"
#include "config/StateFiles.h"
#include "model/AppLog.h"
#include "model/FilePaths.h"
#include "model/Sha256.h"
#include "model/StateJson.h"
#include "model/TextPrimitives.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <cstdio>

using namespace Qt::StringLiterals;

ProjectConfigTrustStore::ProjectConfigTrustStore(const AppEnvironment& environment)
    : m_homeDirectory(QDir::cleanPath(environment.homePath)), m_dataDirectory(environment.dataDirectory()),
      m_clock(environment.clock ? environment.clock : std::make_shared<SystemClock>()) {
    reload();
}

QString ProjectConfigTrustStore::trustFilePath() const {
    return m_dataDirectory + u'/' + fileName;
}

QString ProjectConfigTrustStore::normalizedPath(const QString& path) const {
    return FilePaths::normalized(path, m_homeDirectory, QDir::currentPath(), FilePaths::LoneTilde::home);
}

Result<QString> ProjectConfigTrustStore::sha256(const QString& normalizedPath) const {
    // The same guard as loading: a project file is hashed only as a regular file of at most
    // 1 MiB, so trusting a link to a device or a huge file fails at once.
    const Result<QByteArray> bytes =
        StateFiles::readRegularFile(normalizedPath, ProjectPromptConfigLoader::maximumBytes);
    if (!bytes.ok()) {
        return bytes.error();
    }
    return Sha256::hex(*bytes);
}

void ProjectConfigTrustStore::reload() {
    m_trustedConfigHashesByPath.clear();
    m_unreadableFileOnDisk = false;
    const Result<QByteArray> bytes = StateFiles::readRegularFile(trustFilePath());
    if (!bytes.ok()) {
        if (bytes.error() != AppError::posix(ENOENT)) {
            m_unreadableFileOnDisk = true;
            qCWarning(lcPersistence).noquote()
                << "Load trusted project configs failed file=" + AppLog::fileContext(trustFilePath())
                << "error=" + AppLog::errorSummary(bytes.error());
        }
        return;
    }
    const std::optional<QList<TrustedProjectConfig>> records = decode(*bytes);
    if (!records) {
        m_unreadableFileOnDisk = true;
        qCWarning(lcPersistence).noquote()
            << "Decode trusted project configs failed file=" + AppLog::fileContext(trustFilePath())
            << "bytes=" + QString::number(bytes->size());
        return;
    }
    // Two records for one file can only come from a hand edit; the later one wins.
    for (const TrustedProjectConfig& record : *records) {
        m_trustedConfigHashesByPath.insert(normalizedPath(record.path), record.sha256);
    }
}

std::optional<QList<TrustedProjectConfig>> ProjectConfigTrustStore::decode(const QByteArray& data) {
    const Result<QJsonDocument> document = StateJson::parse(data);
    if (!document.ok() || !document->isArray()) {
        return std::nullopt;
    }
    QList<TrustedProjectConfig> result;
    for (const QJsonValue& value : document->array()) {
        if (!value.isObject()) {
            return std::nullopt;
        }
        const QJsonObject object = value.toObject();
        const QJsonValue path = object.value(u"path"_s);
        const QJsonValue hash = object.value(u"sha256"_s);
        if (!path.isString() || !hash.isString()) {
            return std::nullopt;
        }
        result.append({path.toString(), hash.toString()});
    }
    return result;
}

QByteArray ProjectConfigTrustStore::encode(const QHash<QString, QString>& hashesByPath) {
    QStringList paths = hashesByPath.keys();
    std::sort(paths.begin(), paths.end(), Text::codePointLess);
    QByteArray out("[");
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (i > 0) {
            out.append(',');
        }
        out.append("{\"path\":");
        out.append(StateJson::quoted(paths.at(i)));
        out.append(",\"sha256\":");
        out.append(StateJson::quoted(hashesByPath.value(paths.at(i))));
        out.append('}');
    }
    out.append(']');
    return out;
}

Status ProjectConfigTrustStore::save() {
    if (Status directory = StateFiles::createPrivateDirectory(m_dataDirectory); !directory.ok()) {
        return directory;
    }
    if (m_unreadableFileOnDisk) {
        if (Status moved = moveUnreadableFileAside(); !moved.ok()) {
            return moved;
        }
    }
    return SecureFileWriter::writeData(encode(m_trustedConfigHashesByPath), trustFilePath());
}

Status ProjectConfigTrustStore::moveUnreadableFileAside() {
    const QString source = trustFilePath();
    const QString stamp = m_clock->now().toUTC().toString(u"yyyyMMdd'T'HHmmss'Z'"_s);
    const QString base = source + u".unreadable-"_s + stamp;
    QString target = base;
    for (int attempt = 2; StateFiles::exists(target); ++attempt) {
        target = base + u'-' + QString::number(attempt);
    }
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) == 0) {
        qCWarning(lcPersistence).noquote()
            << "Moved unreadable trusted project configs aside file=" + AppLog::fileContext(target);
    } else if (errno != ENOENT) {
        const AppError error = AppError::posix(errno);
        qCCritical(lcPersistence).noquote()
            << "Move unreadable trusted project configs aside failed file=" + AppLog::fileContext(source)
            << "error=" + AppLog::errorSummary(error);
        return error;
    }
    m_unreadableFileOnDisk = false;
    return {};
}

Status ProjectConfigTrustStore::trust(const QString& configPath) {
    const QString key = normalizedPath(configPath);
    const Result<QString> hash = sha256(key);
    if (!hash.ok()) {
        return hash.error();
    }
    const std::optional<QString> previous = m_trustedConfigHashesByPath.contains(key)
                                                ? std::optional(m_trustedConfigHashesByPath.value(key))
                                                : std::nullopt;
    m_trustedConfigHashesByPath.insert(key, *hash);
    Status saved = save();
    if (!saved.ok()) {
        // Trust that did not reach the disk would be gone after the next start; it never counts.
        if (previous) {
            m_trustedConfigHashesByPath.insert(key, *previous);
        } else {
            m_trustedConfigHashesByPath.remove(key);
        }
    }
    return saved;
}

bool ProjectConfigTrustStore::isTrusted(const QString& configPath) const {
    const QString key = normalizedPath(configPath);
    const auto stored = m_trustedConfigHashesByPath.constFind(key);
    if (stored == m_trustedConfigHashesByPath.constEnd()) {
        return false;
    }
    const Result<QString> current = sha256(key);
    return current.ok() && *current == *stored;
}

bool ProjectConfigTrustStore::isTrusted(const QString& configPath, const QString& contentHash) const {
    const auto stored = m_trustedConfigHashesByPath.constFind(normalizedPath(configPath));
    return stored != m_trustedConfigHashesByPath.constEnd() && *stored == contentHash;
}
