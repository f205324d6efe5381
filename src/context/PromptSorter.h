#pragma once

#include "model/PromptModels.h"
#include "model/PromptUsage.h"

#include <QHash>
#include <QList>
#include <QString>

// The order of the panel's prompts in a sort mode. Manual keeps the file order; recent puts
// the latest copy first; frequent the most copies first, then the latest. Prompts never copied
// keep their file order behind all copied ones. Pinned prompts are not moved here.
namespace PromptSorter {

QList<PromptItem> sorted(const QList<PromptItem>& prompts, PromptSortMode mode,
                         const QHash<QString, PromptUsageRecord>& usage);

} // namespace PromptSorter
