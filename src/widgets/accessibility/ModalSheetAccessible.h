#pragma once

class QWidget;

// A sheet shown over a window's content (a form over the panel) as assistive technology should
// see it: a dialog, named by its accessible name (its title), in the modal state while shown.
namespace ModalSheetAccessible {

// Call in the sheet's constructor, before anything sets its accessible name or description: the
// interface is made once per widget, at its first accessibility event.
void mark(QWidget* sheet);

} // namespace ModalSheetAccessible
