#pragma once

#include <QAbstractButton>

// A round control in a tile's corner: the retry badge of a failed copy or the edit menu's
// button. A child of the tile, so a click on it never reaches the tile's own copy action.
class TileCornerButton final : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { retry, more };

    TileCornerButton(Kind kind, QWidget* parent);

    Kind kind() const { return m_kind; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind m_kind;
};
