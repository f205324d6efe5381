#pragma once

#include "context/AgentWorkspaceBinding.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// What the tolerant reader makes of ".orris-hollows/agent-workspace-bindings.json". Objects in
// "bindings" that do not decode are kept unchanged in `preservedBindingObjects`, so that a file
// written by a newer version loses nothing when this one saves.
struct AgentWorkspaceBindingFile {
    static constexpr qint64 currentVersion = 3;

    qint64 version = 1;
    QList<AgentWorkspaceBinding> bindings;
    QMap<QString, QString> lastSelectedWorkspaceIDs;
    bool migratedFromContextBindings = false;
    QList<QJsonObject> preservedBindingObjects;
    QStringList warnings;
};
