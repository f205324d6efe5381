#include "store/PromptStore.h"

#include "config/BackgroundPromptConfigLoader.h"
#include "config/PromptConfigLoader.h"
#include "context/ContextBindingStore.h"
#include "context/PromptSorter.h"
#include "model/AppLog.h"
#include "model/TextPrimitives.h"
#include "store/PromptUsageStore.h"

#include <QFutureWatcher>
#include <QPromise>

#include <algorithm>

PromptStore::PromptStore(const AppEnvironment& environment, std::function<AppLanguage()> languageProvider,
                         bool loadsOnInit, Services services, QObject* parent)
    : QObject(parent), m_environment(environment), m_languageProvider(std::move(languageProvider)),
      m_configLoader(std::move(services.configLoader)), m_usageStore(services.usageStore),
      m_bindingStore(services.bindingStore) {
    m_statusMessage = text(L10N("status.not.loaded"));
    if (!m_configLoader) {
        m_configLoader = std::make_shared<BackgroundPromptConfigLoader>(m_environment);
    }
    if (!m_usageStore) {
        m_usageStore = new PromptUsageStore(m_environment, this);
    }
    if (!m_bindingStore) {
        m_bindingStore = new ContextBindingStore(m_environment, this);
    }

    const UserDefaults& defaults = *m_environment.defaults;
    m_advancedAutomaticMatchingEnabled = defaults.boolValue(advancedAutomaticMatchingEnabledKey).value_or(false);
    m_projectConfigsEnabled = defaults.boolValue(projectConfigsEnabledKey).value_or(true);
    m_sortMode = PromptSortModes::fromRawValue(defaults.stringValue(sortModeKey).value_or(QString()))
                     .value_or(PromptSortMode::manual);

    if (loadsOnInit) {
        reload();
    }
}

PromptStore::~PromptStore() = default;

AppLanguage PromptStore::language() const {
    return m_languageProvider ? m_languageProvider() : L10n::currentLanguage();
}

QString PromptStore::text(const QString& key) const {
    return L10n::string(key, language());
}

void PromptStore::setStatusMessage(const QString& message) {
    if (m_statusMessage == message) {
        return;
    }
    m_statusMessage = message;
    emit statusChanged();
}

void PromptStore::setLastErrorMessage(const std::optional<QString>& message) {
    if (m_lastErrorMessage == message) {
        return;
    }
    m_lastErrorMessage = message;
    emit statusChanged();
}

void PromptStore::setReloading(bool reloading) {
    if (m_reloading == reloading) {
        return;
    }
    m_reloading = reloading;
    emit reloadingChanged();
}

void PromptStore::setLastEditedWorkspaceID(const std::optional<QString>& id) {
    if (m_lastEditedWorkspaceID == id) {
        return;
    }
    m_lastEditedWorkspaceID = id;
    emit lastEditedWorkspaceIDChanged();
}

void PromptStore::setSortMode(PromptSortMode mode) {
    const bool changed = m_sortMode != mode;
    m_sortMode = mode;
    m_environment.defaults->setString(sortModeKey, PromptSortModes::rawValue(mode));
    if (changed) {
        emit sortModeChanged();
    }
}

QString PromptStore::readOnlyReason(const PromptWorkspace& workspace) const {
    switch (workspace.source) {
    case PromptWorkspaceSource::global:
        return text(L10N("workspace.manager.readonly.global"));
    case PromptWorkspaceSource::userWorkspace:
        return QString();
    case PromptWorkspaceSource::projectConfig:
        return text(L10N("workspace.manager.readonly.project"));
    case PromptWorkspaceSource::transientSample:
        return text(L10N("workspace.manager.readonly.sample"));
    }
    return QString();
}

void PromptStore::publishPersistedWorkspace(const PromptWorkspace& workspace) {
    auto existing = std::find_if(m_workspaces.begin(), m_workspaces.end(),
                                 [&](const PromptWorkspace& candidate) { return candidate.id == workspace.id; });
    if (existing != m_workspaces.end()) {
        *existing = workspace;
    } else {
        m_workspaces.append(workspace);
    }
    emit contentChanged();
}

