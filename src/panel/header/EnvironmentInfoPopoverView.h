#pragma once

#include "context/ContextMatchDetails.h"
#include "model/AgentContext.h"
#include "model/PromptModels.h"
#include "model/PromptPanelTextSize.h"

#include <QFrame>

#include <functional>
#include <optional>

class QLabel;
class QVBoxLayout;

// The diagnostics card of the context header: seven rows saying what was detected and why the
// workspace was chosen, the automation hint and the last detection error. It is a popup: a
// click outside closes it, and `onClosed` tells the owner so that its open state follows.
class EnvironmentInfoPopoverView final : public QFrame {
    Q_OBJECT
public:
    struct Input {
        AgentContext context = AgentContext::unknown();
        std::optional<PromptWorkspace> workspace;
        ContextMatchDetails matchDetails;
        bool needsAutomationPermission = false;
        std::optional<QString> detectionErrorMessage;
        QString statusMessage;
    };

    // `parent` is the panel's window, so the window manager treats the card as part of it.
    explicit EnvironmentInfoPopoverView(QWidget* parent);

    void setInput(const Input& input);
    // The panel's interface text size, which the card (a window of its own) cannot inherit.
    void setTextSize(PromptPanelTextSize size);
    PromptPanelTextSize textSize() const { return m_textSize; }
    // Opens below the anchor's bottom edge, its top centred on it where the screen allows.
    void popUp(const QWidget* anchor);
    std::function<void()> onClosed;

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void fitHeight();

    Input m_input;
    PromptPanelTextSize m_textSize = PromptPanelTextSize::system;
    QLabel* m_title = nullptr;
    QVBoxLayout* m_rows = nullptr;
    QLabel* m_automationHint = nullptr;
    QLabel* m_detectionError = nullptr;
};
