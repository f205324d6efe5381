#pragma once

#include <optional>

// The desktop's animation wish as its settings daemon publishes it on X11 (the owner of
// _XSETTINGS_S<screen> and its _XSETTINGS_SETTINGS property). One round trip, no files. Nothing
// when no daemon runs, outside X11, or when the block cannot be read.
namespace X11DesktopSettings {
std::optional<bool> enableAnimations();
} // namespace X11DesktopSettings
