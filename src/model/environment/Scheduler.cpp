#include "model/environment/Scheduler.h"

#include <QTimer>

TimerScheduler::TimerScheduler(QObject* parent) : QObject(parent) {}

TimerScheduler::~TimerScheduler() {
    qDeleteAll(m_timers);
}

Scheduler::Token TimerScheduler::schedule(std::chrono::milliseconds delay, std::function<void()> work) {
    return start(delay, false, std::move(work));
}

Scheduler::Token TimerScheduler::scheduleRepeating(std::chrono::milliseconds interval, std::function<void()> work) {
    return start(interval, true, std::move(work));
}

void TimerScheduler::cancel(Token token) {
    if (QTimer* timer = m_timers.take(token)) {
        timer->stop();
        timer->deleteLater();
    }
}

Scheduler::Token TimerScheduler::start(std::chrono::milliseconds interval, bool repeating, std::function<void()> work) {
    const Token token = m_nextToken++;
    auto* timer = new QTimer;
    timer->setSingleShot(!repeating);
    timer->setInterval(interval);
    timer->setTimerType(Qt::CoarseTimer);
    QObject::connect(timer, &QTimer::timeout, this, [this, token, repeating, work = std::move(work)] {
        if (!repeating) {
            if (QTimer* finished = m_timers.take(token)) {
                finished->deleteLater();
            }
        }
        work();
    });
    m_timers.insert(token, timer);
    timer->start();
    return token;
}
