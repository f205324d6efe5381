#include "model/environment/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<bool> UserDefaults::boolValue(const QString& key) const {
    const QVariant stored = value(key);
    if (!stored.isValid()) {
        return std::nullopt;
    }
    if (stored.typeId() == QMetaType::Bool) {
        return stored.toBool();
    }
    if (stored.typeId() == QMetaType::QString) {
        const QString text = stored.toString();
        if (text == QLatin1String("true")) {
            return true;
        }
        if (text == QLatin1String("false")) {
            return false;
        }
    }
    return std::nullopt;
}

std::optional<QString> UserDefaults::stringValue(const QString& key) const {
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::QString) {
        return stored.toString();
    }
    return std::nullopt;
}

std::optional<QByteArray> UserDefaults::dataValue(const QString& key) const {
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::QByteArray) {
        return stored.toByteArray();
    }
    return std::nullopt;
}

namespace {

// The settings hold remembered variable values, so the file is the user's alone: its folder
// 0700 and the file 0600, also when an earlier version made them readable by others. QSettings
// replaces the file through a temporary one that keeps the permissions of the file it replaces.
void restrictSettingsFile(const QString& iniFilePath) {
    const QFileInfo info(iniFilePath);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    if (!QDir().mkpath(info.absolutePath())) {
        return;
    }
    ::chmod(folder.constData(), 0700);
    const QByteArray file = QFile::encodeName(info.absoluteFilePath());
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd >= 0) {
        struct stat status {};
        if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
            ::fchmod(fd, 0600);
        }
        ::close(fd);
    }
}

} // namespace

SettingsUserDefaults::SettingsUserDefaults(const QString& iniFilePath) {
    restrictSettingsFile(iniFilePath);
    m_settings = std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat);
}

SettingsUserDefaults::~SettingsUserDefaults() = default;

QVariant SettingsUserDefaults::value(const QString& key) const {
    return m_settings->value(key);
}

void SettingsUserDefaults::setValue(const QString& key, const QVariant& value) {
    m_settings->setValue(key, value);
}

void SettingsUserDefaults::remove(const QString& key) {
    m_settings->remove(key);
}

bool SettingsUserDefaults::contains(const QString& key) const {
    return m_settings->contains(key);
}

QString SettingsUserDefaults::filePath() const {
    return m_settings->fileName();
}

void SettingsUserDefaults::sync() {
    m_settings->sync();
}
