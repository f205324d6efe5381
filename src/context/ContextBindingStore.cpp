#include "context/ContextBindingStore.h"

#include "config/SecureFileWriter.h"
#include "config/StateFiles.h"
#include "model/AppLog.h"
#include "model/StateJson.h"
#include "model/TextPrimitives.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QSet>
#include <QUuid>

#include <algorithm>
#include <array>

namespace {

const QString bindingsKey = QStringLiteral("bindings");
const QString lastSelectedKey = QStringLiteral("lastSelectedWorkspaceIDs");
const QString migratedKey = QStringLiteral("migratedFromContextBindings");
const QString versionKey = QStringLiteral("version");

QString newBindingID() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

bool sameStoredType(AgentType a, AgentType b) {
    return ContextBindingStore::storedAgentType(a) == ContextBindingStore::storedAgentType(b);
}

} // namespace

ContextBindingStore::ContextBindingStore(const AppEnvironment& environment, QObject* parent)
    : QObject(parent), m_homeDirectory(environment.homePath), m_clock(environment.clock) {
    reload();
}

QString ContextBindingStore::agentBindingsFilePath() const {
    return QDir(m_homeDirectory).filePath(QStringLiteral(".orris-hollows/") + agentBindingsFileName);
}

QString ContextBindingStore::legacyBindingsFilePath() const {
    return QDir(m_homeDirectory).filePath(QStringLiteral(".orris-hollows/") + legacyBindingsFileName);
}

QString ContextBindingStore::titleHashSaltFilePath() const {
    return QDir(m_homeDirectory).filePath(QStringLiteral(".orris-hollows/") + titleHashSaltFileName);
}

// ---- Loading ------------------------------------------------------------------------------------

void ContextBindingStore::reload() {
    m_bindings = loadLegacyBindings();
    m_agentWorkspaceBindingLoadError.reset();
    m_agentWorkspaceBindingWarnings.clear();
    m_preservedAgentWorkspaceBindingObjects.clear();

    const QString path = agentBindingsFilePath();
    if (!StateFiles::exists(path)) {
        m_agentWorkspaceBindings = normalized(migratedAppBindings(m_bindings));
        m_lastSelectedWorkspaceIDs.clear();
        if (!m_agentWorkspaceBindings.isEmpty()) {
            if (const Status saved = saveAgentWorkspaceBindings(); !saved) {
                qCCritical(lcContext).noquote()
                    << "Save migrated agent workspace bindings failed file=" + AppLog::fileContext(path)
                    << "error=" + AppLog::errorSummary(saved.error());
                setLoadError(saved.error());
            }
        }
        emit stateChanged();
        return;
    }

    std::optional<AppError> failure;
    const Result<QByteArray> data = StateFiles::readRegularFile(path);
    if (!data) {
        failure = data.error();
    } else if (const Result<AgentWorkspaceBindingFile> file = decodeAgentWorkspaceBindingFile(*data); !file) {
        failure = file.error();
    } else {
        m_agentWorkspaceBindings = normalized(file->bindings);
        m_lastSelectedWorkspaceIDs = normalizedLastSelectedWorkspaceIDs(file->lastSelectedWorkspaceIDs);
        m_preservedAgentWorkspaceBindingObjects = file->preservedBindingObjects;
        m_agentWorkspaceBindingWarnings = file->warnings;
        if (file->version < AgentWorkspaceBindingFile::currentVersion) {
            if (const Status saved = saveAgentWorkspaceBindings(); !saved) {
                failure = saved.error();
            }
        }
    }
    if (failure) {
        qCCritical(lcContext).noquote() << "Load agent workspace bindings failed file=" + AppLog::fileContext(path)
                                        << "error=" + AppLog::errorSummary(*failure);
        m_agentWorkspaceBindings.clear();
        m_lastSelectedWorkspaceIDs.clear();
        m_preservedAgentWorkspaceBindingObjects.clear();
        m_agentWorkspaceBindingWarnings.clear();
        setLoadError(*failure);
    }
    emit stateChanged();
}

void ContextBindingStore::setLoadError(const AppError& error) {
    m_agentWorkspaceBindingLoadError = AgentWorkspaceBindingLoadError{agentBindingsFilePath(), error.message};
}

