// The desktop's settings block comes from another process over X11. Parses any bytes and checks
// that a block that reads reads the same way twice.
#include "model/environment/DesktopSettingsBlock.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto first = DesktopSettingsBlock::parse(bytes);
    const auto second = DesktopSettingsBlock::parse(bytes);
    if (first.has_value() != second.has_value()) {
        std::abort();
    }
    if (first && (first->size() != second->size() || first->enableAnimations() != second->enableAnimations())) {
        std::abort();
    }
    return 0;
}
