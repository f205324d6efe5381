#pragma once

#include "model/Result.h"

#include <QString>

// One running app per data folder. The lock is an exclusive flock(2) on a file in the data
// folder, taken once and held until the process ends (the kernel lets go of it when the process
// dies, however it dies). Whatever tidies or rewrites the data folder on the assumption that no
// other instance is at work runs only while this process holds it.
namespace InstanceLock {

// "<data folder>/instance.lock".
QString lockFilePath(const QString& dataFolder);

enum class Outcome {
    held,          // this process holds the lock (taken now or earlier)
    heldElsewhere, // another process holds it
    unavailable,   // the data folder or the lock file cannot be made or opened (logged)
};

// Takes the lock without waiting. Creates the data folder (0700) and the lock file (0600) when
// missing.
Outcome tryAcquire(const QString& dataFolder);
// tryAcquire() == held.
bool acquire(const QString& dataFolder);
// Whether this process holds the lock of that data folder.
bool isHeld(const QString& dataFolder);

} // namespace InstanceLock
