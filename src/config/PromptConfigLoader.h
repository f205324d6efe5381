#pragma once

#include "config/PromptLoadResult.h"
#include "model/AgentType.h"
#include "model/environment/AppEnvironment.h"
#include "model/Localization.h"
#include "model/PromptConfigIssue.h"
#include "model/PromptConfigLimits.h"
#include "model/PromptModels.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>
#include <string>

// Reads the prompt files of the data folder: "global.yaml" and every ".yaml"/".yml" file of
// "workspaces". A file is read in two independent stages over the same text: the structure
// check accepts or rejects the whole file, then three lenient scanners take out the workspace
// name, the match paths and the prompts. The two stages deliberately use different line models
// (the check strips comments and measures indentation, the scanners take values from the raw
// lines), so a value keeps a "#" that the check treated as a comment.
//
// Not thread-safe (warnings collect during a load); every background load makes its own.
class PromptConfigLoader {
public:
    // The metadata key of the global file.
    static inline const QString globalMetadataKey = QStringLiteral("__orris_hollows_global__");
    static inline const QString transientSamplesDismissedKey =
        QStringLiteral("OrrisHollows.transientSamplesDismissed.v1");

    // `environment` gives the home folder, the user defaults (the dismissed-samples flag) and the
    // preferred languages that resolve the "system" language. Without a language provider every
    // text is Simplified Chinese.
    explicit PromptConfigLoader(AppEnvironment environment, std::function<AppLanguage()> languageProvider = {},
                                PromptConfigLimits limits = {},
                                std::optional<bool> transientSamplesDismissedOverride = std::nullopt);

    const QString& homeDirectory() const { return m_home; }
    const PromptConfigLimits& limits() const { return m_limits; }
    // Localized warnings of loading and parsing; emptied at the start of every loadAllConfigs().
    const QStringList& warnings() const { return m_warnings; }

    PromptLoadResult loadAllConfigs();

    // Why parseConfig gave nothing: the issue for a caller that reports one, and the error behind
    // it for the log.
    struct ReadFailure {
        PromptConfigIssueKind kind = PromptConfigIssueKind::unreadable;
        AppError error;
    };

    // One file read without the structure check, for project files: a file that cannot be read
    // (not a regular file, larger than the per-file limit, unreadable or not UTF-8) leaves a
    // warning and gives nothing, and tells why in `failure` when one is given.
    std::optional<PromptWorkspace> parseConfig(const QString& path, const QString& fallbackName,
                                               ReadFailure* failure = nullptr);

    // The three scanners; the loader runs them over one line split of the text.
    std::optional<QString> parseWorkspaceName(const QString& text);
    QStringList parseMatchPaths(const QString& text);
    QList<PromptItem> parsePrompts(const QString& text);
    // The workspace of one file's text: the id as given, the extracted name or the fallback
    // name, the match paths and the prompts; no file, source userWorkspace, no version.
    PromptWorkspace parseWorkspace(const QString& text, const QString& id, const QString& fallbackName);
    // One file's bytes as a load reads them: the UTF-8 check, the structure check and the
    // extraction. The workspace (no file, no version), or none and the kind of issue in `failure`
    // (invalidUTF8 or invalidFormat); a refused file leaves no warning.
    std::optional<PromptWorkspace> readWorkspace(QByteArrayView bytes, const QString& id, const QString& fallbackName,
                                                 PromptConfigIssueKind& failure);

    static bool hasValidConfigStructure(const QString& text);
    static QString cleanScalar(QStringView value);
    // The agent alias table; none for a value it does not know.
    static std::optional<AgentType> parseAgent(QStringView value);

    static WorkspaceFileVersion fileVersion(const QByteArray& data, const QString& path);
    static QString slug(const QString& text);

    struct SampleData {
        QList<PromptItem> globalPrompts;
        QList<PromptWorkspace> workspaces;
    };
    // English for english (and for system when the preferred languages resolve to English),
    // Simplified Chinese otherwise.
    static SampleData sampleData(AppLanguage language, const QStringList& preferredLanguages = {});

private:
    struct Lines;
    struct FileBytes;

    AppLanguage language() const;
    std::optional<QString> workspaceName(const Lines& lines) const;
    QStringList matchPaths(const Lines& lines) const;
    QList<PromptItem> prompts(Lines& lines, bool buildItems);
    static bool hasValidStructure(const QList<QStringView>& lines);
    // readWorkspace over the UTF-8 bytes, without a UTF-16 copy of the file; `unsupported` when
    // the bytes need the text reader (see PromptConfigUtf8Reader.cpp).
    std::optional<PromptWorkspace> readUtf8(QByteArrayView bytes, const QString& id, const QString& fallbackName,
                                            PromptConfigIssueKind& failure, bool& unsupported);
    PromptWorkspace workspace(Lines& lines, const QString& id, const QString& fallbackName);

    std::optional<PromptWorkspace> load(const QString& path, const QString& fallbackName,
                                        PromptConfigSourceKind sourceKind, qint64& aggregateBytes,
                                        QList<PromptConfigIssue>& issues,
                                        QHash<QString, WorkspaceFileMetadata>& workspaceMetadata, QByteArray& buffer);
    void makePromptIDsGloballyUnique(QList<PromptItem>& globalPrompts, QList<PromptWorkspace>& workspaces);
    QString warningSuffix() const;

    AppEnvironment m_environment;
    QString m_home;
    std::function<AppLanguage()> m_languageProvider;
    PromptConfigLimits m_limits;
    std::optional<bool> m_transientSamplesDismissedOverride;
    QStringList m_warnings;
    std::optional<AppLanguage> m_loadLanguage; // fixed for the duration of one loadAllConfigs()
    std::string m_textScratch;                 // where the reader gathers a file's texts, reused by the next file
};
