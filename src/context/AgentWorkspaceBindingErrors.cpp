#include "context/AgentWorkspaceBindingErrors.h"

#include "model/Localization.h"

namespace AgentWorkspaceBindingStoreError {

AppError unreadableBindingsFile(const QString& path) {
    return AppError::make(type, domain, qint64(Code::unreadableBindingsFile),
                          L10n::string(L10N("error.binding.file.unreadable.path"), std::nullopt, path));
}

AppError unknownAgentBinding() {
    return AppError::make(type, domain, qint64(Code::unknownAgentBinding),
                          L10n::string(L10N("error.binding.unknown.agent"), std::nullopt));
}

bool is(const AppError& error, Code code) {
    return error.type == type && error.domain == domain && error.code == qint64(code);
}

} // namespace AgentWorkspaceBindingStoreError
