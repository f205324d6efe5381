#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

class QPainter;

// The fill and border of a tile, drawn once per look and then copied: an antialiased rounded
// shape as tall as a tile is costly to fill on every paint (the raster engine hands such fills
// to worker threads and waits for them), an unscaled image at a whole-pixel position is a plain
// copy. Used on the main thread only.
class TileChromeCache final {
public:
    struct Look {
        QSize size;
        QColor fill;
        QColor border;
        qreal borderWidth = 1;
        qreal borderInset = 0;
        QColor ring; // the copied ring; fully transparent when there is none

        bool operator==(const Look&) const = default;
    };

    // A tile shows a handful of looks (plain, hovered, selected, copied) in one layout at a
    // time: a few more cover a layout switch, and the least recently used one goes first.
    static constexpr int capacity = 8;

    // Draws `look` with the painter as it stands, in the rectangle at its origin.
    static void paint(QPainter& painter, const Look& look);
    // Draws `look` into `painter` at its origin: copied from the cache when the painter is
    // unscaled at a whole device pixel ratio, drawn directly otherwise.
    static void draw(QPainter& painter, const Look& look);
    // The cached image of `look` at `devicePixelRatio` (a whole number), made when missing.
    static const QImage& image(const Look& look, int devicePixelRatio);
    static int cachedCount();
    static void clear();
};
