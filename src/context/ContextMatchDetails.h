#pragma once

#include "context/AgentWorkspaceBinding.h"
#include "context/ContextBinding.h"
#include "model/AgentContext.h"
#include "model/PromptModels.h"

#include <QMetaType>
#include <QString>

#include <optional>

// Which workspace the panel shows for a context, and why. At most one binding is set, and only
// with the source manualBinding.
struct ContextMatchDetails {
    std::optional<PromptWorkspace> workspace;
    ContextDetectionSource detectionSource = ContextDetectionSource::unknown;
    // The project file involved: the one waiting for trust, or the one the workspace came from.
    std::optional<QString> projectConfigPath;
    bool projectConfigRequiresTrust = false;
    std::optional<AgentWorkspaceBinding> agentBinding;
    std::optional<ContextBinding> legacyBinding;

    bool operator==(const ContextMatchDetails& other) const = default;
};

Q_DECLARE_METATYPE(ContextMatchDetails)
