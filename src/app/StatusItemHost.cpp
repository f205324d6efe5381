#include "app/StatusItemHost.h"

#include "platform/x11/X11CompositorProbe.h"
#include "platform/x11/X11Desktop.h"
#include "widgets/accessibility/AccessibleText.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

namespace {

const QColor pillColor = QColor::fromRgbF(1.0f, 0.3019f, 0.4941f);
constexpr QSize capsuleWindowSize(38, 24);

QRectF outerCapsuleRect(const QRectF& bounds) {
    return QRectF(bounds.center().x() - 16, bounds.center().y() - 8, 32, 16);
}

void paintCapsule(QPainter& painter, const QRectF& bounds, bool hovered) {
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF outer = outerCapsuleRect(bounds);
    QPainterPath outerPath;
    outerPath.addRoundedRect(outer.adjusted(0.5, 0.5, -0.5, -0.5), 7.5, 7.5);
    painter.fillPath(outerPath, hovered ? QColor(58, 58, 68, 235) : QColor(40, 40, 48, 225));
    painter.setPen(QPen(QColor(255, 255, 255, hovered ? 140 : 90), 1));
    painter.drawPath(outerPath);
    const QRectF inner(bounds.center().x() - 8, bounds.center().y() - 3, 16, 6);
    QPainterPath glow;
    glow.addRoundedRect(inner.adjusted(-2, -2, 2, 2), 5, 5);
    QColor glowColor = pillColor;
    glowColor.setAlphaF(hovered ? 0.45f : 0.25f);
    painter.fillPath(glow, glowColor);
    QPainterPath innerPath;
    innerPath.addRoundedRect(inner, 3, 3);
    painter.fillPath(innerPath, pillColor);
}

// A host of the D-Bus status-notifier protocol is there: Qt then shows the icon through it, and
// the host, not us, draws the icon's menu from the one we export.
bool statusNotifierHostPresent() {
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr || !bus.interface()->isServiceRegistered(watcher)) {
        return false;
    }
    QDBusInterface host(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    return host.isValid() && host.property("IsStatusNotifierHostRegistered").toBool();
}

class CapsuleWindow final : public QWidget {
public:
    explicit CapsuleWindow(StatusItemHost* host)
        : QWidget(nullptr,
                  Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
          m_host(host) {
        setObjectName(QStringLiteral("statusCapsule"));
        setFixedSize(capsuleWindowSize);
        setWindowTitle(QStringLiteral("Orris Hollows"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        if (X11CompositorProbe::isCompositing()) {
            setAttribute(Qt::WA_TranslucentBackground);
        } else {
            cutToShape();
        }
    }

    void setHovered(bool hovered) {
        if (m_hovered != hovered) {
            m_hovered = hovered;
            update();
        }
    }

protected:
    // A window manager may give the window another size than it asked for (i3 enforces a minimum
    // floating size): the shape, the painting and the anchor follow the size it really has.
    void resizeEvent(QResizeEvent*) override {
        if (!testAttribute(Qt::WA_TranslucentBackground)) {
            cutToShape();
        }
        m_host->capsuleGeometryChanged();
    }
    void moveEvent(QMoveEvent*) override { m_host->capsuleGeometryChanged(); }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (!testAttribute(Qt::WA_TranslucentBackground)) {
            painter.fillRect(rect(), QColor(40, 40, 48));
        }
        paintCapsule(painter, rect(), m_hovered);
    }
    void enterEvent(QEnterEvent*) override { emit m_host->pointerEntered(); }
    void leaveEvent(QEvent*) override { emit m_host->pointerExited(); }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (rect().contains(event->position().toPoint())) {
            emit m_host->clicked(event->button());
        }
        event->accept();
    }

private:
    // Without a compositor a translucent window is black around the pill: cut it to shape.
    void cutToShape() {
        QPainterPath shape;
        shape.addRoundedRect(outerCapsuleRect(QRectF(rect())), 8, 8);
        setMask(QRegion(shape.toFillPolygon().toPolygon()));
    }

    StatusItemHost* m_host;
    bool m_hovered = false;
};

} // namespace

StatusItemHost::StatusItemHost(QObject* parent) : StatusItemHosting(parent) {
    m_trayWatcher = new X11TrayWatcher(this);
    const bool trayAvailable =
        m_trayWatcher->isConnected() ? m_trayWatcher->trayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
    connect(m_trayWatcher, &X11TrayWatcher::trayAvailabilityChanged, this, &StatusItemHost::useTray);
    useTray(trayAvailable);
}

StatusItemHost::~StatusItemHost() {
    delete m_capsule;
    delete m_menu;
    delete m_tray;
    delete m_trayMenu;
}

void StatusItemHost::fillTrayMenu() {
    if (m_trayMenu == nullptr) {
        return;
    }
    m_trayMenu->clear();
    for (const StatusItemMenuPresentation& row : m_presentation.menuItems) {
        if (row.beginsSection) {
            m_trayMenu->addSeparator();
        }
        QAction* action = m_trayMenu->addAction(row.title);
        const StatusItemMenuCommand command = row.command;
        connect(action, &QAction::triggered, this, [this, command] { emit menuCommandChosen(command); });
    }
}

QWidget* StatusItemHost::capsule() const {
    return m_capsule;
}

void StatusItemHost::useTray(bool available) {
    if (available && m_tray == nullptr) {
        m_tray = new QSystemTrayIcon(capsuleIcon(), this);
        m_tray->setToolTip(m_presentation.accessibilityLabel);
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            m_lastTrayClick = QCursor::pos();
            switch (reason) {
            case QSystemTrayIcon::Context:
                emit clicked(Qt::RightButton);
                break;
            // Two clicks in quick succession arrive as a click and a double click: each toggles.
            case QSystemTrayIcon::Trigger:
            case QSystemTrayIcon::DoubleClick:
            case QSystemTrayIcon::MiddleClick:
                emit clicked(Qt::LeftButton);
                break;
            default:
                break;
            }
        });
        if (statusNotifierHostPresent()) {
            // Such a host shows the exported menu on a right click and never tells us of the
            // click; without it the menu's rows, Quit among them, would be out of reach.
            m_trayMenu = new QMenu();
            m_trayMenu->setObjectName(QStringLiteral("trayMenu"));
            fillTrayMenu();
            m_tray->setContextMenu(m_trayMenu);
        }
        m_tray->show();
        delete m_capsule;
    } else if (!available) {
        delete m_tray;
        m_tray = nullptr;
        delete m_trayMenu;
        m_trayMenu = nullptr;
        if (m_capsule == nullptr) {
            showCapsule();
        }
    }
}

