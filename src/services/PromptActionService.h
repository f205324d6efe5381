#pragma once

#include "model/seams/ClipboardWriting.h"

#include <QString>

#include <memory>

enum class PromptCopyResult { success, clipboardFailure };

// Writes a prompt's text to the clipboard and reports the outcome. A value: copies share the
// one clipboard writer. The write replaces the clipboard's content in one operation, so a
// failed copy leaves what the user had there.
class PromptActionService {
public:
    explicit PromptActionService(std::shared_ptr<ClipboardWriting> clipboard);

    // The service of the running desktop, over the system clipboard.
    static PromptActionService system();

    PromptCopyResult copyText(const QString& text) const;

    const std::shared_ptr<ClipboardWriting>& clipboard() const { return m_clipboard; }

private:
    std::shared_ptr<ClipboardWriting> m_clipboard;
};
