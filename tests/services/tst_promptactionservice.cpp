#include "FakeClipboard.h"

#include "services/PromptActionService.h"

#include <QTest>

class PromptActionServiceTest : public QObject {
    Q_OBJECT

private slots:
    void copiesTheTextInOneWrite() {
        auto clipboard = std::make_shared<FakeClipboard>();
        const PromptActionService service(clipboard);
        const QString text = QStringLiteral("h\u00e9llo\r\n{{x}}\t\U0001F600 ");
        QCOMPARE(service.copyText(text), PromptCopyResult::success);
        QCOMPARE(clipboard->content, text);
        QCOMPARE(clipboard->attempts, QStringList{text});
    }

    void aRefusedWriteKeepsTheEarlierContent() {
        auto clipboard = std::make_shared<FakeClipboard>();
        const PromptActionService service(clipboard);
        QCOMPARE(service.copyText(QStringLiteral("earlier")), PromptCopyResult::success);
        clipboard->refusesWrites = true;
        QCOMPARE(service.copyText(QStringLiteral("new")), PromptCopyResult::clipboardFailure);
        QCOMPARE(clipboard->content, QStringLiteral("earlier"));
        // Nothing cleared the clipboard before the refused write.
        QCOMPARE(clipboard->attempts, (QStringList{"earlier", "new"}));
    }

    void copiesShareTheOneClipboard() {
        auto clipboard = std::make_shared<FakeClipboard>();
        const PromptActionService original(clipboard);
        const PromptActionService copy = original;
        QCOMPARE(copy.copyText(QStringLiteral("shared")), PromptCopyResult::success);
        QCOMPARE(clipboard->content, QStringLiteral("shared"));
        QCOMPARE(PromptActionService(nullptr).copyText(QStringLiteral("x")), PromptCopyResult::clipboardFailure);
    }
};

QTEST_GUILESS_MAIN(PromptActionServiceTest)
#include "tst_promptactionservice.moc"
