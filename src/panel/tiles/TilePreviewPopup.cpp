#include "panel/tiles/TilePreviewPopup.h"

#include "panel/tiles/FullPromptPreviewCard.h"
#include "platform/x11/X11CompositorProbe.h"

#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QWindow>

#include <algorithm>

TilePreviewPopup::TilePreviewPopup(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                          Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint) {
    setObjectName(QStringLiteral("tilePreviewPopup"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    m_card = new FullPromptPreviewCard(this);
    m_card->setShowsCopyAction(false);
    m_card->setTextInteractive(false);
    m_card->move(0, 0);
    setFixedSize(FullPromptPreviewCard::cardSize);
    if (!X11CompositorProbe::isCompositing() && QGuiApplication::platformName() == QLatin1String("xcb")) {
        // Without a compositor the translucent corners would be black: cut them off.
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 26, 26);
        setMask(QRegion(shape.toFillPolygon().toPolygon()));
    }
}

QRect TilePreviewPopup::placement(const QSize& size, const QRect& anchor, const QRect& available) {
    int x = anchor.center().x() - size.width() / 2;
    const int above = anchor.top() - gap - size.height();
    const int below = anchor.bottom() + 1 + gap;
    int y = above;
    if (above < available.top()) {
        const int roomAbove = anchor.top() - available.top();
        const int roomBelow = available.bottom() - anchor.bottom();
        if (below + size.height() - 1 <= available.bottom() || roomBelow > roomAbove) {
            y = below;
        }
    }
    x = std::clamp(x, available.left(), std::max(available.left(), available.right() + 1 - size.width()));
    y = std::clamp(y, available.top(), std::max(available.top(), available.bottom() + 1 - size.height()));
    return QRect(QPoint(x, y), size);
}

void TilePreviewPopup::showFor(const PromptItem& prompt, bool isCopied, const QRect& tileGlobalRect,
                               const TileTypography& typography, std::optional<AppLanguage> language) {
    m_card->setTypography(typography);
    m_card->setLanguage(language);
    m_card->setPrompt(prompt);
    m_card->setCopied(isCopied);
    QScreen* screen = QGuiApplication::screenAt(tileGlobalRect.center());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect available = screen ? screen->availableGeometry() : QRect(tileGlobalRect.center(), QSize(1, 1));
    const QRect target = placement(size(), tileGlobalRect, available);
    if (pos() != target.topLeft()) {
        move(target.topLeft());
    }
    if (!isVisible()) {
        show();
    }
}

void TilePreviewPopup::dismiss() {
    hide();
}

std::optional<QString> TilePreviewPopup::shownPromptID() const {
    if (!isVisible()) {
        return std::nullopt;
    }
    return m_card->promptID();
}
