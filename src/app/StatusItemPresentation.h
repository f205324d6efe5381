#pragma once

#include "model/Localization.h"

#include <QList>
#include <QString>

#include <optional>

enum class StatusItemMenuCommand { open, manageWorkspaces, settings, welcomeGuide, reload, quit };

// One row of the status item's menu.
struct StatusItemMenuPresentation {
    StatusItemMenuCommand command;
    QString title;
    // The key shown beside the row ("," or "q"); the menu's own modifier is Ctrl.
    QString keyEquivalent;
    bool beginsSection = false;

    bool operator==(const StatusItemMenuPresentation&) const = default;
};

// What the status item says to assistive technology and which rows its menu has, computed from
// the number of prompts that fit the current context. Pure.
struct StatusItemPresentation {
    QString accessibilityLabel;
    QString accessibilityHelp;
    QList<StatusItemMenuPresentation> menuItems;

    // Without a language the current interface language is used.
    static StatusItemPresentation make(int count, std::optional<AppLanguage> language = std::nullopt);
};
