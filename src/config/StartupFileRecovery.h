#pragma once

#include "model/AppEnvironment.h"

// Tidies the data folder at start, before the first load, after a run that ended in the middle
// of a write or a deletion. The app is single-instance, so every temporary file of ours found then
// is stale: a full copy of some content that nothing will ever finish or remove. A workspace
// file moved aside by a deletion that did not finish is put back, so the deletion loses nothing.
// Logs counts only, never names.
class StartupFileRecovery {
public:
    struct Counts {
        int removedTemporaryFiles = 0;
        int restoredWorkspaceFiles = 0;
        int failures = 0; // files that could be neither removed nor put back; they stay as they are

        bool operator==(const Counts& other) const = default;
    };

    // Looks in the data folder and its "workspaces" folder, not deeper and not through links.
    static Counts run(const AppEnvironment& environment);
};
