#pragma once

#include "model/environment/AppEnvironment.h"
#include "model/Result.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// A clock that moves only when told to.
class ManualClock final : public Clock {
public:
    ManualClock();
    QDateTime now() const override { return m_now; }
    std::chrono::milliseconds monotonicNow() const override { return m_monotonic; }

    void setNow(const QDateTime& now) { m_now = now; }
    // Moves both clocks forward.
    void advance(std::chrono::milliseconds by);
    // Moves the wall clock alone, as when the user changes the system time.
    void setWallClockOnly(const QDateTime& now) { m_now = now; }

private:
    QDateTime m_now;
    std::chrono::milliseconds m_monotonic{1'000'000};
};

// Runs scheduled work only when the test advances time.
class ManualScheduler final : public Scheduler {
public:
    explicit ManualScheduler(std::shared_ptr<ManualClock> clock) : m_clock(std::move(clock)) {}

    Token schedule(std::chrono::milliseconds delay, std::function<void()> work) override;
    Token scheduleRepeating(std::chrono::milliseconds interval, std::function<void()> work) override;
    void cancel(Token token) override;

    // Advances the clock, running every item that falls due on the way, in order.
    void advance(std::chrono::milliseconds by);
    int pendingCount() const { return int(m_items.size()); }

private:
    struct Item {
        Token token;
        std::chrono::milliseconds due;
        std::chrono::milliseconds interval; // zero for one-shot
        std::function<void()> work;
    };
    std::shared_ptr<ManualClock> m_clock;
    QList<Item> m_items;
    Token m_next = 1;
};

// A temporary home folder, temporary settings and manual time, wrapped as an AppEnvironment.
class TestEnvironment {
public:
    enum class Settings { memory, iniFile };

    explicit TestEnvironment(Settings settings = Settings::memory);

    const AppEnvironment& environment() const { return m_environment; }
    AppEnvironment& environment() { return m_environment; }
    QString home() const { return m_environment.homePath; }
    QString dataDirectory() const { return m_environment.dataDirectory(); }
    std::shared_ptr<UserDefaults> defaults() const { return m_environment.defaults; }
    ManualClock& clock() { return *m_clock; }
    ManualScheduler& scheduler() { return *m_scheduler; }
    QString settingsFile() const { return m_settingsFile; }

    void setPreferredLanguages(const QStringList& languages) { *m_languages = languages; }
    void setEnvironmentVariable(const QString& name, const QString& value) { (*m_variables)[name] = value; }

    // Writes a file below the home folder, creating its folders. Returns the absolute path.
    QString writeFile(const QString& relativePath, const QByteArray& content) const;
    QByteArray readFile(const QString& relativePath) const;

private:
    QTemporaryDir m_dir;
    QString m_settingsFile;
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<ManualScheduler> m_scheduler;
    std::shared_ptr<QStringList> m_languages;
    std::shared_ptr<QHash<QString, QString>> m_variables;
    AppEnvironment m_environment;
};

// Makes every secure write to a matching path fail while alive.
class ScopedWriteFault {
public:
    explicit ScopedWriteFault(std::function<bool(const QString& path)> matches = {},
                              AppError error = AppError::posix(5 /* EIO */));
    ~ScopedWriteFault();
    ScopedWriteFault(const ScopedWriteFault&) = delete;
    ScopedWriteFault& operator=(const ScopedWriteFault&) = delete;
    int hits() const { return *m_hits; }

private:
    std::shared_ptr<int> m_hits;
};

// Runs the action once, the first time a guarded write of the matching target is about to replace
// it: another writer acting inside the window between the check and the replacement. While
// alive; `withoutExchange` makes the writer check and rename as on a file system that cannot
// swap two names.
class ScopedReplaceRace {
public:
    explicit ScopedReplaceRace(QString target, std::function<void()> action, bool withoutExchange = false);
    ~ScopedReplaceRace();
    ScopedReplaceRace(const ScopedReplaceRace&) = delete;
    ScopedReplaceRace& operator=(const ScopedReplaceRace&) = delete;
    bool acted() const { return *m_acted; }

private:
    std::shared_ptr<bool> m_acted;
};

// Collects the log lines of the app's categories while alive.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList lines() const;
    QString joined() const { return lines().join(QLatin1Char('\n')); }
    bool contains(const QString& fragment) const { return joined().contains(fragment); }
    void clear();
};
