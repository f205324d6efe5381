#include "panel/tiles/TileTypography.h"

TileTypography TileTypography::standard() {
    return {13, QFont::Bold, 10, 0, 3, 13};
}

TileTypography TileTypography::comfortable() {
    return {15, QFont::DemiBold, 12, 2, 2, 15};
}

TileTypography TileTypography::large() {
    return {17, QFont::DemiBold, 13, 2, 1, 17};
}

TileTypography TileTypography::forBaseFontSize(int pixelSize) {
    switch (pixelSize) {
    case 15:
        return comfortable();
    case 17:
        return large();
    default:
        return standard();
    }
}

namespace {

QFont sizedFont(int pixelSize, QFont::Weight weight) {
    QFont font;
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

} // namespace

QFont TileTypography::titleFont() const {
    return sizedFont(titlePixelSize, titleWeight);
}

QFont TileTypography::bodyFont() const {
    return sizedFont(bodyPixelSize, QFont::Normal);
}

QFont TileTypography::previewBodyFont() const {
    return sizedFont(previewBodyPixelSize, QFont::Normal);
}
