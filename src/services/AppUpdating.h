#pragma once

// An in-app updater: its two automatic settings, a check the user sees and a quiet one. This
// desktop has none, so the update controller runs without one and stays "not configured".
class AppUpdating {
public:
    virtual ~AppUpdating() = default;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool enabled) = 0;
    virtual bool automaticallyDownloadsUpdates() const = 0;
    virtual void setAutomaticallyDownloadsUpdates(bool enabled) = 0;
    virtual void checkForUpdates() = 0;
    virtual void checkForUpdatesInBackground() = 0;
};
