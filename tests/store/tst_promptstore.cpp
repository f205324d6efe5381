#include "PromptFixtures.h"
#include "PromptStoreFileHarness.h"
#include "PromptStoreHarness.h"

#include "config/PromptConfigLoader.h"
#include "context/ContextBindingStore.h"
#include "store/PromptStore.h"
#include "store/PromptUsageStore.h"

#include <QDateTime>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace PromptFixtures;

namespace {

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

using Harness = PromptStoreHarness;

} // namespace

class PromptStoreTest : public QObject {
    Q_OBJECT

private slots:
    void onlyTheLatestOfOverlappingReloadsIsApplied_data() {
        QTest::addColumn<bool>("latestFirst");
        QTest::newRow("latest finishes first") << true;
        QTest::newRow("latest finishes last") << false;
    }

    void onlyTheLatestOfOverlappingReloadsIsApplied() {
        QFETCH(bool, latestFirst);
        Harness h;
        QCOMPARE(h.store->statusMessage(), english("status.not.loaded"));
        QSignalSpy content(h.store.get(), &PromptStore::contentChanged);
        h.store->reload();
        h.store->reload();
        QVERIFY(h.store->isReloading());
        const PromptLoadResult older = result({prompt("old")}, {}, "older");
        const PromptLoadResult latest = result({prompt("new")}, {workspace("w")}, "latest");
        if (latestFirst) {
            h.finish(1, latest);
            QVERIFY(!h.store->isReloading());
            h.finish(0, older);
        } else {
            h.finish(0, older);
            QCOMPARE(h.store->statusMessage(), english("status.not.loaded"));
            QVERIFY(h.store->globalPrompts().isEmpty());
            QVERIFY(h.store->isReloading());
            QCOMPARE(content.count(), 0);
            h.finish(1, latest);
        }
        QCOMPARE(ids(h.store->globalPrompts()), QStringList{"new"});
        QCOMPARE(ids(h.store->workspaces()), QStringList{"w"});
        QCOMPARE(h.store->workspaceMetadata().keys(), QStringList{"w"});
        QCOMPARE(h.store->statusMessage(), QString("latest"));
        QVERIFY(!h.store->isReloading());
        QCOMPARE(content.count(), 1);
    }

    void issuesBeforeAGoodLoadShowWhatLoadedThenTheLastGoodStateIsKept() {
        Harness h;
        QSignalSpy issues(h.store.get(), &PromptStore::configIssuesChanged);

        // No good state yet: the files that loaded are shown beside the issue.
        PromptLoadResult partial = resultWithIssue("first status");
        partial.globalPrompts = {prompt("g0")};
        partial.workspaces = {workspace("w0", {prompt("p0")})};
        partial.workspaceMetadata.insert("w0", WorkspaceFileMetadata{});
        h.load(partial);
        QCOMPARE(ids(h.store->globalPrompts()), QStringList{"g0"});
        QCOMPARE(ids(h.store->workspaces()), QStringList{"w0"});
        QCOMPARE(h.store->workspaceMetadata().keys(), QStringList{"w0"});
        QVERIFY(!h.store->showsTransientSamples());
        QCOMPARE(h.store->statusMessage(), QString("first status"));
        QCOMPARE(h.store->configIssues().size(), 1);

        // Still no good state: the next load with issues shows its own files, not the previous ones.
        h.load(resultWithIssue("second status"));
        QVERIFY(h.store->globalPrompts().isEmpty());
        QVERIFY(h.store->workspaces().isEmpty());
        QCOMPARE(h.store->statusMessage(), QString("second status"));

        PromptLoadResult good = result({prompt("g")}, {workspace("w", {prompt("p")})}, "good");
        good.showsTransientSamples = true;
        h.load(good);
        QVERIFY(h.store->configIssues().isEmpty());
        QVERIFY(h.store->showsTransientSamples());
        QCOMPARE(h.store->statusMessage(), QString("good"));

        // The samples are no state of the user's files: a load with issues shows what it loaded.
        PromptLoadResult afterSamples = resultWithIssue("after samples");
        afterSamples.globalPrompts = {prompt("restored")};
        h.load(afterSamples);
        QCOMPARE(ids(h.store->globalPrompts()), QStringList{"restored"});
        QVERIFY(h.store->workspaces().isEmpty());
        QVERIFY(!h.store->showsTransientSamples());
        QCOMPARE(h.store->statusMessage(), QString("after samples"));

        h.load(result({prompt("g")}, {workspace("w", {prompt("p")})}, "good files"));
        PromptLoadResult bad = resultWithIssue("bad");
        bad.globalPrompts = {prompt("other")};
        h.load(bad);
        QCOMPARE(ids(h.store->globalPrompts()), QStringList{"g"});
        QCOMPARE(ids(h.store->workspaces()), QStringList{"w"});
        QCOMPARE(h.store->workspaceMetadata().keys(), QStringList{"w"});
        QVERIFY(!h.store->showsTransientSamples());
        QCOMPARE(h.store->configIssues(), bad.issues);
        QCOMPARE(h.store->statusMessage(), english("status.config.preserved.previous"));

        h.load(result({prompt("g2")}));
        QVERIFY(h.store->configIssues().isEmpty());
        QCOMPARE(ids(h.store->globalPrompts()), QStringList{"g2"});
        QVERIFY(!h.store->showsTransientSamples());
        QCOMPARE(issues.count(), 7);
    }

