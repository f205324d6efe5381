#include "config/StartupFileRecovery.h"

#include "config/InstanceLock.h"
#include "config/PromptPersistenceService.h"
#include "config/SecureFileWriter.h"
#include "config/StateFiles.h"
#include "model/AppLog.h"
#include "model/Sha256.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A displaced file can be anyone's, of any size; it is hashed only to be recognised.
constexpr qint64 largestComparedFile = 64 * 1024 * 1024;

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

std::optional<QString> contentHash(const QString& path) {
    const Result<QByteArray> bytes = StateFiles::readRegularFile(path, largestComparedFile);
    if (!bytes.ok()) {
        return std::nullopt;
    }
    return Sha256::hex(*bytes);
}

// The prompt files of a folder (not hidden, ".yaml"/".yml", regular) whose content hash starts
// with the prefix.
QStringList filesWithHashPrefix(const QString& folder, const QString& prefix) {
    QStringList found;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QString suffix = QFileInfo(name).suffix().toLower();
        const QString path = folder + u'/' + name;
        if ((suffix != "yaml"_L1 && suffix != "yml"_L1) || !isRegularFile(path)) {
            continue;
        }
        if (const std::optional<QString> hash = contentHash(path); hash && hash->startsWith(prefix)) {
            found.append(path);
        }
    }
    return found;
}

// Moves the file to a free kept-copy name in its folder, never over anything.
bool keepCopy(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    static const QString letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"_s;
    for (int attempt = 0; attempt < 32; ++attempt) {
        QString random;
        for (int i = 0; i < 6; ++i) {
            random += letters.at(int(QRandomGenerator::global()->bounded(quint32(letters.size()))));
        }
        const QString kept = folder + u'/' + StartupFileRecovery::keptCopyPrefix + random + u".yaml"_s;
        if (::renameat2(AT_FDCWD, QFile::encodeName(path).constData(), AT_FDCWD, QFile::encodeName(kept).constData(),
                        RENAME_NOREPLACE) == 0) {
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

enum class Outcome { removed, restoredRefusedEdit, kept, failed };

Outcome remove(const QString& path) {
    return ::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT ? Outcome::removed : Outcome::failed;
}

Outcome keep(const QString& path) {
    return keepCopy(path) ? Outcome::kept : Outcome::failed;
}

// A swap file: the save's own new content, or the file the swap displaced.
Outcome recoverSwapFile(const QString& folder, const QString& path, const SecureFileWriter::SwapFileName& name) {
    const std::optional<QString> hash = contentHash(path);
    if (!hash) {
        return keep(path);
    }
    // The save's own content, never swapped in or already swapped back: the target holds what it
    // held before the save.
    if (hash->startsWith(name.newHashPrefix)) {
        return remove(path);
    }
    // The version the save had read: the save was allowed, and its content replaces it.
    if (name.acceptedHashPrefix != QString(SecureFileWriter::swapHashPrefixLength, u'0') &&
        hash->startsWith(name.acceptedHashPrefix)) {
        return remove(path);
    }
    // Someone else's file, which the save would have refused: it goes back where the save's own
    // content now stands, when exactly one file there is that content.
    const QStringList targets = filesWithHashPrefix(folder, name.newHashPrefix);
    if (targets.size() != 1) {
        return keep(path);
    }
    const QByteArray from = QFile::encodeName(path);
    const QByteArray to = QFile::encodeName(targets.first());
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) != 0) {
        return keep(path);
    }
    // The swap name now holds the refused save's content, which the save would have dropped.
    const std::optional<QString> swappedOut = contentHash(path);
    if (swappedOut && swappedOut->startsWith(name.newHashPrefix)) {
        ::unlink(from.constData());
    } else {
        keepCopy(path);
    }
    return Outcome::restoredRefusedEdit;
}

// An earlier version's temporary file: a new content never renamed, or the file displaced by a
// guarded save of that version. Only a copy of a file still in the folder can go.
Outcome recoverLegacyTemporaryFile(const QString& folder, const QString& path, bool mayBeDisplaced) {
    if (!mayBeDisplaced) {
        return remove(path);
    }
    const std::optional<QString> hash = contentHash(path);
    if (hash && !filesWithHashPrefix(folder, *hash).isEmpty()) {
        return remove(path);
    }
    return keep(path);
}

} // namespace

bool StartupFileRecovery::isKeptCopyName(const QString& fileName) {
    // ".orris-hollows-kept-XXXXXX.yaml", matched by hand: see isTemporaryFileName.
    static constexpr QStringView prefix = u".orris-hollows-kept-";
    static constexpr QStringView extension = u".yaml";
    const QStringView name(fileName);
    return name.size() == prefix.size() + 6 + extension.size() && name.startsWith(prefix) && name.endsWith(extension) &&
           std::all_of(name.begin() + prefix.size(), name.end() - extension.size(), [](QChar c) {
               return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
           });
}

StartupFileRecovery::Counts StartupFileRecovery::run(const AppEnvironment& environment) {
    Counts counts;
    const PromptPersistenceService persistence(environment);
    const QString dataFolder = persistence.baseDirectory();
    const QString workspacesFolder = persistence.workspacesDirectory();
    if (!QFileInfo::exists(dataFolder)) {
        return counts;
    }
    // Another instance's writes in progress look exactly like a crash's leftovers.
    if (!InstanceLock::acquire(dataFolder)) {
        qCWarning(lcPersistence).noquote() << "Skip data folder recovery: another instance holds the data folder";
        counts.skipped = true;
        return counts;
    }

    std::optional<AppError> lastError;
    for (const QString& folder : {dataFolder, workspacesFolder}) {
        for (const QString& name : hiddenNames(folder)) {
            const QString path = folder + u'/' + name;
            if (!SecureFileWriter::isTemporaryFileName(name) || !isRegularFile(path)) {
                continue;
            }
            Outcome outcome = Outcome::removed;
            if (const auto swap = SecureFileWriter::parseSwapFileName(name)) {
                outcome = recoverSwapFile(folder, path, *swap);
            } else if (name.startsWith(SecureFileWriter::legacyTemporaryFilePrefix)) {
                // Guarded saves wrote prompt files only, in the workspaces folder.
                outcome = recoverLegacyTemporaryFile(folder, path, folder == workspacesFolder);
            } else {
                outcome = remove(path);
            }
            switch (outcome) {
            case Outcome::removed:
                ++counts.removedTemporaryFiles;
                break;
            case Outcome::restoredRefusedEdit:
                ++counts.restoredRefusedEdits;
                break;
            case Outcome::kept:
                ++counts.keptCopies;
                break;
            case Outcome::failed:
                lastError = AppError::posix(errno);
                ++counts.failures;
                break;
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
    if (counts.restoredRefusedEdits > 0) {
        qCWarning(lcPersistence).noquote() << "Restored files an interrupted save would have refused count=" +
                                                  QString::number(counts.restoredRefusedEdits);
    }
    if (counts.keptCopies > 0) {
        qCWarning(lcPersistence).noquote()
            << "Kept copies of files an interrupted save displaced count=" + QString::number(counts.keptCopies);
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
