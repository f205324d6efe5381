#pragma once

#include <QHash>
#include <QObject>

#include <chrono>
#include <functional>

class QTimer;

// Delayed and repeating work on the calling (main) thread. The app uses timers; tests drive a
// manual scheduler so that nothing ever sleeps.
class Scheduler {
public:
    using Token = quint64;

    virtual ~Scheduler() = default;
    virtual Token schedule(std::chrono::milliseconds delay, std::function<void()> work) = 0;
    virtual Token scheduleRepeating(std::chrono::milliseconds interval, std::function<void()> work) = 0;
    // Cancelling an unknown or finished token does nothing.
    virtual void cancel(Token token) = 0;
};

class TimerScheduler final : public QObject, public Scheduler {
public:
    explicit TimerScheduler(QObject* parent = nullptr);
    ~TimerScheduler() override;

    Token schedule(std::chrono::milliseconds delay, std::function<void()> work) override;
    Token scheduleRepeating(std::chrono::milliseconds interval, std::function<void()> work) override;
    void cancel(Token token) override;

private:
    Token start(std::chrono::milliseconds interval, bool repeating, std::function<void()> work);

    Token m_nextToken = 1;
    QHash<Token, QTimer*> m_timers;
};
