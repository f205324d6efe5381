#include "panel/EmptyPromptView.h"

#include "model/Localization.h"
#include "model/seams/UrlOpening.h"
#include "widgets/accessibility/AccessibleText.h"
#include "widgets/BrandButton.h"
#include "widgets/IslandDesignTokens.h"
#include "widgets/IslandIcons.h"
#include "widgets/PanelLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>

namespace {

QLabel* label(const QString& objectName, int pixels, qreal opacity, QWidget* parent) {
    QLabel* label = PanelLabel::make(objectName, pixels, IslandDesignTokens::white(opacity), parent);
    label->setAlignment(Qt::AlignHCenter);
    label->setWordWrap(true);
    return label;
}

class SymbolView final : public QWidget {
public:
    SymbolView(const QString* name, QWidget* parent) : QWidget(parent), m_name(name) { setFixedSize(24, 24); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        IslandIcons::paint(painter, *m_name, QRectF(2, 2, 20, 20), IslandDesignTokens::white(0.64));
    }

private:
    const QString* m_name;
};

} // namespace

EmptyPromptView::EmptyPromptView(Actions actions, UrlOpening* urlOpener, QWidget* parent)
    : QWidget(parent), m_actions(std::move(actions)), m_urlOpener(urlOpener) {
    setObjectName(QStringLiteral("emptyState"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 32, 32, 32);
    layout->setSpacing(12);
    m_iconView = new SymbolView(&m_icon, this);
    m_iconView->setObjectName(QStringLiteral("emptyStateSymbol"));
    layout->addWidget(m_iconView, 0, Qt::AlignHCenter);
    m_title = label(QStringLiteral("emptyStateTitle"), 13, 0.86, this);
    m_message = label(QStringLiteral("emptyStateMessage"), 11, 0.72, this);
    layout->addWidget(m_title);
    layout->addWidget(m_message);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addStretch(1);
    m_primary = new BrandButton(ButtonLook::Kind::toolbar, QString(), this);
    m_primary->setObjectName(QStringLiteral("emptyStatePrimary"));
    m_primary->setEmphasis(true);
    m_secondary = new BrandButton(ButtonLook::Kind::toolbar, QString(), this);
    m_secondary->setObjectName(QStringLiteral("emptyStateSecondary"));
    for (BrandButton* button : {m_primary, m_secondary}) {
        button->setCursor(Qt::PointingHandCursor);
        row->addWidget(button);
    }
    row->addStretch(1);
    layout->addLayout(row);
    connect(m_primary, &QAbstractButton::clicked, this, &EmptyPromptView::runPrimary);
    connect(m_secondary, &QAbstractButton::clicked, this, &EmptyPromptView::runSecondary);
    setState({}, {}, false);
}

EmptyPromptView::~EmptyPromptView() {
    delete m_menu;
}

void EmptyPromptView::setState(const PanelEmptyState& state, const QList<PromptWorkspace>& workspaces,
                               bool canInstallBuiltInPack) {
    const AppLanguage language = L10n::currentLanguage();
    m_workspaces = workspaces;
    m_spec = EmptyViewSpec::make(state, canInstallBuiltInPack, !workspaces.isEmpty(), language);
    m_icon = m_spec.icon;
    m_iconView->update();
    m_title->setText(m_spec.title);
    m_message->setText(m_spec.message);
    const QString primary = L10n::string(m_spec.primaryTitleKey, language);
    m_primary->setText(primary);
    AccessibleText::setName(m_primary, primary);
    m_primary->setLabel(BrandButton::Label::bottomToolbar, m_spec.primaryIcon, true);
    m_primary->setEnabled(m_spec.primaryEnabled);
    m_secondary->setVisible(m_spec.secondary.has_value());
    if (m_spec.secondary) {
        const QString secondary = L10n::string(m_spec.secondary->titleKey, language);
        m_secondary->setText(secondary);
        AccessibleText::setName(m_secondary, secondary);
        m_secondary->setLabel(BrandButton::Label::bottomToolbar, m_spec.secondary->icon, false);
        m_secondary->setEnabled(m_spec.secondary->enabled);
    }
}

void EmptyPromptView::runPrimary() {
    const auto call = [](const std::function<void()>& action) {
        if (action) {
            action();
        }
    };
    switch (m_spec.primary) {
    case EmptyViewSpec::Primary::clearSearch:
        call(m_actions.clearSearch);
        break;
    case EmptyViewSpec::Primary::createFirstWorkspace:
        call(m_actions.createWorkspace);
        break;
    case EmptyViewSpec::Primary::createPrompt:
        call(m_actions.createPrompt);
        break;
    case EmptyViewSpec::Primary::manageWorkspaces:
        call(m_actions.manageWorkspaces);
        break;
    case EmptyViewSpec::Primary::openAutomationSettings:
        // Whether the desktop opened it is not reported: there is nothing more to offer.
        if (m_urlOpener != nullptr) {
            m_urlOpener->openUrl(automationSettingsUrl);
        }
        break;
    case EmptyViewSpec::Primary::bindMenu: {
        delete m_menu;
        // A child of the panel's window, like every menu of the panel.
        m_menu = new QMenu(window());
        m_menu->setObjectName(QStringLiteral("emptyStateBindMenu"));
        for (const PromptWorkspace& workspace : m_workspaces) {
            QAction* action = m_menu->addAction(workspace.name);
            action->setObjectName(workspace.id);
            connect(action, &QAction::triggered, this, [this, id = workspace.id] {
                if (m_actions.bindWorkspace) {
                    m_actions.bindWorkspace(id);
                }
            });
        }
        connect(m_menu, &QMenu::aboutToShow, this, [this] {
            if (m_actions.popupOpenChanged) {
                m_actions.popupOpenChanged(true);
            }
        });
        connect(m_menu, &QMenu::aboutToHide, this, [this] {
            if (m_actions.popupOpenChanged) {
                m_actions.popupOpenChanged(false);
            }
        });
        m_menu->popup(m_primary->mapToGlobal(QPoint(0, m_primary->height() + 4)));
        break;
    }
    }
}

void EmptyPromptView::runSecondary() {
    if (!m_spec.secondary) {
        return;
    }
    const auto call = [](const std::function<void()>& action) {
        if (action) {
            action();
        }
    };
    switch (m_spec.secondary->action) {
    case EmptyPromptAction::installOrImport:
        call(m_actions.installBuiltInPack);
        break;
    case EmptyPromptAction::createPrompt:
        call(m_actions.createPrompt);
        break;
    case EmptyPromptAction::importPrompts:
        call(m_actions.importPrompts);
        break;
    default:
        break;
    }
}
