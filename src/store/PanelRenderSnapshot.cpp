#include "store/PanelRenderSnapshot.h"

QStringList PanelRenderSnapshot::visiblePromptIDs() const {
    QStringList ids;
    ids.reserve(visiblePrompts.size());
    for (const PromptItem& prompt : visiblePrompts) {
        ids.append(prompt.id);
    }
    return ids;
}
