#pragma once

#include <QColor>
#include <QLineEdit>

// A text field with the brand chrome: a dark rounded fill and an outline that turns into a
// 2-pixel accent ring while the field has focus (the only focus indication it shows).
class BrandLineEdit : public QLineEdit {
    Q_OBJECT
public:
    struct Look {
        QColor fill;
        QColor outline;
        qreal outlineWidth = 1;
        qreal cornerRadius = 8;
        qreal horizontalPadding = 8;
        qreal minimumHeight = 28;
    };
    static Look look(bool focused);

    explicit BrandLineEdit(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
