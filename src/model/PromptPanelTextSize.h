#pragma once

#include "model/Localization.h"

#include <QList>
#include <QString>

#include <optional>

// The interface text size of the panel and of every window and sheet.
enum class PromptPanelTextSize { system, comfortable, large };

namespace PromptPanelTextSizes {
QString rawValue(PromptPanelTextSize size);
// Exact, case-sensitive match of a raw value.
std::optional<PromptPanelTextSize> fromRawValue(const QString& raw);
// How a stored setting reads: anything but an exact raw value (or nothing) is system.
PromptPanelTextSize fromStored(const std::optional<QString>& stored);
QList<PromptPanelTextSize> allCases();
QString titleKey(PromptPanelTextSize size);
QString localizedTitle(PromptPanelTextSize size, std::optional<AppLanguage> language = std::nullopt);
// The base font of the interface, in pixels: 13, 15 or 17.
int basePixelSize(PromptPanelTextSize size);
// A text style that follows the size: body is the base font, caption the smaller one beside it.
enum class TextStyle { body, caption };
int pixelSize(TextStyle style, PromptPanelTextSize size);
} // namespace PromptPanelTextSizes
