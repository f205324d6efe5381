#include "config/StartupFileRecovery.h"

#include "config/PromptPersistenceService.h"
#include "config/SecureFileWriter.h"
#include "model/AppLog.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

bool isRegularFile(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

QStringList hiddenNames(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// ".orris-hollows-deleting-<id>-<UUID>.tmp" -> "<id>", the stem of the file it was.
std::optional<QString> isolatedStem(const QString& fileName) {
    const QString& prefix = PromptPersistenceService::isolatedFilePrefix;
    constexpr qsizetype uuidLength = 36;
    if (!fileName.startsWith(prefix) || !fileName.endsWith(u".tmp"_s)) {
        return std::nullopt;
    }
    const QString middle = fileName.mid(prefix.size(), fileName.size() - prefix.size() - 4);
    if (middle.size() < uuidLength + 2 || middle.at(middle.size() - uuidLength - 1) != u'-' ||
        QUuid::fromString(middle.right(uuidLength)).isNull()) {
        return std::nullopt;
    }
    const QString stem = middle.first(middle.size() - uuidLength - 1);
    return PromptPersistenceService::isValidWorkspaceID(stem) ? stem : u"workspace"_s;
}

} // namespace

StartupFileRecovery::Counts StartupFileRecovery::run(const AppEnvironment& environment) {
    Counts counts;
    const PromptPersistenceService persistence(environment);
    const QString dataFolder = persistence.baseDirectory();
    const QString workspacesFolder = persistence.workspacesDirectory();

    std::optional<AppError> lastError;
    for (const QString& folder : {dataFolder, workspacesFolder}) {
        for (const QString& name : hiddenNames(folder)) {
            const QString path = folder + u'/' + name;
            if (!SecureFileWriter::isTemporaryFileName(name) || !isRegularFile(path)) {
                continue;
            }
            if (::unlink(QFile::encodeName(path).constData()) == 0) {
                ++counts.removedTemporaryFiles;
            } else if (errno != ENOENT) {
                lastError = AppError::posix(errno);
                ++counts.failures;
            }
        }
    }
    for (const QString& name : hiddenNames(workspacesFolder)) {
        const std::optional<QString> stem = isolatedStem(name);
        if (!stem) {
            continue;
        }
        const Result<QString> restored = persistence.putBackIsolatedWorkspaceFile(
            workspacesFolder + u'/' + name, workspacesFolder + u'/' + *stem + u".yaml"_s);
        if (restored.ok()) {
            ++counts.restoredWorkspaceFiles;
        } else {
            lastError = restored.error();
            ++counts.failures;
        }
    }

    if (counts.removedTemporaryFiles > 0) {
        qCWarning(lcPersistence).noquote()
            << "Removed stale temporary files count=" + QString::number(counts.removedTemporaryFiles);
    }
    if (counts.restoredWorkspaceFiles > 0) {
        qCWarning(lcPersistence).noquote()
            << "Restored isolated workspace files count=" + QString::number(counts.restoredWorkspaceFiles);
    }
    if (lastError) {
        qCCritical(lcPersistence).noquote() << "Recover data folder failed count=" + QString::number(counts.failures)
                                            << "error=" + AppLog::errorSummary(*lastError);
    }
    return counts;
}
