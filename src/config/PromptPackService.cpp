#include "config/PromptPackService.h"

#include "config/PromptConfigLoader.h"
#include "config/StateFiles.h"
#include "model/AppLog.h"
#include "model/TextPrimitives.h"

#include <QSet>

#include <optional>

using namespace Qt::StringLiterals;

namespace PromptPackError {

AppError invalidPack(const QString& message) {
    return AppError::make(type, domain, qint64(Code::invalidPack), message);
}

bool is(const AppError& error, Code code) {
    return error.type == type && error.domain == domain && error.code == qint64(code);
}

} // namespace PromptPackError

namespace {

// ---- Reading the header and the prompt blocks ---------------------------------------------

// The trimmed lines of the block that a line reading "pack:" opens: every following line that
// begins with a space or is blank, up to the first other line. The reader of prompt files
// ignores this block.
QList<QStringView> sectionLines(QStringView name, const QList<QStringView>& lines) {
    QList<QStringView> collected;
    const QString opener = name.toString() + u':';
    qsizetype i = 0;
    while (i < lines.size() && Text::trimSpacesAndTabs(lines[i]) != opener) {
        ++i;
    }
    for (++i; i < lines.size(); ++i) {
        const QStringView trimmed = Text::trimSpacesAndTabs(lines[i]);
        if (trimmed.isEmpty()) {
            continue;
        }
        if (!lines[i].startsWith(u' ')) {
            break;
        }
        if (trimmed != opener) {
            collected.append(trimmed);
        }
    }
    return collected;
}

QString valueAfterColon(QStringView line) {
    return PromptConfigLoader::cleanScalar(Text::trimSpacesAndTabs(line.sliced(line.indexOf(u':') + 1)));
}

std::optional<QString> scalar(const QString& key, const QList<QStringView>& lines) {
    const QString prefix = key + u':';
    for (const QStringView line : lines) {
        if (line.startsWith(prefix)) {
            return valueAfterColon(line);
        }
    }
    return std::nullopt;
}

// The lines of each prompt item after the "prompts:" line, trimmed; an item starts at a line
// that begins with "  - ", whose first entry is the key written after the dash.
QList<QList<QStringView>> promptBlocks(const QList<QStringView>& lines) {
    QList<QList<QStringView>> blocks;
    qsizetype i = 0;
    while (i < lines.size() && Text::trimSpacesAndTabs(lines[i]) != u"prompts:"_s) {
        ++i;
    }
    for (++i; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        const QStringView trimmed = Text::trimSpacesAndTabs(line);
        if (line.startsWith(u"  - ")) {
            blocks.append({Text::trimSpacesAndTabs(trimmed.sliced(2))});
        } else if (trimmed != u"prompts:"_s && !blocks.isEmpty()) {
            blocks.last().append(trimmed);
        }
    }
    return blocks;
}

bool hasRequiredFields(const QList<QStringView>& block) {
    QString title;
    bool titleSeen = false;
    bool hasText = false;
    for (const QStringView line : block) {
        if (!titleSeen && line.startsWith(u"title:")) {
            title = valueAfterColon(line);
            titleSeen = true;
        }
        if (line == u"text: |"_s || (line.startsWith(u"text:") && !valueAfterColon(line).isEmpty())) {
            hasText = true;
        }
    }
    return hasText && !Text::trimWhitespaceAndNewlines(title).isEmpty();
}

bool isBlank(const QString& text) {
    return Text::trimWhitespaceAndNewlines(QStringView(text)).isEmpty();
}

// ---- Built-in packs -------------------------------------------------------------------------

struct BuiltInPrompt {
    const char* id;
    const char* tags[2]; // a second tag or none
    const char* englishTitle;
    const char* englishGroup;
    const char* englishText;
    const char* chineseTitle;
    const char* chineseGroup;
    const char* chineseText;
};

struct BuiltInPack {
    const char* id;
    bool forCodex; // else for every agent
    const char* englishName;
    const char* englishWorkspaceName;
    const char* englishDescription;
    const char* chineseName;
    const char* chineseWorkspaceName;
    const char* chineseDescription;
    BuiltInPrompt prompts[4];
};

const BuiltInPack builtInPackData[] = {
    {"codex-project-audit",
     true,
     "ChatGPT Project Audit Pack",
     "ChatGPT Project Audit",
     "Project structure audit, risk ranking, test gaps, and release readiness.",
     "ChatGPT 项目审计包",
     "ChatGPT 项目审计",
     "项目结构审计、风险分级、补测试、发布前检查。",
     {{"audit-project",
       {"audit", "review"},
       "Audit current project",
       "Project Audit",
       "Review the current project structure, key files, and potential risks, then give actionable suggestions.",
       "全面审计当前项目",
       "项目审计",
       "请审查当前项目结构、关键文件、潜在风险，并给出可执行建议。"},
      {"rank-risks",
       {"risk", nullptr},
       "Rank risks",
       "Project Audit",
       "Rank current project issues as high, medium, or low risk, and explain why each one matters.",
       "按风险分级",
       "项目审计",
       "请把当前项目问题按高、中、低风险分级，并说明每项为什么重要。"},
      {"add-tests",
       {"test", nullptr},
       "Add key tests",
       "Testing",
       "Find the paths that most need tests, prioritizing failure paths, edge cases, and regression risks.",
       "补关键测试",
       "测试",
       "请找出当前最需要补测试的路径，优先覆盖失败路径、边界条件和回归风险。"},
      {"release-check",
       {"release", nullptr},
       "Pre-release check",
       "Release",
       "Check whether build, tests, docs, privacy notes, and packaging are ready for release.",
       "发布前检查",
       "发布",
       "请检查构建、测试、文档、隐私说明和打包配置是否满足发布前要求。"}}},
    {"agent-maintenance-loop",
     true,
     "Agent Maintenance Loop Pack",
     "Agent Maintenance Loop",
     "Reproduce, make the smallest fix, verify, regression-check, and hand off.",
     "Agent 维护 Loop 包",
     "Agent 维护 Loop",
     "复现问题、最小修改、验证命令、回归检查、交接总结。",
     {{"reproduce-issue",
       {"debug", nullptr},
       "Reproduce issue",
       "Maintenance Loop",
       "Reproduce the issue first. Record trigger conditions, actual result, and expected result.",
       "复现问题",
       "维护 Loop",
       "请先复现问题，记录触发条件、实际结果和期望结果。"},
      {"smallest-fix",
       {"fix", nullptr},
       "Smallest fix",
       "Maintenance Loop",
       "Fix the issue with the smallest change and avoid unrelated refactors.",
       "最小修改",
       "维护 Loop",
       "请用最小改动修复问题，不做无关重构。"},
      {"verify-command",
       {"verify", nullptr},
       "Verification command",
       "Verification",
       "Run the smallest command that proves the fix works, then explain the result.",
       "验证命令",
       "验证",
       "请运行能证明修复有效的最小验证命令，并说明结果。"},
      {"handoff-summary",
       {"handoff", nullptr},
       "Handoff summary",
       "Handoff",
       "Summarize changes, verification result, remaining risks, and next suggestions.",
       "交接总结",
       "交接",
       "请总结已改内容、验证结果、剩余风险和后续建议。"}}},
    {"content-workflow",
     false,
     "Content Workflow Pack",
     "Content Workflow",
     "Title ideas, article review, image prompts, and pre-publish checks.",
     "内容创作工作流包",
     "内容创作工作流",
     "标题生成、文章审稿、配图 prompt、发布前检查。",
     {{"title-ideas",
       {"title", nullptr},
       "Title ideas",
       "Topic and Title",
       "Generate 10 titles with stronger click reasons for this content while keeping factual boundaries.",
       "标题生成",
       "选题标题",
       "请基于这篇内容生成 10 个更有点击理由的标题，保留真实边界。"},
      {"article-review",
       {"review", nullptr},
       "Article review",
       "Review",
       "Review the opening, structure, story tension, memorable lines, and reader value. Give revision suggestions.",
       "文章审稿",
       "审稿",
       "请审查文章的开头、结构、故事张力、金句和读者收益，并给出修改建议。"},
      {"image-prompt",
       {"image", nullptr},
       "Image Prompt",
       "Visual",
       "Create one complete copy-ready image prompt for the article, including subject, style, composition, and "
       "aspect ratio.",
       "配图 Prompt",
       "视觉",
       "请为文章生成一条完整可复制的配图 prompt，包含主体、风格、构图和比例。"},
      {"publish-check",
       {"publish", nullptr},
       "Pre-publish check",
       "Release",
       "Check facts, sources, platform risk, originality, and pre-publish score.",
       "发布前检查",
       "发布",
       "请检查事实、来源、平台风险、原创性和发布前评分。"}}},
};

QList<PromptPack> makeBuiltInPacks(bool english) {
    const auto text = [](const char* value) { return QString::fromUtf8(value); };
    QList<PromptPack> packs;
    for (const BuiltInPack& data : builtInPackData) {
        PromptPack pack;
        pack.metadata.id = text(data.id);
        pack.metadata.name = text(english ? data.englishName : data.chineseName);
        pack.metadata.description = text(english ? data.englishDescription : data.chineseDescription);
        pack.metadata.version = PromptPackService::defaultVersion;
        pack.metadata.author = u"Orris Hollows"_s;
        pack.workspace.id = pack.metadata.id;
        pack.workspace.name = text(english ? data.englishWorkspaceName : data.chineseWorkspaceName);
        pack.workspace.source = PromptWorkspaceSource::userWorkspace;
        for (const BuiltInPrompt& prompt : data.prompts) {
            PromptItem item;
            item.id = text(prompt.id);
            item.title = text(english ? prompt.englishTitle : prompt.chineseTitle);
            item.group = text(english ? prompt.englishGroup : prompt.chineseGroup);
            if (data.forCodex) {
                item.agent = AgentType::codex;
            }
            item.text = text(english ? prompt.englishText : prompt.chineseText);
            for (const char* tag : prompt.tags) {
                if (tag != nullptr) {
                    item.tags.append(text(tag));
                }
            }
            pack.workspace.prompts.append(std::move(item));
        }
        packs.append(std::move(pack));
    }
    return packs;
}

} // namespace

