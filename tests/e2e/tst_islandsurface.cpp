// The island on a real X server with a compositor: the panel-like window opens the island and
// the screen is read back 50 ms and 400 ms later. Drawn translucent with its shadow when the
// compositor is used, and as a shape mask (an opaque window) otherwise, where nothing black may
// show around the island.
#include "IslandSurfaceContent.h"
#include "model/environment/Scheduler.h"
#include "panel/island/IslandMorphState.h"
#include "panel/island/IslandSurfaceView.h"
#include "platform/x11/X11CompositorProbe.h"
#include "widgets/BrandButton.h"
#include "widgets/OrrisHollowsAppearance.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>

namespace {

// What the screen shows where no window is, read before the first panel opens.
QColor desktopColour;
const QRect panelFrame(380, 100, 520, 480);

// A window like the panel's: frameless, on top, filled by the surface.
struct PanelWindow {
    IslandMorphState state{std::make_shared<TimerScheduler>()};
    QWidget window;
    IslandSurfaceView* surface = nullptr;

    explicit PanelWindow(bool compositing) {
        window.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        window.setObjectName(QStringLiteral("panelWindow"));
        if (compositing) {
            window.setAttribute(Qt::WA_TranslucentBackground);
        }
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        surface =
            new IslandSurfaceView(state, IslandSurfaceContent::makeContent(), IslandSurfaceContent::makeToolbar());
        surface->setCompositing(compositing);
        layout->addWidget(surface);
        if (!compositing) {
            QObject::connect(surface, &IslandSurfaceView::maskChanged, &window,
                             [this](const QRegion& mask) { window.setMask(mask); });
        }
        window.setGeometry(panelFrame);
        window.show();
        if (!compositing) {
            window.setMask(surface->currentMask());
        }
    }

    QImage screen() const {
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, panelFrame.x(), panelFrame.y(), panelFrame.width(), panelFrame.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
};

void save(const QImage& image, const QString& name) {
    QDir dir(QCoreApplication::applicationDirPath());
    dir.mkpath(QStringLiteral("../screenshots"));
    QVERIFY(image.save(dir.filePath(QStringLiteral("../screenshots/") + name)));
}

bool isDark(QRgb pixel) {
    return qGray(pixel) < 60;
}

bool isDesktop(QRgb pixel) {
    const QColor c(pixel);
    return qAbs(c.red() - desktopColour.red()) <= 3 && qAbs(c.green() - desktopColour.green()) <= 3 &&
           qAbs(c.blue() - desktopColour.blue()) <= 3;
}

} // namespace

class IslandSurfaceE2ETest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        OrrisHollowsAppearance::applyDark(*qobject_cast<QApplication*>(QCoreApplication::instance()));
        if (X11CompositorProbe::isCompositing() ||
            QTest::qWaitFor([] { return X11CompositorProbe::isCompositing(); }, 5000)) {
            // The compositor paints an even background where no window is.
            QTest::qWait(200);
        }
        const QImage empty =
            QGuiApplication::primaryScreen()->grabWindow(0, panelFrame.x(), panelFrame.y(), 4, 4).toImage();
        desktopColour = QColor(empty.pixel(1, 1));
        QVERIFY2(!isDark(desktopColour.rgb()), "the screen behind the panel must not be dark to begin with");
    }

    void opensUnderTheCompositorAndWithoutIt_data() {
        QTest::addColumn<bool>("compositing");
        QTest::newRow("masked") << false;
        QTest::newRow("composited") << true;
    }
    void opensUnderTheCompositorAndWithoutIt() {
        QFETCH(bool, compositing);
        if (compositing) {
            QTRY_VERIFY_WITH_TIMEOUT(X11CompositorProbe::isCompositing(), 5000);
        }
        const QString mode = compositing ? QStringLiteral("composited") : QStringLiteral("masked");
        PanelWindow panel(compositing);
        QVERIFY(QTest::qWaitForWindowExposed(&panel.window));
        QTest::qWait(100);
        panel.state.open(false);
        QTest::qWait(50);
        save(panel.screen(), QStringLiteral("e2e-island-50ms-%1.png").arg(mode));
        QTest::qWait(350);
        QTRY_VERIFY(!panel.surface->animator().isAnimating());
        QTest::qWait(50);
        const QImage open = panel.screen();
        save(open, QStringLiteral("e2e-island-400ms-%1.png").arg(mode));

        // The dark island, 484 wide, 10 below the window's top, with its toolbar at the bottom.
        QCOMPARE(panel.surface->currentShapeRect(), QRectF(18, 10, 484, 460));
        QVERIFY(isDark(open.pixel(260, 12)));
        QVERIFY(isDark(open.pixel(19, 240)));
        QVERIFY(isDark(open.pixel(500, 240)));
        QVERIFY(!isDark(open.pixel(16, 240)));
        QVERIFY(!isDark(open.pixel(504, 240)));
        QVERIFY(!isDark(open.pixel(260, 7)));
        const QPoint toolbarButton =
            panel.surface->toolbar()->findChild<BrandButton*>()->mapTo(panel.surface, QPoint(20, 23));
        QVERIFY(qGray(open.pixel(toolbarButton)) > qGray(open.pixel(260, 380)));
        // Outside the rounded corners: the desktop, never black.
        for (const QPoint corner : {QPoint(19, 11), QPoint(500, 11), QPoint(19, 468), QPoint(500, 468)}) {
            QVERIFY2(!isDark(open.pixel(corner)),
                     qPrintable(QStringLiteral("corner %1,%2").arg(corner.x()).arg(corner.y())));
            if (!compositing) {
                QVERIFY(isDesktop(open.pixel(corner)));
            }
        }
        if (!compositing) {
            QVERIFY(isDesktop(open.pixel(2, 2)));
            QVERIFY(isDesktop(open.pixel(517, 477)));
        }

        panel.state.close(false, {});
        QTRY_VERIFY(!panel.surface->animator().isAnimating());
    }

    void reducedMotionShowsTheWholeShapeAtOnce() {
        PanelWindow panel(false);
        QVERIFY(QTest::qWaitForWindowExposed(&panel.window));
        QTest::qWait(100);
        panel.state.open(true);
        QTest::qWait(50);
        const QImage early = panel.screen();
        save(early, QStringLiteral("e2e-island-50ms-reduce-motion.png"));
        QCOMPARE(panel.surface->currentMask().boundingRect(), QRect(18, 10, 484, 460));
        QVERIFY(qGray(early.pixel(260, 440)) < qGray(desktopColour.rgb()) - 40);
        QVERIFY(isDesktop(early.pixel(19, 11)));
    }
};

QTEST_MAIN(IslandSurfaceE2ETest)
#include "tst_islandsurface.moc"
