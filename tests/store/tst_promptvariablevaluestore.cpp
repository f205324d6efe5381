#include "TestEnvironment.h"

#include "model/StateJson.h"
#include "store/PromptVariableValueStore.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QDateTime at(int seconds) {
    return QDateTime(QDate(2026, 1, 15), QTime(9, 30), Qt::UTC).addSecs(seconds);
}

QByteArray storedList(const QList<PromptVariableRecentValue>& records) {
    return PromptVariableValueStore::encode(records);
}

QStringList namesOf(const QList<PromptVariableRecentValue>& records) {
    QStringList names;
    for (const auto& record : records) {
        names.append(record.normalizedName + "=" + record.value);
    }
    return names;
}

} // namespace

class PromptVariableValueStoreTest : public QObject {
    Q_OBJECT

private slots:
    void remembersByNormalisedName() {
        TestEnvironment env(TestEnvironment::Settings::iniFile);
        PromptVariableValueStore store(env.environment());
        QSignalSpy changed(&store, &PromptVariableValueStore::recordsChanged);
        store.record("main", "Branch", at(0));
        QCOMPARE(store.value("  branch \n"), std::optional<QString>("main"));
        QVERIFY(!store.value("branch_name"));
        QVERIFY(!store.value("   "));
        store.record("   ", " Project Name\n", at(1));
        QCOMPARE(store.value("PROJECT NAME"), std::optional<QString>("   "));
        QVERIFY(!store.value("project_name"));
        QCOMPARE(changed.count(), 2);

        // Survives a restart through the settings file.
        PromptVariableValueStore reread(env.environment());
        QCOMPARE(reread.records(), store.records());
        QCOMPARE(
            env.defaults()->dataValue(PromptVariableValueStore::key),
            std::optional<QByteArray>(R"([{"normalizedName":"branch","value":"main","updatedAt":790162200},)"
                                      R"({"normalizedName":"project name","value":"   ","updatedAt":790162201}])"));
    }

    void removeAllForgetsEveryValueAndTheKey() {
        TestEnvironment env(TestEnvironment::Settings::iniFile);
        PromptVariableValueStore store(env.environment());
        store.record("main", "Branch", at(0));
        QSignalSpy changed(&store, &PromptVariableValueStore::recordsChanged);
        store.removeAll();
        QVERIFY(store.records().isEmpty());
        QVERIFY(!store.value("branch"));
        QCOMPARE(changed.count(), 1);
        QVERIFY(!env.defaults()->dataValue(PromptVariableValueStore::key));
        QVERIFY(PromptVariableValueStore(env.environment()).records().isEmpty());
        store.record("dev", "branch", at(1));
        QCOMPARE(store.value("branch"), std::optional<QString>("dev"));
    }

    void emptyValuesAndNamesAreIgnored() {
        TestEnvironment env;
        PromptVariableValueStore store(env.environment());
        store.record("x", "a", at(0));
        const auto before = env.defaults()->dataValue(PromptVariableValueStore::key);
        QSignalSpy changed(&store, &PromptVariableValueStore::recordsChanged);
        store.record("", "a", at(1));
        store.record("y", " \n", at(1));
        QCOMPARE(env.defaults()->dataValue(PromptVariableValueStore::key), before);
        QCOMPARE(namesOf(store.records()), QStringList{"a=x"});
        QCOMPARE(changed.count(), 0);
    }

    void capKeepsTheFiftyNewest() {
        TestEnvironment env;
        PromptVariableValueStore store(env.environment());
        for (int i = 0; i < 50; ++i) {
            store.record("v", QString("n%1").arg(i), at(100 - i)); // n49 is the oldest
        }
        store.record("new", "n10", at(500)); // an existing name: nothing dropped
        QCOMPARE(store.records().size(), 50);
        QVERIFY(store.value("n49"));
        store.record("v", "fresh", at(600));
        QCOMPARE(store.records().size(), 50);
        QVERIFY(!store.value("n49"));
        QVERIFY(store.value("n48"));
        QCOMPARE(store.records().last().normalizedName, QStringLiteral("fresh"));
    }

    void loadingCleansTheStoredList() {
        TestEnvironment env;
        QList<PromptVariableRecentValue> stored;
        for (int i = 0; i < 60; ++i) {
            stored.append({QString("name%1").arg(i), "v", at(i % 2 == 0 ? i : 1000 + i)});
        }
        env.defaults()->setData(PromptVariableValueStore::key, storedList(stored));
        PromptVariableValueStore store(env.environment());
        QCOMPARE(store.records().size(), 50);
        // The ten oldest are the even names 0 to 18.
        for (int i = 0; i < 20; i += 2) {
            QVERIFY2(!store.value(QString("name%1").arg(i)), qPrintable(QString::number(i)));
        }
        QVERIFY(store.value("name20"));
        QVERIFY(store.value("name1"));
        // Nothing is written until the next value.
        QCOMPARE(env.defaults()->dataValue(PromptVariableValueStore::key), std::optional(storedList(stored)));
    }

    void namesDifferingInCaseCollapse_data() {
        QTest::addColumn<QList<PromptVariableRecentValue>>("stored");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("later date wins") << QList<PromptVariableRecentValue>{{"Branch", "new", at(5)},
                                                                             {"x", "1", at(0)},
                                                                             {"BRANCH", "old", at(1)}}
                                         << QStringList{"branch=new", "x=1"};
        QTest::newRow("equal dates: the second wins and moves to the end")
            << QList<PromptVariableRecentValue>{{"Branch", "first", at(5)},
                                                {"x", "1", at(0)},
                                                {" branch", "second", at(5)}}
            << QStringList{"x=1", "branch=second"};
        QTest::newRow("empty values and names dropped")
            << QList<PromptVariableRecentValue>{{"a", "", at(0)}, {"  ", "v", at(0)}, {"b", "v", at(0)}}
            << QStringList{"b=v"};
    }
    void namesDifferingInCaseCollapse() {
        QFETCH(QList<PromptVariableRecentValue>, stored);
        QFETCH(QStringList, expected);
        TestEnvironment env;
        env.defaults()->setData(PromptVariableValueStore::key, storedList(stored));
        PromptVariableValueStore store(env.environment());
        QCOMPARE(namesOf(store.records()), expected);
    }

    void unreadableDataStartsEmpty_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("not JSON") << QVariant(QByteArray("[{"));
        QTest::newRow("object") << QVariant(QByteArray(R"({"normalizedName":"a","value":"b","updatedAt":1})"));
        QTest::newRow("missing date") << QVariant(QByteArray(R"([{"normalizedName":"a","value":"b"}])"));
        QTest::newRow("date as text") << QVariant(
            QByteArray(R"([{"normalizedName":"a","value":"b","updatedAt":"2025-03-01T08:15:00Z"}])"));
        QTest::newRow("a text, not data") << QVariant(QStringLiteral(R"([])"));
    }
    void unreadableDataStartsEmpty() {
        QFETCH(QVariant, stored);
        TestEnvironment env;
        env.defaults()->setValue(PromptVariableValueStore::key, stored);
        PromptVariableValueStore store(env.environment());
        QVERIFY(store.records().isEmpty());
        QCOMPARE(env.defaults()->value(PromptVariableValueStore::key), stored);
    }
};

QTEST_GUILESS_MAIN(PromptVariableValueStoreTest)
#include "tst_promptvariablevaluestore.moc"
