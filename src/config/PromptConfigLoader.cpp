#include "config/PromptConfigLoader.h"

#include "config/StartupFileRecovery.h"

#include "config/BackgroundWork.h"
#include "config/Slug.h"
#include "config/StateFiles.h"
#include "model/Sha256.h"
#include "model/TextPrimitives.h"

#include <QDir>
#include <QFileInfo>
#include <QFuture>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>
#include <QUuid>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

// Literal comparisons the scanners make on every line, kept inline.
template <qsizetype N> bool hasPrefix(QStringView text, const char16_t (&prefix)[N]) {
    constexpr qsizetype length = N - 1;
    return text.size() >= length && std::char_traits<char16_t>::compare(text.utf16(), prefix, size_t(length)) == 0;
}

template <qsizetype N> bool isExactly(QStringView text, const char16_t (&literal)[N]) {
    constexpr qsizetype length = N - 1;
    return text.size() == length && std::char_traits<char16_t>::compare(text.utf16(), literal, size_t(length)) == 0;
}

qsizetype leadingSpaces(QStringView line) {
    qsizetype count = 0;
    while (count < line.size() && line[count] == u' ') {
        ++count;
    }
    return count;
}

// ---- Structure check --------------------------------------------------------------------

// The line without its leading spaces, cut at the first "#" outside quotes, trimmed of spaces
// and tabs. Inside double quotes a backslash takes the next character literally.
QStringView structuralContent(QStringView line) {
    const QStringView rest = line.sliced(leadingSpaces(line));
    char16_t quote = 0;
    qsizetype end = rest.size();
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const char16_t c = rest[i].unicode();
        if (quote == u'"') {
            if (c == u'\\') {
                ++i;
            } else if (c == u'"') {
                quote = 0;
            }
        } else if (quote == u'\'') {
            if (c == u'\'') {
                quote = 0;
            }
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'#') {
            end = i;
            break;
        }
    }
    return Text::trimSpacesAndTabs(rest.first(end));
}

struct Field {
    QStringView key;
    QStringView value;
};

std::optional<Field> structuralField(QStringView content) {
    const qsizetype colon = content.indexOf(u':');
    if (colon < 0) {
        return std::nullopt;
    }
    const QStringView key = Text::trimSpacesAndTabs(content.first(colon));
    if (key.isEmpty()) {
        return std::nullopt;
    }
    return Field{key, Text::trimSpacesAndTabs(content.sliced(colon + 1))};
}

bool isStructuralScalar(QStringView raw) {
    const QStringView value = Text::trimWhitespaceAndNewlines(raw);
    if (value.isEmpty()) {
        return false;
    }
    const char16_t first = value.front().unicode();
    if (first == u'"') {
        if (value.size() < 2 || value.back() != u'"') {
            return false;
        }
        const QStringView inner = value.sliced(1, value.size() - 2);
        for (qsizetype i = 0; i < inner.size(); ++i) {
            if (inner[i] == u'\\') {
                if (i + 1 >= inner.size()) {
                    return false;
                }
                ++i;
            } else if (inner[i] == u'"') {
                return false;
            }
        }
        return true;
    }
    if (first == u'\'') {
        if (value.size() < 2 || value.back() != u'\'') {
            return false;
        }
        const QStringView inner = value.sliced(1, value.size() - 2);
        for (qsizetype i = 0; i < inner.size(); ++i) {
            if (inner[i] == u'\'') {
                if (i + 1 < inner.size() && inner[i + 1] == u'\'') {
                    ++i;
                } else {
                    return false;
                }
            }
        }
        return true;
    }
    if ((value.size() == 4 || value.size() == 1) &&
        (value.toString().toLower() == "null"_L1 || isExactly(value, u"~"))) {
        return false;
    }
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u == u'[' || u == u']' || u == u'{' || u == u'}') {
            return false;
        }
    }
    return true;
}

bool isPromptKey(QStringView key) {
    return isExactly(key, u"id") || isExactly(key, u"title") || isExactly(key, u"group") || isExactly(key, u"agent") ||
           isExactly(key, u"pinned") || isExactly(key, u"shortcut") || isExactly(key, u"text") ||
           isExactly(key, u"tags");
}

bool isValidPromptField(QStringView key, QStringView value) {
    if (isExactly(key, u"id") || isExactly(key, u"title") || isExactly(key, u"group") || isExactly(key, u"agent") ||
        isExactly(key, u"pinned") || isExactly(key, u"shortcut")) {
        return isStructuralScalar(value);
    }
    if (isExactly(key, u"text")) {
        return isExactly(value, u"|") || isStructuralScalar(value);
    }
    if (isExactly(key, u"tags")) {
        return value.isEmpty() || isExactly(value, u"[]") || isStructuralScalar(value);
    }
    return true;
}

enum class Section { none, workspace, prompts };
enum class ListState { none, matchPaths, tags, textBlock };

ListState listStateFor(const Field& field) {
    if (isExactly(field.key, u"tags") && field.value.isEmpty()) {
        return ListState::tags;
    }
    if (isExactly(field.key, u"text") && (isExactly(field.value, u"|") || isExactly(field.value, u">"))) {
        return ListState::textBlock;
    }
    return ListState::none;
}

