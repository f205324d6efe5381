#include "panel/header/ContextHeaderPresentation.h"

#include "model/Localization.h"

QString ContextHeaderLines::agentLabel(const AgentContext& context, AppLanguage language) {
    const QString name = AgentTypes::displayName(context.agent, language);
    if (AgentTypes::isBrowser(context.agent)) {
        if (const std::optional<QString> webAI = context.browserWebAIName()) {
            return *webAI + QStringLiteral(" \u00B7 ") + name;
        }
    }
    return name;
}

QString ContextHeaderLines::statusSummaryFor(const AgentContext& context, AppLanguage language) {
    if (context.agent == AgentType::unknown) {
        return L10n::string(L10N("context.waiting"), language);
    }
    return agentLabel(context, language);
}

ContextHeaderLines ContextHeaderLines::make(const AgentContext& context,
                                            const std::optional<PromptWorkspace>& workspace,
                                            const std::optional<QString>& errorMessage,
                                            const ContextMatchDetails& matchDetails, AppLanguage language) {
    ContextHeaderLines lines;
    lines.statusSummary = statusSummaryFor(context, language);
    if (context.agent != AgentType::unknown && !workspace) {
        lines.unboundBanner = L10n::string(L10N("workspace.unbound.current"), language, agentLabel(context, language));
    }
    lines.errorLine = errorMessage;
    if (matchDetails.projectConfigRequiresTrust && matchDetails.projectConfigPath) {
        lines.projectLine = ProjectLine::trustBanner;
        lines.projectConfigPath = *matchDetails.projectConfigPath;
    } else if (workspace && workspace->source == PromptWorkspaceSource::projectConfig) {
        lines.projectLine = ProjectLine::trustedNotice;
    }
    return lines;
}
