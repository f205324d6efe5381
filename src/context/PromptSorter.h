#pragma once

#include "model/PromptModels.h"
#include "model/PromptUsage.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

// The order of the panel's prompts in a sort mode. Manual keeps the file order; recent puts
// the latest copy first; frequent the most copies first, then the latest. Prompts never copied
// keep their file order behind all copied ones. Pinned prompts are not moved here.
namespace PromptSorter {

QList<PromptItem> sorted(const QList<PromptItem>& prompts, PromptSortMode mode,
                         const QHash<QString, PromptUsageRecord>& usage);

// The same order for prompts named by position: `positions` in file order, `idAt` the id of the
// prompt at a position.
QList<qint32> sortedPositions(const QList<qint32>& positions, PromptSortMode mode,
                              const QHash<QString, PromptUsageRecord>& usage,
                              const std::function<const QString&(qint32)>& idAt);

} // namespace PromptSorter
