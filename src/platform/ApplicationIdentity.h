#pragma once

#include <QString>

#include <optional>

// What X11 and the desktop tell about the application that owns a window. Any field may be empty.
struct WindowApplicationFacts {
    QString wmClassInstance;  // first string of WM_CLASS
    QString wmClassClass;     // second string of WM_CLASS
    QString executableName;   // of the window's process (_NET_WM_PID), e.g. "code"
    QString desktopEntryId;   // "org.gnome.Terminal" or "org.gnome.Terminal.desktop"
    QString desktopEntryName; // its Name, as read (may be localised or decorated)
};

// The application as the agent classifier understands it: a bundle identifier and a name.
struct ApplicationIdentity {
    std::optional<QString> bundleIdentifier;
    QString appName;

    // Linux has no bundle identifiers. The desktop-entry id stands in for one when it is
    // reverse-DNS, as Flatpak ids are ("com.visualstudio.code", "org.mozilla.firefox"); other
    // ids ("code", "google-chrome", snap's "code_code") give none. The name comes from a table
    // keyed by WM_CLASS class, then instance, then executable name, which maps the editors,
    // browsers and terminals the classifier knows to the names it expects ("code" -> "Visual
    // Studio Code", every plain terminal -> "Terminal", Chromium -> "Chrome"). The table wins
    // over the desktop entry's Name, which may be translated or decorated ("Visual Studio Code -
    // URL Handler"). An app the table does not know keeps its desktop Name, else its WM_CLASS
    // class, instance or executable name, else "Unknown".
    //
    // When the table knows the app and the desktop id would lead the classifier elsewhere
    // (Flatpak "org.chromium.Chromium" or "com.microsoft.Edge": a present but unknown id blocks
    // recognising a browser by name), the id is dropped so the name decides.
    static ApplicationIdentity fromWindow(const WindowApplicationFacts& facts);

    bool operator==(const ApplicationIdentity& other) const = default;
};
