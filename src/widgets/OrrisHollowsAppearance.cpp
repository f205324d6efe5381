#include "widgets/OrrisHollowsAppearance.h"

#include "widgets/IslandDesignTokens.h"
#include "widgets/OrrisHollowsStyle.h"

#include <QApplication>
#include <QStyleFactory>

namespace OrrisHollowsAppearance {

QPalette darkPalette() {
    using namespace IslandDesignTokens;
    const QColor window(30, 31, 36);
    const QColor base(21, 22, 27);
    const QColor alternate(36, 37, 43);
    const QColor button(44, 46, 54);
    const QColor disabledText(Brand::steel);

    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, Brand::textPrimary);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, alternate);
    palette.setColor(QPalette::ToolTipBase, alternate);
    palette.setColor(QPalette::ToolTipText, Brand::textPrimary);
    palette.setColor(QPalette::PlaceholderText, withOpacity(Brand::textPrimary, 0.45));
    palette.setColor(QPalette::Text, Brand::textPrimary);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, Brand::textPrimary);
    palette.setColor(QPalette::BrightText, Brand::accent);
    palette.setColor(QPalette::Light, button.lighter(130));
    palette.setColor(QPalette::Midlight, button.lighter(115));
    palette.setColor(QPalette::Mid, button.darker(120));
    palette.setColor(QPalette::Dark, button.darker(160));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Highlight, Brand::accent);
    palette.setColor(QPalette::HighlightedText, Brand::onAccent);
    palette.setColor(QPalette::Link, Brand::accent);
    palette.setColor(QPalette::LinkVisited, Brand::accent.darker(120));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, disabledText);
    }
    palette.setColor(QPalette::Disabled, QPalette::Highlight, Brand::steel.darker(150));
    return palette;
}

void applyDark(QApplication& application) {
    application.setStyle(new OrrisHollowsStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
    application.setPalette(darkPalette());
}

} // namespace OrrisHollowsAppearance
