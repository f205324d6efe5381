#pragma once

#include "model/Localization.h"
#include "panel/tiles/PromptPanelLayoutMode.h"

#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;

// The grid/list switch of the first section's header: one round button per layout on a faint
// capsule. A click reports its layout, also when it is already the current one.
class PromptPanelLayoutPicker final : public QWidget {
    Q_OBJECT
public:
    explicit PromptPanelLayoutPicker(QWidget* parent = nullptr);

    void setSelection(PromptPanelLayoutMode mode, std::optional<AppLanguage> language = std::nullopt);
    void setOnChange(std::function<void(PromptPanelLayoutMode)> onChange);
    PromptPanelLayoutMode selection() const { return m_selection; }
    QAbstractButton* button(PromptPanelLayoutMode mode) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PromptPanelLayoutMode m_selection = PromptPanelLayoutMode::grid;
    std::function<void(PromptPanelLayoutMode)> m_onChange;
    QList<QAbstractButton*> m_buttons;
};
