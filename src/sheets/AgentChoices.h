#pragma once

#include "model/AgentType.h"

#include <QList>

// The agent types a user can pick in the editing sheets: the native agents and the browsers
// (never claudeCode or unknown), sorted by their display name in the language with a localised,
// case-insensitive comparison.
namespace AgentChoices {

QList<AgentType> bindable(AppLanguage language);

} // namespace AgentChoices