QList<ContextBinding> ContextBindingStore::loadLegacyBindings() {
    m_legacyBindingsOnDisk.clear();
    const QString path = legacyBindingsFilePath();
    if (!StateFiles::exists(path)) {
        return {};
    }
    const Result<QByteArray> data = StateFiles::readRegularFile(path);
    Result<QList<ContextBinding>> decoded =
        data ? decodeLegacyBindings(*data) : Result<QList<ContextBinding>>(data.error());
    if (!decoded) {
        qCCritical(lcContext).noquote() << "Load legacy bindings failed file=" + AppLog::fileContext(path)
                                        << "error=" + AppLog::errorSummary(decoded.error());
        return {};
    }
    m_legacyBindingsOnDisk = *decoded;
    return *decoded;
}

// ---- File formats -------------------------------------------------------------------------------

Result<AgentWorkspaceBindingFile> ContextBindingStore::decodeAgentWorkspaceBindingFile(const QByteArray& data) {
    const Result<QJsonDocument> document = StateJson::parse(data);
    if (!document) {
        return document.error();
    }
    if (!document->isObject()) {
        return StateJson::dataCorrupted(QStringLiteral("Expected JSON object"));
    }
    const QJsonObject root = document->object();
    AgentWorkspaceBindingFile file;
    file.version = StateJson::integer(root.value(versionKey)).value_or(1);

    if (const QJsonValue lastSelected = root.value(lastSelectedKey); lastSelected.isObject()) {
        const QJsonObject object = lastSelected.toObject();
        QMap<QString, QString> map;
        bool allStrings = true;
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            if (!it.value().isString()) {
                allStrings = false;
                break;
            }
            map.insert(it.key(), it.value().toString());
        }
        if (allStrings) {
            file.lastSelectedWorkspaceIDs = map;
        }
    }

    if (const QJsonValue migrated = root.value(migratedKey); migrated.isBool()) {
        file.migratedFromContextBindings = migrated.toBool();
    }

    const QJsonArray raw = root.value(bindingsKey).toArray();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QString position = QString::number(i + 1);
        const QJsonValue element = raw.at(i);
        if (!element.isObject()) {
            file.warnings.append(QStringLiteral("Skipped binding ") + position +
                                 QStringLiteral(" because it is not a JSON object"));
            continue;
        }
        const QJsonObject object = element.toObject();
        if (Result<AgentWorkspaceBinding> binding = AgentWorkspaceBinding::fromJson(object)) {
            file.bindings.append(std::move(binding).value());
            continue;
        }
        file.preservedBindingObjects.append(object);
        const QJsonValue agentType = object.value(QStringLiteral("agentType"));
        file.warnings.append(QStringLiteral("Skipped binding ") + position +
                             QStringLiteral(" with unsupported or invalid agentType: ") +
                             (agentType.isString() ? agentType.toString() : QStringLiteral("missing")));
    }
    return file;
}

QByteArray ContextBindingStore::encodeAgentWorkspaceBindingFile(const QList<AgentWorkspaceBinding>& normalizedBindings,
                                                                const QList<QJsonObject>& preservedBindingObjects,
                                                                const QMap<QString, QString>& lastSelectedWorkspaceIDs,
                                                                bool legacyFileExists) {
    QJsonArray bindings;
    for (const AgentWorkspaceBinding& binding : normalizedBindings) {
        bindings.append(binding.toJson());
    }
    for (const QJsonObject& preserved : preservedBindingObjects) {
        bindings.append(preserved);
    }
    QJsonObject lastSelected;
    for (auto it = lastSelectedWorkspaceIDs.constBegin(); it != lastSelectedWorkspaceIDs.constEnd(); ++it) {
        lastSelected.insert(it.key(), it.value());
    }
    QJsonObject root;
    root.insert(bindingsKey, bindings);
    root.insert(lastSelectedKey, lastSelected);
    root.insert(migratedKey, legacyFileExists);
    root.insert(versionKey, QJsonValue(AgentWorkspaceBindingFile::currentVersion));
    return StateJson::pretty(root);
}

