#pragma once

#include <QObject>
#include <QString>

#include <optional>

// How views ask the shell to open or close things without holding each other: the panel, the
// menus and the windows emit these requests, and the status controller and the runtime act.
class RequestBus : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void requestClose();
    void requestOpenFromMenu();
    void requestOpenSettings();
    // With a workspace id, the manager opens with that workspace selected.
    void requestOpenWorkspaceManager(const std::optional<QString>& workspaceID);
    void requestOpenWelcomeGuide();
    // Ctrl+Q in a window of the app that reads its own keys (the panel).
    void requestQuit();
};
