#include "panel/header/WorkspacePickerView.h"

#include "model/Localization.h"
#include "store/PromptStore.h"
#include "widgets/accessibility/AccessibleText.h"
#include "widgets/BrandButton.h"
#include "widgets/IslandDesignTokens.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int captionPixels = 11;

// The bound form's menu: the workspace in use and a chevron in a capsule.
class CapsuleMenuButton final : public QPushButton {
public:
    explicit CapsuleMenuButton(QWidget* parent) : QPushButton(parent) {
        setFixedHeight(28);
        QFont font = this->font();
        font.setPixelSize(captionPixels);
        font.setWeight(QFont::DemiBold);
        setFont(font);
        setCursor(Qt::PointingHandCursor);
    }
    // Rounded up, with a pixel to spare: a name that fits is never drawn cut short.
    QSize sizeHint() const override {
        const int title = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text()))) + 1;
        return {qMin(title, 260) + 20 + 8 + 10, 28};
    }
    QSize minimumSizeHint() const override { return {60, 28}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        shape.addRoundedRect(box, box.height() / 2, box.height() / 2);
        painter.fillPath(shape, IslandDesignTokens::white(0.095));
        painter.setPen(QPen(IslandDesignTokens::Brand::border, 1));
        painter.drawPath(shape);
        const qreal opacity = isEnabled() ? 1.0 : 0.6;
        const QRectF textBox(10, 0, width() - 10 - 8 - 10 - 10, height());
        painter.setPen(IslandDesignTokens::white(0.9 * opacity));
        painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft,
                         QFontMetricsF(font()).elidedText(text(), Qt::ElideRight, textBox.width()));
        painter.setPen(QPen(IslandDesignTokens::white(0.72 * opacity), 1.6, Qt::SolidLine, Qt::RoundCap));
        const qreal x = width() - 10 - 5;
        const qreal y = height() / 2.0;
        painter.drawLine(QPointF(x - 3.5, y - 1.8), QPointF(x, y + 1.8));
        painter.drawLine(QPointF(x, y + 1.8), QPointF(x + 3.5, y - 1.8));
    }
};

