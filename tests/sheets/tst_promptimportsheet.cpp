#include "FakeDesktopSeams.h"
#include "PromptFixtures.h"
#include "PromptStoreFileHarness.h"

#include "config/PromptPackService.h"
#include "context/ContextBindingStore.h"
#include "model/environment/AppLanguageStore.h"
#include "model/environment/TextSizeStore.h"
#include "panel/OverlaySheetHost.h"
#include "sheets/PromptImportSheet.h"
#include "widgets/InterfaceEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyleFactory>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

namespace {

const QByteArray validPack = PromptFixtures::file(QStringLiteral("review-kit.pack.yaml"));

const QString twoPrompts = QStringLiteral("Review\nLook at the staged diff and list the bugs first.\n\n"
                                          "Explain\nSay what the changed code does, in plain words.");

void applyDarkLook() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(30, 30, 36));
    palette.setColor(QPalette::WindowText, QColor(236, 236, 240));
    palette.setColor(QPalette::Base, QColor(22, 22, 27));
    palette.setColor(QPalette::Text, QColor(236, 236, 240));
    palette.setColor(QPalette::Button, QColor(44, 44, 52));
    palette.setColor(QPalette::ButtonText, QColor(236, 236, 240));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 128));
    QApplication::setPalette(palette);
}

// The sheet in an overlay host over a real store in a temporary home; worker jobs run by hand.
struct Harness {
    PromptStoreFileHarness files;
    AppLanguageStore languages;
    FakeFileChooser chooser;
    QList<std::function<void()>> jobs;
    QWidget window;
    OverlaySheetHost host{&window};
    QPointer<PromptImportSheet> sheet;
    QList<PromptImportSheet::Outcome> outcomes;

    explicit Harness(bool withWorkspaces = true,
                     const std::optional<QString>& initialWorkspaceID = QStringLiteral("notes"),
                     AppLanguage language = AppLanguage::english)
        : languages(files.env.defaults(), [] { return QStringList{QStringLiteral("en-US")}; }) {
        // A global prompt, so that the store shows no sample workspace.
        files.env.writeFile(QStringLiteral(".orris-hollows/global.yaml"),
                            "prompts:\n  - id: \"hello\"\n    title: \"Hello\"\n    text: \"Say hello.\"\n");
        if (withWorkspaces) {
            files.writeWorkspaceFile(QStringLiteral("notes"), QStringLiteral("Notes"),
                                     {QStringLiteral("imported-review")});
            files.writeWorkspaceFile(QStringLiteral("web"), QStringLiteral("Web App Frontend"), {});
        }
        files.loadHome();
        languages.setSelection(language);
        window.resize(620, 780);
        auto* created =
            new PromptImportSheet(host, *files.store, languages, files.env.scheduler(), chooser, initialWorkspaceID,
                                  PromptStoreFileHarness::contextFor(AgentType::cursor, QStringLiteral("Cursor")),
                                  [this](std::function<void()> job) { jobs << job; });
        created->onFinished = [this](PromptImportSheet::Outcome outcome) { outcomes << outcome; };
        sheet = created;
        window.show();
        host.present(created);
    }

    template <typename T> T* child(const char* name) const {
        T* found = sheet->findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr) {
            qFatal("no child %s", name);
        }
        return found;
    }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    QLabel* label(const char* name) const { return child<QLabel>(name); }
    QPlainTextEdit* editor() const { return child<QPlainTextEdit>("importTextEditor"); }
    QListWidget* list() const { return child<QListWidget>("previewList"); }
    bool listShown() const { return child<QStackedWidget>("previewArea")->currentWidget() == list(); }

    void runJobs() {
        while (!jobs.isEmpty()) {
            jobs.takeFirst()();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
    void settle() {
        files.env.scheduler().advance(200ms);
        runJobs();
    }
    QString writePack(const QString& name, const QByteArray& content) {
        return files.env.writeFile(QStringLiteral("Downloads/") + name, content);
    }
    void choosePack(const QString& path) {
        chooser.answers << path;
        QTest::mouseClick(button("choosePackButton"), Qt::LeftButton);
        runJobs();
    }
    void screenshot(const QString& name) const {
        const QString folder = qEnvironmentVariable("ORRIS_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            QCoreApplication::processEvents(); // let the layout follow what was shown or hidden
            sheet->grab().save(folder + QStringLiteral("/import-sheet-") + name + QStringLiteral(".png"));
        }
    }
};

} // namespace

class PromptImportSheetTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { applyDarkLook(); }

    void pastedPromptsAreImportedAfterThePause() {
        Harness h;
        QCOMPARE(h.sheet->size(), QSize(560, 700));
        QCOMPARE(h.child<QComboBox>("targetPicker")->currentData().toString(), QStringLiteral("notes"));
        QVERIFY(!h.label("targetRequiredNote")->isVisible());

        QGuiApplication::clipboard()->setText(twoPrompts);
        h.editor()->setFocus();
        h.editor()->paste();
        QCOMPARE(h.label("previewCount")->text(), QStringLiteral("Preview: 0 prompts"));
        QVERIFY(!h.button("importButton")->isEnabled());
        h.files.env.scheduler().advance(199ms);
        QVERIFY(h.jobs.isEmpty());
        h.settle();
        QCOMPARE(h.label("previewCount")->text(), QStringLiteral("Preview: 2 prompts"));
        QVERIFY(h.listShown());
        QCOMPARE(h.list()->count(), 2);
        QCOMPARE(h.list()->item(1)->text(), QStringLiteral("Explain"));
        QVERIFY(h.button("importButton")->isEnabled());
        h.screenshot(QStringLiteral("pasted"));

        QTest::mouseClick(h.button("importButton"), Qt::LeftButton);
        QCOMPARE(h.outcomes, QList<PromptImportSheet::Outcome>{PromptImportSheet::Outcome::importedPrompts});
        QVERIFY(!h.host.isPresenting());
        h.files.loadHome(); // what reached the file
        const PromptWorkspace* notes = h.files.workspace(QStringLiteral("notes"));
        QCOMPARE(PromptFixtures::ids(notes->prompts),
                 (QStringList{"imported-review", "imported-review-2", "imported-explain"}));
        QCOMPARE(notes->prompts.at(2).text, QStringLiteral("Say what the changed code does, in plain words."));
    }

    void typingMoreEmptiesThePreviewUntilTheNextParse() {
        Harness h;
        h.editor()->setPlainText(twoPrompts);
        h.settle();
        QVERIFY(h.button("importButton")->isEnabled());

        h.editor()->moveCursor(QTextCursor::End);
        QTest::keyClick(h.editor(), Qt::Key_Return);
        QCOMPARE(h.label("previewCount")->text(), QStringLiteral("Preview: 0 prompts"));
        QTest::keyClick(h.editor(), Qt::Key_Return);
        QTest::keyClicks(h.editor(), QStringLiteral("Third"));
        QTest::keyClick(h.editor(), Qt::Key_Return);
        QTest::keyClicks(h.editor(), QStringLiteral("One more."));
        QCOMPARE(h.label("previewCount")->text(), QStringLiteral("Preview: 0 prompts"));
        QVERIFY(!h.listShown());
        QVERIFY(h.label("noPreviewLabel")->isVisible());
        QVERIFY(!h.button("importButton")->isEnabled());
        // Return in the editor is a new line, not Import.
        QTest::keyClick(h.editor(), Qt::Key_Return);
        QVERIFY(h.host.isPresenting());
        h.screenshot(QStringLiteral("pending"));

        h.settle();
        QCOMPARE(h.label("previewCount")->text(), QStringLiteral("Preview: 3 prompts"));
        QVERIFY(h.button("importButton")->isEnabled());

        // Without a target, Import stays off and the orange note asks for one.
        h.child<QComboBox>("targetPicker")->setCurrentIndex(0);
        QVERIFY(h.label("targetRequiredNote")->isVisible());
        QVERIFY(!h.button("importButton")->isEnabled());

        QTest::keyClick(h.editor(), Qt::Key_Escape);
        QCOMPARE(h.outcomes, QList<PromptImportSheet::Outcome>{PromptImportSheet::Outcome::cancelled});
        QVERIFY(!h.host.isPresenting());
    }

    void aValidPackIsInstalledAsABoundWorkspace() {
        Harness h;
        QVERIFY(!h.button("installPackButton")->isVisible());
        h.choosePack(h.writePack(QStringLiteral("review.yaml"), validPack));
        QVERIFY(h.child<QWidget>("packCard")->isVisible());
        QCOMPARE(h.label("packName")->text(), QStringLiteral("Review Kit"));
        QCOMPARE(h.label("packSummary")->text(), QStringLiteral("2 prompts · Groups: Review, Testing"));
        QCOMPARE(h.label("packSampleTitles")->text(), QStringLiteral("Review the diff, Write tests"));
        QVERIFY(!h.label("packError")->isVisible());
        QVERIFY(h.button("importButton")->isEnabled());
        h.screenshot(QStringLiteral("pack"));

        QTest::mouseClick(h.button("installPackButton"), Qt::LeftButton);
        QCOMPARE(h.outcomes, QList<PromptImportSheet::Outcome>{PromptImportSheet::Outcome::installedPack});
        QVERIFY(!h.host.isPresenting());
        h.files.finishLatestFromHome();
        const std::optional<QString> installed = h.files.store->lastEditedWorkspaceID();
        QVERIFY(installed);
        QVERIFY(h.files.workspace(*installed) != nullptr);
        const QList<AgentWorkspaceBinding> bindings = h.files.store->bindingStore().agentWorkspaceBindings();
        QCOMPARE(bindings.size(), 1);
        QCOMPARE(bindings.first().workspaceID, *installed);
        QCOMPARE(bindings.first().agentType, AgentType::cursor);
    }

    void aBadPackShowsTheErrorAndNoCard_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("key");
        QTest::newRow("invalid") << QByteArray("pack:\n  name: \"Broken\"\n") << "error.pack.no.prompts";
        QTest::newRow("oversized") << QByteArray(1'048'577, 'a') << "error.pack.too.large";
    }
    void aBadPackShowsTheErrorAndNoCard() {
        QFETCH(QByteArray, content);
        QFETCH(QString, key);
        Harness h;
        h.choosePack(h.writePack(QStringLiteral("review.yaml"), validPack));
        QVERIFY(h.child<QWidget>("packCard")->isVisible());
        h.choosePack(h.writePack(QStringLiteral("bad.yaml"), content));
        QVERIFY(!h.child<QWidget>("packCard")->isVisible());
        QVERIFY(!h.button("installPackButton")->isVisible());
        QVERIFY(h.label("packError")->isVisible());
        QCOMPARE(h.label("packError")->text(), L10n::string(key, AppLanguage::english));
        QVERIFY(!h.button("importButton")->isEnabled());
        h.screenshot(QStringLiteral("error-") + QString::fromLatin1(QTest::currentDataTag()));
    }

    void aRefusedImportKeepsTheSheetOpenAndSaysWhy() {
        Harness h;
        PromptLoadResult result = h.files.readHome();
        result.workspaces << PromptFixtures::workspace(QStringLiteral("sample"), {PromptFixtures::prompt("s1")}, {},
                                                       PromptWorkspaceSource::transientSample);
        h.files.load(result);
        auto* picker = h.child<QComboBox>("targetPicker");
        QCOMPARE(picker->count(), 4);
        picker->setCurrentIndex(picker->findData(QStringLiteral("sample")));
        h.editor()->setPlainText(twoPrompts);
        h.settle();
        QTest::mouseClick(h.button("importButton"), Qt::LeftButton);
        QVERIFY(h.host.isPresenting());
        QVERIFY(h.outcomes.isEmpty());
        QVERIFY(h.label("importFailure")->isVisible());
        QCOMPARE(h.label("importFailure")->text(), h.files.store->lastErrorMessage().value_or(QString()));
        QCOMPARE(h.editor()->toPlainText(), twoPrompts);
        h.screenshot(QStringLiteral("refused"));
    }

    void withoutWorkspacesOnlyAPackCanBeImported() {
        Harness h(false, std::nullopt);
        QVERIFY(h.files.store->workspaces().isEmpty());
        QVERIFY(h.label("needsWorkspaceNote")->isVisible());
        QVERIFY(!h.child<QComboBox>("targetPicker")->isVisible());
        h.editor()->setPlainText(twoPrompts);
        h.settle();
        QVERIFY(!h.button("importButton")->isEnabled());
        h.choosePack(h.writePack(QStringLiteral("review.yaml"), validPack));
        QVERIFY(h.button("importButton")->isEnabled());
        h.screenshot(QStringLiteral("no-workspaces"));
    }

    // Pictures in Simplified Chinese with long texts, to look at.
    // The sheet's fonts follow the interface text size at its root, live, its preview rows too.
    void theTextSizeReachesTheSheet() {
        Harness h;
        TextSizeStore sizes(h.files.env.defaults());
        applyInterfaceTextSize(h.sheet, sizes);
        QCOMPARE(h.label("importHeading")->font().pixelSize(), 15);
        QCOMPARE(h.editor()->font().pixelSize(), 13);
        h.editor()->setPlainText(QStringLiteral("## Only\nReview the diff."));
        h.settle();
        QCOMPARE(h.label("previewCount")->text(), QStringLiteral("Preview: 1 prompt"));
        h.editor()->setPlainText(QStringLiteral("## First\nReview the diff.\n\n## Second\nAdd tests."));
        h.settle();
        QVERIFY(h.listShown());
        const int rowHeight = h.list()->visualItemRect(h.list()->item(0)).height();

        sizes.setSelection(PromptPanelTextSize::large);
        QCoreApplication::processEvents();
        QCOMPARE(h.label("importHeading")->font().pixelSize(), 20);
        QCOMPARE(h.label("previewCount")->font().pixelSize(), 16);
        QCOMPARE(h.editor()->font().pixelSize(), 17);
        QCOMPARE(h.button("choosePackButton")->font().pixelSize(), 17);
        QTRY_VERIFY(h.list()->visualItemRect(h.list()->item(0)).height() > rowHeight);
        h.screenshot(QStringLiteral("en-large"));
    }

    void chineseWithLongTexts() {
        Harness h(true, QStringLiteral("notes"), AppLanguage::zhHans);
        QByteArray pack = validPack;
        pack.replace(
            "Prompts for careful code reviews",
            "为仔细的代码审查准备的提示词，覆盖差异审查、测试补全、发布说明和性能排查，适合团队在每次合并之前使用，"
            "并附带一段很长很长的说明文字，用来检查卡片在两行之后是否正确省略。");
        h.choosePack(h.writePack(QStringLiteral("review.yaml"), pack));
        h.editor()->setPlainText(QStringLiteral("## 审查当前差异并列出所有可能的问题，先列出严重的错误\n") +
                                 QStringLiteral("请审查暂存区的改动。").repeated(30) +
                                 QStringLiteral("\n\n## 第二条\n补充测试。"));
        h.settle();
        QCOMPARE(h.label("previewCount")->text(), QStringLiteral("预览：2 条提示词"));
        h.screenshot(QStringLiteral("zh-pack"));
        applyInterfaceTextSize(h.sheet, PromptPanelTextSize::large);
        QCoreApplication::processEvents();
        QCOMPARE(h.label("previewCount")->font().pixelSize(), 16);
        // The card's hand-wrapped lines are wrapped again at the larger size: none is wider
        // than its label.
        for (const char* name : {"packDescription", "packSummary", "packSampleTitles"}) {
            QLabel* line = h.label(name);
            for (const QString& text : line->text().split('\n')) {
                QVERIFY2(QFontMetrics(line->font()).horizontalAdvance(text) <= line->width(), qPrintable(text));
            }
        }
        h.screenshot(QStringLiteral("zh-pack-large"));
    }
};

QTEST_MAIN(PromptImportSheetTest)
#include "tst_promptimportsheet.moc"
