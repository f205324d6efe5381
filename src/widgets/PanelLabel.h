#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

// The plain labels of the panel: a pixel size and a text colour, never read as rich text.
namespace PanelLabel {

QLabel* make(const QString& objectName, int pixels, const QColor& colour, QWidget* parent);
// The pixel size and text colour of an existing label.
void style(QLabel* label, int pixels, const QColor& colour);

} // namespace PanelLabel