    void aMalformedFileAtTheFirstLoadHidesNoOtherWorkspace() {
        PromptStoreFileHarness h;
        h.writeWorkspaceFile("alpha", "Alpha", {"a1"});
        h.writeWorkspaceFile("beta", "Beta", {"b1"});
        h.env.writeFile(".orris-hollows/workspaces/broken.yaml", "workspace: [unclosed\n  - :\n");
        h.env.writeFile(".orris-hollows/global.yaml", "prompts:\n  - id: \"g1\"\n    title: G\n    text: g\n");
        h.store->usageStore().recordSuccessfulCopy("b1", QDateTime::currentDateTimeUtc());

        h.loadHome();
        QCOMPARE(ids(h.store->workspaces()), (QStringList{"alpha", "beta"}));
        QCOMPARE(ids(h.store->globalPrompts()), QStringList{"g1"});
        QCOMPARE(h.store->configIssues().size(), 1);
        QCOMPARE(QFileInfo(h.store->configIssues().first().fileURL).fileName(), QString("broken.yaml"));

        // A second file breaking before any clean load: its prompts' usage is kept for when it is mended.
        h.env.writeFile(".orris-hollows/workspaces/beta.yaml", "prompts: [\n");
        h.loadHome();
        QCOMPARE(ids(h.store->workspaces()), QStringList{"alpha"});
        QCOMPARE(h.store->configIssues().size(), 2);
        QVERIFY(h.store->usageStore().records().contains("b1"));
    }

    void aBackupRestoredOverTheSamplesShowsItsWorkspaces() {
        PromptStoreFileHarness h;
        h.loadHome();
        QVERIFY(h.store->showsTransientSamples());

        h.writeWorkspaceFile("alpha", "Alpha", {"a1"});
        h.writeWorkspaceFile("beta", "Beta", {"b1"});
        h.env.writeFile(".orris-hollows/workspaces/broken.yaml", "workspace: [unclosed\n  - :\n");
        h.loadHome();
        QCOMPARE(ids(h.store->workspaces()), (QStringList{"alpha", "beta"}));
        QVERIFY(!h.store->showsTransientSamples());
        QCOMPARE(h.store->configIssues().size(), 1);
    }

    void dismissedSamplesAreHidden() {
        Harness h;
        h.env.defaults()->setBool(PromptConfigLoader::transientSamplesDismissedKey, true);
        PromptLoadResult samples = result({prompt("s1")}, {workspace("sample", {prompt("s2")})}, "samples");
        samples.showsTransientSamples = true;
        h.load(samples);
        QVERIFY(h.store->globalPrompts().isEmpty());
        QVERIFY(h.store->workspaces().isEmpty());
        QVERIFY(h.store->workspaceMetadata().isEmpty());
        QVERIFY(!h.store->showsTransientSamples());
        QCOMPARE(h.store->statusMessage(), english("status.config.samples.hidden"));
    }

