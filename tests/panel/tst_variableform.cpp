#include "panel/OverlaySheetHost.h"
#include "panel/PromptVariableSheet.h"
#include "panel/VariableFormModel.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/OrrisHollowsAppearance.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <algorithm>

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

int visibleScrollBars(const QWidget* window) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    int count = 0;
    for (const QScrollBar* bar : window->findChildren<QScrollBar*>()) {
        count += bar->isVisible() ? 1 : 0;
    }
    return count;
}

// Every label and button of `root` that shows is given what its text needs: a one-line label
// its whole text, a wrapping one its longest word and the height of its lines; and, with
// `allShown`, none is clipped by the window or by the list's viewport.
void verifyWhole(QWidget* root, const QString& what, bool allShown = true) {
    // After the layouts have taken the last font changes in.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    int checked = 0;
    for (QLabel* label : root->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(root) || label->text().isEmpty()) {
            continue;
        }
        const QString name = what + ": " + label->text();
        const QFontMetrics metrics(label->font());
        const int room = label->contentsRect().width();
        if (label->wordWrap()) {
            // Words of a language written with spaces break only between them; Chinese breaks
            // between any two characters.
            for (const QString& word : label->text().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                if (std::all_of(word.cbegin(), word.cend(), [](QChar c) { return c.unicode() < 0x2E80; })) {
                    QVERIFY2(metrics.horizontalAdvance(word) <= room, qPrintable(name));
                }
            }
            QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(name));
        } else {
            QVERIFY2(metrics.horizontalAdvance(label->text()) <= room, qPrintable(name));
            QVERIFY2(label->height() >= metrics.height(), qPrintable(name));
        }
        if (allShown) {
            QVERIFY2(label->visibleRegion().boundingRect() == label->rect(), qPrintable(name + " is clipped"));
        }
        ++checked;
    }
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(root) && !button->text().isEmpty()) {
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(what + ": " + button->text()));
            ++checked;
        }
    }
    QVERIFY(checked > 0);
}

} // namespace

