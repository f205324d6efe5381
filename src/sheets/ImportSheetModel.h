#pragma once

#include "model/AgentContext.h"
#include "model/PromptPack.h"
#include "sheets/PromptImportViewModel.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class FileChooser;
class PromptStore;
class QWidget;

// What the import sheet shows and does. Two sources, one rule: while a pack file has been read,
// Import installs that pack as a new workspace (bound to the given context's agent); otherwise it
// appends the prompts parsed from the pasted text to the chosen target workspace.
//
// Main thread. The pasted text is parsed by PromptImportViewModel; a chosen pack file is read on
// a worker through the same executor, so the main thread never waits for a file, and only the
// latest choice is applied.
class ImportSheetModel : public QObject {
    Q_OBJECT
public:
    using Executor = PromptImportViewModel::Executor;

    // `languageProvider` gives the resolved interface language (never system).
    ImportSheetModel(PromptStore& store, Scheduler& scheduler, FileChooser& fileChooser,
                     std::function<AppLanguage()> languageProvider, std::optional<QString> initialWorkspaceID,
                     std::optional<AgentContext> bindingContext, Executor executor = {}, QObject* parent = nullptr);
    ~ImportSheetModel() override;

    // The first of the two ids that names a user workspace of the list; empty when none does.
    static QString defaultTargetWorkspaceID(const std::optional<QString>& initialWorkspaceID,
                                            const std::optional<QString>& currentWorkspaceID,
                                            const QList<PromptWorkspace>& workspaces);
    // The open dialog's filter: pack files end in .yaml or .yml.
    static QStringList packFileFilters(AppLanguage language);

    PromptStore& store() const { return m_store; }
    PromptImportViewModel& importModel() { return m_importModel; }
    const PromptImportViewModel& importModel() const { return m_importModel; }

    const QString& rawText() const { return m_rawText; }
    // Every change restarts the parse; setting the same text again does nothing.
    void setRawText(const QString& text);

    // Empty: none chosen. Any workspace of the store may be chosen; the store refuses read-only ones.
    const QString& targetWorkspaceID() const { return m_targetWorkspaceID; }
    void setTargetWorkspaceID(const QString& id);
    bool hasWorkspaces() const;

    const std::optional<PromptPackImportPreview>& packPreview() const { return m_packPreview; }
    const std::optional<QString>& packError() const { return m_packError; }
    bool isReadingPack() const { return m_readingPackGeneration.has_value(); }
    // The store's outcome after it refused an import; cleared by the next attempt.
    const std::optional<QString>& failureMessage() const { return m_failureMessage; }

    bool canImport() const;

    // Once, when the sheet is shown: an empty target takes the default; a chosen one stays.
    void populateTargetWorkspace();
    // Asks for a pack file; a cancelled dialog changes nothing. The file is read on a worker: a
    // valid pack replaces the card, a failure clears it and sets the error.
    void choosePromptPack(QWidget* dialogParent = nullptr);
    // Reads a chosen file as choosePromptPack does after the dialog.
    void readPackFile(const QString& path);
    // Installs the pack, else imports the pasted prompts. True when the store reports success.
    bool importContent();
    // The sheet is going away: drops the pending parse and any pack read.
    void cancelPendingWork();

signals:
    // After any change of the state above, including the import model's previews.
    void changed();

private:
    std::optional<bool> importPrompts();
    void applyPackRead(quint64 generation, const Result<PromptPackImportPreview>& result);
    void followStoreWorkspaces();

    PromptStore& m_store;
    FileChooser& m_fileChooser;
    std::function<AppLanguage()> m_languageProvider;
    std::optional<QString> m_initialWorkspaceID;
    std::optional<AgentContext> m_bindingContext;
    Executor m_executor;
    PromptImportViewModel m_importModel;

    QString m_targetWorkspaceID;
    QString m_rawText;
    std::optional<PromptPackImportPreview> m_packPreview;
    std::optional<QString> m_packError;
    std::optional<QString> m_failureMessage;
    quint64 m_packGeneration = 0;
    std::optional<quint64> m_readingPackGeneration;
    bool m_populated = false;
};
