#pragma once

#include <QColor>
#include <QFont>

// What one button looks like in one state, worked out without a widget so that every style can
// be checked headless. Widgets draw exactly these values.
struct ButtonLook {
    enum class Kind {
        primary,        // brand: accent fill, dark text
        secondary,      // brand: navy fill, steel outline and pressed tint
        settingsAction, // brand: white (or red when destructive) wash
        toolbar,        // compact capsule on the glass; primary is near-opaque white
        bottomToolbar,  // full-width capsule of the bottom toolbar
        panelAction,    // large rounded action button
        tilePress,      // a prompt tile: only the press scale
    };
    enum class Shape { none, roundedRect, capsule };
    // Where the font size comes from: the surroundings, the interface text size's body or caption
    // size, or a fixed pixel size.
    enum class FontRole { inherit, body, caption, fixed };

    struct State {
        bool enabled = true;
        bool pressed = false;
        bool reduceMotion = false;
    };

    Shape shape = Shape::none;
    qreal cornerRadius = 0;
    QColor foreground;
    // A vertical gradient from top to bottom; both the same for a flat fill.
    QColor fillTop;
    QColor fillBottom;
    // Drawn over the fill (the secondary button's pressed tint).
    QColor tint;
    QColor outline;
    qreal outlineWidth = 0;
    qreal horizontalPadding = 0;
    qreal minimumHeight = 0;
    qreal fixedHeight = 0; // 0: none
    bool fillsWidth = false;
    FontRole fontRole = FontRole::inherit;
    int fixedPixelSize = 0;
    QFont::Weight weight = QFont::Normal;
    qreal scale = 1.0;
    // Whether a change of the pressed state animates (the press curve over 0.12 s).
    bool animatesPress = false;

    // `emphasis` is isPrimary for the toolbar styles and isDestructive for the settings action.
    static ButtonLook make(Kind kind, State state, bool emphasis = false);

    // 0.98 while pressed, enabled and moving; 1 otherwise.
    static qreal pressScale(State state);
};
