#include "services/PromptActionService.h"

#include "platform/ClipboardService.h"

PromptActionService::PromptActionService(std::shared_ptr<ClipboardWriting> clipboard)
    : m_clipboard(std::move(clipboard)) {}

PromptActionService PromptActionService::system() {
    return PromptActionService(std::make_shared<ClipboardService>());
}

PromptCopyResult PromptActionService::copyText(const QString& text) const {
    if (m_clipboard && m_clipboard->writeText(text)) {
        return PromptCopyResult::success;
    }
    return PromptCopyResult::clipboardFailure;
}
