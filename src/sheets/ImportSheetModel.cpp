#include "sheets/ImportSheetModel.h"

#include "config/PromptImportParser.h"
#include "config/PromptPackService.h"
#include "services/FileChooser.h"
#include "store/PromptStore.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSet>

ImportSheetModel::ImportSheetModel(PromptStore& store, Scheduler& scheduler, FileChooser& fileChooser,
                                   std::function<AppLanguage()> languageProvider,
                                   std::optional<QString> initialWorkspaceID,
                                   std::optional<AgentContext> bindingContext, Executor executor, QObject* parent)
    : QObject(parent), m_store(store), m_fileChooser(fileChooser), m_languageProvider(std::move(languageProvider)),
      m_initialWorkspaceID(std::move(initialWorkspaceID)), m_bindingContext(std::move(bindingContext)),
      m_executor(executor ? std::move(executor) : PromptImportViewModel::threadPoolExecutor()),
      m_importModel(scheduler, m_languageProvider, m_executor) {
    connect(&m_importModel, &PromptImportViewModel::previewsChanged, this, &ImportSheetModel::changed);
    connect(&m_store, &PromptStore::contentChanged, this, &ImportSheetModel::followStoreWorkspaces);
}

ImportSheetModel::~ImportSheetModel() = default;

QString ImportSheetModel::defaultTargetWorkspaceID(const std::optional<QString>& initialWorkspaceID,
                                                   const std::optional<QString>& currentWorkspaceID,
                                                   const QList<PromptWorkspace>& workspaces) {
    for (const std::optional<QString>& candidate : {initialWorkspaceID, currentWorkspaceID}) {
        if (!candidate) {
            continue;
        }
        for (const PromptWorkspace& workspace : workspaces) {
            if (workspace.id == *candidate && workspace.source == PromptWorkspaceSource::userWorkspace) {
                return workspace.id;
            }
        }
    }
    return QString();
}

QStringList ImportSheetModel::packFileFilters(AppLanguage language) {
    return {L10n::string(L10N("import.pack.file.filter"), language, QStringLiteral("*.yaml *.yml"))};
}

void ImportSheetModel::setRawText(const QString& text) {
    if (text == m_rawText) {
        return;
    }
    m_rawText = text;
    // Emits changed through the previews, which it empties.
    m_importModel.updateRawText(text);
}

void ImportSheetModel::setTargetWorkspaceID(const QString& id) {
    if (id == m_targetWorkspaceID) {
        return;
    }
    m_targetWorkspaceID = id;
    emit changed();
}

bool ImportSheetModel::hasWorkspaces() const {
    return !m_store.workspaces().isEmpty();
}

bool ImportSheetModel::canImport() const {
    if (m_packPreview) {
        return true;
    }
    return !m_targetWorkspaceID.isEmpty() && m_importModel.hasCurrentImportPreview() &&
           !m_importModel.previews().isEmpty();
}

void ImportSheetModel::populateTargetWorkspace() {
    if (m_populated) {
        return;
    }
    m_populated = true;
    if (m_targetWorkspaceID.isEmpty()) {
        setTargetWorkspaceID(
            defaultTargetWorkspaceID(m_initialWorkspaceID, m_initialWorkspaceID, m_store.workspaces()));
    }
}

void ImportSheetModel::choosePromptPack(QWidget* dialogParent) {
    const AppLanguage language = m_languageProvider();
    const std::optional<QString> path = m_fileChooser.chooseFileToOpen(
        dialogParent, L10n::string(L10N("action.select.pack.file"), language), packFileFilters(language));
    if (!path || path->isEmpty()) {
        return;
    }
    readPackFile(*path);
}

void ImportSheetModel::readPackFile(const QString& path) {
    const quint64 generation = ++m_packGeneration;
    m_readingPackGeneration = generation;
    emit changed();

    // A reader of its own, with the language fixed now, so that the worker shares nothing with
    // the main thread.
    const AppLanguage language = m_languageProvider();
    QPointer<ImportSheetModel> self(this);
    m_executor([self, generation, path, language, environment = m_store.environment()]() {
        const PromptPackService reader(environment, [language] { return language; });
        Result<PromptPackImportPreview> result = reader.parseImportPreview(path);
        if (!result.ok() && !PromptPackError::is(result.error(), PromptPackError::Code::invalidPack)) {
            // A system error's text is neither localised nor meant for the user.
            result = PromptPackError::invalidPack(L10n::string(L10N("error.pack.unreadable"), language));
        }
        QCoreApplication* application = QCoreApplication::instance();
        if (application == nullptr) {
            return;
        }
        QMetaObject::invokeMethod(
            application,
            [self, generation, result]() {
                if (self != nullptr) {
                    self->applyPackRead(generation, result);
                }
            },
            Qt::QueuedConnection);
    });
}

void ImportSheetModel::applyPackRead(quint64 generation, const Result<PromptPackImportPreview>& result) {
    if (m_readingPackGeneration != generation) {
        return;
    }
    m_readingPackGeneration.reset();
    if (result.ok()) {
        m_packPreview = *result;
        m_packError.reset();
    } else {
        m_packPreview.reset();
        m_packError = result.error().message;
    }
    emit changed();
}

bool ImportSheetModel::importContent() {
    m_failureMessage.reset();
    // None: refused before the store was asked, which has nothing to say about it then.
    const std::optional<bool> imported =
        m_packPreview ? std::optional<bool>(m_store.installPromptPack(m_packPreview->pack, m_bindingContext))
                      : importPrompts();
    if (imported == false) {
        m_failureMessage = m_store.lastErrorMessage().value_or(m_store.statusMessage());
    }
    emit changed();
    return imported.value_or(false);
}

std::optional<bool> ImportSheetModel::importPrompts() {
    if (!m_importModel.hasCurrentImportPreview()) {
        return std::nullopt;
    }
    const PromptWorkspace* target = nullptr;
    for (const PromptWorkspace& workspace : m_store.workspaces()) {
        if (workspace.id == m_targetWorkspaceID) {
            target = &workspace;
            break;
        }
    }
    if (target == nullptr) {
        return std::nullopt;
    }
    QSet<QString> existingIDs;
    for (const PromptItem& prompt : target->prompts) {
        existingIDs.insert(prompt.id);
    }
    const QList<PromptItem> items =
        PromptImportParser::makePrompts(m_importModel.previews(), existingIDs, m_languageProvider());
    if (items.isEmpty()) {
        return std::nullopt;
    }
    return m_store.importPrompts(items, m_targetWorkspaceID);
}

void ImportSheetModel::cancelPendingWork() {
    m_importModel.cancelPendingParse();
    if (m_readingPackGeneration) {
        m_readingPackGeneration.reset();
        emit changed();
    }
}

void ImportSheetModel::followStoreWorkspaces() {
    // A target that left the store (deleted, renamed on disk) can no longer be shown or imported
    // into: drop it so that the picker asks again instead of offering an Import that cannot work.
    if (m_targetWorkspaceID.isEmpty()) {
        emit changed();
        return;
    }
    for (const PromptWorkspace& workspace : m_store.workspaces()) {
        if (workspace.id == m_targetWorkspaceID) {
            emit changed();
            return;
        }
    }
    m_targetWorkspaceID.clear();
    emit changed();
}
