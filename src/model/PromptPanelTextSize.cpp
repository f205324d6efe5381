#include "model/PromptPanelTextSize.h"

namespace PromptPanelTextSizes {

QString rawValue(PromptPanelTextSize size) {
    switch (size) {
    case PromptPanelTextSize::system:
        return QStringLiteral("system");
    case PromptPanelTextSize::comfortable:
        return QStringLiteral("comfortable");
    case PromptPanelTextSize::large:
        return QStringLiteral("large");
    }
    return QStringLiteral("system");
}

std::optional<PromptPanelTextSize> fromRawValue(const QString& raw) {
    for (const PromptPanelTextSize size : allCases()) {
        if (raw == rawValue(size)) {
            return size;
        }
    }
    return std::nullopt;
}

PromptPanelTextSize fromStored(const std::optional<QString>& stored) {
    if (!stored) {
        return PromptPanelTextSize::system;
    }
    return fromRawValue(*stored).value_or(PromptPanelTextSize::system);
}

QList<PromptPanelTextSize> allCases() {
    return {PromptPanelTextSize::system, PromptPanelTextSize::comfortable, PromptPanelTextSize::large};
}

QString titleKey(PromptPanelTextSize size) {
    switch (size) {
    case PromptPanelTextSize::system:
        return L10N("settings.text.size.system");
    case PromptPanelTextSize::comfortable:
        return L10N("settings.text.size.comfortable");
    case PromptPanelTextSize::large:
        return L10N("settings.text.size.large");
    }
    return L10N("settings.text.size.system");
}

QString localizedTitle(PromptPanelTextSize size, std::optional<AppLanguage> language) {
    return L10n::string(titleKey(size), language ? *language : L10n::currentLanguage());
}

int basePixelSize(PromptPanelTextSize size) {
    switch (size) {
    case PromptPanelTextSize::system:
        return 13;
    case PromptPanelTextSize::comfortable:
        return 15;
    case PromptPanelTextSize::large:
        return 17;
    }
    return 13;
}

int pixelSize(TextStyle style, PromptPanelTextSize size) {
    switch (style) {
    case TextStyle::body:
        return basePixelSize(size);
    case TextStyle::caption:
        // The caption steps up with the base: 10, 12, 13.
        switch (size) {
        case PromptPanelTextSize::system:
            return 10;
        case PromptPanelTextSize::comfortable:
            return 12;
        case PromptPanelTextSize::large:
            return 13;
        }
    }
    return basePixelSize(size);
}

} // namespace PromptPanelTextSizes
