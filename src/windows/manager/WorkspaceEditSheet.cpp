#include "windows/manager/WorkspaceEditSheet.h"

#include "services/SheetHost.h"
#include "store/PromptStore.h"
#include "widgets/OrrisHollowsStyle.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr QSize sheetSize(520, 460);

} // namespace

WorkspaceEditSheet::WorkspaceEditSheet(PromptStore& store, SheetHost& host, PromptWorkspace workspace, QWidget* parent)
    : EditingSheetBase(host, SheetLook::textSize(*store.environment().defaults), QStringLiteral("workspaceEditSheet"),
                       sheetSize, parent),
      m_model(store, std::move(workspace)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 18);
    layout->setSpacing(14);

    addHeading(layout, QStringLiteral("workspaceEditHeading"));

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

    QScrollArea* scroll = makeFormScroll(QStringLiteral("workspaceEditScroll"));
    auto* content = new QWidget(scroll);
    auto* form = new QVBoxLayout(content);
    form->setContentsMargins(0, 2, 8, 2);
    form->setSpacing(14);

    auto* fileBox = new QVBoxLayout;
    fileBox->setSpacing(4);
    m_fileCaption = new QLabel(content);
    m_fileCaption->setObjectName(QStringLiteral("workspaceEditFileCaption"));
    m_fileCaption->setFont(SheetLook::captionFont(textSize()));
    SheetLook::setTextColour(m_fileCaption, SheetLook::secondaryText());
    m_filePath = new QLabel(content);
    m_filePath->setObjectName(QStringLiteral("workspaceEditFilePath"));
    m_filePath->setFont(SheetLook::captionFont(textSize()));
    m_filePath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_filePath->setWordWrap(true);
    SheetLook::setTextColour(m_filePath, SheetLook::secondaryText());
    fileBox->addWidget(m_fileCaption);
    fileBox->addWidget(m_filePath);
    form->addLayout(fileBox);

    auto* agentBox = new QVBoxLayout;
    agentBox->setSpacing(8);
    m_bindCaption = new QLabel(content);
    m_bindCaption->setObjectName(QStringLiteral("workspaceEditBindCaption"));
    m_bindCaption->setFont(SheetLook::captionFont(textSize()));
    SheetLook::setTextColour(m_bindCaption, SheetLook::secondaryText());
    agentBox->addWidget(m_bindCaption);
    m_agentToggles =
        addAgentToggles(agentBox, content, QStringLiteral("workspaceEditAgent_"), m_model.agentChoices(),
                        [this](AgentType agent, bool checked) { m_model.setAgentSelected(agent, checked); });
    form->addLayout(agentBox);
    form->addStretch(1);
    scroll->setWidget(content);
    layout->addWidget(scroll, 1);

    // Below the scrolling part, so that a failure is seen without scrolling.
    m_errorLabel = addErrorLabel(layout, QStringLiteral("workspaceEditError"));

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
    OrrisHollowsStyle::setBrandLook(m_reloadButton, ButtonLook::Kind::secondary);
    OrrisHollowsStyle::setBrandLook(m_saveAsNewButton, ButtonLook::Kind::secondary);
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

    std::tie(m_cancelButton, m_saveButton) =
        addButtonRow(layout, QStringLiteral("workspaceEditCancel"), QStringLiteral("workspaceEditSave"));

    connect(&m_model, &WorkspaceEditModel::changed, this, &WorkspaceEditSheet::refresh);
    retranslate();
}

void WorkspaceEditSheet::retranslate() {
    const AppLanguage language = L10n::currentLanguage();
    const auto text = [language](const QString& key) { return L10n::string(key, language); };
    setHeadingText(text(L10N("title.edit.workspace")));
    m_nameLabel->setText(text(L10N("field.workspace.name")));
    m_nameField->setAccessibleName(m_nameLabel->text());
    m_fileCaption->setText(text(L10N("field.config.file")));
    m_bindCaption->setText(text(L10N("field.bind.to.agent")));
    retranslateAgentToggles(m_agentToggles, language);
    setButtonText(m_reloadButton, text(L10N("action.reload.disk.version")));
    setButtonText(m_saveAsNewButton, text(L10N("action.save.as.new.workspace")));
    setButtonText(m_cancelButton, text(L10N("action.cancel")));
    setButtonText(m_saveButton, text(L10N("action.save")));
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
    syncAgentToggles(m_agentToggles, [this](AgentType agent) { return m_model.isAgentSelected(agent); });
    showError(m_errorLabel, m_model.errorMessage());
    m_conflictActions->setVisible(m_model.showsConflictActions());
    m_reloadButton->setEnabled(!m_model.isReloading());
    m_saveAsNewButton->setEnabled(!m_model.isReloading());
    m_saveButton->setEnabled(m_model.canSave());
}
