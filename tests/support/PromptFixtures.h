#pragma once

#include "config/PromptLoadResult.h"
#include "model/PromptModels.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Small builders of prompts, workspaces and load results for the store's tests.
namespace PromptFixtures {

PromptItem prompt(const QString& id, const QString& group = QStringLiteral("General"), bool pinned = false,
                  const QString& title = {}, const QString& text = {}, const QStringList& tags = {});

PromptWorkspace workspace(const QString& id, const QList<PromptItem>& prompts = {}, const QStringList& matchPaths = {},
                          PromptWorkspaceSource source = PromptWorkspaceSource::userWorkspace);

PromptLoadResult result(const QList<PromptItem>& globalPrompts, const QList<PromptWorkspace>& workspaces = {},
                        const QString& status = QStringLiteral("loaded"));

// A result that reports one unreadable workspace file.
PromptLoadResult resultWithIssue(const QString& status = QStringLiteral("loaded with issues"));

// The bytes of tests/fixtures/<name>; a fixture that cannot be read ends the test program.
QByteArray file(const QString& name);

QStringList ids(const QList<PromptItem>& prompts);
QStringList ids(const QList<PromptWorkspace>& workspaces);

} // namespace PromptFixtures
