#include "TestEnvironment.h"

#include "context/ContextBindingStore.h"
#include "PromptFixtures.h"
#include "store/FirstRunChecklistProgressResolver.h"
#include "store/FirstRunChecklistStore.h"

#include <QSignalSpy>
#include <QTest>

namespace {

using Store = FirstRunChecklistStore;

// How a key stands in the defaults before the store is built.
enum class Stored { absent, yes, no, text };

void put(UserDefaults& defaults, const QString& key, Stored stored) {
    switch (stored) {
    case Stored::absent:
        break;
    case Stored::yes:
        defaults.setBool(key, true);
        break;
    case Stored::no:
        defaults.setBool(key, false);
        break;
    case Stored::text:
        // Not a Boolean: present, but reads as false.
        defaults.setString(key, QStringLiteral("maybe"));
        break;
    }
}

// What the welcome key reads as after construction: "absent", "true", "false" or "other".
QString welcomeKeyState(const UserDefaults& defaults) {
    if (!defaults.contains(Store::welcomeCompletedKey)) {
        return QStringLiteral("absent");
    }
    if (const auto value = defaults.boolValue(Store::welcomeCompletedKey)) {
        return *value ? QStringLiteral("true") : QStringLiteral("false");
    }
    return QStringLiteral("other");
}

PromptWorkspace saved(const QString& id, PromptWorkspaceSource source = PromptWorkspaceSource::userWorkspace) {
    PromptWorkspace workspace = PromptFixtures::workspace(id, {}, {}, source);
    workspace.fileURL = QStringLiteral("/srv/prompts/") + id + QStringLiteral(".yaml");
    return workspace;
}

PromptWorkspace unsaved(const QString& id) {
    return PromptFixtures::workspace(id);
}

AgentContext contextOf(AgentType agent) {
    AgentContext context;
    context.agent = agent;
    context.frontmostAppName = AgentTypes::displayName(agent, AppLanguage::english);
    context.workspaceName = unrecognizedWorkspaceName;
    return context;
}

QStringList steps(const FirstRunChecklistSnapshot& snapshot) {
    QStringList names;
    for (const FirstRunStep step : FirstRunSteps::allCases()) {
        if (snapshot.isCompleted(step)) {
            names.append(FirstRunSteps::rawValue(step));
        }
    }
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Stored)
Q_DECLARE_METATYPE(TestEnvironment::Settings)

class FirstRunChecklistTest : public QObject {
    Q_OBJECT

private slots:
    void constructionSettlesTheWelcomeDecision_data() {
        QTest::addColumn<TestEnvironment::Settings>("settings");
        QTest::addColumn<Stored>("welcome");
        QTest::addColumn<Stored>("dismissed");
        QTest::addColumn<Stored>("copied");
        QTest::addColumn<bool>("presents");
        QTest::addColumn<bool>("isDismissed");
        QTest::addColumn<QString>("welcomeAfter");

        struct Row {
            const char* name;
            Stored welcome, dismissed, copied;
            bool presents, isDismissed;
            const char* welcomeAfter;
        };
        const Row rows[] = {
            {"new user", Stored::absent, Stored::absent, Stored::absent, true, false, "absent"},
            {"flags stored false", Stored::absent, Stored::no, Stored::no, true, false, "absent"},
            {"only copied", Stored::absent, Stored::absent, Stored::yes, false, false, "true"},
            {"only dismissed", Stored::absent, Stored::yes, Stored::absent, false, true, "true"},
            {"welcome done", Stored::yes, Stored::absent, Stored::absent, false, false, "true"},
            {"welcome stored false, all else true", Stored::no, Stored::yes, Stored::yes, true, true, "false"},
            {"welcome holds no Boolean", Stored::text, Stored::yes, Stored::absent, true, true, "other"},
        };
        for (const auto settings : {TestEnvironment::Settings::memory, TestEnvironment::Settings::iniFile}) {
            const char* backend = settings == TestEnvironment::Settings::memory ? "memory: " : "ini: ";
            for (const Row& row : rows) {
                QTest::newRow((QByteArray(backend) + row.name).constData())
                    << settings << row.welcome << row.dismissed << row.copied << row.presents << row.isDismissed
                    << QString::fromLatin1(row.welcomeAfter);
            }
        }
    }

