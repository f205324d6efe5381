#pragma once

#include "model/AgentContext.h"
#include "model/PromptModels.h"

#include <QList>
#include <QString>

#include <optional>

// The two automatic ways of choosing a workspace for a detected context, tried last by
// matching: by the detected project folder, and by the words of the window title, application
// name and detected workspace name. Neither scores: each returns the first workspace, in the
// order given, that passes its test.
//
// Paths compare exactly, letter case included: on Linux /a/App and /a/app are different folders.
// Names in titles compare without regard to case.
class WorkspaceMatcher {
public:
    // The home folder expands "~/"; the current directory resolves relative paths.
    WorkspaceMatcher(QList<PromptWorkspace> workspaces, QString homePath, QString currentDirectory = QString());

    const QList<PromptWorkspace>& workspaces() const { return m_workspaces; }

    // The one path normalisation for comparisons: a leading "~/" expanded (a "~" followed by a
    // name stays literal), dot and dot-dot resolved, symbolic links resolved as far as the path
    // exists. Letter case is kept.
    static QString normalizePath(const QString& path, const QString& homePath, const QString& currentDirectory);
    QString normalizePath(const QString& path) const;

    // The context's folder, normalised, when it names an existing directory.
    std::optional<QString> validatedContextWorkspacePath(const AgentContext& context) const;

    // The first workspace with a match path that holds the context's (existing) folder.
    std::optional<PromptWorkspace> explicitPathWorkspace(const AgentContext& context) const;

    // The first workspace whose name occurs as a whole word in the title, application name or
    // detected workspace name; or, in an IDE whose title shows a path, whose match path holds
    // it; or else whose match folder's name occurs as a whole word.
    std::optional<PromptWorkspace> inferredWorkspace(const AgentContext& context) const;

    // True when the identifier occurs in the text with neither a letter, digit, mark, "-" nor "_"
    // right before or after it. Literal and case-sensitive; callers lower-case both.
    static bool containsIdentifier(const QString& identifier, const QString& text);

    // A folder lies under itself and under each of its ancestors, not under a sibling whose
    // name merely begins the same. Both paths normalised.
    static bool liesUnder(const QString& path, const QString& ancestor);

private:
    QList<PromptWorkspace> m_workspaces;
    QString m_homePath;
    QString m_currentDirectory;
};
