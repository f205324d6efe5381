#pragma once

// Fakes of the status item and the panel window, for tests that link the user interface.

#include "app/IslandPanelHosting.h"
#include "app/StatusItemHosting.h"

#include <QList>

class FakeStatusItem final : public StatusItemHosting {
public:
    QRect anchor{621, 4, 38, 24};
    // false: a tray icon, which never says when the pointer leaves it.
    bool reportsLeaving = true;
    QList<StatusItemPresentation> applied;
    bool hovered = false;
    int menusShown = 0;
    std::function<void(StatusItemMenuCommand)> menuCommand;

    QRect anchorRect() const override { return anchor; }
    bool reportsPointerLeaving() const override { return reportsLeaving; }
    void apply(const StatusItemPresentation& presentation) override { applied.append(presentation); }
    void setHovered(bool value) override { hovered = value; }
    void showMenu(const StatusItemPresentation&, std::function<void(StatusItemMenuCommand)> onCommand) override {
        ++menusShown;
        menuCommand = std::move(onCommand);
    }

    void click(Qt::MouseButton button = Qt::LeftButton) { emit clicked(button); }
    void enter() { emit pointerEntered(); }
    void exit() { emit pointerExited(); }
};

class FakePanelWindow final : public IslandPanelHosting {
public:
    bool visible = false;
    QRect currentFrame;
    int frameChanges = 0;
    int orderFrontCount = 0;
    int orderOutCount = 0;
    int rebuilds = 0;
    bool ignoresInput = false;
    bool popupOpen = false;
    int headerLines = 0;

    bool isVisible() const override { return visible; }
    QRect frame() const override { return currentFrame; }
    void setFrame(const QRect& frame) override {
        if (frame != currentFrame) {
            ++frameChanges;
            currentFrame = frame;
        }
    }
    void orderFront() override {
        visible = true;
        ++orderFrontCount;
    }
    void orderOut() override {
        visible = false;
        ++orderOutCount;
    }
    void setIgnoresInput(bool ignores) override { ignoresInput = ignores; }
    bool hasOpenPopup() const override { return popupOpen; }
    void rebuildContent() override { ++rebuilds; }
    int headerLinesHeight(int) override { return headerLines; }
    // The content's header lines took a new height.
    void setHeaderLines(int height) {
        headerLines = height;
        if (onHeaderLinesHeightChanged) {
            onHeaderLinesHeightChanged();
        }
    }

    void pointerEnters() { onPointerEntered(); }
    void pointerLeaves() { onPointerExited(); }
};
