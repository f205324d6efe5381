#include "FakeDesktopSeams.h"
#include "PromptStoreHarness.h"

#include "services/RequestBus.h"
#include "widgets/ConfigIssueBanner.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

using Action = PromptConfigRecoveryAction;

PromptConfigIssue issueWith(const QSet<Action>& actions) {
    PromptConfigIssue issue =
        PromptConfigIssue::make("/srv/home/.orris-hollows/global.yaml", PromptConfigSourceKind::global,
                                PromptConfigIssueKind::invalidFormat, AppLanguage::english);
    issue.recoveryActions = actions;
    return issue;
}

QStringList buttonNames(const QWidget& banner) {
    QStringList names;
    for (const QPushButton* button : banner.findChildren<QPushButton*>()) {
        names << button->objectName();
    }
    return names;
}

} // namespace

Q_DECLARE_METATYPE(QList<PromptConfigRecoveryAction>)

class ConfigIssueBannerTest : public QObject {
    Q_OBJECT

private slots:
    void offeredActions_data() {
        QTest::addColumn<QList<Action>>("actions");
        QTest::addColumn<bool>("showsOpenManager");
        QTest::addColumn<QList<Action>>("expected");
        const QList<Action> all{Action::openWorkspaceManager, Action::showInFinder, Action::reload};
        QTest::newRow("all, in the fixed order")
            << all << true << QList<Action>{Action::reload, Action::showInFinder, Action::openWorkspaceManager};
        QTest::newRow("in the manager: never open manager")
            << all << false << QList<Action>{Action::reload, Action::showInFinder};
        QTest::newRow("only open manager, in the manager")
            << QList<Action>{Action::openWorkspaceManager} << false << QList<Action>{};
        QTest::newRow("none") << QList<Action>{} << true << QList<Action>{};
    }

    void offeredActions() {
        QFETCH(QList<Action>, actions);
        QFETCH(bool, showsOpenManager);
        QFETCH(QList<Action>, expected);
        QCOMPARE(ConfigIssueBanner::offeredActions(QSet<Action>(actions.cbegin(), actions.cend()), showsOpenManager),
                 expected);
    }

    void theButtonsAct() {
        PromptStoreHarness h;
        RequestBus requests;
        FakeFileRevealer revealer;
        const PromptConfigIssue issue = issueWith({Action::reload, Action::showInFinder, Action::openWorkspaceManager});
        ConfigIssueBanner banner(issue, *h.store, revealer, &requests, true);
        QCOMPARE(buttonNames(banner), (QStringList{"configIssueReloadButton", "configIssueShowInFolderButton",
                                                   "configIssueOpenManagerButton"}));

        QSignalSpy opened(&requests, &RequestBus::requestOpenWorkspaceManager);
        banner.findChild<QPushButton*>("configIssueOpenManagerButton")->click();
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.first().first().value<std::optional<QString>>(), std::nullopt);
        banner.findChild<QPushButton*>("configIssueShowInFolderButton")->click();
        QCOMPARE(revealer.revealed, QStringList{issue.fileURL});
        const int loads = h.loader->loadCount();
        banner.findChild<QPushButton*>("configIssueReloadButton")->click();
        banner.findChild<QPushButton*>("configIssueReloadButton")->click();
        // Each press starts a reload; the store decides which result wins.
        QCOMPARE(h.loader->loadCount(), loads + 2);

        ConfigIssueBanner bare(issueWith({}), *h.store, revealer, nullptr, true);
        QVERIFY(buttonNames(bare).isEmpty());
    }
};

QTEST_MAIN(ConfigIssueBannerTest)
#include "tst_configissuebanner.moc"
