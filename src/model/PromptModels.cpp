#include "model/PromptModels.h"

#include <QFileInfo>
#include <QHash>

size_t qHash(const PromptItem& item, size_t seed) {
    const int agent = item.agent ? int(*item.agent) : -1;
    const size_t shortcut = item.shortcut ? qHash(*item.shortcut) : size_t(0);
    return qHashMulti(seed, item.id, item.title, item.group, agent, item.text, item.tags, item.isPinned, shortcut,
                      item.shortcut.has_value());
}

size_t qHash(const PromptWorkspace& workspace, size_t seed) {
    const size_t prompts = qHashRange(workspace.prompts.cbegin(), workspace.prompts.cend(), seed);
    const size_t version = workspace.fileVersion ? qHash(*workspace.fileVersion) : size_t(0);
    return qHashMulti(seed, workspace.id, workspace.name, workspace.matchPaths, prompts,
                      workspace.fileURL.value_or(QString()), workspace.fileURL.has_value(), int(workspace.source),
                      version, workspace.fileVersion.has_value());
}

namespace PromptWorkspaceSources {

QString rawValue(PromptWorkspaceSource source) {
    switch (source) {
    case PromptWorkspaceSource::global:
        return QStringLiteral("global");
    case PromptWorkspaceSource::userWorkspace:
        return QStringLiteral("userWorkspace");
    case PromptWorkspaceSource::projectConfig:
        return QStringLiteral("projectConfig");
    case PromptWorkspaceSource::transientSample:
        return QStringLiteral("transientSample");
    }
    return QStringLiteral("userWorkspace");
}

std::optional<PromptWorkspaceSource> fromRawValue(const QString& raw) {
    for (PromptWorkspaceSource source :
         {PromptWorkspaceSource::global, PromptWorkspaceSource::userWorkspace, PromptWorkspaceSource::projectConfig,
          PromptWorkspaceSource::transientSample}) {
        if (rawValue(source) == raw) {
            return source;
        }
    }
    return std::nullopt;
}

QString displayName(PromptWorkspaceSource source, AppLanguage language) {
    switch (source) {
    case PromptWorkspaceSource::global:
        return L10n::string(L10N("workspace.source.global"), language);
    case PromptWorkspaceSource::userWorkspace:
        return L10n::string(L10N("workspace.source.user"), language);
    case PromptWorkspaceSource::projectConfig:
        return L10n::string(L10N("workspace.source.project"), language);
    case PromptWorkspaceSource::transientSample:
        return L10n::string(L10N("workspace.source.sample"), language);
    }
    return {};
}

} // namespace PromptWorkspaceSources

QString PromptWorkspace::displayNamePath() const {
    return displayNamePath(L10n::currentLanguage());
}

QString PromptWorkspace::displayNamePath(AppLanguage language) const {
    if (fileURL) {
        return QFileInfo(*fileURL).fileName();
    }
    return L10n::string(L10N("workspace.not.saved"), language);
}

namespace {

bool isPeer(const PromptItem& candidate, const PromptItem& prompt) {
    return candidate.group == prompt.group && candidate.isPinned == prompt.isPinned;
}

} // namespace

bool PromptWorkspace::canMovePrompt(const QString& id, PromptMoveDirection direction) const {
    const auto found = std::find_if(prompts.cbegin(), prompts.cend(), [&](const PromptItem& p) { return p.id == id; });
    if (found == prompts.cend()) {
        return false;
    }
    const PromptItem& prompt = *found;
    qsizetype count = 0;
    qsizetype position = -1;
    for (const PromptItem& candidate : prompts) {
        if (!isPeer(candidate, prompt)) {
            continue;
        }
        if (position < 0 && candidate.id == id) {
            position = count;
        }
        ++count;
    }
    if (count < 2) {
        return false;
    }
    switch (direction) {
    case PromptMoveDirection::up:
    case PromptMoveDirection::top:
        return position > 0;
    case PromptMoveDirection::down:
    case PromptMoveDirection::bottom:
        return position < count - 1;
    }
    return false;
}

bool PromptWorkspace::movePrompt(const QString& id, PromptMoveDirection direction) {
    if (!canMovePrompt(id, direction)) {
        return false;
    }
    const PromptItem prompt =
        *std::find_if(prompts.cbegin(), prompts.cend(), [&](const PromptItem& p) { return p.id == id; });

    QStringList groupOrder;
    QHash<QString, QList<PromptItem>> groups;
    for (const PromptItem& item : prompts) {
        auto group = groups.find(item.group);
        if (group == groups.end()) {
            groupOrder.append(item.group);
            group = groups.insert(item.group, {});
        }
        group->append(item);
    }

    QList<PromptItem>& members = groups[prompt.group];
    qsizetype k = -1;
    QList<qsizetype> peerIndices;
    for (qsizetype index = 0; index < members.size(); ++index) {
        if (k < 0 && members.at(index).id == id) {
            k = index;
        }
        if (members.at(index).isPinned == prompt.isPinned) {
            peerIndices.append(index);
        }
    }
    const qsizetype j = peerIndices.indexOf(k);

    switch (direction) {
    case PromptMoveDirection::up:
        members.swapItemsAt(k, peerIndices.at(j - 1));
        break;
    case PromptMoveDirection::down:
        members.swapItemsAt(k, peerIndices.at(j + 1));
        break;
    case PromptMoveDirection::top: {
        PromptItem moved = members.takeAt(k);
        members.insert(peerIndices.first(), std::move(moved));
        break;
    }
    case PromptMoveDirection::bottom: {
        const qsizetype last = peerIndices.last();
        PromptItem moved = members.takeAt(k);
        // After the removal the former last peer sits just before `last`.
        members.insert(std::min(last, members.size()), std::move(moved));
        break;
    }
    }

    QList<PromptItem> rebuilt;
    rebuilt.reserve(prompts.size());
    for (const QString& group : groupOrder) {
        rebuilt.append(groups.value(group));
    }
    prompts = std::move(rebuilt);
    return true;
}