    void constructionSettlesTheWelcomeDecision() {
        QFETCH(TestEnvironment::Settings, settings);
        QFETCH(Stored, welcome);
        QFETCH(Stored, dismissed);
        QFETCH(Stored, copied);
        QFETCH(bool, presents);
        QFETCH(bool, isDismissed);
        QFETCH(QString, welcomeAfter);

        TestEnvironment env(settings);
        put(*env.defaults(), Store::welcomeCompletedKey, welcome);
        put(*env.defaults(), Store::dismissedKey, dismissed);
        put(*env.defaults(), Store::successfulCopyKey, copied);

        const Store store(env.defaults());
        QCOMPARE(store.shouldPresentWelcome(), presents);
        QCOMPARE(store.isDismissed(), isDismissed);
        QCOMPARE(welcomeKeyState(*env.defaults()), welcomeAfter);
        // The decision holds at the next launch too.
        const Store again(env.defaults());
        QCOMPARE(again.shouldPresentWelcome(), presents);
    }

    void launchPreparationClosesTheDecisionOnlyForSavedWorkspaces_data() {
        QTest::addColumn<Stored>("welcome");
        QTest::addColumn<bool>("hasPersistedWorkspace");
        QTest::addColumn<bool>("presents");
        QTest::addColumn<QString>("welcomeAfter");
        QTest::addColumn<int>("announced");

        QTest::newRow("new user keeps the guide") << Stored::absent << false << true << "absent" << 0;
        QTest::newRow("saved workspace skips the guide") << Stored::absent << true << false << "true" << 1;
        QTest::newRow("stored false is left alone") << Stored::no << true << true << "false" << 0;
        QTest::newRow("stored true is left alone") << Stored::yes << false << false << "true" << 0;
    }

    void launchPreparationClosesTheDecisionOnlyForSavedWorkspaces() {
        QFETCH(Stored, welcome);
        QFETCH(bool, hasPersistedWorkspace);
        QFETCH(bool, presents);
        QFETCH(QString, welcomeAfter);
        QFETCH(int, announced);

        TestEnvironment env(TestEnvironment::Settings::iniFile);
        put(*env.defaults(), Store::welcomeCompletedKey, welcome);
        Store store(env.defaults());
        QSignalSpy presentChanged(&store, &Store::shouldPresentWelcomeChanged);

        store.prepareWelcomeForLaunch(hasPersistedWorkspace);
        QCOMPARE(store.shouldPresentWelcome(), presents);
        QCOMPARE(welcomeKeyState(*env.defaults()), welcomeAfter);
        QCOMPARE(presentChanged.count(), announced);
    }

