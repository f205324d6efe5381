#include "TestEnvironment.h"

#include "config/BackgroundWork.h"
#include "sheets/PromptImportViewModel.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include <memory>

using namespace std::chrono_literals;

namespace {

PromptImportPreview preview(const QString& title) {
    return PromptImportPreview{QStringLiteral("preview-") + title, title, QStringLiteral("Text of ") + title};
}

// Holds the model's worker jobs until the test runs them, and records what each parse was given.
struct Harness {
    TestEnvironment env;
    QList<std::function<void()>> jobs;
    QStringList parsedTexts;
    QList<AppLanguage> parsedLanguages;
    AppLanguage language = AppLanguage::english;
    int finished = 0;
    // What the parser returns for a text; absent: one preview titled with the text.
    std::function<Result<QList<PromptImportPreview>>(const QString&)> answer;
    std::unique_ptr<PromptImportViewModel> model;

    Harness() {
        model = std::make_unique<PromptImportViewModel>(
            env.scheduler(), [this] { return language; }, [this](std::function<void()> job) { jobs << job; },
            [this](const QString& text, AppLanguage parsedLanguage) -> Result<QList<PromptImportPreview>> {
                parsedTexts << text;
                parsedLanguages << parsedLanguage;
                return answer ? answer(text) : Result<QList<PromptImportPreview>>({preview(text)});
            },
            [this] { ++finished; });
    }

    // Runs the oldest job as a worker would; its result waits in the event queue.
    void workOnly() {
        QVERIFY(!jobs.isEmpty());
        jobs.takeFirst()();
    }
    static void deliver() { QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); }
    void runJob() {
        workOnly();
        deliver();
    }

    QStringList titles() const {
        QStringList result;
        for (const PromptImportPreview& item : model->previews()) {
            result << item.title;
        }
        return result;
    }
};

} // namespace

class PromptImportViewModelTest : public QObject {
    Q_OBJECT

private slots:
    void onlyTheTextLeftAloneForThePauseIsParsed() {
        Harness h;
        h.model->updateRawText(QStringLiteral("first"));
        h.env.scheduler().advance(150ms);
        h.model->updateRawText(QStringLiteral("second"));
        h.language = AppLanguage::zhHans; // a later change of language does not reach this parse
        // The first task ended during its pause, without a parse.
        QCOMPARE(h.finished, 1);
        h.env.scheduler().advance(199ms);
        QVERIFY(h.jobs.isEmpty());
        h.env.scheduler().advance(1ms);
        QCOMPARE(h.jobs.size(), 1);
        QVERIFY(h.model->isPending());
        h.runJob();

        QCOMPARE(h.parsedTexts, QStringList{QStringLiteral("second")});
        QCOMPARE(h.parsedLanguages, QList<AppLanguage>{AppLanguage::english});
        QCOMPARE(h.titles(), QStringList{QStringLiteral("second")});
        QVERIFY(h.model->hasCurrentImportPreview());
        QCOMPARE(h.finished, 2);
        QVERIFY(!h.model->isPending());
    }

    void everyChangeEmptiesThePreviewsAtOnceEvenForTheSameText() {
        Harness h;
        h.model->updateRawText(QStringLiteral("same"));
        h.env.scheduler().advance(200ms);
        h.runJob();
        QCOMPARE(h.model->previews().size(), 1);

        int emitted = 0;
        connect(h.model.get(), &PromptImportViewModel::previewsChanged, this, [&emitted] { ++emitted; });
        h.model->updateRawText(QStringLiteral("same"));
        QCOMPARE(emitted, 1);
        QVERIFY(h.model->previews().isEmpty());
        QVERIFY(!h.model->hasCurrentImportPreview());
        QVERIFY(h.model->isPending());
    }

    void aResultOfReplacedTextIsDroppedAndLeavesTheNewTaskAlone() {
        Harness h;
        h.model->updateRawText(QStringLiteral("old"));
        h.env.scheduler().advance(200ms);
        QCOMPARE(h.jobs.size(), 1); // the parse of "old" is running
        h.workOnly();               // "old" is parsed, and its result is on its way
        h.model->updateRawText(QStringLiteral("new"));
        QCOMPARE(h.finished, 0); // a running parse ends when its worker reports back

        h.deliver(); // "old" arrives late
        QCOMPARE(h.parsedTexts, QStringList{QStringLiteral("old")});
        QVERIFY(h.model->previews().isEmpty());
        QVERIFY(!h.model->hasCurrentImportPreview());
        QCOMPARE(h.finished, 1);
        QVERIFY(h.model->isPending()); // the task of "new" is still the current one

        h.env.scheduler().advance(200ms);
        h.runJob();
        QCOMPARE(h.titles(), QStringList{QStringLiteral("new")});
        QCOMPARE(h.finished, 2);
        QVERIFY(!h.model->isPending());
    }

