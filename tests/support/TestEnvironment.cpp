#include "TestEnvironment.h"

#include "config/SecureFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QTimeZone>

#include <algorithm>

ManualClock::ManualClock() : m_now(QDateTime(QDate(2026, 1, 15), QTime(9, 30), Qt::UTC)) {}

void ManualClock::advance(std::chrono::milliseconds by) {
    m_now = m_now.addMSecs(by.count());
    m_monotonic += by;
}

Scheduler::Token ManualScheduler::schedule(std::chrono::milliseconds delay, std::function<void()> work) {
    const Token token = m_next++;
    m_items.append({token, m_clock->monotonicNow() + delay, std::chrono::milliseconds(0), std::move(work)});
    return token;
}

Scheduler::Token ManualScheduler::scheduleRepeating(std::chrono::milliseconds interval, std::function<void()> work) {
    const Token token = m_next++;
    m_items.append({token, m_clock->monotonicNow() + interval, interval, std::move(work)});
    return token;
}

void ManualScheduler::cancel(Token token) {
    m_items.removeIf([token](const Item& item) { return item.token == token; });
}

void ManualScheduler::advance(std::chrono::milliseconds by) {
    const std::chrono::milliseconds end = m_clock->monotonicNow() + by;
    for (;;) {
        auto next = std::min_element(m_items.begin(), m_items.end(), [](const Item& a, const Item& b) {
            return a.due < b.due || (a.due == b.due && a.token < b.token);
        });
        if (next == m_items.end() || next->due > end) {
            break;
        }
        const std::chrono::milliseconds due = next->due;
        const Token token = next->token;
        std::function<void()> work = next->work;
        if (next->interval.count() > 0) {
            next->due += next->interval;
        } else {
            m_items.erase(next);
        }
        if (due > m_clock->monotonicNow()) {
            m_clock->advance(due - m_clock->monotonicNow());
        }
        (void)token;
        work();
    }
    if (end > m_clock->monotonicNow()) {
        m_clock->advance(end - m_clock->monotonicNow());
    }
}

TestEnvironment::TestEnvironment(Settings settings)
    : m_clock(std::make_shared<ManualClock>()), m_scheduler(std::make_shared<ManualScheduler>(m_clock)),
      m_languages(std::make_shared<QStringList>(QStringList{QStringLiteral("en-US")})),
      m_variables(std::make_shared<QHash<QString, QString>>()) {
    const QString home = QDir(m_dir.path()).filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    m_environment.homePath = home;
    if (settings == Settings::iniFile) {
        m_settingsFile = QDir(m_dir.path()).filePath(QStringLiteral("settings.ini"));
        m_environment.defaults = std::make_shared<SettingsUserDefaults>(m_settingsFile);
    } else {
        m_environment.defaults = std::make_shared<MemoryUserDefaults>();
    }
    auto languages = m_languages;
    m_environment.preferredLanguages = [languages] { return *languages; };
    auto variables = m_variables;
    m_environment.environmentVariable = [variables](const QString& name) -> std::optional<QString> {
        const auto found = variables->constFind(name);
        if (found == variables->constEnd()) {
            return std::nullopt;
        }
        return *found;
    };
    m_environment.clock = m_clock;
    m_environment.scheduler = m_scheduler;
}

QString TestEnvironment::writeFile(const QString& relativePath, const QByteArray& content) const {
    const QString path = QDir(home()).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qFatal("cannot write test file %s", qPrintable(relativePath));
    }
    file.write(content);
    return path;
}

QByteArray TestEnvironment::readFile(const QString& relativePath) const {
    QFile file(QDir(home()).filePath(relativePath));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

ScopedWriteFault::ScopedWriteFault(std::function<bool(const QString& path)> matches, AppError error)
    : m_hits(std::make_shared<int>(0)) {
    auto hits = m_hits;
    SecureFileWriter::setFaultInjector([matches, error, hits](const QString& path) -> std::optional<AppError> {
        if (matches && !matches(path)) {
            return std::nullopt;
        }
        ++*hits;
        return error;
    });
}

ScopedWriteFault::~ScopedWriteFault() {
    SecureFileWriter::setFaultInjector({});
}

ScopedReplaceRace::ScopedReplaceRace(QString target, std::function<void()> action, bool withoutExchange)
    : m_acted(std::make_shared<bool>(false)) {
    auto acted = m_acted;
    SecureFileWriter::setExchangeUnavailable(withoutExchange);
    SecureFileWriter::setReplaceHook([target, action, acted](const QString& path) {
        if (!*acted && path == target) {
            *acted = true;
            action();
        }
    });
}

ScopedReplaceRace::~ScopedReplaceRace() {
    SecureFileWriter::setReplaceHook({});
    SecureFileWriter::setExchangeUnavailable(false);
}

namespace {
QMutex logMutex;
QStringList capturedLines;
QtMessageHandler previousHandler = nullptr;

void captureHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (context.category && QByteArray(context.category).startsWith("app.orris-hollows")) {
        QMutexLocker lock(&logMutex);
        capturedLines.append(QString::fromUtf8(context.category) + QLatin1String(": ") + message);
    }
    if (previousHandler) {
        previousHandler(type, context, message);
    }
}
} // namespace

LogCapture::LogCapture() {
    clear();
    previousHandler = qInstallMessageHandler(captureHandler);
}

LogCapture::~LogCapture() {
    qInstallMessageHandler(previousHandler);
}

QStringList LogCapture::lines() const {
    QMutexLocker lock(&logMutex);
    return capturedLines;
}

void LogCapture::clear() {
    QMutexLocker lock(&logMutex);
    capturedLines.clear();
}
