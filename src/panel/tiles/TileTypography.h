#pragma once

#include <QFont>

// The font sizes (pixels) and line rules of a prompt tile and of its full-text preview for one of
// the panel's three text sizes. The three rows live here only, so the text-size setting maps to
// them in one place.
struct TileTypography {
    int titlePixelSize = 13;
    QFont::Weight titleWeight = QFont::Bold;
    int bodyPixelSize = 10;
    qreal lineSpacing = 0; // extra pixels between lines of the title and the body
    int gridBodyLineLimit = 3;
    int previewBodyPixelSize = 13;

    static TileTypography standard();    // the default text size
    static TileTypography comfortable(); // one step larger
    static TileTypography large();       // the largest step
    // The row whose base font size (13, 15 or 17) is given; any other size gives the default.
    static TileTypography forBaseFontSize(int pixelSize);

    QFont titleFont() const;
    QFont bodyFont() const;
    QFont previewTitleFont() const { return titleFont(); }
    QFont previewBodyFont() const;

    bool operator==(const TileTypography&) const = default;
};
