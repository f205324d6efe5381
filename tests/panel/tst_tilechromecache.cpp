#include "panel/tiles/TileChromeCache.h"
#include "panel/tiles/TileLook.h"
#include "panel/tiles/TilePresentation.h"

#include <QGuiApplication>
#include <QPainter>
#include <QtTest>

namespace {

using Look = TileChromeCache::Look;

Look look(QSize size, qreal fill, QColor border, qreal width, qreal inset, qreal ring = 0) {
    return Look{size,   TileLook::white(fill),
                border, width,
                inset,  ring > 0 ? TileLook::withOpacity(TileLook::green(), ring) : QColor(Qt::transparent)};
}

// The panel's dark glass under the tile, so the comparison sees the chrome as composited.
QImage canvas(QSize size, int ratio) {
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(QColor(22, 23, 27));
    return image;
}

int largestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            largest =
                std::max({largest, std::abs(qRed(rowA[x]) - qRed(rowB[x])), std::abs(qGreen(rowA[x]) - qGreen(rowB[x])),
                          std::abs(qBlue(rowA[x]) - qBlue(rowB[x]))});
        }
    }
    return largest;
}

} // namespace

class TileChromeCacheTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TileChromeCache::clear(); }
    void copyLooksLikeDirectPainting_data();
    void copyLooksLikeDirectPainting();
    void cacheStaysBoundedAndScaledPaintsBypassIt();
};

void TileChromeCacheTest::copyLooksLikeDirectPainting_data() {
    QTest::addColumn<Look>("look");
    QTest::addColumn<int>("ratio");
    const QSize grid = TilePresentation::gridTileSize;
    const QSize list = TilePresentation::listTileSize;
    const QColor steel = TileLook::withOpacity(TileLook::steel(), 0.5);
    const QColor steelHover = TileLook::withOpacity(TileLook::steel(), 0.7);
    for (const int ratio : {1, 2}) {
        const QByteArray at = QByteArray(" @") + QByteArray::number(ratio) + "x";
        QTest::newRow("grid plain" + at) << look(grid, 0.07, steel, 1, 0) << ratio;
        QTest::newRow("grid hovered" + at) << look(grid, 0.105, steelHover, 1, 0) << ratio;
        QTest::newRow("grid selected" + at) << look(grid, 0.11, TileLook::accent(), 1.6, 1) << ratio;
        QTest::newRow("grid copied" + at) << look(grid, 0.15, TileLook::white(0.26), 1, 0, 0.42) << ratio;
        QTest::newRow("list plain" + at) << look(list, 0.07, steel, 1, 0) << ratio;
        QTest::newRow("list selected" + at) << look(list, 0.11, TileLook::accent(), 1.6, 1) << ratio;
    }
}

// Every row runs against the entries of the rows before it, so a look served another look's
// image shows here as well as a copy that differs from the shape it stands for.
void TileChromeCacheTest::copyLooksLikeDirectPainting() {
    QFETCH(Look, look);
    QFETCH(int, ratio);
    for (int pass = 0; pass < 2; ++pass) { // made, then served from the cache
        QImage direct = canvas(look.size, ratio);
        {
            QPainter painter(&direct);
            TileChromeCache::paint(painter, look);
        }
        QImage copied = canvas(look.size, ratio);
        {
            QPainter painter(&copied);
            TileChromeCache::draw(painter, look);
        }
        QCOMPARE_LE(largestDifference(direct, copied), 2);
        // The border is there: the middle of the top edge is lighter than the glass.
        const QRgb edge = copied.pixel(copied.width() / 2, ratio / 2);
        QVERIFY2(qRed(edge) > 40 || qGreen(edge) > 40, "no border drawn");
    }
}

void TileChromeCacheTest::cacheStaysBoundedAndScaledPaintsBypassIt() {
    QImage target = canvas(TilePresentation::listTileSize, 1);
    QPainter painter(&target);
    for (int i = 0; i < 3 * TileChromeCache::capacity; ++i) {
        TileChromeCache::draw(painter, look(TilePresentation::gridTileSize, 0.01 * (i + 1), TileLook::accent(), 1, 0));
        QCOMPARE_LE(TileChromeCache::cachedCount(), TileChromeCache::capacity);
    }
    QCOMPARE(TileChromeCache::cachedCount(), TileChromeCache::capacity);

    TileChromeCache::clear();
    painter.translate(65, 58);
    painter.scale(0.992, 0.992);
    TileChromeCache::draw(painter, look(TilePresentation::gridTileSize, 0.15, TileLook::white(0.26), 1, 0, 0.42));
    QCOMPARE(TileChromeCache::cachedCount(), 0);
}

QTEST_MAIN(TileChromeCacheTest)
#include "tst_tilechromecache.moc"