BrandButton* actionButton(const QString& objectName, QWidget* parent) {
    auto* button = new BrandButton(ButtonLook::Kind::panelAction, QString(), parent);
    button->setObjectName(objectName);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

WorkspacePickerView::WorkspacePickerView(PromptStore& store, QWidget* parent) : QWidget(parent), m_store(store) {
    setObjectName(QStringLiteral("workspacePicker"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("workspacePickerHint"));
    m_hint->setWordWrap(true);
    QFont caption = m_hint->font();
    caption.setPixelSize(captionPixels);
    m_hint->setFont(caption);
    QPalette hintPalette = m_hint->palette();
    hintPalette.setColor(QPalette::WindowText, IslandDesignTokens::white(0.72));
    m_hint->setPalette(hintPalette);
    layout->addWidget(m_hint);

    m_unboundRow = new QWidget(this);
    auto* unbound = new QHBoxLayout(m_unboundRow);
    unbound->setContentsMargins(0, 0, 0, 0);
    unbound->setSpacing(8);
    m_bindButton = actionButton(QStringLiteral("pickerBindButton"), m_unboundRow);
    m_createButton = actionButton(QStringLiteral("pickerCreateButton"), m_unboundRow);
    m_settingsButton = actionButton(QStringLiteral("pickerSettingsButton"), m_unboundRow);
    connect(m_bindButton, &QAbstractButton::clicked, this, [this] { openMenu(m_bindButton); });
    connect(m_createButton, &QAbstractButton::clicked, this, [this] {
        if (onCreateAndBindWorkspace) {
            onCreateAndBindWorkspace();
        }
    });
    connect(m_settingsButton, &QAbstractButton::clicked, this, [this] {
        if (onOpenSettings) {
            onOpenSettings();
        }
    });
    // Each button gets the width its label needs first and a share of what is left, so a long
    // label ("Bind to Workspace…") is not cut to a third of the row.
    unbound->addWidget(m_bindButton);
    unbound->addWidget(m_createButton);
    unbound->addWidget(m_settingsButton);
    layout->addWidget(m_unboundRow);

    m_boundRow = new QWidget(this);
    auto* bound = new QHBoxLayout(m_boundRow);
    bound->setContentsMargins(0, 0, 0, 0);
    bound->setSpacing(8);
    m_caption = new QLabel(m_boundRow);
    m_caption->setObjectName(QStringLiteral("workspacePickerCaption"));
    m_caption->setFont(caption);
    QPalette captionPalette = m_caption->palette();
    captionPalette.setColor(QPalette::WindowText, IslandDesignTokens::white(0.64));
    m_caption->setPalette(captionPalette);
    m_menuButton = new CapsuleMenuButton(m_boundRow);
    m_menuButton->setObjectName(QStringLiteral("workspacePickerMenuButton"));
    connect(m_menuButton, &QPushButton::clicked, this, [this] { openMenu(m_menuButton); });
    bound->addWidget(m_caption);
    bound->addWidget(m_menuButton, 0);
    bound->addStretch(1);
    layout->addWidget(m_boundRow);
    refresh(m_context);
}

WorkspacePickerView::~WorkspacePickerView() {
    delete m_menu;
}

void WorkspacePickerView::refresh(const AgentContext& context) {
    m_context = context;
    const AppLanguage language = L10n::currentLanguage();
    m_spec = WorkspacePickerSpec::make(m_store, context, language);
    using Form = WorkspacePickerSpec::Form;
    m_hint->setVisible(m_spec.form == Form::hint);
    m_unboundRow->setVisible(m_spec.form == Form::unbound);
    m_boundRow->setVisible(m_spec.form == Form::bound);

    m_hint->setText(L10n::string(L10N("workspace.none.help"), language));
    const QString bindTitle = L10n::string(L10N("action.bind.existing.workspace"), language);
    m_bindButton->setText(bindTitle);
    AccessibleText::setName(m_bindButton, bindTitle);
    m_bindButton->setLabel(BrandButton::Label::panelAction, QStringLiteral("link"), true);
    m_createButton->setText(L10n::string(L10N("action.create.workspace"), language));
    const QString createHelp = L10n::string(L10N("action.create.and.bind.workspace"), language);
    AccessibleText::setName(m_createButton, createHelp);
    m_createButton->setToolTip(createHelp);
    m_createButton->setLabel(BrandButton::Label::panelAction, QStringLiteral("folder.badge.plus"), false);
    const QString settingsTitle = L10n::string(L10N("action.open.bindings"), language);
    m_settingsButton->setText(settingsTitle);
    AccessibleText::setName(m_settingsButton, settingsTitle);
    m_settingsButton->setLabel(BrandButton::Label::panelAction, QStringLiteral("gearshape"), false);

    m_caption->setText(L10n::string(L10N("field.workspace"), language));
    m_menuButton->setText(m_spec.title);
    AccessibleText::setName(m_menuButton, m_caption->text() + QStringLiteral(": ") + m_spec.title);
    m_menuButton->setEnabled(m_spec.form == Form::bound && m_spec.menuEnabled);
    m_menuButton->updateGeometry();
}

void WorkspacePickerView::openMenu(QWidget* anchor) {
    if (m_menu != nullptr) {
        m_menu->close();
        delete m_menu;
    }
    // A child of the panel's window: part of it for the window manager and the focus rules.
    m_menu = new QMenu(window());
    m_menu->setObjectName(m_spec.form == WorkspacePickerSpec::Form::unbound ? QStringLiteral("pickerBindMenu")
                                                                            : QStringLiteral("pickerSelectMenu"));
    const bool binds = m_spec.form == WorkspacePickerSpec::Form::unbound;
    for (const WorkspacePickerSpec::Entry& entry : m_spec.menuEntries) {
        QAction* action = m_menu->addAction(entry.name);
        action->setObjectName(entry.id);
        const QString id = entry.id;
        connect(action, &QAction::triggered, this, [this, id, binds] {
            const auto& callback = binds ? onBindWorkspace : onSelectWorkspace;
            if (callback) {
                callback(id);
            }
        });
    }
    m_menu->setEnabled(!m_spec.menuEntries.isEmpty());
    connect(m_menu, &QMenu::aboutToShow, this, [this] {
        if (onPopupOpenChanged) {
            onPopupOpenChanged(true);
        }
    });
    connect(m_menu, &QMenu::aboutToHide, this, [this] {
        if (onPopupOpenChanged) {
            onPopupOpenChanged(false);
        }
    });
    m_menu->popup(anchor->mapToGlobal(QPoint(0, anchor->height() + 4)));
}
