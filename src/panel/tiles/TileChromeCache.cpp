#include "panel/tiles/TileChromeCache.h"

#include "panel/tiles/TilePresentation.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <list>

namespace {

struct Entry {
    TileChromeCache::Look look;
    int devicePixelRatio = 1;
    QImage image;
};

// Most recently used first.
std::list<Entry>& entries() {
    static std::list<Entry> cache;
    return cache;
}

QPainterPath roundedInside(const QRectF& rect, qreal inset, qreal lineWidth) {
    const qreal d = inset + lineWidth / 2;
    QPainterPath path;
    const qreal radius = std::max<qreal>(0, TilePresentation::cornerRadius - d);
    path.addRoundedRect(rect.adjusted(d, d, -d, -d), radius, radius);
    return path;
}

} // namespace

void TileChromeCache::paint(QPainter& painter, const Look& look) {
    const QRectF bounds(QPointF(0, 0), QSizeF(look.size));
    const qreal radius = TilePresentation::cornerRadius;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(look.fill);
    painter.drawRoundedRect(bounds, radius, radius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(look.border, look.borderWidth));
    painter.drawPath(roundedInside(bounds, look.borderInset, look.borderWidth));
    if (look.ring.alpha() > 0) {
        constexpr qreal ringWidth = 1.2;
        painter.setPen(QPen(look.ring, ringWidth));
        painter.drawPath(roundedInside(bounds, 0, ringWidth));
    }
    painter.restore();
}

void TileChromeCache::draw(QPainter& painter, const Look& look) {
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatio() : 1.0;
    const bool wholeRatio = ratio >= 1 && ratio <= 4 && std::floor(ratio) == ratio;
    // Only a translation keeps the copy a copy; the copied tile's small scale is drawn directly.
    if (!wholeRatio || painter.worldTransform().type() > QTransform::TxTranslate || look.size.isEmpty()) {
        paint(painter, look);
        return;
    }
    painter.drawImage(QPointF(0, 0), image(look, int(ratio)));
}

const QImage& TileChromeCache::image(const Look& look, int devicePixelRatio) {
    std::list<Entry>& cache = entries();
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (it->devicePixelRatio == devicePixelRatio && it->look == look) {
            cache.splice(cache.begin(), cache, it);
            return cache.front().image;
        }
    }
    QImage image(look.size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        paint(painter, look);
    }
    cache.push_front(Entry{look, devicePixelRatio, std::move(image)});
    while (int(cache.size()) > capacity) {
        cache.pop_back();
    }
    return cache.front().image;
}

int TileChromeCache::cachedCount() {
    return int(entries().size());
}

void TileChromeCache::clear() {
    entries().clear();
}
