// The synthetic catalogue that the catalogue tool writes for the benchmarks, read back as the
// program reads a catalogue.

#include "catalogue/staticdb.h"
#include "core/bxsettings.h"
#include "tools/staticdbwriter/staticdbverifier.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSyntheticCatalogue : public QObject {
    Q_OBJECT

private slots:
    void copiesKeepEveryFoodRule()
    {
        const QString bin = QCoreApplication::applicationDirPath();
        QTemporaryDir folder;
        QProcess tool;
        tool.start(bin + QStringLiteral("/staticdbtool"),
                   {QStringLiteral("--synthetic-foods"), QStringLiteral("20000"), QStringLiteral("--from"),
                    bin + QStringLiteral("/../share/pantrel/static.db"), QStringLiteral("--output"),
                    folder.filePath(QStringLiteral("static.db"))});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        BXSettings::setResourceDBPath(folder.path() + QLatin1Char('/'));
        bool failed = true;
        StaticDB foods(StaticDB::FOOD_CHUNK, &failed);
        QVERIFY(!failed);
        // Every food ranks under a category of the catalogue, as the ranked view needs.
        QCOMPARE(StaticDBVerifier::verifyFoods(foods), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSyntheticCatalogue)
#include "tst_syntheticcatalogue.moc"
