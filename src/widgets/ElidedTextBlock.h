#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QString>
#include <QStringList>

class QPainter;

// A text wrapped to a width and cut after a number of lines, the last kept line ending in an
// ellipsis when text was left out. Laid out once through QTextLayout; painting only draws lines.
class ElidedTextBlock {
public:
    // `lastLineWidth`, when given, narrows the last line the block may have (line maxLines), for a
    // mark drawn beside it; 0 keeps it at `width`.
    void setText(const QString& text, const QFont& font, qreal width, int maxLines, qreal lineSpacing = 0,
                 qreal lastLineWidth = 0);

    const QStringList& lines() const { return m_lines; }
    bool isElided() const { return m_elided; }
    qreal height() const;
    void paint(QPainter& painter, const QPointF& topLeft, const QColor& color) const;

private:
    QFont m_font;
    QStringList m_lines;
    qreal m_lineHeight = 0;
    qreal m_ascent = 0;
    qreal m_lineSpacing = 0;
    bool m_elided = false;
};
