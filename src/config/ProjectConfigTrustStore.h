#pragma once

#include "model/environment/AppEnvironment.h"
#include "model/Result.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

// One record of the trust file.
struct TrustedProjectConfig {
    QString path;
    QString sha256;

    bool operator==(const TrustedProjectConfig& other) const = default;
};

// The project files the user trusted, each with the SHA-256 of the exact content trusted, in
// ".orris-hollows/trusted-project-configs.json". A file counts as trusted only while its bytes
// still have that hash: any edit un-trusts it until the user trusts it again. Main thread only.
class ProjectConfigTrustStore {
public:
    static inline const QString fileName = QStringLiteral("trusted-project-configs.json");

    // Loads the trust file at once.
    explicit ProjectConfigTrustStore(const AppEnvironment& environment);

    QString trustFilePath() const;
    // Normalised path of a project file -> lower-case hex SHA-256 of its trusted content.
    const QHash<QString, QString>& trustedConfigHashesByPath() const { return m_trustedConfigHashesByPath; }

    // Replaces the map with the file's content; a missing or damaged file gives an empty map. A
    // damaged file is kept: the next save first moves it aside as "<file>.unreadable-<UTC stamp>".
    void reload();
    // Trusts the file's current content and saves the list. When the file cannot be read or the
    // list cannot be saved, nothing changes: the file is not trusted.
    Status trust(const QString& configPath);
    // Reads and hashes the file anew on every call.
    bool isTrusted(const QString& configPath) const;
    // Whether content with this hash, read earlier by the caller, is the trusted content; lets a
    // caller vouch for the very bytes it loaded, not for what the file holds a moment later.
    bool isTrusted(const QString& configPath, const QString& contentHash) const;

    // "~" expanded, made absolute, standardised, symbolic links resolved as far as the path exists.
    QString normalizedPath(const QString& path) const;

    // The file's bytes: a compact JSON array of {"path", "sha256"} sorted by path, "/" escaped.
    static QByteArray encode(const QHash<QString, QString>& hashesByPath);
    // None unless the data is an array of objects that each hold "path" and "sha256" strings.
    static std::optional<QList<TrustedProjectConfig>> decode(const QByteArray& data);

private:
    Status save();
    Status moveUnreadableFileAside();
    Result<QString> sha256(const QString& normalizedPath) const;

    QString m_homeDirectory;
    QString m_dataDirectory;
    std::shared_ptr<Clock> m_clock;
    QHash<QString, QString> m_trustedConfigHashesByPath;
    // The file was there but could not be read: it is moved aside, not overwritten, by the next
    // save, so the trust it held can still be recovered by hand.
    bool m_unreadableFileOnDisk = false;
};
