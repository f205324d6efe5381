#include "config/PromptImportParser.h"

#include "config/BackgroundWork.h"
#include "config/Slug.h"
#include "model/TextPrimitives.h"

#include <QtConcurrent/QtConcurrentRun>
#include <QThreadPool>
#include <QUuid>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

struct Section {
    std::optional<QString> title;
    QString body;
};

// The UTF-8 length of the text, counted only as far as needed to know it exceeds `limit`.
bool exceedsUtf8Bytes(QStringView text, qint64 limit) {
    if (text.size() > limit) {
        return true; // every UTF-16 unit is at least one byte
    }
    qint64 bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            bytes += 1;
        } else if (c < 0x800) {
            bytes += 2;
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            bytes += 4;
            ++i;
        } else {
            bytes += 3;
        }
        if (bytes > limit) {
            return true;
        }
    }
    return false;
}

QString joinTrimmed(const QList<QStringView>& lines) {
    QString joined;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            joined.append(u'\n');
        }
        joined.append(lines[i]);
    }
    return Text::trimWhitespaceAndNewlines(joined);
}

bool isExplicitMarker(QStringView blankTrimmed) {
    return blankTrimmed == u"---"_s || blankTrimmed.startsWith(u"## ");
}

QList<Section> parseExplicitSections(const QList<QStringView>& lines) {
    QList<Section> sections;
    std::optional<QString> title;
    QList<QStringView> current;
    const auto finish = [&] {
        QString body = joinTrimmed(current);
        if (title || !body.isEmpty()) {
            sections.append({std::move(title), std::move(body)});
        }
        title.reset();
        current.clear();
    };
    for (const QStringView line : lines) {
        const QStringView blankTrimmed = Text::trimWhitespace(line);
        if (blankTrimmed == u"---"_s) {
            finish();
        } else if (blankTrimmed.startsWith(u"## ")) {
            finish();
            title = Text::trimWhitespaceAndNewlines(blankTrimmed.sliced(3)).toString();
        } else {
            current.append(line);
        }
        if (sections.size() >= PromptImportParser::maximumSections) {
            return sections;
        }
    }
    finish();
    return sections;
}

QList<Section> parseBlankSeparatedSections(const QList<QStringView>& lines) {
    QList<Section> sections;
    QList<QStringView> block;
    const auto finish = [&] {
        QList<QStringView> trimmed;
        for (const QStringView line : block) {
            const QStringView cut = Text::trimWhitespaceAndNewlines(line);
            if (!cut.isEmpty()) {
                trimmed.append(cut);
            }
        }
        block.clear();
        if (trimmed.isEmpty()) {
            return;
        }
        const QString first = trimmed.first().toString();
        const bool titled = trimmed.size() >= 2 && !first.endsWith(u'.') && !first.endsWith(u'。') &&
                            Text::graphemeCount(first) <= PromptImportParser::maximumTitleCharacters;
        if (titled) {
            sections.append({first, joinTrimmed(trimmed.sliced(1))});
        } else {
            sections.append({std::nullopt, joinTrimmed(trimmed)});
        }
    };
    for (const QStringView line : lines) {
        if (Text::trimWhitespaceAndNewlines(line).isEmpty()) {
            finish();
            if (sections.size() >= PromptImportParser::maximumSections) {
                return sections;
            }
        } else {
            block.append(line);
        }
    }
    finish();
    return sections;
}

} // namespace

QString PromptImportParser::slug(const QString& text) {
    const QString result = Slug::fromText(text);
    return result.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces).toLower() : result;
}

QString PromptImportParser::uniqueID(const QString& title, QSet<QString>& usedIDs) {
    const QString base = u"imported-"_s + slug(title);
    QString candidate = base;
    for (qint64 counter = 2; usedIDs.contains(candidate); ++counter) {
        candidate = base + u'-' + QString::number(counter);
    }
    usedIDs.insert(candidate);
    return candidate;
}

QList<PromptImportPreview> PromptImportParser::parse(const QString& text, AppLanguage language) {
    const QStringView trimmed = Text::trimWhitespaceAndNewlines(QStringView(text));
    // Refused before any line is split: the cap is what bounds the cost of a parse.
    if (trimmed.isEmpty() || exceedsUtf8Bytes(trimmed, maximumBytes)) {
        return {};
    }
    // Text copied from Windows programs ends its lines in CR LF: that is one line break, not two
    // (two would put an empty line after every line and split each line into its own section).
    QString unifiedLineBreaks;
    QStringView source = trimmed;
    if (source.contains(u"\r\n")) {
        unifiedLineBreaks = source.toString();
        unifiedLineBreaks.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        source = unifiedLineBreaks;
    }
    const QList<QStringView> lines = Text::splitViewsAtNewlines(source);
    bool explicitLayout = false;
    for (const QStringView line : lines) {
        if (isExplicitMarker(Text::trimWhitespace(line))) {
            explicitLayout = true;
            break;
        }
    }
    QList<Section> sections = explicitLayout ? parseExplicitSections(lines) : parseBlankSeparatedSections(lines);
    if (sections.size() > maximumSections) {
        sections.resize(maximumSections);
    }

    QList<PromptImportPreview> previews;
    for (qsizetype i = 0; i < sections.size(); ++i) {
        const QString body = Text::trimWhitespaceAndNewlines(sections[i].body);
        if (body.isEmpty()) {
            continue; // the numbering of later sections stays
        }
        QString title = sections[i].title ? Text::trimWhitespaceAndNewlines(*sections[i].title) : QString();
        if (title.isEmpty()) {
            title = L10n::string(L10N("prompt.import.default.title"), language, i + 1);
        }
        const QString id = u"preview-"_s + QString::number(i) + u'-' + slug(title);
        previews.append({id, title, body});
    }
    return previews;
}

QFuture<QList<PromptImportPreview>> PromptImportParser::parseInBackground(const QString& text, AppLanguage language,
                                                                          QThreadPool* pool) {
    return QtConcurrent::run(pool ? pool : BackgroundWork::pool(), [text, language] { return parse(text, language); });
}

QList<PromptItem> PromptImportParser::makePrompts(const QList<PromptImportPreview>& previews,
                                                  const QSet<QString>& existingIDs, AppLanguage language) {
    QSet<QString> used = existingIDs;
    const QString group = L10n::string(L10N("prompt.import.default.group"), language);
    QList<PromptItem> prompts;
    prompts.reserve(previews.size());
    for (const PromptImportPreview& preview : previews) {
        PromptItem prompt;
        prompt.id = uniqueID(preview.title, used);
        prompt.title = preview.title;
        prompt.group = group;
        prompt.text = preview.text;
        prompt.tags = {u"import"_s};
        prompts.append(std::move(prompt));
    }
    return prompts;
}
