#pragma once

#include <QLabel>

// A one-line label that shows its text cut in the middle to the width it gets.
class MiddleElidedLabel final : public QLabel {
public:
    explicit MiddleElidedLabel(QWidget* parent = nullptr) : QLabel(parent) {}

    void setFullText(const QString& text);
    const QString& fullText() const { return m_full; }
    // Asks for the whole text's width rather than the width of what is shown now.
    void setPrefersFullWidth(bool prefers) { m_prefersFullWidth = prefers; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateElided();

    QString m_full;
    bool m_prefersFullWidth = false;
};
