#pragma once

class QWidget;

// Where a sheet is shown. Opened from the panel, a sheet is an overlay inside the panel window
// (a dimmed backdrop; the keyboard focus stays in the panel, which does not close under it);
// opened from a window, it is a window-modal dialog. The host owns the sheet once presented; the
// sheet asks for its own dismissal when it is done.
class SheetHost {
public:
    virtual ~SheetHost() = default;

    virtual void present(QWidget* sheet) = 0;
    // Hides and deletes the sheet (later, so a sheet may dismiss itself from its own handlers).
    virtual void dismiss(QWidget* sheet) = 0;
    virtual bool isPresenting() const = 0;
};
