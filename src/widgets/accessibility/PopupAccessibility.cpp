#include "widgets/accessibility/PopupAccessibility.h"

#include <QAccessibleObject>
#include <QApplication>
#include <QWidget>

namespace {

constexpr char exposedProperty[] = "orrisExposedPopup";

QList<QWidget*> shownPopups() {
    QList<QWidget*> popups;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->property(exposedProperty).toBool()) {
            popups.append(widget);
        }
    }
    return popups;
}

// The application as Qt presents it, followed by the marked popups that are shown.
class ApplicationAccessible final : public QAccessibleApplication {
public:
    int childCount() const override { return QAccessibleApplication::childCount() + int(shownPopups().size()); }

    QAccessibleInterface* child(int index) const override {
        const int own = QAccessibleApplication::childCount();
        if (index < own) {
            return QAccessibleApplication::child(index);
        }
        const QList<QWidget*> popups = shownPopups();
        const int popup = index - own;
        return popup < popups.size() ? QAccessible::queryAccessibleInterface(popups.at(popup)) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        const int own = QAccessibleApplication::indexOfChild(child);
        if (own >= 0 || child == nullptr) {
            return own;
        }
        const qsizetype popup = shownPopups().indexOf(qobject_cast<QWidget*>(child->object()));
        return popup < 0 ? -1 : QAccessibleApplication::childCount() + int(popup);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("QApplication") && object != nullptr && object == QCoreApplication::instance()) {
        return new ApplicationAccessible;
    }
    return nullptr;
}

} // namespace

void PopupAccessibility::installApplicationAccessible() {
    QAccessible::installFactory(factory);
}

void PopupAccessibility::expose(QWidget* popup) {
    popup->setProperty(exposedProperty, true);
}
