#include "model/AgentContext.h"

#include "model/TextPrimitives.h"

namespace ContextDetectionSources {

namespace {
struct SourceInfo {
    ContextDetectionSource source;
    const char* rawValue;
};
constexpr SourceInfo sources[] = {
    {ContextDetectionSource::manualBinding, "manualBinding"},
    {ContextDetectionSource::projectConfig, "projectConfig"},
    {ContextDetectionSource::terminalDirectory, "terminalDirectory"},
    {ContextDetectionSource::ideWorkspace, "ideWorkspace"},
    {ContextDetectionSource::environment, "environment"},
    {ContextDetectionSource::windowTitle, "windowTitle"},
    {ContextDetectionSource::unknown, "unknown"},
};
} // namespace

QString rawValue(ContextDetectionSource source) {
    return QString::fromLatin1(sources[static_cast<int>(source)].rawValue);
}

std::optional<ContextDetectionSource> fromRawValue(const QString& raw) {
    for (const SourceInfo& entry : sources) {
        if (raw == QLatin1String(entry.rawValue)) {
            return entry.source;
        }
    }
    return std::nullopt;
}

const QList<ContextDetectionSource>& allCases() {
    static const QList<ContextDetectionSource> cases = [] {
        QList<ContextDetectionSource> list;
        for (const SourceInfo& entry : sources) {
            list.append(entry.source);
        }
        return list;
    }();
    return cases;
}

QString displayName(ContextDetectionSource source, AppLanguage language) {
    switch (source) {
    case ContextDetectionSource::manualBinding:
        return L10n::string(L10N("source.manual.binding"), language);
    case ContextDetectionSource::projectConfig:
        return L10n::string(L10N("source.project.config"), language);
    case ContextDetectionSource::terminalDirectory:
        return L10n::string(L10N("source.terminal.directory"), language);
    case ContextDetectionSource::ideWorkspace:
        return L10n::string(L10N("source.ide.workspace"), language);
    case ContextDetectionSource::environment:
        return L10n::string(L10N("source.environment"), language);
    case ContextDetectionSource::windowTitle:
        return L10n::string(L10N("source.window.title"), language);
    case ContextDetectionSource::unknown:
        return L10n::string(L10N("source.unknown"), language);
    }
    return {};
}

} // namespace ContextDetectionSources

const AgentContext& AgentContext::unknown() {
    static const AgentContext context{QStringLiteral("Unknown"),
                                      std::nullopt,
                                      QString(),
                                      AgentType::unknown,
                                      std::nullopt,
                                      unrecognizedWorkspaceName,
                                      ContextDetectionSource::unknown};
    return context;
}

QString AgentContext::sanitizedWindowTitle(AppLanguage language) const {
    const QString title = Text::trimWhitespaceAndNewlines(frontWindowTitle);
    if (title.isEmpty()) {
        return L10n::string(L10N("context.window.unread"), language);
    }
    // An IDE title without separators becomes the workspace name whole; showing that name would
    // show the title.
    if (workspaceName != unrecognizedWorkspaceName && workspaceName != title) {
        return L10n::string(L10N("context.window.hidden.workspace"), language, workspaceName);
    }
    return L10n::string(L10N("context.window.hidden.app"), language, frontmostAppName);
}

std::optional<QString> AgentContext::browserWebAIName() const {
    const QString title = frontWindowTitle.toLower();
    if (title.isEmpty()) {
        return std::nullopt;
    }
    static const std::pair<const char*, const char*> names[] = {
        {"chatgpt", "ChatGPT"}, {"claude", "Claude"}, {"gemini", "Gemini"}, {"perplexity", "Perplexity"}};
    for (const auto& [needle, name] : names) {
        if (title.contains(QLatin1String(needle))) {
            return QString::fromLatin1(name);
        }
    }
    return std::nullopt;
}
