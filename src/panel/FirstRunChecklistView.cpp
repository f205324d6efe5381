#include "panel/FirstRunChecklistView.h"
#include "widgets/InterfaceEnvironment.h"

#include "model/environment/AppLanguageStore.h"
#include "model/Localization.h"
#include "widgets/accessibility/AccessibleText.h"
#include "widgets/FirstRunLook.h"
#include "widgets/FirstRunSymbols.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/OrrisHollowsStyle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int symbolSize = 14;

QString escapedForMenu(QString text) {
    // A menu reads "&" as a mnemonic marker; a workspace name shows as written.
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

FirstRunChecklistView::FirstRunChecklistView(const AppLanguageStore* languageStore, Actions actions, QWidget* parent)
    : FirstRunRoundedFrame(10, 0.1, 0.18, parent), m_languageStore(languageStore), m_actions(std::move(actions)),
      m_model({}, {}) {
    setObjectName(QStringLiteral("firstRunChecklistCard"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);

    auto* head = new QHBoxLayout;
    head->setSpacing(8);
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("firstRunChecklistTitle"));
    m_doneButton = new QPushButton(this);
    m_doneButton->setObjectName(QStringLiteral("firstRunChecklistDoneButton"));
    m_doneButton->setAutoDefault(false);
    OrrisHollowsStyle::setBrandLook(m_doneButton, ButtonLook::Kind::secondary);
    connect(m_doneButton, &QPushButton::clicked, this, [this] {
        if (m_actions.onDismiss) {
            m_actions.onDismiss();
        }
    });
    head->addWidget(m_title);
    head->addStretch(1);
    head->addWidget(m_doneButton);
    column->addLayout(head);

    for (const FirstRunChecklistRow& row : m_model.rows()) {
        const QString raw = FirstRunSteps::rawValue(row.step);
        auto* line = new QHBoxLayout;
        line->setSpacing(8);
        RowWidgets widgets;
        widgets.icon = new QLabel(this);
        widgets.icon->setObjectName(QStringLiteral("firstRunChecklistStepIcon.") + raw);
        widgets.icon->setFixedSize(symbolSize, symbolSize);
        widgets.title = new QLabel(this);
        widgets.title->setObjectName(QStringLiteral("firstRunChecklistStepTitle.") + raw);
        widgets.title->setWordWrap(true);
        line->addWidget(widgets.icon, 0, Qt::AlignVCenter);
        line->addWidget(widgets.title, 1, Qt::AlignVCenter);
        if (row.step == FirstRunStep::workspace) {
            widgets.control = new QPushButton(this);
            widgets.control->setObjectName(QStringLiteral("firstRunChecklistCreateWorkspaceButton"));
            connect(widgets.control, &QPushButton::clicked, this, [this] {
                if (m_actions.onOpenWorkspaceManager) {
                    m_actions.onOpenWorkspaceManager();
                }
            });
        } else if (row.step == FirstRunStep::binding) {
            widgets.control = new QPushButton(this);
            widgets.control->setObjectName(QStringLiteral("firstRunChecklistBindMenuButton"));
            m_bindMenu = new QMenu(widgets.control);
            m_bindMenu->setObjectName(QStringLiteral("firstRunChecklistBindMenu"));
            widgets.control->setMenu(m_bindMenu);
        }
        if (widgets.control) {
            widgets.control->setAutoDefault(false);
            OrrisHollowsStyle::setBrandLook(widgets.control, ButtonLook::Kind::secondary);
            line->addWidget(widgets.control, 0, Qt::AlignVCenter);
        }
        column->addLayout(line);
        m_rows.append(widgets);
    }

    if (m_languageStore) {
        connect(m_languageStore, &AppLanguageStore::selectionChanged, this, [this] { render(); });
    }
    applyFonts();
    render();
}

void FirstRunChecklistView::setState(const FirstRunChecklistSnapshot& snapshot,
                                     const QList<PromptWorkspace>& workspaces) {
    m_model = FirstRunChecklistCardModel(snapshot, workspaces);
    render();
}

void FirstRunChecklistView::changeEvent(QEvent* event) {
    FirstRunRoundedFrame::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        render();
    } else if (event->type() == QEvent::FontChange) {
        // A new interface text size reaches the card as a font change.
        applyFonts();
    }
}

void FirstRunChecklistView::render() {
    const AppLanguage lang = language();
    m_title->setText(L10n::string(L10N("first.checklist.title"), lang));
    AccessibleText::setName(m_title, m_title->text());
    m_doneButton->setText(L10n::string(L10N("action.done.tip"), lang));
    AccessibleText::setName(m_doneButton, m_doneButton->text());

    const QList<FirstRunChecklistRow> rows = m_model.rows();
    for (qsizetype i = 0; i < rows.size() && i < m_rows.size(); ++i) {
        const FirstRunChecklistRow& row = rows.at(i);
        const RowWidgets& widgets = m_rows.at(i);
        const QString title = L10n::string(row.titleKey, lang);
        widgets.title->setText(title);
        AccessibleText::setName(widgets.title, title);
        const QColor color = row.done ? FirstRunLook::success() : FirstRunLook::secondary(palette());
        widgets.icon->setPixmap(
            FirstRunSymbols::pixmap(row.done ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle"),
                                    color, symbolSize, devicePixelRatioF()));
        AccessibleText::setName(widgets.icon, row.done
                                                  ? L10n::string(L10N("first.checklist.step.done"), lang, title)
                                                  : L10n::string(L10N("first.checklist.step.pending"), lang, title));
        if (widgets.control) {
            const bool shown = row.control != FirstRunChecklistRow::Control::none;
            widgets.control->setVisible(shown);
            if (shown) {
                widgets.control->setText(L10n::string(row.controlTitleKey, lang));
                AccessibleText::setName(widgets.control, widgets.control->text());
                widgets.control->setEnabled(row.controlEnabled);
            }
        }
    }
    rebuildBindMenu();
}

void FirstRunChecklistView::rebuildBindMenu() {
    if (!m_bindMenu) {
        return;
    }
    m_bindMenu->clear();
    for (const PromptWorkspace& workspace : m_model.bindableWorkspaces()) {
        QAction* action = m_bindMenu->addAction(escapedForMenu(workspace.name));
        action->setObjectName(QStringLiteral("firstRunChecklistBindAction.") + workspace.id);
        const QString id = workspace.id;
        connect(action, &QAction::triggered, this, [this, id] {
            if (m_actions.onBindWorkspace) {
                m_actions.onBindWorkspace(id);
            }
        });
    }
}

void FirstRunChecklistView::applyFonts() {
    using FirstRunLook::TextRole;
    // Drawn for the system text size; the panel's root scales them to the chosen one.
    InterfaceEnvironment::setScaledFont(m_title, FirstRunLook::font(TextRole::checklistTitle, font()));
    const QFont rowFont = FirstRunLook::font(TextRole::checklistRow, font());
    for (const RowWidgets& widgets : m_rows) {
        InterfaceEnvironment::setScaledFont(widgets.title, rowFont);
        if (widgets.control) {
            InterfaceEnvironment::setScaledFont(widgets.control, rowFont);
        }
    }
}

AppLanguage FirstRunChecklistView::language() const {
    return m_languageStore ? m_languageStore->resolvedLanguage() : L10n::currentLanguage();
}
