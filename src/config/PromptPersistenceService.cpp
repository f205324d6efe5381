#include "config/PromptPersistenceService.h"

#include "config/PromptConfigLoader.h"
#include "config/PromptYAMLEncoder.h"
#include "config/SecureFileWriter.h"
#include "config/StateFiles.h"
#include "model/AppLog.h"
#include "model/FilePaths.h"
#include "model/PromptConfigLimits.h"
#include "model/TextPrimitives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Names are cut so that "<stem>-<n>.yaml" and the isolated name of a file stay well inside the
// 255-byte limit of a file name; a longer name could be neither created nor deleted.
constexpr qsizetype maximumStemBytes = 120;
// The isolated name holds the whole id whenever it fits a file name, so that a start after a
// crash puts the file back under the id its bindings name: prefix + id + "-" + UUID + ".tmp".
constexpr qsizetype maximumFileNameBytes = 255;
const qsizetype maximumIsolatedIDBytes =
    maximumFileNameBytes - PromptPersistenceService::isolatedFilePrefix.size() - 1 - 36 - 4;

// The longest prefix of the text within `bytes` UTF-8 bytes, cut between code points.
QString prefixWithinUtf8Bytes(const QString& text, qsizetype bytes) {
    qsizetype used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const QChar c = text.at(end);
        qsizetype width = 1;
        qsizetype size = 0;
        if (c.isHighSurrogate() && end + 1 < text.size() && text.at(end + 1).isLowSurrogate()) {
            width = 2;
            size = 4;
        } else {
            const char16_t u = c.unicode();
            size = u < 0x80 ? 1 : (u < 0x800 ? 2 : 3);
        }
        if (used + size > bytes) {
            break;
        }
        used += size;
        end += width;
    }
    return text.first(end);
}

bool isManagedExtension(const QString& suffix) {
    const QString lower = suffix.toLower();
    return lower == "yaml"_L1 || lower == "yml"_L1;
}

// The path with the links of its folders resolved; the last component stays as it is, so a
// workspace file that is itself a link is judged by where the link lies.
QString resolvedFolderPath(const QString& path) {
    const QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    return FilePaths::resolvingSymlinks(info.absolutePath()) + u'/' + info.fileName();
}

bool isBelow(const QString& path, const QString& folder) {
    return path.startsWith(QDir::cleanPath(folder) + u'/');
}

bool isMissingFile(const AppError& error) {
    return error == AppError::posix(ENOENT) || error == AppError::posix(ENOTDIR);
}

} // namespace

// ---- Errors ------------------------------------------------------------------------------

QString WorkspaceSaveError::description(AppLanguage language) const {
    const QString key =
        kind == Kind::deleted ? L10N("error.workspace.save.deleted") : L10N("error.workspace.save.conflict");
    return L10n::string(key, language, path);
}

AppError WorkspaceSaveError::error(AppLanguage language) const {
    return AppError::make(type, domain, qint64(kind), description(language));
}

std::optional<WorkspaceSaveError> WorkspaceSaveError::from(const AppError& error, const QString& path) {
    if (error.type != type || error.domain != domain) {
        return std::nullopt;
    }
    if (error.code == qint64(Kind::deleted)) {
        return WorkspaceSaveError{Kind::deleted, path};
    }
    if (error.code == qint64(Kind::conflict)) {
        return WorkspaceSaveError{Kind::conflict, path};
    }
    return std::nullopt;
}

namespace WorkspaceFileDeletionError {

AppError unmanagedWorkspaceFile(const QString& path, AppLanguage language) {
    return AppError::make(type, domain, qint64(Code::unmanagedWorkspaceFile),
                          L10n::string(L10N("error.workspace.file.not.managed"), language, path));
}

AppError changedOnDisk(const QString& path, AppLanguage language) {
    return AppError::make(type, domain, qint64(Code::changedOnDisk),
                          L10n::string(L10N("error.workspace.delete.changed"), language, QFileInfo(path).fileName()));
}

bool is(const AppError& error, Code code) {
    return error.type == type && error.domain == domain && error.code == qint64(code);
}

} // namespace WorkspaceFileDeletionError

