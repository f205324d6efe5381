#include "sheets/PromptEditorSheet.h"

#include "model/environment/AppLanguageStore.h"
#include "services/SheetHost.h"
#include "sheets/AgentChoices.h"
#include "store/PromptStore.h"
#include "widgets/ShortcutRecorderButton.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr QSize sheetSize(520, 560);
constexpr int bodyHeight = 150;

} // namespace

PromptEditorSheet::PromptEditorSheet(PromptStore& store, AppLanguageStore& languageStore, SheetHost& host,
                                     AgentContext context, QString targetWorkspaceID,
                                     std::optional<PromptItem> editingPrompt, HotKeySuspending* suspending,
                                     QWidget* parent)
    : EditingSheetBase(host, SheetLook::textSize(*store.environment().defaults), QStringLiteral("promptEditorSheet"),
                       sheetSize, parent),
      m_model(store, std::move(context), std::move(targetWorkspaceID), std::move(editingPrompt)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 18);
    layout->setSpacing(14);

    addHeading(layout, QStringLiteral("promptEditorHeading"));

    QScrollArea* scroll = makeFormScroll(QStringLiteral("promptEditorScroll"));
    auto* content = new QWidget(scroll);
    content->setObjectName(QStringLiteral("promptEditorContent"));
    content->setAutoFillBackground(false);
    auto* form = new QVBoxLayout(content);
    form->setContentsMargins(0, 0, 8, 0);
    form->setSpacing(14);
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);
    layout->addWidget(scroll, 1);

    // Workspace.
    m_workspaceLabel = makeCaption(content, QStringLiteral("promptEditorWorkspaceLabel"));
    m_workspacePicker = new QComboBox(content);
    m_workspacePicker->setObjectName(QStringLiteral("promptEditorWorkspacePicker"));
    m_workspaceLabel->setBuddy(m_workspacePicker);
    auto* workspaceRow = new QVBoxLayout;
    workspaceRow->setSpacing(4);
    workspaceRow->addWidget(m_workspaceLabel);
    workspaceRow->addWidget(m_workspacePicker);
    form->addLayout(workspaceRow);
    connect(m_workspacePicker, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_refreshing) {
            m_model.setSelectedTargetWorkspaceID(m_workspacePicker->currentData().toString());
        }
    });

    // A field header: the title above its help line.
    const auto header = [this, content](QLabel*& title, QLabel*& help, const QString& name) {
        auto* box = new QVBoxLayout;
        box->setSpacing(2);
        title = makeCaption(content, name + QStringLiteral("Title"));
        title->setFont(SheetLook::captionFont(textSize(), true));
        help = new QLabel(content);
        help->setObjectName(name + QStringLiteral("Help"));
        help->setWordWrap(true);
        help->setFont(SheetLook::captionFont(textSize()));
        SheetLook::setTextColour(help, SheetLook::secondaryText());
        box->addWidget(title);
        box->addWidget(help);
        return box;
    };

    // Agent.
    auto* agentBox = header(m_agentTitle, m_agentHelp, QStringLiteral("promptEditorAgent"));
    m_agentPicker = new QComboBox(content);
    m_agentPicker->setObjectName(QStringLiteral("promptEditorAgentPicker"));
    m_agentTitle->setBuddy(m_agentPicker);
    agentBox->addWidget(m_agentPicker);
    form->addLayout(agentBox);
    connect(m_agentPicker, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_refreshing) {
            m_model.setSelectedAgent(m_agentPicker->currentData().value<AgentType>());
        }
    });

    // Title.
    auto* titleBox = header(m_titleTitle, m_titleHelp, QStringLiteral("promptEditorTitleField"));
    m_titleField = new QLineEdit(content);
    m_titleField->setObjectName(QStringLiteral("promptEditorTitle"));
    m_titleField->setText(m_model.title());
    m_titleTitle->setBuddy(m_titleField);
    titleBox->addWidget(m_titleField);
    form->addLayout(titleBox);
    connect(m_titleField, &QLineEdit::textEdited, this, [this](const QString& text) { m_model.setTitle(text); });

    // Group, with the menu of the workspace's existing groups.
    auto* groupBox = header(m_groupTitle, m_groupHelp, QStringLiteral("promptEditorGroupField"));
    auto* groupRow = new QHBoxLayout;
    groupRow->setSpacing(8);
    m_groupField = new QLineEdit(content);
    m_groupField->setObjectName(QStringLiteral("promptEditorGroup"));
    m_groupField->setText(m_model.group());
    m_groupTitle->setBuddy(m_groupField);
    m_groupMenuButton = new QToolButton(content);
    m_groupMenuButton->setObjectName(QStringLiteral("promptEditorGroupMenu"));
    m_groupMenuButton->setArrowType(Qt::DownArrow);
    m_groupMenuButton->setPopupMode(QToolButton::InstantPopup);
    m_groupMenuButton->setFixedSize(32, 28);
    m_groupMenuButton->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0px; }"));
    m_groupMenuButton->setMenu(new QMenu(m_groupMenuButton));
    groupRow->addWidget(m_groupField, 1);
    groupRow->addWidget(m_groupMenuButton);
    groupBox->addLayout(groupRow);
    form->addLayout(groupBox);
    connect(m_groupField, &QLineEdit::textEdited, this, [this](const QString& text) { m_model.setGroup(text); });
    connect(m_groupMenuButton->menu(), &QMenu::triggered, this, [this](QAction* action) {
        m_model.setGroup(action->data().toString());
        m_groupField->setText(m_model.group());
    });

    // Shortcut.
    auto* shortcutRow = new QHBoxLayout;
    shortcutRow->setSpacing(12);
    m_shortcutLabel = makeCaption(content, QStringLiteral("promptEditorShortcutLabel"));
    ShortcutRecorderButton::Options options;
    options.titleKey = L10N("shortcut.record.none");
    options.recordHelpKey = L10N("shortcut.record.help");
    options.invalidMessageKey = L10N("shortcut.record.invalid");
    options.minimumWidth = 160;
    options.allowsClear = true;
    options.textSize = textSize();
    m_recorder = new ShortcutRecorderButton(
        RecorderState::forValue<PromptKeyboardShortcut>(
            [this] { return m_model.shortcut(); },
            [](const PromptKeyboardShortcut& shortcut) { return shortcut.displayString(); },
            [](const KeyEventInfo& key) { return PromptKeyboardShortcut::fromEvent(key); },
            [this](const std::optional<PromptKeyboardShortcut>& shortcut) { m_model.setShortcut(shortcut); }),
        options, suspending, content);
    shortcutRow->addWidget(m_shortcutLabel);
    shortcutRow->addWidget(m_recorder, 1);
    form->addLayout(shortcutRow);

    // Body.
    auto* bodyBox = header(m_bodyTitle, m_bodyHelp, QStringLiteral("promptEditorBodyField"));
    bodyBox->setSpacing(6);
    m_bodyEditor = new QPlainTextEdit(content);
    m_bodyEditor->setObjectName(QStringLiteral("promptEditorBody"));
    m_bodyEditor->setPlainText(m_model.text());
    m_bodyEditor->setFixedHeight(bodyHeight);
    m_bodyEditor->setTabChangesFocus(true);
    m_bodyEditor->setStyleSheet(
        QStringLiteral("QPlainTextEdit { background-color: %1; border: 1px solid %2; border-radius: 8px; "
                       "padding: 7px 4px; } QPlainTextEdit:focus { border: 2px solid %3; }")
            .arg(SheetLook::fieldBackground().name(), SheetLook::border().name(), SheetLook::accent().name()));
    m_bodyTitle->setBuddy(m_bodyEditor);
    bodyBox->addWidget(m_bodyEditor);
    form->addLayout(bodyBox);
    form->addStretch(1);
    connect(m_bodyEditor, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_refreshing) {
            m_model.setText(m_bodyEditor->toPlainText());
        }
    });

    // The outcome of a failed save.
    m_errorLabel = addErrorLabel(layout, QStringLiteral("promptEditorError"));
    std::tie(m_cancelButton, m_saveButton) =
        addButtonRow(layout, QStringLiteral("promptEditorCancel"), QStringLiteral("promptEditorSave"));

    setTabOrder(m_workspacePicker, m_agentPicker);
    setTabOrder(m_agentPicker, m_titleField);
    setTabOrder(m_titleField, m_groupField);
    setTabOrder(m_groupField, m_groupMenuButton);
    setTabOrder(m_groupMenuButton, m_recorder->recordButton());
    if (m_recorder->clearButton() != nullptr) {
        setTabOrder(m_recorder->recordButton(), m_recorder->clearButton());
        setTabOrder(m_recorder->clearButton(), m_bodyEditor);
    } else {
        setTabOrder(m_recorder->recordButton(), m_bodyEditor);
    }
    setTabOrder(m_bodyEditor, m_cancelButton);
    setTabOrder(m_cancelButton, m_saveButton);

    connect(&m_model, &PromptEditorModel::changed, this, &PromptEditorSheet::refresh);
    connect(&m_model, &PromptEditorModel::workspacesChanged, this, &PromptEditorSheet::rebuildPickers);
    connect(&languageStore, &AppLanguageStore::selectionChanged, this, &PromptEditorSheet::retranslate);
    retranslate();
}

