#pragma once

// What the crash harnesses share: a clock and a sleep that signals cannot cut short, the
// environment of a temporary home, and a workspace's worth of prompts.

#include "model/environment/AppEnvironment.h"
#include "model/environment/Clock.h"
#include "model/environment/UserDefaults.h"
#include "model/PromptModels.h"

#include <QStringList>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <memory>

namespace CrashHarness {

inline std::int64_t monotonicNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

inline void sleepNanoseconds(std::int64_t nanoseconds) {
    timespec duration{time_t(nanoseconds / 1'000'000'000), long(nanoseconds % 1'000'000'000)};
    while (::nanosleep(&duration, &duration) != 0 && errno == EINTR) {
    }
}

inline AppEnvironment environmentFor(const QString& home) {
    AppEnvironment environment;
    environment.homePath = home;
    environment.defaults = std::make_shared<MemoryUserDefaults>();
    environment.clock = std::make_shared<SystemClock>();
    environment.preferredLanguages = [] { return QStringList{QStringLiteral("en")}; };
    return environment;
}

inline QList<PromptItem> somePrompts(int count) {
    QList<PromptItem> prompts;
    for (int i = 0; i < count; ++i) {
        PromptItem prompt;
        prompt.id = QStringLiteral("prompt-%1").arg(i);
        prompt.title = QStringLiteral("Prompt %1").arg(i);
        prompt.group = QStringLiteral("General");
        prompt.text = QString(500, u'x');
        prompts.append(prompt);
    }
    return prompts;
}

} // namespace CrashHarness
