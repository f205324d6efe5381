#pragma once

#include <QString>
#include <QWidget>

// Setting a widget's accessible name or description always tells assistive technology that it
// changed, even when it did not; views that refresh their texts on every render set them through
// these, so a screen reader hears only real changes.
namespace AccessibleText {

inline void setName(QWidget* widget, const QString& name) {
    if (widget->accessibleName() != name) {
        widget->setAccessibleName(name);
    }
}

inline void setDescription(QWidget* widget, const QString& description) {
    if (widget->accessibleDescription() != description) {
        widget->setAccessibleDescription(description);
    }
}

} // namespace AccessibleText
