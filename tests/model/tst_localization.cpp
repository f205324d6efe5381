#include "TestEnvironment.h"

#include "model/environment/AppLanguageStore.h"
#include "model/Localization.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

class LocalizationTest : public QObject {
    Q_OBJECT

private:
    static AppLocalizationCatalog catalogFrom(const char* json) {
        auto result = AppLocalizationCatalog::loadFromData(QByteArray(json));
        if (!result.ok()) {
            qFatal("fixture catalog did not load");
        }
        return result.value();
    }

private slots:
    void systemResolution_data() {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<AppLanguage>("expected");
        QTest::newRow("zh-Hans-CN first") << QStringList{"zh-Hans-CN", "en-US"} << AppLanguage::zhHans;
        QTest::newRow("english first") << QStringList{"en-US", "zh-Hans-CN"} << AppLanguage::english;
        QTest::newRow("upper-case ZH-CN") << QStringList{"ZH-CN"} << AppLanguage::zhHans;
        QTest::newRow("zh-SG") << QStringList{"zh-SG"} << AppLanguage::zhHans;
        QTest::newRow("traditional") << QStringList{"zh-Hant-TW"} << AppLanguage::english;
        QTest::newRow("hong kong") << QStringList{"zh-HK"} << AppLanguage::english;
        QTest::newRow("bare zh") << QStringList{"zh"} << AppLanguage::english;
        QTest::newRow("empty") << QStringList{} << AppLanguage::english;
    }
    void systemResolution() {
        QFETCH(QStringList, preferred);
        QFETCH(AppLanguage, expected);
        QCOMPARE(AppLanguages::systemResolved(preferred), expected);
    }

    void aChosenLanguageResolvesSystemOnly() {
        const std::function<QStringList()> chinese = [] { return QStringList{"zh-Hans-CN"}; };
        QCOMPARE(AppLanguages::resolved(AppLanguage::system, chinese), AppLanguage::zhHans);
        QCOMPARE(AppLanguages::resolved(AppLanguage::english, chinese), AppLanguage::english);
        QCOMPARE(AppLanguages::resolved(AppLanguage::system, {}), AppLanguage::english);
        const std::function<AppLanguage()> system = [] { return AppLanguage::system; };
        QCOMPARE(AppLanguages::resolved(system, chinese), AppLanguage::zhHans);
        // Without a provider the interface language counts, which is never system.
        L10n::setCurrentLanguageProvider([] { return AppLanguage::zhHans; });
        QCOMPARE(AppLanguages::resolved(std::function<AppLanguage()>(), {}), AppLanguage::zhHans);
        L10n::setCurrentLanguageProvider({});
    }

    void rawValuesAreExact() {
        QCOMPARE(AppLanguages::fromRawValue("zhHans"), std::optional(AppLanguage::zhHans));
        QCOMPARE(AppLanguages::fromRawValue("english"), std::optional(AppLanguage::english));
        QVERIFY(!AppLanguages::fromRawValue("English").has_value());
        QVERIFY(!AppLanguages::fromRawValue("").has_value());
        QCOMPARE(AppLanguages::allCases(),
                 (QList<AppLanguage>{AppLanguage::system, AppLanguage::zhHans, AppLanguage::english}));
    }

    void storeStartsFromDefaultsAndWritesOnChange() {
        TestEnvironment env(TestEnvironment::Settings::iniFile);
        const QString key = AppLanguageStore::key;
        const QList<QVariant> unusable = {QVariant(QStringLiteral("klingon")), QVariant(QString()), QVariant(42),
                                          QVariant(QByteArray("zhHans"))};
        for (const QVariant& stored : unusable) {
            env.defaults()->setValue(key, stored);
            AppLanguageStore store(env.defaults(), env.environment().preferredLanguages);
            QCOMPARE(store.selection(), AppLanguage::system);
            QCOMPARE(env.defaults()->value(key), stored); // nothing written at start
        }
        env.setPreferredLanguages({"zh-Hans-CN"});
        AppLanguageStore store(env.defaults(), env.environment().preferredLanguages);
        QCOMPARE(store.resolvedLanguage(), AppLanguage::zhHans);
        QSignalSpy spy(&store, &AppLanguageStore::selectionChanged);
        store.setSelection(AppLanguage::english);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(env.defaults()->stringValue(key), std::optional<QString>("english"));
        QCOMPARE(store.resolvedLanguage(), AppLanguage::english);
        store.setSelection(AppLanguage::system);
        QCOMPARE(env.defaults()->stringValue(key), std::optional<QString>("system"));

        AppLanguageStore reopened(env.defaults(), env.environment().preferredLanguages);
        QCOMPARE(reopened.selection(), AppLanguage::system);
    }

