#pragma once

#include "model/Result.h"

#include <QDateTime>
#include <QHashFunctions>
#include <QJsonObject>
#include <QMetaType>
#include <QString>

#include <optional>

// The older kind of binding: an application plus a window-title keyword chooses a workspace.
// Still read, matched and deleted, never created. The keyword is a plain text, a salted hash
// ("title-hash:...") or the marker of a whole-application binding.
struct ContextBinding {
    QString id;
    QString appName;
    std::optional<QString> bundleIdentifier;
    QString windowKeyword;
    QString workspaceID;
    QDateTime createdAt;

    bool operator==(const ContextBinding& other) const = default;

    QJsonObject toJson() const;
    // Every key but "bundleIdentifier" is required; dates as for agent bindings.
    static Result<ContextBinding> fromJson(const QJsonValue& value);
};

size_t qHash(const ContextBinding& binding, size_t seed = 0);

Q_DECLARE_METATYPE(ContextBinding)
