#include "widgets/ButtonLook.h"

#include "widgets/IslandDesignTokens.h"

using namespace IslandDesignTokens;

namespace {

void setFill(ButtonLook& look, const QColor& color) {
    look.fillTop = color;
    look.fillBottom = color;
}

} // namespace

qreal ButtonLook::pressScale(State state) {
    return state.pressed && state.enabled && !state.reduceMotion ? 0.98 : 1.0;
}

ButtonLook ButtonLook::make(Kind kind, State state, bool emphasis) {
    const bool enabled = state.enabled;
    const bool pressed = state.pressed;
    ButtonLook look;
    look.scale = pressScale(state);
    look.animatesPress = !state.reduceMotion;

    switch (kind) {
    case Kind::primary:
        look.shape = Shape::roundedRect;
        look.cornerRadius = 8;
        look.fontRole = FontRole::body;
        look.weight = QFont::DemiBold;
        look.foreground = withOpacity(Brand::onAccent, enabled ? 1.0 : 0.55);
        look.horizontalPadding = 14;
        look.minimumHeight = 28;
        setFill(look, withOpacity(Brand::accent, !enabled ? 0.28 : (pressed ? 0.78 : 1.0)));
        break;
    case Kind::secondary:
        look.shape = Shape::roundedRect;
        look.cornerRadius = 8;
        look.fontRole = FontRole::inherit;
        look.foreground = enabled ? withOpacity(Brand::textPrimary, 0.96) : withOpacity(Brand::steel, 0.38);
        look.horizontalPadding = 12;
        look.minimumHeight = 28;
        look.tint = withOpacity(Brand::steel, !enabled ? 0.0 : (pressed ? 0.28 : 0.1));
        setFill(look, enabled ? Brand::surface : withOpacity(Brand::neutral, 0.35));
        look.outline = withOpacity(Brand::steel, !enabled ? 0.16 : (pressed ? 1.0 : 0.78));
        look.outlineWidth = 1;
        break;
    case Kind::settingsAction: {
        const bool destructive = emphasis;
        look.shape = Shape::roundedRect;
        look.cornerRadius = 8;
        look.fontRole = FontRole::body;
        look.weight = QFont::Medium;
        const QColor text = !enabled ? Brand::steel : (destructive ? systemRed : Brand::textPrimary);
        look.foreground = withOpacity(text, enabled ? 0.98 : 0.38);
        look.horizontalPadding = 12;
        look.minimumHeight = 30;
        const QColor wash = destructive ? systemRed : QColor(Qt::white);
        setFill(look, withOpacity(wash, !enabled ? 0.045 : (pressed ? 0.22 : 0.14)));
        break;
    }
    case Kind::toolbar: {
        // Enabled changes only the scale: a disabled toolbar button looks the same.
        const bool primary = emphasis;
        look.shape = Shape::capsule;
        look.fontRole = FontRole::caption;
        look.weight = QFont::DemiBold;
        look.foreground = primary ? QColor(Qt::black) : white(0.9);
        look.horizontalPadding = 10;
        look.fixedHeight = 30;
        setFill(look, primary ? white(pressed ? 0.78 : 0.92) : white(pressed ? 0.2 : 0.11));
        look.outline = primary ? white(0.0) : white(0.09);
        look.outlineWidth = 1;
        break;
    }
    case Kind::bottomToolbar:
        // isPrimary tells only the label apart, never the button.
        look.shape = Shape::capsule;
        look.fontRole = FontRole::fixed;
        look.fixedPixelSize = 13;
        look.weight = QFont::DemiBold;
        look.foreground = white(enabled ? 0.92 : 0.46);
        look.fillsWidth = true;
        look.fixedHeight = 46;
        setFill(look, white(pressed ? 0.14 : 0.075));
        look.outline = white(0.08);
        look.outlineWidth = 1;
        break;
    case Kind::panelAction:
        look.shape = Shape::roundedRect;
        look.cornerRadius = 15;
        look.fontRole = FontRole::fixed;
        look.fixedPixelSize = 11;
        look.weight = QFont::DemiBold;
        look.foreground = white(enabled ? 0.9 : 0.46);
        look.horizontalPadding = 8;
        look.fillsWidth = true;
        look.fixedHeight = 50;
        look.fillTop = white(pressed ? 0.14 : 0.1);
        look.fillBottom = white(pressed ? 0.09 : 0.055);
        look.outline = white(0.11);
        look.outlineWidth = 1;
        break;
    case Kind::tilePress:
        // A tile shrinks further and whether or not it is enabled.
        look.scale = state.pressed && !state.reduceMotion ? 0.97 : 1.0;
        break;
    }
    return look;
}
