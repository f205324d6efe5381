#include "windows/manager/WorkspaceManagerEmptyStateView.h"

#include "model/Localization.h"
#include "widgets/BrandButton.h"
#include "widgets/InterfaceEnvironment.h"
#include "windows/manager/WorkspaceManagerStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A plain outline symbol per state: a folder, a funnel, a square with a plus, a padlock.
QPixmap symbolFor(WorkspaceManagerEmptyState::Kind kind, int size, qreal ratio) {
    const qreal s = size;
    QPainterPath path;
    switch (kind) {
    case WorkspaceManagerEmptyState::Kind::noData:
        path = WorkspaceManagerStyle::folderOutline(s);
        path.moveTo(0.5 * s, 0.45 * s);
        path.lineTo(0.5 * s, 0.7 * s);
        path.moveTo(0.375 * s, 0.575 * s);
        path.lineTo(0.625 * s, 0.575 * s);
        break;
    case WorkspaceManagerEmptyState::Kind::filteredToEmpty:
        path.addEllipse(QPointF(0.5 * s, 0.5 * s), 0.4 * s, 0.4 * s);
        path.moveTo(0.3 * s, 0.38 * s);
        path.lineTo(0.7 * s, 0.38 * s);
        path.moveTo(0.37 * s, 0.5 * s);
        path.lineTo(0.63 * s, 0.5 * s);
        path.moveTo(0.44 * s, 0.62 * s);
        path.lineTo(0.56 * s, 0.62 * s);
        break;
    case WorkspaceManagerEmptyState::Kind::editableEmpty:
        path.addRoundedRect(QRectF(0.15 * s, 0.15 * s, 0.7 * s, 0.7 * s), 0.12 * s, 0.12 * s);
        path.moveTo(0.5 * s, 0.33 * s);
        path.lineTo(0.5 * s, 0.67 * s);
        path.moveTo(0.33 * s, 0.5 * s);
        path.lineTo(0.67 * s, 0.5 * s);
        break;
    case WorkspaceManagerEmptyState::Kind::readOnly:
        path.addRoundedRect(QRectF(0.22 * s, 0.45 * s, 0.56 * s, 0.42 * s), 0.06 * s, 0.06 * s);
        path.moveTo(0.34 * s, 0.45 * s);
        path.arcTo(QRectF(0.34 * s, 0.15 * s, 0.32 * s, 0.5 * s), 180, -180);
        break;
    }
    return WorkspaceManagerStyle::outlineSymbol(path, size, ratio,
                                                QColor::fromRgba(WorkspaceManagerStyle::secondaryText), size / 14.0);
}

} // namespace

const std::function<void()>& WorkspaceManagerEmptyStateView::callbackFor(WorkspaceManagerEmptyAction action) const {
    switch (action) {
    case WorkspaceManagerEmptyAction::createWorkspace:
        return m_callbacks.onCreateWorkspace;
    case WorkspaceManagerEmptyAction::importPromptPack:
        return m_callbacks.onImportPromptPack;
    case WorkspaceManagerEmptyAction::clearWorkspaceFilter:
        return m_callbacks.onClearWorkspaceFilter;
    case WorkspaceManagerEmptyAction::createPrompt:
        return m_callbacks.onCreatePrompt;
    case WorkspaceManagerEmptyAction::exportPromptPack:
        break;
    }
    return m_callbacks.onExportPromptPack;
}

QString WorkspaceManagerEmptyStateView::buttonObjectName(WorkspaceManagerEmptyAction action) {
    switch (action) {
    case WorkspaceManagerEmptyAction::createWorkspace:
        return QStringLiteral("emptyCreateWorkspaceButton");
    case WorkspaceManagerEmptyAction::importPromptPack:
        return QStringLiteral("emptyImportPackButton");
    case WorkspaceManagerEmptyAction::clearWorkspaceFilter:
        return QStringLiteral("emptyClearSearchButton");
    case WorkspaceManagerEmptyAction::createPrompt:
        return QStringLiteral("emptyCreatePromptButton");
    case WorkspaceManagerEmptyAction::exportPromptPack:
        return QStringLiteral("emptyExportPackButton");
    }
    return {};
}

WorkspaceManagerEmptyStateView::WorkspaceManagerEmptyStateView(const WorkspaceManagerEmptyState& state,
                                                               Callbacks callbacks, QWidget* parent)
    : QWidget(parent), m_state(state), m_callbacks(std::move(callbacks)) {
    using namespace WorkspaceManagerStyle;
    setObjectName(QStringLiteral("workspaceManagerEmptyState"));
    const QString title = L10n::string(state.titleKey(), std::nullopt);
    const QString help = L10n::string(state.helpKey(), std::nullopt);
    setAccessibleName(title);
    setAccessibleDescription(help);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(12);
    layout->addStretch(1);

    auto* symbol = new QLabel(this);
    symbol->setObjectName(QStringLiteral("emptyStateSymbol"));
    symbol->setPixmap(symbolFor(state.kind(), 36, devicePixelRatioF()));
    symbol->setAlignment(Qt::AlignCenter);
    layout->addWidget(symbol);

    auto* titleLabel = new QLabel(title, this);
    titleLabel->setObjectName(QStringLiteral("emptyStateTitle"));
    titleLabel->setTextFormat(Qt::PlainText);
    titleLabel->setAlignment(Qt::AlignCenter);
    titleLabel->setWordWrap(true);
    InterfaceEnvironment::setScaledFont(
        titleLabel, WorkspaceManagerStyle::font(titleLabel->font(), headlinePixels, QFont::DemiBold));
    layout->addWidget(titleLabel);

    auto* helpLabel = new QLabel(help, this);
    helpLabel->setObjectName(QStringLiteral("emptyStateHelp"));
    helpLabel->setTextFormat(Qt::PlainText);
    helpLabel->setAlignment(Qt::AlignCenter);
    helpLabel->setWordWrap(true);
    InterfaceEnvironment::setScaledFont(helpLabel, WorkspaceManagerStyle::font(helpLabel->font(), captionPixels));
    setSecondary(helpLabel);
    layout->addWidget(helpLabel);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch(1);
    for (const WorkspaceManagerEmptyAction action : state.orderedActions()) {
        const QString buttonTitle = L10n::string(WorkspaceManagerEmptyState::actionTitleKey(action), std::nullopt);
        auto* button = new BrandButton(ButtonLook::Kind::settingsAction, buttonTitle, this);
        button->setObjectName(buttonObjectName(action));
        button->setAccessibleName(buttonTitle);
        button->setEnabled(callbackFor(action) != nullptr);
        connect(button, &QAbstractButton::clicked, this, [this, action] {
            // A copy: the callback may rebuild the column and delete this view.
            const std::function<void()> run = callbackFor(action);
            if (run) {
                run();
            }
        });
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);
}