// ---- Service -------------------------------------------------------------------------------

PromptPackService::PromptPackService(const AppEnvironment& environment, std::function<AppLanguage()> languageProvider)
    : m_environment(environment), m_languageProvider(std::move(languageProvider)),
      m_persistence(environment, m_languageProvider) {}

AppLanguage PromptPackService::language() const {
    return AppLanguages::resolved(m_languageProvider, m_environment.preferredLanguages);
}

QString PromptPackService::message(const QString& key) const {
    return L10n::string(key, language());
}

const QList<PromptPack>& PromptPackService::builtInPacks(AppLanguage language, const QStringList& preferredLanguages) {
    if (language == AppLanguage::system) {
        language = AppLanguages::systemResolved(preferredLanguages);
    }
    if (language == AppLanguage::english) {
        static const QList<PromptPack> english = makeBuiltInPacks(true);
        return english;
    }
    static const QList<PromptPack> chinese = makeBuiltInPacks(false);
    return chinese;
}

PromptPackMetadata PromptPackService::parseMetadata(const QString& text) {
    const QList<QStringView> header = sectionLines(u"pack", Text::splitViewsAtNewlines(text));
    PromptPackMetadata metadata;
    metadata.name = scalar(u"name"_s, header).value_or(defaultName);
    metadata.id = scalar(u"id"_s, header).value_or(PromptConfigLoader::slug(metadata.name));
    metadata.description = scalar(u"description"_s, header).value_or(QString());
    metadata.version = scalar(u"version"_s, header).value_or(defaultVersion);
    metadata.author = scalar(u"author"_s, header).value_or(QString());
    return metadata;
}

