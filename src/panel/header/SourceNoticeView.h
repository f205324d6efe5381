#pragma once

#include <QLabel>

// A one-line orange note on the island, such as "this workspace comes from a trusted project
// file". The text is shown as given; the caller localises it.
class SourceNoticeView final : public QLabel {
    Q_OBJECT
public:
    explicit SourceNoticeView(const QString& text = {}, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
