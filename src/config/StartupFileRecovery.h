#pragma once

#include "model/environment/AppEnvironment.h"

#include <QString>

// Tidies the data folder at start, before the first load, after a run that ended in the middle
// of a write or a deletion. It runs only while this process holds the instance lock of the data
// folder (InstanceLock), so no other instance can be in the middle of a write then.
// - A new content that never replaced its target is removed.
// - A guarded save killed between swapping its file in and swapping a refused file back leaves
//   the displaced file under the swap name: a file the save would have replaced goes, a refused
//   one is swapped back over the save's own file. When neither can be told (the target changed
//   since), nothing is removed: the displaced file is kept under a kept-copy name, which the loader
//   reports as a configuration issue naming it.
// - A workspace file moved aside by a deletion that did not finish is put back.
// Logs counts only, never names.
class StartupFileRecovery {
public:
    struct Counts {
        int removedTemporaryFiles = 0;
        int restoredWorkspaceFiles = 0;
        int restoredRefusedEdits = 0; // files put back over a save that would have been refused
        int keptCopies = 0;           // files kept because it could not be told whose they are
        int failures = 0;             // files that could be neither removed nor put back; they stay as they are
        bool skipped = false;         // another process holds the instance lock: nothing was touched

        bool operator==(const Counts& other) const = default;
    };

    // Hidden name of a kept copy: ".orris-hollows-kept-XXXXXX.yaml", beside the file it was for.
    static inline const QString keptCopyPrefix = QStringLiteral(".orris-hollows-kept-");
    static bool isKeptCopyName(const QString& fileName);

    // Looks in the data folder and its "workspaces" folder, not deeper and not through links.
    // Takes the instance lock first (see InstanceLock) and does nothing without it.
    static Counts run(const AppEnvironment& environment);
};
