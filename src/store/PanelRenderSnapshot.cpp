#include "store/PanelRenderSnapshot.h"

QStringList PanelRenderSnapshot::visiblePromptIDs() const {
    return visiblePrompts.ids();
}
