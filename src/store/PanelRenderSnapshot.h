#pragma once

#include "context/ContextMatchDetails.h"
#include "model/PromptModels.h"
#include "store/PanelEmptyState.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// Everything the panel draws for one state, computed in one pass. A value: later changes of the
// store do not reach a snapshot already made.
struct PanelRenderSnapshot {
    ContextMatchDetails matchDetails;
    std::optional<PromptWorkspace> activeWorkspace; // the matched workspace
    QList<PromptItem> visiblePrompts;               // display order
    QList<PromptSection> sections;
    QSet<QString> editablePromptIDs;
    QHash<QString, int> shortcutNumbers; // prompt id -> tile number 1 to 9
    PanelEmptyStateReason emptyReason;
    QList<EmptyPromptAction> emptyActions;
    bool allowsPromptOrdering = true; // tiles may be moved: no search text is entered

    QStringList visiblePromptIDs() const;
};

Q_DECLARE_METATYPE(PanelRenderSnapshot)
