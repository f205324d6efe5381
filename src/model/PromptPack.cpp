#include "model/PromptPack.h"

#include <QSet>

QStringList PromptPackImportPreview::groups() const {
    QStringList result;
    QSet<QString> seen;
    for (const PromptItem& prompt : pack.workspace.prompts) {
        if (!seen.contains(prompt.group)) {
            seen.insert(prompt.group);
            result.append(prompt.group);
        }
    }
    return result;
}

QStringList PromptPackImportPreview::sampleTitles() const {
    QStringList result;
    for (qsizetype i = 0; i < pack.workspace.prompts.size() && i < 5; ++i) {
        result.append(pack.workspace.prompts.at(i).title.toString());
    }
    return result;
}
