#include "store/PromptStore.h"

#include "config/BackgroundPromptConfigLoader.h"
#include "config/ProjectConfigTrustStore.h"
#include "config/ProjectPromptConfigLoader.h"
#include "config/PromptConfigLoader.h"
#include "config/PromptPackService.h"
#include "config/PromptYAMLEncoder.h"
#include "context/ContextBindingStore.h"
#include "context/PromptSorter.h"
#include "context/WorkspaceMatcher.h"
#include "model/AppLog.h"
#include "model/TextPrimitives.h"
#include "store/LibraryMemory.h"
#include "store/PromptSearchIndex.h"
#include "store/PromptSearchQuery.h"
#include "store/PromptUsageStore.h"

#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPromise>
#include <QSaveFile>

#include <algorithm>
#include <vector>

namespace {

// Numbers the distinct group texts in the order they first appear. Prompts of one group mostly
// stand together, so the last group is checked before the table.
class GroupNumbering {
public:
    qsizetype numberOf(const QString& group) {
        if (m_lastNumber >= 0 && group == m_lastGroup) {
            return m_lastNumber;
        }
        auto found = m_numbers.constFind(group);
        if (found == m_numbers.constEnd()) {
            found = m_numbers.insert(group, m_numbers.size());
        }
        m_lastGroup = group;
        m_lastNumber = *found;
        return m_lastNumber;
    }
    qsizetype count() const { return m_numbers.size(); }

private:
    QHash<QString, qsizetype> m_numbers;
    QString m_lastGroup;
    qsizetype m_lastNumber = -1;
};

// The base order of the global and workspace prompts, kept as positions so that each prompt is
// copied at most once: the panel asks for it on every key press.
class BaseOrder {
public:
    BaseOrder(const QList<PromptItem>& globalPrompts, const QList<PromptItem>& workspacePrompts)
        : m_global(globalPrompts), m_workspace(workspacePrompts) {
        const qsizetype total = m_global.size() + m_workspace.size();
        GroupNumbering numbering;
        std::vector<qsizetype> bucketOf(static_cast<size_t>(total)); // per group: the pinned, then the rest
        for (qsizetype i = 0; i < total; ++i) {
            const PromptItem& prompt = at(i);
            bucketOf[size_t(i)] = 2 * numbering.numberOf(prompt.group) + (prompt.isPinned ? 0 : 1);
        }
        std::vector<qsizetype> next(static_cast<size_t>(2 * numbering.count() + 1), 0);
        for (const qsizetype bucket : bucketOf) {
            ++next[size_t(bucket + 1)];
        }
        for (size_t b = 1; b < next.size(); ++b) {
            next[b] += next[b - 1];
        }
        m_order.resize(size_t(total));
        for (qsizetype i = 0; i < total; ++i) {
            const qsizetype position = next[size_t(bucketOf[size_t(i)])]++;
            m_order[size_t(position)] = i;
            m_unchanged = m_unchanged && position == i;
        }
    }

    QList<qint32> positions() const {
        QList<qint32> positions;
        positions.reserve(qsizetype(m_order.size()));
        for (const qsizetype i : m_order) {
            positions.append(qint32(i));
        }
        return positions;
    }

    QList<PromptItem> prompts() const {
        if (m_unchanged && m_workspace.isEmpty()) {
            return m_global;
        }
        if (m_unchanged && m_global.isEmpty()) {
            return m_workspace;
        }
        QList<PromptItem> ordered;
        ordered.reserve(qsizetype(m_order.size()));
        for (const qsizetype i : m_order) {
            ordered.append(at(i));
        }
        return ordered;
    }

private:
    const PromptItem& at(qsizetype i) const {
        return i < m_global.size() ? m_global.at(i) : m_workspace.at(i - m_global.size());
    }

    const QList<PromptItem>& m_global;
    const QList<PromptItem>& m_workspace;
    std::vector<qsizetype> m_order;
    bool m_unchanged = true; // the order is the global prompts, then the workspace's
};

// Two lists are the same while they share their data: the cache holds a copy of each list it
// keys on, so a change to the store's list detaches it from the copy.
bool isSameList(const QList<PromptItem>& a, const QList<PromptItem>& b) {
    return a.size() == b.size() && (a.isEmpty() || a.constData() == b.constData());
}

} // namespace

struct PromptStore::SnapshotCache {
    // The base order of one pair of global and workspace lists, and its order in the last sort
    // mode other than manual with the usage records that order was made from.
    struct Order {
        QList<PromptItem> global;
        QList<PromptItem> workspace;
        QList<qint32> base;
        PromptSortMode sortedMode = PromptSortMode::manual;
        QHash<QString, PromptUsageRecord> sortedWith;
        QList<qint32> sorted;
    };
    std::optional<Order> order;
    // The search forms of the lists searched last, the latest first.
    QList<std::shared_ptr<const PromptSearchIndex>> searchIndexes;
    std::optional<QList<PromptItem>> editableSource;
    QSet<QString> editableIDs;

    QList<qint32> sortedOrder(const QList<PromptItem>& global, const QList<PromptItem>& workspace, PromptSortMode mode,
                              const QHash<QString, PromptUsageRecord>& usage) {
        if (!order || !isSameList(order->global, global) || !isSameList(order->workspace, workspace)) {
            order = Order{global, workspace, BaseOrder(global, workspace).positions()};
        }
        if (mode == PromptSortMode::manual) {
            return order->base;
        }
        if (order->sortedMode != mode || !order->sortedWith.isSharedWith(usage)) {
            const qsizetype globalCount = global.size();
            order->sorted = PromptSorter::sortedPositions(
                order->base, mode, usage, [&global, &workspace, globalCount](qint32 p) -> const QString& {
                    return p < globalCount ? global.at(p).id : workspace.at(p - globalCount).id;
                });
            order->sortedMode = mode;
            order->sortedWith = usage;
        }
        return order->sorted;
    }

