#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

// A failure as a value. `type` names the kind of error, `domain` the layer that reported it
// (for example "posix" with errno as the code) and `message` a short description for the
// developer; only type, domain and code ever reach a log line.
struct AppError {
    QString type;
    QString domain;
    qint64 code = 0;
    QString message;

    static AppError posix(int errnoValue, const QString& message = {});
    static AppError make(const QString& type, const QString& domain, qint64 code, const QString& message = {});

    bool operator==(const AppError& other) const {
        return type == other.type && domain == other.domain && code == other.code;
    }
};

// Either a value or an AppError.
template <typename T> class Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(AppError error) : m_state(std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(m_state); }
    T& value() & { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const T* operator->() const { return &std::get<0>(m_state); }
    T* operator->() { return &std::get<0>(m_state); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }

    const AppError& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, AppError> m_state;
};

template <> class Result<void> {
public:
    Result() = default;
    Result(AppError error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const AppError& error() const { return *m_error; }

private:
    std::optional<AppError> m_error;
};

using Status = Result<void>;
