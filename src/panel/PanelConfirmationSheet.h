#pragma once

#include <QWidget>

#include <functional>

// A question inside the panel: a title, a message shown verbatim and two buttons, the
// confirming one first. Escape and Return cancel; only a click or Space on the confirming
// button confirms, so a stray key never deletes anything.
class PanelConfirmationSheet final : public QWidget {
    Q_OBJECT
public:
    PanelConfirmationSheet(const QString& title, const QString& message, const QString& confirmTitle,
                           const QString& cancelTitle, std::function<void()> onConfirm, std::function<void()> onCancel,
                           QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::function<void()> m_onConfirm;
    std::function<void()> m_onCancel;
    QWidget* m_cancelButton = nullptr;
};
