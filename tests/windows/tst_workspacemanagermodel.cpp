#include "PromptFixtures.h"
#include "WorkspaceManagerHome.h"

#include "context/ContextBindingStore.h"
#include "store/PromptStore.h"
#include "windows/manager/WorkspaceManagerModel.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

namespace {

using EmptyState = WorkspaceManagerEmptyState;
using Input = WorkspaceManagerEmptyStateInput;
using Selection = WorkspaceManagerEmptyStateInput::Selection;

QStringList ids(const QList<PromptWorkspace>& workspaces) {
    return PromptFixtures::ids(workspaces);
}

QString projectID(const WorkspaceManagerHome& home) {
    return QStringLiteral("project:") + home.projectFile;
}

PromptItem promptWith(const QString& id, const QString& title, const QString& group, const QStringList& tags,
                      const QString& text) {
    return PromptItem{id, title, text, group, tags, std::nullopt, std::nullopt, false};
}

} // namespace

Q_DECLARE_METATYPE(std::optional<WorkspaceManagerEmptyState>)

class WorkspaceManagerModelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("TZ", "UTC");
        tzset();
    }

    // ---- search ----

    void filter_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected");
        const QString global = PromptStore::globalWorkspaceID;
        QTest::newRow("empty: the whole list in store order") << "" << QStringList{global, "alpha", "beta", "project"};
        QTest::newRow("blanks are no search") << " \t\n " << QStringList{global, "alpha", "beta", "project"};
        QTest::newRow("name, any case") << "ALPHA team" << QStringList{"alpha"};
        QTest::newRow("a path fragment") << "workspaces/be" << QStringList{"beta"};
        QTest::newRow("the localised source label") << "proj" << QStringList{"project"};
        QTest::newRow("an id alone finds nothing") << "__orris_hollows" << QStringList{};
        QTest::newRow("a match path finds nothing") << "alpha-match" << QStringList{};
        QTest::newRow("the tilde form finds nothing") << "~/.orris-hollows" << QStringList{};
        QTest::newRow("the home folder finds every file")
            << "<home>/" << QStringList{global, "alpha", "beta", "project"};
    }

    void filter() {
        QFETCH(QString, query);
        QFETCH(QStringList, expected);
        WorkspaceManagerHome home;
        WorkspaceManagerModel model(*home.store, std::nullopt);
        model.setWorkspaceSearch(QString(query).replace("<home>", home.env.home()));
        QStringList found = ids(model.filteredWorkspaces());
        found.replaceInStrings(projectID(home), "project");
        QCOMPARE(found, expected);
    }

    void filterUsesTheInterfaceLanguageAndTheNotSavedText() {
        WorkspaceManagerHome chinese(WorkspaceManagerHome::Content::files, AppLanguage::zhHans);
        WorkspaceManagerModel model(*chinese.store, std::nullopt);
        model.setWorkspaceSearch(QStringLiteral("项目"));
        QCOMPARE(ids(model.filteredWorkspaces()), QStringList{projectID(chinese)});
        model.setWorkspaceSearch(QStringLiteral("project"));
        QCOMPARE(model.filteredWorkspaces().size(), 0);

        // The samples have no file: they match a part of the "not saved" text.
        WorkspaceManagerHome samples(WorkspaceManagerHome::Content::samples);
        WorkspaceManagerModel sampleModel(*samples.store, std::nullopt);
        const int all = int(sampleModel.managerWorkspaces().size());
        QVERIFY(all >= 2);
        sampleModel.setWorkspaceSearch(QStringLiteral("NOT sav"));
        QCOMPARE(int(sampleModel.filteredWorkspaces().size()), all);
        QCOMPARE(sampleModel.rows().first().pathText, QStringLiteral("Not saved"));
    }

    void homeAbbreviation_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("expected");
        QTest::newRow("the home itself") << "/home/u"
                                         << "/home/u"
                                         << "~";
        QTest::newRow("under the home") << "/home/u/a/b.yaml"
                                        << "/home/u"
                                        << "~/a/b.yaml";
        QTest::newRow("a home with a trailing slash") << "/home/u/a"
                                                      << "/home/u/"
                                                      << "~/a";
        QTest::newRow("a neighbour sharing the prefix") << "/home/user2/a.yaml"
                                                        << "/home/u"
                                                        << "/home/user2/a.yaml";
        QTest::newRow("outside") << "/srv/a.yaml"
                                 << "/home/u"
                                 << "/srv/a.yaml";
        QTest::newRow("root as home never shortens") << "/etc/a"
                                                     << "/"
                                                     << "/etc/a";
    }

    void homeAbbreviation() {
        QFETCH(QString, path);
        QFETCH(QString, home);
        QFETCH(QString, expected);
        QCOMPARE(WorkspaceManagerModel::abbreviatingHome(path, home), expected);
    }

    void rowsShowSourceBindingsAndTheTildePath() {
        WorkspaceManagerHome home;
        QVERIFY(home.store->bindAgent(AgentType::zed, "alpha", false));
        WorkspaceManagerModel model(*home.store, QString("beta"));
        const QList<WorkspaceManagerModel::Row> rows = model.rows();
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows.at(0).detailLine, QString("Global · 0 bindings"));
        QCOMPARE(rows.at(0).pathText, QString("~/.orris-hollows/global.yaml"));
        QVERIFY(!rows.at(0).isTickable);
        QCOMPARE(rows.at(0).readOnlyReason, home.store->readOnlyReason(home.store->workspaceManagerWorkspaces().at(0)));
        QCOMPARE(rows.at(1).name, QString("Alpha Team"));
        QCOMPARE(rows.at(1).promptCountText, QString("2"));
        QCOMPARE(rows.at(1).detailLine, QString("Workspace · 1 binding"));
        QCOMPARE(rows.at(1).pathText, QString("~/.orris-hollows/workspaces/alpha.yaml"));
        QVERIFY(rows.at(1).isTickable);
        QVERIFY(rows.at(1).readOnlyReason.isEmpty());
        QVERIFY(!rows.at(1).isSelected);
        QVERIFY(rows.at(2).isSelected);
        QCOMPARE(rows.at(3).pathText, QString("~/shop/.orris-hollows.yaml"));
        QCOMPARE(rows.at(3).detailLine, QString("Project · 0 bindings"));
        QVERIFY(!rows.at(3).isTickable);
        QVERIFY(home.store->bindAgent(AgentType::cursor, "alpha", false));
        QCOMPARE(model.rows().at(1).detailLine, QString("Workspace · 2 bindings"));
        // Chinese has one form for every count.
        WorkspaceManagerHome chinese(WorkspaceManagerHome::Content::files, AppLanguage::zhHans);
        QVERIFY(chinese.store->bindAgent(AgentType::zed, "alpha", false));
        QVERIFY2(WorkspaceManagerModel(*chinese.store, std::nullopt).rows().at(1).detailLine.endsWith("1 个绑定"),
                 qPrintable(WorkspaceManagerModel(*chinese.store, std::nullopt).rows().at(1).detailLine));
    }

    // ---- ticks and deletion ----

    void readOnlyRowsCannotBeTickedAndHiddenTicksStillCount() {
        WorkspaceManagerHome home;
        WorkspaceManagerModel model(*home.store, std::nullopt);
        QSignalSpy listChanged(&model, &WorkspaceManagerModel::listChanged);
        model.setTicked(PromptStore::globalWorkspaceID, true);
        model.setTicked(projectID(home), true);
        model.setTicked("nobody", true);
        QVERIFY(model.selectedForDeletion().isEmpty());
        QCOMPARE(listChanged.count(), 0);
        QVERIFY(!model.canDeleteSelection());
        QVERIFY(!model.canClearSelection());

        model.setTicked("beta", true);
        model.setWorkspaceSearch("alpha");
        model.selectFiltered();
        QCOMPARE(model.selectedForDeletion(), (QSet<QString>{"alpha", "beta"}));
        // beta is hidden by the search and still counts.
        QCOMPARE(model.deletableSelection(), (QSet<QString>{"alpha", "beta"}));
        QVERIFY(model.canDeleteSelection());

        // A search that shows only read-only workspaces offers nothing to tick.
        model.setWorkspaceSearch("proj");
        QVERIFY(!model.canSelectFiltered());
        model.setWorkspaceSearch("");
        QVERIFY(model.canSelectFiltered());
        model.selectFiltered();
        QCOMPARE(model.selectedForDeletion(), (QSet<QString>{"alpha", "beta"}));

        model.clearSelection();
        QVERIFY(model.selectedForDeletion().isEmpty());
        QVERIFY(!model.canDeleteSelection());
    }

    void theConfirmationCountsDeletableIdsAndSortsNamesByCodePoint() {
        WorkspaceManagerHome home;
        home.writeWorkspaceFile("umlaut", "Ärger", {"u1"});
        home.writeWorkspaceFile("zulu", "Zulu", {"z1"});
        home.reloadHome();
        WorkspaceManagerModel model(*home.store, std::nullopt);
        for (const QString id : {"zulu", "umlaut", "beta", "alpha"}) {
            model.setTicked(id, true);
        }
        QCOMPARE(model.deleteWorkspaceMessage(), QString("Workspaces to delete permanently, with their files: 4\n"
                                                         "Alpha Team\nBeta Notes\nZulu\nÄrger"));

        // A ticked workspace that left the list no longer counts, though it stays ticked.
        QVERIFY(QFile::remove(home.workspaceFile("zulu")));
        home.reloadHome();
        QCOMPARE(model.selectedForDeletion().size(), 4);
        QCOMPARE(model.deletableSelection().size(), 3);
        QVERIFY(model.deleteWorkspaceMessage().startsWith("Workspaces to delete permanently, with their files: 3\n"));
        QVERIFY(!model.deleteWorkspaceMessage().contains("Zulu"));
    }

    void failuresStayTickedAndTheResultLineNamesThem() {
        WorkspaceManagerHome home;
        WorkspaceManagerModel model(*home.store, QString("beta"));
        model.setTicked("alpha", true);
        model.setTicked("beta", true);
        // Someone edits alpha.yaml after it was loaded: it is kept.
        const QString alphaFile = ".orris-hollows/workspaces/alpha.yaml";
        home.env.writeFile(alphaFile, home.env.readFile(alphaFile) + "  - id: \"theirs\"\n    title: \"T\"\n"
                                                                     "    text: \"Kept\"\n");
        model.deleteSelectedWorkspaces();

        QCOMPARE(model.selectedForDeletion(), QSet<QString>{"alpha"});
        QVERIFY(QFile::exists(home.workspaceFile("alpha")));
        QVERIFY(!QFile::exists(home.workspaceFile("beta")));
        QCOMPARE(*model.resultMessage(),
                 QString("1 deleted, 1 failed\nAlpha Team: The file alpha.yaml changed on disk since it was loaded, "
                         "so the workspace was kept. Reload and try again."));
        // The shown workspace was deleted: the pane falls back to the placeholder.
        QCOMPARE(model.selectedWorkspaceID(), std::nullopt);
        QCOMPARE(model.detailMode(), WorkspaceManagerModel::DetailMode::placeholder);
    }

    void aSuccessfulBatchLeavesTheSummaryAlone() {
        WorkspaceManagerHome home;
        WorkspaceManagerModel model(*home.store, QString("alpha"));
        model.setTicked("beta", true);
        model.deleteSelectedWorkspaces();
        QCOMPARE(*model.resultMessage(), QString("1 deleted, 0 failed"));
        QVERIFY(model.selectedForDeletion().isEmpty());
        QCOMPARE(model.selectedWorkspaceID(), std::optional<QString>("alpha"));
    }

    // ---- selection and empty states ----

    void emptyStateResolution_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("filtered");
        QTest::addColumn<bool>("searching");
        QTest::addColumn<int>("selectionKind"); // 0 none, 1 editable, 2 read-only
        QTest::addColumn<int>("promptCount");
        QTest::addColumn<std::optional<EmptyState>>("expected");
        QTest::newRow("no data wins over a search") << 0 << 0 << true << 1 << 0 << std::optional(EmptyState::noData());
        QTest::newRow("no data wins over a selection")
            << 0 << 0 << false << 2 << 0 << std::optional(EmptyState::noData());
        QTest::newRow("a search that hides all wins over a selection")
            << 3 << 0 << true << 1 << 5 << std::optional(EmptyState::filteredToEmpty());
        QTest::newRow("blank search is no search") << 3 << 0 << false << 0 << 0 << std::optional<EmptyState>();
        QTest::newRow("a search that finds one") << 3 << 1 << true << 0 << 0 << std::optional<EmptyState>();
        QTest::newRow("read-only whatever its prompts")
            << 3 << 3 << false << 2 << 4 << std::optional(EmptyState::readOnly(false));
        QTest::newRow("editable with prompts") << 3 << 3 << false << 1 << 2 << std::optional<EmptyState>();
        QTest::newRow("editable without prompts")
            << 3 << 3 << false << 1 << 0 << std::optional(EmptyState::editableEmpty());
    }

    void emptyStateResolution() {
        QFETCH(int, count);
        QFETCH(int, filtered);
        QFETCH(bool, searching);
        QFETCH(int, selectionKind);
        QFETCH(int, promptCount);
        QFETCH(std::optional<EmptyState>, expected);
        Input input{count, filtered, searching,
                    selectionKind == 0   ? Selection::none()
                    : selectionKind == 1 ? Selection::editable(promptCount, promptCount % 2 == 0)
                                         : Selection::readOnly(false)};
        QCOMPARE(EmptyState::resolve(input), expected);
    }

    void emptyStateActionsKeepTheirButtonOrder() {
        using Action = WorkspaceManagerEmptyAction;
        QCOMPARE(EmptyState::noData().orderedActions(),
                 (QList<Action>{Action::createWorkspace, Action::importPromptPack}));
        QCOMPARE(EmptyState::editableEmpty().orderedActions(),
                 (QList<Action>{Action::createPrompt, Action::importPromptPack}));
        QCOMPARE(EmptyState::filteredToEmpty().orderedActions(), QList<Action>{Action::clearWorkspaceFilter});
        QCOMPARE(EmptyState::readOnly(true).orderedActions(), QList<Action>{Action::exportPromptPack});
        QVERIFY(EmptyState::readOnly(false).orderedActions().isEmpty());
        QVERIFY(EmptyState::readOnly(true) != EmptyState::readOnly(false));
    }

    void theManagerResolvesItsEmptyStateAndDetailMode() {
        WorkspaceManagerHome home;
        // An unknown initial id selects nothing.
        WorkspaceManagerModel model(*home.store, QString("gone"));
        QCOMPARE(model.selectedWorkspace(), std::nullopt);
        const auto rows = model.rows(); // one list: rows() returns a fresh copy on every call
        QVERIFY(std::none_of(rows.cbegin(), rows.cend(), [](const auto& row) { return row.isSelected; }));
        QCOMPARE(model.detailMode(), WorkspaceManagerModel::DetailMode::placeholder);

        model.setWorkspaceSearch("nothing like this");
        QCOMPARE(model.managerEmptyState(), std::optional(EmptyState::filteredToEmpty()));
        QCOMPARE(model.detailMode(), WorkspaceManagerModel::DetailMode::emptyState);
        QCOMPARE(model.listEmptyState(), EmptyState::filteredToEmpty());

        // Read-only selections are never offered the export: the store exports user workspaces.
        model.setWorkspaceSearch("");
        model.selectWorkspace(projectID(home));
        QCOMPARE(model.managerEmptyState(), std::optional(EmptyState::readOnly(false)));
        QCOMPARE(model.detailMode(), WorkspaceManagerModel::DetailMode::workspace);

        WorkspaceManagerHome empty(WorkspaceManagerHome::Content::samples);
        empty.store->dismissTransientSamples();
        empty.finishLatestFromHome();
        WorkspaceManagerModel emptyModel(*empty.store, QString("gone"));
        QVERIFY(emptyModel.managerWorkspaces().isEmpty());
        QCOMPARE(emptyModel.managerEmptyState(), std::optional(EmptyState::noData()));
        QCOMPARE(emptyModel.detailMode(), WorkspaceManagerModel::DetailMode::emptyState);
        QCOMPARE(emptyModel.listEmptyState(), EmptyState::noData());
    }

    // ---- detail pane ----

    void promptSearchAndListModes() {
        WorkspaceManagerHome home;
        PromptWorkspace workspace = *home.workspace("alpha");
        workspace.prompts = {promptWith("r", "Code Review", "Checks", {}, "Look"),
                             promptWith("t", "Tagged", "", {"ui", "web"}, "x"),
                             promptWith("x", "Other", "", {}, "plain")};
        WorkspaceManagerModel model(*home.store, std::nullopt);
        model.setPromptSearch("   ");
        QCOMPARE(model.filteredPrompts(workspace).size(), 3);
        model.setPromptSearch(" review ");
        QCOMPARE(PromptFixtures::ids(model.filteredPrompts(workspace)), QStringList{"r"});
        model.setPromptSearch("UI");
        QCOMPARE(PromptFixtures::ids(model.filteredPrompts(workspace)), QStringList{"t"});
        model.setPromptSearch("zzz");
        QCOMPARE(model.promptListMode(workspace), WorkspaceManagerModel::PromptListMode::noSearchResults);
        workspace.prompts.clear();
        // An empty user workspace shows its empty state, also while a search is typed.
        QCOMPARE(model.promptListMode(workspace), WorkspaceManagerModel::PromptListMode::editableEmpty);
        workspace.source = PromptWorkspaceSource::projectConfig;
        QCOMPARE(model.promptListMode(workspace), WorkspaceManagerModel::PromptListMode::noPrompts);
    }

    void promptRowTexts() {
        WorkspaceManagerHome home;
        WorkspaceManagerModel model(*home.store, std::nullopt);
        const PromptWorkspace alpha = *home.workspace("alpha");
        QCOMPARE(model.promptMetaLine(promptWith("a", "A", "", {}, "")), QString());
        QCOMPARE(model.promptMetaLine(promptWith("a", "A", "Review", {"ui", "web"}, "")), QString("Review · ui, web"));
        QCOMPARE(model.promptMetaLine(promptWith("a", "A", "", {"ui", "web"}, "")), QString("ui, web"));
        const WorkspaceManagerModel::PromptRow row =
            model.promptRow(promptWith("a", "A", "G", {}, "one\ntwo\nthree"), alpha);
        QCOMPARE(row.text, QString("one two three"));
        QVERIFY(row.isEditable);
        QVERIFY(!model.promptRow(promptWith("a", "A", "G", {}, ""), home.store->workspaceManagerWorkspaces().first())
                     .isEditable);
    }

    void factsAndModifiedTime() {
        WorkspaceManagerHome home;
        WorkspaceManagerModel model(*home.store, std::nullopt);
        PromptWorkspace alpha = *home.workspace("alpha");
        const std::optional<QDateTime> loaded = home.store->workspaceMetadata().value("alpha").modificationDate;
        QVERIFY(loaded.has_value());
        QCOMPARE(model.modifiedTime(alpha), WorkspaceManagerModel::formatModifiedTime(*loaded, AppLanguage::english));
        const QList<WorkspaceManagerModel::Fact> facts = model.facts(alpha);
        QCOMPARE(facts.size(), 4);
        QCOMPARE(facts.at(0).value, QString("2"));
        QCOMPARE(facts.at(2).value, QString("~/.orris-hollows/workspaces/alpha.yaml"));
        alpha.id = "not-loaded";
        QCOMPARE(model.modifiedTime(alpha), QString("None"));

        const QDateTime date(QDate(2026, 3, 4), QTime(17, 5), Qt::UTC);
        QCOMPARE(WorkspaceManagerModel::formatModifiedTime(date, AppLanguage::english),
                 QString("Mar 4, 2026, 5:05 PM"));
        QCOMPARE(WorkspaceManagerModel::formatModifiedTime(date, AppLanguage::zhHans), QString("2026年3月4日 17:05"));
    }

    // ---- packs ----

    void exportNamesAndTargets() {
        QCOMPARE(WorkspaceManagerModel::proposedExportFileName("team-notes"),
                 QString("team-notes.orris-hollows-pack.yaml"));
        QCOMPARE(WorkspaceManagerModel::exportDestination("/t/team.orris-hollows-pack"),
                 QString("/t/team.orris-hollows-pack.yaml"));
        QCOMPARE(WorkspaceManagerModel::exportDestination("/t/team"), QString("/t/team.yaml"));
        QCOMPARE(WorkspaceManagerModel::exportDestination("/t/team.yaml"), QString("/t/team.yaml"));
        QCOMPARE(WorkspaceManagerModel::exportDestination("/t/team.YML"), QString("/t/team.YML"));

        WorkspaceManagerHome home;
        const QList<PromptWorkspace> listed = home.store->workspaceManagerWorkspaces();
        QCOMPARE(ids(listed).size(), 4);
        QVERIFY(!WorkspaceManagerModel::canExport(listed.at(0))); // global
        QVERIFY(WorkspaceManagerModel::canExport(listed.at(1)));
        QVERIFY(!WorkspaceManagerModel::canExport(listed.at(3))); // project
        PromptWorkspace unsaved = listed.at(1);
        unsaved.fileURL.reset();
        QVERIFY(!WorkspaceManagerModel::canExport(unsaved));
    }

    void aFailedImportKeepsTheSelectionAndShowsTheError() {
        WorkspaceManagerHome home;
        WorkspaceManagerModel model(*home.store, QString("beta"));
        model.setWorkspaceSearch("be");
        const QString bad = home.env.writeFile("bad.yaml", "prompts: [");
        model.importPromptPack(bad);
        QVERIFY(model.resultMessage().has_value());
        QVERIFY(!model.resultMessage()->isEmpty());
        QCOMPARE(model.selectedWorkspaceID(), std::optional<QString>("beta"));
        QCOMPARE(model.workspaceSearch(), QString("be"));
        QCOMPARE(home.store->workspaces().size(), 2);
    }
};

QTEST_GUILESS_MAIN(WorkspaceManagerModelTest)
#include "tst_workspacemanagermodel.moc"
