#include "panel/tiles/PromptPanelLayoutPicker.h"

#include "panel/tiles/TileIcons.h"
#include "panel/tiles/TileLook.h"
#include "widgets/AccessibleText.h"

#include <QAbstractButton>
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
        setFocusPolicy(Qt::NoFocus);
        setCheckable(false);
    }
    void setCurrent(bool current) {
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

} // namespace

PromptPanelLayoutPicker::PromptPanelLayoutPicker(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("panelLayoutPicker"));
    int x = capsulePadding;
    for (PromptPanelLayoutMode mode : PromptPanelLayoutModes::allCases()) {
        auto* button = new LayoutButton(mode, this);
        button->setObjectName(QStringLiteral("panelLayout_") + PromptPanelLayoutModes::rawValue(mode));
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
        button->setProperty("accessibleValue", current ? L10n::string(L10N("prompt.selected"), language) : QString());
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