// ---- Extraction helpers ----------------------------------------------------------------

// The value after the first ":" of a key line, as the scanners read it.
QString valueAfterColon(QStringView line) {
    const qsizetype colon = line.indexOf(u':');
    return PromptConfigLoader::cleanScalar(Text::trimSpacesAndTabs(line.sliced(colon + 1)));
}

QString trimNewlines(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && Text::isNewline(text[start].unicode())) {
        ++start;
    }
    while (end > start && Text::isNewline(text[end - 1].unicode())) {
        --end;
    }
    return start == 0 && end == text.size() ? text : text.sliced(start, end - start);
}

QString joinLines(const QList<QStringView>& lines) {
    qsizetype size = lines.size();
    for (const QStringView line : lines) {
        size += line.size();
    }
    QString joined;
    joined.reserve(size);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            joined.append(u'\n');
        }
        joined.append(lines[i]);
    }
    return joined;
}

// A ">" block: a line break between two plain lines becomes a blank, an empty line stands for
// one line break, and lines that begin with a blank keep their breaks.
QString foldLines(const QList<QStringView>& lines) {
    QString folded;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        if (i > 0) {
            const QStringView previous = lines[i - 1];
            const bool previousIndented = !previous.isEmpty() && (previous[0] == u' ' || previous[0] == u'\t');
            const bool indented = !line.isEmpty() && (line[0] == u' ' || line[0] == u'\t');
            if (line.isEmpty()) {
                folded.append(u'\n');
            } else if (previous.isEmpty()) {
                // the empty line already stands for the break
            } else if (previousIndented || indented) {
                folded.append(u'\n');
            } else {
                folded.append(u' ');
            }
        }
        folded.append(line);
    }
    return folded;
}

bool isEveryAgentWord(const QString& value) {
    const QString word = Text::trimWhitespaceAndNewlines(value).toLower();
    return word.isEmpty() || word == "any"_L1 || word == "all"_L1 || word == "*"_L1;
}

const QHash<QString, AgentType>& agentAliases() {
    static const QHash<QString, AgentType> table = [] {
        QHash<QString, AgentType> aliases;
        const auto add = [&](AgentType type, std::initializer_list<const char*> names) {
            for (const char* name : names) {
                aliases.insert(QString::fromUtf8(name), type);
            }
        };
        add(AgentType::antigravity, {"antigravity"});
        add(AgentType::antigravityIDE, {"antigravity-ide", "antigravity ide"});
        add(AgentType::codex, {"codex"});
        add(AgentType::claudeDesktop, {"claude", "claude-desktop", "claude desktop"});
        add(AgentType::terminal, {"claude-code", "claude code", "terminal", "term", "shell"});
        add(AgentType::cursor, {"cursor"});
        add(AgentType::vscode, {"vscode", "vs-code", "vs code", "visual-studio-code", "visual studio code", "code"});
        add(AgentType::ghostty, {"ghostty"});
        add(AgentType::hermes, {"hermes", "hermes-desktop", "hermes desktop"});
        add(AgentType::windsurf, {"windsurf", "devin", "devin-desktop", "devin desktop"});
        add(AgentType::trae, {"trae", "trae-ide", "trae ide"});
        add(AgentType::zed, {"zed"});
        add(AgentType::jetbrains, {"jetbrains", "intellij-idea", "intellij idea", "pycharm", "webstorm", "goland",
                                   "clion", "phpstorm", "rubymine", "datagrip", "rider"});
        add(AgentType::kiro, {"kiro"});
        add(AgentType::kimi, {"kimi", "kimi-desktop", "kimi desktop"});
        add(AgentType::openCode, {"opencode", "open-code", "open code", "opencode-desktop", "opencode desktop"});
        add(AgentType::zcode, {"zcode", "z-code", "z code"});
        add(AgentType::chrome, {"chrome", "google-chrome", "google chrome"});
        add(AgentType::arc, {"arc"});
        add(AgentType::safari, {"safari"});
        add(AgentType::edge, {"edge", "microsoft-edge", "microsoft edge"});
        add(AgentType::firefox, {"firefox"});
        add(AgentType::brave, {"brave", "brave-browser", "brave browser"});
        return aliases;
    }();
    return table;
}

} // namespace

// The lines of one text, and which of them belong to a prompt's text block.
struct PromptConfigLoader::Lines {
    QList<QStringView> lines;
    std::vector<bool> isText;

    explicit Lines(QStringView text) : lines(Text::splitViewsAtNewlines(text)), isText(size_t(lines.size()), false) {}
};

PromptConfigLoader::PromptConfigLoader(AppEnvironment environment, std::function<AppLanguage()> languageProvider,
                                       PromptConfigLimits limits, std::optional<bool> transientSamplesDismissedOverride)
    : m_environment(std::move(environment)), m_languageProvider(std::move(languageProvider)), m_limits(limits),
      m_transientSamplesDismissedOverride(transientSamplesDismissedOverride) {
    m_home = QDir::cleanPath(m_environment.homePath);
    if (!m_languageProvider) {
        m_languageProvider = [] { return AppLanguage::zhHans; };
    }
}