namespace WorkspaceFileError {

AppError tooLarge(const QString& name, qint64 bytes, qint64 limit, AppLanguage language) {
    return AppError::make(type, domain, qint64(Code::tooLarge),
                          L10n::string(L10N("error.workspace.file.too.large"), language, name, QString::number(bytes),
                                       QString::number(limit)));
}

AppError libraryTooLarge(const QString& name, qint64 bytes, qint64 limit, AppLanguage language) {
    return AppError::make(type, domain, qint64(Code::libraryTooLarge),
                          L10n::string(L10N("error.workspace.library.too.large"), language, name,
                                       QString::number(bytes), QString::number(limit)));
}

AppError invalidID(const QString& id, AppLanguage language) {
    // The id is the caller's: it may hold anything, of any length.
    return AppError::make(type, domain, qint64(Code::invalidID),
                          L10n::string(L10N("error.workspace.id.invalid"), language, AppLog::printable(id)));
}

AppError outsideDataFolder(const QString& path, AppLanguage language) {
    return AppError::make(type, domain, qint64(Code::outsideDataFolder),
                          L10n::string(L10N("error.workspace.file.outside.data.folder"), language, path));
}

bool is(const AppError& error, Code code) {
    return error.type == type && error.domain == domain && error.code == qint64(code);
}

} // namespace WorkspaceFileError

// ---- Service -----------------------------------------------------------------------------

PromptPersistenceService::PromptPersistenceService(const AppEnvironment& environment,
                                                   std::function<AppLanguage()> languageProvider,
                                                   FinalRemoval finalWorkspaceRemoval)
    : m_homeDirectory(QDir::cleanPath(environment.homePath)), m_preferredLanguages(environment.preferredLanguages),
      m_languageProvider(std::move(languageProvider)), m_finalWorkspaceRemoval(std::move(finalWorkspaceRemoval)) {}

QString PromptPersistenceService::baseDirectory() const {
    return m_homeDirectory + u"/.orris-hollows"_s;
}

QString PromptPersistenceService::workspacesDirectory() const {
    return m_homeDirectory + u"/.orris-hollows/workspaces"_s;
}

AppLanguage PromptPersistenceService::language() const {
    return AppLanguages::resolved(m_languageProvider, m_preferredLanguages);
}

Status PromptPersistenceService::ensureBaseDirectory() const {
    if (Status base = StateFiles::createPrivateDirectory(baseDirectory()); !base.ok()) {
        return base;
    }
    return StateFiles::createPrivateDirectory(workspacesDirectory());
}

QString PromptPersistenceService::makeWorkspaceID(const QString& name) {
    return PromptConfigLoader::slug(name);
}

QString PromptPersistenceService::uniqueFileURL(const QString& id) const {
    QString stem = prefixWithinUtf8Bytes(id, maximumStemBytes);
    while (stem.size() > 1 && stem.endsWith(u'-')) {
        stem.chop(1);
    }
    // A workspace's id is its file name without the extension, so "x.yml" holds the id "x" as
    // surely as "x.yaml" does: a second file for the same id would give two workspaces one id.
    QSet<QString> takenIDs;
    const QStringList names =
        QDir(workspacesDirectory()).entryList(QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QFileInfo info(name);
        if (isManagedExtension(info.suffix())) {
            takenIDs.insert(info.completeBaseName());
        }
    }
    const QString directory = workspacesDirectory() + u'/';
    QString candidate = stem;
    for (qint64 counter = 2;; ++counter) {
        const QString path = directory + candidate + u".yaml"_s;
        if (!takenIDs.contains(candidate) && !StateFiles::exists(path)) {
            return path;
        }
        candidate = stem + u'-' + QString::number(counter);
    }
}

bool PromptPersistenceService::isValidWorkspaceID(const QString& id) {
    if (id.isEmpty() || id.startsWith(u'.') || Text::utf8Length(id) > maximumFileNameBytes - 5) {
        return false;
    }
    return std::none_of(id.cbegin(), id.cend(), [](QChar c) {
        const char16_t code = c.unicode();
        return code == u'/' || code < 0x20 || code == 0x7F;
    });
}

