#pragma once

#include <QString>

// Writes one plain text to the system clipboard, replacing what was there in one operation,
// and reports whether the clipboard now holds it. A failed write leaves the old content.
class ClipboardWriting {
public:
    virtual ~ClipboardWriting() = default;
    virtual bool writeText(const QString& text) = 0;
};