    void finishingTheGuideEndsItForLaterLaunches() {
        TestEnvironment env;
        env.defaults()->setBool(Store::welcomeCompletedKey, false);
        Store store(env.defaults());
        QVERIFY(store.shouldPresentWelcome());
        QSignalSpy presentChanged(&store, &Store::shouldPresentWelcomeChanged);
        QSignalSpy changed(&store, &Store::changed);

        store.markWelcomeCompleted();
        QVERIFY(!store.shouldPresentWelcome());
        QCOMPARE(presentChanged.count(), 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(welcomeKeyState(*env.defaults()), QStringLiteral("true"));
        QVERIFY(!Store(env.defaults()).shouldPresentWelcome());

        // An explicit request shows it again without writing anything.
        store.setShouldPresentWelcome(true);
        QVERIFY(store.shouldPresentWelcome());
        QCOMPARE(welcomeKeyState(*env.defaults()), QStringLiteral("true"));
    }

    void dismissReopenAndCopyWriteTheirKeysAndAnnounce() {
        TestEnvironment env(TestEnvironment::Settings::iniFile);
        Store store(env.defaults());
        QSignalSpy dismissedChanged(&store, &Store::isDismissedChanged);
        QSignalSpy changed(&store, &Store::changed);

        store.dismiss();
        QVERIFY(store.isDismissed());
        QCOMPARE(env.defaults()->boolValue(Store::dismissedKey), std::optional<bool>(true));
        QVERIFY(Store(env.defaults()).isDismissed());

        store.markSuccessfulCopy();
        store.markSuccessfulCopy();
        QVERIFY(store.hasSuccessfulCopy());
        QCOMPARE(changed.count(), 3);

        store.reopen();
        QVERIFY(!store.isDismissed());
        QCOMPARE(env.defaults()->boolValue(Store::dismissedKey), std::optional<bool>(false));
        QCOMPARE(dismissedChanged.count(), 2);
        QCOMPARE(dismissedChanged.at(1).at(0).toBool(), false);
        // Reopening keeps what was already done.
        QVERIFY(store.hasSuccessfulCopy());
    }

    void snapshotCountsOnlySavedUserWorkspaces_data() {
        QTest::addColumn<QList<PromptWorkspace>>("workspaces");
        QTest::addColumn<QString>("boundWorkspace"); // bound for Cursor; empty: no binding
        QTest::addColumn<AgentType>("agent");
        QTest::addColumn<QStringList>("expected");

        const QList<PromptWorkspace> oneSaved = {saved("mine")};
        const QList<PromptWorkspace> notOwned = {saved("g", PromptWorkspaceSource::global),
                                                 saved("p", PromptWorkspaceSource::projectConfig),
                                                 saved("s", PromptWorkspaceSource::transientSample), unsaved("u")};
        QTest::newRow("nothing") << QList<PromptWorkspace>{} << QString() << AgentType::cursor << QStringList{};
        QTest::newRow("saved, unbound") << oneSaved << QString() << AgentType::cursor << QStringList{"workspace"};
        QTest::newRow("saved and bound") << oneSaved << "mine" << AgentType::cursor
                                         << QStringList{"workspace", "binding"};
        QTest::newRow("bound for another agent") << oneSaved << "mine" << AgentType::zed << QStringList{"workspace"};
        QTest::newRow("unknown agent") << oneSaved << "mine" << AgentType::unknown << QStringList{"workspace"};
        QTest::newRow("binding to a workspace that is gone")
            << oneSaved << "gone" << AgentType::cursor << QStringList{"workspace"};
        for (const PromptWorkspace& workspace : notOwned) {
            QList<PromptWorkspace> list = notOwned;
            QTest::newRow(("bound to not owned " + workspace.id).toUtf8().constData())
                << list << workspace.id << AgentType::cursor << QStringList{};
            list.append(saved("mine"));
            QTest::newRow(("bound to not owned beside a saved one " + workspace.id).toUtf8().constData())
                << list << workspace.id << AgentType::cursor << QStringList{"workspace"};
        }
    }

    void snapshotCountsOnlySavedUserWorkspaces() {
        QFETCH(QList<PromptWorkspace>, workspaces);
        QFETCH(QString, boundWorkspace);
        QFETCH(AgentType, agent);
        QFETCH(QStringList, expected);

        TestEnvironment env;
        ContextBindingStore bindings(env.environment());
        if (!boundWorkspace.isEmpty()) {
            QVERIFY(bindings.addAgentWorkspaceBinding(AgentType::cursor, QStringLiteral("Cursor"), std::nullopt,
                                                      boundWorkspace, true));
        }
        const Store store(env.defaults());
        QCOMPARE(steps(store.snapshot(workspaces, contextOf(agent), bindings)), expected);

        const auto progress = FirstRunChecklistProgressResolver::resolve(workspaces, contextOf(agent), bindings);
        QCOMPARE(progress.workspaceDone, expected.contains("workspace"));
        QCOMPARE(progress.bindingDone, expected.contains("binding"));
        QCOMPARE(FirstRunChecklistProgressResolver::hasPersistedUserWorkspace(workspaces),
                 expected.contains("workspace"));
    }

    void snapshotReadsTheCopyFlagAfreshAndClaudeCodeCountsAsTerminal() {
        TestEnvironment env;
        ContextBindingStore bindings(env.environment());
        QVERIFY(bindings.addAgentWorkspaceBinding(AgentType::terminal, QStringLiteral("Terminal"), std::nullopt,
                                                  QStringLiteral("mine"), true));
        const Store store(env.defaults());
        const QList<PromptWorkspace> workspaces = {saved("mine")};
        const AgentContext claude = contextOf(AgentType::claudeCode);
        QCOMPARE(steps(store.snapshot(workspaces, claude, bindings)), (QStringList{"workspace", "binding"}));

        // Written by someone else: the next snapshot sees it.
        env.defaults()->setBool(Store::successfulCopyKey, true);
        QCOMPARE(steps(store.snapshot(workspaces, claude, bindings)),
                 (QStringList{"workspace", "binding", "successfulCopy"}));
    }

    void stepsKeepTheirRawValuesAndOrder() {
        QStringList raw;
        for (const FirstRunStep step : FirstRunSteps::allCases()) {
            raw.append(FirstRunSteps::rawValue(step));
            QCOMPARE(FirstRunSteps::fromRawValue(raw.last()), std::optional<FirstRunStep>(step));
        }
        QCOMPARE(raw, (QStringList{"workspace", "binding", "successfulCopy"}));
        QCOMPARE(FirstRunSteps::fromRawValue(QStringLiteral("Workspace")), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(FirstRunChecklistTest)
#include "tst_firstrunchecklist.moc"
