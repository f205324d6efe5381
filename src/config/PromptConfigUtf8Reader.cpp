// The reader of a loaded file's bytes: the same structure check and scanners as the text reader,
// run over the UTF-8 bytes, so that a file is never copied into UTF-16 as a whole and only the
// values a workspace keeps become strings. Every rule compares ASCII characters only, and a
// multi-byte character holds no ASCII byte, so the byte rules give what the text rules give.
// Inputs this reader does not take on (a byte order mark, folded text blocks, bytes outside strict
// UTF-8) go to the text reader.

#include "config/PromptConfigLoader.h"

#include "model/TextPrimitives.h"

#include <QSet>
#include <QStringDecoder>
#include <QUuid>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

using namespace Qt::StringLiterals;
using Bytes = std::string_view;

bool isNonCharacter(char32_t c) {
    return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) without noncharacters,
// split at the newline characters of the format into `lines`. False for anything else.
bool splitValidLines(Bytes bytes, std::vector<Bytes>& lines) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    lines.reserve(size / 40 + 1);
    size_t start = 0;
    size_t i = 0;
    while (i < size) {
#ifdef __SSE2__
        // Sixteen bytes at a time, straight to the first one that is not plain ASCII above the
        // control characters: as signed bytes, those beyond ASCII are negative, so one comparison
        // finds both.
        if (i + 16 <= size) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            const int special = _mm_movemask_epi8(_mm_cmplt_epi8(chunk, _mm_set1_epi8(0x0E)));
            if (special == 0) {
                i += 16;
                continue;
            }
            i += size_t(__builtin_ctz(unsigned(special)));
        }
#endif
        // Eight plain ASCII bytes without a control character at a time.
        if (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, data + i, 8);
            const std::uint64_t high = word & 0x8080808080808080ULL;
            // A byte below 0x0E has (b - 0x0E) borrow into its high bit when it is below 0x80.
            const std::uint64_t low = (word - 0x0E0E0E0E0E0E0E0EULL) & ~word & 0x8080808080808080ULL;
            if ((high | low) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char c = data[i];
        if (c < 0x80) {
            if (c >= 0x0A && c <= 0x0D) {
                lines.emplace_back(bytes.data() + start, i - start);
                start = i + 1;
            }
            ++i;
            continue;
        }
        char32_t code = 0;
        size_t width = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            width = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            width = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            width = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + width > size) {
            return false;
        }
        for (size_t k = 1; k < width; ++k) {
            const unsigned char next = data[i + k];
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if ((width == 3 && code < 0x800) || (width == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF) || isNonCharacter(code)) {
            return false;
        }
        if (code == 0x85 || code == 0x2028 || code == 0x2029) {
            lines.emplace_back(bytes.data() + start, i - start);
            start = i + width;
        }
        i += width;
    }
    lines.emplace_back(bytes.data() + start, size - start);
    return true;
}

// The code point that starts at `text[0]` or ends at `text[size - 1]` of valid UTF-8, and its width.
char32_t firstCodePoint(Bytes text, size_t& width) {
    const auto c = static_cast<unsigned char>(text[0]);
    width = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t code = width == 1 ? c : width == 2 ? (c & 0x1F) : width == 3 ? (c & 0x0F) : (c & 0x07);
    for (size_t k = 1; k < width; ++k) {
        code = (code << 6) | (static_cast<unsigned char>(text[k]) & 0x3F);
    }
    return code;
}

char32_t lastCodePoint(Bytes text, size_t& width) {
    size_t begin = text.size() - 1;
    while (begin > 0 && (static_cast<unsigned char>(text[begin]) & 0xC0) == 0x80) {
        --begin;
    }
    return firstCodePoint(text.substr(begin), width);
}

Bytes trimSpacesAndTabs(Bytes text) {
    size_t start = 0;
    size_t end = text.size();
    while (start < end && (text[start] == ' ' || text[start] == '\t')) {
        ++start;
    }
    while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
        --end;
    }
    return text.substr(start, end - start);
}

Bytes trimWhitespaceAndNewlines(Bytes text) {
    while (!text.empty()) {
        size_t width = 0;
        if (!Text::isWhitespaceOrNewline(firstCodePoint(text, width))) {
            break;
        }
        text.remove_prefix(width);
    }
    while (!text.empty()) {
        size_t width = 0;
        if (!Text::isWhitespaceOrNewline(lastCodePoint(text, width))) {
            break;
        }
        text.remove_suffix(width);
    }
    return text;
}

