#pragma once

#include "model/PromptModels.h"

#include <QString>

// The one writer of prompt files. Its output is the canonical form that PromptConfigLoader reads
// back to the same values: every scalar double-quoted, tags as a dash list, the text always as a
// "|" block indented by six spaces and always the last key of its item. Pure functions.
class PromptYAMLEncoder {
public:
    PromptYAMLEncoder() = delete;

    static QString encodeWorkspace(const PromptWorkspace& workspace, bool includeMatchPaths);
    // A pack never carries match paths.
    static QString encodePack(const PromptWorkspace& workspace, const PromptPackMetadata& metadata);

    // A single-line value (name, path, id, title, group, tag, pack header) as written: every tab
    // and line break becomes one space, since the reader accepts neither outside a text block.
    static QString singleLine(const QString& value);
    // singleLine(value) double-quoted, with only backslash and double quote escaped.
    static QString quoted(const QString& value);

private:
    static void encodeMatchPaths(QString& out, const QStringList& paths);
    static void encodePrompts(QString& out, const QList<PromptItem>& prompts);
};
