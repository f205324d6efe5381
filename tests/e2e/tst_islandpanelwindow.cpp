// The panel's window on a real X server, clicked through the server with the real pointer. The
// status controller shows the panel at one size and grows it when the detected workspace's
// prompts arrive; the part it grew by must take clicks like the rest (the toolbar sits there).
#include "app/IslandPanelWindow.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

bool clickAt(const QPoint& global) {
    return QProcess::execute(QStringLiteral("xdotool"),
                             {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()),
                              QStringLiteral("sleep"), QStringLiteral("0.3"), QStringLiteral("click"),
                              QStringLiteral("1")}) == 0;
}

} // namespace

class IslandPanelWindowTest : public QObject {
    Q_OBJECT
private slots:
    void aPanelThatGrowsWhileShownTakesClicksInTheNewPart() {
        QPushButton* bottomButton = nullptr;
        IslandPanelWindow window([&bottomButton](QWidget* parent) {
            auto* content = new QWidget(parent);
            auto* layout = new QVBoxLayout(content);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->addStretch(1);
            bottomButton = new QPushButton(QStringLiteral("Bottom"), content);
            bottomButton->setFixedHeight(40);
            layout->addWidget(bottomButton);
            return content;
        });
        // As the app does: the window exists, ignoring input, before the panel is first opened.
        window.setIgnoresInput(true);
        window.setFrame(QRect(0, 0, 300, 200));
        window.orderFront();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.orderOut();

        // Opened at another size than it was last shown at.
        window.setFrame(QRect(200, 100, 300, 260));
        window.setIgnoresInput(false);
        window.orderFront();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicked(bottomButton, &QPushButton::clicked);
        for (const int height : {260, 400, 150, 450}) {
            window.setFrame(QRect(200, 100, 300, height));
            if (height < 260) {
                continue;
            }
            QTRY_COMPARE(bottomButton->mapToGlobal(QPoint(0, 0)).y(), 100 + height - 40);
            QTest::qWait(200);
            const qsizetype before = clicked.count();
            QVERIFY(clickAt(bottomButton->mapToGlobal(bottomButton->rect().center())));
            QTRY_COMPARE_WITH_TIMEOUT(clicked.count(), before + 1, 5000);
        }
    }
};

QTEST_MAIN(IslandPanelWindowTest)
#include "tst_islandpanelwindow.moc"