    void selectionSurvivesOnlyWhileItsWorkspaceIsLoaded() {
        Harness h;
        h.load(result({}, {workspace("a"), workspace("b")}));
        h.store->setLastEditedWorkspaceID(QString("b"));
        h.load(result({}, {workspace("a"), workspace("b")}));
        QCOMPARE(h.store->lastEditedWorkspaceID(), std::optional<QString>("b"));

        // A value written while a reload runs gives way to the one remembered at its start.
        h.store->reload();
        h.store->setLastEditedWorkspaceID(QString("a"));
        h.finish(h.loader->loadCount() - 1, result({}, {workspace("a"), workspace("b")}));
        QCOMPARE(h.store->lastEditedWorkspaceID(), std::optional<QString>("b"));

        h.load(result({}, {workspace("a")}));
        QCOMPARE(h.store->lastEditedWorkspaceID(), std::nullopt);
    }

    void statusPrecedence() {
        Harness h;
        h.env.writeFile(".orris-hollows/" + ContextBindingStore::agentBindingsFileName, "{ not json");
        h.load(result({prompt("g")}));
        QCOMPARE(h.store->statusMessage(), english("status.binding.file.unreadable"));

        h.store->reload(QString("kept"));
        h.finish(h.loader->loadCount() - 1, result({prompt("g")}));
        QCOMPARE(h.store->statusMessage(), QString("kept"));
    }

    void reloadAsksTheLanguageOnce() {
        TestEnvironment env;
        auto loader = std::make_shared<FakePromptConfigLoading>();
        int asked = 0;
        PromptStore::Services services;
        services.configLoader = loader;
        PromptStore store(
            env.environment(),
            [&asked] {
                ++asked;
                return AppLanguage::zhHans;
            },
            true, services);
        QCOMPARE(loader->languages(), QList<AppLanguage>{AppLanguage::zhHans});
        QCOMPARE(store.statusMessage(), L10n::string("status.not.loaded", AppLanguage::zhHans));
        QCOMPARE(asked, 2); // the status at construction, then the load
    }

    void settingsAreReadAtConstruction_data() {
        QTest::addColumn<QVariant>("advanced");
        QTest::addColumn<QVariant>("project");
        QTest::addColumn<QVariant>("sort");
        QTest::addColumn<bool>("expectedAdvanced");
        QTest::addColumn<bool>("expectedProject");
        QTest::addColumn<PromptSortMode>("expectedSort");
        QTest::newRow("absent") << QVariant() << QVariant() << QVariant() << false << true << PromptSortMode::manual;
        QTest::newRow("stored") << QVariant(true) << QVariant(false) << QVariant("frequent") << true << false
                                << PromptSortMode::frequent;
        QTest::newRow("ini texts") << QVariant("true") << QVariant("false") << QVariant("recent") << true << false
                                   << PromptSortMode::recent;
        QTest::newRow("wrong types") << QVariant(1) << QVariant(0) << QVariant("Recent") << false << true
                                     << PromptSortMode::manual;
        QTest::newRow("empty sort") << QVariant() << QVariant() << QVariant("") << false << true
                                    << PromptSortMode::manual;
    }

    void settingsAreReadAtConstruction() {
        QFETCH(QVariant, advanced);
        QFETCH(QVariant, project);
        QFETCH(QVariant, sort);
        TestEnvironment env;
        const auto put = [&](const QString& key, const QVariant& value) {
            if (value.isValid()) {
                env.defaults()->setValue(key, value);
            }
        };
        put(PromptStore::advancedAutomaticMatchingEnabledKey, advanced);
        put(PromptStore::projectConfigsEnabledKey, project);
        put(PromptStore::sortModeKey, sort);
        PromptStore::Services services;
        services.configLoader = std::make_shared<FakePromptConfigLoading>();
        PromptStore store(
            env.environment(), [] { return AppLanguage::english; }, false, services);
        QTEST(store.advancedAutomaticMatchingEnabled(), "expectedAdvanced");
        QTEST(store.projectConfigsEnabled(), "expectedProject");
        QTEST(store.sortMode(), "expectedSort");
    }

