#pragma once

#include "model/AgentContext.h"
#include "sheets/ImportSheetModel.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class AppLanguageStore;
class FileChooser;
class PromptStore;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class Scheduler;
class SheetHost;

// The sheet that brings prompts in from pasted text or a pack file, 560 by 700. It draws its
// ImportSheetModel and forwards input; it closes itself through the host on Cancel, Escape, or
// after Import (or Install) when the store reports success, and stays open with its state when
// the store refuses.
class PromptImportSheet final : public QWidget {
    Q_OBJECT
public:
    static constexpr int fixedWidth = 560;
    static constexpr int fixedHeight = 700;

    enum class Outcome { cancelled, importedPrompts, installedPack };

    // `initialWorkspaceID`: the workspace the caller shows, when it is a user workspace.
    // `bindingContext`: the context an installed pack is bound to (its agent, unless unknown).
    // `executor`: where parses and pack reads run; the global thread pool when left out.
    PromptImportSheet(SheetHost& host, PromptStore& store, AppLanguageStore& languageStore, Scheduler& scheduler,
                      FileChooser& fileChooser, std::optional<QString> initialWorkspaceID,
                      std::optional<AgentContext> bindingContext, ImportSheetModel::Executor executor = {},
                      QWidget* parent = nullptr);
    ~PromptImportSheet() override;

    ImportSheetModel& model() { return *m_model; }

    // Called once, right before the sheet asks its host to dismiss it.
    std::function<void(Outcome)> onFinished;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void build();
    void retranslate();
    void refresh();
    void refreshTargets();
    void refreshPreviews();
    void importClicked();
    void finish(Outcome outcome);

    SheetHost& m_host;
    PromptStore& m_store;
    AppLanguageStore& m_languageStore;
    FileChooser& m_fileChooser;
    ImportSheetModel* m_model = nullptr;
    bool m_finished = false;
    bool m_syncingTargets = false;

    QLabel* m_heading = nullptr;
    QPushButton* m_choosePackButton = nullptr;
    QPushButton* m_installButton = nullptr;
    QFrame* m_packCard = nullptr;
    QLabel* m_packName = nullptr;
    QLabel* m_packDescription = nullptr;
    QLabel* m_packSummary = nullptr;
    QLabel* m_packSamples = nullptr;
    QLabel* m_packError = nullptr;
    QLabel* m_needsWorkspaceNote = nullptr;
    QLabel* m_targetRequiredNote = nullptr;
    QLabel* m_targetLabel = nullptr;
    QComboBox* m_targetPicker = nullptr;
    QWidget* m_targetRow = nullptr;
    QLabel* m_dropHelp = nullptr;
    QPlainTextEdit* m_editor = nullptr;
    QLabel* m_countLine = nullptr;
    QStackedWidget* m_previewStack = nullptr;
    QLabel* m_noPreview = nullptr;
    QListWidget* m_previewList = nullptr;
    QLabel* m_failure = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_importButton = nullptr;
    QList<PromptImportPreview> m_listedPreviews;
};
