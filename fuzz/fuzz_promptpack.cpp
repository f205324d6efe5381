// Feeds any bytes to the pack reader: the header scanner, the required-field check and the
// preview must not crash, hang or grow without bound. A preview that succeeds must keep the
// pack rules (1 to 500 prompts with unique ids, a title and a text each, no match paths), and
// the pack written back by the writer must preview again as the same pack. The writer turns
// tabs and line breaks of single-line values into blanks, so those are compared as written.

#include "config/PromptPackService.h"
#include "config/PromptYAMLEncoder.h"
#include "model/TextPrimitives.h"

#include <QSet>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& text) {
    std::fprintf(stderr, "pack check failed: %s\n--- text ---\n%s\n", what, text.toUtf8().constData());
    std::abort();
}

bool isBlank(const QString& text) {
    return Text::trimWhitespaceAndNewlines(text).isEmpty();
}

PromptPackMetadata asWritten(PromptPackMetadata metadata) {
    for (QString* field : {&metadata.id, &metadata.name, &metadata.description, &metadata.version, &metadata.author}) {
        *field = PromptYAMLEncoder::singleLine(*field);
    }
    return metadata;
}

void checkRules(const PromptPackImportPreview& preview, const QString& text) {
    const PromptWorkspace& workspace = preview.pack.workspace;
    if (workspace.prompts.isEmpty() || workspace.prompts.size() > PromptPackService::maximumPrompts) {
        fail("prompt count", text);
    }
    if (!workspace.matchPaths.isEmpty() || workspace.fileURL || workspace.fileVersion) {
        fail("match paths or a file", text);
    }
    QSet<QString> ids;
    for (const PromptItem& prompt : workspace.prompts) {
        if (ids.contains(prompt.id) || isBlank(prompt.id)) {
            fail("prompt ids", text);
        }
        ids.insert(prompt.id);
        if (isBlank(prompt.title.toString()) || isBlank(prompt.text.toString())) {
            fail("blank title or text", text);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const AppEnvironment environment = [] {
        AppEnvironment value;
        value.homePath = QStringLiteral("/nonexistent-fuzz-home");
        return value;
    }();
    static const PromptPackService service(environment, [] { return AppLanguage::english; });

    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto preview = service.parseImportPreviewFromText(text);
    if (!preview.ok()) {
        return 0;
    }
    checkRules(*preview, text);

    const PromptPack& pack = preview->pack;
    const QString written = PromptYAMLEncoder::encodePack(pack.workspace, pack.metadata);
    if (Text::utf8Length(written) > PromptPackService::maximumBytes) {
        return 0; // quoting and indentation can take a pack past the size limit
    }
    const auto again = service.parseImportPreviewFromText(written);
    if (!again.ok()) {
        fail("the written pack is refused", written);
    }
    checkRules(*again, written);
    if (again->pack.metadata != asWritten(pack.metadata)) {
        fail("metadata", written);
    }
    if (again->pack.workspace.name != PromptYAMLEncoder::singleLine(pack.workspace.name)) {
        fail("workspace name", written);
    }
    const QList<PromptItem>& first = pack.workspace.prompts;
    const QList<PromptItem>& second = again->pack.workspace.prompts;
    if (first.size() != second.size()) {
        fail("prompt count after writing", written);
    }
    for (qsizetype i = 0; i < first.size(); ++i) {
        if (second[i].title != PromptYAMLEncoder::singleLine(first[i].title.toString()) ||
            second[i].text != first[i].text || second[i].agent != first[i].agent) {
            fail("prompt after writing", written);
        }
    }
    return 0;
}
