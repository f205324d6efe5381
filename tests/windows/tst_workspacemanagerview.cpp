#include "FakeDesktopSeams.h"
#include "WorkspaceManagerHome.h"

#include "config/PromptConfigLoader.h"
#include "config/PromptPackService.h"
#include "model/environment/TextSizeStore.h"
#include "services/RequestBus.h"
#include "services/SheetHost.h"
#include "store/PromptStore.h"
#include "widgets/BrandButton.h"
#include "widgets/ConfigIssueBanner.h"
#include "widgets/InterfaceEnvironment.h"
#include "windows/manager/WorkspaceManagerListModel.h"
#include "windows/manager/WorkspaceManagerView.h"
#include "windows/manager/WorkspaceRowDelegate.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyleFactory>
#include <QTest>

#include <cmath>

namespace {

// Takes the sheets the view presents, so a test can see what was opened.
class RecordingSheetHost final : public SheetHost {
public:
    QList<QWidget*> presented;
    void present(QWidget* sheet) override { presented.append(sheet); }
    void dismiss(QWidget* sheet) override { presented.removeAll(sheet); }
    bool isPresenting() const override { return !presented.isEmpty(); }
};

struct ViewHarness {
    WorkspaceManagerHome home;
    RequestBus requests;
    FakeFileChooser chooser;
    FakeConfirmer confirmer;
    FakeFileRevealer revealer;
    std::unique_ptr<WorkspaceManagerView> view;
    int loadsBeforeShow = 0;

    explicit ViewHarness(WorkspaceManagerHome::Content content = WorkspaceManagerHome::Content::files,
                         std::optional<QString> initialID = std::nullopt, AppLanguage language = AppLanguage::english,
                         const std::function<void(WorkspaceManagerView::Dependencies&)>& adjust = {})
        : home(content, language) {
        L10n::setCurrentLanguageProvider([language] { return language; });
        WorkspaceManagerView::Dependencies dependencies{*home.store, requests, chooser, confirmer, revealer};
        if (adjust) {
            adjust(dependencies);
        }
        view = std::make_unique<WorkspaceManagerView>(std::move(dependencies), std::move(initialID));
        view->resize(980, 680);
        loadsBeforeShow = home.loader->loadCount();
        view->show();
        QCoreApplication::processEvents();
    }
    ~ViewHarness() { L10n::setCurrentLanguageProvider({}); }

    template <typename T = QWidget> T* find(const QString& name) const { return view->findChild<T*>(name); }
    QString resultLine() const { return find<QLabel>("resultLine")->text(); }
    QRect rowRect(const QString& id) const {
        auto* rows = static_cast<WorkspaceManagerListModel*>(view->listView()->model());
        return view->listView()->visualRect(rows->indexOf(id));
    }
    void clickTick(const QString& id) const {
        QTest::mouseClick(view->listView()->viewport(), Qt::LeftButton, {},
                          WorkspaceRowDelegate::tickRect(rowRect(id)).center());
    }
    void clickRow(const QString& id) const {
        QTest::mouseClick(view->listView()->viewport(), Qt::LeftButton, {},
                          WorkspaceRowDelegate::blockRect(rowRect(id)).center());
    }
    void click(const QString& name) const {
        auto* button = find<QAbstractButton>(name);
        QVERIFY2(button != nullptr, qPrintable(name));
        QVERIFY2(button->isVisible() && button->isEnabled(), qPrintable(name));
        button->click();
    }
    void shot(const QString& name) const {
        const QString folder = qEnvironmentVariable("ORRIS_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            view->grab().save(QDir(folder).filePath(name + ".png"));
        }
    }
};

QString projectID(const WorkspaceManagerHome& home) {
    return QStringLiteral("project:") + home.projectFile;
}

} // namespace

class WorkspaceManagerViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(30, 30, 36));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Base, QColor(22, 22, 28));
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::Button, QColor(48, 48, 56));
        dark.setColor(QPalette::ButtonText, Qt::white);
        QApplication::setPalette(dark);
    }

    void theListShowsEveryWorkspaceAndTheWindowReloadsOnAppear() {
        ViewHarness h(WorkspaceManagerHome::Content::files, QString("beta"));
        QVERIFY(h.view->sizeHint().width() >= 940 && h.view->sizeHint().height() >= 620);
        QCOMPARE(h.home.loader->loadCount(), h.loadsBeforeShow + 1);
        auto* rows = static_cast<WorkspaceManagerListModel*>(h.view->listView()->model());
        QStringList lines;
        for (const WorkspaceManagerModel::Row& row : rows->rows()) {
            lines << row.name + " | " + row.detailLine + " | " + row.pathText;
        }
        QCOMPARE(lines, (QStringList{"Global Prompts | Global · 0 bindings | ~/.orris-hollows/global.yaml",
                                     "Alpha Team | Workspace · 0 bindings | ~/.orris-hollows/workspaces/alpha.yaml",
                                     "Beta Notes | Workspace · 0 bindings | ~/.orris-hollows/workspaces/beta.yaml",
                                     "Shop | Project · 0 bindings | ~/shop/.orris-hollows.yaml"}));
        // The initial workspace is shown, with Export beside Edit workspace.
        QCOMPARE(h.find<QLabel>("detailName")->text(), QString("Beta Notes"));
        QVERIFY(h.find<QAbstractButton>("exportPackButton")->isVisible());
        QVERIFY(h.find<QAbstractButton>("editWorkspaceButton")->isVisible());
        QVERIFY(!h.find<QWidget>("readOnlyNotice")->isVisible());
        QCOMPARE(h.find<QLabel>("factValue2")->text(), QString("~/.orris-hollows/workspaces/beta.yaml"));
        h.shot("manager-detail-en");

        // A read-only workspace: the notice with its reason, no export, nothing editable.
        h.clickRow(projectID(h.home));
        QCOMPARE(h.view->model().selectedWorkspaceID(), std::optional(projectID(h.home)));
        QVERIFY(h.find<QWidget>("readOnlyNotice")->isVisible());
        QVERIFY(!h.find<QAbstractButton>("exportPackButton")->isVisible());
        QVERIFY(!h.find<QAbstractButton>("editWorkspaceButton")->isEnabled());
        QVERIFY(!h.find<QAbstractButton>("createPromptButton")->isEnabled());
        const QList<QAbstractButton*> rowButtons = h.find<QWidget>("promptList")->findChildren<QAbstractButton*>();
        QVERIFY(!rowButtons.isEmpty());
        QVERIFY(std::none_of(rowButtons.cbegin(), rowButtons.cend(), [](auto* b) { return b->isEnabled(); }));
    }

    void tickingTwoAndDeletingRemovesTheirFiles() {
        ViewHarness h(WorkspaceManagerHome::Content::files, QString("alpha"));
        QVERIFY(!h.find<QAbstractButton>("deleteSelectedButton")->isEnabled());
        h.clickTick(PromptStore::globalWorkspaceID); // read-only: nothing happens
        QVERIFY(h.view->model().selectedForDeletion().isEmpty());
        h.clickTick("alpha");
        // Space ticks the current row.
        auto* rows = static_cast<WorkspaceManagerListModel*>(h.view->listView()->model());
        h.view->listView()->setCurrentIndex(rows->indexOf("beta"));
        QTest::keyClick(h.view->listView(), Qt::Key_Space);
        QCOMPARE(h.view->model().selectedForDeletion(), (QSet<QString>{"alpha", "beta"}));
        // Ticking never changes the selected workspace.
        QCOMPARE(h.view->model().selectedWorkspaceID(), std::optional<QString>("alpha"));
        h.shot("manager-list-ticked-en");

        h.confirmer.answers = {true};
        h.click("deleteSelectedButton");
        QCOMPARE(h.confirmer.titles, QStringList{"Delete the selected workspaces?"});
        QCOMPARE(h.confirmer.messages,
                 QStringList{"Workspaces to delete permanently, with their files: 2\nAlpha Team\nBeta Notes"});
        QVERIFY(!QFile::exists(h.home.workspaceFile("alpha")));
        QVERIFY(!QFile::exists(h.home.workspaceFile("beta")));
        QCOMPARE(h.resultLine(), QString("2 deleted, 0 failed"));
        QVERIFY(h.find<QLabel>("resultLine")->isVisible());
        QVERIFY(!rows->indexOf("alpha").isValid() && !rows->indexOf("beta").isValid());
        QVERIFY(rows->indexOf(PromptStore::globalWorkspaceID).isValid());
        // The shown workspace went: the placeholder.
        QCOMPARE(h.find<QStackedWidget>("workspaceManagerDetail")->currentWidget()->objectName(),
                 QString("noSelectionPlaceholder"));
    }

    void cancellingTheConfirmationDeletesNothing() {
        ViewHarness h;
        h.clickTick("beta");
        h.confirmer.answers = {false};
        h.click("deleteSelectedButton");
        QVERIFY(QFile::exists(h.home.workspaceFile("beta")));
        QVERIFY(!h.find<QLabel>("resultLine")->isVisible());
        QCOMPARE(h.view->model().selectedForDeletion(), QSet<QString>{"beta"});
    }

    void anExportedPackImportsAgainAndIsSelected() {
        ViewHarness h(WorkspaceManagerHome::Content::files, QString("alpha"));
        QDir(h.home.env.home()).mkpath("out");
        // The user removed the extension: ".yaml" comes back.
        const QString chosen = h.home.env.home() + "/out/alpha.orris-hollows-pack";
        h.chooser.answers = {chosen};
        h.click("exportPackButton");
        QCOMPARE(h.chooser.proposedNames, QStringList{"alpha.orris-hollows-pack.yaml"});
        QCOMPARE(h.chooser.titles, QStringList{"Export Pack"});
        const QString written = chosen + ".yaml";
        QVERIFY(QFile::exists(written));
        QCOMPARE(h.resultLine(), QString("Exported the pack to alpha.orris-hollows-pack.yaml"));
        const Result<PromptPackImportPreview> preview = h.home.store->promptPackService().parseImportPreview(written);
        QVERIFY(preview.ok());
        QCOMPARE(preview->pack.workspace.prompts.size(), 2);

        // A search hides other workspaces; the import clears both searches and selects the new one.
        QTest::keyClicks(h.find<QLineEdit>("promptSearchField"), "zzz");
        QCOMPARE(h.find<QWidget>("noPromptSearchResults")->objectName(), QString("noPromptSearchResults"));
        QTest::keyClicks(h.find<QLineEdit>("workspaceSearchField"), "beta");
        h.chooser.answers = {written};
        h.click("importPackButton");
        QCOMPARE(h.chooser.titles.last(), QString("Choose a Pack File"));
        QCOMPARE(h.chooser.filters.last(), QStringList{"Prompt packs (*.yaml *.yml)"});
        const std::optional<QString> installed = h.home.store->lastEditedWorkspaceID();
        QVERIFY(installed && *installed != "alpha");
        QCOMPARE(h.view->model().selectedWorkspaceID(), installed);
        QVERIFY(h.find<QLineEdit>("workspaceSearchField")->text().isEmpty());
        QVERIFY(h.find<QLineEdit>("promptSearchField")->text().isEmpty());
        QCOMPARE(h.resultLine(), QString("Installed the pack Alpha Team"));
        auto* rows = static_cast<WorkspaceManagerListModel*>(h.view->listView()->model());
        QVERIFY(rows->indexOf(*installed).isValid());
        QCOMPARE(h.find<QWidget>("promptList")->findChildren<QFrame*>("promptRow").size(), 2);
    }

    void anAddedExtensionNeverReplacesAFileUnasked() {
        ViewHarness h(WorkspaceManagerHome::Content::files, QString("alpha"));
        const QString existing = h.home.env.writeFile("out/notes.yaml", "mine\n");
        h.chooser.answers = {h.home.env.home() + "/out/notes", h.home.env.home() + "/out/notes"};
        h.confirmer.answers = {false, true};
        h.click("exportPackButton");
        QCOMPARE(h.confirmer.titles, QStringList{"Replace the existing file?"});
        QCOMPARE(h.confirmer.messages, QStringList{"notes.yaml already exists. Exporting replaces its contents."});
        QCOMPARE(h.home.env.readFile("out/notes.yaml"), QByteArray("mine\n"));
        QVERIFY(!h.view->model().resultMessage().has_value());
        h.click("exportPackButton");
        QVERIFY(h.home.store->promptPackService().parseImportPreview(existing).ok());
    }

    void cancellingTheFileChoosersChangesNothing() {
        ViewHarness h(WorkspaceManagerHome::Content::files, QString("alpha"));
        h.click("importPackButton");
        h.click("exportPackButton");
        QCOMPARE(h.chooser.titles.size(), 2);
        QVERIFY(!h.view->model().resultMessage().has_value());
        QCOMPARE(h.view->model().selectedWorkspaceID(), std::optional<QString>("alpha"));
    }

    void copyingASampleSelectsTheNewWorkspace() {
        ViewHarness h(WorkspaceManagerHome::Content::samples);
        QVERIFY(h.home.store->showsTransientSamples());
        const QString sampleID = h.home.store->workspaces().first().id;
        h.clickRow(sampleID);
        QVERIFY(!h.find<QAbstractButton>("editWorkspaceButton")->isVisible());
        QVERIFY(!h.find<QAbstractButton>("exportPackButton")->isVisible());
        h.shot("manager-sample-en");
        QCOMPARE(h.view->model().selectedWorkspaceID(), std::optional(sampleID));
        h.click("copySampleButton");
        const std::optional<QString> selected = h.view->model().selectedWorkspaceID();
        // The copy may take the sample's id, which the sample no longer holds.
        QVERIFY2(selected.has_value(), qPrintable(h.resultLine()));
        const PromptWorkspace* copy = h.home.workspace(*selected);
        QVERIFY(copy != nullptr);
        QCOMPARE(copy->source, PromptWorkspaceSource::userWorkspace);
        QVERIFY(copy->fileURL && QFile::exists(*copy->fileURL));
        QVERIFY(h.resultLine().startsWith("Created workspace"));
    }

    void hidingTheSamplesSurvivesARestart() {
        ViewHarness h(WorkspaceManagerHome::Content::samples);
        h.clickRow(PromptStore::globalWorkspaceID);
        const QString showingSamples = h.home.store->statusMessage();
        h.click("hideSamplesButton");
        // The reload the hiding started ends later: the result line then tells its outcome, not
        // that samples are shown.
        h.home.finishLatestFromHome();
        QCoreApplication::processEvents();
        QVERIFY2(h.resultLine() != showingSamples, qPrintable(h.resultLine()));
        QCOMPARE(h.resultLine(), h.home.store->statusMessage());
        QCOMPARE(h.view->model().selectedWorkspaceID(), std::nullopt);
        QCOMPARE(h.home.env.defaults()->boolValue(PromptConfigLoader::transientSamplesDismissedKey), true);
        QVERIFY(h.view->model().managerWorkspaces().isEmpty());
        QCOMPARE(h.find<QStackedWidget>("workspaceManagerDetail")->currentWidget()->objectName(),
                 QString("detailEmptyStateHolder"));

        h.view.reset();
        h.home.rebuild();
        h.home.loadHome();
        QVERIFY(!h.home.store->showsTransientSamples());
        QVERIFY(h.home.store->workspaceManagerWorkspaces().isEmpty());
    }

    void aMalformedFileShowsItsBannerWithoutOpenManager() {
        WorkspaceManagerHome probe;
        probe.env.writeFile(".orris-hollows/workspaces/broken.yaml", "workspace: [\n");
        ViewHarness h(WorkspaceManagerHome::Content::files, std::nullopt, AppLanguage::english,
                      [&](WorkspaceManagerView::Dependencies&) {});
        h.home.env.writeFile(".orris-hollows/workspaces/broken.yaml", "workspace: [\n");
        h.home.finishLatestFromHome();
        QVERIFY(!h.home.store->configIssues().isEmpty());
        const QList<ConfigIssueBanner*> banners = h.view->findChildren<ConfigIssueBanner*>();
        QCOMPARE(banners.size(), h.home.store->configIssues().size());
        ConfigIssueBanner* banner = banners.first();
        QVERIFY(banner->isVisible());
        QVERIFY(banner->findChild<QPushButton*>("configIssueReloadButton") != nullptr);
        QVERIFY(banner->findChild<QPushButton*>("configIssueShowInFolderButton") != nullptr);
        QCOMPARE(banner->findChild<QPushButton*>("configIssueOpenManagerButton"), nullptr);
        h.shot("manager-banner-en");

        banner->findChild<QPushButton*>("configIssueShowInFolderButton")->click();
        QCOMPARE(h.revealer.revealed, QStringList{h.home.store->configIssues().first().fileURL});
        const int loads = h.home.loader->loadCount();
        banner->findChild<QPushButton*>("configIssueReloadButton")->click();
        QCOMPARE(h.home.loader->loadCount(), loads + 1);
    }

    void theSheetButtonsUseTheFactoriesAndDoNothingWithout() {
        RecordingSheetHost* host = nullptr;
        QList<QString> opened;
        ViewHarness h(WorkspaceManagerHome::Content::files, QString("alpha"), AppLanguage::english,
                      [&](WorkspaceManagerView::Dependencies& dependencies) {
                          dependencies.makeSheetHost = [&host](QWidget*) {
                              auto made = std::make_unique<RecordingSheetHost>();
                              host = made.get();
                              return made;
                          };
                          dependencies.makeWorkspaceEditSheet = [&opened](SheetHost&, const PromptWorkspace& w) {
                              opened << "edit " + w.id;
                              return new QWidget;
                          };
                          dependencies.makePromptEditorSheet = [&opened](SheetHost&, const QString& id,
                                                                         const std::optional<PromptItem>& prompt) {
                              opened << "prompt " + id + " " + (prompt ? prompt->id : QString("new"));
                              return new QWidget;
                          };
                      });
        h.click("editWorkspaceButton");
        h.click("createPromptButton");
        h.find<QWidget>("promptList")->findChildren<QAbstractButton*>("editPromptButton").first()->click();
        QCOMPARE(opened, (QStringList{"edit alpha", "prompt alpha new", "prompt alpha a1"}));
        QVERIFY(host != nullptr);
        QCOMPARE(host->presented.size(), 3);
        qDeleteAll(host->presented);
        host->presented.clear();

        // Without the new-workspace factory the create button is disabled, and does nothing.
        QVERIFY(!h.find<QAbstractButton>("createWorkspaceButton")->isEnabled());
        h.view->createWorkspace();
        QCOMPARE(host->presented.size(), 0);
    }

    void deletingAPromptAsksFirst() {
        ViewHarness h(WorkspaceManagerHome::Content::files, QString("alpha"));
        auto deleteButtons = [&h] {
            return h.find<QWidget>("promptList")->findChildren<QAbstractButton*>("deletePromptButton");
        };
        QCOMPARE(deleteButtons().size(), 2);
        h.confirmer.answers = {false};
        deleteButtons().first()->click();
        QCOMPARE(h.confirmer.titles, QStringList{"Delete this prompt?"});
        QCOMPARE(h.confirmer.messages, QStringList{"Title a1"});
        QCOMPARE(h.home.workspace("alpha")->prompts.size(), 2);
        h.confirmer.answers = {true};
        deleteButtons().first()->click();
        QCOMPARE(h.home.workspace("alpha")->prompts.size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(deleteButtons().size(), 1);
    }

    // A tiling window manager gives the window less than its minimum width: the detail pane goes
    // below the list, whole, and the view scrolls; at full width the columns come back.
    void aNarrowWindowPutsTheDetailBelowTheList() {
        ViewHarness h(WorkspaceManagerHome::Content::files, QString("beta"));
        QVERIFY(!h.view->isNarrow());
        auto* sidebar = h.find("workspaceManagerSidebar");
        auto* detail = h.find("workspaceManagerDetailColumn");
        auto* body = h.find<QScrollArea>("workspaceManagerBody");
        QCOMPARE(sidebar->width(), WorkspaceManagerView::sidebarWidth);
        QVERIFY(detail->x() >= sidebar->geometry().right());

        h.view->resize(636, 680);
        QCoreApplication::processEvents();
        QVERIFY(h.view->isNarrow());
        QVERIFY(detail->y() > sidebar->geometry().bottom());
        QVERIFY(sidebar->height() >= WorkspaceManagerView::narrowListHeight);
        const int viewportWidth = body->viewport()->width();
        QVERIFY(sidebar->width() <= viewportWidth && sidebar->width() >= viewportWidth - 2);
        QVERIFY(detail->width() <= viewportWidth);
        // Every button of the detail pane lies within the width, none cut off at the edge.
        for (const QString& name : {QStringLiteral("editWorkspaceButton"), QStringLiteral("exportPackButton")}) {
            auto* button = h.find<QAbstractButton>(name);
            QVERIFY2(button->isVisible(), qPrintable(name));
            const QRect inBody(button->mapTo(body->widget(), QPoint(0, 0)), button->size());
            QVERIFY2(inBody.left() >= 0 && inBody.right() < viewportWidth, qPrintable(name));
        }
        // The detail pane is reached by scrolling.
        QVERIFY(body->verticalScrollBar()->maximum() > 0);
        body->ensureWidgetVisible(h.find<QAbstractButton>("exportPackButton"));
        h.shot("manager-narrow");

        h.view->resize(980, 680);
        QCoreApplication::processEvents();
        QVERIFY(!h.view->isNarrow());
        QCOMPARE(sidebar->width(), WorkspaceManagerView::sidebarWidth);
        QVERIFY(detail->x() >= sidebar->geometry().right());
        QCOMPARE(body->verticalScrollBar()->maximum(), 0);
    }

    // A prompt with a very long title (words, or one unbroken run) must not push any row's Edit
    // and Delete out of the pane, at any width the window allows.
    void longPromptTitlesKeepEveryRowsButtonsInThePane_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("width");
        const QString words = QStringLiteral("Review the checkout flow for every payment provider and write down "
                                             "each failure mode with its retry rules and alert");
        const QString unbroken = QString(115, QChar('x'));
        for (const int width : {940, 980, 1270}) {
            QTest::newRow(qPrintable(QString("words %1").arg(width))) << words << width;
            QTest::newRow(qPrintable(QString("unbroken %1").arg(width))) << unbroken << width;
        }
    }
    void longPromptTitlesKeepEveryRowsButtonsInThePane() {
        QFETCH(QString, title);
        QFETCH(int, width);
        QCOMPARE(title.size(), 115);
        ViewHarness h(WorkspaceManagerHome::Content::files, QString("long"));
        h.home.env.writeFile(".orris-hollows/workspaces/long.yaml",
                             QString("workspace:\n  name: \"Long\"\n  match_paths: []\n\nprompts:\n"
                                     "  - id: \"short\"\n    title: \"Short\"\n    text: \"A\"\n"
                                     "  - id: \"long\"\n    title: \"%1\"\n    group: \"%1\"\n"
                                     "    text: \"%1\"\n")
                                 .arg(title)
                                 .toUtf8());
        h.home.reloadHome();
        h.view->model().selectWorkspace("long");
        h.view->resize(width, 680);
        QCoreApplication::processEvents();
        QTest::qWait(20);

        auto* pane = h.find<QWidget>("promptScroll");
        const QRect inside = pane->rect();
        const QList<QWidget*> rows = h.find<QWidget>("promptList")->findChildren<QWidget*>("promptRow");
        QCOMPARE(rows.size(), 2);
        for (QWidget* row : rows) {
            for (const QString& name : {QString("editPromptButton"), QString("deletePromptButton")}) {
                auto* button = row->findChild<QAbstractButton*>(name);
                QVERIFY(button != nullptr && button->isVisible());
                const QRect rect(button->mapTo(pane, QPoint(0, 0)), button->size());
                QVERIFY2(inside.contains(rect), qPrintable(QString("%1 of %2 at %3,%4 %5 wide, pane %6 wide")
                                                               .arg(name, row->property("promptID").toString())
                                                               .arg(rect.x())
                                                               .arg(rect.y())
                                                               .arg(rect.width())
                                                               .arg(inside.width())));
            }
        }
        h.shot(QString("manager-long-title-%1-%2").arg(title.contains(' ') ? "words" : "unbroken").arg(width));
        // Both buttons of the long row work.
        QWidget* longRow = rows.at(1);
        QCOMPARE(longRow->property("promptID").toString(), QString("long"));
        h.confirmer.answers = {false};
        longRow->findChild<QAbstractButton*>("deletePromptButton")->click();
        QCOMPARE(h.confirmer.messages, QStringList{title});
        QCOMPARE(h.view->findChild<QWidget*>("promptList")->findChildren<QWidget*>("promptRow").size(), 2);
    }

    // A read-only reason too long for one line in the list takes more lines, not an ellipsis.
    void aLongReadOnlyReasonWrapsInTheList() {
        ViewHarness h;
        auto* list = h.view->listView();
        auto* rows = static_cast<WorkspaceManagerListModel*>(list->model());
        const int global = rows->indexOf(PromptStore::globalWorkspaceID).row();
        QVERIFY(!rows->rows().at(global).readOnlyReason.isEmpty());
        const int oneReason = h.rowRect(PromptStore::globalWorkspaceID).height();
        QList<WorkspaceManagerModel::Row> changed = rows->rows();
        changed[global].readOnlyReason =
            QString("This workspace comes from a file that belongs to someone else. ").repeated(3);
        rows->setRows(changed);
        QCoreApplication::processEvents();
        QVERIFY2(h.rowRect(PromptStore::globalWorkspaceID).height() > oneReason + 20,
                 qPrintable(QString::number(h.rowRect(PromptStore::globalWorkspaceID).height())));
    }

    // The text size chosen while the manager is open reaches its labels, fields, list rows and
    // prompt rows at once, and rows built later (another workspace) keep it.
    void theTextSizeReachesTheManagerLive() {
        ViewHarness h(WorkspaceManagerHome::Content::files, QString("alpha"));
        TextSizeStore sizes(h.home.env.defaults());
        applyInterfaceTextSize(h.view.get(), sizes);
        QCoreApplication::processEvents();
        const auto pixels = [&h](const QString& name) { return h.find<QWidget>(name)->font().pixelSize(); };
        QCOMPARE(pixels("detailName"), 20);
        QCOMPARE(pixels("promptTitle"), 13);
        QCOMPARE(pixels("workspaceSearchField"), 13);
        const int rowHeight = h.rowRect("beta").height();
        h.shot("manager-detail-en-system");

        sizes.setSelection(PromptPanelTextSize::large);
        QCoreApplication::processEvents();
        QCOMPARE(pixels("detailName"), 26);
        QCOMPARE(pixels("promptTitle"), 17);
        QCOMPARE(pixels("workspaceSearchField"), 17);
        QCOMPARE(pixels("resultLine"), 14);
        QTRY_VERIFY2(h.rowRect("beta").height() > rowHeight, qPrintable(QString::number(h.rowRect("beta").height())));
        h.view->model().selectWorkspace("beta");
        QCoreApplication::processEvents();
        QCOMPARE(pixels("promptTitle"), 17);
        h.shot("manager-detail-en-large");
    }

    // The tick boxes of user workspaces stand out from the list by 3:1 or more; a disabled
    // "Delete Selected" is drawn unlike an enabled one.
    void tickBoxesShowAndDisabledButtonsLookDisabled() {
        ViewHarness h;
        const auto luminance = [](QRgb rgb) {
            const auto channel = [](int value) {
                const double c = value / 255.0;
                return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
        };
        const auto contrastOfBox = [&](const QString& id) {
            const QImage image = h.view->listView()->viewport()->grab().toImage();
            const QRect box = WorkspaceRowDelegate::tickRect(h.rowRect(id));
            const double background = luminance(image.pixel(h.rowRect(id).left(), box.center().y()));
            double best = 1;
            for (int y = box.top(); y <= box.bottom(); ++y) {
                for (int x = box.left(); x <= box.right(); ++x) {
                    const double l = luminance(image.pixel(x, y));
                    best = std::max(best, (std::max(l, background) + 0.05) / (std::min(l, background) + 0.05));
                }
            }
            return best;
        };
        QVERIFY2(contrastOfBox("alpha") >= 3.0, qPrintable(QString::number(contrastOfBox("alpha"))));
        h.clickTick("alpha");
        QVERIFY2(contrastOfBox("alpha") >= 3.0, qPrintable(QString::number(contrastOfBox("alpha"))));
        // A read-only row's box is there, but faint.
        QVERIFY(contrastOfBox(PromptStore::globalWorkspaceID) < 3.0);

        auto* remove = h.find<BrandButton>("deleteSelectedButton");
        QVERIFY(remove->isEnabled());
        const ButtonLook enabled = remove->look();
        h.view->model().clearSelection();
        QVERIFY(!remove->isEnabled());
        const ButtonLook disabled = remove->look();
        QVERIFY(disabled.foreground.alphaF() < 0.5 * enabled.foreground.alphaF());
        QVERIFY(disabled.fillTop.alphaF() < 0.5 * enabled.fillTop.alphaF());
    }

    // The manager in both languages at System and Large: no button or one-line label is given
    // less than it needs, in the list and detail and in the empty state.
    void nothingIsCutAtEachTextSize_data() {
        QTest::addColumn<AppLanguage>("language");
        QTest::addColumn<PromptPanelTextSize>("textSize");
        QTest::newRow("en") << AppLanguage::english << PromptPanelTextSize::system;
        QTest::newRow("en-large") << AppLanguage::english << PromptPanelTextSize::large;
        QTest::newRow("zh-Hans") << AppLanguage::zhHans << PromptPanelTextSize::system;
        QTest::newRow("zh-Hans-large") << AppLanguage::zhHans << PromptPanelTextSize::large;
    }
    void nothingIsCutAtEachTextSize() {
        QFETCH(AppLanguage, language);
        QFETCH(PromptPanelTextSize, textSize);
        const QString suffix = QString(QTest::currentDataTag());
        const auto verifyUncut = [](QWidget* root) {
            for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
                if (button->isVisibleTo(root)) {
                    QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->objectName()));
                }
            }
            for (QLabel* label : root->findChildren<QLabel*>()) {
                if (label->isVisibleTo(root) && !label->wordWrap() && !label->text().isEmpty()) {
                    QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
                }
            }
        };
        {
            ViewHarness h(WorkspaceManagerHome::Content::files, QString("alpha"), language);
            applyInterfaceTextSize(h.view.get(), textSize);
            h.view->model().setTicked("beta", true);
            QCoreApplication::processEvents();
            verifyUncut(h.view.get());
            h.shot("manager-list-detail-" + suffix);
        }
        {
            ViewHarness h(WorkspaceManagerHome::Content::samples, std::nullopt, language);
            applyInterfaceTextSize(h.view.get(), textSize);
            h.view->model().hideSamples();
            h.home.finishLatestFromHome();
            QCoreApplication::processEvents();
            QCOMPARE(h.find<QStackedWidget>("workspaceManagerDetail")->currentWidget()->objectName(),
                     QString("detailEmptyStateHolder"));
            verifyUncut(h.view.get());
            h.shot("manager-empty-" + suffix);
        }
    }

    void screenshotsInChineseAndWithLongText() {
        ViewHarness h(WorkspaceManagerHome::Content::files, QString("alpha"), AppLanguage::zhHans);
        h.home.writeWorkspaceFile("long", QString(80, QChar(u'长')) + " workspace with a very long name", {"l1"});
        h.home.reloadHome();
        h.view->model().setTicked("beta", true);
        QCOMPARE(h.find<QAbstractButton>("deleteSelectedButton")->text(), QString("删除所选"));
        h.shot("manager-detail-zh");
        h.view->model().selectWorkspace(PromptStore::globalWorkspaceID);
        h.shot("manager-readonly-zh");
        h.view->model().setWorkspaceSearch("nothing at all");
        QCOMPARE(h.find<QStackedWidget>("workspaceListStack")->currentWidget()->objectName(),
                 QString("listEmptyState"));
        h.view->model().selectWorkspace(std::nullopt);
        h.shot("manager-filtered-empty-zh");
        h.find<QAbstractButton>("emptyClearSearchButton")->click();
        QCoreApplication::processEvents();
        QVERIFY(h.find<QLineEdit>("workspaceSearchField")->text().isEmpty());
        QCOMPARE(h.find<QStackedWidget>("workspaceListStack")->currentWidget(), h.view->listView());
    }
};

QTEST_MAIN(WorkspaceManagerViewTest)
#include "tst_workspacemanagerview.moc"
