#pragma once

#include "model/Result.h"

// The platform's login item of this application: whether it is registered, and registering
// and removing it. Statuses use the platform's raw values:
//   0 not registered, 1 enabled, 2 requires approval, 3 not found; anything else is unknown.
class LaunchAtLoginServicing {
public:
    enum RawStatus : int { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3, unknown = -1 };

    virtual ~LaunchAtLoginServicing() = default;
    virtual int status() const = 0;
    virtual Status registerItem() = 0;
    virtual Status unregisterItem() = 0;
};
