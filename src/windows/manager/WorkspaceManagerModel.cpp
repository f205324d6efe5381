#include "windows/manager/WorkspaceManagerModel.h"

#include "config/PromptPackService.h"
#include "context/ContextBindingStore.h"
#include "model/TextPrimitives.h"
#include "store/PromptStore.h"

#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace {

const QString metaSeparator = QStringLiteral(" \u00B7 ");

// The search rule shared by both searches: trimmed, then lower-cased.
QString searchQuery(const QString& text) {
    return Text::trimWhitespaceAndNewlines(text).toLower();
}

} // namespace

WorkspaceManagerModel::WorkspaceManagerModel(PromptStore& store, std::optional<QString> initialWorkspaceID,
                                             QObject* parent)
    : QObject(parent), m_store(store), m_selectedWorkspaceID(std::move(initialWorkspaceID)) {
    const auto storeChanged = [this] {
        emit listChanged();
        emit detailChanged();
    };
    connect(&m_store, &PromptStore::contentChanged, this, storeChanged);
    connect(&m_store, &PromptStore::bindingsChanged, this, storeChanged);
    connect(&m_store, &PromptStore::statusChanged, this, [this] {
        switch (m_resultSource) {
        case ResultSource::own:
            break;
        case ResultSource::storeStatus:
            setResultFromStoreStatus();
            break;
        case ResultSource::storeErrorOrStatus:
            setResultFromStore();
            break;
        }
    });
}

AppLanguage WorkspaceManagerModel::language() const {
    return m_store.language();
}

QString WorkspaceManagerModel::text(const QString& key) const {
    return L10n::string(key, language());
}

// ---- state ----

void WorkspaceManagerModel::selectWorkspace(const std::optional<QString>& id) {
    if (m_selectedWorkspaceID == id) {
        return;
    }
    m_selectedWorkspaceID = id;
    emit listChanged();
    emit detailChanged();
}

void WorkspaceManagerModel::setTicked(const QString& id, bool ticked) {
    if (ticked) {
        const QList<PromptWorkspace> listed = managerWorkspaces();
        const bool tickable = std::any_of(listed.cbegin(), listed.cend(), [&id](const PromptWorkspace& workspace) {
            return workspace.id == id && isEditable(workspace);
        });
        if (!tickable || m_selectedForDeletion.contains(id)) {
            return;
        }
        m_selectedForDeletion.insert(id);
    } else if (!m_selectedForDeletion.remove(id)) {
        return;
    }
    emit listChanged();
}

void WorkspaceManagerModel::setWorkspaceSearch(const QString& text) {
    if (m_workspaceSearch == text) {
        return;
    }
    m_workspaceSearch = text;
    emit listChanged();
}

void WorkspaceManagerModel::setPromptSearch(const QString& text) {
    if (m_promptSearch == text) {
        return;
    }
    m_promptSearch = text;
    emit detailChanged();
}

void WorkspaceManagerModel::setResultMessage(const std::optional<QString>& message, ResultSource source) {
    m_resultSource = source;
    if (m_resultMessage == message) {
        return;
    }
    m_resultMessage = message;
    emit resultMessageChanged();
}

void WorkspaceManagerModel::setResultFromStore() {
    setResultMessage(m_store.lastErrorMessage().value_or(m_store.statusMessage()), ResultSource::storeErrorOrStatus);
}

void WorkspaceManagerModel::setResultFromStoreStatus() {
    setResultMessage(m_store.statusMessage(), ResultSource::storeStatus);
}

// ---- derived ----

QList<PromptWorkspace> WorkspaceManagerModel::managerWorkspaces() const {
    return m_store.workspaceManagerWorkspaces();
}

QList<PromptWorkspace> WorkspaceManagerModel::filteredWorkspaces() const {
    QList<PromptWorkspace> listed = managerWorkspaces();
    const QString query = searchQuery(m_workspaceSearch);
    if (query.isEmpty()) {
        return listed;
    }
    const AppLanguage interfaceLanguage = language();
    const QString notSaved = text(L10N("workspace.not.saved")).toLower();
    listed.removeIf([&](const PromptWorkspace& workspace) {
        if (workspace.name.toLower().contains(query)) {
            return false;
        }
        if (PromptWorkspaceSources::displayName(workspace.source, interfaceLanguage).toLower().contains(query)) {
            return false;
        }
        // The full path: the row shows "~", but the search compares what the file really is.
        return !(workspace.fileURL ? workspace.fileURL->toLower() : notSaved).contains(query);
    });
    return listed;
}

