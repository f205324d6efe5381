#pragma once

#include "model/Localization.h"

#include <QList>
#include <QString>

#include <optional>

// How the panel arranges its tiles: three columns, or one row per prompt. The raw values are
// stored in the settings, so they never change.
enum class PromptPanelLayoutMode { grid, list };

namespace PromptPanelLayoutModes {

inline const QString settingsKey = QStringLiteral("OrrisHollows.panelLayoutMode.v1");

QList<PromptPanelLayoutMode> allCases();
QString rawValue(PromptPanelLayoutMode mode);
std::optional<PromptPanelLayoutMode> fromRawValue(const QString& raw);
// A stored value as the panel reads it: anything but exactly "list" is the grid.
PromptPanelLayoutMode fromStoredValue(const std::optional<QString>& stored);
QString accessibilityTitle(PromptPanelLayoutMode mode, std::optional<AppLanguage> language = std::nullopt);

} // namespace PromptPanelLayoutModes
