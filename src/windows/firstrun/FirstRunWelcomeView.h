#pragma once

#include "windows/firstrun/FirstRunWelcomeModel.h"

#include <QList>
#include <QSize>
#include <QWidget>

class AppLanguageStore;
class QLabel;
class QPushButton;
class ShortcutSettingsStore;

// The content of the welcome window: a title, three steps (the first names the panel's hot key
// and follows changes to it), a privacy note and three buttons. Every button ends the guide;
// Return presses the default button, Create first workspace, and Escape acts like Later.
// A window that hosts the view routes its close box to finish(windowClosed); when the view is
// itself the window its own close event does that. Each new showing re-arms the buttons.
class FirstRunWelcomeView : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize contentSize{720, 540};

    FirstRunWelcomeView(const ShortcutSettingsStore* shortcutStore, const AppLanguageStore* languageStore,
                        FirstRunWelcomeModel::Actions actions, QWidget* parent = nullptr);

    // Ends the guide unless it already ended in this showing; says whether the action ran.
    bool finish(FirstRunWelcomeFinish kind) { return m_model.finish(kind); }
    const FirstRunWelcomeModel& model() const { return m_model; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct StepWidgets {
        QLabel* icon = nullptr;
        QLabel* title = nullptr;
        QLabel* detail = nullptr;
    };

    QPushButton* addButton(const QString& objectName, FirstRunWelcomeFinish kind);
    void render();
    void applyFonts();
    void applySecondaryColour(QLabel* label);

    const ShortcutSettingsStore* m_shortcutStore;
    const AppLanguageStore* m_languageStore;
    FirstRunWelcomeModel m_model;
    QLabel* m_title = nullptr;
    QLabel* m_subtitle = nullptr;
    QList<StepWidgets> m_steps;
    QLabel* m_privacyIcon = nullptr;
    QLabel* m_privacyNote = nullptr;
    QPushButton* m_laterButton = nullptr;
    QPushButton* m_openPanelButton = nullptr;
    QPushButton* m_createButton = nullptr;
};