// ---- Reload --------------------------------------------------------------------------------

void PromptStore::reload(const std::optional<QString>& preservingStatus) {
    startReload(preservingStatus);
}

QFuture<void> PromptStore::reloadAndWait() {
    return startReload(std::nullopt);
}

QFuture<void> PromptStore::startReload(const std::optional<QString>& preservedStatus) {
    const quint64 generation = ++m_reloadGeneration; // unsigned: wraps at the top
    const std::optional<QString> previousSelection = m_lastEditedWorkspaceID;
    const AppLanguage loadLanguage = language();

    auto done = std::make_shared<QPromise<void>>();
    done->start();
    setReloading(true);

    // The watcher belongs to the store, so a result that arrives after the store is gone is
    // never delivered; its signal always arrives on the main thread.
    auto* watcher = new QFutureWatcher<PromptLoadResult>(this);
    connect(watcher, &QFutureWatcherBase::finished, this,
            [this, watcher, generation, previousSelection, loadLanguage, preservedStatus, done] {
                watcher->deleteLater();
                if (generation == m_reloadGeneration) {
                    const QFuture<PromptLoadResult> future = watcher->future();
                    if (future.resultCount() > 0) {
                        applyLoadResult(generation, future.result(), previousSelection, loadLanguage,
                                        preservedStatus);
                    } else {
                        qCWarning(lcPrompts).noquote()
                            << "Reload configuration failed generation=" + QString::number(generation);
                    }
                    setReloading(false);
                }
                done->finish();
            });
    watcher->setFuture(m_configLoader->loadAllConfigs(loadLanguage));
    return done->future();
}

void PromptStore::applyLoadResult(quint64 generation, PromptLoadResult result,
                                  const std::optional<QString>& previousSelection, AppLanguage language,
                                  const std::optional<QString>& preservedStatus) {
    Q_UNUSED(generation);
    QString status = result.statusMessage;
    if (result.showsTransientSamples &&
        m_environment.defaults->boolValue(PromptConfigLoader::transientSamplesDismissedKey).value_or(false)) {
        result.globalPrompts.clear();
        result.workspaces.clear();
        result.workspaceMetadata.clear();
        status = L10n::string(L10N("status.config.samples.hidden"), language);
    }

    m_configIssues = std::move(result.issues);
    emit configIssuesChanged();

    if (!m_configIssues.isEmpty()) {
        if (m_hasSuccessfulConfigSnapshot) {
            status = text(L10N("status.config.preserved.previous"));
        } else {
            m_globalPrompts.clear();
            m_workspaces.clear();
            m_workspaceMetadata.clear();
            m_showsTransientSamples = false;
            emit contentChanged();
        }
    } else {
        forgetUsageOfRemovedPrompts(result.globalPrompts, result.workspaces);
        m_showsTransientSamples =
            result.showsTransientSamples && (!result.globalPrompts.isEmpty() || !result.workspaces.isEmpty());
        m_globalPrompts = std::move(result.globalPrompts);
        m_workspaces = std::move(result.workspaces);
        m_workspaceMetadata = std::move(result.workspaceMetadata);
        m_hasSuccessfulConfigSnapshot = true;
        emit contentChanged();
    }

    m_bindingStore->reload();
    if (m_bindingStore->agentWorkspaceBindingLoadError()) {
        status = text(L10N("status.binding.file.unreadable"));
    }

    clearProjectWorkspaceCaches();

    std::optional<QString> selection;
    if (previousSelection) {
        for (const PromptWorkspace& workspace : std::as_const(m_workspaces)) {
            if (workspace.id == *previousSelection) {
                selection = previousSelection;
                break;
            }
        }
    }
    setLastEditedWorkspaceID(selection);

    setStatusMessage(preservedStatus.value_or(status));
}

