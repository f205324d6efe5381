#pragma once

#include "context/ContextMatchDetails.h"
#include "model/PromptModels.h"
#include "model/PromptSelection.h"
#include "store/PanelEmptyState.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// Everything the panel draws for one state, computed in one pass. A value: later changes of the
// store do not reach a snapshot already made. Its prompts are not copies: the visible prompts and
// each section's prompts select from the store's lists, which the snapshot shares (read them like
// a const QList<PromptItem>: size(), at(i), [i], range-for; toList() for a list of one's own).
struct PanelRenderSnapshot {
    ContextMatchDetails matchDetails;
    std::optional<PromptWorkspace> activeWorkspace; // the matched workspace
    PromptSelection visiblePrompts;                 // display order
    QList<PromptSection> sections;                  // each a slice of the visible prompts in manual order
    QSet<QString> editablePromptIDs;
    QHash<QString, int> shortcutNumbers; // prompt id -> tile number 1 to 9
    PanelEmptyStateReason emptyReason;
    QList<EmptyPromptAction> emptyActions;
    bool allowsPromptOrdering = true; // tiles may be moved: no search text is entered

    QStringList visiblePromptIDs() const;
};

Q_DECLARE_METATYPE(PanelRenderSnapshot)
