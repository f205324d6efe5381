#pragma once

#include "context/ContextMatchDetails.h"
#include "model/AgentContext.h"
#include "model/PromptModels.h"

#include <QString>

#include <optional>

// What the context header shows, decided without a widget: the one-line summary of the context
// and which of the optional lines under the first row appear.
struct ContextHeaderLines {
    enum class ProjectLine { none, trustBanner, trustedNotice };

    QString statusSummary;
    std::optional<QString> unboundBanner; // only for a recognised agent without a workspace
    std::optional<QString> errorLine;
    ProjectLine projectLine = ProjectLine::none;
    QString projectConfigPath; // the file the trust banner trusts; empty unless it shows

    // "context.waiting" for the unknown agent; else the agent label.
    static QString statusSummaryFor(const AgentContext& context, AppLanguage language);
    // A browser whose title names a web AI reads "<AI> · <browser>"; else the display name.
    static QString agentLabel(const AgentContext& context, AppLanguage language);
    // The trust banner and the trusted notice never show together: a file waiting for trust wins.
    static ContextHeaderLines make(const AgentContext& context, const std::optional<PromptWorkspace>& workspace,
                                   const std::optional<QString>& errorMessage, const ContextMatchDetails& matchDetails,
                                   AppLanguage language);
};
