#pragma once

#include <QWidget>

// A container drawn as a rounded rectangle: filled and outlined with the secondary colour at
// the given opacities. The card and the welcome guide's step rows sit on it.
class FirstRunRoundedFrame : public QWidget {
    Q_OBJECT
public:
    FirstRunRoundedFrame(qreal cornerRadius, qreal fillOpacity, qreal strokeOpacity, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_cornerRadius;
    qreal m_fillOpacity;
    qreal m_strokeOpacity;
};
