#include "widgets/accessibility/NamedComboBoxAccessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace {

class ComboBoxAccessible final : public QAccessibleWidget {
public:
    explicit ComboBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value || (type == QAccessible::Name && box()->accessibleName().isEmpty())) {
            return box()->currentText();
        }
        return QAccessibleWidget::text(type);
    }

    // The list of choices, as Qt's own combo box offers it.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == box()->view() ? 0 : -1;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& actionName) override {
        if (actionName == showMenuAction() || actionName == pressAction()) {
            box()->showPopup();
        }
    }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className != QLatin1String("QComboBox") || object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    auto* box = static_cast<QComboBox*>(object);
    // Editable combo boxes keep Qt's own interface, which exposes their line edit. The interface is
    // made once per widget, before its name may be set: without a name it answers as Qt's does.
    if (box->isEditable()) {
        return nullptr;
    }
    return new ComboBoxAccessible(box);
}

} // namespace

void NamedComboBoxAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}
