#include "model/environment/AppEnvironment.h"

#include <QDir>
#include <QLocale>
#include <QStandardPaths>

QString AppEnvironment::dataDirectory() const {
    return QDir(homePath).filePath(QStringLiteral(".orris-hollows"));
}

QString AppEnvironment::dataFile(const QString& relativePath) const {
    return QDir(dataDirectory()).filePath(relativePath);
}

AppEnvironment AppEnvironment::system() {
    AppEnvironment environment;
    environment.homePath = QDir::homePath();
    const QString configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    environment.defaults =
        std::make_shared<SettingsUserDefaults>(QDir(configDir).filePath(QStringLiteral("orris-hollows/settings.ini")));
    environment.preferredLanguages = &AppEnvironment::systemPreferredLanguages;
    environment.environmentVariable = &AppEnvironment::systemEnvironmentVariable;
    environment.clock = std::make_shared<SystemClock>();
    environment.scheduler = std::make_shared<TimerScheduler>();
    return environment;
}

QStringList AppEnvironment::systemPreferredLanguages() {
    return QLocale::system().uiLanguages();
}

std::optional<QString> AppEnvironment::systemEnvironmentVariable(const QString& name) {
    const QByteArray key = name.toLocal8Bit();
    if (!qEnvironmentVariableIsSet(key.constData())) {
        return std::nullopt;
    }
    return qEnvironmentVariable(key.constData());
}
