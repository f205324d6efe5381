#pragma once

#include "model/environment/AppEnvironment.h"
#include "model/seams/LaunchAtLoginServicing.h"

#include <QString>

// The login item as an XDG autostart entry: "orris-hollows.desktop" in the autostart folder of
// the user's XDG config folder. Registered means the entry is there and not hidden; registering
// writes it (atomically), unregistering removes it.
class SystemLaunchAtLoginService final : public LaunchAtLoginServicing {
public:
    static inline const QString entryFileName = QStringLiteral("orris-hollows.desktop");
    // Entries are a few hundred bytes; a larger file is not ours.
    static constexpr qint64 maximumEntrySize = 64 * 1024;

    // An empty folder or executable path makes the service unavailable.
    SystemLaunchAtLoginService(QString autostartDirectory, QString executablePath);

    // This process's executable, with the autostart folder of the given environment.
    static SystemLaunchAtLoginService forEnvironment(const AppEnvironment& environment);
    // $XDG_CONFIG_HOME/autostart when that is an absolute path, else <home>/.config/autostart;
    // empty when neither is known.
    static QString autostartDirectory(const AppEnvironment& environment);

    // The entry's text for an executable, with the path quoted as the Exec key requires.
    static QString desktopEntry(const QString& executablePath);
    // One Exec argument: in double quotes with the quoting escapes, then the string escapes of
    // desktop-entry values, and "%" doubled so that it is never read as a field code.
    static QString quotedExecArgument(const QString& argument);

    QString entryPath() const;

    int status() const override;
    Status registerItem() override;
    Status unregisterItem() override;

private:
    QString m_autostartDirectory;
    QString m_executablePath;
};
