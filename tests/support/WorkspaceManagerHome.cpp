#include "WorkspaceManagerHome.h"

#include <QDir>

namespace {

const QByteArray globalYaml = "prompts:\n  - id: \"g1\"\n    title: \"Greeting\"\n    group: \"General\"\n"
                              "    text: \"Say hello\"\n";

const QByteArray projectYaml =
    "workspace:\n  name: \"Shop\"\n\nprompts:\n  - id: \"s1\"\n    title: \"Check the cart\"\n"
    "    group: \"Review\"\n    text: \"Check the cart code\"\n";

} // namespace

WorkspaceManagerHome::WorkspaceManagerHome(Content content, AppLanguage interfaceLanguage) {
    language = interfaceLanguage;
    rebuild();
    if (content == Content::samples) {
        loadHome();
        return;
    }
    env.writeFile(".orris-hollows/global.yaml", globalYaml);
    writeWorkspaceFile("alpha", "Alpha Team", {"a1", "a2"}, {"/srv/alpha-match"});
    writeWorkspaceFile("beta", "Beta Notes", {"b1"});
    projectFile = env.writeFile("shop/.orris-hollows.yaml", projectYaml);
    QDir(env.home()).mkpath("shop/src");
    projectContext.agent = AgentType::terminal;
    projectContext.frontmostAppName = "Terminal";
    projectContext.workspacePath = env.home() + "/shop/src";
    projectContext.detectionSource = ContextDetectionSource::terminalDirectory;
    store->trustProjectConfig(projectFile);
    reloadHome();
}

void WorkspaceManagerHome::reloadHome() {
    loadHome();
    if (!projectFile.isEmpty()) {
        store->projectWorkspace(projectContext, projectFile);
    }
}
