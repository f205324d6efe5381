#pragma once

#include "context/ContextDetector.h"
#include "model/environment/AppEnvironment.h"
#include "platform/ApplicationIdentity.h"
#include "platform/DesktopEntryIndex.h"
#include "platform/x11/X11ActiveWindowMonitor.h"

#include <QObject>

#include <chrono>
#include <memory>
#include <optional>

// The context detector's platform on X11: the frontmost application and its window title from
// the active window, and activations when the active window passes to another application.
// Windows of this process never count (the panel takes focus on X11, and the detector would
// otherwise take us for the user's context). Without an X display every provider honestly
// reports nothing: no application, no title, no activations.
class X11ContextProviders : public QObject {
    Q_OBJECT
public:
    // Talks to the given display; an empty name or an unreachable display gives providers that
    // report nothing. The desktop entries are indexed on a worker; until that is done,
    // applications are named from their window class alone.
    X11ContextProviders(const AppEnvironment& environment, const QByteArray& displayName, QObject* parent = nullptr);
    ~X11ContextProviders() override;

    // The display of the running application when it runs on X11 (Qt platform "xcb" with a
    // connection), else empty: offscreen and native Wayland have no active X window to follow.
    static QByteArray applicationDisplayName(const AppEnvironment& environment);

    bool isConnected() const { return m_monitor != nullptr; }
    bool hasDesktopEntries() const { return m_desktopEntries.has_value(); }
    X11ActiveWindowMonitor* monitor() const { return m_monitor.get(); }

    ContextDetector::FrontmostApplication frontmostApplication();
    ContextDetector::WindowTitleRead frontWindowTitle();
    ContextDetector::ActivationObserverRegistration observeActivations(std::function<void()> onActivated);

    // The three providers for the detector, safe to call after this object is gone.
    ContextDetector::Platform detectorPlatform();

    // How a window's facts become the identity the classifier reads.
    static ApplicationIdentity identityOf(const X11WindowFacts& facts, const DesktopEntryIndex* desktopEntries);

signals:
    void desktopEntriesIndexed();

private:
    static constexpr std::chrono::milliseconds titleReuseWindow{100};

    std::unique_ptr<X11ActiveWindowMonitor> m_monitor;
    std::optional<QString> m_titleOfLastRead;
    std::chrono::steady_clock::time_point m_lastReadAt;
    std::optional<DesktopEntryIndex> m_desktopEntries;
};
