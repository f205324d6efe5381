// Feeds any bytes to the prompt file reader: the structure check and the three scanners must not
// crash, hang or grow without bound, and what they read must survive being written and read
// again. The writer turns tabs and line breaks of single-line values into blanks and the reader
// takes claude-code as terminal; apart from that the second read gives the same workspace.

#include "config/PromptConfigLoader.h"
#include "config/PromptYAMLEncoder.h"
#include "PromptRoundTrip.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& encoded) {
    std::fprintf(stderr, "round trip failed: %s\n--- written ---\n%s\n", what, encoded.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AppEnvironment environment;
    environment.homePath = QStringLiteral("/nonexistent-fuzz-home");
    PromptConfigLoader loader(environment, [] { return AppLanguage::english; });

    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)PromptConfigLoader::hasValidConfigStructure(text);
    const PromptWorkspace read = loader.parseWorkspace(text, QStringLiteral("fuzz"), QStringLiteral("fallback"));

    const QString encoded = PromptYAMLEncoder::encodeWorkspace(read, true);
    if (!PromptConfigLoader::hasValidConfigStructure(encoded)) {
        fail("the written file fails the structure check", encoded);
    }
    const qsizetype warnings = loader.warnings().size();
    const PromptWorkspace again = loader.parseWorkspace(encoded, QStringLiteral("fuzz"), QStringLiteral("fallback"));
    const PromptWorkspace expected = asReadBack(read);
    if (again.name != expected.name) {
        fail("name", encoded);
    }
    if (again.matchPaths != expected.matchPaths) {
        fail("match paths", encoded);
    }
    if (again.prompts != expected.prompts) {
        fail("prompts", encoded);
    }
    if (loader.warnings().size() != warnings) {
        fail("warnings on the second read", encoded);
    }
    if (PromptYAMLEncoder::encodeWorkspace(again, true) != encoded) {
        fail("writing again changes the file", encoded);
    }
    return 0;
}
