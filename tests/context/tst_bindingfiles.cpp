#include "FileInspection.h"
#include "TestEnvironment.h"

#include "context/ContextBindingStore.h"
#include "model/StateJson.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTest>

#include <sys/stat.h>

namespace {

QDateTime at(int secondsAfter2025) {
    return QDateTime(QDate(2025, 3, 1), QTime(8, 15), Qt::UTC).addSecs(secondsAfter2025);
}

AgentWorkspaceBinding makeBinding(const QString& id, AgentType type, const QString& workspace, bool isDefault,
                                  int time) {
    return AgentWorkspaceBinding{id,        type,    AgentTypes::defaultAppName(type), std::nullopt, workspace,
                                 isDefault, at(time)};
}

QStringList idsOf(const QList<AgentWorkspaceBinding>& bindings) {
    QStringList ids;
    for (const auto& binding : bindings) {
        ids.append(binding.id + (binding.isDefault ? "*" : ""));
    }
    return ids;
}

} // namespace

// The formats of the binding files, their normalisation and the hashed title keywords.
class BindingFilesTest : public QObject {
    Q_OBJECT

private slots:
    void readerKeepsWhatItCannotDecode() {
        const QByteArray data = R"({
          "bindings": [
            1,
            {"id": "N", "appName": "x", "workspaceID": "w", "isDefault": false, "createdAt": 1},
            {"agentType": "foo", "id": "F", "extra": [1, {"b": 2.5}]},
            {"agentType": "cursor", "id": "C", "appName": "Cursor", "workspaceID": "w", "isDefault": true,
             "createdAt": "2025-03-01T08:15:00Z"},
            {"agentType": "zed", "id": "Z", "appName": "Zed", "workspaceID": "w", "createdAt": 1},
            {"agentType": "zed", "id": "Y", "appName": "Zed", "workspaceID": "w", "isDefault": false,
             "createdAt": "yesterday"},
            {"agentType": "vscode", "id": "V", "appName": "Code", "workspaceID": "w", "isDefault": false,
             "createdAt": 760000000, "bundleIdentifier": null}
          ],
          "lastSelectedWorkspaceIDs": {"cursor": "w"},
          "migratedFromContextBindings": true,
          "version": 3
        })";
        const auto file = ContextBindingStore::decodeAgentWorkspaceBindingFile(data);
        QVERIFY(file.ok());
        QCOMPARE(file->version, 3);
        QVERIFY(file->migratedFromContextBindings);
        QCOMPARE(file->lastSelectedWorkspaceIDs, (QMap<QString, QString>{{"cursor", "w"}}));
        QCOMPARE(file->warnings, (QStringList{
                                     "Skipped binding 1 because it is not a JSON object",
                                     "Skipped binding 2 with unsupported or invalid agentType: missing",
                                     "Skipped binding 3 with unsupported or invalid agentType: foo",
                                     "Skipped binding 5 with unsupported or invalid agentType: zed",
                                     "Skipped binding 6 with unsupported or invalid agentType: zed",
                                 }));
        QCOMPARE(file->preservedBindingObjects.size(), 4);
        QCOMPARE(file->preservedBindingObjects.at(1).value("extra").toArray().at(1).toObject().value("b").toDouble(),
                 2.5);
        QCOMPARE(file->bindings.size(), 2);
        QCOMPARE(file->bindings.at(0).createdAt, at(0));
        QCOMPARE(file->bindings.at(0).agentType, AgentType::cursor);
        QCOMPARE(file->bindings.at(1).createdAt,
                 QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).addSecs(760'000'000));
        QVERIFY(!file->bindings.at(1).bundleIdentifier);
    }

    void readerDefaults_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<qint64>("version");
        QTest::addColumn<int>("lastSelectedCount");
        QTest::newRow("empty object") << QByteArray("{}") << qint64(1) << 0;
        QTest::newRow("bindings not a list")
            << QByteArray(R"({"bindings": {"a": 1}, "version": 2, "lastSelectedWorkspaceIDs": {"a": "b"}})")
            << qint64(2) << 1;
        QTest::newRow("one non-string selection")
            << QByteArray(R"({"lastSelectedWorkspaceIDs": {"a": "b", "c": 1}, "version": "3"})") << qint64(1) << 0;
        QTest::newRow("fractional version") << QByteArray(R"({"version": 2.5})") << qint64(1) << 0;
    }
    void readerDefaults() {
        QFETCH(QByteArray, json);
        QFETCH(qint64, version);
        QFETCH(int, lastSelectedCount);
        const auto file = ContextBindingStore::decodeAgentWorkspaceBindingFile(json);
        QVERIFY(file.ok());
        QCOMPARE(file->version, version);
        QCOMPARE(file->lastSelectedWorkspaceIDs.size(), lastSelectedCount);
        QVERIFY(file->bindings.isEmpty());
        QVERIFY(file->warnings.isEmpty());
        QVERIFY(!file->migratedFromContextBindings);
    }

    void readerFailsOnTheWholeFile_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("message");
        QTest::newRow("zero bytes") << QByteArray() << QString();
        QTest::newRow("broken") << QByteArray("{\"bindings\": [") << QString();
        QTest::newRow("array") << QByteArray("[]") << QStringLiteral("Expected JSON object");
    }
    void readerFailsOnTheWholeFile() {
        QFETCH(QByteArray, data);
        QFETCH(QString, message);
        const auto file = ContextBindingStore::decodeAgentWorkspaceBindingFile(data);
        QVERIFY(!file.ok());
        if (!message.isEmpty()) {
            QCOMPARE(file.error().message, message);
        }
    }

    void writerProducesVersion3Bytes() {
        AgentWorkspaceBinding binding = makeBinding("A", AgentType::cursor, "web/app", true, 0);
        binding.bundleIdentifier = "com.example.cursor";
        binding.createdAt = binding.createdAt.addMSecs(700); // fractions are not written
        QJsonObject preserved;
        preserved.insert("agentType", "foo");
        preserved.insert("id", "P");
        const QByteArray bytes = ContextBindingStore::encodeAgentWorkspaceBindingFile({binding}, {preserved},
                                                                                      {{"cursor", "web/app"}}, false);
        QCOMPARE(bytes, QByteArray("{\n"
                                   "  \"bindings\" : [\n"
                                   "    {\n"
                                   "      \"agentType\" : \"cursor\",\n"
                                   "      \"appName\" : \"Cursor\",\n"
                                   "      \"bundleIdentifier\" : \"com.example.cursor\",\n"
                                   "      \"createdAt\" : \"2025-03-01T08:15:00Z\",\n"
                                   "      \"id\" : \"A\",\n"
                                   "      \"isDefault\" : true,\n"
                                   "      \"workspaceID\" : \"web\\/app\"\n"
                                   "    },\n"
                                   "    {\n"
                                   "      \"agentType\" : \"foo\",\n"
                                   "      \"id\" : \"P\"\n"
                                   "    }\n"
                                   "  ],\n"
                                   "  \"lastSelectedWorkspaceIDs\" : {\n"
                                   "    \"cursor\" : \"web\\/app\"\n"
                                   "  },\n"
                                   "  \"migratedFromContextBindings\" : false,\n"
                                   "  \"version\" : 3\n"
                                   "}"));
        const auto read = ContextBindingStore::decodeAgentWorkspaceBindingFile(bytes);
        QVERIFY(read.ok());
        QCOMPARE(read->bindings.size(), 1);
        QCOMPARE(read->bindings.at(0).bundleIdentifier, std::optional<QString>("com.example.cursor"));
        QCOMPARE(read->preservedBindingObjects, QList<QJsonObject>{preserved});
    }

    void legacyFormatRoundTrips() {
        const ContextBinding binding{"L", "Notes", std::nullopt, "Roadmap", "w", at(0)};
        const QByteArray bytes = ContextBindingStore::encodeLegacyBindings({binding});
        QCOMPARE(bytes,
                 QByteArray("[\n  {\n    \"appName\" : \"Notes\",\n    \"createdAt\" : \"2025-03-01T08:15:00Z\",\n"
                            "    \"id\" : \"L\",\n    \"windowKeyword\" : \"Roadmap\",\n"
                            "    \"workspaceID\" : \"w\"\n  }\n]"));
        QCOMPARE(ContextBindingStore::decodeLegacyBindings(bytes).value(), QList<ContextBinding>{binding});
        // One bad record discards the whole file.
        QVERIFY(!ContextBindingStore::decodeLegacyBindings(
                     R"([{"id":"L","appName":"a","windowKeyword":"k","workspaceID":"w","createdAt":1},{"id":"M"}])")
                     .ok());
        QVERIFY(!ContextBindingStore::decodeLegacyBindings("{}").ok());
    }

    void normalisation_data() {
        QTest::addColumn<QList<AgentWorkspaceBinding>>("input");
        QTest::addColumn<QStringList>("expected"); // ids in order, "*" marks the default
        QTest::newRow("claude-code collapses into the older terminal binding")
            << QList<AgentWorkspaceBinding>{makeBinding("new", AgentType::terminal, "w", false, 10),
                                            makeBinding("old", AgentType::claudeCode, "w", false, 5)}
            << QStringList{"old"};
        QTest::newRow("oldest flagged default wins")
            << QList<AgentWorkspaceBinding>{makeBinding("c", AgentType::cursor, "w3", true, 3),
                                            makeBinding("a", AgentType::cursor, "w1", true, 1),
                                            makeBinding("b", AgentType::cursor, "w2", true, 2)}
            << QStringList{"a*", "b", "c"};
        QTest::newRow("equal times: smaller id first")
            << QList<AgentWorkspaceBinding>{makeBinding("B", AgentType::cursor, "w2", true, 0),
                                            makeBinding("A", AgentType::cursor, "w1", true, 0)}
            << QStringList{"A*", "B"};
        QTest::newRow("one default per agent type")
            << QList<AgentWorkspaceBinding>{makeBinding("z", AgentType::zed, "w", true, 0),
                                            makeBinding("c", AgentType::cursor, "w", true, 1)}
            << QStringList{"z*", "c*"};
        QTest::newRow("shared id: still one default")
            << QList<AgentWorkspaceBinding>{makeBinding("same", AgentType::cursor, "w1", true, 0),
                                            makeBinding("same", AgentType::cursor, "w2", false, 1)}
            << QStringList{"same*", "same"};
    }
    void normalisation() {
        QFETCH(QList<AgentWorkspaceBinding>, input);
        QFETCH(QStringList, expected);
        const auto result = ContextBindingStore::normalized(input);
        QCOMPARE(idsOf(result), expected);
        for (const auto& binding : result) {
            QVERIFY(binding.agentType != AgentType::claudeCode);
        }
        QCOMPARE(ContextBindingStore::normalized(result), result);
    }

    void lastSelectedNormalisation() {
        using Map = QMap<QString, QString>;
        QCOMPARE(ContextBindingStore::normalizedLastSelectedWorkspaceIDs(Map{{"claude-code", "a"}, {"terminal", "b"}}),
                 (Map{{"terminal", "b"}}));
        QCOMPARE(ContextBindingStore::normalizedLastSelectedWorkspaceIDs(Map{{"claude-code", "a"}, {"zed", "z"}}),
                 (Map{{"terminal", "a"}, {"zed", "z"}}));
    }

    void migrationTakesKnownApplicationsOnly() {
        const QString app = ContextBindingStore::appBindingKeyword;
        const QList<ContextBinding> legacy{
            {"1", "Cursor", std::nullopt, app, "w", at(5)},
            {"2", "Some Editor", QString("org.example.editor"), app, "w", at(1)},
            {"3", "Cursor", std::nullopt, "keyword", "w", at(2)},
            {"4", "Cursor", std::nullopt, app, "w", at(9)}, // same agent and workspace: dropped
            {"5", "Zed", QString("dev.zed.Zed"), app, "v", at(3)},
        };
        const auto migrated = ContextBindingStore::migratedAppBindings(legacy);
        QCOMPARE(migrated.size(), 2);
        QCOMPARE(migrated.at(0).agentType, AgentType::zed);
        QCOMPARE(migrated.at(0).bundleIdentifier, std::optional<QString>("dev.zed.Zed"));
        QCOMPARE(migrated.at(1).agentType, AgentType::cursor);
        QCOMPARE(migrated.at(1).createdAt, at(5));
        QVERIFY(!migrated.at(1).isDefault);
        QCOMPARE(migrated.at(1).id.size(), 36);
        QCOMPARE(migrated.at(1).id, migrated.at(1).id.toUpper());
    }

    void saltIsCreatedOnceAndUsedForHashing() {
        TestEnvironment env;
        ContextBindingStore store(env.environment());
        const QString saltPath = store.titleHashSaltFilePath();
        QVERIFY(!QFile::exists(saltPath));
        const QByteArray salt = store.titleHashSalt();
        QCOMPARE(salt.size(), 32);
        QCOMPARE(env.readFile(".orris-hollows/title-hash-salt"), salt);
        QCOMPARE(modeOf(saltPath), mode_t(0600));
        QCOMPARE(modeOf(env.dataDirectory()), mode_t(0700));
        QCOMPARE(store.titleHashSalt(), salt);

        const QString hashed = store.hashedTitleKeyword("foo");
        QVERIFY(hashed.startsWith("title-hash:"));
        QCOMPARE(hashed.size(), 11 + 64);
        QCOMPARE(store.hashedTitleKeyword("  Foo  "), hashed);
        QCOMPARE(store.hashedTitleKeyword("\nFOO\t"), hashed);
        QVERIFY(store.hashedTitleKeyword("foo bar") != hashed);

        // The digest covers the salt followed by the text.
        QCryptographicHash expected(QCryptographicHash::Sha256);
        expected.addData(salt + QByteArray("foo"));
        QCOMPARE(hashed, "title-hash:" + QString::fromLatin1(expected.result().toHex()));
    }

    void saltFallsBackOrIsReplaced() {
        TestEnvironment env;
        ContextBindingStore store(env.environment());
        env.writeFile(".orris-hollows/title-hash-salt", "");
        QCOMPARE(store.titleHashSalt().size(), 32); // an empty salt file is replaced
        env.writeFile(".orris-hollows/title-hash-salt", "short");
        QCOMPARE(store.titleHashSalt(), QByteArray("short")); // any non-empty content is the salt

        TestEnvironment blocked;
        blocked.writeFile(".orris-hollows", "a file where the folder belongs");
        ContextBindingStore blockedStore(blocked.environment());
        LogCapture log;
        QCOMPARE(blockedStore.titleHashSalt(), QByteArray("cobalt-wicker-seed-mix-backupsalt"));
        QVERIFY(log.contains("Create title hash salt failed file=.orris-hollows/title-hash-salt error="));
    }
};

QTEST_GUILESS_MAIN(BindingFilesTest)
#include "tst_bindingfiles.moc"