AppLanguage PromptConfigLoader::language() const {
    if (m_loadLanguage) {
        return *m_loadLanguage;
    }
    return AppLanguages::resolved(m_languageProvider, m_environment.preferredLanguages);
}

// ---- Structure check ---------------------------------------------------------------------

bool PromptConfigLoader::hasValidConfigStructure(const QString& text) {
    return hasValidStructure(Text::splitViewsAtNewlines(text));
}

bool PromptConfigLoader::hasValidStructure(const QList<QStringView>& lines) {
    Section section = Section::none;
    ListState list = ListState::none;
    bool inItem = false;
    bool seenSection = false;

    for (const QStringView line : lines) {
        const qsizetype indent = leadingSpaces(line);
        if (section == Section::prompts && list == ListState::textBlock && indent >= 6) {
            continue;
        }
        if (line.contains(u'\t')) {
            return false;
        }
        const QStringView content = structuralContent(line);
        if (content.isEmpty()) {
            continue;
        }

        if (indent == 0) {
            const auto field = structuralField(content);
            if (!field) {
                return false;
            }
            if (isExactly(field->key, u"workspace") || isExactly(field->key, u"prompts")) {
                const bool isWorkspace = isExactly(field->key, u"workspace");
                const QStringView emptyForm = isWorkspace ? u"{}" : u"[]";
                if (!field->value.isEmpty() && field->value != emptyForm) {
                    return false;
                }
                if (field->value.isEmpty()) {
                    section = isWorkspace ? Section::workspace : Section::prompts;
                } else {
                    section = Section::none;
                }
                seenSection = true;
                list = ListState::none;
            } else {
                section = Section::none;
                list = ListState::none;
                inItem = false;
            }
            continue;
        }

        switch (section) {
        case Section::none:
            continue;
        case Section::workspace: {
            if (list == ListState::matchPaths && indent >= 4) {
                if (!hasPrefix(content, u"- ") || !isStructuralScalar(content.sliced(2))) {
                    return false;
                }
                continue;
            }
            if (indent != 2) {
                return false;
            }
            const auto field = structuralField(content);
            if (!field) {
                return false;
            }
            if (isExactly(field->key, u"name")) {
                if (!isStructuralScalar(field->value)) {
                    return false;
                }
            } else if (isExactly(field->key, u"match_paths")) {
                if (field->value.isEmpty()) {
                    list = ListState::matchPaths;
                } else if (isExactly(field->value, u"[]")) {
                    list = ListState::none;
                } else {
                    return false;
                }
            } else {
                list = ListState::none;
            }
            continue;
        }
        case Section::prompts: {
            if (indent == 2) {
                if (!hasPrefix(content, u"- ")) {
                    return false;
                }
                const auto field = structuralField(Text::trimSpacesAndTabs(content.sliced(2)));
                if (!field || !isPromptKey(field->key) || !isValidPromptField(field->key, field->value)) {
                    return false;
                }
                inItem = true;
                list = listStateFor(*field);
                continue;
            }
            if (!inItem) {
                return false;
            }
            if (indent >= 6) {
                if (list == ListState::tags) {
                    if (!hasPrefix(content, u"- ") || !isStructuralScalar(content.sliced(2))) {
                        return false;
                    }
                    continue;
                }
                if (list == ListState::textBlock) {
                    continue;
                }
                return false;
            }
            if (indent == 4) {
                const auto field = structuralField(content);
                if (!field || !isValidPromptField(field->key, field->value)) {
                    return false;
                }
                list = listStateFor(*field);
                continue;
            }
            return false;
        }
        }
    }
    return seenSection;
}

// ---- Extraction --------------------------------------------------------------------------

QString PromptConfigLoader::cleanScalar(QStringView value) {
    const QStringView trimmed = Text::trimWhitespaceAndNewlines(value);
    if (trimmed.size() >= 2 && trimmed.front() == u'"' && trimmed.back() == u'"') {
        QString inner = trimmed.sliced(1, trimmed.size() - 2).toString();
        if (inner.contains(u'\\')) {
            inner.replace(u"\\\""_s, u"\""_s);
            inner.replace(u"\\\\"_s, u"\\"_s);
        }
        return inner;
    }
    if (trimmed.size() >= 2 && trimmed.front() == u'\'' && trimmed.back() == u'\'') {
        QString inner = trimmed.sliced(1, trimmed.size() - 2).toString();
        inner.replace(u"''"_s, u"'"_s);
        return inner;
    }
    return trimmed.toString();
}

std::optional<AgentType> PromptConfigLoader::parseAgent(QStringView value) {
    QString normalized = Text::trimWhitespaceAndNewlines(value).toString().toLower();
    normalized.replace(u'_', u'-');
    const auto found = agentAliases().constFind(normalized);
    if (found == agentAliases().constEnd()) {
        return std::nullopt;
    }
    return *found;
}

