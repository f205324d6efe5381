#pragma once

#include "model/seams/ClipboardWriting.h"

// The system clipboard through Qt. On X11 the copied text is served by this process, so it is
// readable by other programs while the app runs.
class ClipboardService final : public ClipboardWriting {
public:
    bool writeText(const QString& text) override;
};
