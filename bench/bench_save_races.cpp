// Guarded saves against another process that edits the workspace file at a random moment during
// each save, 1,000 saves for each way of editing: renaming its own file over ours, writing into
// the file in place, deleting it. Every edit of the other process must survive (or, for a
// deletion, stay deleted) unless the save reported the conflict or the deletion: the figure that
// must stay 0 is `silentLosses`. Each benchmark runs once; `--benchmark_filter=Race` runs them
// alone.

#include "config/PromptConfigLoader.h"
#include "config/PromptPersistenceService.h"
#include "model/environment/UserDefaults.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int trials = 1'000;

enum class Edit : int { renameOver = 0, inPlace = 1, remove = 2 };

struct Order {
    std::int64_t deadlineNanoseconds; // CLOCK_MONOTONIC, the same clock in both processes
    int trial;
};

std::int64_t monotonicNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

QByteArray theirContent(int trial) {
    return "workspace:\n  name: \"Theirs " + QByteArray::number(trial) + "\"\nprompts: []\n";
}

bool readFully(int fd, void* buffer, size_t size) {
    auto* cursor = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t got = ::read(fd, cursor, size);
        if (got <= 0) {
            if (got < 0 && errno == EINTR) {
                continue;
            }
            return false;
        }
        cursor += got;
        size -= size_t(got);
    }
    return true;
}

