#pragma once

#include "app/IslandPanelHosting.h"

#include <QWidget>

#include <functional>

// The island panel's window: frameless, above everything, on every desktop, left out of
// taskbars, never a popup (a popup would close when a sheet or file dialog opens). It takes the
// keyboard focus when shown. Its content is built by the factory when the panel is first measured
// for opening, so that a panel never opened holds no widgets, fonts or text layouts while the app
// waits in the tray; it is rebuilt on request.
class IslandPanelWindow final : public QWidget, public IslandPanelHosting {
    Q_OBJECT
public:
    using ContentFactory = std::function<QWidget*(QWidget* parent)>;

    explicit IslandPanelWindow(ContentFactory factory);
    ~IslandPanelWindow() override;

    bool isVisible() const override;
    QRect frame() const override;
    void setFrame(const QRect& frame) override;
    void orderFront() override;
    void orderOut() override;
    void setIgnoresInput(bool ignores) override;
    bool hasOpenPopup() const override;
    void rebuildContent() override;
    int headerLinesHeight(int width) override;

    // The content, built now if it has not been yet.
    QWidget* content();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void makeContent();
    void applyIgnoresInput(bool ignores);

    ContentFactory m_makeContent;
    QWidget* m_content = nullptr;
    bool m_compositing = false;
    // What the panel asked for; a hidden window's flag follows when it shows.
    bool m_ignoresInput = false;
};
