#include "panel/OverlaySheetHost.h"

#include "widgets/DialogSheetHost.h"
#include "widgets/InterfaceEnvironment.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QSet>

namespace {

constexpr int sheetMargin = 16;

// Dims the host and keeps the sheet centred when the host is resized.
class SheetBackdrop final : public QWidget {
public:
    explicit SheetBackdrop(QWidget* host) : QWidget(host) {
        setObjectName(QStringLiteral("sheetBackdrop"));
        setAttribute(Qt::WA_NoMousePropagation);
        host->installEventFilter(this);
        setGeometry(host->rect());
    }

    void setSheet(QWidget* sheet) {
        m_sheet = sheet;
        layoutSheet();
    }

    void layoutSheet() {
        setGeometry(parentWidget()->rect());
        if (m_sheet == nullptr) {
            return;
        }
        const QSize available = size() - QSize(2 * sheetMargin, 2 * sheetMargin);
        const QSize wanted = m_sheet->sizeHint().expandedTo(m_sheet->minimumSizeHint());
        const QSize sized = wanted.boundedTo(available);
        m_sheet->setGeometry(QRect(QPoint((width() - sized.width()) / 2, (height() - sized.height()) / 2), sized));
    }

protected:
    // Tab and Backtab go round the sheet's own controls: what lies under the backdrop is out of
    // reach while the sheet is up. The window's focus chain cannot promise that, since widgets the
    // host makes while the sheet is shown join the chain after the sheet's.
    bool focusNextPrevChild(bool next) override {
        if (m_sheet == nullptr) {
            return QWidget::focusNextPrevChild(next);
        }
        QList<QWidget*> controls;
        QSet<QWidget*> seen;
        for (QWidget* widget = m_sheet->nextInFocusChain(); widget != m_sheet && !seen.contains(widget);
             widget = widget->nextInFocusChain()) {
            seen.insert(widget);
            if (m_sheet->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
                widget->isVisibleTo(m_sheet) && widget->isEnabled()) {
                controls.append(widget);
            }
        }
        if (controls.isEmpty()) {
            return true;
        }
        const qsizetype current = controls.indexOf(QApplication::focusWidget());
        const qsizetype count = controls.size();
        const qsizetype target = current < 0 ? (next ? 0 : count - 1) : (current + (next ? 1 : count - 1)) % count;
        controls.at(target)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parentWidget() && event->type() == QEvent::Resize) {
            layoutSheet();
        }
        return false;
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0, 0, 0, 120));
    }

private:
    QPointer<QWidget> m_sheet;
};

} // namespace

OverlaySheetHost::OverlaySheetHost(QWidget* host) : m_host(host) {}

OverlaySheetHost::~OverlaySheetHost() {
    if (m_dialogHost != nullptr) {
        m_dialogHost->onDismissed = nullptr;
    }
    delete m_backdrop;
}

void OverlaySheetHost::present(QWidget* sheet) {
    if (m_host == nullptr || sheet == nullptr) {
        delete sheet;
        return;
    }
    if (m_sheet != nullptr) {
        dismiss(m_sheet);
    }
    // Measured at the text size it will be shown in, which it would otherwise learn only from the
    // window it joins.
    applyInterfaceTextSize(sheet, InterfaceEnvironment::textSize(m_host));
    const QSize room = m_host->size() - QSize(2 * sheetMargin, 2 * sheetMargin);
    const QSize needed = sheet->minimumSize().expandedTo(sheet->minimumSizeHint());
    if (needed.width() > room.width() || needed.height() > room.height()) {
        if (m_dialogHost == nullptr) {
            m_dialogHost = std::make_unique<DialogSheetHost>(m_host->window(), m_host);
            m_dialogHost->onDismissed = [this] {
                if (m_sheet != nullptr) {
                    m_sheet = nullptr;
                    if (onPresentingChanged) {
                        onPresentingChanged(false);
                    }
                }
            };
        }
        m_sheet = sheet;
        m_dialogHost->present(sheet);
        if (onPresentingChanged) {
            onPresentingChanged(true);
        }
        return;
    }
    auto* backdrop = new SheetBackdrop(m_host);
    m_backdrop = backdrop;
    sheet->setParent(backdrop);
    m_sheet = sheet;
    backdrop->setSheet(sheet);
    backdrop->show();
    backdrop->raise();
    sheet->show();
    sheet->setFocus(Qt::OtherFocusReason);
    if (onPresentingChanged) {
        onPresentingChanged(true);
    }
}

void OverlaySheetHost::dismiss(QWidget* sheet) {
    if (sheet == nullptr || sheet != m_sheet) {
        return;
    }
    if (m_dialogHost != nullptr && m_dialogHost->sheet() == sheet) {
        // Its dialog tells us through onDismissed.
        m_dialogHost->dismiss(sheet);
        return;
    }
    m_sheet = nullptr;
    if (m_backdrop != nullptr) {
        m_backdrop->hide();
        m_backdrop->deleteLater();
        m_backdrop = nullptr;
    }
    if (onPresentingChanged) {
        onPresentingChanged(false);
    }
}
