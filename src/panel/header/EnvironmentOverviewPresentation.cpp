#include "panel/header/EnvironmentOverviewPresentation.h"

#include "model/FilePaths.h"
#include "model/Localization.h"
#include "panel/header/ContextHeaderPresentation.h"

QList<EnvironmentOverviewItem> EnvironmentOverviewPresentation::items(const AgentContext& context,
                                                                      const std::optional<PromptWorkspace>& workspace,
                                                                      const ContextMatchDetails& matchDetails,
                                                                      AppLanguage language) {
    const auto text = [language](const QString& key) { return L10n::string(key, language); };
    // Only the folder's name: the full path is private and too long for the row.
    const QString path = context.workspacePath && !context.workspacePath->isEmpty()
                             ? FilePaths::lastComponent(*context.workspacePath)
                             : text(L10N("common.none"));
    return {
        {QStringLiteral("app"), QStringLiteral("macwindow"), text(L10N("debug.app")), context.frontmostAppName},
        {QStringLiteral("window"), QStringLiteral("rectangle"), text(L10N("debug.window")),
         context.sanitizedWindowTitle(language)},
        {QStringLiteral("environment"), QStringLiteral("globe"), text(L10N("debug.environment")),
         ContextHeaderLines::agentLabel(context, language)},
        {QStringLiteral("path"), QStringLiteral("link"), text(L10N("debug.path.hint")), path},
        {QStringLiteral("pack"), QStringLiteral("shippingbox"), text(L10N("debug.prompt.pack")),
         workspace ? workspace->name : text(L10N("environment.overview.unmatched"))},
        {QStringLiteral("source"), QStringLiteral("antenna.radiowaves.left.and.right"), text(L10N("debug.source")),
         ContextDetectionSources::displayName(matchDetails.detectionSource, language)},
        {QStringLiteral("binding"), QStringLiteral("link"), text(L10N("debug.binding")),
         bindingValue(workspace, matchDetails, language)},
    };
}

QString EnvironmentOverviewPresentation::bindingValue(const std::optional<PromptWorkspace>& workspace,
                                                      const ContextMatchDetails& matchDetails, AppLanguage language) {
    if (!matchDetails.agentBinding && !matchDetails.legacyBinding) {
        return L10n::string(L10N("common.none"), language);
    }
    return workspace ? workspace->name : L10n::string(L10N("common.none"), language);
}

QString EnvironmentOverviewPresentation::diagnosticTooltip(const QString& statusMessage,
                                                           const std::optional<PromptWorkspace>& workspace,
                                                           const ContextMatchDetails& matchDetails,
                                                           AppLanguage language) {
    QStringList lines{statusMessage};
    if (workspace) {
        lines.append(L10n::string(L10N("debug.file"), language) + QStringLiteral(": ") +
                     workspace->displayNamePath(language));
        lines.append(L10n::string(L10N("debug.package.type"), language) + QStringLiteral(": ") +
                     PromptWorkspaceSources::displayName(workspace->source, language));
    }
    if (matchDetails.projectConfigPath) {
        lines.append(L10n::string(L10N("debug.project.config"), language) + QStringLiteral(": ") +
                     FilePaths::lastComponent(*matchDetails.projectConfigPath));
    }
    return lines.join(QLatin1Char('\n'));
}
