#pragma once

#include "model/Localization.h"
#include "store/PanelEmptyState.h"

#include <QString>

#include <optional>

// What the empty prompt view draws for an empty state: the symbol, the texts and at most two
// buttons. The primary button follows the reason; the secondary the state's second action.
struct EmptyViewSpec {
    enum class Primary {
        clearSearch,
        createFirstWorkspace,
        createPrompt,
        openAutomationSettings,
        manageWorkspaces,
        bindMenu
    };
    struct Button {
        EmptyPromptAction action;
        QString titleKey;
        QString icon;
        bool enabled = true;
        bool operator==(const Button& other) const = default;
    };

    QString icon;
    QString title;
    QString message;
    Primary primary = Primary::manageWorkspaces;
    QString primaryTitleKey;
    QString primaryIcon;
    bool primaryEnabled = true; // false only for a bind menu with nothing to bind to
    std::optional<Button> secondary;

    static EmptyViewSpec make(const PanelEmptyState& state, bool canInstallBuiltInPack, bool hasWorkspacesToBind,
                              AppLanguage language);
};