std::optional<QString> PromptConfigLoader::workspaceName(const Lines& lines) const {
    bool inBlock = false;
    for (qsizetype i = 0; i < lines.lines.size(); ++i) {
        if (lines.isText[size_t(i)]) {
            continue; // a prompt's text is never a workspace key
        }
        const QStringView line = lines.lines[i];
        const QStringView trimmed = Text::trimSpacesAndTabs(line);
        if (isExactly(trimmed, u"workspace:")) {
            inBlock = true;
            continue;
        }
        if (!inBlock) {
            continue;
        }
        if (!trimmed.isEmpty() && !line.startsWith(u' ')) {
            inBlock = false;
            continue;
        }
        if (hasPrefix(trimmed, u"name:")) {
            return valueAfterColon(trimmed);
        }
    }
    return std::nullopt;
}

QStringList PromptConfigLoader::matchPaths(const Lines& lines) const {
    QStringList paths;
    bool open = false;
    for (qsizetype i = 0; i < lines.lines.size(); ++i) {
        if (lines.isText[size_t(i)]) {
            continue; // a prompt's text neither opens a list nor adds to one
        }
        const QStringView line = lines.lines[i];
        const QStringView trimmed = Text::trimSpacesAndTabs(line);
        if (isExactly(trimmed, u"match_paths:")) {
            open = true;
            continue;
        }
        if (!open) {
            continue;
        }
        if (trimmed.startsWith(u'-')) {
            paths.append(cleanScalar(Text::trimSpacesAndTabs(trimmed.sliced(1))));
        } else if (!trimmed.isEmpty() && !hasPrefix(line, u"  ")) {
            open = false;
        }
    }
    return paths;
}

namespace {

// The fields of the prompt item being read.
struct ItemFields {
    std::optional<QString> id;
    std::optional<QString> title;
    std::optional<QString> group;
    std::optional<QString> agent;
    std::optional<QString> pinned;
    std::optional<QString> shortcut;
    std::optional<QString> text;

    bool isEmpty() const { return !id && !title && !group && !agent && !pinned && !shortcut && !text; }
};

} // namespace

QList<PromptItem> PromptConfigLoader::prompts(Lines& lines, bool buildItems) {
    QList<PromptItem> result;
    ItemFields fields;
    QStringList tags;
    bool extracting = false;
    bool tagMode = false;
    bool textMode = false;
    bool foldedText = false;
    QList<QStringView> textLines;
    std::optional<QString> untitled;
    std::optional<QString> commonGroup;
    // Groups and tags repeat across a file's prompts: equal texts and tag lists share one copy,
    // which keeps a loaded library small.
    QSet<QString> sharedTexts;
    QSet<QStringList> sharedTagLists;
    const auto shared = [&sharedTexts](const QString& text) {
        const auto found = sharedTexts.constFind(text);
        if (found != sharedTexts.constEnd()) {
            return *found;
        }
        sharedTexts.insert(text);
        return text;
    };

    const auto finishCurrent = [&] {
        if (textMode) {
            fields.text = trimNewlines(foldedText ? foldLines(textLines) : joinLines(textLines));
            textMode = false;
            textLines.clear();
        }
        // Every item starts clean, also after one that produced nothing or was dropped.
        ItemFields current = std::exchange(fields, ItemFields());
        QStringList currentTags = std::exchange(tags, QStringList());
        tagMode = false;
        if (current.isEmpty() || !buildItems) {
            return;
        }
        std::optional<AgentType> agent;
        if (current.agent && !isEveryAgentWord(*current.agent)) {
            agent = parseAgent(*current.agent);
            if (!agent) {
                m_warnings.append(L10n::string(L10N("error.invalid.agent"), language(), *current.agent));
                return;
            }
        }
        PromptItem item;
        item.id = current.id ? *current.id : QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        if (current.title) {
            item.title = *current.title;
        } else {
            if (!untitled) {
                untitled = L10n::string(L10N("prompt.untitled"), language());
            }
            item.title = *untitled;
        }
        if (current.group) {
            item.group = shared(*current.group);
        } else {
            if (!commonGroup) {
                commonGroup = L10n::string(L10N("prompt.default.common.group"), language());
            }
            item.group = *commonGroup;
        }
        item.agent = agent;
        item.text = current.text ? *current.text : item.title;
        if (!currentTags.isEmpty()) {
            const auto found = sharedTagLists.constFind(currentTags);
            if (found != sharedTagLists.constEnd()) {
                item.tags = *found;
            } else {
                for (QString& tag : currentTags) {
                    tag = shared(tag);
                }
                sharedTagLists.insert(currentTags);
                item.tags = std::move(currentTags);
            }
        }
        if (current.pinned) {
            const QString pinned = current.pinned->toLower();
            item.isPinned = pinned == "true"_L1 || pinned == "yes"_L1 || pinned == "1"_L1;
        }
        if (current.shortcut) {
            item.shortcut = PromptKeyboardShortcut::fromStorageString(*current.shortcut);
        }
        result.append(std::move(item));
    };

    for (qsizetype i = 0; i < lines.lines.size(); ++i) {
        const QStringView line = lines.lines[i];
        const QStringView trimmed = Text::trimSpacesAndTabs(line);
        // Inside a text block a line indented by six or more spaces is text, whatever it reads.
        const bool isTextLine = textMode && leadingSpaces(line) >= 6;
        if (!isTextLine && isExactly(trimmed, u"prompts:")) {
            extracting = true;
            continue;
        }
        if (!extracting) {
            continue;
        }
        if (tagMode) {
            if (trimmed.startsWith(u'-') && !hasPrefix(line, u"  -")) {
                tags.append(cleanScalar(Text::trimSpacesAndTabs(trimmed.sliced(1))));
                continue;
            }
            tagMode = false;
        }
        if (textMode) {
            if (hasPrefix(line, u"  -")) {
                finishCurrent();
            } else {
                textLines.append(hasPrefix(line, u"      ") ? line.sliced(6) : line);
                lines.isText[size_t(i)] = isTextLine;
                continue;
            }
        }

        QStringView keyLine = trimmed;
        if (hasPrefix(trimmed, u"- ") && trimmed.contains(u':')) {
            finishCurrent();
            keyLine = Text::trimSpacesAndTabs(trimmed.sliced(2));
        }

        if (hasPrefix(keyLine, u"id:")) {
            fields.id = valueAfterColon(keyLine);
        } else if (hasPrefix(keyLine, u"title:")) {
            fields.title = valueAfterColon(keyLine);
        } else if (hasPrefix(keyLine, u"group:")) {
            fields.group = valueAfterColon(keyLine);
        } else if (hasPrefix(keyLine, u"agent:")) {
            fields.agent = valueAfterColon(keyLine);
        } else if (hasPrefix(keyLine, u"pinned:")) {
            fields.pinned = valueAfterColon(keyLine);
        } else if (hasPrefix(keyLine, u"shortcut:")) {
            fields.shortcut = valueAfterColon(keyLine);
        } else if (hasPrefix(keyLine, u"tags:")) {
            const QString value = valueAfterColon(keyLine);
            tags.clear();
            if (value.isEmpty()) {
                tagMode = true;
            } else if (value != "[]"_L1) {
                for (const QStringView piece : QStringView(value).split(u',', Qt::SkipEmptyParts)) {
                    tags.append(Text::trimSpacesAndTabs(piece).toString());
                }
            }
        } else if (hasPrefix(keyLine, u"text: |") || hasPrefix(keyLine, u"text: >")) {
            textMode = true;
            foldedText = hasPrefix(keyLine, u"text: >");
            textLines.clear();
        } else if (hasPrefix(keyLine, u"text:")) {
            fields.text = valueAfterColon(keyLine);
        }
    }
    finishCurrent();
    result.squeeze();
    return result;
}

