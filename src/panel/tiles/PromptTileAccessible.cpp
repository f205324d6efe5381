#include "panel/tiles/PromptTileAccessible.h"

#include "model/Localization.h"
#include "panel/tiles/PromptTileView.h"

namespace {

QAccessibleInterface* tileFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("PromptTileView") && object && object->isWidgetType()) {
        return new PromptTileAccessible(static_cast<PromptTileView*>(object));
    }
    return nullptr;
}

} // namespace

PromptTileAccessible::PromptTileAccessible(PromptTileView* tile) : QAccessibleWidget(tile, QAccessible::Button) {}

PromptTileView* PromptTileAccessible::tile() const {
    return static_cast<PromptTileView*>(widget());
}

QString PromptTileAccessible::text(QAccessible::Text type) const {
    if (type == QAccessible::Value) {
        return tile()->accessibleValue();
    }
    if (type == QAccessible::Description) {
        // The Linux accessibility bus reads only numbers as values: the state ("Copied",
        // "Selected", "Retry Copy") leads the description, the way a screen reader speaks a
        // value before the hint.
        const QString hint = QAccessibleWidget::text(type);
        const QString value = tile()->accessibleValue();
        if (value.isEmpty()) {
            return hint;
        }
        return hint.isEmpty() ? value : value + L10n::string(L10N("list.separator"), std::nullopt) + hint;
    }
    return QAccessibleWidget::text(type);
}

QAccessible::State PromptTileAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.selectable = true;
    state.selected = tile()->isSelected();
    state.hotTracked = tile()->isHovered();
    return state;
}

QStringList PromptTileAccessible::actionNames() const {
    return {pressAction()};
}

void PromptTileAccessible::doAction(const QString& actionName) {
    if (actionName == pressAction()) {
        tile()->activate();
    }
}

void PromptTileAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(tileFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
