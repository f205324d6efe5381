#pragma once

#include "model/PromptModels.h"
#include "panel/EmptyViewSpec.h"
#include "store/PanelEmptyState.h"

#include <QMenu>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>

class BrandButton;
class QLabel;

class UrlOpening;

// What the panel shows instead of its prompts when nothing is there to show: a symbol, a
// title, a message and at most two buttons that lead out of the empty state. Every button but
// one hands back to the panel; the automation-settings button opens the settings address itself.
class EmptyPromptView final : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> installBuiltInPack;
        std::function<void()> clearSearch;
        std::function<void()> manageWorkspaces;
        std::function<void()> createWorkspace;
        std::function<void()> createPrompt;
        std::function<void()> importPrompts;
        std::function<void(const QString& workspaceID)> bindWorkspace;
        std::function<void(bool open)> popupOpenChanged;
    };

    // The automation privacy list of the desktop's settings. This desktop needs no such
    // permission, so the state that offers it does not occur here.
    static inline const QUrl automationSettingsUrl =
        QUrl(QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Automation"));

    EmptyPromptView(Actions actions, UrlOpening* urlOpener, QWidget* parent = nullptr);
    ~EmptyPromptView() override;

    void setState(const PanelEmptyState& state, const QList<PromptWorkspace>& workspaces, bool canInstallBuiltInPack);

    BrandButton* primaryButton() const { return m_primary; }
    BrandButton* secondaryButton() const { return m_secondary; }
    QMenu* bindMenu() const { return m_menu; }

private:
    void runPrimary();
    void runSecondary();

    Actions m_actions;
    UrlOpening* m_urlOpener = nullptr;
    EmptyViewSpec m_spec;
    QList<PromptWorkspace> m_workspaces;
    QString m_icon;
    QWidget* m_iconView = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_message = nullptr;
    BrandButton* m_primary = nullptr;
    BrandButton* m_secondary = nullptr;
    QPointer<QMenu> m_menu;
};
