#include "sheets/AgentChoices.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

namespace AgentChoices {

QList<AgentType> bindable(AppLanguage language) {
    QList<AgentType> agents = AgentTypes::nativeAgentCases();
    agents.append(AgentTypes::browserCases());
    const QLocale locale(language == AppLanguage::zhHans ? QLocale::Chinese : QLocale::English,
                         language == AppLanguage::zhHans ? QLocale::China : QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(agents.begin(), agents.end(), [&](AgentType left, AgentType right) {
        return collator.compare(AgentTypes::displayName(left, language), AgentTypes::displayName(right, language)) < 0;
    });
    return agents;
}

} // namespace AgentChoices
