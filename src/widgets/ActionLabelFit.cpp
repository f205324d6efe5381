#include "widgets/ActionLabelFit.h"

#include <QFontMetricsF>

#include <algorithm>

QFont ActionLabelFit::tightenedFont(QFont font) {
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.3);
    return font;
}

ActionLabelFit ActionLabelFit::fit(const QString& title, const QFont& font, qreal width) {
    ActionLabelFit result;
    result.text = title;
    if (QFontMetricsF(font).horizontalAdvance(title) <= width) {
        return result;
    }
    const QFont tight = tightenedFont(font);
    const QFontMetricsF tightMetrics(tight);
    const qreal tightWidth = tightMetrics.horizontalAdvance(title);
    result.tightened = true;
    if (tightWidth * minimumScale <= width) {
        result.scale = std::clamp(width / tightWidth, minimumScale, 1.0);
        return result;
    }
    result.scale = minimumScale;
    result.text = tightMetrics.elidedText(title, Qt::ElideRight, std::max(0.0, width / minimumScale));
    return result;
}
