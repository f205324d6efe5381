#include "sheets/PromptImportViewModel.h"

#include "config/BackgroundWork.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

#include <utility>

PromptImportViewModel::PromptImportViewModel(Scheduler& scheduler, std::function<AppLanguage()> languageProvider,
                                             Executor executor, Parser parser, std::function<void()> onTaskFinished,
                                             QObject* parent)
    : QObject(parent), m_scheduler(scheduler), m_languageProvider(std::move(languageProvider)),
      m_executor(executor ? std::move(executor) : threadPoolExecutor()),
      m_parser(parser ? std::move(parser) : defaultParser()), m_onTaskFinished(std::move(onTaskFinished)) {}

PromptImportViewModel::~PromptImportViewModel() {
    // A parse still running ends on its worker; its result finds no model and is dropped.
    if (m_task) {
        m_task->cancelled->store(true);
        if (m_task->pauseTimer) {
            m_scheduler.cancel(*m_task->pauseTimer);
        }
    }
}

PromptImportViewModel::Executor PromptImportViewModel::threadPoolExecutor() {
    return [](std::function<void()> job) { BackgroundWork::pool()->start(std::move(job)); };
}

PromptImportViewModel::Parser PromptImportViewModel::defaultParser() {
    return [](const QString& text, AppLanguage language) -> Result<QList<PromptImportPreview>> {
        return PromptImportParser::parse(text, language);
    };
}

void PromptImportViewModel::updateRawText(const QString& text) {
    const quint64 token = ++m_generation;
    AppLanguage language = m_languageProvider ? m_languageProvider() : AppLanguage::english;
    if (language == AppLanguage::system) {
        // The parser names untitled sections in a resolved language.
        language = AppLanguage::english;
    }
    std::optional<Task> previous = std::exchange(m_task, std::nullopt);
    if (previous) {
        previous->cancelled->store(true);
    }
    setPreviews({}, false);

    Task task;
    task.token = token;
    task.cancelled = std::make_shared<std::atomic_bool>(false);
    task.text = text;
    task.language = language;
    task.pauseTimer = m_scheduler.schedule(pause, [this, token] { startParse(token); });
    m_task = std::move(task);

    cancelTask(std::move(previous));
}

void PromptImportViewModel::cancelPendingParse() {
    ++m_generation;
    std::optional<Task> previous = std::exchange(m_task, std::nullopt);
    setPreviews({}, false);
    cancelTask(std::move(previous));
}

void PromptImportViewModel::cancelTask(std::optional<Task> task) {
    if (!task) {
        return;
    }
    task->cancelled->store(true);
    if (task->pauseTimer) {
        // Cancelled during its pause: it never reaches a worker, so it ends here.
        m_scheduler.cancel(*task->pauseTimer);
        finishParseTask(task->token);
    }
    // A task already parsing ends when its worker reports back.
}

void PromptImportViewModel::startParse(quint64 token) {
    if (!m_task || m_task->token != token) {
        return;
    }
    m_task->pauseTimer.reset();
    if (m_task->cancelled->load()) {
        finishParseTask(token);
        return;
    }

    // The job touches nothing of the model: it works on copies and posts its outcome to the main
    // thread, where the weak pointer tells whether the model still exists.
    QPointer<PromptImportViewModel> self(this);
    m_executor([self, token, cancelled = m_task->cancelled, text = m_task->text, language = m_task->language,
                parser = m_parser]() {
        bool abandoned = cancelled->load();
        Result<QList<PromptImportPreview>> result =
            abandoned ? Result<QList<PromptImportPreview>>(QList<PromptImportPreview>()) : parser(text, language);
        abandoned = abandoned || cancelled->load();
        QCoreApplication* application = QCoreApplication::instance();
        if (application == nullptr) {
            return;
        }
        QMetaObject::invokeMethod(
            application,
            [self, token, abandoned, result]() {
                if (self != nullptr) {
                    self->deliver(token, abandoned, result);
                }
            },
            Qt::QueuedConnection);
    });
}

void PromptImportViewModel::deliver(quint64 token, bool cancelled, Result<QList<PromptImportPreview>> result) {
    if (!cancelled && result.ok() && m_generation == token) {
        const bool current = !result->isEmpty();
        setPreviews(std::move(result).value(), current);
    }
    finishParseTask(token);
}

void PromptImportViewModel::finishParseTask(quint64 token) {
    if (m_onTaskFinished) {
        m_onTaskFinished();
    }
    if (m_task && m_task->token == token) {
        m_task.reset();
    }
}

void PromptImportViewModel::setPreviews(QList<PromptImportPreview> previews, bool current) {
    m_previews = std::move(previews);
    m_hasCurrentImportPreview = current;
    emit previewsChanged();
}
