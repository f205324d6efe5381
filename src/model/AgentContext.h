#pragma once

#include "model/AgentType.h"
#include "model/Localization.h"

#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

// How the workspace of a detection was found.
enum class ContextDetectionSource {
    manualBinding,
    projectConfig,
    terminalDirectory,
    ideWorkspace,
    environment,
    windowTitle,
    unknown,
};

namespace ContextDetectionSources {
QString rawValue(ContextDetectionSource source);
std::optional<ContextDetectionSource> fromRawValue(const QString& raw);
const QList<ContextDetectionSource>& allCases();
QString displayName(ContextDetectionSource source, AppLanguage language);
} // namespace ContextDetectionSources

// The workspace name stored when no workspace was found. It is data, compared as it is and
// never translated.
inline const QString unrecognizedWorkspaceName = QStringLiteral("未识别工作区");

// One detection of where the user is working.
struct AgentContext {
    QString frontmostAppName;
    std::optional<QString> frontmostBundleIdentifier;
    QString frontWindowTitle;
    AgentType agent = AgentType::unknown;
    std::optional<QString> workspacePath;
    QString workspaceName;
    ContextDetectionSource detectionSource = ContextDetectionSource::unknown;

    static const AgentContext& unknown();

    // What the header shows in place of the window title; the real title never appears.
    QString sanitizedWindowTitle(AppLanguage language) const;
    QString sanitizedWindowTitle() const { return sanitizedWindowTitle(L10n::currentLanguage()); }
    // "ChatGPT", "Claude", "Gemini" or "Perplexity" when the title names one of them.
    std::optional<QString> browserWebAIName() const;

    bool operator==(const AgentContext& other) const = default;
};

Q_DECLARE_METATYPE(AgentContext)
Q_DECLARE_METATYPE(ContextDetectionSource)
