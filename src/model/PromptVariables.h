#pragma once

#include <QHash>
#include <QHashFunctions>
#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

// One variable of a prompt text, from a marker such as {{ topic }} or {{ topic | this file }}.
struct PromptVariable {
    QString name;                        // as first written, surrounding white space removed
    QString normalizedName;              // the identity: name lower-cased
    std::optional<QString> defaultValue; // everything after the first bar, exactly as written

    bool operator==(const PromptVariable& other) const = default;
};

inline size_t qHash(const PromptVariable& variable, size_t seed = 0) {
    return qHashMulti(seed, variable.name, variable.normalizedName, variable.defaultValue.value_or(QString()),
                      variable.defaultValue.has_value());
}

// Finds the variable markers of a prompt text and fills in their values. Pure functions over
// strings: no state, no failure, no limit on length or number of markers.
class PromptVariableParser {
public:
    PromptVariableParser() = delete;

    // The distinct variables in order of first appearance; the first marker of a name decides
    // its written form and its default.
    static QList<PromptVariable> variables(const QString& text);

    // The text with every marker whose variable has a value replaced by it. Values are keyed by
    // name in any letter case or spacing; markers without a value stay as written.
    static QString render(const QString& text, const QHash<QString, QString>& values);

private:
    struct Marker {
        qsizetype start = 0;  // index of the first opening brace
        qsizetype length = 0; // through the second closing brace
        PromptVariable variable;
    };

    static QList<Marker> validMarkers(const QString& text);
    static std::optional<PromptVariable> variable(QStringView inner);
    static QHash<QString, QString> normalized(const QHash<QString, QString>& values);
};

Q_DECLARE_METATYPE(PromptVariable)