QList<PromptItem> PromptPackService::normalize(QList<PromptItem> prompts, const QSet<QString>& takenIDs) {
    QSet<QString> used = takenIDs;
    used.reserve(takenIDs.size() + prompts.size());
    for (PromptItem& prompt : prompts) {
        const QString base = isBlank(prompt.id) ? PromptConfigLoader::slug(prompt.title.toString()) : prompt.id;
        QString candidate = base;
        for (qint64 counter = 2; used.contains(candidate); ++counter) {
            candidate = base + u'-' + QString::number(counter);
        }
        used.insert(candidate);
        prompt.id = candidate;
    }
    return prompts;
}

Result<PromptPackImportPreview> PromptPackService::parseImportPreview(const QString& filePath) const {
    const auto parsed = [&]() -> Result<PromptPackImportPreview> {
        // A pack file comes from anywhere: never block on a FIFO or device, never read on
        // without end, whatever size the file claims.
        const Result<QByteArray> bytes = StateFiles::readRegularFile(filePath, maximumBytes);
        if (!bytes.ok()) {
            if (bytes.error() == StateFiles::fileTooLarge()) {
                return PromptPackError::invalidPack(message(L10N("error.pack.too.large")));
            }
            if (bytes.error() == StateFiles::notRegularFile()) {
                return PromptPackError::invalidPack(message(L10N("error.pack.not.regular.file")));
            }
            return bytes.error();
        }
        const std::optional<QString> text = Text::decodeUtf8(*bytes);
        if (!text) {
            return PromptPackError::invalidPack(message(L10N("error.pack.invalid.utf8")));
        }
        return parseImportPreviewFromText(*text);
    }();
    if (!parsed.ok()) {
        qCCritical(lcPrompts).noquote() << "Preview prompt pack failed file=" + AppLog::fileContext(filePath)
                                        << "error=" + AppLog::errorSummary(parsed.error());
    }
    return parsed;
}

