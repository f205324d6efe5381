// The panel's window on a real X server, clicked through the server with the real pointer. The
// status controller shows the panel at one size and grows it when the detected workspace's
// prompts arrive; the part it grew by must take clicks like the rest (the toolbar sits there).
// Opening it again is watched from a second connection to the server, as its window manager
// would.
#include "app/IslandPanelWindow.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

// Another client's view of one window's properties: which of them were written, in order.
class PropertyWatch {
public:
    explicit PropertyWatch(xcb_window_t window) : m_connection(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(m_connection) != 0) {
            return;
        }
        const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        m_ok = true;
    }
    ~PropertyWatch() { xcb_disconnect(m_connection); }
    PropertyWatch(const PropertyWatch&) = delete;
    PropertyWatch& operator=(const PropertyWatch&) = delete;

    bool ok() const { return m_ok; }

    // The names of the properties written since the watch began (or since the last call).
    QStringList written() {
        // A round trip first: every change made before it has been reported by then.
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        QStringList names;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & ~0x80) == XCB_PROPERTY_NOTIFY) {
                const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
                names << atomName(change->atom);
            }
            std::free(event);
        }
        return names;
    }

private:
    QString atomName(xcb_atom_t atom) {
        std::unique_ptr<xcb_get_atom_name_reply_t, decltype(&std::free)> reply(
            xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr), &std::free);
        if (!reply) {
            return QString();
        }
        return QString::fromLatin1(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
    }

    xcb_connection_t* m_connection;
    bool m_ok = false;
};

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

    // The window manager reads a window's hints again each time one is written while it manages
    // the window, and it manages the panel from the moment it maps: a panel opened again brings
    // its window up with the hints it had settled while hidden, and writes none of them.
    void openingAgainWritesNoHintsForTheWindowManager() {
        IslandPanelWindow window([](QWidget* parent) { return new QWidget(parent); });
        // As the app opens and closes it: ignoring input until opened, and again while it closes.
        window.setIgnoresInput(true);
        window.setFrame(QRect(100, 100, 300, 200));
        window.setIgnoresInput(false);
        window.orderFront();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.setIgnoresInput(true);
        window.orderOut();
        QTRY_VERIFY(!window.windowHandle()->isExposed());

        PropertyWatch watch(xcb_window_t(window.windowHandle()->winId()));
        QVERIFY(watch.ok());
        window.setFrame(QRect(100, 100, 300, 260));
        window.setIgnoresInput(false);
        window.orderFront();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(300);
        const QStringList written = watch.written();
        for (const QString& hint :
             {QStringLiteral("WM_HINTS"), QStringLiteral("_MOTIF_WM_HINTS"), QStringLiteral("_NET_WM_WINDOW_TYPE")}) {
            QVERIFY2(!written.contains(hint), qPrintable(written.join(QLatin1Char(' '))));
        }

        // It still ignores input while it closes, and takes it over all of itself when opened.
        window.setIgnoresInput(true);
        QVERIFY(window.windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
        window.orderOut();
        window.setIgnoresInput(false);
        window.orderFront();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
    }
};

QTEST_MAIN(IslandPanelWindowTest)
#include "tst_islandpanelwindow.moc"
