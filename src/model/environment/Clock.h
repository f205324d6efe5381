#pragma once

#include <QDateTime>

#include <chrono>

// Wall-clock time for dates that are stored, and a monotonic clock for every "time since".
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    virtual std::chrono::milliseconds monotonicNow() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    std::chrono::milliseconds monotonicNow() const override;
};