Result<QList<ContextBinding>> ContextBindingStore::decodeLegacyBindings(const QByteArray& data) {
    const Result<QJsonDocument> document = StateJson::parse(data);
    if (!document) {
        return document.error();
    }
    if (!document->isArray()) {
        return StateJson::typeMismatch(QStringLiteral("bindings"));
    }
    QList<ContextBinding> bindings;
    const QJsonArray array = document->array();
    bindings.reserve(array.size());
    for (const QJsonValue& element : array) {
        Result<ContextBinding> binding = ContextBinding::fromJson(element);
        if (!binding) {
            return binding.error();
        }
        bindings.append(std::move(binding).value());
    }
    return bindings;
}

QByteArray ContextBindingStore::encodeLegacyBindings(const QList<ContextBinding>& bindings) {
    QJsonArray array;
    for (const ContextBinding& binding : bindings) {
        array.append(binding.toJson());
    }
    return StateJson::pretty(array);
}

// ---- Normalisation ------------------------------------------------------------------------------

AgentType ContextBindingStore::storedAgentType(AgentType type) {
    return type == AgentType::claudeCode ? AgentType::terminal : type;
}

QList<AgentWorkspaceBinding> ContextBindingStore::migratedAppBindings(const QList<ContextBinding>& legacyBindings) {
    QList<AgentWorkspaceBinding> migrated;
    for (const ContextBinding& legacy : legacyBindings) {
        if (legacy.windowKeyword != appBindingKeyword) {
            continue;
        }
        const AgentType type = AgentTypes::infer(legacy.bundleIdentifier, legacy.appName);
        if (type == AgentType::unknown) {
            continue;
        }
        migrated.append(AgentWorkspaceBinding{newBindingID(), type, legacy.appName, legacy.bundleIdentifier,
                                              legacy.workspaceID, false, legacy.createdAt});
    }
    return deduplicated(migrated);
}

QList<AgentWorkspaceBinding> ContextBindingStore::deduplicated(const QList<AgentWorkspaceBinding>& bindings) {
    QList<AgentWorkspaceBinding> sorted = bindings;
    std::stable_sort(sorted.begin(), sorted.end(), [](const AgentWorkspaceBinding& a, const AgentWorkspaceBinding& b) {
        if (a.createdAt != b.createdAt) {
            return a.createdAt < b.createdAt;
        }
        return Text::codePointLess(a.id, b.id);
    });
    QSet<QString> seen;
    QList<AgentWorkspaceBinding> result;
    result.reserve(sorted.size());
    for (AgentWorkspaceBinding& binding : sorted) {
        const QString key = AgentTypes::rawValue(binding.agentType) + QLatin1Char('|') + binding.workspaceID;
        if (seen.contains(key)) {
            continue;
        }
        seen.insert(key);
        result.append(std::move(binding));
    }
    return result;
}

QList<AgentWorkspaceBinding> ContextBindingStore::normalized(const QList<AgentWorkspaceBinding>& bindings) {
    QList<AgentWorkspaceBinding> converted = bindings;
    for (AgentWorkspaceBinding& binding : converted) {
        binding.agentType = storedAgentType(binding.agentType);
    }
    QList<AgentWorkspaceBinding> result = deduplicated(converted);
    // The default of each agent is the first flagged binding in order, marked by position so
    // that two records sharing an id cannot both become the default.
    QHash<int, qsizetype> defaultIndex;
    for (qsizetype i = 0; i < result.size(); ++i) {
        if (result.at(i).isDefault && !defaultIndex.contains(int(result.at(i).agentType))) {
            defaultIndex.insert(int(result.at(i).agentType), i);
        }
    }
    for (qsizetype i = 0; i < result.size(); ++i) {
        result[i].isDefault = defaultIndex.value(int(result.at(i).agentType), -1) == i;
    }
    return result;
}

QMap<QString, QString> ContextBindingStore::normalizedLastSelectedWorkspaceIDs(const QMap<QString, QString>& map) {
    const QString claudeCode = AgentTypes::rawValue(AgentType::claudeCode);
    const QString terminal = AgentTypes::rawValue(AgentType::terminal);
    QStringList keys = map.keys();
    std::sort(keys.begin(), keys.end(), Text::codePointLess);
    QMap<QString, QString> result;
    for (const QString& key : keys) {
        const QString target = key == claudeCode ? terminal : key;
        if (result.contains(target) && key != target) {
            continue;
        }
        result.insert(target, map.value(key));
    }
    return result;
}

// ---- Saving and transactions --------------------------------------------------------------------