    void cancellingDropsAnyLaterResult() {
        Harness h;
        // Cancelled while parsing: the result arrives and is dropped.
        h.model->updateRawText(QStringLiteral("parsing"));
        h.env.scheduler().advance(200ms);
        h.workOnly();
        h.model->cancelPendingParse();
        QVERIFY(!h.model->isPending());
        h.deliver();
        QVERIFY(h.model->previews().isEmpty());
        QCOMPARE(h.finished, 1);

        // Cancelled before the worker began: the parse is skipped.
        h.model->updateRawText(QStringLiteral("skipped"));
        h.env.scheduler().advance(200ms);
        h.model->cancelPendingParse();
        h.runJob();
        QCOMPARE(h.finished, 2);

        // Cancelled while pausing: nothing is parsed at all.
        h.model->updateRawText(QStringLiteral("pausing"));
        h.model->cancelPendingParse();
        QCOMPARE(h.finished, 3);
        h.env.scheduler().advance(1s);
        QVERIFY(h.jobs.isEmpty());
        QCOMPARE(h.parsedTexts, QStringList{QStringLiteral("parsing")});

        // Cancelling also empties what was published.
        h.model->updateRawText(QStringLiteral("shown"));
        h.env.scheduler().advance(200ms);
        h.runJob();
        QVERIFY(h.model->hasCurrentImportPreview());
        h.model->cancelPendingParse();
        QVERIFY(h.model->previews().isEmpty());
        QVERIFY(!h.model->hasCurrentImportPreview());
        QCOMPARE(h.finished, 4);
    }

    void emptyAndFailedParsesPublishNoPreview() {
        Harness h;
        h.answer = [](const QString& text) -> Result<QList<PromptImportPreview>> {
            if (text == QStringLiteral("fails")) {
                return AppError::make(QStringLiteral("Test"), QStringLiteral("test"), 1);
            }
            return QList<PromptImportPreview>();
        };
        int emitted = 0;
        connect(h.model.get(), &PromptImportViewModel::previewsChanged, this, [&emitted] { ++emitted; });

        h.model->updateRawText(QString());
        h.env.scheduler().advance(200ms);
        h.runJob();
        QCOMPARE(h.parsedTexts, QStringList{QString()}); // an empty text is parsed like any other
        QCOMPARE(emitted, 2);                            // emptied by the change, then published empty
        QVERIFY(h.model->previews().isEmpty());
        QVERIFY(!h.model->hasCurrentImportPreview());
        QCOMPARE(h.finished, 1);

        h.model->updateRawText(QStringLiteral("fails"));
        h.env.scheduler().advance(200ms);
        h.runJob();
        QCOMPARE(emitted, 3); // only the change
        QVERIFY(!h.model->hasCurrentImportPreview());
        QCOMPARE(h.finished, 2);
        QVERIFY(!h.model->isPending());
    }

    void destroyingTheModelAbandonsItsWorkQuietly() {
        Harness h;
        h.model->updateRawText(QStringLiteral("parsing"));
        h.env.scheduler().advance(200ms);
        h.model.reset();
        h.runJob(); // the worker finishes after the model is gone
        QCOMPARE(h.finished, 0);
        QVERIFY(h.parsedTexts.isEmpty()); // the parse saw the cancellation before it began

        Harness pausing;
        pausing.model->updateRawText(QStringLiteral("pausing"));
        pausing.model.reset();
        QCOMPARE(pausing.env.scheduler().pendingCount(), 0);
        pausing.env.scheduler().advance(1s);
        QVERIFY(pausing.jobs.isEmpty());
        QCOMPARE(pausing.finished, 0);
    }

    // The default executor and parser on the global thread pool.
    void parsesOnAWorkerThreadAndSurvivesDestructionMidParse() {
        TestEnvironment env;
        int finished = 0;
        {
            PromptImportViewModel model(
                env.scheduler(), [] { return AppLanguage::english; }, {}, {}, [&finished] { ++finished; });
            model.updateRawText(QStringLiteral("Review the diff\nCheck every changed line.\n\nWrite tests\nCover "
                                               "the error paths."));
            env.scheduler().advance(200ms);
            QTRY_COMPARE(model.previews().size(), 2);
            QVERIFY(model.hasCurrentImportPreview());
            QCOMPARE(finished, 1);
        }

        // A parser that waits until the model is gone.
        QSemaphore started;
        QSemaphore release;
        std::atomic<QThread*> parsingThread = nullptr;
        auto model = std::make_unique<PromptImportViewModel>(
            env.scheduler(), [] { return AppLanguage::english; }, PromptImportViewModel::Executor(),
            [&](const QString& text, AppLanguage language) -> Result<QList<PromptImportPreview>> {
                parsingThread = QThread::currentThread();
                started.release();
                release.acquire();
                return PromptImportParser::parse(text, language);
            },
            [&finished] { ++finished; });
        model->updateRawText(QStringLiteral("Title\nBody"));
        env.scheduler().advance(200ms);
        QVERIFY(started.tryAcquire(1, 5000));
        QVERIFY(parsingThread.load() != QThread::currentThread());
        model.reset();
        release.release();
        QVERIFY(BackgroundWork::pool()->waitForDone(5000));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        QCOMPARE(finished, 1);
    }
};

QTEST_MAIN(PromptImportViewModelTest)
#include "tst_promptimportviewmodel.moc"