Result<PromptPackImportPreview> PromptPackService::parseImportPreviewFromText(const QString& text) const {
    if (Text::utf8Length(text) > maximumBytes) {
        return PromptPackError::invalidPack(message(L10N("error.pack.too.large")));
    }
    const PromptPackMetadata metadata = parseMetadata(text);
    for (const QList<QStringView>& block : promptBlocks(Text::splitViewsAtNewlines(text))) {
        if (!hasRequiredFields(block)) {
            return PromptPackError::invalidPack(message(L10N("error.pack.prompt.required")));
        }
    }

    // A reader of its own for every preview, so that no warning carries over to the next one.
    PromptConfigLoader reader(m_environment, [this] { return language(); });
    PromptWorkspace parsed = reader.parseWorkspace(text, QString(), metadata.name);
    if (!reader.warnings().isEmpty()) {
        return PromptPackError::invalidPack(reader.warnings().first());
    }
    if (parsed.prompts.isEmpty()) {
        return PromptPackError::invalidPack(message(L10N("error.pack.no.prompts")));
    }
    if (parsed.prompts.size() > maximumPrompts) {
        return PromptPackError::invalidPack(message(L10N("error.pack.too.many.prompts")));
    }
    QList<PromptItem> prompts = normalize(std::move(parsed.prompts));
    for (const PromptItem& prompt : prompts) {
        if (isBlank(prompt.title.toString()) || isBlank(prompt.text.toString())) {
            return PromptPackError::invalidPack(message(L10N("error.pack.prompt.required")));
        }
    }

    PromptPackImportPreview preview;
    preview.pack.metadata = metadata;
    PromptWorkspace& workspace = preview.pack.workspace;
    workspace.id = PromptConfigLoader::slug(parsed.name);
    workspace.name = parsed.name;
    workspace.prompts = std::move(prompts); // a pack never brings match paths
    workspace.source = PromptWorkspaceSource::userWorkspace;
    return preview;
}

Result<PromptWorkspace> PromptPackService::install(const PromptPack& pack, const QSet<QString>& takenIDs) {
    return m_persistence.createWorkspace(pack.workspace.name, {}, normalize(pack.workspace.prompts, takenIDs));
}