Status ContextBindingStore::throwIfBindingsFileUnreadable() const {
    if (m_agentWorkspaceBindingLoadError) {
        return AgentWorkspaceBindingStoreError::unreadableBindingsFile(agentBindingsFilePath());
    }
    return {};
}

Status ContextBindingStore::saveAgentWorkspaceBindings() {
    if (Status guard = throwIfBindingsFileUnreadable(); !guard) {
        return guard;
    }
    if (Status directory = StateFiles::createPrivateDirectory(QFileInfo(agentBindingsFilePath()).absolutePath());
        !directory) {
        return directory;
    }
    m_agentWorkspaceBindings = normalized(m_agentWorkspaceBindings);
    const bool legacyFileExists = StateFiles::exists(legacyBindingsFilePath());
    const QByteArray data =
        encodeAgentWorkspaceBindingFile(m_agentWorkspaceBindings, m_preservedAgentWorkspaceBindingObjects,
                                        m_lastSelectedWorkspaceIDs, legacyFileExists);
    return SecureFileWriter::writeData(data, agentBindingsFilePath());
}

Status ContextBindingStore::saveLegacyBindings() {
    if (m_bindings == m_legacyBindingsOnDisk) {
        return {};
    }
    if (Status directory = StateFiles::createPrivateDirectory(QFileInfo(legacyBindingsFilePath()).absolutePath());
        !directory) {
        return directory;
    }
    Status written = SecureFileWriter::writeData(encodeLegacyBindings(m_bindings), legacyBindingsFilePath());
    if (written) {
        m_legacyBindingsOnDisk = m_bindings;
    }
    return written;
}

Status ContextBindingStore::mutateAgentWorkspaceState(const std::function<void()>& change) {
    const QList<AgentWorkspaceBinding> previousBindings = m_agentWorkspaceBindings;
    const QMap<QString, QString> previousLastSelected = m_lastSelectedWorkspaceIDs;
    change();
    Status saved = saveAgentWorkspaceBindings();
    if (!saved) {
        m_agentWorkspaceBindings = previousBindings;
        m_lastSelectedWorkspaceIDs = previousLastSelected;
        qCCritical(lcContext).noquote() << "Save agent workspace bindings failed file=" +
                                               AppLog::fileContext(agentBindingsFilePath())
                                        << "error=" + AppLog::errorSummary(saved.error());
    }
    return saved;
}

Status ContextBindingStore::mutateLegacyBindings(const std::function<void()>& change) {
    const QList<ContextBinding> previous = m_bindings;
    change();
    Status saved = saveLegacyBindings();
    if (!saved) {
        m_bindings = previous;
        qCCritical(lcContext).noquote() << "Save legacy bindings failed file=" +
                                               AppLog::fileContext(legacyBindingsFilePath())
                                        << "error=" + AppLog::errorSummary(saved.error());
    }
    return saved;
}

void ContextBindingStore::clearDefault(AgentType agentType) {
    for (AgentWorkspaceBinding& binding : m_agentWorkspaceBindings) {
        if (sameStoredType(binding.agentType, agentType)) {
            binding.isDefault = false;
        }
    }
}

// ---- Operations ---------------------------------------------------------------------------------

Result<AgentWorkspaceBinding>
ContextBindingStore::addAgentWorkspaceBinding(AgentType agentType, const QString& appName,
                                              const std::optional<QString>& bundleIdentifier,
                                              const QString& workspaceID, bool isDefault) {
    if (Status guard = throwIfBindingsFileUnreadable(); !guard) {
        return guard.error();
    }
    AgentType resolved = agentType == AgentType::unknown ? AgentTypes::infer(bundleIdentifier, appName) : agentType;
    resolved = storedAgentType(resolved);
    if (resolved == AgentType::unknown) {
        return AgentWorkspaceBindingStoreError::unknownAgentBinding();
    }

    AgentWorkspaceBinding result;
    const Status saved = mutateAgentWorkspaceState([&] {
        const auto found =
            std::find_if(m_agentWorkspaceBindings.cbegin(), m_agentWorkspaceBindings.cend(),
                         [&](const AgentWorkspaceBinding& binding) {
                             return sameStoredType(binding.agentType, resolved) && binding.workspaceID == workspaceID;
                         });
        if (found != m_agentWorkspaceBindings.cend()) {
            const qsizetype index = found - m_agentWorkspaceBindings.cbegin();
            result = *found;
            result.appName = appName;
            result.bundleIdentifier = bundleIdentifier;
            result.workspaceID = workspaceID;
            result.isDefault = isDefault || found->isDefault;
            if (result.isDefault) {
                clearDefault(resolved);
            }
            m_agentWorkspaceBindings[index] = result;
        } else {
            // Whole seconds, as the file keeps them, so the order after a reload is the same.
            const QDateTime now = QDateTime::fromSecsSinceEpoch(m_clock->now().toSecsSinceEpoch(), Qt::UTC);
            result =
                AgentWorkspaceBinding{newBindingID(), resolved, appName, bundleIdentifier, workspaceID, isDefault, now};
            if (result.isDefault) {
                clearDefault(resolved);
            }
            m_agentWorkspaceBindings.append(result);
        }
    });
    if (!saved) {
        return saved.error();
    }
    emit stateChanged();
    return result;
}

