#include "widgets/DialogSheetHost.h"

#include "widgets/InterfaceEnvironment.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

DialogSheetHost::DialogSheetHost(QWidget* window, const QWidget* interfaceSource)
    : m_window(window), m_interfaceSource(interfaceSource) {}

DialogSheetHost::~DialogSheetHost() {
    delete m_dialog;
}

void DialogSheetHost::present(QWidget* sheet) {
    if (sheet == nullptr) {
        return;
    }
    if (m_sheet != nullptr) {
        dismiss(m_sheet);
    }
    auto* dialog = new QDialog(m_window);
    dialog->setObjectName(QStringLiteral("sheetDialog"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(sheet->windowTitle());
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    // On a screen shorter (or narrower) than the sheet its content scrolls, so that its buttons
    // stay within reach.
    auto* scroller = new QScrollArea(dialog);
    scroller->setObjectName(QStringLiteral("sheetDialogScroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    if (m_interfaceSource != nullptr) {
        // Before the sheet joins it, so the sheet finds the size when it is shown.
        applyInterfaceTextSize(dialog, InterfaceEnvironment::textSize(m_interfaceSource));
    }
    scroller->setWidget(sheet);
    layout->addWidget(scroller);
    m_dialog = dialog;
    m_sheet = sheet;
    placeDialog(dialog, sheet);
    // Escape and the close box reach the sheet's own cancel through its key handling; a dialog
    // rejected by the window manager goes away like a cancelled sheet.
    QObject::connect(dialog, &QDialog::rejected, dialog, [this, sheet] { dismiss(sheet); });
    dialog->show();
    sheet->setFocus(Qt::OtherFocusReason);
}

void DialogSheetHost::placeDialog(QDialog* dialog, QWidget* sheet) const {
    // Centred over the window that opened it (the window manager would put it anywhere, even over
    // the panel's header), and inside the available area of that window's screen.
    QScreen* screen = m_window != nullptr ? m_window->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    // Room for the window manager's frame and title bar.
    const QRect room = area.adjusted(8, 32, -8, -8);
    const QSize wanted = sheet->sizeHint().expandedTo(sheet->minimumSize()).expandedTo(sheet->minimumSizeHint());
    QSize size = wanted.boundedTo(room.size());
    if (size.height() < wanted.height()) {
        // The vertical scroll bar takes its width beside the content, not from it.
        size.setWidth(
            std::min(room.width(), wanted.width() + dialog->style()->pixelMetric(QStyle::PM_ScrollBarExtent)));
    }
    dialog->resize(size);
    const QPoint centre =
        m_window != nullptr && m_window->isVisible() ? m_window->frameGeometry().center() : area.center();
    QRect frame(QPoint(0, 0), size);
    frame.moveCenter(centre);
    frame.moveLeft(std::clamp(frame.left(), room.left(), std::max(room.left(), room.right() - size.width() + 1)));
    frame.moveTop(std::clamp(frame.top(), room.top(), std::max(room.top(), room.bottom() - size.height() + 1)));
    dialog->move(frame.topLeft());
}

void DialogSheetHost::dismiss(QWidget* sheet) {
    if (sheet == nullptr || sheet != m_sheet) {
        return;
    }
    m_sheet = nullptr;
    if (m_dialog != nullptr) {
        QDialog* dialog = m_dialog;
        m_dialog = nullptr;
        dialog->hide();
        dialog->deleteLater();
        // The window manager need not hand the keyboard back to the window under the dialog
        // (openbox gives it to no window), and the panel then ignores its keys until clicked. Asked
        // for at once, the activation is lost in the window manager's handling of the unmapped
        // dialog: ask on the next turn of the event loop.
        if (m_window != nullptr && m_window->isVisible()) {
            QTimer::singleShot(0, m_window, [window = m_window] {
                if (window && window->isVisible() && QApplication::activeModalWidget() == nullptr) {
                    window->activateWindow();
                }
            });
        }
    }
    if (onDismissed) {
        onDismissed();
    }
}
