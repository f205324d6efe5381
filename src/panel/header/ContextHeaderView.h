#pragma once

#include "context/ContextMatchDetails.h"
#include "model/AgentContext.h"
#include "model/PromptModels.h"
#include "panel/header/EnvironmentInfoPopoverView.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class MiddleElidedLabel;
class ProjectConfigTrustBanner;
class QLabel;
class QToolButton;
class SourceNoticeView;

// The top block of the island panel: the product name, the context in one line, the prompt
// count and the diagnostics button with its popover; under them, each only when it applies, the
// unbound banner, the store's last error, and the trust banner or the trusted-file notice.
// Keeps no state: the popover's open state is the owner's, changed through the callback.
class ContextHeaderView final : public QWidget {
    Q_OBJECT
public:
    struct Input {
        AgentContext context = AgentContext::unknown();
        std::optional<PromptWorkspace> workspace;
        int promptCount = 0;
        std::optional<QString> errorMessage;
        ContextMatchDetails matchDetails;
        bool needsAutomationPermission = false;
        std::optional<QString> detectionErrorMessage;
        QString statusMessage;
        bool showDebugDetails = false;
    };

    explicit ContextHeaderView(QWidget* parent = nullptr);
    ~ContextHeaderView() override;

    // Redraws from the values; texts are looked up again, so a language change shows here.
    void setInput(const Input& input);
    std::function<void(const QString& path)> onTrustProjectConfig;
    std::function<void(bool show)> onShowDebugDetailsChange;

    // The height the lines under the first row take at this width of the header, with the spacing
    // above each: 0 while none of them shows.
    int optionalLinesHeight(int width) const;

    QToolButton* debugButton() const { return m_debugButton; }
    EnvironmentInfoPopoverView* popover() const { return m_popover; }

private:
    void syncPopover();

    Input m_input;
    QLabel* m_product = nullptr;
    MiddleElidedLabel* m_summary = nullptr;
    QWidget* m_countCapsule = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_countSuffix = nullptr;
    QToolButton* m_debugButton = nullptr;
    QWidget* m_unboundBanner = nullptr;
    QLabel* m_unboundText = nullptr;
    QLabel* m_error = nullptr;
    ProjectConfigTrustBanner* m_trustBanner = nullptr;
    SourceNoticeView* m_notice = nullptr;
    QPointer<EnvironmentInfoPopoverView> m_popover;
};
