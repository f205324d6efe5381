#include "panel/OverlaySheetHost.h"
#include "panel/PanelConfirmationSheet.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QVBoxLayout>

// Where the keyboard goes while a sheet is up inside its host.
class TestSheetHostFocus : public QObject {
    Q_OBJECT

private slots:
    // Tab and Backtab go round the sheet's own buttons, never to the controls under its backdrop,
    // also when the host made widgets of its own after the sheet came up (a panel re-render).
    void tabStaysInsideTheOverlaySheet() {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* search = new QLineEdit(&window);
        auto* stage = new QScrollArea(&window);
        layout->addWidget(search);
        layout->addWidget(stage);
        window.resize(520, 480);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        OverlaySheetHost host(&window);
        int confirmed = 0;
        auto* sheet = new PanelConfirmationSheet(
            QStringLiteral("Delete this prompt?"), QStringLiteral("Drop me"), QStringLiteral("Delete"),
            QStringLiteral("Cancel"), [&confirmed] { ++confirmed; }, [] {});
        host.present(sheet);
        auto* cancel = sheet->findChild<QPushButton*>(QStringLiteral("confirmationCancel"));
        auto* confirm = sheet->findChild<QPushButton*>(QStringLiteral("confirmationConfirm"));
        QVERIFY(cancel != nullptr && confirm != nullptr);
        QTRY_COMPARE(QApplication::focusWidget(), cancel);

        // Made after the sheet: last in the window's focus chain.
        auto* late = new QLineEdit(stage);
        late->show();

        QTest::keyClick(cancel, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), confirm);
        QTest::keyClick(confirm, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), cancel);
        QTest::keyClick(cancel, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), confirm);
        QTest::keyClick(confirm, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), cancel);

        QTest::keyClick(cancel, Qt::Key_Backtab, Qt::ShiftModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(confirmed, 1);
    }
};

QTEST_MAIN(TestSheetHostFocus)
#include "tst_sheethostfocus.moc"
