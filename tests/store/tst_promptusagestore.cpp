#include "FileInspection.h"
#include "TestEnvironment.h"

#include "store/PromptUsageStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <limits>
#include <sys/stat.h>

namespace {

const QString usageFile = QStringLiteral(".orris-hollows/prompt-usage.json");

QDateTime at(int seconds) {
    return QDateTime(QDate(2026, 1, 15), QTime(9, 30), Qt::UTC).addSecs(seconds);
}

QStringList unreadableCopies(const TestEnvironment& env) {
    return QDir(env.dataDirectory()).entryList({"prompt-usage.json.unreadable-*"}, QDir::AllEntries | QDir::Hidden);
}

} // namespace

class PromptUsageStoreTest : public QObject {
    Q_OBJECT

private slots:
    void firstCopyCreatesFolderAndFile() {
        TestEnvironment env;
        PromptUsageStore store(env.environment());
        QVERIFY(store.records().isEmpty());
        QSignalSpy changed(&store, &PromptUsageStore::recordsChanged);
        store.recordSuccessfulCopy("b/1", at(0).addMSecs(250));
        QCOMPARE(modeOf(env.dataDirectory()), mode_t(0700));
        QCOMPARE(modeOf(store.filePath()), mode_t(0600));
        QCOMPARE(env.readFile(usageFile), QByteArray("[\n  {\n    \"lastUsedAt\" : 790162200.25,\n"
                                                     "    \"promptID\" : \"b\\/1\",\n"
                                                     "    \"successfulCopyCount\" : 1\n  }\n]"));
        QCOMPARE(changed.count(), 1);

        store.recordSuccessfulCopy("a", at(5));
        store.recordSuccessfulCopy("b/1", at(9));
        QCOMPARE(store.records().value("b/1"), (PromptUsageRecord{"b/1", at(9), 2}));
        PromptUsageStore reread(env.environment());
        QCOMPARE(reread.records(), store.records());
        // Ordered by id.
        const QByteArray text = env.readFile(usageFile);
        QVERIFY(text.indexOf("\"a\"") < text.indexOf("\"b\\/1\""));
    }

