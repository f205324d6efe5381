#pragma once

#include "model/environment/UserDefaults.h"
#include "model/PromptPanelTextSize.h"

#include <QObject>

#include <memory>

// The interface text size the user chose, kept under "OrrisHollows.panelTextSize.v1". One store
// is shared by the panel and every window, so a change made in the settings reaches all of them
// at once.
class TextSizeStore : public QObject {
    Q_OBJECT
public:
    static inline const QString key = QStringLiteral("OrrisHollows.panelTextSize.v1");

    explicit TextSizeStore(std::shared_ptr<UserDefaults> defaults, QObject* parent = nullptr);

    PromptPanelTextSize selection() const { return m_selection; }
    // Writes the raw value, then announces the change (only when the size differs).
    void setSelection(PromptPanelTextSize size);
    // Reads the key again, for a value written by someone else; announces a change.
    void reload();

signals:
    void selectionChanged(PromptPanelTextSize size);

private:
    std::shared_ptr<UserDefaults> m_defaults;
    PromptPanelTextSize m_selection = PromptPanelTextSize::system;
};
