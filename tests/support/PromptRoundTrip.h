#pragma once

#include "config/PromptYAMLEncoder.h"
#include "model/PromptModels.h"

// What the reader gives back for a workspace the writer wrote: single-line values lose their tabs
// and line breaks, and the claude-code agent reads as terminal.
inline PromptWorkspace asReadBack(PromptWorkspace workspace) {
    workspace.name = PromptYAMLEncoder::singleLine(workspace.name);
    for (QString& path : workspace.matchPaths) {
        path = PromptYAMLEncoder::singleLine(path);
    }
    for (PromptItem& item : workspace.prompts) {
        item.id = PromptYAMLEncoder::singleLine(item.id);
        item.title = PromptYAMLEncoder::singleLine(item.title.toString());
        item.group = PromptYAMLEncoder::singleLine(item.group);
        for (QString& tag : item.tags) {
            tag = PromptYAMLEncoder::singleLine(tag);
        }
        if (item.agent == AgentType::claudeCode) {
            item.agent = AgentType::terminal;
        }
    }
    return workspace;
}
