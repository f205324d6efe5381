#include "sheets/WorkspaceEditorSheet.h"

#include "app/SheetHost.h"
#include "store/PromptStore.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
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
    : QWidget(parent), m_model(store, std::move(bindingContext)), m_host(host),
      m_textSize(SheetLook::textSize(*store.environment().defaults)) {
    setObjectName(QStringLiteral("workspaceEditorSheet"));
    SheetLook::styleCard(this);
    setFixedSize(sheetSize);
    setFont(SheetLook::baseFont(m_textSize));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(14);

    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("workspaceEditorHeading"));
    m_heading->setFont(SheetLook::headingFont(m_textSize));
    layout->addWidget(m_heading);

    m_nameField = new QLineEdit(this);
    m_nameField->setObjectName(QStringLiteral("workspaceEditorName"));
    layout->addWidget(m_nameField);
    connect(m_nameField, &QLineEdit::textEdited, this, [this](const QString& text) { m_model.setName(text); });

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("workspaceEditorAgents"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setMaximumHeight(agentListMaximumHeight);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_agentList = new QWidget(scroll);
    auto* list = new QVBoxLayout(m_agentList);
    list->setContentsMargins(0, 0, 8, 0);
    list->setSpacing(8);
    m_bindCaption = new QLabel(m_agentList);
    m_bindCaption->setObjectName(QStringLiteral("workspaceEditorBindCaption"));
    m_bindCaption->setFont(SheetLook::captionFont(m_textSize));
    QPalette captionPalette = m_bindCaption->palette();
    captionPalette.setColor(QPalette::WindowText, SheetLook::secondaryText());
    m_bindCaption->setPalette(captionPalette);
    list->addWidget(m_bindCaption);
    for (const AgentType agent : m_model.agentChoices()) {
        auto* toggle = new QCheckBox(m_agentList);
        toggle->setObjectName(QStringLiteral("workspaceEditorAgent_") + AgentTypes::rawValue(agent));
        list->addWidget(toggle);
        m_agentToggles.insert(agent, toggle);
        connect(toggle, &QCheckBox::toggled, this,
                [this, agent](bool checked) { m_model.setAgentSelected(agent, checked); });
    }
    list->addStretch(1);
    scroll->setWidget(m_agentList);
    layout->addWidget(scroll, 1);

    m_errorLabel = new QLabel(this);
    m_errorLabel->setObjectName(QStringLiteral("workspaceEditorError"));
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setFont(SheetLook::captionFont(m_textSize));
    QPalette errorPalette = m_errorLabel->palette();
    errorPalette.setColor(QPalette::WindowText, SheetLook::errorText());
    m_errorLabel->setPalette(errorPalette);
    layout->addWidget(m_errorLabel);

    auto* buttons = new QHBoxLayout;
    m_cancelButton = new QPushButton(this);
    m_cancelButton->setObjectName(QStringLiteral("workspaceEditorCancel"));
    m_cancelButton->setAutoDefault(false);
    m_createButton = new QPushButton(this);
    m_createButton->setObjectName(QStringLiteral("workspaceEditorCreate"));
    m_createButton->setDefault(true);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    buttons->addWidget(m_createButton);
    layout->addLayout(buttons);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { finish(); });
    connect(m_createButton, &QPushButton::clicked, this, &WorkspaceEditorSheet::submit);

    connect(&m_model, &WorkspaceCreateModel::changed, this, &WorkspaceEditorSheet::refresh);
    retranslate();
    m_nameField->setFocus(Qt::OtherFocusReason);
}

void WorkspaceEditorSheet::retranslate() {
    const AppLanguage language = L10n::currentLanguage();
    m_heading->setText(L10n::string(L10N("title.new.workspace"), language));
    setAccessibleName(m_heading->text());
    setWindowTitle(m_heading->text());
    m_nameField->setPlaceholderText(L10n::string(L10N("field.workspace.name.example"), language));
    m_nameField->setAccessibleName(m_nameField->placeholderText());
    m_bindCaption->setText(L10n::string(L10N("field.bind.to.agent"), language));
    for (auto toggle = m_agentToggles.cbegin(); toggle != m_agentToggles.cend(); ++toggle) {
        toggle.value()->setText(AgentTypes::displayName(toggle.key(), language));
        toggle.value()->setAccessibleName(toggle.value()->text());
    }
    m_cancelButton->setText(L10n::string(L10N("action.cancel"), language));
    m_cancelButton->setAccessibleName(m_cancelButton->text());
    m_createButton->setText(L10n::string(L10N("action.create"), language));
    m_createButton->setAccessibleName(m_createButton->text());
    refresh();
}

void WorkspaceEditorSheet::refresh() {
    for (auto toggle = m_agentToggles.cbegin(); toggle != m_agentToggles.cend(); ++toggle) {
        const QSignalBlocker blocker(toggle.value());
        toggle.value()->setChecked(m_model.isAgentSelected(toggle.key()));
    }
    // The workspace exists after a partly failed Create: its name can no longer change here.
    m_nameField->setReadOnly(m_model.createdWorkspace().has_value());
    m_createButton->setEnabled(m_model.canCreate());
    const QString error = m_model.errorMessage().value_or(QString());
    m_errorLabel->setText(error);
    m_errorLabel->setAccessibleName(error);
    m_errorLabel->setVisible(!error.isEmpty());
}

void WorkspaceEditorSheet::finish() {
    // Dismissal is deferred: a second Return or click meanwhile must not act again.
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_host.dismiss(this);
}

void WorkspaceEditorSheet::submit() {
    if (m_finished) {
        return;
    }
    if (m_model.create()) {
        finish();
    }
}

void WorkspaceEditorSheet::keyPressEvent(QKeyEvent* event) {
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
