#pragma once

#include "model/Localization.h"

#include <QHashFunctions>
#include <QList>
#include <QMetaType>
#include <QSet>
#include <QString>

#include <optional>

// Which kind of configuration file an issue is about. The raw values are part of issue ids.
enum class PromptConfigSourceKind { global, workspace, project };

namespace PromptConfigSourceKinds {
QString rawValue(PromptConfigSourceKind kind);
std::optional<PromptConfigSourceKind> fromRawValue(const QString& raw);
} // namespace PromptConfigSourceKinds

enum class PromptConfigIssueKind {
    unreadable,
    invalidUTF8,
    invalidFormat,
    perFileLimitExceeded,
    aggregateLimitExceeded,
    // Not a failed file: a copy that a start kept after an interrupted save, because it could not
    // tell whether it or the file beside it is the user's. The rest of the load stands.
    keptCopy
};

namespace PromptConfigIssueKinds {
QString messageKey(PromptConfigIssueKind kind);
} // namespace PromptConfigIssueKinds

// The buttons an issue banner offers.
enum class PromptConfigRecoveryAction { reload, showInFinder, openWorkspaceManager };

inline size_t qHash(PromptConfigRecoveryAction action, size_t seed = 0) {
    return qHash(int(action), seed);
}

namespace PromptConfigRecoveryActions {
QString rawValue(PromptConfigRecoveryAction action);
std::optional<PromptConfigRecoveryAction> fromRawValue(const QString& raw);
QList<PromptConfigRecoveryAction> allCases();
} // namespace PromptConfigRecoveryActions

// One configuration file that a load could not use. The id is the same in every load that finds
// the same problem in the same file; the message stays in the language of that load.
struct PromptConfigIssue {
    QString id; // "<source kind>:<file name>:<message key>"
    QString displayName;
    PromptConfigSourceKind sourceKind = PromptConfigSourceKind::workspace;
    PromptConfigIssueKind kind = PromptConfigIssueKind::unreadable;
    QString message;
    QString fileURL; // absolute path of the file
    QSet<PromptConfigRecoveryAction> recoveryActions;

    // Every issue that loading creates offers all recovery actions. `language` must be resolved
    // (english or zhHans).
    static PromptConfigIssue make(const QString& fileURL, PromptConfigSourceKind sourceKind, PromptConfigIssueKind kind,
                                  AppLanguage language);

    bool operator==(const PromptConfigIssue& other) const = default;
};

Q_DECLARE_METATYPE(PromptConfigIssue)