std::optional<QString> PromptConfigLoader::parseWorkspaceName(const QString& text) {
    Lines lines(text);
    prompts(lines, false);
    return workspaceName(lines);
}

QStringList PromptConfigLoader::parseMatchPaths(const QString& text) {
    Lines lines(text);
    prompts(lines, false);
    return matchPaths(lines);
}

QList<PromptItem> PromptConfigLoader::parsePrompts(const QString& text) {
    Lines lines(text);
    return prompts(lines, true);
}

PromptWorkspace PromptConfigLoader::parseWorkspace(const QString& text, const QString& id,
                                                   const QString& fallbackName) {
    Lines lines(text);
    return workspace(lines, id, fallbackName);
}

std::optional<PromptWorkspace> PromptConfigLoader::readWorkspace(QByteArrayView bytes, const QString& id,
                                                                 const QString& fallbackName,
                                                                 PromptConfigIssueKind& failure) {
    bool unsupported = false;
    std::optional<PromptWorkspace> read = readUtf8(bytes, id, fallbackName, failure, unsupported);
    if (!unsupported) {
        return read;
    }
    const std::optional<QString> text = Text::decodeUtf8(bytes);
    if (!text) {
        failure = PromptConfigIssueKind::invalidUTF8;
        return std::nullopt;
    }
    Lines lines(*text);
    if (!hasValidStructure(lines.lines)) {
        failure = PromptConfigIssueKind::invalidFormat;
        return std::nullopt;
    }
    return workspace(lines, id, fallbackName);
}

PromptWorkspace PromptConfigLoader::workspace(Lines& lines, const QString& id, const QString& fallbackName) {
    PromptWorkspace result;
    result.id = id;
    result.prompts = prompts(lines, true); // first: it marks the text lines the other scanners skip
    result.name = workspaceName(lines).value_or(fallbackName);
    result.matchPaths = matchPaths(lines);
    result.source = PromptWorkspaceSource::userWorkspace;
    return result;
}

// ---- Loading -----------------------------------------------------------------------------

WorkspaceFileVersion PromptConfigLoader::fileVersion(const QByteArray& data, const QString& path) {
    return {QDir::cleanPath(QFileInfo(path).absoluteFilePath()), Sha256::hex(data)};
}

QString PromptConfigLoader::slug(const QString& text) {
    const QString result = Slug::fromText(text);
    return result.isEmpty() ? u"workspace"_s : result;
}

