#include "windows/WorkspaceEditSheet.h"

#include "app/SheetHost.h"
#include "store/PromptStore.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr QSize sheetSize(520, 460);

void setColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

WorkspaceEditSheet::WorkspaceEditSheet(PromptStore& store, SheetHost& host, PromptWorkspace workspace, QWidget* parent)
    : QWidget(parent), m_model(store, std::move(workspace)), m_host(host),
      m_textSize(SheetLook::textSize(*store.environment().defaults)) {
    setObjectName(QStringLiteral("workspaceEditSheet"));
    SheetLook::styleCard(this);
    setFixedSize(sheetSize);
    setFont(SheetLook::baseFont(m_textSize));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 18);
    layout->setSpacing(14);

    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("workspaceEditHeading"));
    m_heading->setFont(SheetLook::headingFont(m_textSize));
    layout->addWidget(m_heading);

    auto* nameRow = new QHBoxLayout;
    nameRow->setSpacing(10);
    m_nameLabel = new QLabel(this);
    m_nameLabel->setObjectName(QStringLiteral("workspaceEditNameLabel"));
    m_nameField = new QLineEdit(this);
    m_nameField->setObjectName(QStringLiteral("workspaceEditName"));
    m_nameField->setText(m_model.name());
    m_nameLabel->setBuddy(m_nameField);
    nameRow->addWidget(m_nameLabel);
    nameRow->addWidget(m_nameField, 1);
    layout->addLayout(nameRow);
    connect(m_nameField, &QLineEdit::textEdited, this, [this](const QString& text) { m_model.setName(text); });

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("workspaceEditScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* content = new QWidget(scroll);
    auto* form = new QVBoxLayout(content);
    form->setContentsMargins(0, 2, 8, 2);
    form->setSpacing(14);

    auto* fileBox = new QVBoxLayout;
    fileBox->setSpacing(4);
    m_fileCaption = new QLabel(content);
    m_fileCaption->setObjectName(QStringLiteral("workspaceEditFileCaption"));
    m_fileCaption->setFont(SheetLook::captionFont(m_textSize));
    setColour(m_fileCaption, SheetLook::secondaryText());
    m_filePath = new QLabel(content);
    m_filePath->setObjectName(QStringLiteral("workspaceEditFilePath"));
    m_filePath->setFont(SheetLook::captionFont(m_textSize));
    m_filePath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_filePath->setWordWrap(true);
    setColour(m_filePath, SheetLook::secondaryText());
    fileBox->addWidget(m_fileCaption);
    fileBox->addWidget(m_filePath);
    form->addLayout(fileBox);

    auto* agentBox = new QVBoxLayout;
    agentBox->setSpacing(8);
    m_bindCaption = new QLabel(content);
    m_bindCaption->setObjectName(QStringLiteral("workspaceEditBindCaption"));
    m_bindCaption->setFont(SheetLook::captionFont(m_textSize));
    setColour(m_bindCaption, SheetLook::secondaryText());
    agentBox->addWidget(m_bindCaption);
    for (const AgentType agent : m_model.agentChoices()) {
        auto* toggle = new QCheckBox(content);
        toggle->setObjectName(QStringLiteral("workspaceEditAgent_") + AgentTypes::rawValue(agent));
        agentBox->addWidget(toggle);
        m_agentToggles.insert(agent, toggle);
        connect(toggle, &QCheckBox::toggled, this,
                [this, agent](bool checked) { m_model.setAgentSelected(agent, checked); });
    }
    form->addLayout(agentBox);
    form->addStretch(1);
    scroll->setWidget(content);
    layout->addWidget(scroll, 1);

    // Below the scrolling part, so that a failure is seen without scrolling.
    m_errorLabel = new QLabel(this);
    m_errorLabel->setObjectName(QStringLiteral("workspaceEditError"));
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setFont(SheetLook::captionFont(m_textSize));
    setColour(m_errorLabel, SheetLook::errorText());
    layout->addWidget(m_errorLabel);

    m_conflictActions = new QWidget(this);
    m_conflictActions->setObjectName(QStringLiteral("workspaceEditConflictActions"));
    auto* conflictRow = new QHBoxLayout(m_conflictActions);
    conflictRow->setContentsMargins(0, 0, 0, 0);
    m_reloadButton = new QPushButton(m_conflictActions);
    m_reloadButton->setObjectName(QStringLiteral("workspaceEditReload"));
    m_reloadButton->setAutoDefault(false);
    m_saveAsNewButton = new QPushButton(m_conflictActions);
    m_saveAsNewButton->setObjectName(QStringLiteral("workspaceEditSaveAsNew"));
    m_saveAsNewButton->setAutoDefault(false);
    conflictRow->addWidget(m_reloadButton);
    conflictRow->addWidget(m_saveAsNewButton);
    conflictRow->addStretch(1);
    layout->addWidget(m_conflictActions);
    connect(m_reloadButton, &QPushButton::clicked, this, [this] { m_model.reloadDiskVersion(); });
    connect(m_saveAsNewButton, &QPushButton::clicked, this, [this] {
        if (m_model.saveAsNewWorkspace()) {
            finish();
        }
    });

    auto* buttons = new QHBoxLayout;
    m_cancelButton = new QPushButton(this);
    m_cancelButton->setObjectName(QStringLiteral("workspaceEditCancel"));
    m_cancelButton->setAutoDefault(false);
    m_saveButton = new QPushButton(this);
    m_saveButton->setObjectName(QStringLiteral("workspaceEditSave"));
    m_saveButton->setDefault(true);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    buttons->addWidget(m_saveButton);
    layout->addLayout(buttons);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { finish(); });
    connect(m_saveButton, &QPushButton::clicked, this, &WorkspaceEditSheet::submit);

    connect(&m_model, &WorkspaceEditModel::changed, this, &WorkspaceEditSheet::refresh);
    retranslate();
}

