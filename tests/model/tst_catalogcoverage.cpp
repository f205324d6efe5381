#include "model/Localization.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

// Every key the code marks with L10N("...") must have an English and a Simplified Chinese text,
// and both texts must take the same arguments.
class CatalogCoverageTest : public QObject {
    Q_OBJECT

private:
    static QSet<QString> keysUsedInSource() {
        QSet<QString> keys;
        static const QRegularExpression marker(QStringLiteral("L10N\\(\\s*\"([^\"]+)\"\\s*\\)"));
        QDirIterator it(QStringLiteral(ORRIS_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly)) {
                continue;
            }
            const QString text = QString::fromUtf8(file.readAll());
            for (const auto& match : marker.globalMatch(text)) {
                keys.insert(match.captured(1));
            }
        }
        return keys;
    }

    static QList<QString> placeholders(const QString& text) {
        static const QRegularExpression placeholder(QStringLiteral("%(\\d+\\$)?@"));
        QList<QString> found;
        for (const auto& match : placeholder.globalMatch(text)) {
            found.append(match.captured(0));
        }
        return found;
    }

private slots:
    void everyUsedKeyHasBothLanguages() {
        const QSet<QString> used = keysUsedInSource();
        QVERIFY2(!used.isEmpty(), "no L10N markers found; is ORRIS_SOURCE_DIR right?");
        const auto& values = AppLocalizationCatalog::shared().values();
        QStringList missing;
        for (const QString& key : used) {
            const auto entry = values.constFind(key);
            for (const char* code : {"en", "zh-Hans"}) {
                if (entry == values.constEnd() || !entry->contains(QString::fromLatin1(code))) {
                    missing.append(key + QLatin1String(" [") + QLatin1String(code) + QLatin1Char(']'));
                }
            }
        }
        missing.sort();
        QVERIFY2(missing.isEmpty(), qPrintable("missing catalog texts: " + missing.join(", ")));
    }

    void bothLanguagesTakeTheSameArguments() {
        const auto& values = AppLocalizationCatalog::shared().values();
        QStringList mismatched;
        for (auto it = values.begin(); it != values.end(); ++it) {
            const QString english = it->value(QStringLiteral("en"));
            const QString chinese = it->value(QStringLiteral("zh-Hans"));
            if (english.isEmpty() || chinese.isEmpty()) {
                continue;
            }
            auto a = placeholders(english);
            auto b = placeholders(chinese);
            // Positional placeholders may move; sequential ones must match in number.
            std::sort(a.begin(), a.end());
            std::sort(b.begin(), b.end());
            if (a != b) {
                mismatched.append(it.key());
            }
        }
        mismatched.sort();
        QVERIFY2(mismatched.isEmpty(), qPrintable("placeholders differ: " + mismatched.join(", ")));
    }

    void catalogFileParses() {
        QVERIFY(AppLocalizationCatalog::load(QStringLiteral(ORRIS_SOURCE_DIR "/resources/Localizable.xcstrings")).ok());
    }
};

QTEST_GUILESS_MAIN(CatalogCoverageTest)
#include "tst_catalogcoverage.moc"