std::optional<PromptWorkspace> PromptConfigLoader::load(const QString& path, const QString& fallbackName,
                                                        PromptConfigSourceKind sourceKind, qint64& aggregateBytes,
                                                        QList<PromptConfigIssue>& issues,
                                                        QHash<QString, WorkspaceFileMetadata>& workspaceMetadata,
                                                        QByteArray& buffer) {
    const auto refuse = [&](PromptConfigIssueKind kind) -> std::optional<PromptWorkspace> {
        issues.append(PromptConfigIssue::make(path, sourceKind, kind, language()));
        return std::nullopt;
    };

    // Size and date come from the opened file, so they describe the bytes that are read. The
    // limits are checked on the size the file claims before anything is read.
    Result<StateFiles::OpenedFile> file = StateFiles::OpenedFile::open(path);
    if (!file) {
        return refuse(PromptConfigIssueKind::unreadable);
    }
    if (file->size() > m_limits.perFileBytes) {
        return refuse(PromptConfigIssueKind::perFileLimitExceeded);
    }
    if (m_limits.aggregateBytes - file->size() < aggregateBytes) {
        return refuse(PromptConfigIssueKind::aggregateLimitExceeded);
    }
    const qint64 totalBefore = aggregateBytes;
    aggregateBytes += file->size();

    if (!file->readAtMost(m_limits.perFileBytes, buffer)) {
        return refuse(PromptConfigIssueKind::unreadable);
    }
    const QByteArray* bytes = &buffer;
    if (bytes->size() > m_limits.perFileBytes) {
        return refuse(PromptConfigIssueKind::perFileLimitExceeded);
    }
    if (bytes->size() > file->size()) {
        // The file grew after its size was taken: count what was really read.
        aggregateBytes = totalBefore + bytes->size();
        if (aggregateBytes > m_limits.aggregateBytes) {
            return refuse(PromptConfigIssueKind::aggregateLimitExceeded);
        }
    }

    // Hashing a large file costs about as much as reading it: it runs beside the reading, over
    // the buffer, which the next file reuses, so every way out waits for it.
    constexpr qsizetype hashedBesideFrom = 64 * 1024;
    QFuture<QString> hash;
    if (bytes->size() >= hashedBesideFrom) {
        hash = QtConcurrent::run(BackgroundWork::pool(), [data = QByteArrayView(*bytes)] { return Sha256::hex(data); });
    }
    const struct HashWait {
        QFuture<QString>& hash;
        ~HashWait() {
            if (hash.isValid()) {
                hash.waitForFinished();
            }
        }
    } hashWait{hash};
    const QString id = QFileInfo(path).completeBaseName();
    PromptConfigIssueKind failure = PromptConfigIssueKind::invalidFormat;
    std::optional<PromptWorkspace> read = readWorkspace(*bytes, id, fallbackName, failure);
    if (!read) {
        return refuse(failure);
    }
    PromptWorkspace result = std::move(*read);
    result.fileURL = path;
    if (hash.isValid()) {
        result.fileVersion = WorkspaceFileVersion{QDir::cleanPath(QFileInfo(path).absoluteFilePath()), hash.result()};
    } else {
        result.fileVersion = fileVersion(*bytes, path);
    }
    workspaceMetadata.insert(sourceKind == PromptConfigSourceKind::global ? globalMetadataKey : id,
                             WorkspaceFileMetadata{file->modificationDate(), file->size()});
    return result;
}

std::optional<PromptWorkspace> PromptConfigLoader::parseConfig(const QString& path, const QString& fallbackName,
                                                               ReadFailure* failure) {
    const auto fail = [&](PromptConfigIssueKind kind, const AppError& error) -> std::optional<PromptWorkspace> {
        m_warnings.append(L10n::string(L10N("error.config.read.failed"), language(), QFileInfo(path).fileName()));
        if (failure != nullptr) {
            *failure = ReadFailure{kind, error};
        }
        return std::nullopt;
    };
    // A project file comes from whoever wrote the project: it gets the same guards as ours.
    const Result<QByteArray> bytes = StateFiles::readRegularFile(path, m_limits.perFileBytes);
    if (!bytes) {
        const bool tooLarge = bytes.error() == StateFiles::fileTooLarge();
        return fail(tooLarge ? PromptConfigIssueKind::perFileLimitExceeded : PromptConfigIssueKind::unreadable,
                    bytes.error());
    }
    const std::optional<QString> text = Text::decodeUtf8(*bytes);
    if (!text) {
        return fail(PromptConfigIssueKind::invalidUTF8,
                    AppError::make(u"DecodingError"_s, u"utf8"_s, 1, u"Not UTF-8 text"_s));
    }
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    Lines lines(*text);
    PromptWorkspace result = workspace(lines, QFileInfo(path).completeBaseName(), fallbackName);
    result.fileURL = absolute;
    result.fileVersion = fileVersion(*bytes, absolute);
    return result;
}

