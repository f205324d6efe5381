#include "IslandSurfaceContent.h"
#include "TestEnvironment.h"

#include "panel/header/EnvironmentInfoPopoverView.h"
#include "panel/island/IslandGeometry.h"
#include "panel/island/IslandMorphAnimator.h"
#include "panel/island/IslandMorphState.h"
#include "panel/island/IslandSurfaceView.h"
#include "panel/tiles/FullPromptPreviewCard.h"
#include "widgets/OrrisHollowsAppearance.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>

using namespace std::chrono_literals;

namespace {

const QColor desktopColour(196, 205, 220);

struct Harness {
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>(clock);
    IslandMorphState state{scheduler};
    QWidget window;
    IslandSurfaceView* surface = nullptr;

    explicit Harness(QSize size = QSize(520, 480)) {
        window.setObjectName(QStringLiteral("panelWindow"));
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        surface = new IslandSurfaceView(state, IslandSurfaceContent::makeContent(), IslandSurfaceContent::makeToolbar(),
                                        clock);
        layout->addWidget(surface);
        window.resize(size);
        window.show();
        QCoreApplication::processEvents();
    }

    void advance(std::chrono::milliseconds by) {
        scheduler->advance(by);
        surface->animator().tick();
    }

    // What the screen shows: the desktop, and the island over it; without a compositor only the
    // window's masked shape.
    QImage picture() const {
        QImage screen(surface->size(), QImage::Format_ARGB32_Premultiplied);
        screen.fill(desktopColour);
        const QImage grabbed = surface->grab().toImage();
        QPainter painter(&screen);
        if (!surface->isCompositing()) {
            painter.setClipRegion(surface->currentMask());
        }
        painter.drawImage(0, 0, grabbed);
        return screen;
    }

    static void save(const QImage& image, const QString& name) {
        QDir dir(QCoreApplication::applicationDirPath());
        dir.mkpath(QStringLiteral("../screenshots"));
        QVERIFY(image.save(dir.filePath(QStringLiteral("../screenshots/") + name)));
    }
};

bool isDark(QRgb pixel) {
    return qGray(pixel) < 60;
}

} // namespace

class IslandSurfaceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        OrrisHollowsAppearance::applyDark(*qobject_cast<QApplication*>(QCoreApplication::instance()));
    }

    void geometry_data() {
        QTest::addColumn<QSizeF>("window");
        QTest::addColumn<qreal>("expansion");
        QTest::addColumn<QRectF>("shape");
        QTest::addColumn<qreal>("radius");
        QTest::newRow("half open") << QSizeF(520, 480) << 0.5 << QRectF(100, 10, 320, 244) << 30.0;
        QTest::newRow("full") << QSizeF(520, 480) << 1.0 << QRectF(18, 10, 484, 460) << 30.0;
        QTest::newRow("overshoot clamps") << QSizeF(520, 480) << 1.2 << QRectF(18, 10, 484, 460) << 30.0;
        QTest::newRow("negative clamps") << QSizeF(520, 480) << -0.1 << QRectF(182, 10, 156, 28) << 14.0;
        QTest::newRow("capsule") << QSizeF(520, 720) << 0.0 << QRectF(182, 10, 156, 28) << 14.0;
        QTest::newRow("narrow window keeps minimum width")
            << QSizeF(150, 300) << 1.0 << QRectF(13, 10, 124, 280) << 30.0;
        QTest::newRow("low window keeps the capsule height")
            << QSizeF(520, 40) << 1.0 << QRectF(18, 10, 484, 28) << 14.0;
    }
    void geometry() {
        QFETCH(QSizeF, window);
        QFETCH(qreal, expansion);
        QFETCH(QRectF, shape);
        QFETCH(qreal, radius);
        const IslandGeometry g = IslandGeometry::forWindow(window);
        QCOMPARE(g.shapeRect(expansion), shape);
        QCOMPARE(g.cornerRadius(expansion), radius);
        QCOMPARE(g.maskRegion(expansion).boundingRect(), shape.toAlignedRect());
    }

    void openTimeline() {
        Harness h;
        auto& animator = h.surface->animator();
        QVERIFY(!animator.isAnimating());
        h.state.open(false);
        QVERIFY(animator.isAnimating());
        QCOMPARE(animator.presentation().expansion, 0.0);

        h.advance(50ms);
        auto p = animator.presentation();
        QVERIFY(p.expansion > 0.0 && p.expansion < 0.5);
        QCOMPARE(p.contentOpacity, 0.0); // the content waits 0.06 s
        QCOMPARE(p.contentOffset, -8.0);
        QCOMPARE(p.toolbarOffset, 8.0);

        h.advance(60ms); // 0.11 s: content half way, toolbar not yet
        p = animator.presentation();
        QVERIFY(p.contentOpacity > 0.2 && p.contentOpacity < 1.0);
        QVERIFY(p.contentOffset < 0 && p.contentOffset > -8);
        QCOMPARE(p.toolbarOpacity, 0.0);

        h.advance(290ms); // 0.4 s
        p = animator.presentation();
        QCOMPARE(p.expansion, 1.0);
        QCOMPARE(p.contentOpacity, 1.0);
        QCOMPARE(p.toolbarOffset, 0.0);
        QVERIFY(!animator.isAnimating());
        QCOMPARE(h.surface->currentShapeRect(), QRectF(18, 10, 484, 460));
        QCOMPARE(h.surface->currentMask().boundingRect(), QRect(18, 10, 484, 460));
        // Content and toolbar stand at full width inside the island, the toolbar at the bottom.
        QCOMPARE(h.surface->content()->width(), 484);
        QCOMPARE(h.surface->toolbar()->mapTo(h.surface, QPoint(0, h.surface->toolbar()->height())).y(), 470);
    }

    void closeSequenceComesToRest() {
        Harness h;
        h.state.open(false);
        h.advance(400ms);
        const QSize contentSize = h.surface->content()->size();
        int completions = 0;
        h.state.close(false, [&completions] { ++completions; });
        h.advance(30ms);
        auto p = h.surface->animator().presentation();
        QCOMPARE(p.expansion, 1.0); // the shape waits 0.04 s
        QVERIFY(p.contentOpacity < 1.0);
        QVERIFY(!p.contentAcceptsInput && !p.toolbarAcceptsInput);
        h.advance(130ms);
        QVERIFY(h.surface->animator().presentation().expansion < 1.0);
        QCOMPARE(h.surface->content()->size(), contentSize); // only clipped, never re-laid out
        h.advance(140ms);                                    // 0.3 s
        QCOMPARE(completions, 1);
        p = h.surface->animator().presentation();
        QCOMPARE(p.expansion, 0.0);
        QCOMPARE(p.contentOpacity, 0.0);
        // At rest: no ticker, nothing scheduled.
        QVERIFY(!h.surface->animator().isAnimating());
        QCOMPARE(h.scheduler->pendingCount(), 0);
        QCOMPARE(h.surface->currentMask().boundingRect(), QRect(182, 10, 156, 28));

        // A reset in the middle of an opening stops the ticker at once.
        h.state.open(false);
        h.advance(100ms);
        QVERIFY(h.surface->animator().isAnimating());
        h.state.resetCollapsed();
        QVERIFY(!h.surface->animator().isAnimating());
        QCOMPARE(h.surface->animator().presentation().expansion, 0.0);
    }

    void openDuringCloseContinuesFromWhereItIs() {
        Harness h;
        h.state.open(false);
        h.advance(400ms);
        h.state.close(false, {});
        h.advance(150ms);
        const qreal midway = h.surface->animator().presentation().expansion;
        QVERIFY(midway > 0.0 && midway < 1.0);
        h.state.open(false);
        h.advance(1ms);
        const qreal resumed = h.surface->animator().presentation().expansion;
        QVERIFY(qAbs(resumed - midway) < 0.05);
        h.advance(400ms);
        QCOMPARE(h.surface->animator().presentation().expansion, 1.0);
        QVERIFY(!h.surface->animator().isAnimating());
    }

    void reducedMotionOnlyFades() {
        Harness h;
        h.state.open(true);
        auto p = h.surface->animator().presentation();
        QCOMPARE(p.expansion, 1.0);
        QCOMPARE(p.islandOpacity, 0.0);
        h.advance(50ms);
        p = h.surface->animator().presentation();
        QVERIFY(p.islandOpacity > 0.3 && p.islandOpacity < 1.0);
        QCOMPARE(p.contentOpacity, 1.0);
        QCOMPARE(p.contentOffset, 0.0);
        QCOMPARE(p.toolbarOffset, 0.0);
        h.advance(60ms);
        QCOMPARE(h.surface->animator().presentation().islandOpacity, 1.0);
        QVERIFY(!h.surface->animator().isAnimating());

        h.state.close(true, {});
        h.advance(50ms);
        QCOMPARE(h.surface->animator().presentation().expansion, 1.0);
        h.advance(50ms);
        QCOMPARE(h.surface->animator().presentation().expansion, 0.0);
        QVERIFY(!h.surface->animator().isAnimating());
    }

    void hiddenContentTakesNoClicks() {
        Harness h;
        h.state.open(false);
        h.advance(400ms);
        const QPoint inContent(260, 60);
        QWidget* hit = h.surface->childAt(inContent);
        QVERIFY(hit != nullptr);
        QVERIFY(h.surface->content()->isAncestorOf(hit) || hit == h.surface->content());
        h.state.close(false, {});
        hit = h.surface->childAt(inContent);
        QVERIFY(hit == nullptr || !(h.surface->content()->isAncestorOf(hit) || hit == h.surface->content()));
    }

    void surfacesOverOtherContentAreOpaque() {
        // Without a backdrop blur, whatever lies under a surface would read through a translucent
        // fill: the island's body, the hover preview and the environment popover cover it whole.
        auto alphaAt = [](QWidget& widget, QPoint point) {
            QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            return qAlpha(image.pixel(point));
        };
        Harness h(QSize(520, 480));
        h.surface->setCompositing(true);
        h.state.open(false);
        h.advance(400ms);
        for (const QPoint point : {QPoint(260, 240), QPoint(40, 100), QPoint(480, 400)}) {
            QCOMPARE(alphaAt(*h.surface, point), 255);
        }

        FullPromptPreviewCard card;
        card.resize(FullPromptPreviewCard::cardSize);
        QCOMPARE(alphaAt(card, QPoint(card.width() / 2, card.height() / 2)), 255);
        QCOMPARE(alphaAt(card, QPoint(30, card.height() - 30)), 255);

        QWidget parent;
        EnvironmentInfoPopoverView popover(&parent);
        popover.resize(360, 240);
        QCOMPARE(alphaAt(popover, QPoint(180, 120)), 255);
        QCOMPARE(alphaAt(popover, QPoint(30, 200)), 255);
    }

    void pictures_data() {
        QTest::addColumn<bool>("compositing");
        QTest::newRow("without compositor") << false;
        QTest::newRow("with compositor") << true;
    }
    void pictures() {
        QFETCH(bool, compositing);
        const QString suffix = compositing ? QStringLiteral("composited") : QStringLiteral("masked");
        Harness h(QSize(520, 480));
        h.surface->setCompositing(compositing);
        h.state.open(false);
        h.advance(50ms);
        Harness::save(h.picture(), QStringLiteral("island-open-50ms-%1.png").arg(suffix));
        h.advance(350ms);
        const QImage open = h.picture();
        Harness::save(open, QStringLiteral("island-open-400ms-%1.png").arg(suffix));

        // The dark island, 484 wide, 10 below the top; outside its rounded corners the desktop.
        QVERIFY(isDark(open.pixel(260, 12)));
        QVERIFY(isDark(open.pixel(19, 240)));
        QVERIFY(isDark(open.pixel(500, 240)));
        QVERIFY(!isDark(open.pixel(16, 240)));
        QVERIFY(!isDark(open.pixel(504, 240)));
        QVERIFY(!isDark(open.pixel(260, 8)));
        QVERIFY(!isDark(open.pixel(19, 11)));  // outside the top-left corner's curve
        QVERIFY(!isDark(open.pixel(500, 11))); // and the top-right one
        if (!compositing) {
            QCOMPARE(QColor(open.pixel(19, 11)), desktopColour);
            QCOMPARE(QColor(open.pixel(10, 470)), desktopColour);
        } else {
            // The shadow darkens the desktop below the island.
            QVERIFY(qGray(open.pixel(260, 476)) < qGray(desktopColour.rgb()));
        }
    }

    void picturesOfTheMorph() {
        Harness h(QSize(520, 720));
        h.surface->setCompositing(true);
        h.state.open(false);
        while (h.surface->animator().presentation().expansion < 0.15) {
            h.advance(2ms);
        }
        Harness::save(h.picture(), QStringLiteral("island-expansion-0.15.png"));
        h.advance(400ms);
        Harness::save(h.picture(), QStringLiteral("island-expansion-1.0.png"));
        QCOMPARE(h.surface->currentShapeRect(), QRectF(18, 10, 484, 700));
    }

    void reducedMotionShowsTheWholeShapeAt50ms() {
        Harness h;
        h.state.open(true);
        h.advance(50ms);
        const QImage picture = h.picture();
        Harness::save(picture, QStringLiteral("island-open-50ms-reduce-motion.png"));
        QCOMPARE(h.surface->currentMask().boundingRect(), QRect(18, 10, 484, 460));
        QVERIFY(qGray(picture.pixel(260, 460)) < qGray(desktopColour.rgb()) - 40);
    }
};

QTEST_MAIN(IslandSurfaceTest)
#include "tst_islandsurface.moc"
