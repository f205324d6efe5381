// The desktop's animation setting on a real X server: this process plays the settings daemon
// (owns _XSETTINGS_S<screen> and publishes a block) and reads it back through the reader the
// reduce-motion setting uses.
#include "platform/x11/X11DesktopSettings.h"
#include "widgets/ReduceMotion.h"

#include <QGuiApplication>
#include <QtEndian>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

xcb_atom_t intern(xcb_connection_t* connection, const QByteArray& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, quint16(name.size()), name.constData()), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

QByteArray blockWithAnimations(qint32 enabled) {
    const QByteArray name = "Gtk/EnableAnimations"; // 20 bytes: no padding
    QByteArray block(12, '\0');
    qToLittleEndian(quint32(1), block.data() + 4);
    qToLittleEndian(quint32(1), block.data() + 8);
    QByteArray record(4, '\0');
    qToLittleEndian(quint16(name.size()), record.data() + 2);
    record += name;
    QByteArray tail(8, '\0');
    qToLittleEndian(quint32(enabled), tail.data() + 4);
    return block + record + tail;
}

const ReduceMotion::EnvironmentVariable noVariables = [](const QString&) -> std::optional<QString> {
    return std::nullopt;
};

} // namespace

class DesktopSettingsE2ETest : public QObject {
    Q_OBJECT

private slots:
    void readsTheSettingsDaemonsAnimationSetting() {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        QVERIFY(x11 != nullptr && x11->connection() != nullptr);
        xcb_connection_t* connection = x11->connection();

        // No daemon yet: nothing is known, and motion stays on.
        QCOMPARE(X11DesktopSettings::enableAnimations(), std::nullopt);
        QVERIFY(!ReduceMotion::system(noVariables).isOn());

        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        const xcb_window_t owner = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, owner, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const xcb_atom_t settings = intern(connection, "_XSETTINGS_SETTINGS");
        for (const qint32 enabled : {1, 0}) {
            const QByteArray block = blockWithAnimations(enabled);
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, owner, settings, settings, 8, quint32(block.size()),
                                block.constData());
            xcb_set_selection_owner(connection, owner, intern(connection, "_XSETTINGS_S0"), XCB_CURRENT_TIME);
            xcb_flush(connection);
            QCOMPARE(X11DesktopSettings::enableAnimations(), enabled != 0);
            QCOMPARE(ReduceMotion::system(noVariables).isOn(), enabled == 0);
        }
        // The desktop now asks for less motion; the environment's override still comes first.
        QVERIFY(
            !ReduceMotion::system([](const QString&) -> std::optional<QString> { return QStringLiteral("0"); }).isOn());
        xcb_destroy_window(connection, owner);
        xcb_flush(connection);
    }
};

QTEST_MAIN(DesktopSettingsE2ETest)
#include "tst_desktopsettings.moc"