void PromptConfigLoader::makePromptIDsGloballyUnique(QList<PromptItem>& globalPrompts,
                                                     QList<PromptWorkspace>& workspaces) {
    QSet<QString> used;
    qsizetype count = globalPrompts.size();
    for (const PromptWorkspace& workspace : workspaces) {
        count += workspace.prompts.size();
    }
    used.reserve(count);
    // Where the search for a free "-n" suffix of each base goes on. Ids are only ever added to
    // `used`, so every suffix below it is still taken: starting there gives the same ids as
    // counting from 2, without the quadratic cost of many prompts sharing one id.
    QHash<QString, qint64> nextSuffix;
    const auto uniqueID = [&](PromptItem& prompt) {
        const bool blank = Text::trimWhitespaceAndNewlines(prompt.id).isEmpty();
        const QString base = blank ? slug(prompt.title.toString()) : prompt.id;
        QString candidate = base;
        if (used.contains(candidate)) {
            qint64& counter = nextSuffix[base];
            counter = std::max<qint64>(counter, 2);
            do {
                candidate = base + u'-' + QString::number(counter++);
            } while (used.contains(candidate));
        }
        if (candidate != prompt.id) {
            m_warnings.append(L10n::string(L10N("warning.duplicate.prompt.id"), language(), prompt.id, candidate));
        }
        used.insert(candidate);
        prompt.id = candidate;
    };
    for (PromptItem& prompt : globalPrompts) {
        uniqueID(prompt);
    }
    for (PromptWorkspace& workspace : workspaces) {
        for (PromptItem& prompt : workspace.prompts) {
            uniqueID(prompt);
        }
    }
}

QString PromptConfigLoader::warningSuffix() const {
    if (m_warnings.isEmpty()) {
        return {};
    }
    return L10n::string(L10N("status.warning.suffix"), language(), m_warnings.size());
}

PromptLoadResult PromptConfigLoader::loadAllConfigs() {
    m_warnings.clear();
    m_loadLanguage.reset();
    m_loadLanguage = language();
    struct ResetLoadState {
        std::optional<AppLanguage>& slot;
        std::string& scratch;
        ~ResetLoadState() {
            slot.reset();
            std::string().swap(scratch);
        }
    } resetLoadState{m_loadLanguage, m_textScratch};

    const QString root = m_home + u"/.orris-hollows"_s;
    const QString globalPath = root + u"/global.yaml"_s;
    const QString workspacesPath = root + u"/workspaces"_s;

    qint64 aggregateBytes = 0;
    QList<PromptConfigIssue> issues;
    QHash<QString, WorkspaceFileMetadata> metadata;
    QStringList loadedPaths;
    bool fileExists = false;
    QList<PromptItem> globalPrompts;
    QList<PromptWorkspace> workspaces;
    QByteArray readBuffer; // one for every file of the load

    if (QFileInfo::exists(globalPath)) {
        fileExists = true;
        const QString fallback = L10n::string(L10N("sample.global.prompts"), language());
        if (auto global = load(globalPath, fallback, PromptConfigSourceKind::global, aggregateBytes, issues, metadata,
                               readBuffer)) {
            globalPrompts = std::move(global->prompts);
            loadedPaths.append(globalPath);
        }
    }

    QStringList entries;
    const QStringList names =
        QDir(workspacesPath).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    entries.reserve(names.size());
    for (const QString& name : names) {
        entries.append(workspacesPath + u'/' + name);
    }
    std::stable_sort(entries.begin(), entries.end(), Text::codePointLess);
    QHash<QString, QString> workspaceFileByID;
    for (const QString& path : entries) {
        const QFileInfo info(path);
        const QString extension = info.suffix().toLower();
        if (extension != "yaml"_L1 && extension != "yml"_L1) {
            continue;
        }
        fileExists = true;
        // The id is the file name without its extension, so "a.yaml" and "a.yml" would give two
        // workspaces one id, and edits meant for the second would reach the first. The file
        // that comes later stays on disk, unread, and the status counts a warning.
        const QString id = info.completeBaseName();
        if (const auto earlier = workspaceFileByID.constFind(id); earlier != workspaceFileByID.constEnd()) {
            m_warnings.append(
                L10n::string(L10N("warning.duplicate.workspace.id"), language(), info.fileName(), *earlier));
            continue;
        }
        workspaceFileByID.insert(id, info.fileName());
        if (auto workspace =
                load(path, id, PromptConfigSourceKind::workspace, aggregateBytes, issues, metadata, readBuffer)) {
            workspaces.append(std::move(*workspace));
            loadedPaths.append(path);
        }
    }

    // Copies a start kept after an interrupted save are named, so the user can compare and
    // delete them; they load nothing.
    for (const QString& folder : {root, workspacesPath}) {
        const QStringList hidden =
            QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& name : hidden) {
            if (StartupFileRecovery::isKeptCopyName(name)) {
                issues.append(PromptConfigIssue::make(folder + u'/' + name,
                                                      folder == root ? PromptConfigSourceKind::global
                                                                     : PromptConfigSourceKind::workspace,
                                                      PromptConfigIssueKind::keptCopy, language()));
            }
        }
    }

    PromptLoadResult result;
    result.issues = std::move(issues);
    if (!globalPrompts.isEmpty() || !workspaces.isEmpty()) {
        makePromptIDsGloballyUnique(globalPrompts, workspaces);
        result.globalPrompts = std::move(globalPrompts);
        result.workspaces = std::move(workspaces);
        result.statusMessage =
            L10n::string(L10N("status.loaded.configs"), language(), loadedPaths.size(), warningSuffix());
        result.workspaceMetadata = std::move(metadata);
        return result;
    }
    if (fileExists) {
        result.statusMessage = L10n::string(L10N("status.config.no.prompts"), language(), warningSuffix());
        return result;
    }

    const bool dismissed = m_transientSamplesDismissedOverride
                               ? *m_transientSamplesDismissedOverride
                               : (m_environment.defaults &&
                                  m_environment.defaults->boolValue(transientSamplesDismissedKey).value_or(false));
    if (dismissed) {
        result.statusMessage = L10n::string(L10N("status.config.samples.hidden"), language());
        return result;
    }
    SampleData samples = sampleData(language());
    result.globalPrompts = std::move(samples.globalPrompts);
    result.workspaces = std::move(samples.workspaces);
    result.statusMessage = L10n::string(L10N("status.config.missing.samples"), language());
    result.showsTransientSamples = true;
    return result;
}

