#include "panel/tiles/PromptPanelLayoutPicker.h"

#include "panel/tiles/TileIcons.h"
#include "panel/tiles/TileLook.h"
#include "widgets/accessibility/AccessibleText.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QPainter>

namespace {

constexpr int buttonSide = 34;
constexpr int buttonSpacing = 2;
constexpr int capsulePadding = 2;

// One layout's round button; it paints its symbol and, when it is the current layout, a circle.
class LayoutButton final : public QAbstractButton {
public:
    LayoutButton(PromptPanelLayoutMode mode, QWidget* parent) : QAbstractButton(parent), m_mode(mode) {
        setFixedSize(buttonSide, buttonSide);
        // Reached with Tab and pressed with Space; checked while its layout is the current one.
        // Not auto-exclusive: Tab would then stop at the checked case only, and the arrow keys
        // that move between radio buttons belong to the tiles here.
        setObjectName(QStringLiteral("panelLayout_") + PromptPanelLayoutModes::rawValue(mode));
        setFocusPolicy(Qt::TabFocus);
        setCheckable(true);
    }
    void setCurrent(bool current) {
        if (isChecked() != current) {
            setChecked(current);
        }
        if (m_current != current) {
            m_current = current;
            update();
        }
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (m_current) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(TileLook::white(0.13));
            painter.drawEllipse(QRectF(rect()));
        }
        if (hasFocus()) {
            painter.setPen(QPen(TileLook::accent(), 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
        }
        const QColor color = TileLook::white(m_current ? 0.94 : 0.64);
        const QRectF icon(rect().center().x() - 5.5 + 0.5, rect().center().y() - 5.5 + 0.5, 11, 11);
        if (m_mode == PromptPanelLayoutMode::grid) {
            TileIcons::grid(painter, icon, color);
        } else {
            TileIcons::listBullets(painter, icon, color);
        }
    }

private:
    PromptPanelLayoutMode m_mode;
    bool m_current = false;
};

// A layout button as assistive technology sees it: one radio button of two, checked while its
// layout is the current one; pressing it picks the layout.
class LayoutButtonAccessible final : public QAccessibleWidget {
public:
    explicit LayoutButtonAccessible(QAbstractButton* button) : QAccessibleWidget(button, QAccessible::RadioButton) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        return state;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& actionName) override {
        if (actionName == pressAction()) {
            button()->click();
        }
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* layoutButtonFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QAbstractButton") && object != nullptr &&
        object->objectName().startsWith(QLatin1String("panelLayout_"))) {
        return new LayoutButtonAccessible(static_cast<QAbstractButton*>(object));
    }
    return nullptr;
}

} // namespace

PromptPanelLayoutPicker::PromptPanelLayoutPicker(QWidget* parent) : QWidget(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(layoutButtonFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setObjectName(QStringLiteral("panelLayoutPicker"));
    int x = capsulePadding;
    for (PromptPanelLayoutMode mode : PromptPanelLayoutModes::allCases()) {
        auto* button = new LayoutButton(mode, this);
        button->move(x, capsulePadding);
        x += buttonSide + buttonSpacing;
        connect(button, &QAbstractButton::clicked, this, [this, mode] {
            if (m_onChange) {
                m_onChange(mode);
            }
        });
        m_buttons.append(button);
    }
    setFixedSize(sizeHint());
    setSelection(PromptPanelLayoutMode::grid);
}

QSize PromptPanelLayoutPicker::sizeHint() const {
    const int count = int(PromptPanelLayoutModes::allCases().size());
    return QSize(2 * capsulePadding + count * buttonSide + (count - 1) * buttonSpacing,
                 2 * capsulePadding + buttonSide);
}

void PromptPanelLayoutPicker::setSelection(PromptPanelLayoutMode mode, std::optional<AppLanguage> language) {
    m_selection = mode;
    const QList<PromptPanelLayoutMode> modes = PromptPanelLayoutModes::allCases();
    for (qsizetype i = 0; i < modes.size(); ++i) {
        auto* button = static_cast<LayoutButton*>(m_buttons[i]);
        const bool current = modes[i] == mode;
        button->setCurrent(current);
        const QString title = PromptPanelLayoutModes::accessibilityTitle(modes[i], language);
        AccessibleText::setName(button, title);
        button->setToolTip(title);
        // The bus reads no text values: the "Selected" value is the description.
        const QString value = current ? L10n::string(L10N("prompt.selected"), language) : QString();
        button->setProperty("accessibleValue", value);
        AccessibleText::setDescription(button, value);
    }
}

void PromptPanelLayoutPicker::setOnChange(std::function<void(PromptPanelLayoutMode)> onChange) {
    m_onChange = std::move(onChange);
}

QAbstractButton* PromptPanelLayoutPicker::button(PromptPanelLayoutMode mode) const {
    return m_buttons.value(PromptPanelLayoutModes::allCases().indexOf(mode));
}

void PromptPanelLayoutPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(TileLook::white(0.075));
    const qreal radius = height() / 2.0;
    painter.drawRoundedRect(QRectF(rect()), radius, radius);
}