Status ContextBindingStore::deleteAgentWorkspaceBinding(const QString& id) {
    if (Status guard = throwIfBindingsFileUnreadable(); !guard) {
        return guard;
    }
    Status saved = mutateAgentWorkspaceState([&] {
        m_agentWorkspaceBindings.removeIf([&](const AgentWorkspaceBinding& binding) { return binding.id == id; });
    });
    if (saved) {
        emit stateChanged();
    }
    return saved;
}

Status ContextBindingStore::deleteWorkspaceReferences(const QString& workspaceID) {
    if (Status guard = throwIfBindingsFileUnreadable(); !guard) {
        return guard;
    }
    Status agentSaved = mutateAgentWorkspaceState([&] {
        m_agentWorkspaceBindings.removeIf(
            [&](const AgentWorkspaceBinding& binding) { return binding.workspaceID == workspaceID; });
        m_lastSelectedWorkspaceIDs.removeIf([&](const auto& entry) { return entry.value() == workspaceID; });
    });
    if (!agentSaved) {
        return agentSaved;
    }
    Status legacySaved = mutateLegacyBindings([&] {
        m_bindings.removeIf([&](const ContextBinding& binding) { return binding.workspaceID == workspaceID; });
    });
    // The agent file has changed either way.
    emit stateChanged();
    return legacySaved;
}

Status ContextBindingStore::setLastSelectedWorkspaceID(const QString& workspaceID, const AgentContext& context) {
    if (Status guard = throwIfBindingsFileUnreadable(); !guard) {
        return guard;
    }
    const QString key = AgentTypes::rawValue(storedAgentType(context.agent));
    Status saved = mutateAgentWorkspaceState([&] { m_lastSelectedWorkspaceIDs.insert(key, workspaceID); });
    if (saved) {
        emit stateChanged();
    }
    return saved;
}

ContextBindingStateSnapshot ContextBindingStore::stateSnapshot() const {
    return ContextBindingStateSnapshot{m_bindings, m_agentWorkspaceBindings, m_lastSelectedWorkspaceIDs};
}

Status ContextBindingStore::restoreState(const ContextBindingStateSnapshot& snapshot) {
    const ContextBindingStateSnapshot current = stateSnapshot();
    m_bindings = snapshot.bindings;
    m_agentWorkspaceBindings = snapshot.agentWorkspaceBindings;
    m_lastSelectedWorkspaceIDs = snapshot.lastSelectedWorkspaceIDs;
    Status saved = saveLegacyBindings();
    if (saved) {
        saved = saveAgentWorkspaceBindings();
    }
    if (!saved) {
        m_bindings = current.bindings;
        m_agentWorkspaceBindings = current.agentWorkspaceBindings;
        m_lastSelectedWorkspaceIDs = current.lastSelectedWorkspaceIDs;
        qCCritical(lcContext).noquote() << "Restore context binding state failed error=" +
                                               AppLog::errorSummary(saved.error());
        return saved;
    }
    emit stateChanged();
    return {};
}

// ---- Lookups ------------------------------------------------------------------------------------

