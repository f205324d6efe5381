#pragma once

#include "services/AppUpdating.h"

// An updater whose settings the test reads and sets, counting the checks.
class FakeAppUpdater final : public AppUpdating {
public:
    bool automaticallyChecksForUpdates() const override { return checks; }
    void setAutomaticallyChecksForUpdates(bool enabled) override { checks = enabled; }
    bool automaticallyDownloadsUpdates() const override { return downloads; }
    void setAutomaticallyDownloadsUpdates(bool enabled) override { downloads = enabled; }
    void checkForUpdates() override { ++userChecks; }
    void checkForUpdatesInBackground() override { ++backgroundChecks; }

    bool checks = false;
    bool downloads = false;
    int userChecks = 0;
    int backgroundChecks = 0;
};