std::optional<PromptWorkspace> WorkspaceManagerModel::selectedWorkspace() const {
    if (!m_selectedWorkspaceID) {
        return std::nullopt;
    }
    for (const PromptWorkspace& workspace : managerWorkspaces()) {
        if (workspace.id == *m_selectedWorkspaceID) {
            return workspace;
        }
    }
    return std::nullopt;
}

QSet<QString> WorkspaceManagerModel::deletableSelection() const {
    QSet<QString> deletable;
    if (m_selectedForDeletion.isEmpty()) {
        return deletable;
    }
    for (const PromptWorkspace& workspace : managerWorkspaces()) {
        if (isEditable(workspace) && m_selectedForDeletion.contains(workspace.id)) {
            deletable.insert(workspace.id);
        }
    }
    return deletable;
}

std::optional<WorkspaceManagerEmptyState> WorkspaceManagerModel::managerEmptyState() const {
    using Selection = WorkspaceManagerEmptyStateInput::Selection;
    WorkspaceManagerEmptyStateInput input;
    input.workspaceCount = int(managerWorkspaces().size());
    input.filteredWorkspaceCount = int(filteredWorkspaces().size());
    input.isSearching = !Text::trimWhitespaceAndNewlines(m_workspaceSearch).isEmpty();
    if (const std::optional<PromptWorkspace> selected = selectedWorkspace()) {
        input.selection = isEditable(*selected)
                              ? Selection::editable(int(selected->prompts.size()), selected->fileURL.has_value())
                              : Selection::readOnly(canExport(*selected));
    }
    return WorkspaceManagerEmptyState::resolve(input);
}

WorkspaceManagerModel::DetailMode WorkspaceManagerModel::detailMode() const {
    if (selectedWorkspace()) {
        return DetailMode::workspace;
    }
    const std::optional<WorkspaceManagerEmptyState> empty = managerEmptyState();
    if (empty && (empty->kind() == WorkspaceManagerEmptyState::Kind::noData ||
                  empty->kind() == WorkspaceManagerEmptyState::Kind::filteredToEmpty)) {
        return DetailMode::emptyState;
    }
    return DetailMode::placeholder;
}

WorkspaceManagerEmptyState WorkspaceManagerModel::listEmptyState() const {
    return managerWorkspaces().isEmpty() ? WorkspaceManagerEmptyState::noData()
                                         : WorkspaceManagerEmptyState::filteredToEmpty();
}

WorkspaceManagerModel::Row WorkspaceManagerModel::row(const PromptWorkspace& workspace) const {
    const AppLanguage interfaceLanguage = language();
    Row row;
    row.id = workspace.id;
    row.name = workspace.name;
    row.promptCountText = QString::number(workspace.prompts.size());
    const int bindings = m_store.bindingStore().boundAgentCount(workspace.id);
    // English says "1 binding"; the Chinese texts of both keys are the same.
    row.detailLine = PromptWorkspaceSources::displayName(workspace.source, interfaceLanguage) + metaSeparator +
                     QString::number(bindings) + QLatin1Char(' ') +
                     L10n::string(bindings == 1 ? L10N("workspace.manager.bindings.short.one")
                                                : L10N("workspace.manager.bindings.short"),
                                  interfaceLanguage);
    row.pathText = workspace.fileURL ? abbreviatingHome(*workspace.fileURL, m_store.homeDirectory())
                                     : L10n::string(L10N("workspace.not.saved"), interfaceLanguage);
    row.isTickable = isEditable(workspace);
    if (!row.isTickable) {
        row.readOnlyReason = m_store.readOnlyReason(workspace);
    }
    row.isTicked = m_selectedForDeletion.contains(workspace.id);
    row.isSelected = m_selectedWorkspaceID == workspace.id;
    row.tickAccessibleName =
        L10n::string(L10N("workspace.manager.select.workspace"), interfaceLanguage, workspace.name);
    return row;
}

QList<WorkspaceManagerModel::Row> WorkspaceManagerModel::rows() const {
    QList<Row> result;
    const QList<PromptWorkspace> filtered = filteredWorkspaces();
    result.reserve(filtered.size());
    for (const PromptWorkspace& workspace : filtered) {
        result.append(row(workspace));
    }
    return result;
}