    std::shared_ptr<const PromptSearchIndex> searchIndex(const QList<PromptItem>& prompts) {
        constexpr qsizetype kept = 4;
        for (qsizetype i = 0; i < searchIndexes.size(); ++i) {
            if (isSameList(searchIndexes.at(i)->prompts(), prompts)) {
                searchIndexes.move(i, 0);
                return searchIndexes.first();
            }
        }
        searchIndexes.prepend(std::make_shared<const PromptSearchIndex>(prompts));
        if (searchIndexes.size() > kept) {
            searchIndexes.removeLast();
        }
        return searchIndexes.first();
    }

    QSet<QString> editablePromptIDs(const QList<PromptItem>& prompts) {
        if (!editableSource || !isSameList(*editableSource, prompts)) {
            editableIDs.clear();
            editableIDs.reserve(prompts.size());
            for (const PromptItem& prompt : prompts) {
                editableIDs.insert(prompt.id);
            }
            editableSource = prompts;
        }
        return editableIDs;
    }
};

PromptStore::PromptStore(const AppEnvironment& environment, std::function<AppLanguage()> languageProvider,
                         bool loadsOnInit, Services services, QObject* parent)
    : QObject(parent), m_environment(environment), m_languageProvider(std::move(languageProvider)),
      m_configLoader(std::move(services.configLoader)), m_persistence(std::move(services.persistence)),
      m_usageStore(services.usageStore), m_bindingStore(services.bindingStore),
      m_snapshotCache(std::make_unique<SnapshotCache>()) {
    m_statusMessage = text(L10N("status.not.loaded"));
    if (!m_configLoader) {
        m_configLoader = std::make_shared<BackgroundPromptConfigLoader>(m_environment);
    }
    if (!m_persistence) {
        m_persistence = std::make_shared<PromptPersistenceService>(m_environment, m_languageProvider);
    }
    m_projectConfigLoader = std::make_unique<ProjectPromptConfigLoader>(m_environment, m_languageProvider, 2);
    m_projectConfigTrustStore = std::make_unique<ProjectConfigTrustStore>(m_environment);
    m_promptPackService = std::make_unique<PromptPackService>(m_environment, m_languageProvider);
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
                        applyLoadResult(future.result(), previousSelection, loadLanguage, preservedStatus);
                        // The replaced library is gone; its pages go back to the system.
                        LibraryMemory::giveBackFreedMemory();
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

void PromptStore::applyLoadResult(PromptLoadResult result, const std::optional<QString>& previousSelection,
                                  AppLanguage language, const std::optional<QString>& preservedStatus) {
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

    // The samples, or an empty library, are no state of the user's files worth keeping: a folder
    // restored from a backup with one broken file must show the rest of it.
    const bool keepsLastGoodState = m_hasSuccessfulConfigSnapshot && !m_showsTransientSamples &&
                                    (!m_globalPrompts.isEmpty() || !m_workspaces.isEmpty());
    // A kept copy is named beside the files, but the load itself did not fail.
    const bool loadFailed = std::any_of(m_configIssues.cbegin(), m_configIssues.cend(), [](const auto& issue) {
        return issue.kind != PromptConfigIssueKind::keptCopy;
    });
    if (loadFailed) {
        if (keepsLastGoodState) {
            status = text(L10N("status.config.preserved.previous"));
        } else {
            // No good state of the user's files to fall back on: the files that did load are
            // shown, so one broken file does not hide every other workspace. Usage is left alone,
            // since the prompts of the broken file may come back once it is mended.
            m_showsTransientSamples =
                result.showsTransientSamples && (!result.globalPrompts.isEmpty() || !result.workspaces.isEmpty());
            m_globalPrompts = std::move(result.globalPrompts);
            m_workspaces = std::move(result.workspaces);
            m_workspaceMetadata = std::move(result.workspaceMetadata);
        }
    } else {
        forgetUsageOfRemovedPrompts(result.globalPrompts, result.workspaces);
        m_showsTransientSamples =
            result.showsTransientSamples && (!result.globalPrompts.isEmpty() || !result.workspaces.isEmpty());
        m_globalPrompts = std::move(result.globalPrompts);
        m_workspaces = std::move(result.workspaces);
        m_workspaceMetadata = std::move(result.workspaceMetadata);
        m_hasSuccessfulConfigSnapshot = true;
    }

    m_bindingStore->reload();
    if (m_bindingStore->agentWorkspaceBindingLoadError()) {
        status = text(L10N("status.binding.file.unreadable"));
    }

    // Also when the state was kept: project files are read afresh from now on.
    clearProjectWorkspaceCaches();
    // The cache holds the lists it was made for; letting go of them frees the replaced library.
    *m_snapshotCache = SnapshotCache();
    emit contentChanged();

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

    // A plain reload that read every file shows the library as it is now: the error of an
    // earlier failed edit no longer describes it. A reload that keeps an operation's status
    // keeps that operation's error too.
    if (!preservedStatus && m_configIssues.isEmpty()) {
        setLastErrorMessage(std::nullopt);
    }
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
    return promptSectionsOf(PromptSelection(prompts));
}

QList<PromptSection> PromptStore::promptSectionsOf(const PromptSelection& prompts) const {
    if (prompts.isEmpty()) {
        return {};
    }
    if (m_sortMode != PromptSortMode::manual) {
        const QString title = m_sortMode == PromptSortMode::recent ? text(L10N("settings.usage.sort.recent"))
                                                                   : text(L10N("settings.usage.sort.frequent"));
        return {PromptSection{PromptSortModes::rawValue(m_sortMode), title, prompts}};
    }
    // The base order keeps each group together, so the panel's prompts come as one run per
    // group, and each section is a slice of them. A group met again after its run makes them
    // gather by group the long way.
    QList<PromptSection> sections;
    QSet<QString> groups;
    qsizetype start = 0;
    for (qsizetype i = 1; i <= prompts.size(); ++i) {
        const QString& group = prompts.at(start).group;
        if (i < prompts.size() && prompts.at(i).group == group) {
            continue;
        }
        if (groups.contains(group)) {
            sections.clear();
            break;
        }
        groups.insert(group);
        sections.append(PromptSection{group, group, prompts.sliced(start, i - start)});
        start = i;
    }
    if (!sections.isEmpty()) {
        return sections;
    }

    GroupNumbering numbering;
    QList<QList<qsizetype>> members;
    for (qsizetype i = 0; i < prompts.size(); ++i) {
        const qsizetype section = numbering.numberOf(prompts.at(i).group);
        if (section == members.size()) {
            members.append(QList<qsizetype>());
        }
        members[section].append(i);
    }
    sections.reserve(members.size());
    for (const QList<qsizetype>& indices : std::as_const(members)) {
        const QString& group = prompts.at(indices.first()).group;
        sections.append(PromptSection{group, group, prompts.picked(indices)});
    }
    return sections;
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

PromptMatchingService PromptStore::matchingService() {
    PromptMatchingService service;
    service.workspaces = m_workspaces;
    service.bindingStore = m_bindingStore;
    service.advancedAutomaticMatchingEnabled = m_advancedAutomaticMatchingEnabled;
    service.projectConfigsEnabled = m_projectConfigsEnabled;
    service.homePath = m_environment.homePath;
    service.isProjectConfigTrusted = [trustStore = m_projectConfigTrustStore.get()](const QString& path) {
        return trustStore->isTrusted(path);
    };
    service.projectConfigPath = [this](const AgentContext& context) { return projectConfigPath(context); };
    service.projectWorkspace = [this](const AgentContext& context, const QString& path) {
        return projectWorkspace(context, path);
    };
    return service;
}

QList<PromptItem> PromptStore::allPrompts(const ContextMatchDetails& matchDetails) const {
    return basePromptOrder(m_globalPrompts,
                           matchDetails.workspace ? matchDetails.workspace->prompts : QList<PromptItem>());
}

PromptSelection PromptStore::visiblePrompts(const AgentContext& context, const ContextMatchDetails& matchDetails,
                                            const QString& searchText) const {
    Q_UNUSED(context);
    const QList<PromptItem> none;
    const QList<PromptItem>& workspacePrompts = matchDetails.workspace ? matchDetails.workspace->prompts : none;
    const QList<qint32> order =
        m_snapshotCache->sortedOrder(m_globalPrompts, workspacePrompts, m_sortMode, m_usageStore->records());
    const PromptSearchQuery query(searchText);
    if (query.isEmpty()) {
        return PromptSelection(m_globalPrompts, workspacePrompts, order);
    }
    // Filtering keeps the order, so the search runs over the sorted order the cache keeps.
    const std::shared_ptr<const PromptSearchIndex> global = m_snapshotCache->searchIndex(m_globalPrompts);
    const std::shared_ptr<const PromptSearchIndex> workspace = m_snapshotCache->searchIndex(workspacePrompts);
    const qsizetype globalCount = m_globalPrompts.size();
    QList<qint32> kept;
    for (const qint32 position : order) {
        if (position < globalCount ? global->matches(position, query)
                                   : workspace->matches(position - globalCount, query)) {
            kept.append(position);
        }
    }
    return PromptSelection(m_globalPrompts, workspacePrompts, std::move(kept));
}

QSet<QString> PromptStore::editablePromptIDs(const ContextMatchDetails& matchDetails) const {
    const std::optional<PromptWorkspace>& workspace = matchDetails.workspace;
    if (!workspace || workspace->source != PromptWorkspaceSource::userWorkspace) {
        return {};
    }
    return m_snapshotCache->editablePromptIDs(workspace->prompts);
}

bool PromptStore::promptMatchesSearch(const PromptItem& prompt, const QString& query) {
    return PromptSearchQuery(query).matches(prompt);
}

QList<PromptItem> PromptStore::basePromptOrder(const QList<PromptItem>& globalPrompts,
                                               const QList<PromptItem>& workspacePrompts) {
    return BaseOrder(globalPrompts, workspacePrompts).prompts();
}

// ---- Project files and trust -----------------------------------------------------------------

std::optional<QString> PromptStore::projectConfigPath(const AgentContext& context) const {
    const WorkspaceMatcher matcher({}, m_environment.homePath);
    const std::optional<QString> folder = matcher.validatedContextWorkspacePath(context);
    if (!folder) {
        return std::nullopt;
    }
    const std::optional<QString> found = m_projectConfigLoader->configURL(*folder);
    if (!found) {
        return std::nullopt;
    }
    return QDir::cleanPath(*found);
}

std::optional<PromptWorkspace> PromptStore::projectWorkspace(const AgentContext& context, const QString& configPath) {
    const WorkspaceMatcher matcher({}, m_environment.homePath);
    const std::optional<QString> folder = matcher.validatedContextWorkspacePath(context);
    if (!folder) {
        return std::nullopt;
    }
    const QString key = matcher.normalizePath(configPath);
    const auto cached = m_projectWorkspaceCache.constFind(key);
    if (cached != m_projectWorkspaceCache.constEnd()) {
        return *cached;
    }
    if (m_projectWorkspaceMisses.contains(key)) {
        return std::nullopt;
    }
    ProjectConfigLoad load = m_projectConfigLoader->loadWorkspace(configPath, *folder);
    if (!load.workspace) {
        m_projectWorkspaceMisses.insert(key);
        return std::nullopt;
    }
    // The trust check read the file a moment ago; what was loaded now must be those same bytes,
    // or a file changed in between would be shown as trusted. Not remembered: the next match
    // asks for trust again.
    if (!load.workspace->fileVersion ||
        !m_projectConfigTrustStore->isTrusted(configPath, load.workspace->fileVersion->contentHash)) {
        qCWarning(lcPrompts).noquote() << "Load project config refused file=" + AppLog::fileContext(configPath)
                                       << "reason=changedSinceTrustCheck";
        return std::nullopt;
    }
    for (const PromptItem& prompt : std::as_const(load.workspace->prompts)) {
        m_projectPromptIDsSeen.insert(prompt.id);
    }
    m_projectWorkspaceCache.insert(key, *load.workspace);
    return load.workspace;
}

bool PromptStore::trustProjectConfig(const QString& path) {
    const Status trusted = m_projectConfigTrustStore->trust(path);
    if (!trusted) {
        qCCritical(lcPersistence).noquote() << "Trust project config failed file=" +
                                                   (path.isEmpty() ? QStringLiteral("none") : AppLog::fileContext(path))
                                            << "error=" + AppLog::errorSummary(trusted.error());
        setLastErrorMessage(trusted.error().message);
        setStatusMessage(text(L10N("status.project.trust.failed")));
        return false;
    }
    clearProjectWorkspaceCaches();
    setLastErrorMessage(std::nullopt);
    setStatusMessage(text(L10N("status.project.trusted")));
    emit contentChanged();
    return true;
}

// ---- Edits -------------------------------------------------------------------------------------

const PromptWorkspace* PromptStore::workspaceWithID(const QString& id) const {
    for (const PromptWorkspace& workspace : m_workspaces) {
        if (workspace.id == id) {
            return &workspace;
        }
    }
    return nullptr;
}

void PromptStore::reportSaveFailure(const QString& errorMessage) {
    setLastErrorMessage(errorMessage);
    setStatusMessage(text(L10N("status.save.failed")));
}

bool PromptStore::mutateWorkspace(const QString& workspaceID,
                                  const std::optional<WorkspaceFileVersion>& expectedVersion,
                                  const std::function<bool(PromptWorkspace&)>& change, const QString& refusal) {
    const PromptWorkspace* found = workspaceWithID(workspaceID);
    if (!found) {
        reportSaveFailure(text(L10N("error.workspace.not.found")));
        return false;
    }
    if (found->source != PromptWorkspaceSource::userWorkspace) {
        reportSaveFailure(readOnlyReason(*found));
        return false;
    }
    PromptWorkspace copy = *found;
    if (!change(copy)) {
        qCWarning(lcPersistence).noquote()
            << "Save workspace refused workspaceID=" + AppLog::workspaceIDContext(workspaceID)
            << "file=" + AppLog::fileContext(copy.fileURL) << "reason=promptNotFound";
        reportSaveFailure(refusal);
        return false;
    }
    return saveMutatedWorkspace(copy, expectedVersion);
}

bool PromptStore::saveMutatedWorkspace(const PromptWorkspace& workspace,
                                       const std::optional<WorkspaceFileVersion>& expectedVersion) {
    Result<PromptWorkspace> saved = m_persistence->saveWorkspace(workspace, expectedVersion);
    if (!saved) {
        const AppError& error = saved.error();
        qCCritical(lcPersistence).noquote()
            << "Save workspace failed workspaceID=" + AppLog::workspaceIDContext(workspace.id)
            << "file=" + AppLog::fileContext(workspace.fileURL)
            << "promptCount=" + QString::number(workspace.prompts.size()) << "error=" + AppLog::errorSummary(error);
        m_lastWorkspaceSaveIssue = WorkspaceSaveError::from(error, m_persistence->saveTarget(workspace));
        m_lastErrorMessage = error.message;
        m_statusMessage = text(L10N("status.save.failed"));
        emit statusChanged();
        return false;
    }
    auto existing = std::find_if(m_workspaces.begin(), m_workspaces.end(),
                                 [&](const PromptWorkspace& candidate) { return candidate.id == workspace.id; });
    if (existing != m_workspaces.end()) {
        *existing = *saved;
    } else {
        m_workspaces.append(*saved);
    }
    clearProjectWorkspaceCaches();
    m_lastWorkspaceSaveIssue.reset();
    m_lastErrorMessage.reset();
    m_statusMessage = L10n::string(L10N("status.saved.workspace"), language(), saved->name);
    emit contentChanged();
    emit statusChanged();
    return true;
}

QSet<QString> PromptStore::loadedPromptIDs() const {
    QSet<QString> ids;
    for (const PromptItem& prompt : m_globalPrompts) {
        ids.insert(prompt.id);
    }
    for (const PromptWorkspace& workspace : m_workspaces) {
        for (const PromptItem& prompt : workspace.prompts) {
            ids.insert(prompt.id);
        }
    }
    return ids;
}

bool PromptStore::importPrompts(const QList<PromptItem>& prompts, const QString& workspaceID) {
    if (prompts.isEmpty()) {
        return false;
    }
    // Imported prompts whose ids are taken get fresh ones: the next load would otherwise give the
    // fresh id to whichever prompt comes later in its order, maybe the one already there.
    const QList<PromptItem> imported = PromptPackService::normalize(prompts, loadedPromptIDs());
    return mutateWorkspace(workspaceID, std::nullopt, [&imported](PromptWorkspace& workspace) {
        workspace.prompts.append(imported);
        return true;
    });
}

bool PromptStore::addPrompt(const PromptItem& prompt, const QString& workspaceID) {
    return mutateWorkspace(workspaceID, std::nullopt, [&prompt](PromptWorkspace& workspace) {
        workspace.prompts.append(prompt);
        return true;
    });
}

bool PromptStore::updatePrompt(const PromptItem& prompt, const QString& workspaceID) {
    return mutateWorkspace(
        workspaceID, std::nullopt,
        [&prompt](PromptWorkspace& workspace) {
            for (PromptItem& existing : workspace.prompts) {
                if (existing.id == prompt.id) {
                    existing = prompt;
                    return true;
                }
            }
            return false;
        },
        text(L10N("error.prompt.not.found")));
}

void PromptStore::togglePinned(const QString& promptID, const QString& workspaceID) {
    // A prompt that a reload removed cannot be pinned: report it instead of rewriting the file
    // unchanged and calling that a save.
    mutateWorkspace(
        workspaceID, std::nullopt,
        [&promptID](PromptWorkspace& workspace) {
            for (PromptItem& prompt : workspace.prompts) {
                if (prompt.id == promptID) {
                    prompt.isPinned = !prompt.isPinned;
                    return true;
                }
            }
            return false;
        },
        text(L10N("error.prompt.not.found")));
}

bool PromptStore::deletePrompt(const QString& promptID, const QString& workspaceID) {
    const bool deleted = mutateWorkspace(workspaceID, std::nullopt, [&promptID](PromptWorkspace& workspace) {
        workspace.prompts.removeIf([&promptID](const PromptItem& prompt) { return prompt.id == promptID; });
        return true;
    });
    // A later prompt with the same title gets the same id; it must not inherit the counts.
    if (deleted) {
        m_usageStore->remove(promptID);
    }
    return deleted;
}

bool PromptStore::updateWorkspace(const QString& workspaceID, const QString& name, const QString& matchPathsText,
                                  const std::optional<WorkspaceFileVersion>& expectedVersion) {
    return mutateWorkspace(workspaceID, expectedVersion, [&](PromptWorkspace& workspace) {
        const QString trimmed = Text::trimWhitespaceAndNewlines(name);
        if (!trimmed.isEmpty()) {
            workspace.name = trimmed;
        }
        workspace.matchPaths = parseLines(matchPathsText);
        return true;
    });
}

bool PromptStore::canMovePrompt(const QString& promptID, const QString& workspaceID,
                                PromptMoveDirection direction) const {
    const PromptWorkspace* workspace = workspaceWithID(workspaceID);
    return workspace && workspace->source == PromptWorkspaceSource::userWorkspace &&
           workspace->canMovePrompt(promptID, direction);
}

void PromptStore::movePrompt(const QString& promptID, const QString& workspaceID, PromptMoveDirection direction) {
    const PromptWorkspace* found = workspaceWithID(workspaceID);
    if (!found) {
        reportSaveFailure(text(L10N("error.workspace.not.found")));
        return;
    }
    // Only user workspace files are ours to rewrite; a sample has no file and a project file
    // belongs to its project.
    if (found->source != PromptWorkspaceSource::userWorkspace) {
        reportSaveFailure(readOnlyReason(*found));
        return;
    }
    PromptWorkspace copy = *found;
    if (!copy.movePrompt(promptID, direction)) {
        return;
    }
    saveMutatedWorkspace(copy, std::nullopt);
}

std::optional<PromptWorkspace> PromptStore::createWorkspace(const QString& name, const QString& matchPathsText) {
    Result<PromptWorkspace> created = m_persistence->createWorkspace(name, parseLines(matchPathsText));
    if (!created) {
        qCCritical(lcPersistence).noquote()
            << "Create workspace failed promptCount=0 error=" + AppLog::errorSummary(created.error());
        setLastErrorMessage(created.error().message);
        setStatusMessage(text(L10N("status.create.workspace.failed")));
        return std::nullopt;
    }
    publishPersistedWorkspace(*created);
    setLastEditedWorkspaceID(created->id);
    setLastErrorMessage(std::nullopt);
    const QString status = L10n::string(L10N("status.created.workspace"), language(), created->name);
    setStatusMessage(status);
    reload(status);
    return *created;
}

// ---- Workspace deletion --------------------------------------------------------------------------

WorkspaceBatchDeletionResult PromptStore::deleteWorkspaces(const QSet<QString>& ids,
                                                           const QList<PromptWorkspace>& extraWorkspaces) {
    const QList<PromptWorkspace> candidates = workspaceManagerWorkspaces(extraWorkspaces);
    QStringList orderedIDs(ids.cbegin(), ids.cend());
    std::sort(orderedIDs.begin(), orderedIDs.end(), Text::codePointLess);

    WorkspaceBatchDeletionResult batch;
    for (const QString& id : std::as_const(orderedIDs)) {
        const auto found = std::find_if(candidates.cbegin(), candidates.cend(),
                                        [&id](const PromptWorkspace& candidate) { return candidate.id == id; });
        if (found != candidates.cend()) {
            batch.results.append(deleteWorkspaceForManager(*found));
        } else {
            batch.results.append(
                WorkspaceDeletionResult{id, id, false, false, text(L10N("error.workspace.not.found"))});
        }
    }
    std::stable_sort(batch.results.begin(), batch.results.end(),
                     [](const WorkspaceDeletionResult& a, const WorkspaceDeletionResult& b) {
                         return Text::codePointLess(a.name, b.name);
                     });

    QStringList failureLines;
    for (const WorkspaceDeletionResult& failure : batch.failures()) {
        failureLines.append(failure.name + QStringLiteral(": ") + failure.message);
    }
    setLastErrorMessage(failureLines.isEmpty()
                            ? std::nullopt
                            : std::optional<QString>(failureLines.join(text(L10N("list.separator")))));
    setStatusMessage(L10n::string(L10N("workspace.manager.delete.result"), language(),
                                  QString::number(batch.successCount()), QString::number(batch.failureCount())));
    emit contentChanged();
    return batch;
}

WorkspaceDeletionResult PromptStore::deleteWorkspaceForManager(const PromptWorkspace& workspace) {
    if (workspace.source != PromptWorkspaceSource::userWorkspace) {
        return WorkspaceDeletionResult{workspace.id, workspace.name, false, false, readOnlyReason(workspace)};
    }

    const QList<PromptWorkspace> workspacesBefore = m_workspaces;
    const std::optional<QString> lastEditedBefore = m_lastEditedWorkspaceID;
    const ContextBindingStateSnapshot bindingsBefore = m_bindingStore->stateSnapshot();

    std::optional<WorkspaceFileIsolation> isolation;
    bool fileRemoved = false;
    const auto rollBack = [&](const AppError& error) {
        qCCritical(lcPersistence).noquote()
            << "Delete workspace failed workspaceID=" + AppLog::workspaceIDContext(workspace.id)
            << "file=" + AppLog::fileContext(workspace.fileURL) << "error=" + AppLog::errorSummary(error);
        if (fileRemoved) {
            if (const Result<QString> restored = m_persistence->restoreRemovedWorkspaceFile(*isolation); !restored) {
                qCCritical(lcPersistence).noquote()
                    << "Restore removed workspace file failed workspaceID=" + AppLog::workspaceIDContext(workspace.id)
                    << "error=" + AppLog::errorSummary(restored.error());
            }
        } else if (const Status restored = m_persistence->restoreIsolatedWorkspaceFile(isolation); !restored) {
            qCCritical(lcPersistence).noquote()
                << "Restore isolated workspace file failed workspaceID=" + AppLog::workspaceIDContext(workspace.id)
                << "error=" + AppLog::errorSummary(restored.error());
        }
        if (const Status restored = m_bindingStore->restoreState(bindingsBefore); !restored) {
            qCCritical(lcContext).noquote()
                << "Restore binding state failed workspaceID=" + AppLog::workspaceIDContext(workspace.id)
                << "error=" + AppLog::errorSummary(restored.error());
        }
        if (m_workspaces != workspacesBefore) {
            m_workspaces = workspacesBefore;
            emit contentChanged();
        }
        clearProjectWorkspaceCaches();
        setLastEditedWorkspaceID(lastEditedBefore);
        return WorkspaceDeletionResult{workspace.id, workspace.name, false, false, error.message};
    };

    Result<std::optional<WorkspaceFileIsolation>> isolated = m_persistence->isolateWorkspaceFile(workspace);
    if (!isolated) {
        return rollBack(isolated.error());
    }
    isolation = *isolated;
    // The bindings go only once the file is gone: a crash before that leaves a file that the next
    // start puts back with its bindings intact. The kept bytes undo a later failure. Without
    // them the file can only be put back while it is still aside, so it goes last.
    const bool removesFileFirst = isolation && isolation->content;
    if (removesFileFirst) {
        if (const Status removed = m_persistence->finalWorkspaceRemoval(isolation->isolatedURL); !removed) {
            return rollBack(removed.error());
        }
        fileRemoved = true;
    }
    if (const Status unbound = m_bindingStore->deleteWorkspaceReferences(workspace.id); !unbound) {
        return rollBack(unbound.error());
    }

    // The file goes for good before the store lets go of the workspace, so that observers never
    // see a deletion that is then undone.
    if (isolation && !removesFileFirst) {
        if (const Status removed = m_persistence->finalWorkspaceRemoval(isolation->isolatedURL); !removed) {
            return rollBack(removed.error());
        }
    }
    m_workspaces.removeIf([&workspace](const PromptWorkspace& candidate) { return candidate.id == workspace.id; });
    clearProjectWorkspaceCaches();
    if (m_lastEditedWorkspaceID == workspace.id) {
        setLastEditedWorkspaceID(std::nullopt);
    }
    emit contentChanged();

    for (const PromptItem& prompt : workspace.prompts) {
        m_usageStore->remove(prompt.id);
    }
    return WorkspaceDeletionResult{workspace.id, workspace.name, true, false,
                                   text(L10N("workspace.manager.deleted.directly"))};
}

// ---- Copies, transient samples and selection ----------------------------------------------------

void PromptStore::publishCreatedWorkspace(const PromptWorkspace& created) {
    setLastEditedWorkspaceID(created.id);
    m_lastWorkspaceSaveIssue.reset();
    m_lastErrorMessage.reset();
    m_statusMessage = L10n::string(L10N("status.created.workspace"), language(), created.name);
    emit statusChanged();
    reload(m_statusMessage);
}

std::optional<PromptWorkspace> PromptStore::saveWorkspaceAsNewCopy(const QString& workspaceID, const QString& name,
                                                                   const QString& matchPathsText) {
    const PromptWorkspace* found = workspaceWithID(workspaceID);
    if (!found) {
        setLastErrorMessage(text(L10N("error.workspace.not.found")));
        setStatusMessage(text(L10N("status.create.workspace.failed")));
        return std::nullopt;
    }
    const QString trimmed = Text::trimWhitespaceAndNewlines(name);
    const QString copyName = trimmed.isEmpty() ? found->name : trimmed;
    // The copied workspace and its file are left as they are, whatever its source.
    const PromptWorkspace source = *found;
    Result<PromptWorkspace> saved =
        m_persistence->createWorkspace(copyName, parseLines(matchPathsText), source.prompts);
    if (!saved) {
        qCCritical(lcPersistence).noquote()
            << "Create workspace copy failed workspaceID=" + AppLog::workspaceIDContext(source.id)
            << "promptCount=" + QString::number(source.prompts.size())
            << "error=" + AppLog::errorSummary(saved.error());
        // The save issue stays, so the way out is still offered.
        setLastErrorMessage(saved.error().message);
        setStatusMessage(text(L10N("status.create.workspace.failed")));
        return std::nullopt;
    }
    publishPersistedWorkspace(*saved);
    publishCreatedWorkspace(*saved);
    return *saved;
}

std::optional<PromptWorkspace> PromptStore::saveTransientSampleAsWorkspace(const PromptWorkspace& sample,
                                                                           const QString& name) {
    if (sample.source != PromptWorkspaceSource::transientSample) {
        setLastErrorMessage(readOnlyReason(sample));
        setStatusMessage(text(L10N("status.create.workspace.failed")));
        return std::nullopt;
    }
    const QString trimmed = Text::trimWhitespaceAndNewlines(name);
    Result<PromptWorkspace> saved =
        m_persistence->createWorkspace(trimmed.isEmpty() ? sample.name : trimmed, {}, sample.prompts);
    if (!saved) {
        qCCritical(lcPersistence).noquote()
            << "Create workspace from transient sample failed sampleID=" + AppLog::printable(sample.id)
            << "promptCount=" + QString::number(sample.prompts.size())
            << "error=" + AppLog::errorSummary(saved.error());
        setLastErrorMessage(saved.error().message);
        setStatusMessage(text(L10N("status.create.workspace.failed")));
        return std::nullopt;
    }
    m_environment.defaults->setBool(PromptConfigLoader::transientSamplesDismissedKey, true);
    removeTransientSamplesFromCurrentState();
    publishPersistedWorkspace(*saved);
    publishCreatedWorkspace(*saved);
    return *saved;
}

void PromptStore::dismissTransientSamples() {
    m_environment.defaults->setBool(PromptConfigLoader::transientSamplesDismissedKey, true);
    removeTransientSamplesFromCurrentState();
    reload();
}

void PromptStore::removeTransientSamplesFromCurrentState() {
    // While the samples show, the global prompts are sample prompts too.
    if (m_showsTransientSamples) {
        m_globalPrompts.clear();
    }
    m_workspaces.removeIf(
        [](const PromptWorkspace& workspace) { return workspace.source == PromptWorkspaceSource::transientSample; });
    m_showsTransientSamples = false;
    emit contentChanged();
}

QList<PromptWorkspace> PromptStore::boundWorkspaces(const AgentContext& context) {
    QList<PromptWorkspace> bound;
    for (const AgentWorkspaceBinding& binding : matchingService().validAgentBindings(context)) {
        if (const PromptWorkspace* workspace = workspaceWithID(binding.workspaceID)) {
            bound.append(*workspace);
        }
    }
    return bound;
}

void PromptStore::selectWorkspace(const QString& workspaceID, const AgentContext& context) {
    const QList<AgentWorkspaceBinding> bindings = matchingService().validAgentBindings(context);
    const bool bound = std::any_of(bindings.cbegin(), bindings.cend(),
                                   [&workspaceID](const auto& binding) { return binding.workspaceID == workspaceID; });
    if (!bound) {
        return;
    }
    if (const Status saved = m_bindingStore->setLastSelectedWorkspaceID(workspaceID, context); !saved) {
        qCCritical(lcContext).noquote() << "Save last selected workspace failed agent=" +
                                               AgentTypes::rawValue(context.agent)
                                        << "workspaceID=" + AppLog::workspaceIDContext(workspaceID)
                                        << "error=" + AppLog::errorSummary(saved.error());
    }
    emit bindingsChanged();
}

QList<PromptWorkspace> PromptStore::workspaceManagerWorkspaces(const QList<PromptWorkspace>& extraWorkspaces) const {
    QList<PromptWorkspace> listed;
    if (!m_globalPrompts.isEmpty()) {
        PromptWorkspace global;
        global.id = globalWorkspaceID;
        global.name = text(L10N("sample.global.prompts"));
        global.prompts = m_globalPrompts;
        if (m_showsTransientSamples) {
            global.source = PromptWorkspaceSource::transientSample;
        } else {
            global.source = PromptWorkspaceSource::global;
            global.fileURL = m_persistence->baseDirectory() + QStringLiteral("/global.yaml");
        }
        listed.append(global);
    }
    listed.append(m_workspaces);
    for (const PromptWorkspace& project : m_projectWorkspaceCache) {
        listed.append(project);
    }
    listed.append(extraWorkspaces);

    QSet<QString> seen;
    listed.removeIf([&seen](const PromptWorkspace& workspace) {
        if (seen.contains(workspace.id)) {
            return true;
        }
        seen.insert(workspace.id);
        return false;
    });
    return listed;
}

// ---- Bindings ------------------------------------------------------------------------------------

bool PromptStore::bindContext(const AgentContext& context, const QString& workspaceID) {
    Status bound = m_bindingStore->throwIfBindingsFileUnreadable();
    if (bound) {
        const Result<AgentWorkspaceBinding> added = m_bindingStore->addAgentWorkspaceBinding(
            context.agent, context.frontmostAppName, context.frontmostBundleIdentifier, workspaceID, false);
        bound = added ? Status() : Status(added.error());
    }
    if (bound) {
        bound = m_bindingStore->throwIfBindingsFileUnreadable();
    }
    if (bound) {
        bound = m_bindingStore->setLastSelectedWorkspaceID(workspaceID, context);
    }
    if (!bound) {
        qCCritical(lcContext).noquote() << "Bind context failed agent=" + AgentTypes::rawValue(context.agent)
                                        << "workspaceID=" + AppLog::workspaceIDContext(workspaceID)
                                        << "error=" + AppLog::errorSummary(bound.error());
        setLastErrorMessage(bound.error().message);
        // A binding saved before the selection failed still stands.
        setStatusMessage(text(L10N("status.bind.failed")));
        return false;
    }
    setLastErrorMessage(std::nullopt);
    setStatusMessage(
        L10n::string(L10N("status.bound.agent"), language(), AgentTypes::displayName(context.agent, language())));
    emit bindingsChanged();
    return true;
}

bool PromptStore::bindAgent(AgentType agentType, const QString& workspaceID, bool isDefault) {
    Status bound = m_bindingStore->throwIfBindingsFileUnreadable();
    if (bound) {
        const Result<AgentWorkspaceBinding> added = m_bindingStore->addAgentWorkspaceBinding(
            agentType, AgentTypes::defaultAppName(agentType), AgentTypes::defaultBundleIdentifier(agentType),
            workspaceID, isDefault);
        bound = added ? Status() : Status(added.error());
    }
    if (!bound) {
        qCCritical(lcContext).noquote() << "Bind agent failed agent=" + AgentTypes::rawValue(agentType)
                                        << "workspaceID=" + AppLog::workspaceIDContext(workspaceID)
                                        << "error=" + AppLog::errorSummary(bound.error());
        setLastErrorMessage(bound.error().message);
        setStatusMessage(text(L10N("status.bind.failed")));
        return false;
    }
    setLastErrorMessage(std::nullopt);
    setStatusMessage(
        L10n::string(L10N("status.bound.agent"), language(), AgentTypes::displayName(agentType, language())));
    emit bindingsChanged();
    return true;
}

bool PromptStore::deleteBinding(const QString& bindingID) {
    Status deleted = m_bindingStore->throwIfBindingsFileUnreadable();
    if (deleted) {
        deleted = m_bindingStore->deleteAgentWorkspaceBinding(bindingID);
    }
    if (!deleted) {
        qCCritical(lcContext).noquote() << "Delete binding failed bindingID=" + AppLog::printable(bindingID)
                                        << "error=" + AppLog::errorSummary(deleted.error());
        setLastErrorMessage(deleted.error().message);
        setStatusMessage(text(L10N("status.delete.binding.failed")));
        return false;
    }
    setLastErrorMessage(std::nullopt);
    setStatusMessage(text(L10N("status.deleted.binding")));
    emit bindingsChanged();
    return true;
}

// ---- Packs ---------------------------------------------------------------------------------------

bool PromptStore::exportPromptPack(const QString& workspaceID, const QString& destination) {
    const PromptWorkspace* found = workspaceWithID(workspaceID);
    if (!found || found->source != PromptWorkspaceSource::userWorkspace || !found->fileURL) {
        setLastErrorMessage(text(L10N("error.export.saved.user.workspace.only")));
        setStatusMessage(text(L10N("status.export.failed")));
        return false;
    }
    const PromptPackMetadata metadata{found->id, found->name, text(L10N("pack.export.description")),
                                      QStringLiteral("1.0.0"), QStringLiteral("Orris Hollows User")};
    // The workspace as the store holds it; its file is not read again.
    const QByteArray data = PromptYAMLEncoder::encodePack(*found, metadata).toUtf8();

    // Written where the user chose, with the ordinary permissions of a user's document.
    QSaveFile file(destination);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
    if (!written) {
        const AppError error = AppError::make(QStringLiteral("FileWriteError"), QStringLiteral("qt.file"),
                                              qint64(file.error()), file.errorString());
        qCCritical(lcPrompts).noquote() << "Export prompt pack failed workspaceID=" +
                                               AppLog::workspaceIDContext(found->id)
                                        << "file=" + AppLog::fileContext(destination)
                                        << "promptCount=" + QString::number(found->prompts.size())
                                        << "error=" + AppLog::errorSummary(error);
        setLastErrorMessage(error.message);
        setStatusMessage(text(L10N("status.export.failed")));
        return false;
    }
    setLastErrorMessage(std::nullopt);
    setStatusMessage(L10n::string(L10N("status.exported.pack"), language(), QFileInfo(destination).fileName()));
    return true;
}

bool PromptStore::installPromptPack(const PromptPack& pack, const std::optional<AgentContext>& bindingContext) {
    Result<PromptWorkspace> installed = m_promptPackService->install(pack, loadedPromptIDs());
    if (!installed) {
        qCCritical(lcPrompts).noquote() << "Install prompt pack failed packID=" + AppLog::printable(pack.metadata.id)
                                        << "promptCount=" + QString::number(pack.workspace.prompts.size())
                                        << "error=" + AppLog::errorSummary(installed.error());
        setLastErrorMessage(installed.error().message);
        setStatusMessage(text(L10N("status.install.pack.failed")));
        return false;
    }
    publishPersistedWorkspace(*installed);
    setLastEditedWorkspaceID(installed->id);
    setLastErrorMessage(std::nullopt);
    setStatusMessage(L10n::string(L10N("status.installed.pack"), language(), pack.metadata.name));
    if (bindingContext && bindingContext->agent != AgentType::unknown) {
        // Sets the status itself, bound or failed; the pack stays installed either way.
        bindContext(*bindingContext, installed->id);
    }
    reload(m_statusMessage);
    return true;
}
