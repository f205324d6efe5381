#include "model/PromptConfigIssue.h"

#include <QFileInfo>

namespace PromptConfigSourceKinds {

QString rawValue(PromptConfigSourceKind kind) {
    switch (kind) {
    case PromptConfigSourceKind::global:
        return QStringLiteral("global");
    case PromptConfigSourceKind::workspace:
        return QStringLiteral("workspace");
    case PromptConfigSourceKind::project:
        return QStringLiteral("project");
    }
    return {};
}

std::optional<PromptConfigSourceKind> fromRawValue(const QString& raw) {
    if (raw == QLatin1String("global")) {
        return PromptConfigSourceKind::global;
    }
    if (raw == QLatin1String("workspace")) {
        return PromptConfigSourceKind::workspace;
    }
    if (raw == QLatin1String("project")) {
        return PromptConfigSourceKind::project;
    }
    return std::nullopt;
}

} // namespace PromptConfigSourceKinds

namespace PromptConfigIssueKinds {

QString messageKey(PromptConfigIssueKind kind) {
    switch (kind) {
    case PromptConfigIssueKind::unreadable:
        return L10N("config.issue.unreadable");
    case PromptConfigIssueKind::invalidUTF8:
        return L10N("config.issue.invalid.utf8");
    case PromptConfigIssueKind::invalidFormat:
        return L10N("config.issue.invalid.format");
    case PromptConfigIssueKind::perFileLimitExceeded:
        return L10N("config.issue.per.file.limit");
    case PromptConfigIssueKind::aggregateLimitExceeded:
        return L10N("config.issue.aggregate.limit");
    case PromptConfigIssueKind::keptCopy:
        return L10N("config.issue.kept.copy");
    }
    return {};
}

} // namespace PromptConfigIssueKinds

namespace PromptConfigRecoveryActions {

QString rawValue(PromptConfigRecoveryAction action) {
    switch (action) {
    case PromptConfigRecoveryAction::reload:
        return QStringLiteral("reload");
    case PromptConfigRecoveryAction::showInFinder:
        return QStringLiteral("showInFinder");
    case PromptConfigRecoveryAction::openWorkspaceManager:
        return QStringLiteral("openWorkspaceManager");
    }
    return {};
}

std::optional<PromptConfigRecoveryAction> fromRawValue(const QString& raw) {
    for (PromptConfigRecoveryAction action : allCases()) {
        if (rawValue(action) == raw) {
            return action;
        }
    }
    return std::nullopt;
}

QList<PromptConfigRecoveryAction> allCases() {
    return {PromptConfigRecoveryAction::reload, PromptConfigRecoveryAction::showInFinder,
            PromptConfigRecoveryAction::openWorkspaceManager};
}

} // namespace PromptConfigRecoveryActions

PromptConfigIssue PromptConfigIssue::make(const QString& fileURL, PromptConfigSourceKind sourceKind,
                                          PromptConfigIssueKind kind, AppLanguage language) {
    const QString fileName = QFileInfo(fileURL).fileName();
    const QString key = PromptConfigIssueKinds::messageKey(kind);
    PromptConfigIssue issue;
    issue.id = PromptConfigSourceKinds::rawValue(sourceKind) + QLatin1Char(':') + fileName + QLatin1Char(':') + key;
    issue.displayName = fileName;
    issue.sourceKind = sourceKind;
    issue.kind = kind;
    issue.message = L10n::string(key, language);
    issue.fileURL = fileURL;
    const QList<PromptConfigRecoveryAction> actions = PromptConfigRecoveryActions::allCases();
    issue.recoveryActions = QSet<PromptConfigRecoveryAction>(actions.cbegin(), actions.cend());
    return issue;
}
