#pragma once

#include "config/PromptImportParser.h"
#include "model/environment/Scheduler.h"
#include "model/Localization.h"
#include "model/Result.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Turns the text pasted into the import sheet into previews without blocking typing. Every change
// restarts a short pause on the scheduler; a text left unchanged for the pause is parsed on a
// worker, and the result is published only when no newer text or cancellation came meanwhile.
//
// Main thread only; only the parser runs elsewhere, on a copy of the text. Two counters decide
// staleness: `generation` (raised by every change and every cancellation) guards publishing, the
// token of the current task guards its clean-up, so that an old task ending late leaves a newer
// task's bookkeeping alone. The model may be destroyed while a parse runs: the worker's result is
// then dropped on arrival, without publishing or calling the finish hook.
class PromptImportViewModel : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds pause{200};

    // The parse, run on a worker with the text and language captured when the text changed. A
    // failure publishes nothing for that text.
    using Parser = std::function<Result<QList<PromptImportPreview>>(const QString& text, AppLanguage language)>;
    // Runs a job off the main thread (default: the global thread pool). The job returns its result
    // to the main thread through the event loop itself; tests run jobs by hand.
    using Executor = std::function<void(std::function<void()> job)>;

    PromptImportViewModel(Scheduler& scheduler, std::function<AppLanguage()> languageProvider, Executor executor = {},
                          Parser parser = {}, std::function<void()> onTaskFinished = {}, QObject* parent = nullptr);
    ~PromptImportViewModel() override;

    static Executor threadPoolExecutor();
    static Parser defaultParser();

    // The text changed: empties the previews at once and starts over with it, even for the same text.
    void updateRawText(const QString& text);
    // Drops any pending work and empties the previews.
    void cancelPendingParse();

    const QList<PromptImportPreview>& previews() const { return m_previews; }
    // True only while the previews belong to the current text and are not empty.
    bool hasCurrentImportPreview() const { return m_hasCurrentImportPreview; }
    // A task is pausing or parsing for the current text.
    bool isPending() const { return m_task.has_value(); }
    quint64 generation() const { return m_generation; }

signals:
    // After every change of previews or hasCurrentImportPreview (also when they are emptied again).
    void previewsChanged();

private:
    struct Task {
        quint64 token = 0;
        std::optional<Scheduler::Token> pauseTimer; // set while pausing
        std::shared_ptr<std::atomic_bool> cancelled;
        QString text;
        AppLanguage language = AppLanguage::english;
    };

    void startParse(quint64 token);
    void deliver(quint64 token, bool cancelled, Result<QList<PromptImportPreview>> result);
    void finishParseTask(quint64 token);
    // Cancels the current task; one still pausing has ended and gets its finish call here.
    void cancelTask(std::optional<Task> task);
    void setPreviews(QList<PromptImportPreview> previews, bool current);

    Scheduler& m_scheduler;
    std::function<AppLanguage()> m_languageProvider;
    Executor m_executor;
    Parser m_parser;
    std::function<void()> m_onTaskFinished;

    QList<PromptImportPreview> m_previews;
    bool m_hasCurrentImportPreview = false;
    std::optional<Task> m_task;
    quint64 m_generation = 0;
};
