#include "TestEnvironment.h"

#include "model/environment/AppLanguageStore.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "model/environment/TextSizeStore.h"
#include "panel/FirstRunChecklistCardModel.h"
#include "panel/FirstRunChecklistView.h"
#include "PromptFixtures.h"
#include "widgets/InterfaceEnvironment.h"
#include "windows/firstrun/FirstRunWelcomeView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTest>

namespace {

PromptWorkspace saved(const QString& id, const QString& name = {},
                      PromptWorkspaceSource source = PromptWorkspaceSource::userWorkspace) {
    PromptWorkspace workspace = PromptFixtures::workspace(id, {}, {}, source);
    if (!name.isEmpty()) {
        workspace.name = name;
    }
    workspace.fileURL = QStringLiteral("/srv/prompts/") + id + QStringLiteral(".yaml");
    return workspace;
}

FirstRunChecklistSnapshot snapshotOf(const QList<FirstRunStep>& steps) {
    FirstRunChecklistSnapshot snapshot;
    for (const FirstRunStep step : steps) {
        snapshot.completed.insert(step);
    }
    return snapshot;
}

// "workspace:button", "binding:menu(off)", "successfulCopy:done"...: one row as the card shows it.
QStringList describe(const QList<FirstRunChecklistRow>& rows) {
    QStringList lines;
    for (const FirstRunChecklistRow& row : rows) {
        QString control;
        switch (row.control) {
        case FirstRunChecklistRow::Control::none:
            control = row.done ? QStringLiteral("done") : QStringLiteral("open");
            break;
        case FirstRunChecklistRow::Control::button:
            control = QStringLiteral("button");
            break;
        case FirstRunChecklistRow::Control::bindMenu:
            control = row.controlEnabled ? QStringLiteral("menu") : QStringLiteral("menu(off)");
            break;
        }
        lines.append(FirstRunSteps::rawValue(row.step) + QLatin1Char(':') + control);
    }
    return lines;
}

struct Counts {
    int create = 0;
    int openPanel = 0;
    int dismiss = 0;
    QStringList bound;
    int bindManager = 0;

    QList<int> welcome() const { return {create, openPanel, dismiss}; }
};

FirstRunWelcomeModel::Actions welcomeActions(Counts& counts) {
    return {[&counts] { ++counts.create; }, [&counts] { ++counts.openPanel; }, [&counts] { ++counts.dismiss; }};
}

FirstRunChecklistView::Actions cardActions(Counts& counts) {
    return {[&counts] { ++counts.bindManager; }, [&counts](const QString& id) { counts.bound.append(id); },
            [&counts] { ++counts.dismiss; }};
}

template <typename T> T* child(QWidget* parent, const QString& name) {
    T* found = parent->findChild<T*>(name);
    if (!found) {
        qWarning("missing child %s", qPrintable(name));
    }
    return found;
}

// The dark look the app sets for every window.
QPalette darkPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(36, 38, 43));
    palette.setColor(QPalette::WindowText, QColor(235, 235, 240));
    palette.setColor(QPalette::Base, QColor(28, 29, 33));
    palette.setColor(QPalette::AlternateBase, QColor(44, 46, 52));
    palette.setColor(QPalette::Text, QColor(235, 235, 240));
    palette.setColor(QPalette::Button, QColor(52, 55, 62));
    palette.setColor(QPalette::ButtonText, QColor(235, 235, 240));
    palette.setColor(QPalette::Highlight, QColor(88, 140, 230));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::PlaceholderText, QColor(150, 150, 160));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, QColor(120, 120, 128));
    }
    return palette;
}

QString screenshotPath(const QString& name) {
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + name + QStringLiteral(".png");
}

// Every visible label gets the height its text needs at its width, and lies inside the view.
void verifyNothingClipped(QWidget* view) {
    for (QLabel* label : view->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(view) || label->text().isEmpty()) {
            continue;
        }
        const int needed = label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
        QVERIFY2(label->height() >= needed, qPrintable(label->objectName() + ": " + label->text()));
        if (!label->wordWrap()) {
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
        }
        const QRect inView(label->mapTo(view, QPoint(0, 0)), label->size());
        QVERIFY2(view->rect().contains(inView), qPrintable(label->objectName()));
    }
    for (QPushButton* button : view->findChildren<QPushButton*>()) {
        if (button->isVisibleTo(view)) {
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->objectName()));
        }
    }
}

} // namespace

