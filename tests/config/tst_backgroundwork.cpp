#include "TestEnvironment.h"

#include "config/BackgroundPromptConfigLoader.h"
#include "config/BackgroundWork.h"
#include "config/PromptImportParser.h"

#include <QSemaphore>
#include <QTest>
#include <QThreadPool>

#include <chrono>

using namespace std::chrono_literals;

namespace {

// Waits for a future without an event loop; false when it is still running after the timeout.
template <typename T> bool finishes(const QFuture<T>& future, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!future.isFinished()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        QThread::msleep(5);
    }
    return true;
}

} // namespace

class BackgroundWorkTest : public QObject {
    Q_OBJECT

private slots:
    // Qt's global pool runs the fills of a frame; with it busy, a load (and the hash it starts
    // beside the reading) and an import's parse still finish.
    void workFinishesWhileQtsGlobalPoolIsBusy() {
        TestEnvironment env;
        QByteArray yaml = "prompts:\n";
        for (int i = 0; yaml.size() < 96 * 1024; ++i) {
            yaml += QStringLiteral("  - id: p%1\n    title: Prompt %1\n    text: \"%2\"\n")
                        .arg(i)
                        .arg(QString(200, QLatin1Char('x')))
                        .toUtf8();
        }
        env.writeFile(".orris-hollows/global.yaml", yaml);
        const int expected = int(yaml.count("  - id: "));

        QThreadPool* global = QThreadPool::globalInstance();
        const int previousMaximum = global->maxThreadCount();
        global->setMaxThreadCount(1);
        QSemaphore release;
        global->start([&release] { release.acquire(); });

        BackgroundPromptConfigLoader loader(env.environment());
        const QFuture<PromptLoadResult> load = loader.loadAllConfigs(AppLanguage::english);
        const QFuture<QList<PromptImportPreview>> parse =
            PromptImportParser::parseInBackground(QStringLiteral("Title\nBody"), AppLanguage::english);
        const bool loaded = finishes(load, 10s);
        const bool parsed = finishes(parse, 10s);

        release.release();
        global->waitForDone();
        global->setMaxThreadCount(previousMaximum);
        QVERIFY(loaded);
        QVERIFY(parsed);
        QCOMPARE(load.result().globalPrompts.size(), expected);
        QCOMPARE(parse.result().size(), 1);
    }

    void framesGetOneThreadOfTheirOwnPool() {
        QVERIFY(BackgroundWork::pool() != QThreadPool::globalInstance());
        QVERIFY(BackgroundWork::pool()->maxThreadCount() >= 2);

        QThreadPool* global = QThreadPool::globalInstance();
        const int previousMaximum = global->maxThreadCount();
        const int previousExpiry = global->expiryTimeout();
        BackgroundWork::configureFramePool();
        const int maximum = global->maxThreadCount();
        const int expiry = global->expiryTimeout();
        global->setMaxThreadCount(previousMaximum);
        QCOMPARE(maximum, 1);
        QCOMPARE(expiry, previousExpiry);
    }
};

QTEST_GUILESS_MAIN(BackgroundWorkTest)
#include "tst_backgroundwork.moc"
