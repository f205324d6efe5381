#include "config/PromptYAMLEncoder.h"

#include "model/TextPrimitives.h"

using namespace Qt::StringLiterals;

QString PromptYAMLEncoder::singleLine(const QString& value) {
    QString result = value;
    for (QChar& c : result) {
        if (c == u'\t' || Text::isNewline(c.unicode())) {
            c = u' ';
        }
    }
    return result;
}

QString PromptYAMLEncoder::quoted(const QString& value) {
    QString escaped = singleLine(value);
    escaped.replace(u"\\"_s, u"\\\\"_s);
    escaped.replace(u"\""_s, u"\\\""_s);
    return u'"' + escaped + u'"';
}

QString PromptYAMLEncoder::encodeWorkspace(const PromptWorkspace& workspace, bool includeMatchPaths) {
    QString out;
    out += u"workspace:\n"_s;
    out += u"  name: "_s + quoted(workspace.name) + u'\n';
    encodeMatchPaths(out, includeMatchPaths ? workspace.matchPaths : QStringList());
    out += u"\nprompts:\n"_s;
    encodePrompts(out, workspace.prompts);
    return out;
}

QString PromptYAMLEncoder::encodePack(const PromptWorkspace& workspace, const PromptPackMetadata& metadata) {
    QString out;
    out += u"pack:\n"_s;
    out += u"  id: "_s + quoted(metadata.id) + u'\n';
    out += u"  name: "_s + quoted(metadata.name) + u'\n';
    out += u"  description: "_s + quoted(metadata.description) + u'\n';
    out += u"  version: "_s + quoted(metadata.version) + u'\n';
    out += u"  author: "_s + quoted(metadata.author) + u'\n';
    out += u"workspace:\n"_s;
    out += u"  name: "_s + quoted(workspace.name) + u'\n';
    encodeMatchPaths(out, {});
    out += u"\nprompts:\n"_s;
    encodePrompts(out, workspace.prompts);
    return out;
}

void PromptYAMLEncoder::encodeMatchPaths(QString& out, const QStringList& paths) {
    if (paths.isEmpty()) {
        out += u"  match_paths: []\n"_s;
        return;
    }
    out += u"  match_paths:\n"_s;
    for (const QString& path : paths) {
        out += u"    - "_s + quoted(path) + u'\n';
    }
}

void PromptYAMLEncoder::encodePrompts(QString& out, const QList<PromptItem>& prompts) {
    for (const PromptItem& prompt : prompts) {
        out += u"  - id: "_s + quoted(prompt.id) + u'\n';
        out += u"    title: "_s + quoted(prompt.title.toString()) + u'\n';
        out += u"    group: "_s + quoted(prompt.group) + u'\n';
        out += u"    agent: "_s + quoted(prompt.agent ? AgentTypes::rawValue(*prompt.agent) : u"any"_s) + u'\n';
        if (prompt.isPinned) {
            out += u"    pinned: true\n"_s;
        }
        if (prompt.shortcut) {
            out += u"    shortcut: "_s + quoted(prompt.shortcut->storageString()) + u'\n';
        }
        if (!prompt.tags.isEmpty()) {
            out += u"    tags:\n"_s;
            for (const QString& tag : prompt.tags) {
                out += u"      - "_s + quoted(tag) + u'\n';
            }
        }
        out += u"    text: |\n"_s;
        const QString text = prompt.text.toString();
        for (const QStringView piece : Text::splitViewsAtNewlines(text)) {
            out += u"      "_s;
            out += piece;
            out += u'\n';
        }
        out += u'\n';
    }
}
