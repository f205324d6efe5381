#pragma once

// A runtime platform of fakes for the runtime's offscreen tests: a fake status item, hot keys
// registered with `hotKeys`, a fake clipboard and login item, one 1280x800 screen, the pointer
// away from the panel, full motion and no desktop context detection.

#include "FakeClipboard.h"
#include "FakeHotKeyPlatform.h"
#include "FakeLaunchAtLoginService.h"
#include "FakeShellPorts.h"

#include "app/HotKeyService.h"
#include "app/Runtime.h"

#include <memory>

inline RuntimePlatform
fakeRuntimePlatform(std::shared_ptr<FakeHotKeyPlatform> hotKeys = std::make_shared<FakeHotKeyPlatform>()) {
    RuntimePlatform platform;
    platform.makeStatusItem = [] { return std::make_unique<FakeStatusItem>(); };
    platform.makeHotKeyService = [hotKeys] {
        return std::make_unique<HotKeyService>(
            hotKeys, true,
            [hotKeys](const PromptKeyboardShortcut& shortcut, EventHotKeyID id, std::optional<HotKeyRef>& ref) {
                return hotKeys->registerHotKey(shortcut, id, ref);
            },
            [hotKeys](HotKeyRef ref) { return hotKeys->unregisterHotKey(ref); });
    };
    platform.clipboard = std::make_shared<FakeClipboard>();
    platform.launchAtLogin = std::make_shared<FakeLaunchAtLoginService>();
    platform.pointerPosition = [] { return QPoint(2000, 2000); };
    platform.screens = [] { return QList<PanelPlacement::Screen>{{QRect(0, 0, 1280, 800), QRect(0, 0, 1280, 800)}}; };
    platform.reduceMotion = [] { return false; };
    platform.detectsDesktopContext = false;
    return platform;
}
