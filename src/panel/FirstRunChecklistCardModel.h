#pragma once

#include "model/PromptModels.h"
#include "store/FirstRunChecklistSnapshot.h"

#include <QList>
#include <QString>

// One row of the first-run checklist card as drawn.
struct FirstRunChecklistRow {
    enum class Control { none, button, bindMenu };

    FirstRunStep step = FirstRunStep::workspace;
    QString titleKey;
    bool done = false;
    // Only a step that is not done offers its control; the copy step never has one.
    Control control = Control::none;
    QString controlTitleKey;
    bool controlEnabled = false;

    bool operator==(const FirstRunChecklistRow& other) const = default;
};

// What the card shows for a snapshot: it decides nothing about completion, it only renders.
class FirstRunChecklistCardModel {
public:
    FirstRunChecklistCardModel(FirstRunChecklistSnapshot snapshot, QList<PromptWorkspace> workspaces);

    const FirstRunChecklistSnapshot& snapshot() const { return m_snapshot; }
    // Workspace, binding and copy, in that order.
    QList<FirstRunChecklistRow> rows() const;
    // What the bind menu offers: the user workspaces saved to a file, in list order.
    QList<PromptWorkspace> bindableWorkspaces() const;

private:
    FirstRunChecklistSnapshot m_snapshot;
    QList<PromptWorkspace> m_workspaces;
};
