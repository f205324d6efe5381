#include "FakeClipboard.h"
#include "FakeLaunchAtLoginService.h"
#include "FakeShellPorts.h"
#include "PromptStoreFileHarness.h"

#include "app/HotKeyService.h"
#include "app/Runtime.h"
#include "store/PromptStore.h"
#include "windows/manager/WorkspaceManagerView.h"

#include <QPointer>
#include <QTest>

namespace {

RuntimePlatform quietPlatform() {
    RuntimePlatform platform;
    platform.makeStatusItem = [] { return std::make_unique<FakeStatusItem>(); };
    platform.makeHotKeyService = [] {
        return std::make_unique<HotKeyService>(
            nullptr, false, [](const PromptKeyboardShortcut&, EventHotKeyID, std::optional<HotKeyRef>&) { return 0; },
            [](HotKeyRef) { return 0; });
    };
    platform.clipboard = std::make_shared<FakeClipboard>();
    platform.launchAtLogin = std::make_shared<FakeLaunchAtLoginService>();
    platform.pointerPosition = [] { return QPoint(); };
    platform.screens = [] { return QList<PanelPlacement::Screen>{}; };
    platform.reduceMotion = [] { return false; };
    platform.detectsDesktopContext = false;
    return platform;
}

} // namespace

class RuntimeWorkspaceManagerTest : public QObject {
    Q_OBJECT

private slots:
    void everyRequestBuildsAFreshManagerWithItsWorkspaceSelected() {
        PromptStoreFileHarness files;
        files.writeWorkspaceFile("alpha", "Alpha", {"a1"});
        files.writeWorkspaceFile("beta", "Beta", {"b1"});
        Runtime runtime(files.env.environment(), quietPlatform());
        QTRY_COMPARE(runtime.promptStore().workspaces().size(), 2);

        emit runtime.requests().requestOpenWorkspaceManager(QString("alpha"));
        QWidget* window = runtime.workspaceManagerWindow();
        QVERIFY(window != nullptr && window->isVisible());
        QCOMPARE(window->windowTitle(), QString("Workspace Manager"));
        QVERIFY(window->minimumWidth() >= 940 && window->minimumHeight() >= 620);
        QPointer<WorkspaceManagerView> first = window->findChild<WorkspaceManagerView*>();
        QVERIFY(first != nullptr);
        QCOMPARE(first->model().selectedWorkspaceID(), std::optional<QString>("alpha"));
        first->model().setWorkspaceSearch("alp");

        emit runtime.requests().requestOpenWorkspaceManager(QString("beta"));
        QCOMPARE(runtime.workspaceManagerWindow(), window);
        QVERIFY(first.isNull());
        const QList<WorkspaceManagerView*> views = window->findChildren<WorkspaceManagerView*>();
        QCOMPARE(views.size(), 1);
        QCOMPARE(views.first()->model().selectedWorkspaceID(), std::optional<QString>("beta"));
        QVERIFY(views.first()->model().workspaceSearch().isEmpty());

        emit runtime.requests().requestOpenWorkspaceManager(std::nullopt);
        QCOMPARE(window->findChild<WorkspaceManagerView*>()->model().selectedWorkspaceID(), std::nullopt);
    }
};

QTEST_MAIN(RuntimeWorkspaceManagerTest)
#include "tst_runtimeworkspacemanager.moc"
