#include "panel/OverlaySheetHost.h"
#include "panel/PromptVariableSheet.h"
#include "panel/VariableFormModel.h"
#include "widgets/InterfaceEnvironment.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

PromptVariableForm formOf(const QList<PromptVariable>& variables, QHash<QString, QString> initial = {}) {
    PromptVariableForm form;
    form.promptID = QStringLiteral("p");
    form.templateText = QStringLiteral("t");
    form.variables = variables;
    form.initialValues = std::move(initial);
    return form;
}

PromptVariable required(const QString& name) {
    return {name, name.toLower(), std::nullopt};
}

PromptVariable optional(const QString& name, const QString& fallback) {
    return {name, name.toLower(), fallback};
}

} // namespace

class TestVariableForm : public QObject {
    Q_OBJECT

private slots:
    void heights_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("height");
        QTest::newRow("none") << 0 << 170;
        QTest::newRow("one") << 1 << 252;
        QTest::newRow("four") << 4 << 498;
        QTest::newRow("five is capped") << 5 << 520;
        QTest::newRow("many") << 40 << 520;
    }
    void heights() {
        QFETCH(int, count);
        QFETCH(int, height);
        QCOMPARE(VariableFormModel::sheetHeight(count), height);
    }

    void refusalMarksFocusesAndAllowsAnotherTry() {
        int calls = 0;
        QHash<QString, QString> seen;
        VariableFormModel model(formOf({required("A"), required("B"), required("C")}),
                                [&](const QHash<QString, QString>& values) {
                                    ++calls;
                                    seen = values;
                                    return calls == 1 ? PromptCopySubmissionResult::validationFailed({"c", "b", "zz"})
                                                      : PromptCopySubmissionResult::copy(PromptCopyResult::success);
                                });
        QCOMPARE(model.focusedName(), std::optional<QString>("a"));
        model.setValue("a", "  x ");
        model.confirmOnce();
        QVERIFY(model.isMissing("b") && model.isMissing("c"));
        QCOMPARE(model.focusedName(), std::optional<QString>("b")); // first in form order
        QVERIFY(!model.isSubmitting());
        QCOMPARE(seen.value("a"), QStringLiteral("  x ")); // untrimmed

        model.setValue("b", " \n ");
        QVERIFY(model.isMissing("b")); // blanks do not clear a mark
        model.setValue("b", "y");
        QVERIFY(!model.isMissing("b"));
        QVERIFY(model.isMissing("c"));
        model.setValue("c", "");
        QVERIFY(model.isMissing("c"));

        model.confirmOnce();
        model.confirmOnce(); // accepted: a second activation does nothing
        QCOMPARE(calls, 2);
        QVERIFY(model.isSubmitting());
    }

    void sheetConfirmsOnReturnOnceAndCancelsOnEscapeWhileSubmitting() {
        int confirms = 0;
        int cancels = 0;
        PromptVariableSheet sheet(
            formOf({required("File"), optional("Mode", "")}, {{"mode", ""}}),
            [&](const QHash<QString, QString>&) {
                ++confirms;
                return PromptCopySubmissionResult::copy(PromptCopyResult::success);
            },
            [&] { ++cancels; });
        QCOMPARE(sheet.sizeHint(), QSize(440, 334));
        sheet.show();
        QTest::keyClick(sheet.field("file"), Qt::Key_Return);
        QTest::keyClick(sheet.field("file"), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(confirms, 1);
        QVERIFY(!sheet.findChild<QPushButton*>("variableCopy")->isEnabled());
        QTest::keyClick(sheet.field("file"), Qt::Key_Escape);
        QCOMPARE(cancels, 1);
        QVERIFY(sheet.field("file")->accessibleDescription() != sheet.field("mode")->accessibleDescription());
    }

    void sheetTakesTheTextSizeOfThePanelThatShowsIt_data() {
        QTest::addColumn<PromptPanelTextSize>("size");
        QTest::addColumn<int>("fieldPixels");
        QTest::addColumn<int>("titlePixels");
        QTest::newRow("system") << PromptPanelTextSize::system << 13 << 17;
        QTest::newRow("comfortable") << PromptPanelTextSize::comfortable << 15 << 19;
        QTest::newRow("large") << PromptPanelTextSize::large << 17 << 21;
    }
    void sheetTakesTheTextSizeOfThePanelThatShowsIt() {
        QFETCH(PromptPanelTextSize, size);
        QFETCH(int, fieldPixels);
        QFETCH(int, titlePixels);
        QWidget panel;
        applyInterfaceTextSize(&panel, size);
        auto* sheet = new PromptVariableSheet(
            formOf({required("File")}),
            [](const QHash<QString, QString>&) { return PromptCopySubmissionResult::cancelled(); }, [] {}, &panel);
        panel.show();
        QVERIFY(sheet->isVisible());
        QCOMPARE(sheet->field("file")->font().pixelSize(), fieldPixels);
        QCOMPARE(sheet->findChild<QLabel*>("variableSheetTitle")->font().pixelSize(), titlePixels);
        // Captions follow too: the help line and the required tag.
        const int captionPixels = PromptPanelTextSizes::pixelSize(PromptPanelTextSizes::TextStyle::caption, size);
        int captions = 0;
        for (const QLabel* label : sheet->findChildren<QLabel*>()) {
            if (label->wordWrap()) {
                QCOMPARE(label->font().pixelSize(), captionPixels);
                ++captions;
            }
        }
        QVERIFY(captions >= 2);

        // Too tall for a small panel, the sheet opens as a window of its own and keeps the size. The
        // size is set on the panel's content, not on its window, as in the app.
        QWidget window;
        auto* content = new QWidget(&window);
        applyInterfaceTextSize(content, size);
        window.show();
        auto* host = new QWidget(content);
        host->setGeometry(0, 0, 200, 120);
        host->show();
        OverlaySheetHost sheets(host);
        auto* windowed = new PromptVariableSheet(
            formOf({required("File"), required("Mode"), required("Scope")}),
            [](const QHash<QString, QString>&) { return PromptCopySubmissionResult::cancelled(); }, [] {});
        sheets.present(windowed);
        QTRY_VERIFY(windowed->isVisible());
        QVERIFY(windowed->window() != &window);
        QCOMPARE(windowed->field("file")->font().pixelSize(), fieldPixels);
        QCOMPARE(windowed->findChild<QLabel*>("variableSheetTitle")->font().pixelSize(), titlePixels);
        if (const QString folder = qEnvironmentVariable("ORRIS_SCREENSHOT_DIR");
            !folder.isEmpty() && QDir().mkpath(folder)) {
            windowed->window()->grab().save(
                QDir(folder).filePath(QStringLiteral("variable-sheet-window-") + QTest::currentDataTag() + ".png"));
        }
        sheets.dismiss(windowed);
    }

    void refusedSheetShowsTheRedLineAndFocusesTheField() {
        PromptVariableSheet sheet(
            formOf({optional("Mode", "x"), required("File")}),
            [](const QHash<QString, QString>&) { return PromptCopySubmissionResult::validationFailed({"file"}); },
            [] {});
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        sheet.findChild<QPushButton*>("variableCopy")->click();
        QTRY_VERIFY(sheet.field("file")->hasFocus());
        QVERIFY(sheet.model().isMissing("file"));
        QTest::keyClicks(sheet.field("file"), "main.cpp");
        QVERIFY(!sheet.model().isMissing("file"));
        QCOMPARE(sheet.model().value("file"), QStringLiteral("main.cpp"));
    }
};

QTEST_MAIN(TestVariableForm)
#include "tst_variableform.moc"
