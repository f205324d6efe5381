#include "FakeClipboard.h"
#include "FakeDesktopSeams.h"
#include "FakePromptCopySound.h"
#include "FakeUrlOpener.h"
#include "TestEnvironment.h"

#include "context/ContextBindingStore.h"
#include "context/ContextDetector.h"
#include "model/environment/AppLanguageStore.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "panel/EmptyPromptView.h"
#include "panel/header/ContextHeaderView.h"
#include "panel/header/EnvironmentInfoPopoverView.h"
#include "panel/header/ProjectConfigTrustBanner.h"
#include "panel/header/SearchIslandView.h"
#include "panel/header/SourceNoticeView.h"
#include "panel/header/WorkspacePickerView.h"
#include "panel/island/IslandGeometry.h"
#include "panel/island/IslandMorphState.h"
#include "panel/OverlaySheetHost.h"
#include "panel/PanelViewModel.h"
#include "panel/PromptPanelWidget.h"
#include "services/RequestBus.h"
#include "store/PromptCopySoundPlayer.h"
#include "store/PromptStore.h"
#include "store/PromptVariableValueStore.h"
#include "widgets/BrandButton.h"
#include "widgets/ConfigIssueBanner.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/OrrisHollowsAppearance.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

QByteArray workspaceYaml(const QString& name, const QStringList& promptIDs) {
    QString yaml = QStringLiteral("workspace:\n  name: \"%1\"\n  match_paths: []\n\nprompts:\n").arg(name);
    for (const QString& id : promptIDs) {
        yaml +=
            QStringLiteral("  - id: \"%1\"\n    title: \"Title %1\"\n    group: \"General\"\n    text: \"Text %1\"\n")
                .arg(id);
    }
    return yaml.toUtf8();
}

// The panel's content over a temporary home with real files, fake desktop seams and manual time.
struct PanelViewsHarness {
    TestEnvironment env;
    AppLanguageStore languages{env.defaults(), [] { return QStringList{"en-US"}; }};
    // Project files take part in matching only with automatic matching on, read when the store is made.
    bool automaticMatching = (env.defaults()->setBool(PromptStore::advancedAutomaticMatchingEnabledKey, true), true);
    PromptStore store{env.environment(), [this] { return languages.resolvedLanguage(); }, false};
    ContextDetector detector{env.environment(), [] { return QStringList(); },
                             ContextDetector::Platform{.startsTimer = false}};
    ShortcutSettingsStore shortcuts{env.defaults(), [] { return AppLanguage::english; }};
    RequestBus requests;
    IslandMorphState morph{env.environment().scheduler};
    std::shared_ptr<FakeClipboard> clipboard = std::make_shared<FakeClipboard>();
    std::shared_ptr<FakeSoundBoard> sounds = FakeSoundBoard::make();
    PromptCopySoundPlayer player{4, sounds->factory()};
    PromptVariableValueStore values{env.environment()};
    FakeFileRevealer revealer;
    FakeUrlOpener urls;
    std::unique_ptr<PanelViewModel> model;
    std::unique_ptr<PromptPanelWidget> panel;

    PanelViewsHarness() {
        L10n::setCurrentLanguageProvider([this] { return languages.resolvedLanguage(); });
    }
    ~PanelViewsHarness() {
        panel.reset();
        model.reset();
        L10n::setCurrentLanguageProvider({});
    }

    void reload() {
        QSignalSpy content(&store, &PromptStore::configIssuesChanged);
        store.reload();
        QVERIFY(content.wait(5000));
    }

    void show(const AgentContext& context) {
        morph.setPinnedContext(context);
        model = std::make_unique<PanelViewModel>(PanelViewModel::Dependencies{store,
                                                                              detector,
                                                                              shortcuts,
                                                                              morph,
                                                                              languages,
                                                                              requests,
                                                                              PromptActionService(clipboard),
                                                                              player,
                                                                              values,
                                                                              env.defaults(),
                                                                              env.environment().scheduler,
                                                                              env.environment().clock,
                                                                              {},
                                                                              {},
                                                                              {},
                                                                              [] { return false; }});
        panel = std::make_unique<PromptPanelWidget>(*model, PanelSheetFactories{}, PanelDesktopSeams{&revealer, &urls});
        panel->resize(720, 640);
        OrrisHollowsAppearance::applyDark(*static_cast<QApplication*>(QCoreApplication::instance()));
        panel->show();
        model->evaluate();
    }

