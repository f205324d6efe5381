#pragma once

// Whether a compositing manager runs on the display's default screen: the owner of the
// selection _NET_WM_CM_S<screen>. Without one a translucent window shows black where it is
// clear, so the panel then uses a shape mask instead. Not on X11 (offscreen, Wayland without
// XWayland): false.
namespace X11CompositorProbe {
bool isCompositing();
} // namespace X11CompositorProbe
