#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdlib>

// The prompt library the store benchmarks load: workspace files of review prompts, each with a
// variable, tags and a multi-line body of its own (no two texts alike, so none is shared).
namespace BenchLibrary {

inline QByteArray promptBlock(int number) {
    const QByteArray n = QByteArray::number(number);
    return "  - id: \"prompt-" + n + "\"\n    title: \"Review module " + n +
           " before the release\"\n    group: \"Review " + QByteArray::number(number % 7) +
           "\"\n    agent: \"codex\"\n    tags:\n      - \"review\"\n      - \"release\"\n    text: |\n"
           "      Review module " +
           n +
           " ({{ module | src/core }}) for the coming release.\n"
           "      \n"
           "      1. List the public functions whose behaviour changed since the last tag.\n"
           "      2. Point out error paths that have no test, with the file and line.\n"
           "      3. Check that log lines never print file contents or home paths.\n"
           "      Answer in English, as a numbered list, without rewriting the code.\n\n";
}

// Workspace files of at most 1 MB in the home's data folder; returns the bytes written.
inline qint64 writeWorkspaceFiles(qint64 totalBytes, const QString& home) {
    const QString folder = QDir(home).filePath(".orris-hollows/workspaces");
    QDir().mkpath(folder);
    qint64 written = 0;
    int prompts = 0;
    for (int file = 0; written < totalBytes; ++file) {
        QByteArray content = "workspace:\n  name: \"Workspace " + QByteArray::number(file) +
                             "\"\n  match_paths:\n    - \"/home/dev/src/project-" + QByteArray::number(file) +
                             "\"\n\nprompts:\n";
        while (content.size() < std::min<qint64>(1'000'000, totalBytes - written)) {
            content += promptBlock(prompts++);
        }
        QFile out(QDir(folder).filePath(QStringLiteral("workspace-%1.yaml").arg(file)));
        if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size()) {
            std::abort();
        }
        written += content.size();
    }
    return written;
}

} // namespace BenchLibrary
