#include "platform/x11/X11CompositorProbe.h"

#include <QByteArray>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace X11CompositorProbe {

bool isCompositing() {
    if (qGuiApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return false;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr || xcb_connection_has_error(connection) != 0) {
        return false;
    }
    int screenNumber = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screenNumber) == 0) {
        screenNumber = 0;
    }
    std::free(host);
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screenNumber);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, quint16(name.size()), name.constData()), nullptr);
    if (atom == nullptr) {
        return false;
    }
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE) {
        // Nobody ever created the atom, so nobody owns it.
        return false;
    }
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    if (owner == nullptr) {
        return false;
    }
    const bool owned = owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return owned;
}

} // namespace X11CompositorProbe
