// Feeds any text to the pasted-import parser: it must not crash or hang, must honour its caps
// (no previews beyond 512 KiB of trimmed text, at most 200), must give unique preview ids and
// trimmed, non-empty texts, and the prompts made from the previews must have ids unique among
// themselves and against the ids already taken.

#include "config/PromptImportParser.h"
#include "model/TextPrimitives.h"

#include <QSet>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& text) {
    std::fprintf(stderr, "import check failed: %s\n--- text ---\n%s\n", what, text.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<PromptImportPreview> previews = PromptImportParser::parse(text, AppLanguage::english);

    if (previews.size() > PromptImportParser::maximumSections) {
        fail("more than 200 previews", text);
    }
    if (!previews.isEmpty() &&
        Text::utf8Length(Text::trimWhitespaceAndNewlines(text)) > PromptImportParser::maximumBytes) {
        fail("previews of a text over the cap", text);
    }
    QSet<QString> previewIDs;
    for (const PromptImportPreview& preview : previews) {
        if (previewIDs.contains(preview.id) || !preview.id.startsWith(QLatin1String("preview-"))) {
            fail("preview ids", text);
        }
        previewIDs.insert(preview.id);
        if (preview.text.isEmpty() || Text::trimWhitespaceAndNewlines(preview.text) != preview.text) {
            fail("preview text not trimmed", text);
        }
        if (Text::trimWhitespaceAndNewlines(preview.title).isEmpty()) {
            fail("blank preview title", text);
        }
    }

    const QSet<QString> existing = {QStringLiteral("imported-review"), QStringLiteral("imported-prompt-1")};
    const QList<PromptItem> prompts = PromptImportParser::makePrompts(previews, existing, AppLanguage::english);
    if (prompts.size() != previews.size()) {
        fail("prompt count", text);
    }
    QSet<QString> ids = existing;
    for (const PromptItem& prompt : prompts) {
        if (ids.contains(prompt.id)) {
            fail("prompt ids", text);
        }
        ids.insert(prompt.id);
    }
    return 0;
}
