#include "widgets/ConfigIssueBanner.h"

#include "services/FileRevealer.h"
#include "services/RequestBus.h"
#include "store/PromptStore.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr QRgb orange = qRgb(0xF5, 0x9E, 0x0B);
constexpr QRgb secondaryText = qRgba(0xFF, 0xFF, 0xFF, 0xA0);
constexpr int subheadlinePixels = 12;
constexpr int captionPixels = 11;

// The warning triangle, painted so that no icon theme is needed.
QPixmap warningIcon(int size, qreal ratio) {
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(size / 2.0, 1);
    triangle.lineTo(size - 1, size - 2);
    triangle.lineTo(1, size - 2);
    triangle.closeSubpath();
    painter.fillPath(triangle, QColor::fromRgb(orange));
    painter.setPen(QPen(QColor(24, 24, 30), 1.8, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(size / 2.0, size * 0.38), QPointF(size / 2.0, size * 0.62));
    painter.drawPoint(QPointF(size / 2.0, size * 0.76));
    return pixmap;
}

QString objectNameFor(PromptConfigRecoveryAction action) {
    switch (action) {
    case PromptConfigRecoveryAction::reload:
        return QStringLiteral("configIssueReloadButton");
    case PromptConfigRecoveryAction::showInFinder:
        return QStringLiteral("configIssueShowInFolderButton");
    case PromptConfigRecoveryAction::openWorkspaceManager:
        return QStringLiteral("configIssueOpenManagerButton");
    }
    return {};
}

} // namespace

QList<PromptConfigRecoveryAction> ConfigIssueBanner::offeredActions(const QSet<PromptConfigRecoveryAction>& actions,
                                                                    bool showsOpenWorkspaceManager) {
    QList<PromptConfigRecoveryAction> offered;
    for (const PromptConfigRecoveryAction action :
         {PromptConfigRecoveryAction::reload, PromptConfigRecoveryAction::showInFinder,
          PromptConfigRecoveryAction::openWorkspaceManager}) {
        if (!actions.contains(action)) {
            continue;
        }
        if (action == PromptConfigRecoveryAction::openWorkspaceManager && !showsOpenWorkspaceManager) {
            continue;
        }
        offered.append(action);
    }
    return offered;
}

QString ConfigIssueBanner::actionTitleKey(PromptConfigRecoveryAction action) {
    switch (action) {
    case PromptConfigRecoveryAction::reload:
        return L10N("action.reload.config");
    case PromptConfigRecoveryAction::showInFinder:
        return L10N("action.show.in.finder");
    case PromptConfigRecoveryAction::openWorkspaceManager:
        return L10N("action.open.workspace.manager");
    }
    return {};
}

ConfigIssueBanner::ConfigIssueBanner(const PromptConfigIssue& issue, PromptStore& store, FileRevealer& revealer,
                                     RequestBus* requests, bool showsOpenWorkspaceManager, QWidget* parent)
    : QFrame(parent) {
    setObjectName(QStringLiteral("configIssueBanner"));
    setAccessibleName(issue.displayName);
    setAccessibleDescription(issue.message);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(8);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("configIssueIcon"));
    icon->setPixmap(warningIcon(16, devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);
    layout->addWidget(icon, 0, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    auto* name = new QLabel(issue.displayName, this);
    name->setObjectName(QStringLiteral("configIssueName"));
    name->setTextFormat(Qt::PlainText);
    name->setWordWrap(true);
    QFont nameFont = font();
    nameFont.setPixelSize(subheadlinePixels);
    nameFont.setWeight(QFont::DemiBold);
    name->setFont(nameFont);
    auto* message = new QLabel(issue.message, this);
    message->setObjectName(QStringLiteral("configIssueMessage"));
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    QFont messageFont = font();
    messageFont.setPixelSize(captionPixels);
    message->setFont(messageFont);
    QPalette secondary = message->palette();
    secondary.setColor(QPalette::WindowText, QColor::fromRgba(secondaryText));
    message->setPalette(secondary);
    texts->addWidget(name);
    texts->addWidget(message);
    layout->addLayout(texts, 0, 1);
    layout->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    for (const PromptConfigRecoveryAction action : offeredActions(issue.recoveryActions, showsOpenWorkspaceManager)) {
        const QString title = L10n::string(actionTitleKey(action), std::nullopt);
        auto* button = new QPushButton(title, this);
        button->setObjectName(objectNameFor(action));
        button->setAccessibleName(title);
        button->setFlat(true);
        button->setFont(messageFont);
        button->setCursor(Qt::PointingHandCursor);
        switch (action) {
        case PromptConfigRecoveryAction::reload:
            connect(button, &QPushButton::clicked, &store, [&store] { store.reload(); });
            break;
        case PromptConfigRecoveryAction::showInFinder:
            connect(button, &QPushButton::clicked, this, [&revealer, path = issue.fileURL] { revealer.reveal(path); });
            break;
        case PromptConfigRecoveryAction::openWorkspaceManager:
            if (requests != nullptr) {
                connect(button, &QPushButton::clicked, requests,
                        [requests] { emit requests->requestOpenWorkspaceManager(std::nullopt); });
            }
            break;
        }
        buttons->addWidget(button);
    }
    m_layout = layout;
    m_buttons = buttons;
    placeButtons();
}

void ConfigIssueBanner::placeButtons() {
    // Beside the texts where there is room (the manager window); under them in the narrow
    // island, so that neither the message nor the button titles are cut.
    const int buttonsWidth = m_buttons->sizeHint().width();
    const bool below = width() > 0 && width() < buttonsWidth + 260;
    if (m_buttonsBelow == below && m_buttons->parent() != nullptr) {
        return;
    }
    m_buttonsBelow = below;
    m_layout->removeItem(m_buttons);
    if (below) {
        m_layout->addLayout(m_buttons, 1, 1, Qt::AlignLeft);
    } else {
        m_layout->addLayout(m_buttons, 0, 2, Qt::AlignVCenter);
    }
}

void ConfigIssueBanner::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    placeButtons();
}

void ConfigIssueBanner::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    QColor fill = QColor::fromRgb(orange);
    fill.setAlphaF(0.1f);
    painter.fillPath(shape, fill);
    QColor outline = QColor::fromRgb(orange);
    outline.setAlphaF(0.35f);
    painter.setPen(QPen(outline, 1));
    painter.drawPath(shape);
}
