#include "panel/tiles/PromptStageLayout.h"
#include "panel/tiles/TilePoolPlan.h"

#include <QtTest>

using Range = PromptStageLayout::Range;
using Slot = TilePoolPlan::Slot;

Q_DECLARE_METATYPE(PromptStageLayout::Range)
Q_DECLARE_METATYPE(QList<TilePoolPlan::Slot>)

namespace {

// Two sections under a 20-high header each (the first a 28-high one, as with the layout
// switch): 7 tiles and 2 tiles.
PromptStageLayout twoSections(PromptPanelLayoutMode mode) {
    return PromptStageLayout(mode, {{28, 7}, {20, 2}});
}

} // namespace

class PromptStageLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void rectangles_data();
    void rectangles();
    void tilesMeeting_data();
    void tilesMeeting();
    void poolPlan_data();
    void poolPlan();
};

void PromptStageLayoutTest::rectangles_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("index");
    QTest::addColumn<QRect>("tile");
    QTest::addColumn<int>("sectionTop");
    QTest::addColumn<int>("height");
    // Grid: 3 rows of 116 + 2 gaps in the first section (28 + 10 + 368 = 406), then 12, then
    // 20 + 10 + 116 = 146.
    const int grid = int(PromptPanelLayoutMode::grid);
    const int list = int(PromptPanelLayoutMode::list);
    QTest::newRow("grid first") << grid << 0 << 0 << QRect(0, 38, 130, 116) << 0 << 564;
    QTest::newRow("grid third column") << grid << 0 << 2 << QRect(280, 38, 130, 116) << 0 << 564;
    QTest::newRow("grid second row") << grid << 0 << 3 << QRect(0, 164, 130, 116) << 0 << 564;
    QTest::newRow("grid last of a short row") << grid << 0 << 6 << QRect(0, 290, 130, 116) << 0 << 564;
    QTest::newRow("grid second section") << grid << 1 << 1 << QRect(140, 30, 130, 116) << 418 << 564;
    // List: 7 rows of 82 + 6 gaps = 634 (+ 38 = 672), then 12, then 20 + 10 + 174 = 204.
    QTest::newRow("list first") << list << 0 << 0 << QRect(0, 38, 410, 82) << 0 << 888;
    QTest::newRow("list fourth") << list << 0 << 3 << QRect(0, 38 + 3 * 92, 410, 82) << 0 << 888;
    QTest::newRow("list second section") << list << 1 << 1 << QRect(0, 30 + 92, 410, 82) << 684 << 888;
}

void PromptStageLayoutTest::rectangles() {
    QFETCH(int, mode);
    QFETCH(int, section);
    QFETCH(int, index);
    QFETCH(QRect, tile);
    QFETCH(int, sectionTop);
    QFETCH(int, height);
    const PromptStageLayout layout = twoSections(PromptPanelLayoutMode(mode));
    QCOMPARE(layout.tileRect(section, index), tile);
    QCOMPARE(layout.sectionTop(section), sectionTop);
    QCOMPARE(layout.height(), height);
    QCOMPARE(layout.sectionRect(section).top(), sectionTop);
    // The last section ends the stage; a section holds all its tiles.
    QCOMPARE(layout.sectionRect(1).bottom() + 1, height);
    QVERIFY(QRect(0, 0, 410, layout.sectionRect(section).height()).contains(tile));
}

void PromptStageLayoutTest::tilesMeeting_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom");
    QTest::addColumn<Range>("expected");
    const int grid = int(PromptPanelLayoutMode::grid);
    const int list = int(PromptPanelLayoutMode::list);
    // Grid rows of the first section: [38, 154), [164, 280), [290, 406).
    QTest::newRow("header only") << grid << 0 << 0 << 38 << Range{};
    QTest::newRow("first row's first pixel") << grid << 0 << 0 << 39 << Range{0, 3};
    QTest::newRow("first two rows") << grid << 0 << 0 << 200 << Range{0, 6};
    QTest::newRow("in the gap between rows") << grid << 0 << 155 << 163 << Range{};
    QTest::newRow("last row is short") << grid << 0 << 300 << 2000 << Range{6, 7};
    QTest::newRow("first row's last pixel") << grid << 0 << 153 << 160 << Range{0, 3};
    QTest::newRow("above the stage") << grid << 0 << -500 << 40 << Range{0, 3};
    QTest::newRow("below the section") << grid << 0 << 406 << 1000 << Range{};
    QTest::newRow("second section") << grid << 1 << 0 << 2000 << Range{0, 2};
    QTest::newRow("second section, its header") << grid << 1 << 400 << 448 << Range{};
    QTest::newRow("nothing asked") << grid << 0 << 100 << 100 << Range{};
    // List rows: [38 + 92 i, 120 + 92 i).
    QTest::newRow("list middle") << list << 0 << 200 << 300 << Range{1, 3};
    QTest::newRow("list to the end") << list << 0 << 600 << 5000 << Range{6, 7};
    QTest::newRow("list second section") << list << 1 << 684 + 30 + 92 << 2000 << Range{1, 2};
}

