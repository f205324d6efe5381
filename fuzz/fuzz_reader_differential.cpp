// Feeds any bytes to the two readers of a prompt file: the loader's reader of the UTF-8 bytes and
// the text reader behind parseWorkspace. They must agree on whether the file is refused, why, and
// on everything read from it, including the warnings.

#include "config/PromptConfigLoader.h"
#include "model/TextPrimitives.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "the readers differ: %s\n", what);
    std::abort();
}

// Items without an id get a random one from either reader.
bool sameIgnoringRandomIDs(QList<PromptItem> a, QList<PromptItem> b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].id.size() == 36 && b[i].id.size() == 36 && a[i].id.count(u'-') == 4) {
            b[i].id = a[i].id;
        }
    }
    return a == b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AppEnvironment environment;
    environment.homePath = QStringLiteral("/nonexistent-fuzz-home");
    PromptConfigLoader bytesReader(environment, [] { return AppLanguage::english; });
    PromptConfigLoader textReader(environment, [] { return AppLanguage::english; });

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    PromptConfigIssueKind failure = PromptConfigIssueKind::unreadable;
    const std::optional<PromptWorkspace> read =
        bytesReader.readWorkspace(bytes, QStringLiteral("id"), QStringLiteral("fallback"), failure);

    const std::optional<QString> text = Text::decodeUtf8(bytes);
    if (!text) {
        if (read || failure != PromptConfigIssueKind::invalidUTF8) {
            fail("invalid UTF-8");
        }
        return 0;
    }
    if (!PromptConfigLoader::hasValidConfigStructure(*text)) {
        if (read || failure != PromptConfigIssueKind::invalidFormat) {
            fail("invalid format");
        }
        return 0;
    }
    if (!read) {
        fail("refused a valid file");
    }
    const PromptWorkspace expected = textReader.parseWorkspace(*text, QStringLiteral("id"), QStringLiteral("fallback"));
    if (read->id != expected.id || read->name != expected.name || read->source != expected.source) {
        fail("name");
    }
    if (read->matchPaths != expected.matchPaths) {
        fail("match paths");
    }
    if (!sameIgnoringRandomIDs(read->prompts, expected.prompts)) {
        fail("prompts");
    }
    if (bytesReader.warnings() != textReader.warnings()) {
        fail("warnings");
    }
    return 0;
}
