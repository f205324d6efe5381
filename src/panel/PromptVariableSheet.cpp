#include "panel/PromptVariableSheet.h"

#include "widgets/accessibility/AccessibleText.h"
#include "widgets/accessibility/ModalSheetAccessible.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/OrrisHollowsStyle.h"
#include "widgets/SheetLook.h"

#include "model/Localization.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString text(const char* key) {
    return L10n::string(QString::fromLatin1(key), std::nullopt);
}

QLabel* captionLabel(const QString& content, QWidget* parent, const QColor& colour) {
    auto* label = new QLabel(content, parent);
    InterfaceEnvironment::setTextStyle(label, PromptPanelTextSizes::TextStyle::caption);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setWordWrap(true);
    return label;
}

const QColor secondaryText(200, 200, 210);
const QColor errorText(255, 105, 97);

} // namespace

PromptVariableSheet::PromptVariableSheet(const PromptVariableForm& form, VariableFormModel::Confirm onConfirm,
                                         std::function<void()> onCancel, QWidget* parent)
    : QWidget(parent), m_model(form, std::move(onConfirm)), m_onCancel(std::move(onCancel)) {
    setObjectName(QStringLiteral("variableSheet"));
    ModalSheetAccessible::mark(this);
    AccessibleText::setName(this, text("prompt.variable.title"));
    AccessibleText::setDescription(this, text("prompt.variable.help"));
    SheetLook::styleCard(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);

    auto* title = new QLabel(text("prompt.variable.title"), this);
    title->setObjectName(QStringLiteral("variableSheetTitle"));
    m_title = title;
    layout->addWidget(title);
    layout->addWidget(captionLabel(text("prompt.variable.help"), this, secondaryText));

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("variableList"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Only a container: Tab goes from field to field, and the list follows the focused one.
    scroll->setFocusPolicy(Qt::NoFocus);
    QPalette clear = scroll->palette();
    clear.setColor(QPalette::Window, Qt::transparent);
    scroll->setPalette(clear);
    scroll->viewport()->setAutoFillBackground(false);
    auto* list = new QWidget(scroll);
    list->setAutoFillBackground(false);
    auto* rows = new QVBoxLayout(list);
    rows->setContentsMargins(0, 0, 4, 0);
    rows->setSpacing(14);
    for (const PromptVariable& variable : form.variables) {
        auto* block = new QVBoxLayout();
        block->setSpacing(5);
        auto* nameRow = new QHBoxLayout();
        nameRow->setSpacing(4);
        auto* name = new QLabel(variable.name, list);
        name->setTextFormat(Qt::PlainText);
        nameRow->addWidget(name);
        if (VariableFormModel::isRequired(variable)) {
            nameRow->addWidget(captionLabel(text("prompt.variable.required"), list, secondaryText));
        }
        nameRow->addStretch(1);
        block->addLayout(nameRow);

        auto* field = new QLineEdit(list);
        field->setObjectName(QStringLiteral("variableField_") + variable.normalizedName);
        field->setPlaceholderText(variable.name);
        InterfaceEnvironment::setTextStyle(field, PromptPanelTextSizes::TextStyle::body);
        AccessibleText::setName(field, variable.name);
        AccessibleText::setDescription(field, VariableFormModel::isRequired(variable)
                                                  ? text("prompt.variable.required.hint")
                                                  : text("prompt.variable.optional.hint"));
        field->setText(m_model.value(variable.normalizedName));
        const QString key = variable.normalizedName;
        connect(field, &QLineEdit::textEdited, this, [this, key](const QString& value) {
            m_model.setValue(key, value);
            render();
        });
        block->addWidget(field);
        m_fields.insert(key, field);

        QLabel* error = captionLabel(text("prompt.variable.required.error"), list, errorText);
        AccessibleText::setName(error, variable.name + QStringLiteral(": ") + text("prompt.variable.required.error"));
        error->hide();
        block->addWidget(error);
        m_errors.insert(key, error);
        rows->addLayout(block);
    }
    rows->addStretch(1);
    scroll->setWidget(list);
    layout->addWidget(scroll, 1);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    auto* cancel = new QPushButton(text("action.cancel"), this);
    cancel->setObjectName(QStringLiteral("variableCancel"));
    AccessibleText::setName(cancel, text("action.cancel"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [this] {
        if (m_onCancel) {
            m_onCancel();
        }
    });
    buttons->addWidget(cancel);
    m_copyButton = new QPushButton(text("prompt.variable.copy"), this);
    m_copyButton->setObjectName(QStringLiteral("variableCopy"));
    AccessibleText::setName(m_copyButton, text("prompt.variable.copy"));
    AccessibleText::setDescription(m_copyButton, text("prompt.variable.copy.hint"));
    m_copyButton->setDefault(true);
    OrrisHollowsStyle::setBrandLook(cancel, ButtonLook::Kind::secondary);
    OrrisHollowsStyle::setBrandLook(m_copyButton, ButtonLook::Kind::primary);
    connect(m_copyButton, &QPushButton::clicked, this, &PromptVariableSheet::confirm);
    buttons->addWidget(m_copyButton);
    layout->addLayout(buttons);

    setTabOrder(cancel, m_copyButton);
}

QSize PromptVariableSheet::sizeHint() const {
    return QSize(sheetWidth, VariableFormModel::sheetHeight(int(m_model.form().variables.size())));
}

void PromptVariableSheet::confirm() {
    m_model.confirmOnce();
    render();
    focusModelField();
}

void PromptVariableSheet::render() {
    for (auto it = m_errors.cbegin(); it != m_errors.cend(); ++it) {
        it.value()->setVisible(m_model.isMissing(it.key()));
    }
    m_copyButton->setEnabled(!m_model.isSubmitting());
}

void PromptVariableSheet::focusModelField() {
    if (const std::optional<QString>& name = m_model.focusedName()) {
        if (QLineEdit* field = m_fields.value(*name)) {
            field->setFocus(Qt::OtherFocusReason);
        }
    }
}

void PromptVariableSheet::showEvent(QShowEvent* event) {
    // The sheet is a root of the interface text size: it takes the size of the window that shows
    // it (the setting is read there), for its fields, labels and title alike.
    const PromptPanelTextSize size = InterfaceEnvironment::textSize(parentWidget() != nullptr ? parentWidget() : this);
    applyInterfaceTextSize(this, size);
    QFont titleFont = font();
    titleFont.setPixelSize(PromptPanelTextSizes::basePixelSize(size) + 4);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    QWidget::showEvent(event);
    // After the host has placed the sheet, so the field really takes the keyboard.
    QTimer::singleShot(0, this, &PromptVariableSheet::focusModelField);
}

void PromptVariableSheet::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        confirm();
        event->accept();
        return;
    case Qt::Key_Escape:
        if (m_onCancel) {
            m_onCancel();
        }
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
