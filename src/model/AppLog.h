#pragma once

#include "model/Result.h"

#include <QLoggingCategory>
#include <QString>

#include <optional>

// The system's log categories, all under "app.orris-hollows". Log lines report failures and
// refusals only, name files by folder and name alone and errors by type, domain and code, so
// that no home folder, user name or file content ever reaches the log.
Q_DECLARE_LOGGING_CATEGORY(lcPersistence)
Q_DECLARE_LOGGING_CATEGORY(lcContext)
Q_DECLARE_LOGGING_CATEGORY(lcPrompts)
Q_DECLARE_LOGGING_CATEGORY(lcUi)

namespace AppLog {

const QLoggingCategory& persistence();
const QLoggingCategory& context();
const QLoggingCategory& prompts();
const QLoggingCategory& ui();

// "<type> domain=<domain> code=<code>".
QString errorSummary(const AppError& error);

// "none" without a path, else "<parent folder name>/<file name>" (the file name alone when the
// parent has no name).
QString fileContext(const std::optional<QString>& path);
QString fileContext(const QString& path);

// A text given by a caller or a file, fit for one log line or message: control characters
// written as "\u{N}", and at most `maximumCharacters` characters, the cut marked with "…" and the
// text's UTF-8 length.
QString printable(const QString& text, qsizetype maximumCharacters = 80);

// A workspace id fit for the log (always through printable()): a project workspace's id holds the absolute path of its
// file
// ("project:<path>"), so it is logged as "project:" plus that file's context; other ids as
// they are.
QString workspaceIDContext(const QString& workspaceID);

} // namespace AppLog
