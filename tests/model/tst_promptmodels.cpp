#include "model/PromptConfigIssue.h"
#include "model/PromptModels.h"

#include <QSet>
#include <QTest>

namespace {

// "A/X" is prompt A in group X, "A/X*" the same pinned.
PromptWorkspace workspaceOf(const QString& layout) {
    PromptWorkspace workspace;
    workspace.id = QStringLiteral("w");
    for (const QString& entry : layout.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        PromptItem item;
        const QStringList parts = entry.split(QLatin1Char('/'));
        item.id = parts.at(0);
        item.group = parts.at(1);
        if (item.group.endsWith(QLatin1Char('*'))) {
            item.group.chop(1);
            item.isPinned = true;
        }
        item.title = item.id;
        workspace.prompts.append(item);
    }
    return workspace;
}

QString orderOf(const PromptWorkspace& workspace) {
    QStringList ids;
    for (const PromptItem& item : workspace.prompts) {
        ids.append(item.id);
    }
    return ids.join(QLatin1Char(' '));
}

} // namespace

class PromptModelsTest : public QObject {
    Q_OBJECT

private slots:
    void moves_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("id");
        QTest::addColumn<PromptMoveDirection>("direction");
        QTest::addColumn<QString>("expected"); // empty: the move is refused

        const QString abc = QStringLiteral("A/X B/X C/X");
        QTest::newRow("up on first") << abc << "A" << PromptMoveDirection::up << "";
        QTest::newRow("top on first") << abc << "A" << PromptMoveDirection::top << "";
        QTest::newRow("down on last") << abc << "C" << PromptMoveDirection::down << "";
        QTest::newRow("bottom on last") << abc << "C" << PromptMoveDirection::bottom << "";
        QTest::newRow("top on last") << abc << "C" << PromptMoveDirection::top << "C A B";
        QTest::newRow("bottom on first") << abc << "A" << PromptMoveDirection::bottom << "B C A";
        QTest::newRow("up on last") << abc << "C" << PromptMoveDirection::up << "A C B";
        QTest::newRow("down on first") << abc << "A" << PromptMoveDirection::down << "B A C";
        QTest::newRow("unknown id") << abc << "Z" << PromptMoveDirection::down << "";
        QTest::newRow("empty workspace") << ""
                                         << "A" << PromptMoveDirection::down << "";
        QTest::newRow("alone in group") << "A/X B/Y"
                                        << "A" << PromptMoveDirection::down << "";
        QTest::newRow("pinned alone among unpinned") << "A/X* B/X C/X"
                                                     << "A" << PromptMoveDirection::down << "";
        QTest::newRow("unpinned cannot pass the pinned") << "A/X* B/X C/X"
                                                         << "B" << PromptMoveDirection::up << "";
        QTest::newRow("unpinned move among themselves") << "A/X* B/X C/X"
                                                        << "C" << PromptMoveDirection::top << "A C B";
        QTest::newRow("peers around a pinned one") << "B/X A/X* C/X"
                                                   << "C" << PromptMoveDirection::top << "C B A";
        QTest::newRow("bottom past a pinned one") << "B/X C/X A/X*"
                                                  << "B" << PromptMoveDirection::bottom << "C B A";
        QTest::newRow("interleaved groups gather") << "x1/X y1/Y x2/X"
                                                   << "x1" << PromptMoveDirection::down << "x2 x1 y1";
        QTest::newRow("groups differ by case") << "A/Review B/review"
                                               << "A" << PromptMoveDirection::down << "";
        QTest::newRow("duplicate id moves the first") << "A/X B/X A/X"
                                                      << "A" << PromptMoveDirection::down << "B A A";
    }
    void moves() {
        QFETCH(QString, layout);
        QFETCH(QString, id);
        QFETCH(PromptMoveDirection, direction);
        QFETCH(QString, expected);
        PromptWorkspace workspace = workspaceOf(layout);
        const PromptWorkspace before = workspace;
        QCOMPARE(workspace.canMovePrompt(id, direction), !expected.isEmpty());
        QCOMPARE(workspace.movePrompt(id, direction), !expected.isEmpty());
        QCOMPARE(orderOf(workspace), expected.isEmpty() ? orderOf(before) : expected);
        if (expected.isEmpty()) {
            QCOMPARE(workspace, before);
        }
    }

    void moveKeepsEveryField() {
        PromptWorkspace workspace = workspaceOf("A/X B/X");
        workspace.prompts[1].text = QStringLiteral("body");
        workspace.prompts[1].tags = {QStringLiteral("t")};
        workspace.prompts[1].shortcut = PromptKeyboardShortcut{18, ModifierFlags::command};
        const PromptItem moved = workspace.prompts[1];
        QVERIFY(workspace.movePrompt(QStringLiteral("B"), PromptMoveDirection::top));
        QCOMPARE(workspace.prompts.first(), moved);
    }

    void equalityCoversEveryField() {
        PromptWorkspace a = workspaceOf("A/X");
        PromptWorkspace b = a;
        QCOMPARE(a, b);
        QCOMPARE(qHash(a), qHash(b));
        b.fileVersion = WorkspaceFileVersion{QStringLiteral("/h/w.yaml"), QStringLiteral("00")};
        QVERIFY(a != b);
        b = a;
        b.prompts[0].agent = AgentType::codex;
        QVERIFY(a != b);
        QVERIFY(qHash(a) != qHash(b));
        b = a;
        b.prompts[0].isPinned = true;
        QVERIFY(a != b);
    }

    void displayNamePath() {
        PromptWorkspace workspace;
        workspace.fileURL = QStringLiteral("/home/u/.orris-hollows/workspaces/web.yaml");
        QCOMPARE(workspace.displayNamePath(AppLanguage::english), QStringLiteral("web.yaml"));
        workspace.fileURL.reset();
        QCOMPARE(workspace.displayNamePath(AppLanguage::english), QStringLiteral("Not saved"));
        QCOMPARE(workspace.displayNamePath(AppLanguage::zhHans), QStringLiteral("未保存"));
    }

    void rawValues() {
        for (PromptWorkspaceSource source :
             {PromptWorkspaceSource::global, PromptWorkspaceSource::userWorkspace, PromptWorkspaceSource::projectConfig,
              PromptWorkspaceSource::transientSample}) {
            QCOMPARE(PromptWorkspaceSources::fromRawValue(PromptWorkspaceSources::rawValue(source)), source);
            QVERIFY(!PromptWorkspaceSources::displayName(source, AppLanguage::english).contains(QLatin1Char('.')));
        }
        QCOMPARE(PromptWorkspaceSources::rawValue(PromptWorkspaceSource::userWorkspace),
                 QStringLiteral("userWorkspace"));
        QVERIFY(!PromptWorkspaceSources::fromRawValue(QStringLiteral("UserWorkspace")));
        QCOMPARE(PromptConfigRecoveryActions::fromRawValue(QStringLiteral("showInFinder")),
                 PromptConfigRecoveryAction::showInFinder);
        QVERIFY(!PromptConfigRecoveryActions::fromRawValue(QStringLiteral("reveal")));
        QCOMPARE(PromptConfigSourceKinds::fromRawValue(QStringLiteral("global")), PromptConfigSourceKind::global);
        QVERIFY(!PromptConfigSourceKinds::fromRawValue(QStringLiteral("Global")));
    }

    void issueIdentity() {
        const QString path = QStringLiteral("/h/.orris-hollows/workspaces/web.yaml");
        const PromptConfigIssue english = PromptConfigIssue::make(
            path, PromptConfigSourceKind::workspace, PromptConfigIssueKind::invalidFormat, AppLanguage::english);
        QCOMPARE(english.id, QStringLiteral("workspace:web.yaml:config.issue.invalid.format"));
        QCOMPARE(english.displayName, QStringLiteral("web.yaml"));
        QCOMPARE(english.fileURL, path);
        QCOMPARE(english.recoveryActions,
                 (QSet<PromptConfigRecoveryAction>{PromptConfigRecoveryAction::reload,
                                                   PromptConfigRecoveryAction::showInFinder,
                                                   PromptConfigRecoveryAction::openWorkspaceManager}));
        // The same problem found again has the same id; the message keeps the language of its load.
        const PromptConfigIssue chinese = PromptConfigIssue::make(
            path, PromptConfigSourceKind::workspace, PromptConfigIssueKind::invalidFormat, AppLanguage::zhHans);
        QCOMPARE(chinese.id, english.id);
        QVERIFY(chinese.message != english.message);
        QVERIFY(!english.message.startsWith(QLatin1String("config.issue")));
        QVERIFY(chinese != english);
    }
};

QTEST_GUILESS_MAIN(PromptModelsTest)
#include "tst_promptmodels.moc"
