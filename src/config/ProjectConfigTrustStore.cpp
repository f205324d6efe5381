#include "config/ProjectConfigTrustStore.h"

#include "config/ProjectPromptConfigLoader.h"
#include "config/SecureFileWriter.h"
#include "config/StateFiles.h"
#include "model/FilePaths.h"
#include "model/Sha256.h"
#include "model/StateJson.h"
#include "model/TextPrimitives.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

using namespace Qt::StringLiterals;

ProjectConfigTrustStore::ProjectConfigTrustStore(const AppEnvironment& environment)
    : m_homeDirectory(QDir::cleanPath(environment.homePath)), m_dataDirectory(environment.dataDirectory()) {
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
    const Result<QByteArray> bytes = StateFiles::readRegularFile(trustFilePath());
    if (!bytes.ok()) {
        return;
    }
    const std::optional<QList<TrustedProjectConfig>> records = decode(*bytes);
    if (!records) {
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

Status ProjectConfigTrustStore::save() const {
    if (Status directory = StateFiles::createPrivateDirectory(m_dataDirectory); !directory.ok()) {
        return directory;
    }
    return SecureFileWriter::writeData(encode(m_trustedConfigHashesByPath), trustFilePath());
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
