#include "platform/DesktopEntryIndex.h"

#include "platform/DesktopEntryFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

// Desktop entries are small; anything larger is not one we want to read.
constexpr qint64 maximumEntrySize = 256 * 1024;

} // namespace

QStringList DesktopEntryIndex::dataDirectories(const QString& homePath, const std::optional<QString>& xdgDataHome,
                                               const std::optional<QString>& xdgDataDirs) {
    QStringList directories;
    const QString dataHome =
        xdgDataHome && !xdgDataHome->isEmpty() ? *xdgDataHome : QDir(homePath).filePath(".local/share");
    directories.append(dataHome);
    const QString dataDirs =
        xdgDataDirs && !xdgDataDirs->isEmpty() ? *xdgDataDirs : QStringLiteral("/usr/local/share:/usr/share");
    directories.append(dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts));
    directories.append(QDir(dataHome).filePath(QStringLiteral("flatpak/exports/share")));
    directories.append(QStringLiteral("/var/lib/flatpak/exports/share"));
    directories.append(QStringLiteral("/var/lib/snapd/desktop"));
    directories.removeDuplicates();
    return directories;
}

DesktopEntryIndex DesktopEntryIndex::build(const QStringList& dataDirectories) {
    DesktopEntryIndex index;
    for (const QString& dataDirectory : dataDirectories) {
        const QString applications = QDir(dataDirectory).filePath(QStringLiteral("applications"));
        if (!QFileInfo(applications).isDir()) {
            continue;
        }
        // The suffix is checked here rather than by a name filter, which would compile a regular
        // expression (and its JIT code) into the idle app for this one scan.
        QDirIterator it(applications, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QFileInfo info = it.fileInfo();
            if (!info.fileName().endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive) || !info.isFile() ||
                info.size() > maximumEntrySize) {
                continue;
            }
            QString id = QDir(applications).relativeFilePath(path);
            id.chop(int(qstrlen(".desktop")));
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (index.m_byId.contains(id)) {
                continue; // an earlier folder takes precedence
            }
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                continue;
            }
            const auto entry = parse(id, file.read(maximumEntrySize));
            if (!entry) {
                continue;
            }
            index.m_byId.insert(id, *entry);
            index.m_idByLowerId.insert(id.toLower(), id);
            if (!entry->startupWMClass.isEmpty()) {
                index.m_idByWMClass.insert(entry->startupWMClass.toLower(), id);
            }
        }
    }
    return index;
}

std::optional<DesktopEntryIndex::Entry> DesktopEntryIndex::parse(const QString& id, const QByteArray& content) {
    Entry entry;
    entry.id = id;
    bool isApplication = false;
    for (const DesktopEntryFile::Field& field : DesktopEntryFile::mainGroup(content)) {
        const QString value = QString::fromUtf8(field.value);
        if (field.key == "Type") {
            isApplication = value == QLatin1String("Application");
        } else if (field.key == "Name") {
            entry.name = value;
        } else if (field.key == "StartupWMClass") {
            entry.startupWMClass = value;
        }
    }
    if (!isApplication || entry.name.isEmpty()) {
        return std::nullopt;
    }
    return entry;
}

std::optional<DesktopEntryIndex::Entry> DesktopEntryIndex::byId(const QString& id) const {
    const auto found = m_byId.constFind(id);
    if (found == m_byId.constEnd()) {
        return std::nullopt;
    }
    return *found;
}

std::optional<DesktopEntryIndex::Entry> DesktopEntryIndex::forWindowClass(const QString& instance,
                                                                          const QString& windowClass) const {
    for (const QString& name : {windowClass, instance}) {
        if (name.isEmpty()) {
            continue;
        }
        if (const auto id = m_idByWMClass.constFind(name.toLower()); id != m_idByWMClass.constEnd()) {
            return byId(*id);
        }
    }
    for (const QString& name : {windowClass, instance}) {
        if (name.isEmpty()) {
            continue;
        }
        if (const auto id = m_idByLowerId.constFind(name.toLower()); id != m_idByLowerId.constEnd()) {
            return byId(*id);
        }
    }
    return std::nullopt;
}