    void lookupFallsBackToEnglishThenKey() {
        const auto catalog = catalogFrom(R"({"strings": {
            "both": {"localizations": {"en": {"stringUnit": {"value": "Hello"}},
                                       "zh-Hans": {"stringUnit": {"value": "你好"}}}},
            "emptyChinese": {"localizations": {"en": {"stringUnit": {"value": "Only English"}},
                                               "zh-Hans": {"stringUnit": {"value": ""}}}},
            "onlyChinese": {"localizations": {"zh-Hans": {"stringUnit": {"value": "只有中文"}}}},
            "noLocalizations": {"comment": "nothing here"},
            "plural": {"localizations": {"en": {"variations": {"plural": {}}}}}
        }})");
        QCOMPARE(catalog.string("both", AppLanguage::zhHans), QStringLiteral("你好"));
        QCOMPARE(catalog.string("both", AppLanguage::english), QStringLiteral("Hello"));
        QCOMPARE(catalog.string("emptyChinese", AppLanguage::zhHans), QStringLiteral("Only English"));
        QCOMPARE(catalog.string("onlyChinese", AppLanguage::english), QStringLiteral("onlyChinese"));
        QCOMPARE(catalog.string("onlyChinese", AppLanguage::zhHans), QStringLiteral("只有中文"));
        QCOMPARE(catalog.string("noLocalizations", AppLanguage::zhHans), QStringLiteral("noLocalizations"));
        QCOMPARE(catalog.string("plural", AppLanguage::english), QStringLiteral("plural"));
        QCOMPARE(catalog.string("missing.key", AppLanguage::english), QStringLiteral("missing.key"));
    }

    void malformedCatalogsAreRejectedWhole_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("not json") << QByteArray("{\"strings\": {");
        QTest::newRow("no strings") << QByteArray(R"({"version": "1.0"})");
        QTest::newRow("strings is a list") << QByteArray(R"({"strings": []})");
        QTest::newRow("unit without value")
            << QByteArray(R"({"strings": {"a": {"localizations": {"en": {"stringUnit": {"value": "A"}}}},
                                          "b": {"localizations": {"en": {"stringUnit": {"state": "new"}}}}}})");
        QTest::newRow("value not a string")
            << QByteArray(R"({"strings": {"a": {"localizations": {"en": {"stringUnit": {"value": 3}}}}}})");
        QTest::newRow("entry not an object") << QByteArray(R"({"strings": {"a": "text"}})");
    }
    void malformedCatalogsAreRejectedWhole() {
        QFETCH(QByteArray, json);
        const auto result = AppLocalizationCatalog::loadFromData(json);
        QVERIFY(!result.ok());
        // What the app falls back to: an empty catalog, where every text is its key.
        const AppLocalizationCatalog empty;
        QCOMPARE(empty.string(QStringLiteral("action.quit"), AppLanguage::english), QStringLiteral("action.quit"));
    }

    void sourceTreeSearchGoesUpSevenParents() {
        QTemporaryDir root;
        QDir(root.path()).mkpath("resources");
        QFile catalog(QDir(root.path()).filePath("resources/Localizable.xcstrings"));
        QVERIFY(catalog.open(QIODevice::WriteOnly));
        catalog.write(R"({"strings": {"k": {"localizations": {"en": {"stringUnit": {"value": "found"}}}}}})");
        catalog.close();

        const QString threeDown = QDir(root.path()).filePath("a/b/c");
        const QString sevenDown = QDir(root.path()).filePath("a/b/c/d/e/f/g");
        const QString eightDown = QDir(root.path()).filePath("a/b/c/d/e/f/g/h");
        QDir().mkpath(eightDown);
        auto near = AppLocalizationCatalog::loadFromSourceTree(threeDown);
        QVERIFY(near.ok());
        QCOMPARE(near->string("k", AppLanguage::english), QStringLiteral("found"));
        QVERIFY(AppLocalizationCatalog::loadFromSourceTree(sevenDown).ok());
        QVERIFY(!AppLocalizationCatalog::loadFromSourceTree(eightDown).ok());
    }

    void formatFillsArgumentsLiterally_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sequential") << "%@ of %@" << QStringList{"3", "7"} << "3 of 7";
        QTest::newRow("positional") << "%2$@ before %1$@" << QStringList{"3", "7"} << "7 before 3";
        QTest::newRow("per cent escape") << "%@%% done" << QStringList{"50"} << "50% done";
        QTest::newRow("user text is not a format")
            << "Workspace “%@” saved" << QStringList{"%@ 100%"} << "Workspace “%@ 100%” saved";
        QTest::newRow("user text with positional marker") << "[%1$@]" << QStringList{"%2$@ %%"} << "[%2$@ %%]";
        QTest::newRow("missing argument") << "%@ and %@" << QStringList{"one"} << "one and ";
        QTest::newRow("unknown directive stays") << "%d %@" << QStringList{"x"} << "%d x";
        QTest::newRow("trailing per cent") << "100%" << QStringList{"x"} << "100%";
    }
    void formatFillsArgumentsLiterally() {
        QFETCH(QString, text);
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        QCOMPARE(L10n::format(text, arguments), expected);
    }

    void stringWithoutArgumentsKeepsPerCent() {
        // The shared catalog holds real texts; a key that is missing comes back as itself,
        // per-cent sign and all, when no argument is given.
        QCOMPARE(L10n::string(QStringLiteral("100% missing"), AppLanguage::english), QStringLiteral("100% missing"));
        QCOMPARE(L10n::string(QStringLiteral("%@ missing"), AppLanguage::english, 3), QStringLiteral("3 missing"));
    }

    void sharedCatalogIsTheCompiledResource() {
        const auto& catalog = AppLocalizationCatalog::shared();
        QVERIFY(!catalog.isEmpty());
        QCOMPARE(catalog.string(L10N("shortcut.restore.failed"), AppLanguage::english),
                 QStringLiteral("Could not register the new shortcut (error %1$@) or restore the previous one "
                                "(error %2$@)."));
        QCOMPARE(L10n::string(L10N("shortcut.restore.failed"), AppLanguage::english, 3, 7),
                 QStringLiteral("Could not register the new shortcut (error 3) or restore the previous one "
                                "(error 7)."));
    }
};

QTEST_GUILESS_MAIN(LocalizationTest)
#include "tst_localization.moc"
