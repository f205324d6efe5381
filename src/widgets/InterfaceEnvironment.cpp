#include "widgets/InterfaceEnvironment.h"

#include "model/environment/TextSizeStore.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace {

const char* const textSizeProperty = "orrisInterfaceTextSize";
const char* const reduceMotionProperty = "orrisReduceMotion";
const char* const textStyleProperty = "orrisTextStyle";
const char* const scaledFontProperty = "orrisSystemSizedFont";

QVariant inherited(const QWidget* widget, const char* name) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const QVariant value = w->property(name);
        if (value.isValid()) {
            return value;
        }
    }
    return {};
}

void applyTextStyle(QWidget* widget, PromptPanelTextSize size) {
    const QVariant designed = widget->property(scaledFontProperty);
    if (designed.isValid()) {
        widget->setFont(InterfaceEnvironment::scaledFont(designed.value<QFont>(), size));
        return;
    }
    const QVariant style = widget->property(textStyleProperty);
    if (!style.isValid()) {
        return;
    }
    QFont font = widget->font();
    font.setPixelSize(PromptPanelTextSizes::pixelSize(PromptPanelTextSizes::TextStyle(style.toInt()), size));
    widget->setFont(font);
}

} // namespace

namespace InterfaceEnvironment {

PromptPanelTextSize textSize(const QWidget* widget) {
    const QVariant value = inherited(widget, textSizeProperty);
    return value.isValid() ? PromptPanelTextSize(value.toInt()) : PromptPanelTextSize::system;
}

bool reduceMotion(const QWidget* widget) {
    const QVariant value = inherited(widget, reduceMotionProperty);
    return value.isValid() && value.toBool();
}

void setReduceMotion(QWidget* root, bool reduceMotion) {
    root->setProperty(reduceMotionProperty, reduceMotion);
}

void setTextStyle(QWidget* widget, PromptPanelTextSizes::TextStyle style) {
    widget->setProperty(textStyleProperty, int(style));
    applyTextStyle(widget, textSize(widget));
}

void setScaledFont(QWidget* widget, const QFont& systemSizedFont) {
    widget->setProperty(scaledFontProperty, QVariant::fromValue(systemSizedFont));
    applyTextStyle(widget, textSize(widget));
}

QFont scaledFont(const QFont& systemSizedFont, PromptPanelTextSize size) {
    QFont font = systemSizedFont;
    const int pixels = systemSizedFont.pixelSize();
    if (pixels > 0) {
        const int system = PromptPanelTextSizes::basePixelSize(PromptPanelTextSize::system);
        font.setPixelSize(qRound(qreal(pixels) * PromptPanelTextSizes::basePixelSize(size) / system));
    }
    return font;
}

} // namespace InterfaceEnvironment

void applyInterfaceTextSize(QWidget* root, PromptPanelTextSize size) {
    root->setProperty(textSizeProperty, int(size));
    QFont font = root->font();
    font.setPixelSize(PromptPanelTextSizes::basePixelSize(size));
    root->setFont(font);
    // Widgets with a text style set their size explicitly, so the base font does not reach them.
    applyTextStyle(root, size);
    for (QWidget* child : root->findChildren<QWidget*>()) {
        applyTextStyle(child, size);
    }
}

void applyInterfaceTextSize(QWidget* root, TextSizeStore& store) {
    applyInterfaceTextSize(root, store.selection());
    QPointer<QWidget> guarded(root);
    QObject::connect(&store, &TextSizeStore::selectionChanged, root, [guarded](PromptPanelTextSize size) {
        if (guarded) {
            applyInterfaceTextSize(guarded, size);
        }
    });
}
