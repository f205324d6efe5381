#pragma once

#include "windows/manager/WorkspaceManagerEmptyState.h"

#include <QWidget>

#include <functional>

// The centred block of an empty manager column: a symbol, a title, a help line and one button
// per action of the state, in the fixed order. The button of an action without a callback is
// disabled.
class WorkspaceManagerEmptyStateView final : public QWidget {
    Q_OBJECT
public:
    struct Callbacks {
        std::function<void()> onCreateWorkspace;
        std::function<void()> onImportPromptPack;
        std::function<void()> onClearWorkspaceFilter;
        std::function<void()> onCreatePrompt;
        std::function<void()> onExportPromptPack;
    };

    WorkspaceManagerEmptyStateView(const WorkspaceManagerEmptyState& state, Callbacks callbacks,
                                   QWidget* parent = nullptr);

    const WorkspaceManagerEmptyState& state() const { return m_state; }
    static QString buttonObjectName(WorkspaceManagerEmptyAction action);

private:
    const std::function<void()>& callbackFor(WorkspaceManagerEmptyAction action) const;

    WorkspaceManagerEmptyState m_state;
    Callbacks m_callbacks;
};
