#pragma once

#include <QList>
#include <QString>

#include <algorithm>

// The outcome of deleting one workspace from the workspace manager.
struct WorkspaceDeletionResult {
    QString id;   // the id asked for
    QString name; // the workspace's name; the id when no workspace has it
    // The file, the bindings and the store's entry were all removed.
    bool succeeded = false;
    // Files are removed directly, never moved to the trash: always false here.
    bool usedTrash = false;
    // The "deleted" text on success, else the reason in the interface language.
    QString message;

    bool operator==(const WorkspaceDeletionResult& other) const = default;
};

// One result per requested id, sorted by name in code-point order (equal names in id order).
struct WorkspaceBatchDeletionResult {
    QList<WorkspaceDeletionResult> results;

    int successCount() const {
        return int(
            std::count_if(results.cbegin(), results.cend(), [](const auto& result) { return result.succeeded; }));
    }
    int failureCount() const { return int(results.size()) - successCount(); }
    QList<WorkspaceDeletionResult> failures() const {
        QList<WorkspaceDeletionResult> failed;
        for (const WorkspaceDeletionResult& result : results) {
            if (!result.succeeded) {
                failed.append(result);
            }
        }
        return failed;
    }

    bool operator==(const WorkspaceBatchDeletionResult& other) const = default;
};
