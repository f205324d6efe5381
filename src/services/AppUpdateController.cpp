#include "services/AppUpdateController.h"

#include "platform/DesktopUrlOpener.h"
#include "services/AppLinks.h"

#include <QByteArray>
#include <QUrl>

namespace {

// Standard Base64 as strict decoders take it: the alphabet, padded to a multiple of four, with
// "=" only at the end. Returns the decoded bytes, or nothing.
std::optional<QByteArray> decodeStrictBase64(const QString& text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    qsizetype padding = 0;
    for (qsizetype index = 0; index < text.size(); ++index) {
        const char16_t character = text.at(index).unicode();
        const bool inAlphabet = (character >= u'A' && character <= u'Z') || (character >= u'a' && character <= u'z') ||
                                (character >= u'0' && character <= u'9') || character == u'+' || character == u'/';
        if (character == u'=') {
            ++padding;
        } else if (!inAlphabet || padding > 0) {
            return std::nullopt;
        }
    }
    if (padding > 2) {
        return std::nullopt;
    }
    const auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok) {
        return std::nullopt;
    }
    return decoded.decoded;
}

} // namespace

AppUpdateController::AppUpdateController(Configuration configuration, UpdaterFactory updaterFactory,
                                         std::shared_ptr<UrlOpening> urlOpener, QObject* parent)
    : QObject(parent),
      m_isConfigured(updaterFactory && isSparkleConfigured(configuration.publicKey, configuration.feedURL)),
      m_updaterFactory(std::move(updaterFactory)), m_urlOpener(std::move(urlOpener)) {}

AppUpdateController& AppUpdateController::shared() {
    static AppUpdateController* const controller =
        new AppUpdateController(Configuration{}, UpdaterFactory{}, std::make_shared<DesktopUrlOpener>());
    return *controller;
}

bool AppUpdateController::isSparkleConfigured(const std::optional<QString>& publicKey,
                                              const std::optional<QString>& feedURL) {
    if (!publicKey) {
        return false;
    }
    const std::optional<QByteArray> key = decodeStrictBase64(*publicKey);
    if (!key || key->size() != 32) {
        return false;
    }
    if (!feedURL) {
        return false;
    }
    const QUrl url(*feedURL, QUrl::StrictMode);
    if (!url.isValid()) {
        return false;
    }
    // QUrl lower-cases the scheme it reports; the scheme must be written "https" exactly.
    const qsizetype colon = feedURL->indexOf(QLatin1Char(':'));
    if (url.scheme().isEmpty() || colon <= 0 || feedURL->left(colon) != QLatin1String("https")) {
        return false;
    }
    return !url.host().isEmpty();
}

AppUpdating& AppUpdateController::updater() {
    if (!m_updater) {
        m_updater = m_updaterFactory();
    }
    return *m_updater;
}

void AppUpdateController::startAutomaticChecksIfConfigured() {
    if (!m_isConfigured) {
        return;
    }
    AppUpdating& activeUpdater = updater();
    refreshUpdateSettings();
    if (activeUpdater.automaticallyChecksForUpdates()) {
        activeUpdater.checkForUpdatesInBackground();
    }
}

void AppUpdateController::checkForUpdates() {
    if (!m_isConfigured) {
        if (m_urlOpener) {
            m_urlOpener->openUrl(AppLinks::download());
        }
        return;
    }
    updater().checkForUpdates();
    refreshUpdateSettings();
}

void AppUpdateController::refreshUpdateSettings() {
    if (!m_isConfigured) {
        publish(false, false);
        return;
    }
    const AppUpdating& activeUpdater = updater();
    publish(activeUpdater.automaticallyChecksForUpdates() && activeUpdater.automaticallyDownloadsUpdates(), true);
}

void AppUpdateController::setAutomaticUpdatesEnabled(bool enabled) {
    if (!m_isConfigured) {
        return;
    }
    AppUpdating& activeUpdater = updater();
    activeUpdater.setAutomaticallyChecksForUpdates(enabled);
    activeUpdater.setAutomaticallyDownloadsUpdates(enabled);
    refreshUpdateSettings();
}

void AppUpdateController::publish(bool automaticUpdatesEnabled, bool canToggle) {
    const bool enabledChanged = automaticUpdatesEnabled != m_automaticUpdatesEnabled;
    const bool canToggleChanged = canToggle != m_canToggleAutomaticUpdates;
    m_automaticUpdatesEnabled = automaticUpdatesEnabled;
    m_canToggleAutomaticUpdates = canToggle;
    if (enabledChanged) {
        emit automaticUpdatesEnabledChanged(automaticUpdatesEnabled);
    }
    if (canToggleChanged) {
        emit canToggleAutomaticUpdatesChanged(canToggle);
    }
}
