#pragma once

#include "context/ContextMatchDetails.h"
#include "model/AgentContext.h"
#include "model/PromptModels.h"

#include <QList>
#include <QString>

#include <optional>

// One row of the diagnostics card.
struct EnvironmentOverviewItem {
    QString id;
    QString icon; // a symbol name, drawn by IslandIcons
    QString title;
    QString value;

    bool operator==(const EnvironmentOverviewItem& other) const = default;
};

// The rows and the tooltip of the diagnostics card, without a widget.
class EnvironmentOverviewPresentation {
public:
    // Always seven rows: app, window, environment, path, pack, source, binding.
    static QList<EnvironmentOverviewItem> items(const AgentContext& context,
                                                const std::optional<PromptWorkspace>& workspace,
                                                const ContextMatchDetails& matchDetails, AppLanguage language);
    // Names the workspace only when a binding decided the match.
    static QString bindingValue(const std::optional<PromptWorkspace>& workspace,
                                const ContextMatchDetails& matchDetails, AppLanguage language);
    // The status line, then the workspace file facts and the project file's name; no trailing
    // line feed.
    static QString diagnosticTooltip(const QString& statusMessage, const std::optional<PromptWorkspace>& workspace,
                                     const ContextMatchDetails& matchDetails, AppLanguage language);
};
