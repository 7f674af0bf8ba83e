#include "core/bxsettings.h"

#include "testbrand.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>
class TestBXSettings : public QObject {
    Q_OBJECT

private:
    QTemporaryDir _dir;

    static QString settingsPath()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/testbrand/testbrand.ini");
    }

private slots:
    void initTestCase()
    {
        loadTestBrand(_dir, "<string id=\"brand_id\" value=\"testbrand\"/>\n"
                            "<bool id=\"datastore_compat\" value=\"false\"/>\n");
    }

    void cleanupTestCase() { BrandEngine::cleanUp(); }

    // A folder typed without its closing slash still yields paths inside it.
    void resourceFolderFromCommandLine()
    {
        BXSettings::setResourceDBPath(QStringLiteral("/opt/pantrel/share"));
        QCOMPARE(BXSettings::getResourceDBPath(), QStringLiteral("/opt/pantrel/share/"));
        QVERIFY(BXSettings::getDirExecutable().endsWith(QLatin1String("/bin/")));
    }

    void typedDefaults()
    {
        BXSettings settings;
        QVERIFY(settings.getBool(BXSettings::NutrientFat));
        QVERIFY(!settings.getBool(BXSettings::NutrientSaturatedFat));
        QCOMPARE(settings.getInt(BXSettings::StaticDbUpdateInterval), 28);
        QCOMPARE(settings.getString(BXSettings::DoNotSyncDevices), QStringLiteral("0"));
        QVERIFY(settings.getString(BXSettings::StaticDbLastUpdate).isEmpty());
    }

    void typedIdsKeepTheirType()
    {
        BXSettings settings;
        QCOMPARE(settings.getInt(BXSettings::NutrientEnergyNet), 0);
        settings.setInt(BXSettings::NutrientEnergyNet, 1);
        bool stored = true;
        settings.readEntry(QStringLiteral("/reports/nutrient/energyNet"), QString(), &stored);
        QVERIFY(!stored);
        QVERIFY(settings.getString(BXSettings::StaticDbUpdateInterval).isEmpty());
    }

    void valuesPersistAcrossStores()
    {
        {
            BXSettings settings;
            settings.setInt(BXSettings::StaticDbUpdateInterval, 7);
            settings.setBool(BXSettings::NutrientFat, false);
            settings.setString(BXSettings::ProxySettings, QString::fromUtf8("proxy.z\xc3\xbcrich:8080"));
            QVERIFY(settings.writeEntry(QStringLiteral("LastSyncDate"), "20060305"));
        }
        BXSettings settings;
        QCOMPARE(settings.getInt(BXSettings::StaticDbUpdateInterval), 7);
        QVERIFY(!settings.getBool(BXSettings::NutrientFat));
        QCOMPARE(settings.getString(BXSettings::ProxySettings),
                 QString::fromUtf8("proxy.z\xc3\xbcrich:8080"));
        QCOMPARE(settings.readEntry(QStringLiteral("LastSyncDate")), QStringLiteral("20060305"));

        QFile file(settingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QVERIFY(content.contains("[testbrand]"));
        QVERIFY(content.contains("z\xc3\xbcrich"));
    }

    void keysCarryTheBrandPrefix()
    {
        BXSettings settings;
        QCOMPARE(settings.fK(QStringLiteral("/reports/selectedReport")),
                 QStringLiteral("testbrand/reports/selectedReport"));
        QCOMPARE(settings.fK(QStringLiteral("reports/selectedReport")),
                 QStringLiteral("testbrand/reports/selectedReport"));
        QCOMPARE(settings.fK(QStringLiteral("testbrand/windowX")), QStringLiteral("testbrand/windowX"));
    }

    void freeEntries()
    {
        BXSettings settings;
        QVERIFY(settings.writeEntry(QStringLiteral("windowX"), 120));
        QVERIFY(settings.writeEntry(QStringLiteral("windowMaximized"), true));
        QVERIFY(settings.writeEntry(QStringLiteral("title"), QStringLiteral("abc")));
        bool ok = false;
        QCOMPARE(settings.readNumEntry(QStringLiteral("windowX"), 5, &ok), 120);
        QVERIFY(ok);
        QVERIFY(settings.readBoolEntry(QStringLiteral("windowMaximized"), false, &ok));
        QVERIFY(ok);
        QCOMPARE(settings.readNumEntry(QStringLiteral("title"), 5, &ok), 5);
        QVERIFY(!ok);
        QVERIFY(settings.readBoolEntry(QStringLiteral("title"), true, &ok));
        QVERIFY(!ok);
        QVERIFY(settings.removeEntry(QStringLiteral("windowX")));
        QCOMPARE(settings.readNumEntry(QStringLiteral("windowX"), 5, &ok), 5);
        QVERIFY(!ok);
    }

    void blankBackupFolderGivesTheDefault()
    {
        {
            BXSettings settings;
            settings.setString(BXSettings::DataBackupPath, QStringLiteral("   "));
        }
        const QString expected =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
            + QStringLiteral("/testbrand Backups");
        QCOMPARE(BXSettings::getBackupDirData(), expected);
        QCOMPARE(BXSettings().getString(BXSettings::DataBackupPath), expected);

        BXSettings().setString(BXSettings::DataBackupPath, QStringLiteral(" /media/usb "));
        QCOMPARE(BXSettings::getBackupDirData(), QStringLiteral(" /media/usb "));
    }

    void dataFolders()
    {
        const QString appData = BXSettings::getAppDataDir();
        QCOMPARE(appData, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        const QString data = BXSettings::getDirData();
        QCOMPARE(data, appData + QStringLiteral("/testbrand/"));
        QCOMPARE(BXSettings::getRecipeDir(), data + QStringLiteral("Recipe"));
        QVERIFY(QFileInfo(data).isDir());
        QCOMPARE(BXSettings::getUserDBPath(), data);
    }

    void joinPaths()
    {
        QCOMPARE(BXSettings::joinPaths(QStringLiteral("a"), QStringLiteral("b")), QStringLiteral("a/b"));
        QCOMPARE(BXSettings::joinPaths(QStringLiteral("a/"), QStringLiteral("b")), QStringLiteral("a//b"));
    }

    // Nobody opens the pipe's other end: the settings must not wait for it. The defaults are
    // read, nothing is stored, and the reason is told, naming the file.
    void unusableSettingsFileIsTold_data()
    {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("a pipe") << true;
        QTest::newRow("a folder") << false;
    }

    void unusableSettingsFileIsTold()
    {
        QFETCH(bool, pipe);
        const QByteArray path = QFile::encodeName(settingsPath());
        QFile::remove(settingsPath());
        QCOMPARE(pipe ? ::mkfifo(path, 0600) : ::mkdir(path, 0700), 0);
        BXSettings settings;
        const bool stored = settings.writeEntry(QStringLiteral("windowX"), 120);
        const std::optional<QString> problem = BXSettings::settingsProblem();
        QFile::remove(settingsPath());
        ::rmdir(path);
        QVERIFY(!stored && settings.getInt(BXSettings::StaticDbUpdateInterval) == 28);
        QVERIFY(problem && problem->contains(settingsPath() + " cannot be read or saved: Not a regular file"));
    }

    void dateOrder()
    {
        QVERIFY(BXSettings::isMonthFirst(QLocale(QLocale::English, QLocale::UnitedStates)));
        QVERIFY(!BXSettings::isMonthFirst(QLocale(QLocale::German, QLocale::Germany)));
        QVERIFY(!BXSettings::isMonthFirst(QLocale(QLocale::English, QLocale::UnitedKingdom)));
    }
};

QTEST_GUILESS_MAIN(TestBXSettings)
#include "tst_bxsettings.moc"
