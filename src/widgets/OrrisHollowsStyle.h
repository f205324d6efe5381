#pragma once

#include "widgets/ButtonLook.h"

#include <QProxyStyle>

class QPushButton;

// Fusion with the island's thin scroll bars: no arrow buttons, a transparent track and a rounded
// light handle that brightens under the pointer, so a scrolling list reads as part of the dark
// glass instead of a grey desktop control. Push buttons given a brand look (setBrandLook) are
// drawn from their ButtonLook, so plain dialog buttons keep their keyboard behaviour (default
// button, Return) and still look like the brand's.
class OrrisHollowsStyle : public QProxyStyle {
    Q_OBJECT

public:
    // Takes ownership of `base` (Fusion when null).
    explicit OrrisHollowsStyle(QStyle* base = nullptr);

    // The bar's thickness and the shortest its handle gets.
    static constexpr int scrollBarExtent = 10;
    static constexpr int minimumHandleLength = 28;

    // Draws the button from ButtonLook's `kind` (primary, secondary or settingsAction) from now on.
    static void setBrandLook(QPushButton* button, ButtonLook::Kind kind, bool emphasis = false);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                         const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contentsSize,
                           const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
};
