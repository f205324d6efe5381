#include "FakeClipboard.h"
#include "TestEnvironment.h"

#include "services/PromptCopyCoordinator.h"
#include "store/PromptVariableValueStore.h"

#include <QTest>

using Values = QHash<QString, QString>;

class PromptCopyCoordinatorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_environment;
    std::unique_ptr<PromptVariableValueStore> m_values;
    std::shared_ptr<FakeClipboard> m_clipboard;

    PromptCopyCoordinator coordinator() {
        return PromptCopyCoordinator(PromptActionService(m_clipboard), *m_values,
                                     std::shared_ptr<Clock>(m_environment->environment().clock));
    }

    static PromptItem prompt(const QString& text) {
        PromptItem item;
        item.id = QStringLiteral("p1");
        item.title = QStringLiteral("Prompt");
        item.text = text;
        return item;
    }

    void remember(const Values& values) {
        for (auto entry = values.cbegin(); entry != values.cend(); ++entry) {
            m_values->record(entry.value(), entry.key(), m_environment->clock().now().addDays(-1));
        }
    }

private slots:
    void init() {
        m_environment = std::make_unique<TestEnvironment>();
        m_values = std::make_unique<PromptVariableValueStore>(m_environment->environment());
        m_clipboard = std::make_shared<FakeClipboard>();
    }

    void textWithoutMarkersIsCopiedAsItIs() {
        const QString text = QStringLiteral("Fix {{}} and { {x} } \u00e9\r\n\U0001F600 {{ {x} }}");
        QCOMPARE(coordinator().prepare(prompt(text)), PromptCopyPreparation::immediate(text));
    }

    void initialValues_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Values>("remembered");
        QTest::addColumn<Values>("initial");
        QTest::newRow("default beats remembered")
            << "{{tone|calm}}" << Values{{"tone", "loud"}} << Values{{"tone", "calm"}};
        QTest::newRow("empty default beats remembered")
            << "{{tone|}}" << Values{{"tone", "loud"}} << Values{{"tone", ""}};
        QTest::newRow("default kept as written") << "{{ tone | calm }}" << Values{} << Values{{"tone", " calm "}};
        QTest::newRow("remembered by normalised name")
            << "{{ Branch }}" << Values{{" BRANCH\n", "main"}} << Values{{"branch", "main"}};
        QTest::newRow("never used") << "{{topic}}" << Values{{"other", "x"}} << Values{{"topic", ""}};
        QTest::newRow("one field per name")
            << "{{ File }} and {{file|main.c}}" << Values{{"file", "a.c"}} << Values{{"file", "a.c"}};
    }
    void initialValues() {
        QFETCH(QString, text);
        QFETCH(Values, remembered);
        QFETCH(Values, initial);
        remember(remembered);
        const PromptCopyPreparation preparation = coordinator().prepare(prompt(text));
        QCOMPARE(preparation.kind, PromptCopyPreparation::Kind::requiresValues);
        QCOMPARE(preparation.form.promptID, QStringLiteral("p1"));
        QCOMPARE(preparation.form.templateText, text);
        QCOMPARE(preparation.form.variables, PromptVariableParser::variables(text));
        QCOMPARE(preparation.form.initialValues, initial);
    }

    void validation_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Values>("values");
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<QString>("copied");
        QTest::newRow("absent") << "{{a}}" << Values{} << QStringList{"a"} << QString();
        QTest::newRow("blank and line breaks")
            << "{{a}}" << Values{{"a", " \t\n\u2028 "}} << QStringList{"a"} << QString();
        QTest::newRow("all missing, in form order")
            << "{{b}} {{ A }} {{c|x}}" << Values{{"c", "1"}} << QStringList{"b", "a"} << QString();
        QTest::newRow("blank is fine with a default") << "<{{a|d}}>" << Values{{"a", "  "}} << QStringList{} << "<  >";
        QTest::newRow("empty with a default renders empty")
            << "<{{a|d}}>" << Values{{"a", ""}} << QStringList{} << "<>";
        QTest::newRow("every occurrence")
            << "{{ File }} and {{file|x}}" << Values{{"file", "a.c"}} << QStringList{} << "a.c and a.c";
        QTest::newRow("values are not scanned again") << "{{a}}" << Values{{"a", "{{b}}"}} << QStringList{} << "{{b}}";
    }
    void validation() {
        QFETCH(QString, text);
        QFETCH(Values, values);
        QFETCH(QStringList, missing);
        QFETCH(QString, copied);
        const PromptCopyPreparation preparation = coordinator().prepare(prompt(text));
        const PromptCopySubmissionResult result = coordinator().submit(preparation.form, values);
        if (!missing.isEmpty()) {
            QCOMPARE(result, PromptCopySubmissionResult::validationFailed(missing));
            QVERIFY(m_clipboard->attempts.isEmpty());
            QVERIFY(m_values->records().isEmpty());
        } else {
            QCOMPARE(result, PromptCopySubmissionResult::copy(PromptCopyResult::success));
            QCOMPARE(m_clipboard->attempts, QStringList{copied});
        }
    }

    void valuesAreRememberedAfterASuccessfulCopyOnly() {
        const PromptCopyPreparation preparation = coordinator().prepare(prompt("{{ Topic }} {{tone|calm}} {{note|}}"));
        const Values values{{"topic", "  spaced  "}, {"tone", "bold"}, {"note", ""}};

        m_clipboard->content = QStringLiteral("earlier");
        m_clipboard->refusesWrites = true;
        QCOMPARE(coordinator().submit(preparation.form, values),
                 PromptCopySubmissionResult::copy(PromptCopyResult::clipboardFailure));
        QCOMPARE(m_clipboard->content, QStringLiteral("earlier"));
        QVERIFY(m_values->records().isEmpty());

        m_clipboard->refusesWrites = false;
        QCOMPARE(coordinator().submit(preparation.form, values),
                 PromptCopySubmissionResult::copy(PromptCopyResult::success));
        QCOMPARE(m_clipboard->content, QStringLiteral("  spaced   bold "));
        QCOMPARE(m_values->value("topic"), std::optional<QString>("  spaced  "));
        QCOMPARE(m_values->value("tone"), std::optional<QString>("bold"));
        QCOMPARE(m_values->value("note"), std::nullopt); // empty values are never remembered
        QCOMPARE(m_values->records().size(), 2);
        for (const PromptVariableRecentValue& record : m_values->records()) {
            QCOMPARE(record.updatedAt, m_environment->clock().now());
        }

        // The remembered value now prefills a field without a default.
        QCOMPARE(coordinator().prepare(prompt("{{topic}}")).form.initialValues, (Values{{"topic", "  spaced  "}}));
    }
};

QTEST_GUILESS_MAIN(PromptCopyCoordinatorTest)
#include "tst_promptcopycoordinator.moc"