    void shot(const QString& name) const {
        // Let the layouts settle first.
        QTest::qWait(30);
        QPixmap picture = panel->grab();
        for (const QString& folder :
             {qEnvironmentVariable("ORRIS_SCREENSHOT_DIR"), QStringLiteral("/tmp/issue18-shots")}) {
            if (!folder.isEmpty() && QDir().mkpath(folder)) {
                picture.save(QDir(folder).filePath(name + QStringLiteral(".png")));
            }
        }
    }

    static AgentContext context(AgentType agent, const QString& app, const std::optional<QString>& path = {}) {
        AgentContext context;
        context.agent = agent;
        context.frontmostAppName = app;
        context.workspacePath = path;
        context.detectionSource = path ? ContextDetectionSource::terminalDirectory : ContextDetectionSource::unknown;
        return context;
    }
};

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

} // namespace

class PanelHeaderViewsTest : public QObject {
    Q_OBJECT

private slots:
    void aHiddenPanelRendersNothingAndCatchesUpBeforeShowing() {
        PanelViewsHarness h;
        h.env.writeFile(".orris-hollows/global.yaml", "prompts:\n  - id: g1\n    title: One\n    text: One\n");
        h.reload();
        h.show(PanelViewsHarness::context(AgentType::cursor, "Cursor"));
        auto* count = h.panel->findChild<QLabel*>("promptCount");
        QVERIFY(count != nullptr);
        QCOMPARE(count->text(), QStringLiteral("1"));

        h.panel->hide();
        h.env.writeFile(".orris-hollows/global.yaml", "prompts:\n  - id: g1\n    title: One\n    text: One\n"
                                                      "  - id: g2\n    title: Two\n    text: Two\n");
        h.reload();
        QCOMPARE(h.model->promptCount(), 2);
        QCOMPARE(count->text(), QStringLiteral("1")); // left for later
        // The window asks for the header's height before it shows: the panel is current by then.
        h.panel->headerLinesHeight(520);
        QCOMPARE(count->text(), QStringLiteral("2"));

        h.panel->hide();
        h.env.writeFile(".orris-hollows/global.yaml", "prompts:\n  - id: g1\n    title: One\n    text: One\n");
        h.reload();
        QCOMPARE(count->text(), QStringLiteral("2"));
        h.panel->show();
        QCOMPARE(count->text(), QStringLiteral("1"));
    }

