#include "platform/SystemLaunchAtLoginService.h"

#include "config/SecureFileWriter.h"
#include "config/StateFiles.h"
#include "platform/DesktopEntryFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <unistd.h>

namespace {

// Whether the entry's "[Desktop Entry]" group switches it off, as session managers read it.
bool entryIsSwitchedOff(const QByteArray& data) {
    for (const DesktopEntryFile::Field& field : DesktopEntryFile::mainGroup(data)) {
        if ((field.key == "Hidden" && field.value == "true") ||
            (field.key == "X-GNOME-Autostart-enabled" && field.value == "false")) {
            return true;
        }
    }
    return false;
}

} // namespace

SystemLaunchAtLoginService::SystemLaunchAtLoginService(QString autostartDirectory, QString executablePath)
    : m_autostartDirectory(std::move(autostartDirectory)), m_executablePath(std::move(executablePath)) {}

SystemLaunchAtLoginService SystemLaunchAtLoginService::forEnvironment(const AppEnvironment& environment) {
    return SystemLaunchAtLoginService(autostartDirectory(environment), QCoreApplication::applicationFilePath());
}

QString SystemLaunchAtLoginService::autostartDirectory(const AppEnvironment& environment) {
    if (environment.environmentVariable) {
        const std::optional<QString> configHome = environment.environmentVariable(QStringLiteral("XDG_CONFIG_HOME"));
        // The base-directory rules ignore a relative value.
        if (configHome && QDir::isAbsolutePath(*configHome)) {
            return QDir(*configHome).filePath(QStringLiteral("autostart"));
        }
    }
    if (environment.homePath.isEmpty()) {
        return {};
    }
    return QDir(environment.homePath).filePath(QStringLiteral(".config/autostart"));
}

QString SystemLaunchAtLoginService::quotedExecArgument(const QString& argument) {
    QString quoted;
    quoted.reserve(argument.size() + 8);
    quoted += QLatin1Char('"');
    for (const QChar character : argument) {
        switch (character.unicode()) {
        // The quoting escape is a backslash, which the string value escapes once more.
        case '"':
        case '`':
        case '$':
            quoted += QLatin1String("\\\\");
            quoted += character;
            break;
        case '\\':
            quoted += QLatin1String("\\\\\\\\");
            break;
        case '%':
            quoted += QLatin1String("%%");
            break;
        case '\n':
            quoted += QLatin1String("\\n");
            break;
        case '\t':
            quoted += QLatin1String("\\t");
            break;
        case '\r':
            quoted += QLatin1String("\\r");
            break;
        default:
            quoted += character;
        }
    }
    quoted += QLatin1Char('"');
    return quoted;
}

QString SystemLaunchAtLoginService::desktopEntry(const QString& executablePath) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Orris Hollows\n"
                          "Exec=%1\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(quotedExecArgument(executablePath));
}

QString SystemLaunchAtLoginService::entryPath() const {
    return QDir(m_autostartDirectory).filePath(entryFileName);
}

int SystemLaunchAtLoginService::status() const {
    if (m_autostartDirectory.isEmpty() || m_executablePath.isEmpty()) {
        return unknown;
    }
    // Anything that is not a small regular file cannot be our entry: a session would not start
    // it, and registering replaces it.
    const Result<QByteArray> data = StateFiles::readRegularFile(entryPath(), maximumEntrySize);
    if (!data.ok() || entryIsSwitchedOff(*data)) {
        return notRegistered;
    }
    return enabled;
}

Status SystemLaunchAtLoginService::registerItem() {
    if (m_autostartDirectory.isEmpty() || m_executablePath.isEmpty()) {
        return AppError::make(QStringLiteral("LaunchAtLoginError"), QStringLiteral("autostart"), 1,
                              QStringLiteral("no autostart folder or executable"));
    }
    // A folder the user already has keeps its permissions.
    if (!StateFiles::exists(m_autostartDirectory)) {
        if (Status created = StateFiles::createPrivateDirectory(m_autostartDirectory); !created.ok()) {
            return created;
        }
    }
    return SecureFileWriter::writeString(desktopEntry(m_executablePath), entryPath());
}

Status SystemLaunchAtLoginService::unregisterItem() {
    if (m_autostartDirectory.isEmpty()) {
        return AppError::make(QStringLiteral("LaunchAtLoginError"), QStringLiteral("autostart"), 1,
                              QStringLiteral("no autostart folder"));
    }
    // unlink removes a symlink itself, never its target.
    if (::unlink(QFile::encodeName(entryPath()).constData()) != 0 && errno != ENOENT) {
        return AppError::posix(errno);
    }
    return {};
}
