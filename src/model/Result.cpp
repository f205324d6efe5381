#include "model/Result.h"

#include <cstring>

AppError AppError::posix(int errnoValue, const QString& message) {
    AppError error;
    error.type = QStringLiteral("PosixError");
    error.domain = QStringLiteral("posix");
    error.code = errnoValue;
    error.message = message.isEmpty() ? QString::fromLocal8Bit(std::strerror(errnoValue)) : message;
    return error;
}

AppError AppError::make(const QString& type, const QString& domain, qint64 code, const QString& message) {
    return AppError{type, domain, code, message};
}