// Forgets the usage of prompts that the store showed until now and that this load no longer
// has. Prompts of project files count as present: no reload loads them, so their absence from
// a load says nothing. Usage of ids never shown since launch stays as well.
void PromptStore::forgetUsageOfRemovedPrompts(const QList<PromptItem>& newGlobalPrompts,
                                              const QList<PromptWorkspace>& newWorkspaces) {
    const QHash<QString, PromptUsageRecord>& records = m_usageStore->records();
    if (records.isEmpty()) {
        return;
    }
    // Only ids with a record matter, so the sets stay as small as the usage file.
    QSet<QString> shownBefore;
    QSet<QString> loadedNow;
    const auto collect = [&records](const QList<PromptItem>& prompts, QSet<QString>& into) {
        for (const PromptItem& prompt : prompts) {
            if (records.contains(prompt.id)) {
                into.insert(prompt.id);
            }
        }
    };
    collect(m_globalPrompts, shownBefore);
    for (const PromptWorkspace& workspace : std::as_const(m_workspaces)) {
        collect(workspace.prompts, shownBefore);
    }
    if (shownBefore.isEmpty()) {
        return;
    }
    collect(newGlobalPrompts, loadedNow);
    for (const PromptWorkspace& workspace : newWorkspaces) {
        collect(workspace.prompts, loadedNow);
    }
    QSet<QString> kept;
    for (auto it = records.constBegin(); it != records.constEnd(); ++it) {
        const QString& id = it.key();
        const bool removed =
            shownBefore.contains(id) && !loadedNow.contains(id) && !m_projectPromptIDsSeen.contains(id);
        if (!removed) {
            kept.insert(id);
        }
    }
    if (kept.size() != records.size()) {
        m_usageStore->retain(kept);
    }
}

void PromptStore::clearProjectWorkspaceCaches() {
    m_projectWorkspaceCache.clear();
    m_projectWorkspaceMisses.clear();
}

// ---- Derived values ------------------------------------------------------------------------

QStringList PromptStore::knownWorkspacePaths() const {
    QStringList paths;
    for (const PromptWorkspace& workspace : m_workspaces) {
        paths.append(workspace.matchPaths);
    }
    return paths;
}

QList<PromptSection> PromptStore::promptSections(const QList<PromptItem>& prompts) const {
    if (prompts.isEmpty()) {
        return {};
    }
    if (m_sortMode == PromptSortMode::manual) {
        QList<PromptSection> sections;
        QHash<QString, qsizetype> sectionByGroup;
        for (const PromptItem& prompt : prompts) {
            const auto found = sectionByGroup.constFind(prompt.group);
            if (found != sectionByGroup.constEnd()) {
                sections[*found].prompts.append(prompt);
            } else {
                sectionByGroup.insert(prompt.group, sections.size());
                sections.append(PromptSection{prompt.group, prompt.group, {prompt}});
            }
        }
        return sections;
    }
    const QString title = m_sortMode == PromptSortMode::recent ? text(L10N("settings.usage.sort.recent"))
                                                               : text(L10N("settings.usage.sort.frequent"));
    return {PromptSection{PromptSortModes::rawValue(m_sortMode), title, prompts}};
}

QStringList PromptStore::parseLines(const QString& text) {
    QStringList lines;
    for (const QString& piece : Text::splitAtNewlines(text)) {
        const QString line = Text::trimWhitespaceAndNewlines(piece);
        if (!line.isEmpty()) {
            lines.append(line);
        }
    }
    return lines;
}

namespace {

char16_t asciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

// A search text, trimmed and lower-cased once. A prompt matches when the query occurs in its
// lower-cased title, group, text or space-joined tags. Most prompt texts are ASCII: for those
// the lower-cased text is the ASCII lower-casing, so the search runs without lower-casing a copy.
class SearchQuery {
public:
    explicit SearchQuery(const QString& query)
        : m_query(Text::trimWhitespaceAndNewlines(query).toLower()), m_isAscii(QtPrivate::isAscii(m_query)) {}

