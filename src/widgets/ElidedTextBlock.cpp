#include "widgets/ElidedTextBlock.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace {

// No tile shows more than a few lines, so a long prompt is cut before layout.
constexpr qsizetype charactersPerLineBound = 400;

} // namespace

void ElidedTextBlock::setText(const QString& text, const QFont& font, qreal width, int maxLines, qreal lineSpacing,
                              qreal lastLineWidth) {
    m_font = font;
    m_lines.clear();
    m_elided = false;
    m_lineSpacing = lineSpacing;
    const QFontMetricsF metrics(font);
    m_lineHeight = metrics.height();
    m_ascent = metrics.ascent();
    if (maxLines < 1 || width <= 0 || text.isEmpty()) {
        return;
    }

    QString source = text.left(charactersPerLineBound * maxLines);
    const bool truncatedSource = source.size() < text.size();
    source.replace(QLatin1String("\r\n"), QStringLiteral("\n"));
    source.replace(QLatin1Char('\n'), QChar::LineSeparator);

    const auto widthOfLine = [&](qsizetype index) {
        return index == maxLines - 1 && lastLineWidth > 0 ? std::min(width, lastLineWidth) : width;
    };

    QTextLayout layout(source, font);
    QTextOption option;
    // Lines break between words (or between CJK characters), never inside a word: a word too
    // long for a line of its own is elided instead.
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(false);
    layout.beginLayout();
    qsizetype lastStart = 0;
    bool more = false;
    for (int index = 0;; ++index) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        if (index == maxLines) {
            more = true;
            break;
        }
        const qreal lineWidth = widthOfLine(index);
        line.setLineWidth(lineWidth);
        lastStart = line.textStart();
        QString kept = source.mid(line.textStart(), line.textLength());
        if (line.naturalTextWidth() > lineWidth + 0.5) {
            kept = metrics.elidedText(kept.trimmed(), Qt::ElideRight, lineWidth);
            m_elided = true;
        }
        m_lines.append(kept);
    }
    layout.endLayout();

    for (QString& line : m_lines) {
        while (!line.isEmpty() && (line.back() == QChar::LineSeparator || line.back().isSpace())) {
            line.chop(1);
        }
    }
    if ((more || truncatedSource) && !m_lines.isEmpty()) {
        // The last kept line takes what follows it on one line and ends in an ellipsis.
        QString rest = source.mid(lastStart);
        rest.replace(QChar::LineSeparator, QLatin1Char(' '));
        const qreal lastWidth = widthOfLine(m_lines.size() - 1);
        QString elided = metrics.elidedText(rest + QChar(0x2026), Qt::ElideRight, lastWidth);
        if (!elided.endsWith(QChar(0x2026))) {
            elided = metrics.elidedText(rest, Qt::ElideRight, lastWidth - metrics.horizontalAdvance(QChar(0x2026)));
            elided.append(QChar(0x2026));
        }
        m_lines.back() = elided;
        m_elided = true;
    }
}

qreal ElidedTextBlock::height() const {
    if (m_lines.isEmpty()) {
        return 0;
    }
    return m_lines.size() * m_lineHeight + (m_lines.size() - 1) * m_lineSpacing;
}

void ElidedTextBlock::paint(QPainter& painter, const QPointF& topLeft, const QColor& color) const {
    painter.setFont(m_font);
    painter.setPen(color);
    qreal y = topLeft.y() + m_ascent;
    for (const QString& line : m_lines) {
        painter.drawText(QPointF(topLeft.x(), y), line);
        y += m_lineHeight + m_lineSpacing;
    }
}
