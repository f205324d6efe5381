#pragma once

#include "model/Localization.h"
#include "windows/settings/SettingsModel.h"

#include <QColor>
#include <QString>

class BrandButton;
class QLabel;
class QVBoxLayout;
class QWidget;

// The building blocks of the settings pages: titled sections of rows, help lines, action
// buttons, and the texts that follow the interface language. A widget made here keeps its
// catalog key, so retext() gives the whole window the new language at once.
namespace SettingsLook {

struct Section {
    QWidget* frame = nullptr;
    QLabel* title = nullptr;
    QVBoxLayout* rows = nullptr;
};

// A section titled with the catalog key: a heading above a rounded card that holds the rows.
// Object names "settingsSection.<key>" (the card's holder) and "settingsSectionTitle.<key>".
Section makeSection(QWidget* parent, const QString& titleKey);

// A caption-sized, wrapping line in the secondary colour. An empty key leaves the text to the page.
QLabel* makeHelpLabel(QWidget* parent, const QString& objectName, const QString& key = {});
// A label in the body size, for the left side of a row.
QLabel* makeRowLabel(QWidget* parent, const QString& objectName, const QString& key);
// A label and its control on one line: the label takes the free width.
QWidget* makeRow(QWidget* parent, QWidget* label, QWidget* control);
// A button in the settings action style, with an optional symbol.
BrandButton* makeActionButton(QWidget* parent, const QString& objectName, const QString& key,
                              const QString& symbol = {}, bool destructive = false);

// Marks a widget's text (label, button, switch) as the catalog key's text.
void setTextKey(QWidget* widget, const QString& key);
// Gives every marked widget under root its text in the language, and the same accessible name.
void retext(QWidget* root, AppLanguage language);
// Sets a text and the same accessible name.
void setText(QWidget* widget, const QString& text);

QColor secondaryText();
QColor success();
QColor failure();
QColor toneColor(SettingsModel::StatusTone tone);
void setTextColor(QWidget* widget, const QColor& color);

} // namespace SettingsLook
