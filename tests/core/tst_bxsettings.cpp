#include "core/bxsettings.h"

#include "testbrand.h"
#include "tests/support/heldfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
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
        // Set to what they read, the defaults stay unstored.
        settings.setBool(BXSettings::NutrientFat, true);
        settings.setInt(BXSettings::StaticDbUpdateInterval, 28);
        settings.setString(BXSettings::StaticDbLastUpdate, QString());
        for (const char* key : {"/reports/nutrient/fat", "/staticdb/updateInterval", "/staticdb/lastUpdate"}) {
            bool stored = true;
            settings.readEntry(QLatin1String(key), QString(), &stored);
            QVERIFY2(!stored, key);
        }
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
        QCOMPARE(BXSettings::backupFolder(), expected);
        // The default is read, never stored.
        QCOMPARE(BXSettings().getString(BXSettings::DataBackupPath), QStringLiteral("   "));

        BXSettings().setString(BXSettings::DataBackupPath, QStringLiteral(" /media/usb "));
        QCOMPARE(BXSettings::backupFolder(), QStringLiteral(" /media/usb "));
    }

    void dataFolders()
    {
        const QString appData = BXSettings::getAppDataDir();
        QCOMPARE(appData, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        const QString data = BXSettings::getDirData();
        QCOMPARE(data, appData + QStringLiteral("/testbrand/"));
        QCOMPARE(BXSettings::getRecipeDir(), data + QStringLiteral("Recipe"));
        // Asking makes nothing: the folder is made where the first file is written.
        QVERIFY(!QFileInfo::exists(data));
        QCOMPARE(BXSettings::getUserDBPath(), data);
    }

    void joinPaths()
    {
        QCOMPARE(BXSettings::joinPaths(QStringLiteral("a"), QStringLiteral("b")), QStringLiteral("a/b"));
        QCOMPARE(BXSettings::joinPaths(QStringLiteral("a/"), QStringLiteral("b")), QStringLiteral("a//b"));
    }

    // Nobody opens the pipe's other end: the settings, their lock and Qt's own settings must not
    // wait for it. Nothing is stored while the settings or their lock cannot be used; the
    // reason is told, naming the file.
    void unusableSettingsFileIsTold_data()
    {
        QTest::addColumn<QString>("file");  // in the settings folder; ".." is the folder above
        QTest::addColumn<char>("kind");     // a pipe, a folder, a link to nothing, a plain file,
                                            // or a lock left by an ended program in a held folder
        QTest::addColumn<QString>("told");  // %1: the file
        const QString settings = QStringLiteral("%1 cannot be read or saved: Not a regular file");
        QTest::newRow("a pipe") << "testbrand.ini" << 'p' << settings;
        QTest::newRow("a folder") << "testbrand.ini" << 'd' << settings;
        const QString lock = QStringLiteral("The lock %1 of the settings cannot be used: ");
        QTest::newRow("a pipe as the lock") << "testbrand.ini.lock" << 'p' << lock + "Not a regular file.";
        QTest::newRow("a link to nothing as the lock")
            << "testbrand.ini.lock" << 'l' << lock + "A link to /nowhere, which does not exist.";
        QTest::newRow("a lock left in a folder that cannot be written")
            << "testbrand.ini.lock" << 'h'
            << lock + "It was left by a program that has ended, and it cannot be removed: "
                   + QString::fromLocal8Bit(std::strerror(::geteuid() == 0 ? EPERM : EACCES));
        const QString folder = QStringLiteral("The settings cannot be kept in %1: ");
        QTest::newRow("the settings folder a file") << "." << 'f' << folder + "Not a directory.";
        QTest::newRow("the config folder a link to nothing")
            << ".." << 'l' << folder + "A link to /nowhere, which does not exist.";
        QTest::newRow("a pipe as Qt's settings")
            << "QtProject.conf" << 'p'
            << "%1, where the file dialogs keep the folders last used, cannot be used: Not a regular file.";
    }

    void unusableSettingsFileIsTold()
    {
        QFETCH(QString, file);
        QFETCH(char, kind);
        QFETCH(QString, told);
        const QString folder = QFileInfo(settingsPath()).path();
        const QString path = QDir::cleanPath(folder + QLatin1Char('/') + file);
        const QByteArray name = QFile::encodeName(path);
        QFile::remove(settingsPath());
        if (file.startsWith(QLatin1Char('.')))
            QVERIFY(QDir(path).removeRecursively());
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        if (kind == 'h') {
            const pid_t ended = ::fork();
            if (ended == 0)
                ::_exit(QLockFile(path).tryLock(0) ? 0 : 1);
            int status = 1;
            QVERIFY(::waitpid(ended, &status, 0) == ended && status == 0 && holdFolder(folder, true));
        } else {
            QCOMPARE(kind == 'p' ? ::mkfifo(name, 0600) : kind == 'd' ? ::mkdir(name, 0700)
                     : kind == 'f' ? ::close(::creat(name, 0600)) : ::symlink("/nowhere", name), 0);
        }
        // A wait for ever ends the test as a failure.
        ::alarm(10);
        BXSettings::keepPrivate();
        QVERIFY(QSettings(QSettings::UserScope, QStringLiteral("QtProject")).value(QStringLiteral("FileDialog/history")).isNull());
        BXSettings settings;
        const bool stored = settings.writeEntry(QStringLiteral("windowX"), 120);
        const std::optional<QString> problem = BXSettings::settingsProblem();
        ::alarm(0);
        QVERIFY(kind != 'h' || holdFolder(folder, false));
        QFile::remove(path);
        QFile::remove(path + QStringLiteral(".rmlock"));
        ::rmdir(name);
        QCOMPARE(stored, file == QLatin1String("QtProject.conf"));
        QCOMPARE(settings.getInt(BXSettings::StaticDbUpdateInterval), 28);
        QVERIFY(problem && problem->contains(told.arg(path)));
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