    void countsSaturateAndNeverGoNegative() {
        TestEnvironment env;
        const qint64 largest = std::numeric_limits<qint64>::max();
        env.writeFile(usageFile, QStringLiteral(R"([{"lastUsedAt": 1, "promptID": "max", "successfulCopyCount": %1},
                                                   {"lastUsedAt": 1, "promptID": "neg", "successfulCopyCount": -4}])")
                                     .arg(largest)
                                     .toUtf8());
        PromptUsageStore store(env.environment());
        QCOMPARE(store.records().value("max").successfulCopyCount, largest);
        QCOMPARE(store.records().value("neg").successfulCopyCount, 0);
        store.recordSuccessfulCopy("max", at(0));
        store.recordSuccessfulCopy("neg", at(0));
        QCOMPARE(store.records().value("max").successfulCopyCount, largest);
        QCOMPARE(store.records().value("neg").successfulCopyCount, 1);
        QVERIFY(env.readFile(usageFile).contains("\"successfulCopyCount\" : 9223372036854775807"));
        PromptUsageStore reread(env.environment());
        QCOMPARE(reread.records().value("max").successfulCopyCount, largest);
    }

    void duplicateIdsMerge_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("later date first")
            << QByteArray(R"([{"lastUsedAt": 900, "promptID": "p", "successfulCopyCount": 2},
                                                            {"lastUsedAt": 100, "promptID": "p", "successfulCopyCount": 5}])");
        QTest::newRow("later date second")
            << QByteArray(R"([{"successfulCopyCount": 5, "promptID": "p", "lastUsedAt": 100},
                                                             {"successfulCopyCount": 2, "promptID": "p", "lastUsedAt": 900}])");
    }
    void duplicateIdsMerge() {
        QFETCH(QByteArray, json);
        TestEnvironment env;
        env.writeFile(usageFile, json);
        PromptUsageStore store(env.environment());
        QCOMPARE(store.records().size(), 1);
        const QDateTime later = QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).addSecs(900);
        QCOMPARE(store.records().value("p"), (PromptUsageRecord{"p", later, 5}));
    }

    void callsThatChangeNothingWriteNothing() {
        TestEnvironment env;
        PromptUsageStore empty(env.environment());
        empty.remove("x");
        empty.removeAll();
        empty.retain({});
        QVERIFY(!QFileInfo::exists(env.dataDirectory()));

        PromptUsageStore store(env.environment());
        store.recordSuccessfulCopy("a", at(0));
        store.recordSuccessfulCopy("b", at(1));
        const QByteArray before = env.readFile(usageFile);
        QSignalSpy changed(&store, &PromptUsageStore::recordsChanged);
        ScopedWriteFault fault; // any write would fail loudly
        store.remove("missing");
        store.retain({"a", "b", "c"});
        QCOMPARE(fault.hits(), 0);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(env.readFile(usageFile), before);
    }

    void forgettingPrompts() {
        TestEnvironment env;
        PromptUsageStore store(env.environment());
        for (const QString id : {"a", "b", "c"}) {
            store.recordSuccessfulCopy(id, at(0));
        }
        store.remove("b");
        QCOMPARE(store.records().keys().size(), 2);
        store.retain({"a", "z"});
        QCOMPARE(store.records().keys(), QList<QString>{"a"});
        QVERIFY(store.removeAll());
        QVERIFY(store.records().isEmpty());
        QCOMPARE(env.readFile(usageFile), QByteArray("[\n\n]"));
        // Nothing to clear is a success that writes nothing.
        QVERIFY(store.removeAll());
        QVERIFY(PromptUsageStore(env.environment()).records().isEmpty());
    }

    void failedWritesChangeNothing() {
        TestEnvironment env;
        PromptUsageStore store(env.environment());
        store.recordSuccessfulCopy("a", at(0));
        store.recordSuccessfulCopy("b", at(0));
        const auto before = store.records();
        const QByteArray fileBefore = env.readFile(usageFile);
        ScopedWriteFault fault;
        LogCapture log;
        store.recordSuccessfulCopy("a", at(10));
        store.remove("a");
        store.retain({"b"});
        const Status cleared = store.removeAll();
        QVERIFY(!cleared);
        QCOMPARE(fault.hits(), 4);
        QCOMPARE(store.records(), before);
        QCOMPARE(env.readFile(usageFile), fileBefore);
        QVERIFY(log.contains("Save prompt usage failed recordCount=2 error=PosixError domain=posix code=5"));
    }

    void missingFolderCannotBeCreated() {
        TestEnvironment env;
        env.writeFile(".orris-hollows", "a file where the folder belongs");
        PromptUsageStore store(env.environment());
        store.recordSuccessfulCopy("a", at(0));
        QVERIFY(store.records().isEmpty());
    }

    void unreadableFilesStartEmptyAndAreKeptAside_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not a list") << QByteArray(R"({"promptID": "p"})");
        QTest::newRow("record without a count") << QByteArray(R"([{"lastUsedAt": 1, "promptID": "p"}])");
        QTest::newRow("not JSON") << QByteArray("[{");
        QTest::newRow("empty") << QByteArray();
    }
    void unreadableFilesStartEmptyAndAreKeptAside() {
        QFETCH(QByteArray, content);
        TestEnvironment env;
        env.writeFile(usageFile, content);
        LogCapture log;
        PromptUsageStore store(env.environment());
        QVERIFY(store.records().isEmpty());
        QVERIFY(log.contains("Load prompt usage failed error="));
        QCOMPARE(env.readFile(usageFile), content); // loading touches nothing

        // The next change writes a fresh file and keeps the old one beside it.
        store.recordSuccessfulCopy("q", at(0));
        QCOMPARE(store.records().size(), 1);
        const QStringList copies = unreadableCopies(env);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(copies.at(0), QStringLiteral("prompt-usage.json.unreadable-20260115T093000Z"));
        QCOMPARE(env.readFile(".orris-hollows/" + copies.at(0)), content);
        store.recordSuccessfulCopy("q", at(1));
        QCOMPARE(unreadableCopies(env).size(), 1);
        QCOMPARE(PromptUsageStore(env.environment()).records().value("q").successfulCopyCount, 2);
    }
};

QTEST_GUILESS_MAIN(PromptUsageStoreTest)
#include "tst_promptusagestore.moc"
