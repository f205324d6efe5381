#include "platform/x11/X11DesktopSettings.h"

#include "model/environment/DesktopSettingsBlock.h"

#include <QByteArray>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

// The block is small; a property larger than this is not read.
constexpr quint32 maximumBlockBytes = 256 * 1024;

xcb_atom_t atom(xcb_connection_t* connection, const QByteArray& name, bool onlyIfExists) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, onlyIfExists ? 1 : 0, quint16(name.size()), name.constData()), nullptr);
    if (reply == nullptr) {
        return XCB_ATOM_NONE;
    }
    const xcb_atom_t result = reply->atom;
    std::free(reply);
    return result;
}

} // namespace

namespace X11DesktopSettings {

std::optional<bool> enableAnimations() {
    if (qGuiApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return std::nullopt;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr || xcb_connection_has_error(connection) != 0) {
        return std::nullopt;
    }
    int screenNumber = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screenNumber) == 0) {
        screenNumber = 0;
    }
    std::free(host);
    const xcb_atom_t selection = atom(connection, "_XSETTINGS_S" + QByteArray::number(screenNumber), true);
    const xcb_atom_t property = atom(connection, "_XSETTINGS_SETTINGS", true);
    if (selection == XCB_ATOM_NONE || property == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    if (owner == nullptr) {
        return std::nullopt;
    }
    const xcb_window_t window = owner->owner;
    std::free(owner);
    if (window == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, property, 0, maximumBlockBytes / 4), nullptr);
    if (reply == nullptr) {
        return std::nullopt;
    }
    std::optional<bool> result;
    if (reply->format == 8 && reply->bytes_after == 0) {
        const QByteArray data(static_cast<const char*>(xcb_get_property_value(reply)),
                              xcb_get_property_value_length(reply));
        if (const auto block = DesktopSettingsBlock::parse(data)) {
            result = block->enableAnimations();
        }
    }
    std::free(reply);
    return result;
}

} // namespace X11DesktopSettings