class FirstRunViewsTest : public QObject {
    Q_OBJECT

private:
    TestEnvironment m_env;
    std::unique_ptr<AppLanguageStore> m_languages;
    std::unique_ptr<ShortcutSettingsStore> m_shortcuts;

private slots:
    void initTestCase() {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkPalette());
    }

    void init() {
        m_languages = std::make_unique<AppLanguageStore>(m_env.defaults(), [] { return QStringList{"en-US"}; });
        m_languages->setSelection(AppLanguage::english);
        m_shortcuts = std::make_unique<ShortcutSettingsStore>(m_env.defaults(),
                                                              [this] { return m_languages->resolvedLanguage(); });
        m_shortcuts->setTogglePanelShortcut(PromptKeyboardShortcut::defaultTogglePanel());
    }

    void cleanup() {
        m_shortcuts.reset();
        m_languages.reset();
    }

    void cardTextStepsUpWithThePanelTextSize() {
        Counts counts;
        QMap<PromptPanelTextSize, int> titlePixels;
        QMap<PromptPanelTextSize, int> rowPixels;
        for (const PromptPanelTextSize size : PromptPanelTextSizes::allCases()) {
            QWidget panel;
            applyInterfaceTextSize(&panel, size);
            auto* card = new FirstRunChecklistView(m_languages.get(), cardActions(counts), &panel);
            card->setState(snapshotOf({}), {});
            titlePixels[size] = child<QLabel>(card, "firstRunChecklistTitle")->font().pixelSize();
            // A size chosen while the card is shown reaches it too.
            applyInterfaceTextSize(&panel, PromptPanelTextSize::system);
            applyInterfaceTextSize(&panel, size);
            rowPixels[size] = child<QLabel>(card, "firstRunChecklistTitle")->font().pixelSize();
        }
        QCOMPARE(titlePixels[PromptPanelTextSize::comfortable], titlePixels[PromptPanelTextSize::system] + 2);
        QCOMPARE(titlePixels[PromptPanelTextSize::large], titlePixels[PromptPanelTextSize::system] + 4);
        QCOMPARE(rowPixels, titlePixels);
    }

    void cardRowsFollowTheSnapshot_data() {
        QTest::addColumn<QList<FirstRunStep>>("done");
        QTest::addColumn<QList<PromptWorkspace>>("workspaces");
        QTest::addColumn<QStringList>("rows");

        const QList<PromptWorkspace> none;
        const QList<PromptWorkspace> one = {saved("mine")};
        QTest::newRow("nothing done, nothing to bind")
            << QList<FirstRunStep>{} << none
            << QStringList{"workspace:button", "binding:menu(off)", "successfulCopy:open"};
        QTest::newRow("workspace saved") << QList<FirstRunStep>{FirstRunStep::workspace} << one
                                         << QStringList{"workspace:done", "binding:menu", "successfulCopy:open"};
        QTest::newRow("copied only") << QList<FirstRunStep>{FirstRunStep::successfulCopy} << none
                                     << QStringList{"workspace:button", "binding:menu(off)", "successfulCopy:done"};
        QTest::newRow("all done: no control is left")
            << FirstRunSteps::allCases() << one << QStringList{"workspace:done", "binding:done", "successfulCopy:done"};
    }

    void cardRowsFollowTheSnapshot() {
        QFETCH(QList<FirstRunStep>, done);
        QFETCH(QList<PromptWorkspace>, workspaces);
        QFETCH(QStringList, rows);
        const FirstRunChecklistCardModel model(snapshotOf(done), workspaces);
        QCOMPARE(describe(model.rows()), rows);

        // The widget shows exactly the controls the model lists.
        Counts counts;
        FirstRunChecklistView card(m_languages.get(), cardActions(counts));
        card.setState(snapshotOf(done), workspaces);
        auto* create = child<QPushButton>(&card, "firstRunChecklistCreateWorkspaceButton");
        auto* bind = child<QPushButton>(&card, "firstRunChecklistBindMenuButton");
        QVERIFY(create && bind);
        QCOMPARE(!create->isHidden(), rows.at(0) == "workspace:button");
        QCOMPARE(!bind->isHidden(), rows.at(1).startsWith("binding:menu"));
        QCOMPARE(bind->isEnabled(), rows.at(1) == "binding:menu");
        QVERIFY(!child<QPushButton>(&card, "firstRunChecklistDoneButton")->isHidden());
        const QString copyState = child<QLabel>(&card, "firstRunChecklistStepIcon.successfulCopy")->accessibleName();
        QCOMPARE(copyState, rows.at(2) == "successfulCopy:done" ? QStringLiteral("Copy a prompt: done")
                                                                : QStringLiteral("Copy a prompt: not done yet"));
    }

    void cardBindMenuOffersOnlySavedUserWorkspaces() {
        const QList<PromptWorkspace> workspaces = {
            saved("g", "Global", PromptWorkspaceSource::global),
            saved("r-d", "R&D"),
            saved("p", "Project", PromptWorkspaceSource::projectConfig),
            saved("s", "Sample", PromptWorkspaceSource::transientSample),
            PromptFixtures::workspace("unsaved"),
            saved("web", "Web"),
        };
        Counts counts;
        FirstRunChecklistView card(m_languages.get(), cardActions(counts));
        card.setState(snapshotOf({FirstRunStep::workspace}), workspaces);
        auto* menu = child<QMenu>(&card, "firstRunChecklistBindMenu");
        QVERIFY(menu);
        QStringList titles;
        for (QAction* action : menu->actions()) {
            titles.append(action->text());
        }
        // A name with "&" shows as written, not as a mnemonic.
        QCOMPARE(titles, (QStringList{"R&&D", "Web"}));
        menu->actions().at(1)->trigger();
        QCOMPARE(counts.bound, QStringList{"web"});
        QCOMPARE(counts.bindManager + counts.dismiss, 0);
    }

    void cardButtonsCallTheirActionOnceAndFollowTheLanguage() {
        Counts counts;
        FirstRunChecklistView card(m_languages.get(), cardActions(counts));
        card.setState({}, {});
        QTest::mouseClick(child<QPushButton>(&card, "firstRunChecklistCreateWorkspaceButton"), Qt::LeftButton);
        QCOMPARE(counts.bindManager, 1);
        QTest::mouseClick(child<QPushButton>(&card, "firstRunChecklistDoneButton"), Qt::LeftButton);
        QCOMPARE(counts.dismiss, 1);
        QCOMPARE(counts.bindManager, 1);

        auto* title = child<QLabel>(&card, "firstRunChecklistTitle");
        QCOMPARE(title->text(), L10n::string(L10N("first.checklist.title"), AppLanguage::english));
        m_languages->setSelection(AppLanguage::zhHans);
        QCOMPARE(title->text(), L10n::string(L10N("first.checklist.title"), AppLanguage::zhHans));
        QCOMPARE(child<QPushButton>(&card, "firstRunChecklistDoneButton")->accessibleName(),
                 L10n::string(L10N("action.done.tip"), AppLanguage::zhHans));
    }

    void welcomeStepsNameTheHotKeyAndFollowItsChanges() {
        Counts counts;
        FirstRunWelcomeView view(m_shortcuts.get(), m_languages.get(), welcomeActions(counts));
        auto* detail = child<QLabel>(&view, "firstRunWelcomeStepDetail.1");
        QVERIFY(detail);
        const QString initial = PromptKeyboardShortcut::defaultTogglePanel().displayString();
        QCOMPARE(detail->text(), L10n::string(L10N("first.welcome.step.open.detail"), AppLanguage::english, initial));

        const PromptKeyboardShortcut changed{0, ModifierFlags::control | ModifierFlags::option};
        m_shortcuts->setTogglePanelShortcut(changed);
        QVERIFY(detail->text().contains(changed.displayString()));
        QVERIFY(!detail->text().contains(initial));

        m_languages->setSelection(AppLanguage::zhHans);
        QCOMPARE(detail->text(),
                 L10n::string(L10N("first.welcome.step.open.detail"), AppLanguage::zhHans, changed.displayString()));
        QCOMPARE(view.windowTitle(), L10n::string(L10N("first.welcome.window.title"), AppLanguage::zhHans));

        const QList<FirstRunWelcomeModel::Step> steps = FirstRunWelcomeModel::steps(changed, AppLanguage::english);
        QCOMPARE(steps.size(), 3);
        QCOMPARE(steps.at(1).title, L10n::string(L10N("first.welcome.step.workspace.title"), AppLanguage::english));
        QCOMPARE(steps.at(2).detail, L10n::string(L10N("first.welcome.step.copy.detail"), AppLanguage::english));
    }

    void welcomeEndsOnceWhateverEndsIt_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QList<int>>("calls"); // create, open panel, dismiss

        QTest::newRow("create") << "firstRunWelcomeCreateWorkspaceButton" << QList<int>{1, 0, 0};
        QTest::newRow("open panel") << "firstRunWelcomeOpenPanelButton" << QList<int>{0, 1, 0};
        QTest::newRow("later") << "firstRunWelcomeLaterButton" << QList<int>{0, 0, 1};
    }

    void welcomeEndsOnceWhateverEndsIt() {
        QFETCH(QString, button);
        QFETCH(QList<int>, calls);

        Counts counts;
        FirstRunWelcomeView view(m_shortcuts.get(), m_languages.get(), welcomeActions(counts));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::mouseClick(child<QPushButton>(&view, button), Qt::LeftButton);
        QCOMPARE(counts.welcome(), calls);
        // The window closing after the button, and any further press, count no more.
        QVERIFY(view.close());
        QTest::mouseClick(child<QPushButton>(&view, "firstRunWelcomeLaterButton"), Qt::LeftButton);
        QCOMPARE(counts.welcome(), calls);

        // A new showing: the guide can end again.
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::mouseClick(child<QPushButton>(&view, button), Qt::LeftButton);
        QCOMPARE(counts.welcome(), (QList<int>{calls[0] * 2, calls[1] * 2, calls[2] * 2}));
    }

    void closingTheWelcomeWindowActsLikeLater() {
        Counts counts;
        FirstRunWelcomeView view(m_shortcuts.get(), m_languages.get(), welcomeActions(counts));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(view.close());
        QCOMPARE(counts.welcome(), (QList<int>{0, 0, 1}));
        QCOMPARE(view.model().finishedBy(), std::optional(FirstRunWelcomeFinish::windowClosed));
        // A host window routes its own close box here: still once.
        QVERIFY(!view.finish(FirstRunWelcomeFinish::windowClosed));
        QVERIFY(!view.finish(FirstRunWelcomeFinish::createWorkspace));
        QCOMPARE(counts.welcome(), (QList<int>{0, 0, 1}));
    }

    void aHostedGuideWorksAgainAtItsNextShowing() {
        Counts counts;
        QWidget window;
        auto* view = new FirstRunWelcomeView(m_shortcuts.get(), m_languages.get(), welcomeActions(counts), &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(child<QPushButton>(view, "firstRunWelcomeLaterButton"), Qt::LeftButton);
        // The host routes its close box to the view; the guide already ended.
        QVERIFY(!view->finish(FirstRunWelcomeFinish::windowClosed));
        window.hide();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(child<QPushButton>(view, "firstRunWelcomeCreateWorkspaceButton"), Qt::LeftButton);
        QCOMPARE(counts.welcome(), (QList<int>{1, 0, 1}));
    }

    void returnPressesCreateAndEscapeActsLikeLater_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QList<int>>("calls");

        QTest::newRow("return") << int(Qt::Key_Return) << "" << QList<int>{1, 0, 0};
        QTest::newRow("return with Later focused")
            << int(Qt::Key_Return) << "firstRunWelcomeLaterButton" << QList<int>{1, 0, 0};
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << "firstRunWelcomeOpenPanelButton" << QList<int>{1, 0, 0};
        QTest::newRow("escape") << int(Qt::Key_Escape) << "firstRunWelcomeCreateWorkspaceButton" << QList<int>{0, 0, 1};
    }

    void returnPressesCreateAndEscapeActsLikeLater() {
        QFETCH(int, key);
        QFETCH(QString, focus);
        QFETCH(QList<int>, calls);

        Counts counts;
        // Hosted in a window of its own, as the shell does it.
        QWidget window;
        auto* view = new FirstRunWelcomeView(m_shortcuts.get(), m_languages.get(), welcomeActions(counts), &window);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QWidget* target = focus.isEmpty() ? static_cast<QWidget*>(&window) : child<QPushButton>(view, focus);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        QCOMPARE(counts.welcome(), calls);
        QTest::keyClick(target, Qt::Key(key));
        QCOMPARE(counts.welcome(), calls);
    }

    void everyControlIsNamed() {
        Counts counts;
        FirstRunWelcomeView view(m_shortcuts.get(), m_languages.get(), welcomeActions(counts));
        FirstRunChecklistView card(m_languages.get(), cardActions(counts));
        card.setState({}, {saved("mine")});
        for (QWidget* root : {static_cast<QWidget*>(&view), static_cast<QWidget*>(&card)}) {
            for (QWidget* widget : root->findChildren<QWidget*>()) {
                // Buttons and texts; a label that only holds a picture is decoration.
                const auto* label = qobject_cast<QLabel*>(widget);
                if (qobject_cast<QPushButton*>(widget) || (label && !label->text().isEmpty())) {
                    QVERIFY2(!widget->objectName().isEmpty(), widget->metaObject()->className());
                    QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
                }
            }
        }
    }

    void screenshotsShowEverythingUnclipped_data() {
        QTest::addColumn<AppLanguage>("language");
        QTest::addColumn<PromptPanelTextSize>("textSize");
        QTest::newRow("en") << AppLanguage::english << PromptPanelTextSize::system;
        QTest::newRow("zh-Hans") << AppLanguage::zhHans << PromptPanelTextSize::system;
        QTest::newRow("en-large") << AppLanguage::english << PromptPanelTextSize::large;
        QTest::newRow("zh-Hans-large") << AppLanguage::zhHans << PromptPanelTextSize::large;
    }

    void screenshotsShowEverythingUnclipped() {
        QFETCH(AppLanguage, language);
        QFETCH(PromptPanelTextSize, textSize);
        m_languages->setSelection(language);
        QString suffix = language == AppLanguage::english ? QStringLiteral("en") : QStringLiteral("zh-Hans");
        if (textSize != PromptPanelTextSize::system) {
            suffix += QStringLiteral("-") + PromptPanelTextSizes::rawValue(textSize);
        }
        Counts counts;

        // The text size is chosen while the guide is open: it follows at once.
        TextSizeStore sizes(m_env.defaults());
        sizes.setSelection(PromptPanelTextSize::system);
        FirstRunWelcomeView view(m_shortcuts.get(), m_languages.get(), welcomeActions(counts));
        applyInterfaceTextSize(&view, sizes);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const int systemTitle = view.findChild<QLabel*>("firstRunWelcomeTitle")->font().pixelSize();
        sizes.setSelection(textSize);
        QCoreApplication::processEvents();
        QCOMPARE(view.findChild<QLabel*>("firstRunWelcomeTitle")->font().pixelSize(),
                 qRound(systemTitle * PromptPanelTextSizes::basePixelSize(textSize) / 13.0));
        QCOMPARE(view.width(), FirstRunWelcomeView::contentSize.width());
        if (textSize == PromptPanelTextSize::system) {
            QCOMPARE(view.size(), FirstRunWelcomeView::contentSize);
        }
        verifyNothingClipped(&view);
        QVERIFY(view.grab().save(screenshotPath(QStringLiteral("first-run-welcome-") + suffix)));

        const struct {
            const char* name;
            QList<FirstRunStep> done;
            QList<PromptWorkspace> workspaces;
        } states[] = {
            {"fresh", {}, {}},
            {"partly", {FirstRunStep::workspace}, {saved("mine", "My workspace")}},
            {"done", FirstRunSteps::allCases(), {saved("mine", "My workspace")}},
        };
        for (const auto& state : states) {
            // The width of the panel's list column.
            QWidget host;
            host.setFixedWidth(360);
            auto* card = new FirstRunChecklistView(m_languages.get(), cardActions(counts), &host);
            applyInterfaceTextSize(&host, textSize);
            QCOMPARE(card->findChild<QLabel*>("firstRunChecklistTitle")->font().pixelSize(),
                     textSize == PromptPanelTextSize::system ? 13 : 17);
            card->setState(snapshotOf(state.done), state.workspaces);
            card->setFixedWidth(host.width());
            card->adjustSize();
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));
            verifyNothingClipped(card);
            QVERIFY(
                card->grab().save(screenshotPath(QStringLiteral("first-run-checklist-%1-%2").arg(state.name, suffix))));
        }
    }
};

QTEST_MAIN(FirstRunViewsTest)
#include "tst_firstrunviews.moc"
