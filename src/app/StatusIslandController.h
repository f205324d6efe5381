#pragma once

#include "app/IslandPanelHosting.h"
#include "app/PanelPlacement.h"
#include "app/StatusItemPresentation.h"
#include "model/environment/Clock.h"
#include "model/environment/Scheduler.h"
#include "model/KeyboardShortcutModels.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class AppLanguageStore;
class ContextDetector;
class HotKeyService;
class IslandMorphState;
class PromptStore;
class RequestBus;
class ShortcutSettingsStore;
class StatusItemHosting;
class UserDefaults;

// Owns the status item and the island panel: decides when the panel opens and closes (a click on
// the status item, hovering over the capsule, the global hot key, the menu, the request bus),
// keeps the item's accessibility texts current, sizes and places the panel, and keeps the panel
// hot key registered. Everything runs on the main thread; delays go through the scheduler.
class StatusIslandController : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds hoverOpenDelay{420};
    static constexpr std::chrono::milliseconds hoverCloseGrace{240};
    static constexpr std::chrono::milliseconds frameRefreshDelay{100};
    static constexpr std::chrono::milliseconds openingProtection{600};
    static inline const QString panelLayoutModeKey = QStringLiteral("OrrisHollows.panelLayoutMode.v1");

    // What the desktop tells the controller: the pointer, the screens (the primary one first),
    // the reduce-motion setting and how to end the application.
    struct Platform {
        std::function<QPoint()> pointerPosition;
        std::function<QList<PanelPlacement::Screen>()> screens;
        std::function<bool()> reduceMotion;
        std::function<void()> quit;
    };

    struct Dependencies {
        PromptStore& promptStore;
        ContextDetector& contextDetector;
        ShortcutSettingsStore& shortcutStore;
        HotKeyService& hotKeyService;
        AppLanguageStore& languageStore;
        RequestBus& requests;
        IslandMorphState& morphState;
        StatusItemHosting& statusItem;
        std::shared_ptr<UserDefaults> defaults;
        std::shared_ptr<Scheduler> scheduler;
        std::shared_ptr<Clock> clock;
    };

    using PanelFactory = std::function<std::unique_ptr<IslandPanelHosting>()>;

    StatusIslandController(Dependencies dependencies, Platform platform, PanelFactory makePanel,
                           QObject* parent = nullptr);
    ~StatusIslandController() override;

    // At launch, in this order: the status item's texts, the subscriptions (which also register
    // the hot key), then the hidden panel.
    void refreshStatusItem();
    void bindIslandUpdates();
    void makePanelIfNeeded();

    // The number of prompts the status item announces: those visible for the current context
    // with no search.
    int currentPromptCount() const;
    QSize currentPanelSize(bool measureHeaderLines = true) const;
    QRect panelFrame() const;
    int maximumAvailablePanelHeight() const;

    void showPanel();
    void closePanel();
    void togglePanel();
    void runMenuCommand(StatusItemMenuCommand command);

    // Reported by the panel view.
    void panelSearchQueryChanged(const QString& query);
    void panelLayoutModeChanged(bool listLayout);

    bool isPanelShown() const;
    bool isClosing() const { return m_isClosing; }
    bool listLayout() const { return m_listLayout; }
    const QString& panelSearchQuery() const { return m_panelSearchQuery; }
    IslandPanelHosting* panel() const { return m_panel.get(); }
    bool hasPendingHoverOpen() const { return m_scheduledOpen.has_value(); }
    bool hasPendingGraceClose() const { return m_scheduledClose.has_value(); }
    bool hasPendingFrameRefresh() const { return m_scheduledFrame.has_value(); }
    int frameRefreshCount() const { return m_frameRefreshCount; }

signals:
    void panelShown();
    void panelHidden();

private:
    void statusItemPointerEntered();
    void statusItemPointerExited();
    void statusItemClicked(Qt::MouseButton button);
    void panelPointerEntered();
    void panelPointerExited();

    // The end of a close: the window goes away and the island is collapsed.
    void finishClose();
    void scheduleHoverOpen();
    void scheduleGraceClose();
    void closePanelIfPointerLeftIsland();
    void syncExpandedPanelContext();
    void schedulePanelFrameRefresh();
    void applyPanelFrame();
    void scheduleStatusRefresh();
    void languageChanged();

    void registerCurrentToggleShortcut();
    void registerRequestedToggleShortcut(const PromptKeyboardShortcut& requested);
    qint32 registerToggle(const PromptKeyboardShortcut& shortcut);

    void cancel(std::optional<Scheduler::Token>& token);
    bool pointerOverStatusItem() const;
    std::optional<PanelPlacement::Screen> chosenScreen() const;
    bool reduceMotion() const;

    Dependencies m_deps;
    Platform m_platform;
    PanelFactory m_makePanel;
    std::unique_ptr<IslandPanelHosting> m_panel;

    bool m_isClosing = false;
    quint64 m_transitionGeneration = 0;
    bool m_pointerOverStatusItem = false;
    bool m_pointerOverPanel = false;
    // Whether the pointer has been over the panel or the status item since the panel opened: the
    // grace check closes a panel the pointer has left, not one a keyboard user never pointed at.
    bool m_pointerVisitedIsland = false;
    std::optional<std::chrono::milliseconds> m_lastOpenedAt;
    std::optional<Scheduler::Token> m_scheduledOpen;
    std::optional<Scheduler::Token> m_scheduledClose;
    std::optional<Scheduler::Token> m_scheduledFrame;
    bool m_statusRefreshQueued = false;
    QString m_panelSearchQuery;
    bool m_listLayout = false;
    int m_frameRefreshCount = 0;
    QList<QMetaObject::Connection> m_connections;
    // Guards work handed to the scheduler and the hot key against a destroyed controller.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