class TestVariableForm : public QObject {
    Q_OBJECT

private slots:
    // The app's look: the style decides how tall a field is and how wide a scroll bar.
    void initTestCase() {
        OrrisHollowsAppearance::applyDark(*static_cast<QApplication*>(QCoreApplication::instance()));
    }

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
        const QLabel* name = sheet->findChild<QLabel*>("variableName");
        QVERIFY(name != nullptr);
        QCOMPARE(name->font().pixelSize(), fieldPixels);
        for (const char* button : {"variableCancel", "variableCopy"}) {
            QCOMPARE(sheet->findChild<QPushButton*>(button)->font().pixelSize(), fieldPixels);
        }
        // Captions follow too: the help line and the required tag.
        const int captionPixels = PromptPanelTextSizes::pixelSize(PromptPanelTextSizes::TextStyle::caption, size);
        const QLabel* requiredTag = sheet->findChild<QLabel*>("variableRequiredTag");
        QVERIFY(requiredTag != nullptr);
        QCOMPARE(requiredTag->font().pixelSize(), captionPixels);
        int captions = 0;
        for (const QLabel* label : sheet->findChildren<QLabel*>()) {
            if (label->wordWrap()) {
                QCOMPARE(label->font().pixelSize(), captionPixels);
                ++captions;
            }
        }
        QVERIFY(captions >= 2);
    }

    // Too tall for a small panel, the sheet opens as a window of its own, at the panel's text size
    // (set on the panel's content, not on its window, as in the app), in each language: the window
    // is as large as the sheet's content, so no label is cut and nothing scrolls, also once a
    // refused copy shows the error lines.
    void windowedSheetShowsItsContentWhole_data() {
        QTest::addColumn<AppLanguage>("language");
        QTest::addColumn<QString>("longName");
        for (const AppLanguage language : {AppLanguage::english, AppLanguage::zhHans}) {
            const char* tag = language == AppLanguage::english ? "en" : "zh";
            QTest::addRow("%s", tag) << language << QStringLiteral("Reviewer");
            QTest::addRow("%s-long-name", tag)
                << language << QStringLiteral("the_release_notes_for_the_next_major_version");
        }
    }
    void windowedSheetShowsItsContentWhole() {
        QFETCH(AppLanguage, language);
        QFETCH(QString, longName);
        L10n::setCurrentLanguageProvider([language] { return language; });
        const auto restore = qScopeGuard([] { L10n::setCurrentLanguageProvider(nullptr); });
        for (const PromptPanelTextSize size :
             {PromptPanelTextSize::system, PromptPanelTextSize::comfortable, PromptPanelTextSize::large}) {
            const QString tag =
                QStringLiteral("%1-%2").arg(QTest::currentDataTag(), PromptPanelTextSizes::rawValue(size));
            QWidget window;
            auto* content = new QWidget(&window);
            applyInterfaceTextSize(content, size);
            window.show();
            auto* host = new QWidget(content);
            host->setGeometry(0, 0, 200, 120);
            host->show();
            OverlaySheetHost sheets(host);
            auto* sheet = new PromptVariableSheet(
                formOf({required("File"), optional("Mode", "fast"), required("Scope"), required(longName)}),
                [longName](const QHash<QString, QString>&) {
                    return PromptCopySubmissionResult::validationFailed({"file", "scope", longName.toLower()});
                },
                [] {});
            sheets.present(sheet);
            QTRY_VERIFY(sheet->isVisible());
            QVERIFY(sheet->window() != &window);
            const int basePixels = PromptPanelTextSizes::basePixelSize(size);
            QCOMPARE(sheet->field("file")->font().pixelSize(), basePixels);
            QCOMPARE(sheet->findChild<QLabel*>("variableSheetTitle")->font().pixelSize(), basePixels + 4);
            // The window has the size the sheet asked for when it was presented, at least the
            // designed frame.
            QTRY_COMPARE(sheet->size(), sheet->sizeHint());
            QVERIFY(sheet->width() >= PromptVariableSheet::sheetWidth);
            QVERIFY(sheet->height() >= VariableFormModel::sheetHeight(4));
            QCOMPARE(sheet->window()->size(), sheet->size());
            QTRY_VERIFY2(visibleScrollBars(sheet->window()) == 0, qPrintable(tag + ": a scroll bar shows"));
            verifyWhole(sheet, tag);
            sheet->findChild<QPushButton*>("variableCopy")->click();
            QVERIFY(sheet->model().isMissing("scope"));
            QTRY_VERIFY(sheet->field("file")->hasFocus());
            QTRY_VERIFY2(visibleScrollBars(sheet->window()) == 0,
                         qPrintable(tag + ": a scroll bar shows after a refusal"));
            verifyWhole(sheet, tag + " refused");
            if (const QString folder = qEnvironmentVariable("ORRIS_SCREENSHOT_DIR");
                !folder.isEmpty() && QDir().mkpath(folder)) {
                sheet->window()->grab().save(QDir(folder).filePath("variable-sheet-window-" + tag + ".png"));
            }
            sheets.dismiss(sheet);
        }
    }

    // A form too long for the cap, which grows with the text size, scrolls its list, with the bar
    // beside the rows rather than over them.
    void longFormScrollsItsListWithinTheCap() {
        QList<PromptVariable> variables;
        for (int i = 0; i < 12; ++i) {
            variables.append(required(QStringLiteral("Value%1").arg(i)));
        }
        QWidget panel;
        applyInterfaceTextSize(&panel, PromptPanelTextSize::large);
        panel.resize(900, 900);
        auto* sheet = new PromptVariableSheet(
            formOf(variables), [](const QHash<QString, QString>&) { return PromptCopySubmissionResult::cancelled(); },
            [] {}, &panel);
        panel.show();
        QTRY_VERIFY(sheet->isVisible());
        const QSize hint = sheet->sizeHint();
        QCOMPARE(hint.height(), qRound(520.0 * 17 / 13));
        sheet->resize(hint);
        QTRY_VERIFY(sheet->findChild<QScrollArea*>("variableList")->verticalScrollBar()->isVisible());
        verifyWhole(sheet, QStringLiteral("long form"), false);
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
