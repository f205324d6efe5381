#include "widgets/accessibility/ModalSheetAccessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

constexpr char markProperty[] = "orrisModalSheet";

class SheetAccessible final : public QAccessibleWidget {
public:
    explicit SheetAccessible(QWidget* sheet) : QAccessibleWidget(sheet, QAccessible::Dialog) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.modal = widget()->isVisible();
        return state;
    }
};

QAccessibleInterface* factory(const QString&, QObject* object) {
    if (object != nullptr && object->isWidgetType() && object->property(markProperty).toBool()) {
        return new SheetAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

} // namespace

void ModalSheetAccessible::mark(QWidget* sheet) {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
    sheet->setProperty(markProperty, true);
}
