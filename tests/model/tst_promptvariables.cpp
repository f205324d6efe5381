#include "model/PromptVariables.h"

#include <QTest>

using Values = QHash<QString, QString>;

namespace {

PromptVariable variableOf(const QString& name, std::optional<QString> defaultValue = std::nullopt) {
    return PromptVariable{name, name.toLower(), std::move(defaultValue)};
}

} // namespace

class PromptVariablesTest : public QObject {
    Q_OBJECT

private slots:
    void markers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<PromptVariable>>("expected");
        const QList<PromptVariable> none;
        QTest::newRow("first marker decides") << "Fix {{ File }} and {{file|main.c}}" << QList{variableOf("File")};
        QTest::newRow("blanks around default") << "{{ tone | calm }}" << QList{variableOf("tone", " calm ")};
        QTest::newRow("tight default") << "{{tone|calm}}" << QList{variableOf("tone", "calm")};
        QTest::newRow("blank default") << "{{ tone | }}" << QList{variableOf("tone", " ")};
        QTest::newRow("empty default") << "{{tone|}}" << QList{variableOf("tone", "")};
        QTest::newRow("further bars") << "{{ a | b | c }}" << QList{variableOf("a", " b | c ")};
        QTest::newRow("empty") << "{{}}" << none;
        QTest::newRow("blank") << "{{ }}" << none;
        QTest::newRow("default without name") << "{{ | x }}" << none;
        QTest::newRow("brace inside") << "{{ {x} }}" << none;
        QTest::newRow("triple braces") << "{{{x}}}" << none;
        QTest::newRow("unclosed rest") << "{{ a }} {{ b" << QList{variableOf("a")};
        QTest::newRow("leading closing pair") << "}} {{ a }}" << QList{variableOf("a")};
        QTest::newRow("line break inside") << "{{ name\n }}" << QList{variableOf("name")};
        QTest::newRow("inner blanks and case")
            << "{{ File Name }} {{file name|x}}" << QList{PromptVariable{"File Name", "file name", std::nullopt}};
        QTest::newRow("rejected marker does not hide the next") << "{{ }}{{b}}" << QList{variableOf("b")};
        // The stray pair opens the marker, whose inner text then holds braces; scanning goes on
        // after the closing pair, so nothing of it is a marker.
        QTest::newRow("stray opening pair before a marker") << "Use {{ {{topic}} now" << none;
    }
    void markers() {
        QFETCH(QString, text);
        QFETCH(QList<PromptVariable>, expected);
        QCOMPARE(PromptVariableParser::variables(text), expected);
    }

    void render_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Values>("values");
        QTest::addColumn<QString>("expected");
        QTest::newRow("every occurrence")
            << "Fix {{ File }} and {{file|main.c}}" << Values{{"file", "a.c"}} << "Fix a.c and a.c";
        QTest::newRow("no values") << "a {{x}} b" << Values{} << "a {{x}} b";
        QTest::newRow("missing value keeps the marker, default unused")
            << "{{a|1}} {{b|2}}" << Values{{"a", "x"}} << "x {{b|2}}";
        QTest::newRow("normalised key wins") << "{{tone}}" << Values{{"Tone", "x"}, {"tone", "y"}} << "y";
        QTest::newRow("first in code-point order among other forms")
            << "{{tone}}" << Values{{" Tone", "x"}, {"TONE", "y"}} << "x";
        QTest::newRow("value is not scanned again") << "{{a}} {{b}}" << Values{{"a", "{{b}}"}, {"b", "B"}} << "{{b}} B";
        QTest::newRow("rejected markers and lone braces copied")
            << "{ {{ }} {{x}} }}" << Values{{"x", "1"}} << "{ {{ }} 1 }}";
        QTest::newRow("blank key skipped") << "{{x}}" << Values{{"  ", "1"}} << "{{x}}";
        QTest::newRow("stray opening pair before a marker")
            << "Use {{ {{topic}} now" << Values{{"topic", "x"}} << "Use {{ {{topic}} now";
        QTest::newRow("non-BMP text around") << "😀{{x}}😀" << Values{{"x", "é"}} << "😀é😀";
    }
    void render() {
        QFETCH(QString, text);
        QFETCH(Values, values);
        QFETCH(QString, expected);
        QCOMPARE(PromptVariableParser::render(text, values), expected);
    }
};

QTEST_GUILESS_MAIN(PromptVariablesTest)
#include "tst_promptvariables.moc"
