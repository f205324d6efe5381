#include "windows/settings/SettingsLook.h"

#include "widgets/BrandButton.h"
#include "widgets/FirstRunRoundedFrame.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/IslandDesignTokens.h"
#include "widgets/SheetLook.h"
#include "widgets/ShortcutRecorderButton.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVariant>
#include <QVBoxLayout>

namespace {

const char* const textKeyProperty = "orrisSettingsTextKey";

} // namespace

namespace SettingsLook {

Section makeSection(QWidget* parent, const QString& titleKey) {
    Section section;
    section.frame = new QWidget(parent);
    section.frame->setObjectName(QStringLiteral("settingsSection.") + titleKey);
    auto* column = new QVBoxLayout(section.frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    section.title = new QLabel(section.frame);
    section.title->setObjectName(QStringLiteral("settingsSectionTitle.") + titleKey);
    // Only the weight is set, so the size still follows the window's text size.
    QFont heading;
    heading.setWeight(QFont::DemiBold);
    section.title->setFont(heading);
    setTextColor(section.title, secondaryText());
    setTextKey(section.title, titleKey);
    column->addWidget(section.title);

    // Painted, not styled: a style sheet would stop the window's font from reaching the rows.
    auto* card = new FirstRunRoundedFrame(10, 0.08, 0.16, section.frame);
    card->setObjectName(QStringLiteral("settingsSectionCard"));
    section.rows = new QVBoxLayout(card);
    section.rows->setContentsMargins(14, 12, 14, 12);
    section.rows->setSpacing(10);
    column->addWidget(card);
    return section;
}

QLabel* makeHelpLabel(QWidget* parent, const QString& objectName, const QString& key) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    InterfaceEnvironment::setTextStyle(label, PromptPanelTextSizes::TextStyle::caption);
    setTextColor(label, secondaryText());
    if (!key.isEmpty()) {
        setTextKey(label, key);
    }
    return label;
}

QLabel* makeRowLabel(QWidget* parent, const QString& objectName, const QString& key) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    setTextKey(label, key);
    return label;
}

QWidget* makeRow(QWidget* parent, QWidget* label, QWidget* control) {
    auto* row = new QWidget(parent);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(12);
    label->setParent(row);
    control->setParent(row);
    // The label names the control for assistive technology (the labelled-by relation).
    if (auto* text = qobject_cast<QLabel*>(label)) {
        auto* recorder = qobject_cast<ShortcutRecorderButton*>(control);
        text->setBuddy(recorder != nullptr ? static_cast<QWidget*>(recorder->recordButton()) : control);
    }
    line->addWidget(label, 1);
    line->addWidget(control, 0, Qt::AlignRight | Qt::AlignVCenter);
    return row;
}

BrandButton* makeActionButton(QWidget* parent, const QString& objectName, const QString& key, const QString& symbol,
                              bool destructive) {
    auto* button = new BrandButton(ButtonLook::Kind::settingsAction, QString(), parent);
    button->setObjectName(objectName);
    button->setEmphasis(destructive);
    if (!symbol.isEmpty()) {
        button->setLabel(BrandButton::Label::bottomToolbar, symbol, false);
    }
    button->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    if (!key.isEmpty()) {
        setTextKey(button, key);
    }
    return button;
}

void setTextKey(QWidget* widget, const QString& key) {
    widget->setProperty(textKeyProperty, key);
    setText(widget, L10n::string(key, L10n::currentLanguage()));
}

void retext(QWidget* root, AppLanguage language) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* widget : widgets) {
        const QVariant key = widget->property(textKeyProperty);
        if (key.isValid()) {
            setText(widget, L10n::string(key.toString(), language));
        }
    }
}

void setText(QWidget* widget, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
        button->updateGeometry();
    }
    widget->setAccessibleName(text);
}

QColor secondaryText() {
    return SheetLook::secondaryText();
}

QColor success() {
    return QColor(48, 209, 88);
}

QColor failure() {
    return IslandDesignTokens::systemRed;
}

QColor toneColor(SettingsModel::StatusTone tone) {
    switch (tone) {
    case SettingsModel::StatusTone::success:
        return success();
    case SettingsModel::StatusTone::failure:
        return failure();
    case SettingsModel::StatusTone::secondary:
        break;
    }
    return secondaryText();
}

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

} // namespace SettingsLook
