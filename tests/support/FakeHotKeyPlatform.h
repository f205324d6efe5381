#pragma once

#include "model/KeyboardShortcutModels.h"
#include "model/seams/HotKeyEventSource.h"

#include <QList>

#include <optional>

// The platform's hot-key calls, recorded in order, with presses sent by the test. Registration
// statuses are taken from `registerStatuses` in turn (0 once it is empty).
class FakeHotKeyPlatform final : public HotKeyEventSource {
public:
    struct Call {
        enum Kind { install, remove, registration, unregistration } kind;
        PromptKeyboardShortcut shortcut;
        EventHotKeyID hotKeyID;
        HotKeyRef ref = 0;
    };

    qint32 installEventHandler(PressHandler pressHandler) override {
        calls.append({Call::install, {}, {}, 0});
        if (installStatus != 0) {
            return installStatus;
        }
        handler = std::move(pressHandler);
        return 0;
    }
    void removeEventHandler() override {
        calls.append({Call::remove, {}, {}, 0});
        handler = nullptr;
    }

    qint32 registerHotKey(const PromptKeyboardShortcut& shortcut, EventHotKeyID hotKeyID,
                          std::optional<HotKeyRef>& ref) {
        const qint32 status = registerStatuses.isEmpty() ? 0 : registerStatuses.takeFirst();
        const HotKeyRef made = status == 0 ? nextRef++ : 0;
        calls.append({Call::registration, shortcut, hotKeyID, made});
        if (status == 0) {
            ref = made;
        }
        return status;
    }
    qint32 unregisterHotKey(HotKeyRef ref) {
        calls.append({Call::unregistration, {}, {}, ref});
        return 0;
    }

    // What the platform's dispatch does when a registered combination is pressed.
    void press(EventHotKeyID hotKeyID) const {
        if (handler) {
            handler(hotKeyID);
        }
    }

    QList<Call::Kind> kinds() const {
        QList<Call::Kind> result;
        for (const Call& call : calls) {
            result.append(call.kind);
        }
        return result;
    }
    // The hot-key id handed to the last successful registration.
    EventHotKeyID lastRegisteredID() const {
        for (auto call = calls.crbegin(); call != calls.crend(); ++call) {
            if (call->kind == Call::registration && call->ref != 0) {
                return call->hotKeyID;
            }
        }
        return {};
    }

    qint32 installStatus = 0;
    QList<qint32> registerStatuses;
    PressHandler handler;
    QList<Call> calls;
    HotKeyRef nextRef = 100;
};
