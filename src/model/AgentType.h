#pragma once

#include "model/Localization.h"

#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

// The applications the system recognises. The raw values are stored in prompt files and binding
// files, so they never change.
enum class AgentType : quint8 {
    antigravity,
    antigravityIDE,
    codex,
    claudeDesktop,
    claudeCode,
    cursor,
    vscode,
    ghostty,
    terminal,
    hermes,
    windsurf,
    trae,
    zed,
    jetbrains,
    kiro,
    kimi,
    openCode,
    zcode,
    chrome,
    arc,
    safari,
    edge,
    firefox,
    brave,
    unknown,
};

namespace AgentTypes {

QString rawValue(AgentType type);
// Exact, case-sensitive match against the raw values.
std::optional<AgentType> fromRawValue(const QString& raw);

// The same text in every language.
QString displayName(AgentType type, AppLanguage language = AppLanguage::english);
QString defaultAppName(AgentType type);
std::optional<QString> defaultBundleIdentifier(AgentType type);
bool isBrowser(AgentType type);

// Declaration order.
const QList<AgentType>& allCases();
// The agents a user can bind, in display-name order; native ones then browsers.
const QList<AgentType>& nativeAgentCases();
const QList<AgentType>& browserCases();

// Classifies the frontmost application by bundle identifier, then name. The window title takes
// no part in the decision; claudeCode is never returned.
AgentType infer(const std::optional<QString>& bundleIdentifier, const QString& appName,
                const QString& windowTitle = QString());

} // namespace AgentTypes

Q_DECLARE_METATYPE(AgentType)
