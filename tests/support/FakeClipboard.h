#pragma once

#include "model/seams/ClipboardWriting.h"

#include <QStringList>

// A clipboard in memory. While `refusesWrites` is set every write fails and the content stays.
class FakeClipboard final : public ClipboardWriting {
public:
    bool writeText(const QString& text) override {
        attempts.append(text);
        if (refusesWrites) {
            return false;
        }
        content = text;
        return true;
    }

    QString content;
    bool refusesWrites = false;
    QStringList attempts;
};
