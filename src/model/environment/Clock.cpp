#include "model/environment/Clock.h"

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTimeUtc();
}

std::chrono::milliseconds SystemClock::monotonicNow() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}