bool PromptPersistenceService::isManagedWorkspaceFile(const QString& path) const {
    const QString standardized = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!isBelow(standardized, workspacesDirectory())) {
        return false;
    }
    // A linked folder inside the workspaces folder leads elsewhere: what lies there is not ours.
    if (!isBelow(resolvedFolderPath(standardized), FilePaths::resolvingSymlinks(workspacesDirectory()))) {
        return false;
    }
    const QFileInfo info(standardized);
    return isManagedExtension(info.suffix()) && !info.fileName().startsWith(u'.');
}

bool PromptPersistenceService::isInDataFolder(const QString& path) const {
    const QString standardized = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!isBelow(standardized, baseDirectory())) {
        return false;
    }
    // The workspaces folder may itself be a link (to a dotfiles folder, say): where it leads is ours.
    const QString resolved = resolvedFolderPath(standardized);
    return isBelow(resolved, FilePaths::resolvingSymlinks(baseDirectory())) ||
           isBelow(resolved, FilePaths::resolvingSymlinks(workspacesDirectory()));
}

std::pair<qint64, qint64> PromptPersistenceService::librarySizeWith(const QString& target, qint64 replacedBy) const {
    const qint64 perFile = PromptConfigLimits{}.perFileBytes;
    const QString cleanTarget = QDir::cleanPath(QFileInfo(target).absoluteFilePath());
    qint64 total = 0;
    qint64 targetBytes = 0;
    const auto count = [&](const QFileInfo& file) {
        if (QDir::cleanPath(file.absoluteFilePath()) == cleanTarget) {
            targetBytes = file.isFile() && file.size() <= perFile ? file.size() : 0;
            return;
        }
        // The loader skips what is not a file or is over the per-file limit, and counts the rest.
        if (file.isFile() && file.size() <= perFile) {
            total += file.size();
        }
    };
    count(QFileInfo(baseDirectory() + u"/global.yaml"_s));
    const QFileInfoList files = QDir(workspacesDirectory()).entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& file : files) {
        if (isManagedExtension(file.suffix())) {
            count(file);
        }
    }
    return {total + replacedBy, targetBytes};
}

QString PromptPersistenceService::saveTarget(const PromptWorkspace& workspace) const {
    if (workspace.fileURL) {
        return *workspace.fileURL;
    }
    return workspacesDirectory() + u'/' + workspace.id + u".yaml"_s;
}

Result<PromptWorkspace> PromptPersistenceService::createWorkspace(const QString& name, const QStringList& matchPaths,
                                                                  const QList<PromptItem>& prompts) {
    if (Status ensured = ensureBaseDirectory(); !ensured.ok()) {
        return ensured.error();
    }
    QString trimmed = Text::trimWhitespaceAndNewlines(name);
    if (trimmed.isEmpty()) {
        trimmed = u"my-workspace"_s;
    }
    const QString target = uniqueFileURL(makeWorkspaceID(trimmed));
    PromptWorkspace workspace;
    workspace.id = QFileInfo(target).completeBaseName();
    workspace.name = trimmed;
    workspace.matchPaths = matchPaths;
    workspace.prompts = prompts;
    workspace.fileURL = target;
    workspace.source = PromptWorkspaceSource::userWorkspace;
    return write(std::move(workspace), target, Guard::mustNotExist, std::nullopt);
}

Result<PromptWorkspace>
PromptPersistenceService::saveWorkspace(const PromptWorkspace& workspace,
                                        const std::optional<WorkspaceFileVersion>& expectedVersion) {
    // The id names the file only when the workspace has none yet.
    if (!workspace.fileURL && !isValidWorkspaceID(workspace.id)) {
        return WorkspaceFileError::invalidID(workspace.id, language());
    }
    if (Status ensured = ensureBaseDirectory(); !ensured.ok()) {
        return ensured.error();
    }
    const std::optional<WorkspaceFileVersion> guard = expectedVersion ? expectedVersion : workspace.fileVersion;
    return write(workspace, saveTarget(workspace), guard ? Guard::version : Guard::none, guard);
}

