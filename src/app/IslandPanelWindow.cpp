#include "app/IslandPanelWindow.h"

#include "panel/island/IslandSurfaceView.h"
#include "panel/PromptPanelWidget.h"
#include "platform/x11/X11CompositorProbe.h"
#include "platform/x11/X11Desktop.h"

#include <QApplication>
#include <QWindow>

IslandPanelWindow::IslandPanelWindow(ContentFactory factory)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_makeContent(std::move(factory)) {
    setObjectName(QStringLiteral("islandPanel"));
    setWindowTitle(QStringLiteral("Orris Hollows"));
    m_compositing = X11CompositorProbe::isCompositing();
    setAttribute(Qt::WA_TranslucentBackground, m_compositing);
}

IslandPanelWindow::~IslandPanelWindow() = default;

bool IslandPanelWindow::isVisible() const {
    return QWidget::isVisible();
}

QRect IslandPanelWindow::frame() const {
    return geometry();
}

void IslandPanelWindow::setFrame(const QRect& frame) {
    if (geometry() != frame) {
        setGeometry(frame);
    }
}

void IslandPanelWindow::orderFront() {
    if (!QWidget::isVisible()) {
        content();
        winId();
        applyIgnoresInput(m_ignoresInput);
        X11Desktop::prepareFloatingWindow(windowHandle());
        show();
        X11Desktop::requestAllDesktops(windowHandle());
    }
    raise();
    activateWindow();
    if (QWindow* window = windowHandle()) {
        window->requestActivate();
    }
}

void IslandPanelWindow::orderOut() {
    hide();
    // A hidden window takes no input either way. Cleared now, while the window manager no longer
    // watches the window, the flag has nothing left to change (and no answer of the server to
    // wait for) when the panel shows again, which is usually as one that takes input.
    applyIgnoresInput(false);
}

void IslandPanelWindow::setIgnoresInput(bool ignores) {
    m_ignoresInput = ignores;
    // The native window is made here, well ahead of the first opening.
    winId();
    if (QWidget::isVisible()) {
        applyIgnoresInput(ignores);
    }
}

void IslandPanelWindow::applyIgnoresInput(bool ignores) {
    // The window's own flag: changing the widget's flags would hide and re-create the window.
    winId();
    QWindow* window = windowHandle();
    if (window == nullptr || window->flags().testFlag(Qt::WindowTransparentForInput) == ignores) {
        return;
    }
    window->setFlag(Qt::WindowTransparentForInput, ignores);
    if (!ignores) {
        // On X11 a window that takes input again gets an input region of the size its native
        // window has at that moment (a hidden one keeps the size it was last shown at), and the
        // region does not follow later resizes: clicks in the part a panel grew by (its toolbar)
        // would go to the window below. Without a region the whole window takes input, at any
        // size, and nothing needs renewing when it shows or grows: a renewal on a mapped window
        // would rewrite its window manager hints each time, which the window manager reads again.
        X11Desktop::resetInputShape(window);
    }
}

bool IslandPanelWindow::hasOpenPopup() const {
    return QApplication::activePopupWidget() != nullptr;
}

void IslandPanelWindow::rebuildContent() {
    // Content never built stays so: it is built as things are then, when the panel is first measured.
    if (m_content != nullptr) {
        delete m_content;
        m_content = nullptr;
        makeContent();
    }
}

QWidget* IslandPanelWindow::content() {
    if (m_content == nullptr) {
        makeContent();
    }
    return m_content;
}

void IslandPanelWindow::makeContent() {
    m_content = m_makeContent ? m_makeContent(this) : nullptr;
    if (m_content == nullptr) {
        return;
    }
    m_content->setGeometry(rect());
    m_content->show();
    if (auto* panel = m_content->findChild<PromptPanelWidget*>()) {
        connect(panel, &PromptPanelWidget::headerLinesHeightChanged, this, [this] {
            if (onHeaderLinesHeightChanged) {
                onHeaderLinesHeightChanged();
            }
        });
    }
    if (auto* surface = qobject_cast<IslandSurfaceView*>(m_content)) {
        surface->setCompositing(m_compositing);
        if (!m_compositing) {
            // Without a compositor the window shows the island's shape and nothing around it.
            setMask(surface->currentMask());
            connect(surface, &IslandSurfaceView::maskChanged, this, [this](const QRegion& mask) { setMask(mask); });
        }
    }
}

int IslandPanelWindow::headerLinesHeight(int width) {
    QWidget* shown = content();
    PromptPanelWidget* panel = shown != nullptr ? shown->findChild<PromptPanelWidget*>() : nullptr;
    return panel != nullptr ? panel->headerLinesHeight(width) : 0;
}

void IslandPanelWindow::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (onPointerEntered) {
        onPointerEntered();
    }
}

void IslandPanelWindow::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (onPointerExited) {
        onPointerExited();
    }
}

void IslandPanelWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_content != nullptr) {
        m_content->setGeometry(rect());
    }
}
