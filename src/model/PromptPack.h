#pragma once

#include "model/PromptModels.h"

#include <QHashFunctions>
#include <QMetaType>
#include <QStringList>

// A shareable workspace: the pack header and the workspace it brings.
struct PromptPack {
    PromptPackMetadata metadata;
    PromptWorkspace workspace;

    bool operator==(const PromptPack& other) const = default;
};

inline size_t qHash(const PromptPack& pack, size_t seed = 0) {
    return qHashMulti(seed, pack.metadata, pack.workspace);
}

// A pack read from a file, as shown before it is installed.
struct PromptPackImportPreview {
    PromptPack pack;

    // The distinct groups of the pack's prompts, in order of first appearance.
    QStringList groups() const;
    // The titles of the first five prompts.
    QStringList sampleTitles() const;

    bool operator==(const PromptPackImportPreview& other) const = default;
};

inline size_t qHash(const PromptPackImportPreview& preview, size_t seed = 0) {
    return qHash(preview.pack, seed);
}

Q_DECLARE_METATYPE(PromptPack)
Q_DECLARE_METATYPE(PromptPackImportPreview)
