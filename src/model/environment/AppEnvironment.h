#pragma once

#include "model/environment/Clock.h"
#include "model/environment/Scheduler.h"
#include "model/environment/UserDefaults.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// Everything a store, loader or service takes from its surroundings: the home folder, the
// user's settings, the preferred languages, environment variables, clocks and the scheduler.
// The app builds one from the real system; tests build one around a temporary home.
struct AppEnvironment {
    QString homePath;
    std::shared_ptr<UserDefaults> defaults;
    std::function<QStringList()> preferredLanguages;
    std::function<std::optional<QString>(const QString& name)> environmentVariable;
    std::shared_ptr<Clock> clock;
    std::shared_ptr<Scheduler> scheduler;

    // "<home>/.orris-hollows", the folder of every file the system keeps.
    QString dataDirectory() const;
    QString dataFile(const QString& relativePath) const;

    // The real environment: $HOME, settings in the XDG config folder, the system's languages.
    static AppEnvironment system();

    static QStringList systemPreferredLanguages();
    static std::optional<QString> systemEnvironmentVariable(const QString& name);
};
