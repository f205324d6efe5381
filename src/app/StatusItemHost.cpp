#include "app/StatusItemHost.h"

#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

namespace {

const QColor pillColor = QColor::fromRgbF(1.0f, 0.3019f, 0.4941f);

void paintCapsule(QPainter& painter, const QRectF& bounds, bool hovered) {
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF outer(bounds.center().x() - 16, bounds.center().y() - 8, 32, 16);
    QPainterPath outerPath;
    outerPath.addRoundedRect(outer.adjusted(0.5, 0.5, -0.5, -0.5), 7.5, 7.5);
    painter.fillPath(outerPath, QColor(40, 40, 48, 220));
    painter.setPen(QPen(QColor(255, 255, 255, hovered ? 140 : 90), 1));
    painter.drawPath(outerPath);
    const QRectF inner(bounds.center().x() - 8, bounds.center().y() - 3, 16, 6);
    QPainterPath innerPath;
    innerPath.addRoundedRect(inner, 3, 3);
    painter.fillPath(innerPath, pillColor);
}

class CapsuleWindow final : public QWidget {
public:
    explicit CapsuleWindow(QMenu* menu)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_menu(menu) {
        setAttribute(Qt::WA_TranslucentBackground);
        setFixedSize(38, 24);
        setWindowTitle(QStringLiteral("Orris Hollows"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paintCapsule(painter, rect(), m_hovered);
    }
    void enterEvent(QEnterEvent*) override {
        m_hovered = true;
        update();
    }
    void leaveEvent(QEvent*) override {
        m_hovered = false;
        update();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        m_menu->popup(mapToGlobal(QPoint(0, height())));
        event->accept();
    }

private:
    QMenu* m_menu;
    bool m_hovered = false;
};

} // namespace

StatusItemHost::StatusItemHost(QMenu* menu, QObject* parent) : QObject(parent), m_menu(menu) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray = new QSystemTrayIcon(capsuleIcon(), this);
        m_tray->setToolTip(QStringLiteral("Orris Hollows"));
        m_tray->setContextMenu(menu);
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger) {
                m_menu->popup(QCursor::pos());
            }
        });
        m_tray->show();
    } else {
        showCapsule();
    }
}

StatusItemHost::~StatusItemHost() {
    delete m_capsule;
}

QWidget* StatusItemHost::capsule() const {
    return m_capsule;
}

QIcon StatusItemHost::capsuleIcon(bool hovered) {
    QPixmap pixmap(38, 38);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paintCapsule(painter, QRectF(0, 0, 38, 38), hovered);
    return QIcon(pixmap);
}

void StatusItemHost::showCapsule() {
    auto* capsule = new CapsuleWindow(m_menu);
    m_capsule = capsule;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        capsule->move(area.center().x() - capsule->width() / 2, area.top() + 4);
    }
    capsule->show();
}
