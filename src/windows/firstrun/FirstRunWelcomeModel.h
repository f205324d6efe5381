#pragma once

#include "model/KeyboardShortcutModels.h"
#include "model/Localization.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// How the welcome guide ended. Closing its window counts as "later".
enum class FirstRunWelcomeFinish { createWorkspace, openPanel, later, windowClosed };

// The welcome guide without its widgets: the step texts, and the ending. Whatever ends the
// guide first (a button, Return, Escape or the window's close box) runs its action, and the
// rest of that showing is ignored, so a button that closes the window does not also count as
// the close box.
class FirstRunWelcomeModel {
public:
    struct Actions {
        std::function<void()> onCreateWorkspace;
        std::function<void()> onOpenPanel;
        // "Later", and the close box.
        std::function<void()> onDismiss;
    };

    struct Step {
        int number = 0;
        QString symbol;
        QString title;
        QString detail;

        bool operator==(const Step& other) const = default;
    };

    explicit FirstRunWelcomeModel(Actions actions) : m_actions(std::move(actions)) {}

    // Step 1 names the panel's hot key.
    static QList<Step> steps(const PromptKeyboardShortcut& togglePanelShortcut, AppLanguage language);

    // Runs the action of `kind` unless the guide already ended in this showing; says whether it ran.
    bool finish(FirstRunWelcomeFinish kind);
    bool isFinished() const { return m_finished.has_value(); }
    std::optional<FirstRunWelcomeFinish> finishedBy() const { return m_finished; }
    // A new showing of the guide: its buttons work again.
    void rearm() { m_finished.reset(); }

private:
    Actions m_actions;
    std::optional<FirstRunWelcomeFinish> m_finished;
};
