#include "widgets/EditingSheetBase.h"

#include "model/Localization.h"
#include "services/SheetHost.h"
#include "widgets/OrrisHollowsStyle.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

EditingSheetBase::EditingSheetBase(SheetHost& host, SheetLook::TextSize textSize, const QString& objectName, QSize size,
                                   QWidget* parent)
    : QWidget(parent), m_host(host), m_textSize(textSize) {
    setObjectName(objectName);
    SheetLook::styleCard(this);
    setFixedSize(size);
    setFont(SheetLook::baseFont(m_textSize));
}

QLabel* EditingSheetBase::addHeading(QVBoxLayout* layout, const QString& objectName) {
    m_heading = new QLabel(this);
    m_heading->setObjectName(objectName);
    m_heading->setFont(SheetLook::headingFont(m_textSize));
    layout->addWidget(m_heading);
    return m_heading;
}

void EditingSheetBase::setHeadingText(const QString& text) {
    m_heading->setText(text);
    setAccessibleName(m_heading->text());
    setWindowTitle(m_heading->text());
}

QScrollArea* EditingSheetBase::makeFormScroll(const QString& objectName) {
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(objectName);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return scroll;
}

QLabel* EditingSheetBase::addErrorLabel(QVBoxLayout* layout, const QString& objectName) {
    auto* label = new QLabel(this);
    label->setObjectName(objectName);
    label->setWordWrap(true);
    label->setFont(SheetLook::captionFont(m_textSize));
    SheetLook::setTextColour(label, SheetLook::errorText());
    layout->addWidget(label);
    return label;
}

void EditingSheetBase::showError(QLabel* label, const std::optional<QString>& message) {
    const QString text = message.value_or(QString());
    label->setText(text);
    label->setAccessibleName(text);
    label->setVisible(!text.isEmpty());
}

std::pair<QPushButton*, QPushButton*> EditingSheetBase::addButtonRow(QVBoxLayout* layout, const QString& cancelName,
                                                                     const QString& defaultName) {
    auto* buttons = new QHBoxLayout;
    auto* cancel = new QPushButton(this);
    cancel->setObjectName(cancelName);
    cancel->setAutoDefault(false);
    auto* confirm = new QPushButton(this);
    confirm->setObjectName(defaultName);
    confirm->setDefault(true);
    OrrisHollowsStyle::setBrandLook(cancel, ButtonLook::Kind::secondary);
    OrrisHollowsStyle::setBrandLook(confirm, ButtonLook::Kind::primary);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    buttons->addWidget(confirm);
    layout->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, [this] { finish(); });
    connect(confirm, &QPushButton::clicked, this, &EditingSheetBase::submit);
    return {cancel, confirm};
}

void EditingSheetBase::setButtonText(QAbstractButton* button, const QString& text) {
    button->setText(text);
    button->setAccessibleName(button->text());
}

QHash<AgentType, QCheckBox*> EditingSheetBase::addAgentToggles(QBoxLayout* layout, QWidget* parent,
                                                               const QString& objectNamePrefix,
                                                               const QList<AgentType>& agents,
                                                               const std::function<void(AgentType, bool)>& onToggled) {
    QHash<AgentType, QCheckBox*> toggles;
    for (const AgentType agent : agents) {
        auto* toggle = new QCheckBox(parent);
        toggle->setObjectName(objectNamePrefix + AgentTypes::rawValue(agent));
        layout->addWidget(toggle);
        toggles.insert(agent, toggle);
        connect(toggle, &QCheckBox::toggled, this, [onToggled, agent](bool checked) { onToggled(agent, checked); });
    }
    return toggles;
}

void EditingSheetBase::retranslateAgentToggles(const QHash<AgentType, QCheckBox*>& toggles, AppLanguage language) {
    for (auto toggle = toggles.cbegin(); toggle != toggles.cend(); ++toggle) {
        toggle.value()->setText(AgentTypes::displayName(toggle.key(), language));
        toggle.value()->setAccessibleName(toggle.value()->text());
    }
}

void EditingSheetBase::syncAgentToggles(const QHash<AgentType, QCheckBox*>& toggles,
                                        const std::function<bool(AgentType)>& isSelected) {
    for (auto toggle = toggles.cbegin(); toggle != toggles.cend(); ++toggle) {
        const QSignalBlocker blocker(toggle.value());
        toggle.value()->setChecked(isSelected(toggle.key()));
    }
}

void EditingSheetBase::finish() {
    // Dismissal is deferred: a second Return or click meanwhile must not act again.
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_host.dismiss(this);
}

void EditingSheetBase::submit() {
    if (m_finished) {
        return;
    }
    if (commit()) {
        finish();
    }
}

void EditingSheetBase::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        finish();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && returnSubmits()) {
        submit();
        return;
    }
    QWidget::keyPressEvent(event);
}
