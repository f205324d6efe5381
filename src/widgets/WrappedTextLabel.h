#pragma once

#include "widgets/ElidedTextBlock.h"

#include <QWidget>

// Plain text wrapped to the width the layout gives it, anywhere when a word is too long, and cut
// with an ellipsis after a number of lines. It never asks for more width than a few characters,
// so a long text cannot push its neighbours out of a row.
class WrappedTextLabel final : public QWidget {
public:
    explicit WrappedTextLabel(int maxLines, QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return m_text; }
    void setTextColor(const QColor& color);
    // The lines shown at the current width (the last may end in an ellipsis).
    const QStringList& shownLines() const { return m_block.lines(); }
    bool isElided() const { return m_block.isElided(); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void relayout();

    QString m_text;
    int m_maxLines;
    QColor m_color;
    bool m_hasColor = false;
    ElidedTextBlock m_block;
};