    bool isEmpty() const { return m_query.isEmpty(); }

    bool matches(const PromptItem& prompt) const {
        return m_query.isEmpty() || occursIn(prompt.title) || occursIn(prompt.group) || occursIn(prompt.text) ||
               occursIn(prompt.tags.join(QLatin1Char(' ')));
    }

private:
    bool occursIn(const QString& text) const {
        if (QtPrivate::isAscii(QStringView(text))) {
            return m_isAscii && occursInAscii(text);
        }
        return text.toLower().contains(m_query);
    }

    bool occursInAscii(const QString& text) const {
        const qsizetype n = m_query.size();
        const qsizetype last = text.size() - n;
        const char16_t* t = reinterpret_cast<const char16_t*>(text.utf16());
        const char16_t* q = reinterpret_cast<const char16_t*>(m_query.utf16());
        for (qsizetype i = 0; i <= last; ++i) {
            if (asciiLower(t[i]) != q[0]) {
                continue;
            }
            qsizetype j = 1;
            while (j < n && asciiLower(t[i + j]) == q[j]) {
                ++j;
            }
            if (j == n) {
                return true;
            }
        }
        return false;
    }

    QString m_query;
    bool m_isAscii;
};

} // namespace

PromptMatchingService PromptStore::matchingService() {
    PromptMatchingService service;
    service.workspaces = m_workspaces;
    service.bindingStore = m_bindingStore;
    service.advancedAutomaticMatchingEnabled = m_advancedAutomaticMatchingEnabled;
    service.projectConfigsEnabled = m_projectConfigsEnabled;
    service.homePath = m_environment.homePath;
    return service;
}

QList<PromptItem> PromptStore::allPrompts(const ContextMatchDetails& matchDetails) const {
    return basePromptOrder(m_globalPrompts, matchDetails.workspace ? matchDetails.workspace->prompts
                                                                   : QList<PromptItem>());
}

QList<PromptItem> PromptStore::visiblePrompts(const AgentContext& context, const ContextMatchDetails& matchDetails,
                                              const QString& searchText) const {
    Q_UNUSED(context);
    QList<PromptItem> sorted = PromptSorter::sorted(allPrompts(matchDetails), m_sortMode, m_usageStore->records());
    const SearchQuery query(searchText);
    if (query.isEmpty()) {
        return sorted;
    }
    sorted.removeIf([&query](const PromptItem& prompt) { return !query.matches(prompt); });
    return sorted;
}

bool PromptStore::promptMatchesSearch(const PromptItem& prompt, const QString& query) {
    return SearchQuery(query).matches(prompt);
}

QList<PromptItem> PromptStore::basePromptOrder(const QList<PromptItem>& globalPrompts,
                                               const QList<PromptItem>& workspacePrompts) {
    struct Group {
        QList<PromptItem> pinned;
        QList<PromptItem> others;
    };
    QList<Group> groups;
    QHash<QString, qsizetype> groupIndex;
    const auto add = [&](const PromptItem& prompt) {
        auto found = groupIndex.constFind(prompt.group);
        qsizetype index;
        if (found == groupIndex.constEnd()) {
            index = groups.size();
            groupIndex.insert(prompt.group, index);
            groups.append(Group{});
        } else {
            index = *found;
        }
        (prompt.isPinned ? groups[index].pinned : groups[index].others).append(prompt);
    };
    for (const PromptItem& prompt : globalPrompts) {
        add(prompt);
    }
    for (const PromptItem& prompt : workspacePrompts) {
        add(prompt);
    }
    QList<PromptItem> ordered;
    ordered.reserve(globalPrompts.size() + workspacePrompts.size());
    for (const Group& group : std::as_const(groups)) {
        ordered.append(group.pinned);
        ordered.append(group.others);
    }
    return ordered;
}
