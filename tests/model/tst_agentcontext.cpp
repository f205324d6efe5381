#include "model/AgentContext.h"
#include "model/TextPrimitives.h"

#include <QTest>

class AgentContextTest : public QObject {
    Q_OBJECT

private:
    static AgentContext context(const QString& app, const QString& title, const QString& workspaceName) {
        AgentContext c = AgentContext::unknown();
        c.frontmostAppName = app;
        c.frontWindowTitle = title;
        c.workspaceName = workspaceName;
        return c;
    }

private slots:
    void unknownContext() {
        const AgentContext& c = AgentContext::unknown();
        QCOMPARE(c.frontmostAppName, QStringLiteral("Unknown"));
        QVERIFY(!c.frontmostBundleIdentifier.has_value());
        QVERIFY(c.frontWindowTitle.isEmpty());
        QCOMPARE(c.agent, AgentType::unknown);
        QVERIFY(!c.workspacePath.has_value());
        QCOMPARE(c.workspaceName, unrecognizedWorkspaceName);
        QCOMPARE(c.detectionSource, ContextDetectionSource::unknown);
        QCOMPARE(unrecognizedWorkspaceName.toUtf8(),
                 QByteArray("\xE6\x9C\xAA\xE8\xAF\x86\xE5\x88\xAB\xE5\xB7\xA5\xE4\xBD\x9C\xE5\x8C\xBA"));

        AgentContext other = c;
        QCOMPARE(other, c);
        other.frontWindowTitle = QStringLiteral(" ");
        QVERIFY(!(other == c));
    }

    void sanitizedWindowTitle_data() {
        QTest::addColumn<QString>("app");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("workspaceName");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("argument");
        const QString unrecognized = unrecognizedWorkspaceName;
        QTest::newRow("empty title") << "Code"
                                     << ""
                                     << "proj"
                                     << "context.window.unread" << QString();
        QTest::newRow("blank title") << "Code"
                                     << " \t\n"
                                     << "proj"
                                     << "context.window.unread" << QString();
        QTest::newRow("workspace known") << "Code" << QString::fromUtf8("secret.ts \u2014 proj \u2014 Code") << "proj"
                                         << "context.window.hidden.workspace"
                                         << "proj";
        QTest::newRow("no workspace") << "Firefox"
                                      << "Bank statement - Firefox" << unrecognized << "context.window.hidden.app"
                                      << "Firefox";
        // An IDE title without separators becomes the workspace name whole.
        QTest::newRow("workspace name is the whole title") << "Zed"
                                                           << " Quarterly numbers "
                                                           << "Quarterly numbers"
                                                           << "context.window.hidden.app"
                                                           << "Zed";
    }
    void sanitizedWindowTitle() {
        QFETCH(QString, app);
        QFETCH(QString, title);
        QFETCH(QString, workspaceName);
        QFETCH(QString, key);
        QFETCH(QString, argument);
        const AgentContext c = context(app, title, workspaceName);
        for (AppLanguage language : {AppLanguage::english, AppLanguage::zhHans}) {
            const QString expected =
                argument.isNull() ? L10n::string(key, language) : L10n::string(key, language, argument);
            const QString shown = c.sanitizedWindowTitle(language);
            QCOMPARE(shown, expected);
            QVERIFY(!shown.startsWith(QLatin1String("context."))); // a catalog text, not the key
            const QString trimmedTitle = Text::trimWhitespaceAndNewlines(title);
            if (!trimmedTitle.isEmpty()) {
                QVERIFY2(!shown.contains(trimmedTitle), qPrintable(shown));
            }
        }
    }

    void browserWebAIName_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both named, ChatGPT first") << "Claude vs ChatGPT - Google Chrome"
                                                   << "ChatGPT";
        QTest::newRow("claude") << "Claude - Firefox"
                                << "Claude";
        QTest::newRow("any case") << "GEMINI"
                                  << "Gemini";
        QTest::newRow("perplexity") << "ask perplexity"
                                    << "Perplexity";
        QTest::newRow("none named") << "Inbox - Mail" << QString();
        QTest::newRow("empty") << "" << QString();
    }
    void browserWebAIName() {
        QFETCH(QString, title);
        QFETCH(QString, expected);
        const auto name = context("Firefox", title, unrecognizedWorkspaceName).browserWebAIName();
        QCOMPARE(name.value_or(QString()), expected);
        QCOMPARE(name.has_value(), !expected.isNull());
    }
};

QTEST_GUILESS_MAIN(AgentContextTest)
#include "tst_agentcontext.moc"
