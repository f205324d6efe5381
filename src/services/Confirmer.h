#pragma once

#include <QString>

class QWidget;

// Asks the user to confirm an action that cannot be undone.
class Confirmer {
public:
    virtual ~Confirmer() = default;

    // True when the user chose the confirming button; Escape and the close box cancel.
    virtual bool confirm(QWidget* parent, const QString& title, const QString& message, const QString& confirmTitle,
                         const QString& cancelTitle, bool destructive) = 0;
};

class MessageBoxConfirmer final : public Confirmer {
public:
    bool confirm(QWidget* parent, const QString& title, const QString& message, const QString& confirmTitle,
                 const QString& cancelTitle, bool destructive) override;
};