void PromptStageLayoutTest::tilesMeeting() {
    QFETCH(int, mode);
    QFETCH(int, section);
    QFETCH(int, top);
    QFETCH(int, bottom);
    QFETCH(Range, expected);
    const PromptStageLayout layout = twoSections(PromptPanelLayoutMode(mode));
    const Range range = layout.tilesMeeting(section, top, bottom);
    QCOMPARE(range.isEmpty(), expected.isEmpty());
    if (!expected.isEmpty()) {
        QCOMPARE(range, expected);
    }
    // The range is exactly the tiles whose rectangles meet the rows.
    const int sectionTop = layout.sectionTop(section);
    for (int i = 0; i < layout.section(section).count; ++i) {
        const QRect tile = layout.tileRect(section, i).translated(0, sectionTop);
        const bool meets = top < bottom && tile.top() < bottom && tile.bottom() >= top;
        QCOMPARE(i >= range.first && i < range.last, meets);
    }
}

void PromptStageLayoutTest::poolPlan_data() {
    QTest::addColumn<QList<Slot>>("pool");
    QTest::addColumn<QList<Slot>>("wanted");
    QTest::addColumn<QList<int>>("tileFor");
    QTest::addColumn<QList<int>>("idle");
    QTest::newRow("empty pool makes tiles")
        << QList<Slot>{} << QList<Slot>{{"a", 0}, {"b", 0}} << QList<int>{0, 1} << QList<int>{};
    QTest::newRow("same prompts keep their tiles")
        << QList<Slot>{{"a", 0}, {"b", 0}} << QList<Slot>{{"b", 0}, {"a", 0}} << QList<int>{1, 0} << QList<int>{};
    // A search: a leaves, b stays, c arrives and takes a's tile.
    QTest::newRow("a leaving prompt's tile is reused")
        << QList<Slot>{{"a", 0}, {"b", 0}} << QList<Slot>{{"b", 0}, {"c", 0}} << QList<int>{1, 0} << QList<int>{};
    QTest::newRow("a prompt keeps its tile across sections")
        << QList<Slot>{{"a", 0}} << QList<Slot>{{"a", 1}} << QList<int>{0} << QList<int>{};
    QTest::newRow("idle tiles of the same section first")
        << QList<Slot>{{"", 0}, {"", 1}, {"x", 1}} << QList<Slot>{{"c", 1}, {"d", 0}} << QList<int>{1, 0}
        << QList<int>{2};
    QTest::newRow("other sections' tiles before new ones")
        << QList<Slot>{{"", 0}} << QList<Slot>{{"c", 2}, {"d", 2}} << QList<int>{0, 1} << QList<int>{};
    QTest::newRow("nothing wanted leaves all idle")
        << QList<Slot>{{"a", 0}, {"", 0}} << QList<Slot>{} << QList<int>{} << QList<int>{0, 1};
}

void PromptStageLayoutTest::poolPlan() {
    QFETCH(QList<Slot>, pool);
    QFETCH(QList<Slot>, wanted);
    QFETCH(QList<int>, tileFor);
    QFETCH(QList<int>, idle);
    const TilePoolPlan plan = TilePoolPlan::make(pool, wanted);
    QCOMPARE(plan.tileFor, tileFor);
    QCOMPARE(plan.idle, idle);
}

QTEST_GUILESS_MAIN(PromptStageLayoutTest)
#include "tst_promptstagelayout.moc"
