#include "widgets/PanelLabel.h"

#include <QLabel>

namespace PanelLabel {

QLabel* make(const QString& objectName, int pixels, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    style(label, pixels, colour);
    return label;
}

void style(QLabel* label, int pixels, const QColor& colour) {
    QFont font = label->font();
    font.setPixelSize(pixels);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace PanelLabel
