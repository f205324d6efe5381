#pragma once

#include "model/AgentContext.h"
#include "model/environment/UserDefaults.h"
#include "model/PromptModels.h"
#include "store/FirstRunChecklistSnapshot.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class ContextBindingStore;

// The three first-run flags in user defaults: whether the checklist card was dismissed, whether
// a prompt was ever copied, and whether the welcome guide was finished. An absent welcome flag
// is not the same as false: absent leaves the decision open (see the constructor and
// prepareWelcomeForLaunch), false keeps showing the guide at every launch until it is finished.
// Main thread only; `changed` follows every operation.
class FirstRunChecklistStore : public QObject {
    Q_OBJECT
public:
    static inline const QString dismissedKey = QStringLiteral("OrrisHollows.firstRunTipsDismissed.v1");
    static inline const QString successfulCopyKey = QStringLiteral("OrrisHollows.firstRunSuccessfulCopy.v1");
    static inline const QString welcomeCompletedKey = QStringLiteral("OrrisHollows.firstRunWelcomeCompleted.v1");

    // Settles both flags. A user who dismissed the checklist or copied a prompt before the
    // welcome flag existed needs no guide: the flag is stored as true for them.
    explicit FirstRunChecklistStore(std::shared_ptr<UserDefaults> defaults, QObject* parent = nullptr);

    const std::shared_ptr<UserDefaults>& defaults() const { return m_defaults; }
    bool isDismissed() const { return m_isDismissed; }
    bool shouldPresentWelcome() const { return m_shouldPresentWelcome; }
    // Read afresh from the defaults on every call.
    bool hasSuccessfulCopy() const;

    // Once, after the first reload at launch: a user who already has a saved workspace is not
    // greeted. Does nothing once the welcome flag holds any value.
    void prepareWelcomeForLaunch(bool hasPersistedWorkspace);

    FirstRunChecklistSnapshot snapshot(const QList<PromptWorkspace>& workspaces, const AgentContext& context,
                                       const ContextBindingStore& bindingStore) const;

    void dismiss();
    void reopen();
    // After every successful copy; observers rebuild their snapshot on `changed`.
    void markSuccessfulCopy();
    // Finishing the guide by any button or by closing its window.
    void markWelcomeCompleted();
    // An explicit request to open the guide; writes nothing.
    void setShouldPresentWelcome(bool shouldPresent);

signals:
    void isDismissedChanged(bool isDismissed);
    void shouldPresentWelcomeChanged(bool shouldPresentWelcome);
    void changed();

private:
    bool storedBool(const QString& key) const;
    void setDismissed(bool dismissed);

    std::shared_ptr<UserDefaults> m_defaults;
    bool m_isDismissed = false;
    bool m_shouldPresentWelcome = false;
};
