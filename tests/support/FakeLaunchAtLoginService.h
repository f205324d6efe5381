#pragma once

#include "model/seams/LaunchAtLoginServicing.h"

#include <QStringList>

#include <optional>

// A login item whose platform status the test sets. A registration or removal moves the status
// to `statusAfterChange` when given, else to enabled or not registered; `error` makes the call
// fail (after the status moved, as a platform may report an error and still change state).
class FakeLaunchAtLoginService final : public LaunchAtLoginServicing {
public:
    int status() const override { return platformStatus; }
    Status registerItem() override { return change(QStringLiteral("register"), enabled); }
    Status unregisterItem() override { return change(QStringLiteral("unregister"), notRegistered); }

    int platformStatus = notRegistered;
    std::optional<int> statusAfterChange;
    std::optional<AppError> error;
    QStringList calls;

private:
    Status change(const QString& call, int wished) {
        calls.append(call);
        platformStatus = statusAfterChange.value_or(wished);
        if (error) {
            return *error;
        }
        return {};
    }
};
