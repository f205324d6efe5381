#pragma once

#include <QString>

#include <functional>
#include <optional>

// Whether the user asked for less motion: the environment variable ORRIS_HOLLOWS_REDUCE_MOTION
// first ("1"/"true" on, "0"/"false" off), then the desktop's own setting where one can be read,
// else off. Asked again at every open and close, so a change applies to the next transition.
class ReduceMotion {
public:
    using EnvironmentVariable = std::function<std::optional<QString>(const QString& name)>;
    // The desktop's wish, when known: true means reduce motion.
    using DesktopSetting = std::function<std::optional<bool>()>;

    static inline const QString environmentVariableName = QStringLiteral("ORRIS_HOLLOWS_REDUCE_MOTION");

    explicit ReduceMotion(EnvironmentVariable environmentVariable, DesktopSetting desktopSetting = {});
    // The environment's override, then the animation setting of the desktop's settings daemon
    // (X11 only; read once per question, without touching files).
    static ReduceMotion system(EnvironmentVariable environmentVariable);

    bool isOn() const;

    // Reads an override value; nothing for an unset or unrecognised value.
    static std::optional<bool> parseOverride(const QString& value);

private:
    EnvironmentVariable m_environmentVariable;
    DesktopSetting m_desktopSetting;
};
