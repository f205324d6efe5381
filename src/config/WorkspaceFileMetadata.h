#pragma once

#include <QDateTime>
#include <QHashFunctions>
#include <QMetaType>

#include <optional>

// The size and date of a loaded prompt file, as read before its bytes.
struct WorkspaceFileMetadata {
    std::optional<QDateTime> modificationDate;
    qint64 fileSize = 0;

    bool operator==(const WorkspaceFileMetadata& other) const = default;
};

inline size_t qHash(const WorkspaceFileMetadata& metadata, size_t seed = 0) {
    return qHashMulti(seed, metadata.modificationDate ? metadata.modificationDate->toMSecsSinceEpoch() : -1,
                      metadata.modificationDate.has_value(), metadata.fileSize);
}

Q_DECLARE_METATYPE(WorkspaceFileMetadata)
