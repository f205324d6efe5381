#include "widgets/ReduceMotion.h"

#include "platform/x11/X11DesktopSettings.h"

ReduceMotion::ReduceMotion(EnvironmentVariable environmentVariable, DesktopSetting desktopSetting)
    : m_environmentVariable(std::move(environmentVariable)), m_desktopSetting(std::move(desktopSetting)) {}

ReduceMotion ReduceMotion::system(EnvironmentVariable environmentVariable) {
    return ReduceMotion(std::move(environmentVariable), []() -> std::optional<bool> {
        const auto animations = X11DesktopSettings::enableAnimations();
        if (!animations) {
            return std::nullopt;
        }
        return !*animations;
    });
}

bool ReduceMotion::isOn() const {
    if (m_environmentVariable) {
        if (const auto value = m_environmentVariable(environmentVariableName)) {
            if (const auto forced = parseOverride(*value)) {
                return *forced;
            }
        }
    }
    if (m_desktopSetting) {
        if (const auto desktop = m_desktopSetting()) {
            return *desktop;
        }
    }
    return false;
}

std::optional<bool> ReduceMotion::parseOverride(const QString& value) {
    const QString trimmed = value.trimmed().toLower();
    if (trimmed == QLatin1String("1") || trimmed == QLatin1String("true") || trimmed == QLatin1String("yes")) {
        return true;
    }
    if (trimmed == QLatin1String("0") || trimmed == QLatin1String("false") || trimmed == QLatin1String("no")) {
        return false;
    }
    return std::nullopt;
}