bool WorkspaceManagerModel::canSelectFiltered() const {
    const QList<PromptWorkspace> filtered = filteredWorkspaces();
    return std::any_of(filtered.cbegin(), filtered.cend(), &WorkspaceManagerModel::isEditable);
}

void WorkspaceManagerModel::selectFiltered() {
    const qsizetype before = m_selectedForDeletion.size();
    for (const PromptWorkspace& workspace : filteredWorkspaces()) {
        if (isEditable(workspace)) {
            m_selectedForDeletion.insert(workspace.id);
        }
    }
    if (m_selectedForDeletion.size() != before) {
        emit listChanged();
    }
}

void WorkspaceManagerModel::clearSelection() {
    if (m_selectedForDeletion.isEmpty()) {
        return;
    }
    m_selectedForDeletion.clear();
    emit listChanged();
}

QString WorkspaceManagerModel::deleteWorkspaceMessage() const {
    const QSet<QString> deletable = deletableSelection();
    QStringList names;
    for (const PromptWorkspace& workspace : managerWorkspaces()) {
        if (deletable.contains(workspace.id)) {
            names.append(workspace.name);
        }
    }
    std::sort(names.begin(), names.end(), Text::codePointLess);
    return L10n::string(L10N("workspace.manager.delete.confirm.message"), language(), QString::number(deletable.size()),
                        names.join(QLatin1Char('\n')));
}

void WorkspaceManagerModel::deleteSelectedWorkspaces() {
    // Only deletable ids reach the store: ticks of read-only or vanished workspaces never do.
    const WorkspaceBatchDeletionResult result = m_store.deleteWorkspaces(deletableSelection());
    QSet<QString> deleted;
    for (const WorkspaceDeletionResult& entry : result.results) {
        if (entry.succeeded) {
            deleted.insert(entry.id);
        }
    }
    m_selectedForDeletion.subtract(deleted);
    if (m_selectedWorkspaceID && deleted.contains(*m_selectedWorkspaceID)) {
        m_selectedWorkspaceID.reset();
    }
    QString message = m_store.statusMessage();
    if (result.failureCount() >= 1) {
        message += QLatin1Char('\n') + m_store.lastErrorMessage().value_or(QString());
    }
    emit listChanged();
    emit detailChanged();
    setResultMessage(message);
}

// ---- detail pane ----

QList<PromptItem> WorkspaceManagerModel::filteredPrompts(const PromptWorkspace& workspace) const {
    const QString query = searchQuery(m_promptSearch);
    if (query.isEmpty()) {
        return workspace.prompts;
    }
    QList<PromptItem> kept;
    for (const PromptItem& prompt : workspace.prompts) {
        if (prompt.title.toString().toLower().contains(query) || prompt.group.toLower().contains(query) ||
            prompt.tags.join(QLatin1Char(' ')).toLower().contains(query) ||
            prompt.text.toString().toLower().contains(query)) {
            kept.append(prompt);
        }
    }
    return kept;
}

WorkspaceManagerModel::PromptListMode WorkspaceManagerModel::promptListMode(const PromptWorkspace& workspace) const {
    if (!filteredPrompts(workspace).isEmpty()) {
        return PromptListMode::prompts;
    }
    if (!workspace.prompts.isEmpty()) {
        return PromptListMode::noSearchResults;
    }
    return isEditable(workspace) ? PromptListMode::editableEmpty : PromptListMode::noPrompts;
}

QString WorkspaceManagerModel::promptMetaLine(const PromptItem& prompt) const {
    QStringList parts;
    if (!prompt.group.isEmpty()) {
        parts.append(prompt.group);
    }
    const QString tags = prompt.tags.join(text(L10N("list.separator")));
    if (!tags.isEmpty()) {
        parts.append(tags);
    }
    return parts.join(metaSeparator);
}

WorkspaceManagerModel::PromptRow WorkspaceManagerModel::promptRow(const PromptItem& prompt,
                                                                  const PromptWorkspace& workspace) const {
    PromptRow row;
    row.id = prompt.id;
    row.title = prompt.title.toString();
    row.metaLine = promptMetaLine(prompt);
    row.text = prompt.text.toString().replace(QLatin1Char('\n'), QLatin1Char(' '));
    row.isEditable = isEditable(workspace);
    return row;
}

