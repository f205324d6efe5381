#include "widgets/RecorderState.h"

#include "model/Localization.h"
#include "services/HotKeySuspending.h"
#include "services/KeyInput.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>

RecorderState::RecorderState(ValueAdapter adapter, HotKeySuspending* suspending, QObject* parent)
    : QObject(parent), m_adapter(std::move(adapter)), m_suspending(suspending) {}

RecorderState::~RecorderState() {
    // No filter and no suspension may outlive the control.
    if (m_filterInstalled && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
    if (m_suspended && m_suspending != nullptr) {
        m_suspending->resume();
    }
}

void RecorderState::setTextKeys(const QString& titleKey, const QString& recordHelpKey,
                                const QString& invalidMessageKey) {
    m_titleKey = titleKey;
    m_recordHelpKey = recordHelpKey;
    m_invalidMessageKey = invalidMessageKey;
    emit changed();
}

QString RecorderState::message() const {
    switch (m_message) {
    case Message::recordHelp:
        return m_recordHelpKey.isEmpty() ? QString() : L10n::string(m_recordHelpKey, L10n::currentLanguage());
    case Message::invalid:
        return m_invalidMessageKey.isEmpty() ? QString() : L10n::string(m_invalidMessageKey, L10n::currentLanguage());
    case Message::none:
        break;
    }
    return QString();
}

QString RecorderState::buttonTitle() const {
    if (m_recording) {
        return L10n::string(L10N("shortcut.recording"), L10n::currentLanguage());
    }
    if (const std::optional<QString> display = m_adapter.currentDisplay ? m_adapter.currentDisplay() : std::nullopt) {
        return *display;
    }
    return m_titleKey.isEmpty() ? QString() : L10n::string(m_titleKey, L10n::currentLanguage());
}

bool RecorderState::hasValue() const {
    return m_adapter.currentDisplay && m_adapter.currentDisplay().has_value();
}

void RecorderState::start() {
    stop();
    m_recording = true;
    m_message = Message::recordHelp;
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->installEventFilter(this);
        m_filterInstalled = true;
    }
    if (m_suspending != nullptr) {
        m_suspending->suspend();
        m_suspended = true;
    }
    emit changed();
}

void RecorderState::stop() {
    const bool wasRecording = m_recording || m_filterInstalled || m_suspended || m_message != Message::none;
    if (m_filterInstalled) {
        if (QCoreApplication::instance() != nullptr) {
            QCoreApplication::instance()->removeEventFilter(this);
        }
        m_filterInstalled = false;
    }
    if (m_suspended) {
        m_suspended = false;
        if (m_suspending != nullptr) {
            m_suspending->resume();
        }
    }
    m_recording = false;
    m_message = Message::none;
    if (wasRecording) {
        emit changed();
    }
}

void RecorderState::clearValue() {
    if (m_adapter.clear) {
        m_adapter.clear();
    }
    emit changed();
}

void RecorderState::handleKey(const KeyEventInfo& key) {
    if (!m_recording) {
        return;
    }
    // Escape is never offered to the owner: it always cancels.
    if (key.keyCode == escapeKeyCode) {
        stop();
        return;
    }
    // The owner may delete this recorder from its change handler.
    QPointer<RecorderState> self(this);
    const bool accepted = m_adapter.accept && m_adapter.accept(key);
    if (self == nullptr) {
        return;
    }
    if (!accepted) {
        m_message = Message::invalid;
        emit changed();
        return;
    }
    stop();
}

void RecorderState::handleKeyEvent(const QKeyEvent& event) {
    if (KeyInput::isModifierKey(event.key())) {
        // A combination being held together: wait for its key.
        return;
    }
    if (const std::optional<KeyEventInfo> key = KeyInput::fromKeyEvent(event)) {
        handleKey(*key);
        return;
    }
    // A key the key table cannot store gives no value.
    m_message = Message::invalid;
    emit changed();
}

bool RecorderState::eventFilter(QObject* watched, QEvent* event) {
    if (!m_recording) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Accepted, so that Qt delivers the press instead of running a shortcut; the press that
        // follows is the one handled.
        event->accept();
        return true;
    case QEvent::KeyPress:
        event->accept();
        handleKeyEvent(*static_cast<QKeyEvent*>(event));
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
