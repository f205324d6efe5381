#pragma once

class QWidget;

// Qt leaves popup windows out of the application's accessible children, so a screen reader that
// walks the tree never finds a card shown as a popup (the panel's environment card). A popup
// marked here is listed among the application's windows while it is shown.
namespace PopupAccessibility {

// Call before the QApplication is made: its accessible interface is made once, early.
void installApplicationAccessible();

// Lists the popup while it is visible; call once, in its constructor.
void expose(QWidget* popup);

} // namespace PopupAccessibility