QLabel* PromptEditorSheet::makeCaption(QWidget* parent, const QString& objectName) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setFont(SheetLook::captionFont(textSize(), true));
    return label;
}

void PromptEditorSheet::retranslate() {
    const AppLanguage language = L10n::currentLanguage();
    const auto text = [language](const QString& key) { return L10n::string(key, language); };
    setHeadingText(text(m_model.isEditing() ? L10N("title.edit.prompt") : L10N("title.new.prompt")));
    m_workspaceLabel->setText(text(L10N("field.save.to.workspace")));
    m_workspacePicker->setAccessibleName(m_workspaceLabel->text());
    m_agentTitle->setText(text(L10N("field.agent")));
    m_agentHelp->setText(text(L10N("field.agent.help")));
    m_agentPicker->setAccessibleName(m_agentTitle->text());
    m_titleTitle->setText(text(L10N("field.title")));
    m_titleHelp->setText(text(L10N("field.title.help")));
    m_titleField->setPlaceholderText(text(L10N("field.title.placeholder")));
    m_titleField->setAccessibleName(m_titleTitle->text());
    m_groupTitle->setText(text(L10N("field.group")));
    m_groupHelp->setText(text(L10N("field.group.help")));
    m_groupField->setPlaceholderText(text(L10N("field.group.placeholder")));
    m_groupField->setAccessibleName(m_groupTitle->text());
    m_groupMenuButton->setToolTip(text(L10N("field.group.choose.existing")));
    m_groupMenuButton->setAccessibleName(text(L10N("field.group.choose.existing")));
    m_shortcutLabel->setText(text(L10N("field.prompt.shortcut")));
    m_bodyTitle->setText(text(L10N("field.prompt.body")));
    m_bodyHelp->setText(text(L10N("field.prompt.body.help")));
    m_bodyEditor->setAccessibleName(m_bodyTitle->text());
    setButtonText(m_cancelButton, text(L10N("action.cancel")));
    setButtonText(m_saveButton, text(L10N("action.save")));
    m_recorder->refresh();
    rebuildPickers();
}

