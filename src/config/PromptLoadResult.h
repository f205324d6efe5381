#pragma once

#include "config/WorkspaceFileMetadata.h"
#include "model/PromptConfigIssue.h"
#include "model/PromptModels.h"

#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>

// The outcome of one configuration load.
struct PromptLoadResult {
    QList<PromptItem> globalPrompts;
    QList<PromptWorkspace> workspaces; // in load order
    QString statusMessage;             // finished text in the language of the load
    QList<PromptConfigIssue> issues;   // in the order their files were met
    // Keyed by workspace id; the global file under PromptConfigLoader::globalMetadataKey.
    QHash<QString, WorkspaceFileMetadata> workspaceMetadata;
    bool showsTransientSamples = false; // the prompts are the built-in samples

    bool operator==(const PromptLoadResult& other) const = default;
};

Q_DECLARE_METATYPE(PromptLoadResult)
