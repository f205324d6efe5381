#include "panel/tiles/PromptPanelLayoutMode.h"

namespace PromptPanelLayoutModes {

QList<PromptPanelLayoutMode> allCases() {
    return {PromptPanelLayoutMode::grid, PromptPanelLayoutMode::list};
}

QString rawValue(PromptPanelLayoutMode mode) {
    return mode == PromptPanelLayoutMode::list ? QStringLiteral("list") : QStringLiteral("grid");
}

std::optional<PromptPanelLayoutMode> fromRawValue(const QString& raw) {
    if (raw == QLatin1String("grid")) {
        return PromptPanelLayoutMode::grid;
    }
    if (raw == QLatin1String("list")) {
        return PromptPanelLayoutMode::list;
    }
    return std::nullopt;
}

PromptPanelLayoutMode fromStoredValue(const std::optional<QString>& stored) {
    return stored && *stored == QLatin1String("list") ? PromptPanelLayoutMode::list : PromptPanelLayoutMode::grid;
}

QString accessibilityTitle(PromptPanelLayoutMode mode, std::optional<AppLanguage> language) {
    return mode == PromptPanelLayoutMode::list ? L10n::string(L10N("panel.layout.list"), language)
                                               : L10n::string(L10N("panel.layout.grid"), language);
}

} // namespace PromptPanelLayoutModes