    // Clearing a search brings tiles into view that were hidden: they must paint in the same
    // frame as the rest of the change, not in a second one after it.
    void clearingASearchPaintsOneFrame() {
        PanelViewsHarness h;
        QString yaml = QStringLiteral("prompts:\n");
        for (int i = 1; i <= 30; ++i) {
            yaml += QStringLiteral("  - id: p%1\n    title: Prompt %1\n    text: Body %1\n").arg(i);
        }
        h.env.writeFile(".orris-hollows/global.yaml", yaml.toUtf8());
        h.reload();
        h.show(PanelViewsHarness::context(AgentType::cursor, "Cursor"));
        QVERIFY(QTest::qWaitForWindowExposed(h.panel.get()));
        h.model->setSearchText(QStringLiteral("9"));
        QTest::qWait(100);

        struct FrameCounter : QObject {
            int frames = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                frames += event->type() == QEvent::UpdateRequest ? 1 : 0;
                return false;
            }
        } counter;
        h.panel->installEventFilter(&counter);
        h.model->setSearchText(QString());
        QTest::qWait(100);
        h.panel->removeEventFilter(&counter);
        QCOMPARE(h.model->promptCount(), 30);
        QCOMPARE(counter.frames, 1);
    }

    void bindingThroughTheUnboundPickerWritesTheBindingFile() {
        PanelViewsHarness h;
        h.env.writeFile(".orris-hollows/workspaces/alpha.yaml", workspaceYaml("Alpha", {"a1"}));
        h.env.writeFile(".orris-hollows/workspaces/beta.yaml",
                        workspaceYaml("Beta with a rather long workspace name for the picker", {"b1"}));
        h.reload();
        h.show(PanelViewsHarness::context(AgentType::cursor, "Cursor"));
        WorkspacePickerView* picker = h.panel->workspacePicker();
        QCOMPARE(picker->spec().form, WorkspacePickerSpec::Form::unbound);
        QVERIFY(h.panel->findChild<QWidget*>("unboundBanner")->isVisible());
        h.shot("picker-unbound-en");
        // Every action shows its whole label, also at the width the picker has in the panel.
        picker->resize(464, picker->height());
        picker->layout()->activate();
        QCoreApplication::processEvents();
        for (const char* name : {"pickerBindButton", "pickerCreateButton", "pickerSettingsButton"}) {
            const auto* button = picker->findChild<BrandButton*>(name);
            QVERIFY2(button->width() >= button->sizeHint().width(), name);
        }

        picker->findChild<BrandButton*>("pickerBindButton")->click();
        QMenu* menu = picker->menu();
        QVERIFY(menu != nullptr);
        QCOMPARE(menu->parentWidget(), h.panel->window());
        QTRY_VERIFY(menu->isVisible());
        // An open menu holds the panel open.
        QVERIFY(h.morph.isInteractionLocked());
        QAction* beta = menu->findChild<QAction*>("beta");
        QVERIFY(beta != nullptr);
        beta->trigger();
        menu->hide();
        QVERIFY(!h.morph.isInteractionLocked());

        QVERIFY(QFileInfo::exists(
            QDir(h.env.home()).filePath(".orris-hollows/" + ContextBindingStore::agentBindingsFileName)));
        QTRY_COMPARE(picker->spec().form, WorkspacePickerSpec::Form::bound);
        QCOMPARE(picker->spec().title, QStringLiteral("Beta with a rather long workspace name for the picker"));
        QCOMPARE(picker->findChild<QPushButton*>("workspacePickerMenuButton")->text(), picker->spec().title);
        QVERIFY(!picker->findChild<QPushButton*>("workspacePickerMenuButton")->isEnabled());
        QVERIFY(!h.panel->findChild<QWidget*>("unboundBanner")->isVisible());
        h.shot("picker-bound-en");
    }

    void aMalformedFileShowsTheIssueBannerWithItsActions() {
        PanelViewsHarness h;
        h.env.writeFile(".orris-hollows/workspaces/alpha.yaml", workspaceYaml("Alpha", {"a1"}));
        h.reload();
        h.show(PanelViewsHarness::context(AgentType::cursor, "Cursor"));
        QVERIFY(h.panel->findChildren<ConfigIssueBanner*>().isEmpty());

        const QString broken = h.env.writeFile(".orris-hollows/workspaces/broken.yaml", "workspace: [unclosed\n  - :");
        h.reload();
        QTRY_COMPARE(h.panel->findChildren<ConfigIssueBanner*>().size(), 1);
        ConfigIssueBanner* banner = h.panel->findChildren<ConfigIssueBanner*>().first();
        h.shot("issue-banner-en");
        banner->findChild<QPushButton*>("configIssueShowInFolderButton")->click();
        QCOMPARE(h.revealer.revealed.size(), 1);
        QCOMPARE(QFileInfo(h.revealer.revealed.first()).canonicalFilePath(), QFileInfo(broken).canonicalFilePath());
        QSignalSpy manager(&h.requests, &RequestBus::requestOpenWorkspaceManager);
        banner->findChild<QPushButton*>("configIssueOpenManagerButton")->click();
        QCOMPARE(manager.count(), 1);
        QCOMPARE(manager.first().first().value<std::optional<QString>>(), std::nullopt);

        // Mended by hand and reloaded from the banner: the banner goes.
        h.env.writeFile(".orris-hollows/workspaces/broken.yaml", workspaceYaml("Mended", {"m1"}));
        QSignalSpy issues(&h.store, &PromptStore::configIssuesChanged);
        banner->findChild<QPushButton*>("configIssueReloadButton")->click();
        QVERIFY(issues.wait(5000));
        QTRY_COMPARE(h.panel->findChildren<ConfigIssueBanner*>().size(), 0);
    }

    void trustingAProjectFileFromTheBannerShowsItsPrompts() {
        PanelViewsHarness h;
        h.env.writeFile(".orris-hollows/workspaces/alpha.yaml", workspaceYaml("Alpha", {"a1"}));
        const QString projectFile = h.env.writeFile("shop/.orris-hollows.yaml", workspaceYaml("Shop", {"s1", "s2"}));
        QDir(h.env.home()).mkpath("shop/src");
        h.reload();
        h.show(PanelViewsHarness::context(AgentType::terminal, "XTerm", h.env.home() + "/shop/src"));
        auto* trust = h.panel->findChild<ProjectConfigTrustBanner*>();
        QVERIFY(trust->isVisible());
        QCOMPARE(trust->findChild<QLabel*>("projectConfigFileName")->text(), QStringLiteral(".orris-hollows.yaml"));
        QVERIFY(!h.panel->findChild<SourceNoticeView*>()->isVisible());
        QVERIFY(!h.model->visiblePromptIDs().contains("s1"));
        h.shot("trust-banner-en");

        trust->trustButton()->click();
        QTRY_VERIFY(h.model->visiblePromptIDs().contains("s1"));
        QVERIFY(h.model->visiblePromptIDs().contains("s2"));
        QVERIFY(!trust->isVisible());
        QVERIFY(h.panel->findChild<SourceNoticeView*>()->isVisible());
        QCOMPARE(h.panel->findChild<SourceNoticeView*>()->text(), english("project.config.trusted.notice"));
        Q_UNUSED(projectFile);
        h.shot("trusted-notice-en");
    }

    void theDiagnosticsPopupFollowsThePanelState() {
        PanelViewsHarness h;
        h.env.writeFile(".orris-hollows/workspaces/alpha.yaml", workspaceYaml("Alpha", {"a1"}));
        h.reload();
        h.show(PanelViewsHarness::context(AgentType::terminal, "XTerm", "/srv/projects/very-secret/orris-app"));
        h.panel->header()->debugButton()->click();
        QVERIFY(h.model->showDebugDetails());
        EnvironmentInfoPopoverView* popover = h.panel->header()->popover();
        QVERIFY(popover != nullptr);
        QTRY_VERIFY(popover->isVisible());
        QCOMPARE(popover->parentWidget(), h.panel->window());
        QCOMPARE(popover->findChildren<QWidget*>(QRegularExpression("^environmentRow_")).size(), 7);
        const auto* path = popover->findChild<QWidget*>("environmentRow_path")->findChild<QLabel*>("rowValue");
        QVERIFY(!path->toolTip().contains("very-secret"));
        QCOMPARE(path->toolTip(), QStringLiteral("orris-app"));
        QVERIFY(path->isVisible());
        QVERIFY(popover->height() > 7 * path->height());
        // Every value shows whole, wrapped to its column rather than cut.
        for (const QLabel* value : popover->findChildren<QLabel*>("rowValue")) {
            QVERIFY(value->wordWrap());
            QCOMPARE(QString(value->text()).remove(QChar(0x200B)), value->toolTip());
            QVERIFY(value->geometry().right() < popover->width());
        }
        popover->hide();

        // An app name without blanks, longer than the value column, wraps inside it rather than
        // running past its edge.
        const QString longName = QStringLiteral("org.example.TerminalEmulatorDeluxe");
        h.show(PanelViewsHarness::context(AgentType::terminal, longName, "/srv/projects/very-secret/orris-app"));
        h.panel->header()->debugButton()->click();
        popover = h.panel->header()->popover();
        QTRY_VERIFY(popover != nullptr && popover->isVisible());
        const auto* app = popover->findChild<QWidget*>("environmentRow_app")->findChild<QLabel*>("rowValue");
        QCOMPARE(app->toolTip(), longName);
        QVERIFY(app->height() >= 2 * QFontMetrics(app->font()).height());
        QVERIFY(app->geometry().right() < popover->width());
        const QFontMetrics metrics(app->font());
        for (const QString& piece : app->text().split(QChar(0x200B))) {
            QVERIFY(metrics.horizontalAdvance(piece) <= app->contentsRect().width());
        }
        QDir().mkpath("/tmp/issue18-shots");
        popover->grab().save("/tmp/issue18-shots/popover-en.png");
        // A click outside closes the popup; the panel's state follows.
        popover->hide();
        QVERIFY(!h.model->showDebugDetails());
        QVERIFY(!h.panel->header()->debugButton()->isChecked());
    }

    void theEmptyViewActs() {
        PanelViewsHarness h;
        h.env.writeFile(".orris-hollows/workspaces/alpha.yaml", workspaceYaml("Alpha", {"a1"}));
        h.reload();
        h.show(PanelViewsHarness::context(AgentType::cursor, "Cursor"));
        h.model->setSearchText("nothing matches this");
        EmptyPromptView* empty = h.panel->emptyView();
        QTRY_VERIFY(empty->isVisible());
        QCOMPARE(empty->findChild<QLabel*>("emptyStateTitle")->text(), english("empty.no.search.title"));
        QVERIFY(!empty->secondaryButton()->isVisible());
        empty->primaryButton()->click();
        QCOMPARE(h.model->searchText(), QString());
        QCOMPARE(h.panel->searchView()->text(), QString());
        QVERIFY(h.panel->searchView()->field()->hasFocus() || QApplication::focusWidget() == nullptr);
    }

    void automationSettingsGoThroughTheUrlOpener() {
        FakeUrlOpener urls;
        int calls = 0;
        EmptyPromptView::Actions actions;
        actions.manageWorkspaces = [&calls] { ++calls; };
        EmptyPromptView view(actions, &urls);
        view.setState({PanelEmptyStateReason::of(PanelEmptyStateReason::Kind::automationPermission),
                       {EmptyPromptAction::openAutomationSettings}},
                      {}, false);
        view.primaryButton()->click();
        QCOMPARE(urls.opened, QList<QUrl>{EmptyPromptView::automationSettingsUrl});
        QCOMPARE(calls, 0);
    }

    void chineseWithLongNamesFits() {
        PanelViewsHarness h;
        h.languages.setSelection(AppLanguage::zhHans);
        const QString longName = QStringLiteral("一个名字非常非常长的工作区用于检查菜单标题在窄空间里的截断效果");
        h.env.writeFile(".orris-hollows/workspaces/alpha.yaml", workspaceYaml(longName, {"a1"}));
        h.env.writeFile(".orris-hollows/workspaces/beta.yaml", workspaceYaml("第二个工作区", {"b1"}));
        h.env.writeFile("一个很长很长的项目文件夹名称/.orris-hollows.yaml", workspaceYaml("项目", {"p1"}));
        h.reload();
        AgentContext context =
            PanelViewsHarness::context(AgentType::terminal, "XTerm", h.env.home() + "/一个很长很长的项目文件夹名称");
        QVERIFY(h.store.bindContext(context, "alpha"));
        QVERIFY(h.store.bindContext(context, "beta"));
        h.store.selectWorkspace("alpha", context);
        h.show(context);
        WorkspacePickerView* picker = h.panel->workspacePicker();
        QCOMPARE(picker->spec().form, WorkspacePickerSpec::Form::bound);
        QVERIFY(picker->findChild<QPushButton*>("workspacePickerMenuButton")->isEnabled());
        QVERIFY(picker->findChild<QPushButton*>("workspacePickerMenuButton")->width() <= picker->width());
        QCOMPARE(h.panel->header()->findChild<QLabel*>("promptCountSuffix")->text(),
                 L10n::string("prompt.count.suffix", AppLanguage::zhHans));
        h.shot("panel-zh-long-names");
    }

    // The panel at its width of 520 in both languages and at each text size, with the unbound
    // picker's three actions and the diagnostics card open: no button or one-line label is given
    // less than it needs, and the card's text follows the size.
    void nothingIsCutAtEachTextSize_data() {
        QTest::addColumn<AppLanguage>("language");
        QTest::addColumn<PromptPanelTextSize>("textSize");
        for (const AppLanguage language : {AppLanguage::english, AppLanguage::zhHans}) {
            for (const PromptPanelTextSize size :
                 {PromptPanelTextSize::system, PromptPanelTextSize::comfortable, PromptPanelTextSize::large}) {
                QTest::addRow("%s-%s", language == AppLanguage::english ? "en" : "zh",
                              qPrintable(PromptPanelTextSizes::rawValue(size)))
                    << language << size;
            }
        }
    }
    void nothingIsCutAtEachTextSize() {
        QFETCH(AppLanguage, language);
        QFETCH(PromptPanelTextSize, textSize);
        PanelViewsHarness h;
        h.languages.setSelection(language);
        h.env.writeFile(".orris-hollows/workspaces/alpha.yaml", workspaceYaml("Alpha", {"a1", "a2", "a3", "a4"}));
        h.env.writeFile(".orris-hollows/workspaces/broken.yaml", "workspace: [unclosed\n  - :");
        h.reload();
        // An app name without blanks, longer than the card's value column.
        h.show(PanelViewsHarness::context(AgentType::terminal, "org.example.TerminalEmulatorDeluxe",
                                          "/srv/projects/orris-app"));
        applyInterfaceTextSize(h.panel.get(), textSize);
        QCOMPARE(h.panel->workspacePicker()->spec().form, WorkspacePickerSpec::Form::unbound);
        // The panel's content has the island's width in the 520-wide window, whatever it asks for.
        const int width = int(IslandGeometry::forWindow(QSizeF(520, 700)).panelRect().width());
        QCOMPARE(width, 484);
        h.panel->setFixedWidth(width);
        h.panel->resize(width, 700);
        QCoreApplication::processEvents();
        QCOMPARE(h.panel->width(), width);
        const auto verifyUncut = [](QWidget* root) {
            int checked = 0;
            for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
                if (button->isVisibleTo(root) && !button->text().isEmpty()) {
                    const QString name = button->objectName() + ": " + button->text();
                    if (const auto* brand = qobject_cast<BrandButton*>(button)) {
                        // A brand button may draw its title a little smaller to fit; it must not cut it.
                        QVERIFY2(brand->shownTitle() == brand->text(),
                                 qPrintable(name + " shows " + brand->shownTitle()));
                    } else {
                        QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(name));
                    }
                    const QRect inPanel(button->mapTo(root, QPoint(0, 0)), button->size());
                    QVERIFY2(inPanel.left() >= 0 && inPanel.right() < root->width(), qPrintable(name));
                    ++checked;
                }
            }
            for (QLabel* label : root->findChildren<QLabel*>()) {
                if (label->isVisibleTo(root) && !label->wordWrap() && !label->text().isEmpty()) {
                    const QString name = label->objectName() + ": " + label->text();
                    QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(name));
                    // The text itself, whatever the label's hint says, and the label inside the panel.
                    if (label->textFormat() != Qt::RichText) {
                        QVERIFY2(QFontMetrics(label->font()).horizontalAdvance(label->text()) <=
                                     label->contentsRect().width(),
                                 qPrintable(name));
                    }
                    const QRect inPanel(label->mapTo(root, QPoint(0, 0)), label->size());
                    QVERIFY2(inPanel.left() >= 0 && inPanel.right() < root->width(), qPrintable(name));
                    ++checked;
                }
            }
            QVERIFY(checked > 0);
        };
        verifyUncut(h.panel.get());
        // The picker's three actions each show their whole label.
        WorkspacePickerView* picker = h.panel->workspacePicker();
        for (const char* name : {"pickerBindButton", "pickerCreateButton", "pickerSettingsButton"}) {
            const auto* button = picker->findChild<BrandButton*>(name);
            QVERIFY2(button->isVisibleTo(picker), name);
            QCOMPARE(button->shownTitle(), button->text());
            QVERIFY2(button->geometry().right() < picker->width(), name);
        }
        h.shot(QStringLiteral("panel-uncut-") + QTest::currentDataTag());

        h.panel->header()->debugButton()->click();
        EnvironmentInfoPopoverView* popover = h.panel->header()->popover();
        QTRY_VERIFY(popover != nullptr && popover->isVisible());
        const int scale = PromptPanelTextSizes::basePixelSize(textSize);
        const int system = PromptPanelTextSizes::basePixelSize(PromptPanelTextSize::system);
        QCOMPARE(popover->findChild<QLabel*>("rowValue")->font().pixelSize(), qRound(13.0 * scale / system));
        QCOMPARE(popover->findChild<QLabel*>("environmentTitle")->font().pixelSize(), qRound(15.0 * scale / system));
        for (const QLabel* label : popover->findChildren<QLabel*>()) {
            if (label->isVisibleTo(popover)) {
                QVERIFY(label->geometry().right() < popover->width());
                QVERIFY2(label->height() >= label->heightForWidth(label->width()) || !label->wordWrap(),
                         qPrintable(label->text()));
                // No word is wider than its column: a wrapping label would cut it at the edge.
                const QFontMetrics metrics(label->font());
                for (const QString& word :
                     label->text().split(QRegularExpression(QStringLiteral("[\\s\\x{200B}]+")), Qt::SkipEmptyParts)) {
                    QVERIFY2(metrics.horizontalAdvance(word) <= label->contentsRect().width(), qPrintable(word));
                }
            }
        }
        QDir().mkpath(qEnvironmentVariable("ORRIS_SCREENSHOT_DIR", "/tmp/issue18-shots"));
        popover->grab().save(QDir(qEnvironmentVariable("ORRIS_SCREENSHOT_DIR", "/tmp/issue18-shots"))
                                 .filePath(QStringLiteral("popover-") + QTest::currentDataTag() + ".png"));
    }

    void aLanguageSwitchRetextsEveryView() {
        PanelViewsHarness h;
        h.env.writeFile(".orris-hollows/workspaces/alpha.yaml", workspaceYaml("Alpha", {"a1"}));
        h.env.writeFile(".orris-hollows/workspaces/broken.yaml", "workspace: [unclosed\n  - :");
        h.reload();
        h.show(PanelViewsHarness::context(AgentType::cursor, "Cursor"));
        h.model->setSearchText("nothing matches this");
        const auto texts = [&h] {
            return QStringList{
                h.panel->header()->findChild<QLabel*>("promptCountSuffix")->text(),
                h.panel->header()->findChild<QLabel*>("unboundText")->text(),
                h.panel->workspacePicker()->findChild<BrandButton*>("pickerBindButton")->text(),
                h.panel->emptyView()->findChild<QLabel*>("emptyStateTitle")->text(),
                h.panel->searchView()->field()->placeholderText(),
                h.panel->findChild<QPushButton*>("configIssueReloadButton")->text(),
            };
        };
        const QStringList before = texts();
        h.shot("panel-en");
        h.languages.setSelection(AppLanguage::zhHans);
        QTRY_VERIFY(texts().at(0) != before.at(0));
        const QStringList after = texts();
        for (int i = 0; i < before.size(); ++i) {
            QVERIFY2(after.at(i) != before.at(i), qPrintable(after.at(i)));
        }
        QCOMPARE(after.at(0), L10n::string("prompt.count.suffix", AppLanguage::zhHans));
        h.shot("panel-zh");
        h.model->setSearchText(QString());
        h.shot("panel-zh-unbound");
    }
};

QTEST_MAIN(PanelHeaderViewsTest)
#include "tst_panelheaderviews.moc"
