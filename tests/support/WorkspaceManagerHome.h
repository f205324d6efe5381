#pragma once

#include "PromptStoreFileHarness.h"

#include "model/AgentContext.h"

// A home for the workspace manager: global prompts, two user workspaces ("alpha" named
// "Alpha Team" with a match path, "beta" named "Beta Notes"), and a trusted project file in
// "shop" whose workspace is loaded into the store. An empty home instead shows the samples.
struct WorkspaceManagerHome : PromptStoreFileHarness {
    enum class Content { files, samples };

    QString projectFile;
    AgentContext projectContext;

    explicit WorkspaceManagerHome(Content content = Content::files, AppLanguage language = AppLanguage::english);

    // Reloads from the home and loads the project workspace again (a reload forgets it).
    void reloadHome();
};