QList<WorkspaceManagerModel::Fact> WorkspaceManagerModel::facts(const PromptWorkspace& workspace) const {
    return {
        {text(L10N("field.prompt.count")), QString::number(workspace.prompts.size())},
        {text(L10N("settings.bound.environments")),
         QString::number(m_store.bindingStore().boundAgentCount(workspace.id))},
        {text(L10N("field.config.file")), workspace.fileURL
                                              ? abbreviatingHome(*workspace.fileURL, m_store.homeDirectory())
                                              : text(L10N("workspace.not.saved"))},
        {text(L10N("workspace.manager.modified")), modifiedTime(workspace)},
    };
}

QString WorkspaceManagerModel::modifiedTime(const PromptWorkspace& workspace) const {
    const auto found = m_store.workspaceMetadata().constFind(workspace.id);
    if (found != m_store.workspaceMetadata().cend() && found->modificationDate) {
        return formatModifiedTime(*found->modificationDate, language());
    }
    return text(L10N("common.none"));
}

bool WorkspaceManagerModel::canExport(const PromptWorkspace& workspace) {
    return isEditable(workspace) && workspace.fileURL.has_value();
}

bool WorkspaceManagerModel::isEditable(const PromptWorkspace& workspace) {
    return workspace.source == PromptWorkspaceSource::userWorkspace;
}

// ---- actions ----

void WorkspaceManagerModel::reload() {
    m_store.reload();
}

void WorkspaceManagerModel::copySampleToMyWorkspaces(const PromptWorkspace& sample) {
    if (const std::optional<PromptWorkspace> copy = m_store.saveTransientSampleAsWorkspace(sample, sample.name)) {
        selectWorkspace(copy->id);
        setResultFromStoreStatus();
    } else {
        setResultFromStore();
    }
}

void WorkspaceManagerModel::hideSamples() {
    // Stores the dismissal, drops the samples from what is shown and reloads.
    m_store.dismissTransientSamples();
    selectWorkspace(std::nullopt);
    setResultFromStoreStatus();
}

void WorkspaceManagerModel::importPromptPack(const QString& path) {
    const Result<PromptPackImportPreview> preview = m_store.promptPackService().parseImportPreview(path);
    if (!preview) {
        setResultMessage(preview.error().message);
        return;
    }
    if (!m_store.installPromptPack(preview->pack, std::nullopt)) {
        setResultFromStore();
        return;
    }
    m_selectedWorkspaceID = m_store.lastEditedWorkspaceID();
    m_workspaceSearch.clear();
    m_promptSearch.clear();
    emit listChanged();
    emit detailChanged();
    setResultFromStoreStatus();
}

void WorkspaceManagerModel::exportPromptPack(const PromptWorkspace& workspace, const QString& destination) {
    m_store.exportPromptPack(workspace.id, destination);
    setResultFromStore();
}

void WorkspaceManagerModel::deletePrompt(const PromptItem& prompt) {
    if (!m_selectedWorkspaceID) {
        return;
    }
    // The store drops the usage record only when the prompt was removed and saved; a refusal
    // adds no message of the manager's own.
    m_store.deletePrompt(prompt.id, *m_selectedWorkspaceID);
}

// ---- pure helpers ----

QString WorkspaceManagerModel::proposedExportFileName(const QString& workspaceID) {
    return workspaceID + QStringLiteral(".orris-hollows-pack.yaml");
}

QString WorkspaceManagerModel::exportDestination(const QString& chosenPath) {
    const QString suffix = QFileInfo(chosenPath).suffix().toLower();
    if (suffix == QStringLiteral("yaml") || suffix == QStringLiteral("yml")) {
        return chosenPath;
    }
    return chosenPath + QStringLiteral(".yaml");
}

QString WorkspaceManagerModel::abbreviatingHome(const QString& path, const QString& home) {
    QString base = home;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/'))) {
        base.chop(1);
    }
    if (base.isEmpty() || base == QStringLiteral("/")) {
        return path;
    }
    if (path == base) {
        return QStringLiteral("~");
    }
    if (path.startsWith(base + QLatin1Char('/'))) {
        return QLatin1Char('~') + path.mid(base.size());
    }
    return path;
}

QString WorkspaceManagerModel::formatModifiedTime(const QDateTime& date, AppLanguage language) {
    const QDateTime local = date.toLocalTime();
    if (language == AppLanguage::zhHans) {
        return QLocale(QLocale::Chinese, QLocale::China).toString(local, QStringLiteral("yyyy年M月d日 HH:mm"));
    }
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(local, QStringLiteral("MMM d, yyyy, h:mm AP"));
}
