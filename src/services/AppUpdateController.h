#pragma once

#include "model/seams/UrlOpening.h"
#include "services/AppUpdating.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Whether in-app updates are set up, and the check for updates. Updates are set up only with
// a valid feed address and public key and an updater to use them; otherwise ("not configured")
// a check opens the download page and the automatic-update switch stays off and locked.
class AppUpdateController : public QObject {
    Q_OBJECT
public:
    // The installation's update settings: the updater's public key (Base64 of 32 bytes) and its
    // feed address (https with a host).
    struct Configuration {
        std::optional<QString> publicKey;
        std::optional<QString> feedURL;
    };
    using UpdaterFactory = std::function<std::unique_ptr<AppUpdating>()>;

    // The updater is created by the factory on first use, and only when configured. An empty
    // factory means no updater is available.
    AppUpdateController(Configuration configuration, UpdaterFactory updaterFactory,
                        std::shared_ptr<UrlOpening> urlOpener, QObject* parent = nullptr);

    // The one controller of the application: no updater on this desktop, pages opened by the
    // desktop's browser.
    static AppUpdateController& shared();

    static bool isSparkleConfigured(const std::optional<QString>& publicKey, const std::optional<QString>& feedURL);

    bool isConfigured() const { return m_isConfigured; }
    bool automaticUpdatesEnabled() const { return m_automaticUpdatesEnabled; }
    bool canToggleAutomaticUpdates() const { return m_canToggleAutomaticUpdates; }

    void startAutomaticChecksIfConfigured();
    void checkForUpdates();
    void refreshUpdateSettings();
    void setAutomaticUpdatesEnabled(bool enabled);

signals:
    void automaticUpdatesEnabledChanged(bool enabled);
    void canToggleAutomaticUpdatesChanged(bool canToggle);

private:
    AppUpdating& updater();
    void publish(bool automaticUpdatesEnabled, bool canToggle);

    const bool m_isConfigured;
    bool m_automaticUpdatesEnabled = false;
    bool m_canToggleAutomaticUpdates = false;
    UpdaterFactory m_updaterFactory;
    std::unique_ptr<AppUpdating> m_updater;
    std::shared_ptr<UrlOpening> m_urlOpener;
};
