#include "sheets/WorkspaceEditorSheet.h"

#include "services/SheetHost.h"
#include "store/PromptStore.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr QSize sheetSize(500, 440);
constexpr int agentListMaximumHeight = 300;

} // namespace

WorkspaceEditorSheet::WorkspaceEditorSheet(PromptStore& store, SheetHost& host,
                                           std::optional<AgentContext> bindingContext, QWidget* parent)
    : EditingSheetBase(host, SheetLook::textSize(*store.environment().defaults), QStringLiteral("workspaceEditorSheet"),
                       sheetSize, parent),
      m_model(store, std::move(bindingContext)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(14);

    addHeading(layout, QStringLiteral("workspaceEditorHeading"));

    m_nameField = new QLineEdit(this);
    m_nameField->setObjectName(QStringLiteral("workspaceEditorName"));
    layout->addWidget(m_nameField);
    connect(m_nameField, &QLineEdit::textEdited, this, [this](const QString& text) { m_model.setName(text); });

    QScrollArea* scroll = makeFormScroll(QStringLiteral("workspaceEditorAgents"));
    scroll->setMaximumHeight(agentListMaximumHeight);
    m_agentList = new QWidget(scroll);
    auto* list = new QVBoxLayout(m_agentList);
    list->setContentsMargins(0, 0, 8, 0);
    list->setSpacing(8);
    m_bindCaption = new QLabel(m_agentList);
    m_bindCaption->setObjectName(QStringLiteral("workspaceEditorBindCaption"));
    m_bindCaption->setFont(SheetLook::captionFont(textSize()));
    SheetLook::setTextColour(m_bindCaption, SheetLook::secondaryText());
    list->addWidget(m_bindCaption);
    m_agentToggles =
        addAgentToggles(list, m_agentList, QStringLiteral("workspaceEditorAgent_"), m_model.agentChoices(),
                        [this](AgentType agent, bool checked) { m_model.setAgentSelected(agent, checked); });
    list->addStretch(1);
    scroll->setWidget(m_agentList);
    layout->addWidget(scroll, 1);

    m_errorLabel = addErrorLabel(layout, QStringLiteral("workspaceEditorError"));
    std::tie(m_cancelButton, m_createButton) =
        addButtonRow(layout, QStringLiteral("workspaceEditorCancel"), QStringLiteral("workspaceEditorCreate"));

    connect(&m_model, &WorkspaceCreateModel::changed, this, &WorkspaceEditorSheet::refresh);
    retranslate();
    m_nameField->setFocus(Qt::OtherFocusReason);
}

void WorkspaceEditorSheet::retranslate() {
    const AppLanguage language = L10n::currentLanguage();
    setHeadingText(L10n::string(L10N("title.new.workspace"), language));
    m_nameField->setPlaceholderText(L10n::string(L10N("field.workspace.name.example"), language));
    m_nameField->setAccessibleName(m_nameField->placeholderText());
    m_bindCaption->setText(L10n::string(L10N("field.bind.to.agent"), language));
    retranslateAgentToggles(m_agentToggles, language);
    setButtonText(m_cancelButton, L10n::string(L10N("action.cancel"), language));
    setButtonText(m_createButton, L10n::string(L10N("action.create"), language));
    refresh();
}

void WorkspaceEditorSheet::refresh() {
    syncAgentToggles(m_agentToggles, [this](AgentType agent) { return m_model.isAgentSelected(agent); });
    // The workspace exists after a partly failed Create: its name can no longer change here.
    m_nameField->setReadOnly(m_model.createdWorkspace().has_value());
    m_createButton->setEnabled(m_model.canCreate());
    showError(m_errorLabel, m_model.errorMessage());
}