size_t leadingSpaces(Bytes line) {
    size_t count = 0;
    while (count < line.size() && line[count] == ' ') {
        ++count;
    }
    return count;
}

// Against a literal, so that the comparison has a constant length and is done in place: these
// run several times on every line of the library.
template <std::size_t N> bool hasPrefix(Bytes text, const char (&prefix)[N]) {
    constexpr std::size_t size = N - 1;
    return text.size() >= size && std::memcmp(text.data(), prefix, size) == 0;
}

QString toQString(Bytes text) {
    if (hasPrefix(text, "\xEF\xBB\xBF")) {
        // fromUtf8 drops a byte order mark at the start; inside a file it is a character.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
        return decoder.decode(QByteArrayView(text.data(), qsizetype(text.size())));
    }
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// ---- Structure check --------------------------------------------------------------------

Bytes structuralContent(Bytes line) {
    const Bytes rest = line.substr(leadingSpaces(line));
    char quote = 0;
    size_t end = rest.size();
    for (size_t i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (quote == '"') {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                quote = 0;
            }
        } else if (quote == '\'') {
            if (c == '\'') {
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '#') {
            end = i;
            break;
        }
    }
    return trimSpacesAndTabs(rest.substr(0, end));
}

struct Field {
    Bytes key;
    Bytes value;
};

std::optional<Field> structuralField(Bytes content) {
    const size_t colon = content.find(':');
    if (colon == Bytes::npos) {
        return std::nullopt;
    }
    const Bytes key = trimSpacesAndTabs(content.substr(0, colon));
    if (key.empty()) {
        return std::nullopt;
    }
    return Field{key, trimSpacesAndTabs(content.substr(colon + 1))};
}

bool isStructuralScalar(Bytes raw) {
    const Bytes value = trimWhitespaceAndNewlines(raw);
    if (value.empty()) {
        return false;
    }
    const char first = value.front();
    if (first == '"' || first == '\'') {
        if (value.size() < 2 || value.back() != first) {
            return false;
        }
        const Bytes inner = value.substr(1, value.size() - 2);
        for (size_t i = 0; i < inner.size(); ++i) {
            if (first == '"') {
                if (inner[i] == '\\') {
                    if (i + 1 >= inner.size()) {
                        return false;
                    }
                    ++i;
                } else if (inner[i] == '"') {
                    return false;
                }
            } else if (inner[i] == '\'') {
                if (i + 1 < inner.size() && inner[i + 1] == '\'') {
                    ++i;
                } else {
                    return false;
                }
            }
        }
        return true;
    }
    if (value == "~") {
        return false;
    }
    if (value.size() == 4) {
        char lower[4];
        for (size_t i = 0; i < 4; ++i) {
            const char c = value[i];
            lower[i] = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
        }
        if (Bytes(lower, 4) == "null") {
            return false;
        }
    }
    return value.find_first_of("[]{}") == Bytes::npos;
}

bool isScalarKey(Bytes key) {
    return key == "id" || key == "title" || key == "group" || key == "agent" || key == "pinned" || key == "shortcut";
}

bool isPromptKey(Bytes key) {
    return isScalarKey(key) || key == "text" || key == "tags";
}

bool isValidPromptField(Bytes key, Bytes value) {
    if (isScalarKey(key)) {
        return isStructuralScalar(value);
    }
    if (key == "text") {
        return value == "|" || isStructuralScalar(value);
    }
    if (key == "tags") {
        return value.empty() || value == "[]" || isStructuralScalar(value);
    }
    return true;
}

enum class Section { none, workspace, prompts };
enum class ListState { none, matchPaths, tags, textBlock };

ListState listStateFor(const Field& field) {
    if (field.key == "tags" && field.value.empty()) {
        return ListState::tags;
    }
    if (field.key == "text" && (field.value == "|" || field.value == ">")) {
        return ListState::textBlock;
    }
    return ListState::none;
}

bool hasValidByteStructure(const std::vector<Bytes>& lines) {
    Section section = Section::none;
    ListState list = ListState::none;
    bool inItem = false;
    bool seenSection = false;

    for (const Bytes line : lines) {
        const size_t indent = leadingSpaces(line);
        if (section == Section::prompts && list == ListState::textBlock && indent >= 6) {
            continue;
        }
        if (line.find('\t') != Bytes::npos) {
            return false;
        }
        const Bytes content = structuralContent(line);
        if (content.empty()) {
            continue;
        }
        if (indent == 0) {
            const auto field = structuralField(content);
            if (!field) {
                return false;
            }
            if (field->key == "workspace" || field->key == "prompts") {
                const bool isWorkspace = field->key == "workspace";
                if (!field->value.empty() && field->value != (isWorkspace ? "{}" : "[]")) {
                    return false;
                }
                if (field->value.empty()) {
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
                if (!hasPrefix(content, "- ") || !isStructuralScalar(content.substr(2))) {
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
            if (field->key == "name") {
                if (!isStructuralScalar(field->value)) {
                    return false;
                }
            } else if (field->key == "match_paths") {
                if (field->value.empty()) {
                    list = ListState::matchPaths;
                } else if (field->value == "[]") {
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
                if (!hasPrefix(content, "- ")) {
                    return false;
                }
                const auto field = structuralField(trimSpacesAndTabs(content.substr(2)));
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
                    if (!hasPrefix(content, "- ") || !isStructuralScalar(content.substr(2))) {
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

void replaceAll(std::string& text, Bytes from, Bytes to) {
    std::string out;
    out.reserve(text.size());
    size_t start = 0;
    for (size_t found = text.find(from); found != std::string::npos; found = text.find(from, start)) {
        out.append(text, start, found - start);
        out.append(to);
        start = found + from.size();
    }
    out.append(text, start, std::string::npos);
    text = std::move(out);
}

// The value unquoted and unescaped: a view of the line, or of `buffer` when escapes were replaced.
// Only ASCII is replaced, so valid UTF-8 stays valid.
Bytes cleanView(Bytes value, std::string& buffer) {
    const Bytes trimmed = trimWhitespaceAndNewlines(value);
    if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"') {
        const Bytes inner = trimmed.substr(1, trimmed.size() - 2);
        if (inner.find('\\') == Bytes::npos) {
            return inner;
        }
        buffer.assign(inner);
        replaceAll(buffer, "\\\"", "\"");
        replaceAll(buffer, "\\\\", "\\");
        return buffer;
    }
    if (trimmed.size() >= 2 && trimmed.front() == '\'' && trimmed.back() == '\'') {
        buffer.assign(trimmed.substr(1, trimmed.size() - 2));
        replaceAll(buffer, "''", "'");
        return buffer;
    }
    return trimmed;
}

QString cleanBytes(Bytes value) {
    std::string buffer;
    return toQString(cleanView(value, buffer));
}

QString valueAfterColon(Bytes line) {
    return cleanBytes(trimSpacesAndTabs(line.substr(line.find(':') + 1)));
}

// The number of the value after the colon in `texts`.
qsizetype addValueAfterColon(PromptText::Blocks& texts, Bytes line) {
    std::string buffer;
    const Bytes clean = cleanView(trimSpacesAndTabs(line.substr(line.find(':') + 1)), buffer);
    return texts.add(QByteArrayView(clean.data(), qsizetype(clean.size())));
}

bool isEveryAgentWord(const QString& value) {
    const QString word = Text::trimWhitespaceAndNewlines(value).toLower();
    return word.isEmpty() || word == "any"_L1 || word == "all"_L1 || word == "*"_L1;
}

struct ItemFields {
    std::optional<QString> id;
    std::optional<qsizetype> title; // the number of the title in the file's blocks
    std::optional<QString> group;
    std::optional<QString> agent;
    std::optional<QString> pinned;
    std::optional<QString> shortcut;
    std::optional<qsizetype> text; // the number of the text in the file's blocks

    bool isEmpty() const { return !id && !title && !group && !agent && !pinned && !shortcut && !text; }
};

} // namespace

std::optional<PromptWorkspace> PromptConfigLoader::readUtf8(QByteArrayView bytes, const QString& id,
                                                            const QString& fallbackName, PromptConfigIssueKind& failure,
                                                            bool& unsupported) {
    unsupported = false;
    const Bytes all(bytes.data(), size_t(bytes.size()));
    std::vector<Bytes> lines;
    if (hasPrefix(all, "\xEF\xBB\xBF") || !splitValidLines(all, lines)) {
        unsupported = true;
        return std::nullopt;
    }
    if (!hasValidByteStructure(lines)) {
        failure = PromptConfigIssueKind::invalidFormat;
        return std::nullopt;
    }

    // Prompts first: they mark the lines of text blocks, which the other two scanners skip.
    std::vector<bool> isText(lines.size(), false);
    QList<PromptItem> result;
    QStringList warnings;
    ItemFields fields;
    QStringList tags;
    bool extracting = false;
    bool tagMode = false;
    bool textMode = false;
    std::vector<Bytes> textLines;
    std::string joined;
    // The titles and texts of the file, carved out of a few blocks once every item is made.
    PromptText::Blocks texts(m_textScratch);
    std::vector<std::pair<qsizetype, qsizetype>> textNumbers; // by item: title and text, -1 for none
    std::optional<PromptText> untitled;
    std::optional<QString> commonGroup;
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
    // Groups and tags written alike repeat in most items: their cleaned, shared string is found
    // by the raw bytes, before any string is made.
    std::unordered_map<Bytes, QString> sharedByRaw;
    const auto sharedValue = [&](Bytes raw) {
        const auto found = sharedByRaw.find(raw);
        if (found != sharedByRaw.end()) {
            return found->second;
        }
        const QString value = shared(cleanBytes(raw));
        sharedByRaw.emplace(raw, value);
        return value;
    };
    const auto sharedValueAfterColon = [&](Bytes line) {
        return sharedValue(trimSpacesAndTabs(line.substr(line.find(':') + 1)));
    };

    struct AgentWord {
        QString word;
        bool isEveryAgent = true; // the empty word stands for every agent
        std::optional<AgentType> agent;
    } lastAgentWord;
    const auto finishCurrent = [&] {
        if (textMode) {
            // Joined with line feeds and trimmed of them: the empty lines at both ends go.
            size_t first = 0;
            size_t last = textLines.size();
            while (first < last && textLines[first].empty()) {
                ++first;
            }
            while (last > first && textLines[last - 1].empty()) {
                --last;
            }
            joined.clear();
            for (size_t k = first; k < last; ++k) {
                if (k > first) {
                    joined.push_back('\n');
                }
                joined.append(textLines[k]);
            }
            fields.text = texts.add(QByteArrayView(joined.data(), qsizetype(joined.size())));
            textMode = false;
            textLines.clear();
        }
        ItemFields current = std::exchange(fields, ItemFields());
        QStringList currentTags = std::exchange(tags, QStringList());
        tagMode = false;
        if (current.isEmpty()) {
            return;
        }
        std::optional<AgentType> agent;
        if (current.agent && *current.agent != lastAgentWord.word) {
            // Most prompts of a file name the agent the one before named.
            lastAgentWord = {*current.agent, isEveryAgentWord(*current.agent), std::nullopt};
            if (!lastAgentWord.isEveryAgent) {
                lastAgentWord.agent = parseAgent(*current.agent);
            }
        }
        if (current.agent && !lastAgentWord.isEveryAgent) {
            agent = lastAgentWord.agent;
            if (!agent) {
                warnings.append(L10n::string(L10N("error.invalid.agent"), language(), *current.agent));
                return;
            }
        }
        PromptItem item;
        item.id = current.id ? *current.id : QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        if (!current.title) {
            if (!untitled) {
                untitled = L10n::string(L10N("prompt.untitled"), language());
            }
            item.title = *untitled;
        }
        if (current.group) {
            item.group = *current.group; // shared when it was read
        } else {
            if (!commonGroup) {
                commonGroup = L10n::string(L10N("prompt.default.common.group"), language());
            }
            item.group = *commonGroup;
        }
        item.agent = agent;
        // Without a text the title stands in.
        textNumbers.emplace_back(current.title.value_or(-1), current.text ? *current.text : current.title.value_or(-1));
        if (!current.text && !current.title) {
            item.text = item.title;
        }
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

    for (size_t i = 0; i < lines.size(); ++i) {
        const Bytes line = lines[i];
        const bool isTextLine = textMode && leadingSpaces(line) >= 6;
        if (isTextLine && extracting && !tagMode) {
            // Most lines of a library are lines of a text block: kept as they are, past the
            // indentation, without the trimming the other lines need.
            textLines.push_back(line.substr(6));
            isText[i] = true;
            continue;
        }
        const Bytes trimmed = trimSpacesAndTabs(line);
        if (!isTextLine && trimmed == "prompts:") {
            extracting = true;
            continue;
        }
        if (!extracting) {
            continue;
        }
        if (tagMode) {
            if (hasPrefix(trimmed, "-") && !hasPrefix(line, "  -")) {
                tags.append(sharedValue(trimSpacesAndTabs(trimmed.substr(1))));
                continue;
            }
            tagMode = false;
        }
        if (textMode) {
            if (hasPrefix(line, "  -")) {
                finishCurrent();
            } else {
                textLines.push_back(hasPrefix(line, "      ") ? line.substr(6) : line);
                isText[i] = isTextLine;
                continue;
            }
        }

        Bytes keyLine = trimmed;
        if (hasPrefix(trimmed, "- ") && trimmed.find(':') != Bytes::npos) {
            finishCurrent();
            keyLine = trimSpacesAndTabs(trimmed.substr(2));
        }

        if (hasPrefix(keyLine, "id:")) {
            fields.id = valueAfterColon(keyLine);
        } else if (hasPrefix(keyLine, "title:")) {
            fields.title = addValueAfterColon(texts, keyLine);
        } else if (hasPrefix(keyLine, "group:")) {
            fields.group = sharedValueAfterColon(keyLine);
        } else if (hasPrefix(keyLine, "agent:")) {
            fields.agent = sharedValueAfterColon(keyLine);
        } else if (hasPrefix(keyLine, "pinned:")) {
            fields.pinned = valueAfterColon(keyLine);
        } else if (hasPrefix(keyLine, "shortcut:")) {
            fields.shortcut = valueAfterColon(keyLine);
        } else if (hasPrefix(keyLine, "tags:")) {
            const QString value = valueAfterColon(keyLine);
            tags.clear();
            if (value.isEmpty()) {
                tagMode = true;
            } else if (value != "[]"_L1) {
                for (const QStringView piece : QStringView(value).split(u',', Qt::SkipEmptyParts)) {
                    tags.append(Text::trimSpacesAndTabs(piece).toString());
                }
            }
        } else if (hasPrefix(keyLine, "text: >")) {
            // A folded block: the text reader folds its lines.
            unsupported = true;
            return std::nullopt;
        } else if (hasPrefix(keyLine, "text: |")) {
            textMode = true;
            textLines.clear();
        } else if (hasPrefix(keyLine, "text:")) {
            fields.text = addValueAfterColon(texts, keyLine);
        }
    }
    finishCurrent();
    result.squeeze();
    texts.finish();
    for (qsizetype i = 0; i < result.size(); ++i) {
        const auto [title, text] = textNumbers[size_t(i)];
        if (title >= 0) {
            result[i].title = texts.text(title);
        }
        if (text >= 0) {
            result[i].text = texts.text(text);
        }
    }

    // The workspace name: the first "name:" line of a "workspace:" block.
    std::optional<QString> name;
    bool inBlock = false;
    for (size_t i = 0; i < lines.size() && !name; ++i) {
        if (isText[i]) {
            continue;
        }
        const Bytes line = lines[i];
        const Bytes trimmed = trimSpacesAndTabs(line);
        if (trimmed == "workspace:") {
            inBlock = true;
        } else if (!inBlock) {
            continue;
        } else if (!trimmed.empty() && !hasPrefix(line, " ")) {
            inBlock = false;
        } else if (hasPrefix(trimmed, "name:")) {
            name = valueAfterColon(trimmed);
        }
    }

    QStringList paths;
    bool open = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (isText[i]) {
            continue;
        }
        const Bytes line = lines[i];
        const Bytes trimmed = trimSpacesAndTabs(line);
        if (trimmed == "match_paths:") {
            open = true;
        } else if (!open) {
            continue;
        } else if (hasPrefix(trimmed, "-")) {
            paths.append(cleanBytes(trimSpacesAndTabs(trimmed.substr(1))));
        } else if (!trimmed.empty() && !hasPrefix(line, "  ")) {
            open = false;
        }
    }

    m_warnings.append(warnings);
    PromptWorkspace workspace;
    workspace.id = id;
    workspace.prompts = std::move(result);
    workspace.name = name.value_or(fallbackName);
    workspace.matchPaths = std::move(paths);
    workspace.source = PromptWorkspaceSource::userWorkspace;
    return workspace;
}
