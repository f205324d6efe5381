#pragma once

#include <QFont>
#include <QString>

// How an action title fits its width on one line: first shrunk (down to 92 per cent) with
// tightened letter spacing, then cut short with an ellipsis.
struct ActionLabelFit {
    static constexpr qreal minimumScale = 0.92;

    qreal scale = 1.0;
    bool tightened = false;
    QString text;

    static ActionLabelFit fit(const QString& title, const QFont& font, qreal width);
    // The font with its letters drawn slightly closer together.
    static QFont tightenedFont(QFont font);
    // The font to draw `fit` with (tightened when the fit says so); the painter applies the scale.
    QFont fontFor(const QFont& font) const { return tightened ? tightenedFont(font) : font; }
};