    void sortModeIsKept() {
        Harness h;
        QSignalSpy changed(h.store.get(), &PromptStore::sortModeChanged);
        h.store->setSortMode(PromptSortMode::frequent);
        QCOMPARE(h.store->sortMode(), PromptSortMode::frequent);
        QCOMPARE(h.env.defaults()->stringValue(PromptStore::sortModeKey), std::optional<QString>("frequent"));
        QCOMPARE(changed.count(), 1);
        h.make();
        QCOMPARE(h.store->sortMode(), PromptSortMode::frequent);
    }

    void sectionsAndKnownPaths() {
        Harness h;
        const QList<PromptItem> prompts = {prompt("1", "B"), prompt("2", "A"), prompt("3", "B")};
        QList<PromptSection> sections = h.store->promptSections(prompts);
        QCOMPARE(sections.size(), 2);
        QCOMPARE(sections[0].id, QString("B"));
        QCOMPARE(sections[0].title, QString("B"));
        QCOMPARE(ids(sections[0].prompts), (QStringList{"1", "3"}));
        QCOMPARE(ids(sections[1].prompts), QStringList{"2"});
        QVERIFY(h.store->promptSections({}).isEmpty());

        h.env.defaults()->setString(PromptStore::sortModeKey, "recent");
        h.make();
        sections = h.store->promptSections(prompts);
        QCOMPARE(sections.size(), 1);
        QCOMPARE(sections[0].id, QString("recent"));
        QCOMPARE(sections[0].title, english("settings.usage.sort.recent"));
        QCOMPARE(ids(sections[0].prompts), (QStringList{"1", "2", "3"}));
        QVERIFY(h.store->promptSections({}).isEmpty());

        h.load(result({}, {workspace("a", {}, {"/x", "/y"}), workspace("b", {}, {"/x"})}));
        QCOMPARE(h.store->knownWorkspacePaths(), (QStringList{"/x", "/y", "/x"}));
    }

    // Only usage of prompts that the store showed and a load no longer has is forgotten.
    void usageOfRemovedPromptsIsForgotten() {
        Harness h;
        const QDateTime at = QDateTime(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC);
        for (const QString id : {"g", "w1", "w2", "elsewhere"}) {
            h.store->usageStore().recordSuccessfulCopy(id, at);
        }
        h.load(result({prompt("g")}, {workspace("w", {prompt("w1"), prompt("w2")})}));
        QCOMPARE(h.store->usageStore().records().size(), 4);

        h.load(result({prompt("g")}, {workspace("w", {prompt("w1")})}));
        QStringList kept = h.store->usageStore().records().keys();
        kept.sort();
        QCOMPARE(kept, (QStringList{"elsewhere", "g", "w1"}));
        PromptUsageStore reread(h.env.environment());
        QCOMPARE(reread.records().size(), 3);

        // A load with issues keeps the state and forgets nothing.
        h.load(resultWithIssue());
        QCOMPARE(h.store->usageStore().records().size(), 3);
    }

    void realLoaderWorksOffTheMainThread() {
        TestEnvironment env;
        env.writeFile(".orris-hollows/global.yaml", "prompts:\n  - id: hello\n    title: Hello\n    text: Hi\n");
        PromptStore store(
            env.environment(), [] { return AppLanguage::english; }, false);
        QFuture<void> done = store.reloadAndWait();
        // The load has not been applied on return: it runs on a worker and comes back later.
        QVERIFY(store.globalPrompts().isEmpty());
        QFutureWatcher<void> watcher;
        QSignalSpy finished(&watcher, &QFutureWatcher<void>::finished);
        watcher.setFuture(done);
        QVERIFY(finished.wait(5000));
        QCOMPARE(ids(store.globalPrompts()), QStringList{"hello"});
        QVERIFY(!store.isReloading());
    }
};

QTEST_GUILESS_MAIN(PromptStoreTest)
#include "tst_promptstore.moc"