void WorkspaceEditSheet::retranslate() {
    const AppLanguage language = L10n::currentLanguage();
    const auto text = [language](const QString& key) { return L10n::string(key, language); };
    m_heading->setText(text(L10N("title.edit.workspace")));
    setAccessibleName(m_heading->text());
    setWindowTitle(m_heading->text());
    m_nameLabel->setText(text(L10N("field.workspace.name")));
    m_nameField->setAccessibleName(m_nameLabel->text());
    m_fileCaption->setText(text(L10N("field.config.file")));
    m_bindCaption->setText(text(L10N("field.bind.to.agent")));
    for (auto toggle = m_agentToggles.cbegin(); toggle != m_agentToggles.cend(); ++toggle) {
        toggle.value()->setText(AgentTypes::displayName(toggle.key(), language));
        toggle.value()->setAccessibleName(toggle.value()->text());
    }
    m_reloadButton->setText(text(L10N("action.reload.disk.version")));
    m_reloadButton->setAccessibleName(m_reloadButton->text());
    m_saveAsNewButton->setText(text(L10N("action.save.as.new.workspace")));
    m_saveAsNewButton->setAccessibleName(m_saveAsNewButton->text());
    m_cancelButton->setText(text(L10N("action.cancel")));
    m_cancelButton->setAccessibleName(m_cancelButton->text());
    m_saveButton->setText(text(L10N("action.save")));
    m_saveButton->setAccessibleName(m_saveButton->text());
    refresh();
}

void WorkspaceEditSheet::refresh() {
    if (m_nameField->text() != m_model.name()) {
        m_nameField->setText(m_model.name());
    }
    // The full path, elided in the middle when it needs more than two lines.
    const QString path = m_model.filePathText();
    const QFontMetrics metrics(m_filePath->font());
    const int available = std::max(200, m_filePath->width()) * 2 - metrics.averageCharWidth() * 4;
    m_filePath->setText(metrics.elidedText(path, Qt::ElideMiddle, available));
    m_filePath->setToolTip(path);
    m_filePath->setAccessibleName(path);
    for (auto toggle = m_agentToggles.cbegin(); toggle != m_agentToggles.cend(); ++toggle) {
        const QSignalBlocker blocker(toggle.value());
        toggle.value()->setChecked(m_model.isAgentSelected(toggle.key()));
    }
    const QString error = m_model.errorMessage().value_or(QString());
    m_errorLabel->setText(error);
    m_errorLabel->setAccessibleName(error);
    m_errorLabel->setVisible(!error.isEmpty());
    m_conflictActions->setVisible(m_model.showsConflictActions());
    m_reloadButton->setEnabled(!m_model.isReloading());
    m_saveAsNewButton->setEnabled(!m_model.isReloading());
    m_saveButton->setEnabled(m_model.canSave());
}

void WorkspaceEditSheet::finish() {
    // Dismissal is deferred: a second Return or click meanwhile must not act again.
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_host.dismiss(this);
}

void WorkspaceEditSheet::submit() {
    if (m_finished) {
        return;
    }
    if (m_model.save()) {
        finish();
    }
}

void WorkspaceEditSheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        finish();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        submit();
        return;
    }
    QWidget::keyPressEvent(event);
}
