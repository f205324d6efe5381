#pragma once

#include <QAbstractAnimation>

#include <functional>

// Calls back once per animation frame, on Qt's shared animation timer, until stopped. Nothing
// ticks while it is stopped.
class FrameTicker final : public QAbstractAnimation {
public:
    explicit FrameTicker(std::function<void()> onFrame, QObject* parent = nullptr)
        : QAbstractAnimation(parent), m_onFrame(std::move(onFrame)) {}

    int duration() const override { return -1; }

protected:
    void updateCurrentTime(int) override {
        if (m_onFrame) {
            m_onFrame();
        }
    }

private:
    std::function<void()> m_onFrame;
};
