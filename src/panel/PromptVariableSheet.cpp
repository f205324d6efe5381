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
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QString text(const char* key) {
    return L10n::string(QString::fromLatin1(key), std::nullopt);
}

QLabel* captionLabel(const QString& content, QWidget* parent, const QColor& colour, bool wraps = true) {
    auto* label = new QLabel(content, parent);
    InterfaceEnvironment::setTextStyle(label, PromptPanelTextSizes::TextStyle::caption);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setWordWrap(wraps);
    return label;
}

constexpr int sheetPadding = 20;
constexpr int sheetSpacing = 16;
constexpr int blockSpacing = 5;
constexpr int rowSpacing = 14;
constexpr int nameRowSpacing = 4;
// The list keeps this much room at its right, beside a scroll bar.
constexpr int listRightMargin = 4;

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
    layout->setContentsMargins(sheetPadding, sheetPadding, sheetPadding, sheetPadding);
    layout->setSpacing(sheetSpacing);

    auto* title = new QLabel(text("prompt.variable.title"), this);
    title->setObjectName(QStringLiteral("variableSheetTitle"));
    m_title = title;
    layout->addWidget(title);
    m_help = captionLabel(text("prompt.variable.help"), this, secondaryText);
    layout->addWidget(m_help);

    auto* scroll = new QScrollArea(this);
    m_scroll = scroll;
    scroll->setObjectName(QStringLiteral("variableList"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The sheet is as wide as its rows need, so the list never scrolls sideways.
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Only a container: Tab goes from field to field, and the list follows the focused one.
    scroll->setFocusPolicy(Qt::NoFocus);
    QPalette clear = scroll->palette();
    clear.setColor(QPalette::Window, Qt::transparent);
    scroll->setPalette(clear);
    scroll->viewport()->setAutoFillBackground(false);
    auto* list = new QWidget(scroll);
    list->setAutoFillBackground(false);
    auto* rows = new QVBoxLayout(list);
    rows->setContentsMargins(0, 0, listRightMargin, 0);
    rows->setSpacing(rowSpacing);
    for (const PromptVariable& variable : form.variables) {
        auto* block = new QVBoxLayout();
        block->setSpacing(blockSpacing);
        auto* nameRow = new QHBoxLayout();
        nameRow->setSpacing(nameRowSpacing);
        auto* name = new QLabel(variable.name, list);
        name->setObjectName(QStringLiteral("variableName"));
        name->setTextFormat(Qt::PlainText);
        // The card's style sheet keeps the inherited font from reaching it: it says its size itself.
        InterfaceEnvironment::setTextStyle(name, PromptPanelTextSizes::TextStyle::body);
        nameRow->addWidget(name);
        QLabel* tag = nullptr;
        if (VariableFormModel::isRequired(variable)) {
            // On one line beside the name: the tag is a word, never broken or cut.
            tag = captionLabel(text("prompt.variable.required"), list, secondaryText, false);
            tag->setObjectName(QStringLiteral("variableRequiredTag"));
            nameRow->addWidget(tag);
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
        m_rows.append(Row{name, tag, field, error});
        rows->addLayout(block);
    }
    rows->addStretch(1);
    scroll->setWidget(list);
    layout->addWidget(scroll, 1);

    auto* buttons = new QHBoxLayout();
    m_buttons = buttons;
    buttons->addStretch(1);
    auto* cancel = new QPushButton(text("action.cancel"), this);
    m_cancelButton = cancel;
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
    // Their titles are drawn in their own fonts, which the card's style sheet keeps from following
    // the sheet's.
    InterfaceEnvironment::setTextStyle(cancel, PromptPanelTextSizes::TextStyle::body);
    InterfaceEnvironment::setTextStyle(m_copyButton, PromptPanelTextSizes::TextStyle::body);
    connect(m_copyButton, &QPushButton::clicked, this, &PromptVariableSheet::confirm);
    buttons->addWidget(m_copyButton);
    layout->addLayout(buttons);

    setTabOrder(cancel, m_copyButton);
}

QSize PromptVariableSheet::sizeHint() const {
    // The designed frame at the system size; at a larger text size (or with a long variable name)
    // the content asks for more, and gets it, up to a cap that grows with the text size, past which
    // the list scrolls. Measured from the controls themselves, not from the layouts: a host asks
    // before the sheet is first shown, when the layouts have not yet seen the fonts of its size.
    ensurePolished();
    const int count = int(m_model.form().variables.size());
    const PromptPanelTextSize size = InterfaceEnvironment::textSize(this);
    const int cap =
        int(std::lround(double(VariableFormModel::maximumSheetHeight) * PromptPanelTextSizes::basePixelSize(size) /
                        PromptPanelTextSizes::basePixelSize(PromptPanelTextSize::system)));
    int rowsWidth = 0;
    for (const Row& row : m_rows) {
        const int tag = row.tag != nullptr ? nameRowSpacing + row.tag->sizeHint().width() : 0;
        rowsWidth = std::max(rowsWidth, row.name->sizeHint().width() + tag + listRightMargin);
    }
    const int buttonsWidth =
        m_cancelButton->sizeHint().width() + m_buttons->spacing() + m_copyButton->sizeHint().width();
    const int inner = std::max({m_title->sizeHint().width(), buttonsWidth, rowsWidth});
    int width = std::max(sheetWidth, 2 * sheetPadding + inner);
    int height = std::max(VariableFormModel::sheetHeight(count), contentHeight(width));
    if (height > cap) {
        height = cap;
        // The list scrolls: its bar takes its width beside the rows, not from them.
        width = std::max(width, 2 * sheetPadding + rowsWidth +
                                    style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll));
    }
    return QSize(width, height);
}

int PromptVariableSheet::contentHeight(int width) const {
    const int inner = width - 2 * sheetPadding;
    const int rowsWidth = inner - listRightMargin;
    // Every row with its error line shown, so a refused copy does not make the list scroll.
    int list = 0;
    for (const Row& row : m_rows) {
        const int nameRow =
            std::max(row.name->sizeHint().height(), row.tag != nullptr ? row.tag->sizeHint().height() : 0);
        list += nameRow + blockSpacing + row.field->sizeHint().height() + blockSpacing +
                row.error->heightForWidth(rowsWidth);
    }
    list += rowSpacing * std::max(int(m_rows.size()) - 1, 0);
    const int buttons = std::max(m_cancelButton->sizeHint().height(), m_copyButton->sizeHint().height());
    return 2 * sheetPadding + m_title->sizeHint().height() + sheetSpacing + m_help->heightForWidth(inner) +
           sheetSpacing + list + sheetSpacing + buttons;
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

void PromptVariableSheet::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        // The title steps with the base font the text size gives the sheet.
        QFont titleFont = font();
        titleFont.setPixelSize(PromptPanelTextSizes::basePixelSize(InterfaceEnvironment::textSize(this)) + 4);
        titleFont.setBold(true);
        m_title->setFont(titleFont);
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

void PromptVariableSheet::showEvent(QShowEvent* event) {
    // The sheet is a root of the interface text size: it takes the size of the window that shows
    // it (the setting is read there), for its fields, labels and title alike.
    applyInterfaceTextSize(this, InterfaceEnvironment::textSize(parentWidget() != nullptr ? parentWidget() : this));
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
