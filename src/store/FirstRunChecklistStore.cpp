#include "store/FirstRunChecklistStore.h"

#include "store/FirstRunChecklistProgressResolver.h"

FirstRunChecklistStore::FirstRunChecklistStore(std::shared_ptr<UserDefaults> defaults, QObject* parent)
    : QObject(parent), m_defaults(std::move(defaults)) {
    m_isDismissed = storedBool(dismissedKey);
    if (m_defaults->contains(welcomeCompletedKey)) {
        m_shouldPresentWelcome = !storedBool(welcomeCompletedKey);
    } else if (!m_isDismissed && !storedBool(successfulCopyKey)) {
        m_shouldPresentWelcome = true;
    } else {
        m_defaults->setBool(welcomeCompletedKey, true);
        m_shouldPresentWelcome = false;
    }
}

bool FirstRunChecklistStore::hasSuccessfulCopy() const {
    return storedBool(successfulCopyKey);
}

void FirstRunChecklistStore::prepareWelcomeForLaunch(bool hasPersistedWorkspace) {
    if (m_defaults->contains(welcomeCompletedKey) || !hasPersistedWorkspace) {
        return;
    }
    m_defaults->setBool(welcomeCompletedKey, true);
    setShouldPresentWelcome(false);
}

FirstRunChecklistSnapshot FirstRunChecklistStore::snapshot(const QList<PromptWorkspace>& workspaces,
                                                           const AgentContext& context,
                                                           const ContextBindingStore& bindingStore) const {
    const auto progress = FirstRunChecklistProgressResolver::resolve(workspaces, context, bindingStore);
    FirstRunChecklistSnapshot result;
    if (progress.workspaceDone) {
        result.completed.insert(FirstRunStep::workspace);
    }
    if (progress.bindingDone) {
        result.completed.insert(FirstRunStep::binding);
    }
    if (hasSuccessfulCopy()) {
        result.completed.insert(FirstRunStep::successfulCopy);
    }
    return result;
}

void FirstRunChecklistStore::dismiss() {
    m_defaults->setBool(dismissedKey, true);
    setDismissed(true);
}

void FirstRunChecklistStore::reopen() {
    m_defaults->setBool(dismissedKey, false);
    setDismissed(false);
}

void FirstRunChecklistStore::markSuccessfulCopy() {
    m_defaults->setBool(successfulCopyKey, true);
    emit changed();
}

void FirstRunChecklistStore::markWelcomeCompleted() {
    m_defaults->setBool(welcomeCompletedKey, true);
    setShouldPresentWelcome(false);
}

void FirstRunChecklistStore::setShouldPresentWelcome(bool shouldPresent) {
    const bool differs = shouldPresent != m_shouldPresentWelcome;
    m_shouldPresentWelcome = shouldPresent;
    if (differs) {
        emit shouldPresentWelcomeChanged(shouldPresent);
    }
    emit changed();
}

bool FirstRunChecklistStore::storedBool(const QString& key) const {
    return m_defaults->boolValue(key).value_or(false);
}

void FirstRunChecklistStore::setDismissed(bool dismissed) {
    const bool differs = dismissed != m_isDismissed;
    m_isDismissed = dismissed;
    if (differs) {
        emit isDismissedChanged(dismissed);
    }
    emit changed();
}
