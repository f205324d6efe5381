#pragma once

#include <QAbstractButton>

// An on/off switch with its title on the left and the track at the right edge, in the accent
// colour when on. Checkable; space and a click toggle it.
class SettingsSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit SettingsSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static constexpr int trackWidth = 36;
    static constexpr int trackHeight = 20;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};