QList<AgentWorkspaceBinding> ContextBindingStore::agentWorkspaceBindings(const AgentContext& context) const {
    if (context.agent == AgentType::unknown) {
        return {};
    }
    QList<AgentWorkspaceBinding> result;
    for (const AgentWorkspaceBinding& binding : m_agentWorkspaceBindings) {
        if (sameStoredType(binding.agentType, context.agent)) {
            result.append(binding);
        }
    }
    return result;
}

std::optional<AgentWorkspaceBinding> ContextBindingStore::agentWorkspaceBinding(AgentType agentType,
                                                                                const QString& workspaceID) const {
    for (const AgentWorkspaceBinding& binding : m_agentWorkspaceBindings) {
        if (sameStoredType(binding.agentType, agentType) && binding.workspaceID == workspaceID) {
            return binding;
        }
    }
    return std::nullopt;
}

int ContextBindingStore::boundAgentCount(const QString& workspaceID) const {
    int count = 0;
    for (const QList<AgentType>* cases : {&AgentTypes::nativeAgentCases(), &AgentTypes::browserCases()}) {
        for (const AgentType type : *cases) {
            if (agentWorkspaceBinding(type, workspaceID)) {
                ++count;
            }
        }
    }
    return count;
}

std::optional<QString> ContextBindingStore::lastSelectedWorkspaceID(const AgentContext& context) const {
    const QString key = AgentTypes::rawValue(storedAgentType(context.agent));
    if (const auto found = m_lastSelectedWorkspaceIDs.constFind(key); found != m_lastSelectedWorkspaceIDs.constEnd()) {
        return *found;
    }
    const QString detectedKey = AgentTypes::rawValue(context.agent);
    if (const auto found = m_lastSelectedWorkspaceIDs.constFind(detectedKey);
        found != m_lastSelectedWorkspaceIDs.constEnd()) {
        return *found;
    }
    return std::nullopt;
}

std::optional<ContextBinding> ContextBindingStore::binding(const AgentContext& context) const {
    for (const ContextBinding& candidate : m_bindings) {
        const bool compareBundles = candidate.bundleIdentifier && context.frontmostBundleIdentifier &&
                                    !candidate.bundleIdentifier->isEmpty() &&
                                    !context.frontmostBundleIdentifier->isEmpty();
        const bool sameApplication =
            compareBundles ? candidate.bundleIdentifier->toLower() == context.frontmostBundleIdentifier->toLower()
                           : candidate.appName.toLower() == context.frontmostAppName.toLower();
        if (!sameApplication || candidate.windowKeyword == appBindingKeyword) {
            continue;
        }
        const QString keyword = candidate.windowKeyword.toLower();
        if (keyword.startsWith(titleHashPrefix)) {
            if (keyword == hashedTitleKeyword(context.frontWindowTitle)) {
                return candidate;
            }
            continue;
        }
        if (keyword.isEmpty()) {
            continue;
        }
        if (context.frontWindowTitle.toLower().contains(keyword) || context.workspaceName.toLower().contains(keyword)) {
            return candidate;
        }
    }
    return std::nullopt;
}

// ---- Hashed title keywords ----------------------------------------------------------------------

QByteArray ContextBindingStore::titleHashSalt() const {
    const QString path = titleHashSaltFilePath();
    if (const Result<QByteArray> stored = StateFiles::readRegularFile(path); stored && !stored->isEmpty()) {
        return *stored;
    }
    std::array<quint32, titleHashSaltLength / sizeof(quint32)> words{};
    QRandomGenerator::system()->fillRange(words.data(), qsizetype(words.size()));
    const QByteArray salt(reinterpret_cast<const char*>(words.data()), titleHashSaltLength);
    Status created = StateFiles::createPrivateDirectory(QFileInfo(path).absolutePath());
    if (created) {
        created = SecureFileWriter::writeData(salt, path);
    }
    if (!created) {
        qCCritical(lcContext).noquote() << "Create title hash salt failed file=" + AppLog::fileContext(path)
                                        << "error=" + AppLog::errorSummary(created.error());
        return fallbackTitleHashSalt;
    }
    return salt;
}

QString ContextBindingStore::hashedTitleKeyword(const QString& text) const {
    const QString normalizedText = Text::trimWhitespaceAndNewlines(text).toLower();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(titleHashSalt());
    hash.addData(normalizedText.toUtf8());
    return titleHashPrefix + QString::fromLatin1(hash.result().toHex());
}
