#include "panel/PanelConfirmationSheet.h"

#include "widgets/accessibility/AccessibleText.h"
#include "widgets/OrrisHollowsStyle.h"
#include "widgets/SheetLook.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

PanelConfirmationSheet::PanelConfirmationSheet(const QString& title, const QString& message,
                                               const QString& confirmTitle, const QString& cancelTitle,
                                               std::function<void()> onConfirm, std::function<void()> onCancel,
                                               QWidget* parent)
    : QWidget(parent), m_onConfirm(std::move(onConfirm)), m_onCancel(std::move(onCancel)) {
    setObjectName(QStringLiteral("confirmationSheet"));
    AccessibleText::setName(this, title);
    SheetLook::styleCard(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 20, 22, 18);
    layout->setSpacing(12);

    auto* heading = new QLabel(title, this);
    heading->setObjectName(QStringLiteral("confirmationTitle"));
    heading->setWordWrap(true);
    QFont font = heading->font();
    font.setPixelSize(15);
    font.setBold(true);
    heading->setFont(font);
    layout->addWidget(heading);

    auto* body = new QLabel(message, this);
    body->setObjectName(QStringLiteral("confirmationMessage"));
    body->setTextFormat(Qt::PlainText);
    body->setWordWrap(true);
    layout->addWidget(body);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    auto* cancel = new QPushButton(cancelTitle, this);
    cancel->setObjectName(QStringLiteral("confirmationCancel"));
    AccessibleText::setName(cancel, cancelTitle);
    auto* confirm = new QPushButton(confirmTitle, this);
    confirm->setObjectName(QStringLiteral("confirmationConfirm"));
    AccessibleText::setName(confirm, confirmTitle);
    OrrisHollowsStyle::setBrandLook(cancel, ButtonLook::Kind::secondary);
    // The delete it confirms cannot be undone: the red wash of a destructive action.
    OrrisHollowsStyle::setBrandLook(confirm, ButtonLook::Kind::settingsAction, true);
    connect(confirm, &QPushButton::clicked, this, [this] {
        if (m_onConfirm) {
            m_onConfirm();
        }
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        if (m_onCancel) {
            m_onCancel();
        }
    });
    buttons->addWidget(confirm);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    m_cancelButton = cancel;
    setTabOrder(confirm, cancel);
}

QSize PanelConfirmationSheet::sizeHint() const {
    return QSize(360, QWidget::sizeHint().height());
}

void PanelConfirmationSheet::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_onCancel) {
            m_onCancel();
        }
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void PanelConfirmationSheet::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QTimer::singleShot(0, m_cancelButton, [button = m_cancelButton] { button->setFocus(Qt::OtherFocusReason); });
}
