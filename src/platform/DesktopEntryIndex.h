#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// The installed applications' desktop entries, indexed for finding the entry of a window.
// Built off the UI thread (it reads every .desktop file of the XDG data folders); lookups are
// in memory.
class DesktopEntryIndex {
public:
    struct Entry {
        QString id;   // file name without ".desktop"; sub-folders joined with "-"
        QString name; // the unlocalised Name
        QString startupWMClass;
    };

    // The folders whose "applications" sub-folders hold desktop entries, most important first:
    // $XDG_DATA_HOME, $XDG_DATA_DIRS, and where Flatpak and snapd export theirs.
    static QStringList dataDirectories(const QString& homePath, const std::optional<QString>& xdgDataHome,
                                       const std::optional<QString>& xdgDataDirs);

    static DesktopEntryIndex build(const QStringList& dataDirectories);
    // Parses one desktop entry; none when it is not an application entry.
    static std::optional<Entry> parse(const QString& id, const QByteArray& content);

    std::optional<Entry> byId(const QString& id) const;
    // The entry whose StartupWMClass is the window's class or instance (case-insensitive), else
    // the entry whose id is the class or instance in lower case.
    std::optional<Entry> forWindowClass(const QString& instance, const QString& windowClass) const;

    qsizetype size() const { return m_byId.size(); }

private:
    QHash<QString, Entry> m_byId;
    QHash<QString, QString> m_idByWMClass; // lower-cased StartupWMClass -> id
    QHash<QString, QString> m_idByLowerId; // lower-cased id -> id
};
