#pragma once

#include "model/seams/LaunchAtLoginServicing.h"

#include <QObject>

#include <memory>

enum class LaunchAtLoginStatus { disabled, enabled, requiresApproval, unavailable };

// Whether the application starts at login, for the settings window. The state is read from
// the platform at construction and at every refresh, so a change made outside the application
// shows at the next activation.
class LaunchAtLoginController : public QObject {
    Q_OBJECT
public:
    explicit LaunchAtLoginController(std::shared_ptr<LaunchAtLoginServicing> service, QObject* parent = nullptr);

    static LaunchAtLoginStatus mapStatus(int platformStatus);

    LaunchAtLoginStatus status() const { return m_status; }
    // The login item did not reach the state last asked for.
    bool hasError() const { return m_hasError; }
    bool canToggle() const;

    void refresh();
    void setEnabled(bool enabled);

signals:
    void statusChanged(LaunchAtLoginStatus status);
    void hasErrorChanged(bool hasError);

private:
    void publish(LaunchAtLoginStatus status, bool hasError);

    LaunchAtLoginStatus m_status = LaunchAtLoginStatus::unavailable;
    bool m_hasError = false;
    std::shared_ptr<LaunchAtLoginServicing> m_service;
};
