// Feeds arbitrary bytes to the readers of the agent bindings file and the legacy bindings file.
// Besides not crashing, what the writer makes of a read file must read back to the same content:
// after one write (which drops fractions of seconds) a second read and write give the same bytes.
#include "context/ContextBindingStore.h"

#include <cstdint>
#include <cstdlib>

namespace {

QByteArray rewritten(const AgentWorkspaceBindingFile& file) {
    return ContextBindingStore::encodeAgentWorkspaceBindingFile(
        ContextBindingStore::normalized(file.bindings), file.preservedBindingObjects,
        ContextBindingStore::normalizedLastSelectedWorkspaceIDs(file.lastSelectedWorkspaceIDs), false);
}

AgentWorkspaceBindingFile readBack(const QByteArray& data) {
    auto file = ContextBindingStore::decodeAgentWorkspaceBindingFile(data);
    if (!file.ok() || file->version != AgentWorkspaceBindingFile::currentVersion) {
        std::abort();
    }
    return std::move(file).value();
}

void checkAgentFile(const QByteArray& data) {
    const auto file = ContextBindingStore::decodeAgentWorkspaceBindingFile(data);
    if (!file.ok()) {
        return;
    }
    const QByteArray first = rewritten(*file);
    const AgentWorkspaceBindingFile again = readBack(first);
    if (again.bindings.size() != ContextBindingStore::normalized(file->bindings).size() ||
        again.preservedBindingObjects != file->preservedBindingObjects ||
        again.warnings.size() != again.preservedBindingObjects.size()) {
        std::abort();
    }
    const QByteArray second = rewritten(again);
    if (rewritten(readBack(second)) != second) {
        std::abort();
    }
}

void checkLegacyFile(const QByteArray& data) {
    const auto bindings = ContextBindingStore::decodeLegacyBindings(data);
    if (!bindings.ok()) {
        return;
    }
    const QByteArray written = ContextBindingStore::encodeLegacyBindings(*bindings);
    const auto again = ContextBindingStore::decodeLegacyBindings(written);
    if (!again.ok() || again->size() != bindings->size() ||
        ContextBindingStore::encodeLegacyBindings(*again) != written) {
        std::abort();
    }
    ContextBindingStore::migratedAppBindings(*bindings);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    checkAgentFile(bytes);
    checkLegacyFile(bytes);
    return 0;
}
