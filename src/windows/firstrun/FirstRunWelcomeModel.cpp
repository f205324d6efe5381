#include "windows/firstrun/FirstRunWelcomeModel.h"

QList<FirstRunWelcomeModel::Step> FirstRunWelcomeModel::steps(const PromptKeyboardShortcut& togglePanelShortcut,
                                                              AppLanguage language) {
    return {
        {1, QStringLiteral("menubar.rectangle"), L10n::string(L10N("first.welcome.step.open.title"), language),
         L10n::string(L10N("first.welcome.step.open.detail"), language, togglePanelShortcut.displayString())},
        {2, QStringLiteral("folder.badge.plus"), L10n::string(L10N("first.welcome.step.workspace.title"), language),
         L10n::string(L10N("first.welcome.step.workspace.detail"), language)},
        {3, QStringLiteral("doc.on.doc"), L10n::string(L10N("first.welcome.step.copy.title"), language),
         L10n::string(L10N("first.welcome.step.copy.detail"), language)},
    };
}

bool FirstRunWelcomeModel::finish(FirstRunWelcomeFinish kind) {
    if (m_finished) {
        return false;
    }
    // Marked before the action runs: the action closes the window, and that close must not
    // count a second time.
    m_finished = kind;
    const std::function<void()>* action = nullptr;
    switch (kind) {
    case FirstRunWelcomeFinish::createWorkspace:
        action = &m_actions.onCreateWorkspace;
        break;
    case FirstRunWelcomeFinish::openPanel:
        action = &m_actions.onOpenPanel;
        break;
    case FirstRunWelcomeFinish::later:
    case FirstRunWelcomeFinish::windowClosed:
        action = &m_actions.onDismiss;
        break;
    }
    if (action && *action) {
        // A copy: the action may destroy the view that owns this model.
        const std::function<void()> run = *action;
        run();
    }
    return true;
}