Result<PromptWorkspace> PromptPersistenceService::write(PromptWorkspace workspace, const QString& target, Guard guard,
                                                        const std::optional<WorkspaceFileVersion>& version) {
    // A hidden file, or one without a prompt file's extension, is never read by a load: a save
    // there would report success for text nobody sees again.
    const QFileInfo targetInfo(target);
    if (targetInfo.fileName().startsWith(u'.') || !isManagedExtension(targetInfo.suffix())) {
        qCWarning(lcPersistence).noquote()
            << "Reject workspace save to a file no load reads file=" + AppLog::printable(AppLog::fileContext(target));
        return WorkspaceFileError::invalidID(targetInfo.fileName(), language());
    }
    if (!isInDataFolder(target)) {
        qCCritical(lcPersistence).noquote()
            << "Reject workspace save outside the data folder file=" + AppLog::printable(AppLog::fileContext(target));
        return WorkspaceFileError::outsideDataFolder(target, language());
    }
    const QByteArray data = PromptYAMLEncoder::encodeWorkspace(workspace, true).toUtf8();
    // A file the loader would refuse at the next start would leave the workspace unreadable.
    const qint64 limit = PromptConfigLimits{}.perFileBytes;
    if (data.size() > limit) {
        qCWarning(lcPersistence).noquote()
            << "Reject workspace save over the file limit file=" + AppLog::fileContext(target)
            << "bytes=" + QString::number(data.size()) << "limit=" + QString::number(limit);
        return WorkspaceFileError::tooLarge(workspace.name, data.size(), limit, language());
    }
    // Nor may it take the library past what a load reads in all: the next start would drop
    // whichever files come last. A save that does not grow its file is always let through.
    const qint64 aggregateLimit = PromptConfigLimits{}.aggregateBytes;
    const auto [libraryBytes, targetBytes] = librarySizeWith(target, data.size());
    if (libraryBytes > aggregateLimit && data.size() > targetBytes) {
        qCWarning(lcPersistence).noquote()
            << "Reject workspace save over the library limit file=" + AppLog::fileContext(target)
            << "bytes=" + QString::number(libraryBytes) << "limit=" + QString::number(aggregateLimit);
        return WorkspaceFileError::libraryTooLarge(workspace.name, libraryBytes, aggregateLimit, language());
    }
    const auto lost = [&](WorkspaceSaveError::Kind kind) -> AppError {
        return WorkspaceSaveError{kind, target}.error(language());
    };

    SecureFileWriter::ReplaceGuard check;
    if (guard == Guard::mustNotExist) {
        check.check = [&](const QString&) -> Status { return lost(WorkspaceSaveError::Kind::conflict); };
    } else if (guard == Guard::version) {
        check.whenMissing = lost(WorkspaceSaveError::Kind::deleted);
        if (version->path == target) {
            check.acceptedContentHash = version->contentHash;
        }
        check.check = [&](const QString& replacedFile) -> Status {
            // A version larger than a state file can only be someone else's.
            const Result<QByteArray> current = StateFiles::readRegularFile(replacedFile);
            if (!current.ok()) {
                if (isMissingFile(current.error())) {
                    return lost(WorkspaceSaveError::Kind::deleted);
                }
                if (current.error() == StateFiles::notRegularFile() || current.error() == StateFiles::fileTooLarge()) {
                    return lost(WorkspaceSaveError::Kind::conflict);
                }
                return current.error();
            }
            if (PromptConfigLoader::fileVersion(*current, target) != *version) {
                return lost(WorkspaceSaveError::Kind::conflict);
            }
            return {};
        };
    }
    if (Status written = SecureFileWriter::writeData(data, target, SecureFileWriter::Permissions::ownerOnly, check);
        !written.ok()) {
        return written.error();
    }
    // Our own bytes are the new version: reading the file back could take in a change made by
    // someone else right after the rename, which the next save would then overwrite unseen.
    workspace.fileURL = target;
    workspace.fileVersion = PromptConfigLoader::fileVersion(data, target);
    return workspace;
}

