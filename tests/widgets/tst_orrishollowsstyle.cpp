// The island's scroll bars: arrowless, a handle sized by the visible share, a click on the track
// jumps there, and a real scroll area still scrolls with them.

#include "widgets/OrrisHollowsAppearance.h"
#include "widgets/OrrisHollowsStyle.h"

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>

class TestOrrisHollowsStyle : public QObject {
    Q_OBJECT

private:
    static QStyleOptionSlider optionFor(QScrollBar& bar) {
        QStyleOptionSlider option;
        option.initFrom(&bar);
        option.orientation = bar.orientation();
        option.minimum = bar.minimum();
        option.maximum = bar.maximum();
        option.sliderPosition = bar.sliderPosition();
        option.sliderValue = bar.value();
        option.pageStep = bar.pageStep();
        option.singleStep = bar.singleStep();
        option.upsideDown = bar.invertedAppearance();
        return option;
    }

private slots:
    void initTestCase() {
        OrrisHollowsAppearance::applyDark(*static_cast<QApplication*>(QCoreApplication::instance()));
    }

    void handleFollowsTheVisibleShare_data() {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("pageStep");
        QTest::addColumn<int>("value");
        QTest::addColumn<QRect>("handle");
        // A 10x400 track: a page of 100 in 400 is a quarter of it, at the start, the middle or the end.
        QTest::newRow("start") << 300 << 100 << 0 << QRect(0, 0, 10, 100);
        QTest::newRow("middle") << 300 << 100 << 150 << QRect(0, 150, 10, 100);
        QTest::newRow("end") << 300 << 100 << 300 << QRect(0, 300, 10, 100);
        // A huge list keeps a handle that can still be grabbed.
        QTest::newRow("minimum length") << 1'000'000 << 10 << 0
                                        << QRect(0, 0, 10, OrrisHollowsStyle::minimumHandleLength);
        // Nothing to scroll: the handle fills the track.
        QTest::newRow("no range") << 0 << 100 << 0 << QRect(0, 0, 10, 400);
    }

    void handleFollowsTheVisibleShare() {
        QFETCH(int, maximum);
        QFETCH(int, pageStep);
        QFETCH(int, value);
        QFETCH(QRect, handle);
        QScrollBar bar(Qt::Vertical);
        bar.resize(10, 400);
        bar.setRange(0, maximum);
        bar.setPageStep(pageStep);
        bar.setValue(value);
        const QStyleOptionSlider option = optionFor(bar);
        QStyle* style = bar.style();
        QCOMPARE(style->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, &bar), handle);
        QVERIFY(style->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarAddLine, &bar).isEmpty());
        QVERIFY(style->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSubLine, &bar).isEmpty());
    }

    void scrollAreaScrollsWithTheThinBar() {
        QScrollArea area;
        area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        auto* content = new QLabel(QStringLiteral("tall"));
        content->setFixedSize(200, 2000);
        area.setWidget(content);
        area.resize(240, 300);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QScrollBar* bar = area.verticalScrollBar();
        QCOMPARE(bar->width(), OrrisHollowsStyle::scrollBarExtent);
        QVERIFY(bar->maximum() > 0);
        // A click near the end of the track jumps to the end rather than paging one step.
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 2));
        QTRY_COMPARE(bar->value(), bar->maximum());
        // Dragging the handle back to the top scrolls back to the start.
        QStyleOptionSlider option = optionFor(*bar);
        const QRect handle =
            bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
        QTest::mousePress(bar, Qt::LeftButton, {}, handle.center());
        QMouseEvent move(QEvent::MouseMove, QPointF(handle.center().x(), -50),
                         bar->mapToGlobal(QPointF(handle.center().x(), -50)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(handle.center().x(), 0));
        QCOMPARE(bar->value(), 0);
    }
};

QTEST_MAIN(TestOrrisHollowsStyle)
#include "tst_orrishollowsstyle.moc"