void StatusItemHost::showCapsule() {
    auto* capsule = new CapsuleWindow(this);
    m_capsule = capsule;
    AccessibleText::setName(capsule, m_presentation.accessibilityLabel);
    AccessibleText::setDescription(capsule, m_presentation.accessibilityHelp);
    capsule->setToolTip(m_presentation.accessibilityHelp);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        capsule->move(area.center().x() - capsule->width() / 2, area.top() + 4);
    }
    // Where we put it: the window manager's first reports of a new window's position can lag.
    m_capsuleFrame = QRect(capsule->pos(), capsule->size());
    capsule->winId();
    X11Desktop::prepareFloatingWindow(capsule->windowHandle());
    capsule->show();
    X11Desktop::requestAllDesktops(capsule->windowHandle());
}

void StatusItemHost::capsuleGeometryChanged() {
    if (m_capsule == nullptr || !m_capsule->isVisible() || m_capsule->size() == capsuleWindowSize) {
        return;
    }
    // The window manager chose another size: the capsule is drawn at the middle of what it gave.
    const QRect frame = m_capsule->geometry();
    m_capsuleFrame = QRect(frame.center() - QPoint(capsuleWindowSize.width() / 2, capsuleWindowSize.height() / 2),
                           capsuleWindowSize);
}

QRect StatusItemHost::anchorRect() const {
    if (m_capsule != nullptr) {
        return m_capsuleFrame;
    }
    if (m_tray != nullptr) {
        const QRect geometry = m_tray->geometry();
        if (!geometry.isEmpty()) {
            return geometry;
        }
        if (!m_lastTrayClick.isNull()) {
            return QRect(m_lastTrayClick - QPoint(capsuleWindowSize.width() / 2, capsuleWindowSize.height() / 2),
                         capsuleWindowSize);
        }
    }
    return QRect();
}

void StatusItemHost::apply(const StatusItemPresentation& presentation) {
    m_presentation = presentation;
    if (m_tray != nullptr) {
        m_tray->setToolTip(presentation.accessibilityLabel);
        fillTrayMenu();
    }
    if (m_capsule != nullptr) {
        AccessibleText::setName(m_capsule, presentation.accessibilityLabel);
        AccessibleText::setDescription(m_capsule, presentation.accessibilityHelp);
        m_capsule->setToolTip(presentation.accessibilityHelp);
    }
}

void StatusItemHost::setHovered(bool hovered) {
    if (auto* capsule = static_cast<CapsuleWindow*>(m_capsule.data())) {
        capsule->setHovered(hovered);
    }
}

namespace {

// The menu grabs the keyboard while it is open, so the shortcuts its rows show are run here.
class StatusMenu final : public QMenu {
protected:
    void keyPressEvent(QKeyEvent* event) override {
        const QKeySequence pressed(event->keyCombination());
        for (QAction* action : actions()) {
            if (!action->shortcut().isEmpty() && action->shortcut() == pressed) {
                close();
                action->trigger();
                return;
            }
        }
        QMenu::keyPressEvent(event);
    }
};

} // namespace

void StatusItemHost::showMenu(const StatusItemPresentation& presentation,
                              std::function<void(StatusItemMenuCommand)> onCommand) {
    delete m_menu;
    auto* menu = new StatusMenu();
    m_menu = menu;
    menu->setObjectName(QStringLiteral("statusMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const StatusItemMenuPresentation& row : presentation.menuItems) {
        if (row.beginsSection) {
            menu->addSeparator();
        }
        QAction* action = menu->addAction(row.title);
        if (!row.keyEquivalent.isEmpty()) {
            action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + row.keyEquivalent.toUpper()));
            action->setShortcutContext(Qt::WidgetShortcut);
        }
        const StatusItemMenuCommand command = row.command;
        connect(action, &QAction::triggered, this, [onCommand, command] { onCommand(command); });
    }
    // Anchored like the panel, to the frame we gave the item: a window's reported position lags
    // the window manager, and the menu would open in the screen's corner.
    const QRect anchor = anchorRect();
    const QPoint at = anchor.isEmpty() ? QCursor::pos() : QPoint(anchor.center().x(), anchor.bottom() + 1);
    menu->popup(at);
}

QIcon StatusItemHost::capsuleIcon(bool hovered) {
    QPixmap pixmap(38, 38);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paintCapsule(painter, QRectF(0, 0, 38, 38), hovered);
    return QIcon(pixmap);
}
