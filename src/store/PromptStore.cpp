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
#include <vector>

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

} // namespace

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
        GroupNumbering numbering;
        std::vector<qsizetype> sectionOf(static_cast<size_t>(prompts.size()));
        std::vector<qsizetype> sizes;
        for (qsizetype i = 0; i < prompts.size(); ++i) {
            const qsizetype section = numbering.numberOf(prompts.at(i).group);
            sectionOf[size_t(i)] = section;
            if (section == qsizetype(sizes.size())) {
                sizes.push_back(0);
            }
            ++sizes[size_t(section)];
        }
        if (sizes.size() == 1) {
            return {PromptSection{prompts.first().group, prompts.first().group, prompts}};
        }
        QList<PromptSection> sections(qsizetype(sizes.size()));
        for (qsizetype i = 0; i < prompts.size(); ++i) {
            PromptSection& section = sections[sectionOf[size_t(i)]];
            if (section.prompts.isEmpty()) {
                section.id = prompts.at(i).group;
                section.title = prompts.at(i).group;
                section.prompts.reserve(sizes[size_t(sectionOf[size_t(i)])]);
            }
            section.prompts.append(prompts.at(i));
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
               occursInTags(prompt.tags);
    }

private:
    // Lower-casing maps each character on its own and never yields a blank, so a query without a
    // blank occurs in the joined tags exactly when it occurs in one of them.
    bool occursInTags(const QStringList& tags) const {
        if (m_query.contains(QLatin1Char(' '))) {
            return occursIn(tags.join(QLatin1Char(' ')));
        }
        return std::any_of(tags.cbegin(), tags.cend(), [this](const QString& tag) { return occursIn(tag); });
    }

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

    template <typename Predicate>
    void keepIf(Predicate keep) {
        const auto end = std::remove_if(m_order.begin(), m_order.end(), [&](qsizetype i) { return !keep(at(i)); });
        m_unchanged = m_unchanged && end == m_order.end();
        m_order.erase(end, m_order.end());
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
    const QList<PromptItem> none;
    const QList<PromptItem>& workspacePrompts = matchDetails.workspace ? matchDetails.workspace->prompts : none;
    BaseOrder base(m_globalPrompts, workspacePrompts);
    // The sort modes break ties by list position, so filtering first gives the same list as
    // sorting first, and sorts only what the search kept.
    const SearchQuery query(searchText);
    if (!query.isEmpty()) {
        base.keepIf([&query](const PromptItem& prompt) { return query.matches(prompt); });
    }
    return PromptSorter::sorted(base.prompts(), m_sortMode, m_usageStore->records());
}

bool PromptStore::promptMatchesSearch(const PromptItem& prompt, const QString& query) {
    return SearchQuery(query).matches(prompt);
}

QList<PromptItem> PromptStore::basePromptOrder(const QList<PromptItem>& globalPrompts,
                                               const QList<PromptItem>& workspacePrompts) {
    return BaseOrder(globalPrompts, workspacePrompts).prompts();
}
