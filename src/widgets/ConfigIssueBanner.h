#pragma once

#include "model/PromptConfigIssue.h"

#include <QFrame>
#include <QList>
#include <QSet>

class FileRevealer;
class QGridLayout;
class QHBoxLayout;
class PromptStore;
class RequestBus;

// One configuration problem of the last load (an unreadable, malformed or too large prompt
// file): its name and message as the loader wrote them, and the recovery buttons it carries.
// Keeps no state. The workspace manager shows it without "open the workspace manager", so that
// the manager never offers to open itself.
class ConfigIssueBanner final : public QFrame {
    Q_OBJECT
public:
    // `requests` may be null when the open-manager action is not offered.
    ConfigIssueBanner(const PromptConfigIssue& issue, PromptStore& store, FileRevealer& revealer, RequestBus* requests,
                      bool showsOpenWorkspaceManager, QWidget* parent = nullptr);

    // The buttons offered, in the fixed order reload, show in folder, open the manager, whatever
    // the set's order; without `showsOpenWorkspaceManager` the last one never.
    static QList<PromptConfigRecoveryAction> offeredActions(const QSet<PromptConfigRecoveryAction>& actions,
                                                            bool showsOpenWorkspaceManager);
    static QString actionTitleKey(PromptConfigRecoveryAction action);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeButtons();

    QGridLayout* m_layout = nullptr;
    QHBoxLayout* m_buttons = nullptr;
    bool m_buttonsBelow = false;
};
