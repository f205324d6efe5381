// The editing sheets as widgets, offscreen, over a store of real files: what the buttons do, what
// a failure shows, and screenshots in English and Simplified Chinese.
#include "PromptStoreFileHarness.h"

#include "context/ContextBindingStore.h"
#include "model/environment/AppLanguageStore.h"
#include "panel/OverlaySheetHost.h"
#include "sheets/PromptEditorSheet.h"
#include "sheets/WorkspaceEditorSheet.h"
#include "widgets/DialogSheetHost.h"
#include "widgets/ShortcutRecorderButton.h"
#include "windows/manager/WorkspaceEditSheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>

namespace {

AppLanguage g_language = AppLanguage::english;

QString text(const QString& key) {
    return L10n::string(key, g_language);
}

template <typename T> T* child(QWidget* sheet, const char* name) {
    T* found = sheet->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qFatal("no child %s", name);
    }
    return found;
}

void saveShot(QWidget* widget, const QString& name) {
    QString folder = qEnvironmentVariable("ORRIS_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        return;
    }
    QDir().mkpath(folder);
    const QString suffix = g_language == AppLanguage::zhHans ? "-zh" : "-en";
    widget->grab().save(QDir(folder).filePath(name + suffix + ".png"));
}

// A panel-sized host with an overlay sheet host over a store of real files.
struct SheetHarness : PromptStoreFileHarness {
    QWidget panel;
    OverlaySheetHost host{&panel};
    AppLanguageStore languages{env.defaults(), [] { return QStringList{"en"}; }};

    SheetHarness() {
        panel.setObjectName("panel");
        panel.resize(600, 640);
        writeWorkspaceFile("web", "Web", {"a", "b"}, {"/home/dev/web"});
        loadHome();
        panel.show();
    }
    template <typename Sheet> Sheet* present(Sheet* sheet) {
        host.present(sheet);
        return sheet;
    }
    bool dismissed(QPointer<QWidget> sheet) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return sheet.isNull() && !host.isPresenting();
    }
};

} // namespace

class EditingSheetsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        QPalette palette;
        palette.setColor(QPalette::Window, QColor(30, 30, 36));
        palette.setColor(QPalette::WindowText, QColor(236, 236, 240));
        palette.setColor(QPalette::Base, QColor(22, 22, 27));
        palette.setColor(QPalette::Text, QColor(236, 236, 240));
        palette.setColor(QPalette::Button, QColor(44, 44, 52));
        palette.setColor(QPalette::ButtonText, QColor(236, 236, 240));
        palette.setColor(QPalette::PlaceholderText, QColor(150, 150, 160));
        QApplication::setPalette(palette);
        L10n::setCurrentLanguageProvider([] { return g_language; });
    }
    void init() { g_language = AppLanguage::english; }

    void aNewPromptIsSavedTrimmedAndTheSheetCloses() {
        SheetHarness h;
        QPointer<QWidget> sheet =
            h.present(new PromptEditorSheet(*h.store, h.languages, h.host, {}, "web", std::nullopt));
        auto* save = child<QPushButton>(sheet, "promptEditorSave");
        QVERIFY(!save->isEnabled());
        QTest::keyClicks(child<QLineEdit>(sheet, "promptEditorTitle"), "  Review diff  ");
        QTest::keyClicks(child<QPlainTextEdit>(sheet, "promptEditorBody"), "  Look at {{file}}  ");
        QVERIFY(save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QVERIFY(h.dismissed(sheet));

        const QByteArray yaml = h.env.readFile(".orris-hollows/workspaces/web.yaml");
        QVERIFY(!yaml.contains("  Review diff  "));
        QVERIFY(!yaml.contains("{{file}}  "));
        // What the file holds, read back as the app reads it.
        h.loadHome();
        const PromptItem saved = h.workspace("web")->prompts.last();
        QCOMPARE(saved.title, "Review diff");
        QCOMPARE(saved.text, "Look at {{file}}");
        QCOMPARE(h.workspace("web")->prompts.last().group, text("prompt.default.group"));
    }

    void returnSavesOnceInEitherHost_data() {
        QTest::addColumn<bool>("dialog");
        QTest::newRow("overlay in the panel") << false;
        QTest::newRow("dialog over a window") << true;
    }
    void returnSavesOnceInEitherHost() {
        QFETCH(bool, dialog);
        SheetHarness h;
        DialogSheetHost dialogHost(&h.panel);
        SheetHost& host = dialog ? static_cast<SheetHost&>(dialogHost) : h.host;
        auto* sheet = new PromptEditorSheet(*h.store, h.languages, host, {}, "web", std::nullopt);
        QPointer<QWidget> guard = sheet;
        host.present(sheet);
        auto* title = child<QLineEdit>(sheet, "promptEditorTitle");
        QTest::keyClicks(child<QPlainTextEdit>(sheet, "promptEditorBody"), "Body");
        QTest::keyClicks(title, "Title");
        QTest::keyClick(title, Qt::Key_Return);
        QTest::keyClick(title, Qt::Key_Return); // before the deferred deletion
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
        QVERIFY(!host.isPresenting());
        QCOMPARE(h.workspace("web")->prompts.size(), 3);
    }

    void aRefusedSaveStaysOpenWithTheStoresMessage() {
        SheetHarness h;
        QPointer<QWidget> sheet =
            h.present(new PromptEditorSheet(*h.store, h.languages, h.host, {}, "project-x", std::nullopt));
        QCOMPARE(child<QComboBox>(sheet, "promptEditorWorkspacePicker")->currentIndex(), 0);
        QTest::keyClicks(child<QLineEdit>(sheet, "promptEditorTitle"), "T");
        QTest::keyClicks(child<QPlainTextEdit>(sheet, "promptEditorBody"), "B");
        QTest::mouseClick(child<QPushButton>(sheet, "promptEditorSave"), Qt::LeftButton);
        QVERIFY(!h.dismissed(sheet));
        auto* error = child<QLabel>(sheet, "promptEditorError");
        QVERIFY(error->isVisible());
        QCOMPARE(error->text(), text("error.workspace.not.found"));
        QCOMPARE(child<QLineEdit>(sheet, "promptEditorTitle")->text(), "T");

        QTest::keyClick(sheet, Qt::Key_Escape);
        QVERIFY(h.dismissed(sheet));
    }

    void theEditorRecordsAShortcutAndEditingLocksTheWorkspace() {
        SheetHarness h;
        const PromptItem edited = h.workspace("web")->prompts.first();
        auto* sheet = h.present(new PromptEditorSheet(*h.store, h.languages, h.host, {}, "web", edited));
        QVERIFY(!child<QComboBox>(sheet, "promptEditorWorkspacePicker")->isEnabled());
        QCOMPARE(child<QComboBox>(sheet, "promptEditorWorkspacePicker")->currentData().toString(), "web");
        h.panel.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&h.panel));
        auto* record = child<QPushButton>(sheet, "shortcutRecordButton");
        QTest::mouseClick(record, Qt::LeftButton);
        QTest::keyClick(record, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(sheet->model().shortcut(),
                 (PromptKeyboardShortcut{40, ModifierFlags::command | ModifierFlags::option}));
        QCOMPARE(record->text(), "Ctrl+Alt+K");
    }

    void aFailedBindingKeepsTheQuickEditorOpenAndCreateRetries() {
        SheetHarness h;
        const AgentContext context = PromptStoreFileHarness::contextFor(AgentType::cursor, "Cursor");
        QPointer<QWidget> sheet = h.present(new WorkspaceEditorSheet(*h.store, h.host, context));
        QVERIFY(child<QCheckBox>(sheet, "workspaceEditorAgent_cursor")->isChecked());
        auto* create = child<QPushButton>(sheet, "workspaceEditorCreate");
        QVERIFY(!create->isEnabled());
        QTest::keyClicks(child<QLineEdit>(sheet, "workspaceEditorName"), "Docs");
        {
            ScopedWriteFault fault(
                [](const QString& path) { return path.endsWith(ContextBindingStore::agentBindingsFileName); });
            QTest::mouseClick(create, Qt::LeftButton);
        }
        QVERIFY(!h.dismissed(sheet));
        QVERIFY(child<QLabel>(sheet, "workspaceEditorError")->isVisible());
        QVERIFY(child<QLineEdit>(sheet, "workspaceEditorName")->isReadOnly());
        QTest::mouseClick(create, Qt::LeftButton);
        QVERIFY(h.dismissed(sheet));
        QCOMPARE(h.store->workspaces().size(), 2);
    }

    void theEditSheetShowsTheConflictAndReloadLetsSaveSucceed() {
        SheetHarness h;
        QPointer<WorkspaceEditSheet> sheet = h.present(new WorkspaceEditSheet(*h.store, h.host, *h.workspace("web")));
        auto* actions = child<QWidget>(sheet, "workspaceEditConflictActions");
        QVERIFY(!actions->isVisible());
        h.writeWorkspaceFile("web", "Changed elsewhere", {"a", "b", "c"});
        QTest::mouseClick(child<QPushButton>(sheet, "workspaceEditSave"), Qt::LeftButton);
        QVERIFY(!h.dismissed(sheet.data()));
        QVERIFY(actions->isVisible());
        QVERIFY(child<QLabel>(sheet, "workspaceEditError")->isVisible());

        QTest::mouseClick(child<QPushButton>(sheet, "workspaceEditReload"), Qt::LeftButton);
        QVERIFY(!child<QPushButton>(sheet, "workspaceEditSave")->isEnabled());
        h.finishLatestFromHome();
        QTRY_VERIFY(!sheet->model().isReloading());
        QCOMPARE(child<QLineEdit>(sheet, "workspaceEditName")->text(), "Changed elsewhere");
        QVERIFY(!actions->isVisible());
        QTest::mouseClick(child<QPushButton>(sheet, "workspaceEditSave"), Qt::LeftButton);
        QVERIFY(h.dismissed(sheet.data()));
    }

    void screenshots_data() {
        QTest::addColumn<AppLanguage>("language");
        QTest::newRow("english") << AppLanguage::english;
        QTest::newRow("chinese") << AppLanguage::zhHans;
    }
    void screenshots() {
        QFETCH(AppLanguage, language);
        if (qEnvironmentVariableIsEmpty("ORRIS_SCREENSHOT_DIR")) {
            QSKIP("ORRIS_SCREENSHOT_DIR is not set");
        }
        g_language = language;
        SheetHarness h;
        h.writeWorkspaceFile("long", "A workspace with a rather long name that keeps going on and on", {"x"});
        h.loadHome();
        {
            auto* sheet = h.present(new PromptEditorSheet(*h.store, h.languages, h.host, {}, "long", std::nullopt));
            QTest::keyClicks(child<QLineEdit>(sheet, "promptEditorTitle"),
                             "A very long prompt title to see how it fits");
            child<QPlainTextEdit>(sheet, "promptEditorBody")->setPlainText("Line one\nLine two {{ name | default }}");
            saveShot(&h.panel, "prompt-editor-new");
            QVERIFY(sheet->model().save());
            h.host.dismiss(sheet);
        }
        {
            auto* sheet =
                h.present(new PromptEditorSheet(*h.store, h.languages, h.host, {}, "project-x", std::nullopt));
            QTest::keyClicks(child<QLineEdit>(sheet, "promptEditorTitle"), "Title");
            QTest::keyClicks(child<QPlainTextEdit>(sheet, "promptEditorBody"), "Body");
            sheet->submit();
            saveShot(&h.panel, "prompt-editor-error");
            h.host.dismiss(sheet);
        }
        {
            const PromptItem edited = h.workspace("web")->prompts.first();
            auto* sheet = h.present(new PromptEditorSheet(*h.store, h.languages, h.host, {}, "web", edited));
            sheet->model().setShortcut(PromptKeyboardShortcut{40, ModifierFlags::command | ModifierFlags::option});
            saveShot(&h.panel, "prompt-editor-edit");
            h.host.dismiss(sheet);
        }
        {
            auto* sheet = h.present(
                new WorkspaceEditorSheet(*h.store, h.host, PromptStoreFileHarness::contextFor(AgentType::cursor)));
            QTest::keyClicks(child<QLineEdit>(sheet, "workspaceEditorName"), "Docs");
            saveShot(&h.panel, "workspace-editor");
            h.host.dismiss(sheet);
        }
        {
            auto* sheet = h.present(new WorkspaceEditSheet(*h.store, h.host, *h.workspace("long")));
            h.writeWorkspaceFile("long", "Changed", {"x", "y"});
            sheet->submit();
            saveShot(&h.panel, "workspace-edit-conflict");
            h.host.dismiss(sheet);
        }
    }
};

QTEST_MAIN(EditingSheetsTest)
#include "tst_editingsheets.moc"
