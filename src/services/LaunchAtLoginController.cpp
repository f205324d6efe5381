#include "services/LaunchAtLoginController.h"

#include "model/AppLog.h"

LaunchAtLoginController::LaunchAtLoginController(std::shared_ptr<LaunchAtLoginServicing> service, QObject* parent)
    : QObject(parent), m_service(std::move(service)) {
    m_status = mapStatus(m_service->status());
}

LaunchAtLoginStatus LaunchAtLoginController::mapStatus(int platformStatus) {
    switch (platformStatus) {
    case LaunchAtLoginServicing::notRegistered:
    case LaunchAtLoginServicing::notFound:
        return LaunchAtLoginStatus::disabled;
    case LaunchAtLoginServicing::enabled:
        return LaunchAtLoginStatus::enabled;
    case LaunchAtLoginServicing::requiresApproval:
        return LaunchAtLoginStatus::requiresApproval;
    default:
        return LaunchAtLoginStatus::unavailable;
    }
}

bool LaunchAtLoginController::canToggle() const {
    return m_status == LaunchAtLoginStatus::disabled || m_status == LaunchAtLoginStatus::enabled;
}

void LaunchAtLoginController::refresh() {
    publish(mapStatus(m_service->status()), false);
}

void LaunchAtLoginController::setEnabled(bool enabled) {
    if (!canToggle()) {
        return;
    }
    if (enabled == (m_status == LaunchAtLoginStatus::enabled)) {
        return;
    }
    publish(m_status, false);
    const Status result = enabled ? m_service->registerItem() : m_service->unregisterItem();
    if (!result.ok()) {
        qCCritical(lcUi).noquote() << "Update launch at login failed error=" + AppLog::errorSummary(result.error());
    }
    const LaunchAtLoginStatus status = mapStatus(m_service->status());
    if (status == LaunchAtLoginStatus::requiresApproval) {
        publish(status, false);
        return;
    }
    // Reports that the item did not reach the wished state, whether or not the platform said why.
    publish(status, enabled != (status == LaunchAtLoginStatus::enabled));
}

void LaunchAtLoginController::publish(LaunchAtLoginStatus status, bool hasError) {
    const bool statusChangedNow = status != m_status;
    const bool errorChangedNow = hasError != m_hasError;
    m_status = status;
    m_hasError = hasError;
    if (statusChangedNow) {
        emit statusChanged(status);
    }
    if (errorChangedNow) {
        emit hasErrorChanged(hasError);
    }
}