// The other process: waits for each order, stages its content, then edits at the deadline.
[[noreturn]] void runOtherWriter(int orders, int done, Edit edit, const QByteArray& target, const QByteArray& staging) {
    Order order{};
    while (readFully(orders, &order, sizeof order)) {
        const QByteArray content = theirContent(order.trial);
        if (edit == Edit::renameOver) {
            const int fd = ::open(staging.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            if (fd < 0 || ::write(fd, content.constData(), size_t(content.size())) != content.size()) {
                ::_exit(2);
            }
            ::close(fd);
        }
        const std::int64_t deadline = order.deadlineNanoseconds;
        timespec at{time_t(deadline / 1'000'000'000), long(deadline % 1'000'000'000)};
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
        if (edit == Edit::renameOver) {
            ::rename(staging.constData(), target.constData());
        } else if (edit == Edit::inPlace) {
            const int fd = ::open(target.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            if (fd >= 0) {
                if (::write(fd, content.constData(), size_t(content.size())) != content.size()) {
                    ::_exit(3);
                }
                ::close(fd);
            }
        } else {
            ::unlink(target.constData());
        }
        const char ack = 1;
        if (::write(done, &ack, 1) != 1) {
            ::_exit(4);
        }
    }
    ::_exit(0);
}

PromptWorkspace workspaceNumber(int trial, const QString& path, const QByteArray& onDisk) {
    PromptWorkspace workspace;
    workspace.id = QStringLiteral("raced");
    workspace.name = QStringLiteral("Ours %1").arg(trial);
    workspace.fileURL = path;
    workspace.fileVersion = PromptConfigLoader::fileVersion(onDisk, path);
    for (int i = 0; i < 40; ++i) {
        PromptItem prompt;
        prompt.id = QStringLiteral("prompt-%1").arg(i);
        prompt.title = QStringLiteral("Prompt %1 of trial %2").arg(i).arg(trial);
        prompt.group = QStringLiteral("General");
        prompt.text = QString(400, u'x');
        workspace.prompts.append(prompt);
    }
    return workspace;
}

void BM_RaceOtherWriter(benchmark::State& state, Edit edit) {
    QTemporaryDir home;
    AppEnvironment environment;
    environment.homePath = home.path();
    environment.defaults = std::make_shared<MemoryUserDefaults>();
    PromptPersistenceService persistence(environment, [] { return AppLanguage::english; });
    if (!persistence.ensureBaseDirectory()) {
        state.SkipWithError("no data folder");
        return;
    }
    const QString path = persistence.workspacesDirectory() + QStringLiteral("/raced.yaml");
    const QByteArray target = QFile::encodeName(path);
    const QByteArray staging = QFile::encodeName(home.path() + QStringLiteral("/staging.yaml"));
    const auto writeOriginal = [&](int trial) {
        const QByteArray original = "workspace:\n  name: \"Original " + QByteArray::number(trial) + "\"\nprompts: []\n";
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(original) != original.size()) {
            std::abort();
        }
        return original;
    };

    // How long one save takes here, so that the other writer's moments spread over whole saves.
    std::vector<std::int64_t> durations;
    for (int i = 0; i < 15; ++i) {
        const QByteArray original = writeOriginal(-1);
        const std::int64_t start = monotonicNanoseconds();
        if (!persistence.saveWorkspace(workspaceNumber(-1, path, original), std::nullopt)) {
            state.SkipWithError("a save without another writer failed");
            return;
        }
        durations.push_back(monotonicNanoseconds() - start);
    }
    std::sort(durations.begin(), durations.end());
    const std::int64_t saveNanoseconds = durations[durations.size() / 2];

    int orders[2];
    int done[2];
    if (::pipe2(orders, O_CLOEXEC) != 0 || ::pipe2(done, O_CLOEXEC) != 0) {
        state.SkipWithError("no pipe");
        return;
    }
    const pid_t other = ::fork();
    if (other == 0) {
        ::close(orders[1]);
        ::close(done[0]);
        runOtherWriter(orders[0], done[1], edit, target, staging);
    }
    ::close(orders[0]);
    ::close(done[1]);

    std::mt19937_64 random(20'261'210 + int(edit));
    std::uniform_int_distribution<std::int64_t> moment(0, saveNanoseconds * 6 / 5);
    int saved = 0;
    int conflicts = 0;
    int deletions = 0;
    int otherFailures = 0;
    int silentLosses = 0;
    int reportedButLost = 0;
    for (auto _ : state) {
        for (int trial = 0; trial < trials; ++trial) {
            const QByteArray original = writeOriginal(trial);
            const PromptWorkspace workspace = workspaceNumber(trial, path, original);
            const Order order{monotonicNanoseconds() + moment(random), trial};
            if (::write(orders[1], &order, sizeof order) != sizeof order) {
                std::abort();
            }
            const Result<PromptWorkspace> result = persistence.saveWorkspace(workspace, std::nullopt);
            char ack = 0;
            if (!readFully(done[0], &ack, 1)) {
                std::abort();
            }
            bool lost = false;
            if (edit == Edit::remove) {
                lost = QFile::exists(path); // the deletion was undone
            } else {
                QFile file(path);
                lost = !file.open(QIODevice::ReadOnly) || file.readAll() != theirContent(trial);
            }
            if (result.ok()) {
                ++saved;
                silentLosses += lost ? 1 : 0;
                continue;
            }
            reportedButLost += lost ? 1 : 0;
            const std::optional<WorkspaceSaveError> error = WorkspaceSaveError::from(result.error(), path);
            if (!error) {
                ++otherFailures;
            } else if (error->kind == WorkspaceSaveError::Kind::conflict) {
                ++conflicts;
            } else {
                ++deletions;
            }
        }
    }
    ::close(orders[1]);
    ::close(done[0]);
    ::waitpid(other, nullptr, 0);

    state.counters["trials"] = trials;
    state.counters["saved"] = saved;
    state.counters["conflicts"] = conflicts;
    state.counters["deleted"] = deletions;
    state.counters["otherFailures"] = otherFailures;
    state.counters["silentLosses"] = silentLosses;
    state.counters["lostDespiteReport"] = reportedButLost;
    state.counters["saveMicroseconds"] = double(saveNanoseconds) / 1000.0;
}
BENCHMARK_CAPTURE(BM_RaceOtherWriter, renameOver, Edit::renameOver)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RaceOtherWriter, writeInPlace, Edit::inPlace)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RaceOtherWriter, remove, Edit::remove)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