Result<std::optional<WorkspaceFileIsolation>>
PromptPersistenceService::isolateWorkspaceFile(const PromptWorkspace& workspace) const {
    if (!workspace.fileURL) {
        return std::optional<WorkspaceFileIsolation>();
    }
    const QString original = *workspace.fileURL;
    if (!isManagedWorkspaceFile(original)) {
        qCCritical(lcPersistence).noquote()
            << "Reject unmanaged workspace file isolation file=" + AppLog::fileContext(original);
        return WorkspaceFileDeletionError::unmanagedWorkspaceFile(original, language());
    }
    // A dangling link counts as a file here: it is moved aside and removed like one.
    if (!StateFiles::exists(original)) {
        return std::optional<WorkspaceFileIsolation>();
    }
    QString idPart = prefixWithinUtf8Bytes(workspace.id, maximumIsolatedIDBytes);
    idPart.replace(u'/', u'-'); // the isolated file stays beside the original
    idPart.replace(QChar(u'\0'), u'-');
    const QString isolated = QFileInfo(original).absolutePath() + u'/' + isolatedFilePrefix + idPart + u'-' +
                             QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + u".tmp"_s;
    if (::rename(QFile::encodeName(original).constData(), QFile::encodeName(isolated).constData()) != 0) {
        return AppError::posix(errno);
    }
    WorkspaceFileIsolation isolation{original, isolated, std::nullopt};
    // Once moved aside nobody else writes to the file, so its content can be checked without a
    // race: a file someone changed since we read it is theirs, and is put back, not deleted.
    const Result<QByteArray> current = StateFiles::readRegularFile(isolated);
    if (current.ok()) {
        isolation.content = *current;
    }
    if (workspace.fileVersion) {
        if (!current.ok() || PromptConfigLoader::fileVersion(*current, original) != *workspace.fileVersion) {
            // Someone may have made a new file at the old place meanwhile: both stay.
            if (Result<QString> restored = putBackIsolatedWorkspaceFile(isolated, original); !restored.ok()) {
                return restored.error();
            }
            // Not a save: the message says the file was kept and to reload, not to save a copy.
            return WorkspaceFileDeletionError::changedOnDisk(original, language());
        }
    }
    return std::optional<WorkspaceFileIsolation>(isolation);
}

Status
PromptPersistenceService::restoreIsolatedWorkspaceFile(const std::optional<WorkspaceFileIsolation>& isolation) const {
    if (!isolation || !StateFiles::exists(isolation->isolatedURL)) {
        return {};
    }
    // rename(2) replaces a file that appeared at the old place in one step.
    if (::rename(QFile::encodeName(isolation->isolatedURL).constData(),
                 QFile::encodeName(isolation->originalURL).constData()) != 0) {
        return AppError::posix(errno);
    }
    return {};
}

Result<QString> PromptPersistenceService::putBackIsolatedWorkspaceFile(const QString& isolatedURL,
                                                                       const QString& originalURL) const {
    const QByteArray from = QFile::encodeName(isolatedURL);
    QString destination = originalURL;
    for (int round = 0; round < 8; ++round) {
        const QByteArray to = QFile::encodeName(destination);
        int result = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
            // No atomic refusal here: check, then rename.
            if (StateFiles::exists(destination)) {
                errno = EEXIST;
            } else {
                result = ::rename(from.constData(), to.constData());
            }
        }
        if (result == 0) {
            return destination;
        }
        if (errno != EEXIST) {
            return AppError::posix(errno);
        }
        destination = uniqueFileURL(QFileInfo(originalURL).completeBaseName());
    }
    return AppError::posix(EEXIST);
}

Result<QString> PromptPersistenceService::restoreRemovedWorkspaceFile(const WorkspaceFileIsolation& isolation) {
    if (!isolation.content) {
        return AppError::posix(ENOENT);
    }
    QString destination = isolation.originalURL;
    for (int round = 0; round < 8; ++round) {
        SecureFileWriter::ReplaceGuard mustNotExist;
        mustNotExist.check = [&](const QString&) -> Status { return AppError::posix(EEXIST); };
        const Status written = SecureFileWriter::writeData(*isolation.content, destination,
                                                           SecureFileWriter::Permissions::ownerOnly, mustNotExist);
        if (written.ok()) {
            return destination;
        }
        if (written.error() != AppError::posix(EEXIST)) {
            return written.error();
        }
        destination = uniqueFileURL(QFileInfo(isolation.originalURL).completeBaseName());
    }
    return AppError::posix(EEXIST);
}

Status PromptPersistenceService::finalWorkspaceRemoval(const QString& isolatedURL) const {
    if (m_finalWorkspaceRemoval) {
        return m_finalWorkspaceRemoval(isolatedURL);
    }
    if (::unlink(QFile::encodeName(isolatedURL).constData()) != 0) {
        return AppError::posix(errno);
    }
    return {};
}