void PromptEditorSheet::refresh() {
    m_refreshing = true;

    m_workspacePicker->setCurrentIndex(std::max(0, m_workspacePicker->findData(m_model.selectedTargetWorkspaceID())));
    m_agentPicker->setCurrentIndex(std::max(0, m_agentPicker->findData(QVariant::fromValue(m_model.selectedAgent()))));

    if (m_groupField->text() != m_model.group()) {
        m_groupField->setText(m_model.group());
    }
    // Rebuilt only when the list differs: a choice from the menu lands here while its action runs.
    const QStringList groups = m_model.availableGroups();
    if (groups != m_menuGroups) {
        m_menuGroups = groups;
        QMenu* menu = m_groupMenuButton->menu();
        menu->clear();
        for (const QString& group : groups) {
            menu->addAction(group)->setData(group);
        }
    }
    m_groupMenuButton->setEnabled(!groups.isEmpty());

    m_recorder->refresh();
    m_saveButton->setEnabled(m_model.canSave());
    showError(m_errorLabel, m_model.errorMessage());
    m_refreshing = false;
}

void PromptEditorSheet::rebuildPickers() {
    const AppLanguage language = L10n::currentLanguage();
    const bool wasRefreshing = m_refreshing;
    m_refreshing = true;
    // Workspace picker: "none", then the user workspaces. A preselected id the list does not hold
    // (a project workspace, say) stays the model's choice; the picker then shows "none".
    m_workspacePicker->clear();
    m_workspacePicker->addItem(L10n::string(L10N("common.select.placeholder"), language), QString());
    for (const PromptEditorModel::WorkspaceChoice& choice : m_model.workspaceChoices()) {
        m_workspacePicker->addItem(choice.name, choice.id);
    }
    m_workspacePicker->setEnabled(!m_model.isEditing());

    m_agentPicker->clear();
    m_agentPicker->addItem(L10n::string(L10N("agent.any"), language), QVariant::fromValue(AgentType::unknown));
    for (const AgentType agent : AgentChoices::bindable(language)) {
        m_agentPicker->addItem(AgentTypes::displayName(agent, language), QVariant::fromValue(agent));
    }

    m_refreshing = wasRefreshing;
    refresh();
}

bool PromptEditorSheet::returnSubmits() const {
    return !m_bodyEditor->hasFocus();
}