// ---- Samples -----------------------------------------------------------------------------

PromptConfigLoader::SampleData PromptConfigLoader::sampleData(AppLanguage language,
                                                              const QStringList& preferredLanguages) {
    if (language == AppLanguage::system) {
        language = AppLanguages::systemResolved(preferredLanguages);
    }
    const bool english = language == AppLanguage::english;
    struct Sample {
        const char* id;
        const char* englishTitle;
        const char* englishGroup;
        const char* chineseTitle;
        const char* chineseGroup;
        const char* tags[2]; // a second tag or none
        const char* englishText;
        const char* chineseText;
    };
    static const Sample samples[] = {
        {"spec",
         "/spec: clarify requirements",
         "General Development",
         "/spec：写清楚需求",
         "通用开发",
         {"spec", nullptr},
         "/spec: first clarify what needs to be built.",
         "/spec：先把要做什么写清楚。"},
        {"plan",
         "/plan: split tasks",
         "General Development",
         "/plan：拆任务",
         "通用开发",
         {"plan", nullptr},
         "/plan: split this into executable tasks.",
         "/plan：拆成可执行任务。"},
        {"build",
         "/build: implement",
         "General Development",
         "/build：开始实现",
         "通用开发",
         {"build", nullptr},
         "/build: start building the feature.",
         "/build：开始做功能。"},
        {"test",
         "/test: verify",
         "General Development",
         "/test：验证可用",
         "通用开发",
         {"test", nullptr},
         "/test: verify whether it really works.",
         "/test：验证是否真的可用。"},
        {"review",
         "/review: quality check",
         "General Development",
         "/review：质量检查",
         "通用开发",
         {"review", nullptr},
         "/review: do a quality check.",
         "/review：做质量检查。"},
        {"project-review",
         "Review current project",
         "Project Development",
         "审查当前项目",
         "项目开发",
         {"review", "project"},
         "Review the current project structure, identify the highest-priority risks, and give actionable "
         "suggestions.",
         "请审查当前项目结构，指出最需要优先修复的问题，并给出可执行的修改建议。"},
        {"write-tests",
         "Add tests",
         "Project Development",
         "补充测试",
         "项目开发",
         {"test", nullptr},
         "Find the paths that most need tests, prioritizing failure paths, edge cases, and regression risk.",
         "请为当前改动补充关键测试，优先覆盖失败路径、边界条件和回归风险。"},
        {"release-check",
         "Release check",
         "Release Prep",
         "发布前检查",
         "发布准备",
         {"release", nullptr},
         "Check whether the project is ready for release, including build, tests, docs, privacy notes, and "
         "packaging.",
         "请检查当前项目是否满足发布前要求，包括构建、测试、文档、隐私说明和打包配置。"},
    };

    const auto item = [english](const Sample& sample, std::optional<AgentType> agent) {
        PromptItem prompt;
        prompt.id = QString::fromUtf8(sample.id);
        prompt.title = QString::fromUtf8(english ? sample.englishTitle : sample.chineseTitle);
        prompt.group = QString::fromUtf8(english ? sample.englishGroup : sample.chineseGroup);
        prompt.agent = agent;
        prompt.text = QString::fromUtf8(english ? sample.englishText : sample.chineseText);
        for (const char* tag : sample.tags) {
            if (tag != nullptr) {
                prompt.tags.append(QString::fromUtf8(tag));
            }
        }
        return prompt;
    };

    SampleData data;
    for (int i = 0; i < 5; ++i) {
        data.globalPrompts.append(item(samples[i], std::nullopt));
    }
    PromptWorkspace workspace;
    workspace.id = u"my-app"_s;
    workspace.name = u"my-app"_s;
    workspace.matchPaths = {u"/Users/you/projects/my-app"_s};
    for (int i = 5; i < 8; ++i) {
        workspace.prompts.append(item(samples[i], AgentType::codex));
    }
    workspace.source = PromptWorkspaceSource::transientSample;
    data.workspaces.append(std::move(workspace));
    return data;
}
