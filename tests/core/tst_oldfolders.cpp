// The one-time move of the data and settings of earlier versions into the folders named
// after the program.

#include "core/bxsettings.h"

#include "testbrand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>

namespace {

QString dataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString configHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString oldData() { return dataHome() + QStringLiteral("/pantrel.example/Pantrel/testbrand"); }
QString oldSettings() { return configHome() + QStringLiteral("/pantrel.example/Pantrel/testbrand.ini"); }
QString newData() { return dataHome() + QStringLiteral("/testbrand"); }
QString newSettings() { return configHome() + QStringLiteral("/testbrand/testbrand.ini"); }

bool writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ino_t inode(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

class TestOldFolders : public QObject {
    Q_OBJECT

private:
    QTemporaryDir _dir;

private slots:
    void initTestCase()
    {
        loadTestBrand(_dir, "<string id=\"brand_id\" value=\"testbrand\"/>\n"
                            "<bool id=\"datastore_compat\" value=\"false\"/>\n");
    }

    void cleanupTestCase() { BrandEngine::cleanUp(); }

    void cleanup()
    {
        for (const QString& base : {dataHome(), configHome()}) {
            QDir(base + QStringLiteral("/pantrel.example")).removeRecursively();
            QDir(base + QStringLiteral("/testbrand")).removeRecursively();
        }
    }

    // The very files move (same inode): nothing is copied that could go its own way.
    void oldFoldersAreMovedOnce()
    {
        QVERIFY(writeFile(oldData() + QStringLiteral("/userdata.db"), "diary"));
        QVERIFY(writeFile(dataHome() + QStringLiteral("/pantrel.example/Recipe/a/access.txt"), "x"));
        QVERIFY(writeFile(oldSettings(), "[testbrand]\nunits=1\n"));
        const ino_t database = inode(oldData() + QStringLiteral("/userdata.db"));
        QDir().mkpath(newData()); // an empty folder holds nothing to keep

        QString error;
        QVERIFY2(BXSettings::moveOldFolders(&error), qPrintable(error));
        QCOMPARE(readFile(newData() + QStringLiteral("/userdata.db")), QByteArray("diary"));
        QCOMPARE(inode(newData() + QStringLiteral("/userdata.db")), database);
        QCOMPARE(readFile(newData() + QStringLiteral("/Recipe/a/access.txt")), QByteArray("x"));
        QCOMPARE(readFile(newSettings()), QByteArray("[testbrand]\nunits=1\n"));
        QVERIFY(!QFileInfo::exists(dataHome() + QStringLiteral("/pantrel.example")));
        QVERIFY(!QFileInfo::exists(configHome() + QStringLiteral("/pantrel.example")));

        // Later starts find nothing left to move.
        QVERIFY2(BXSettings::moveOldFolders(&error), qPrintable(error));
        QCOMPARE(readFile(newData() + QStringLiteral("/userdata.db")), QByteArray("diary"));
    }

    void dataInBothPlacesIsRefusedAndLeftAlone_data()
    {
        QTest::addColumn<QString>("oldPath");
        QTest::addColumn<QString>("newPath");
        QTest::newRow("data") << oldData() + QStringLiteral("/userdata.db")
                              << newData() + QStringLiteral("/userdata.db");
        QTest::newRow("settings") << oldSettings() << newSettings();
    }

    void dataInBothPlacesIsRefusedAndLeftAlone()
    {
        QFETCH(QString, oldPath);
        QFETCH(QString, newPath);
        QVERIFY(writeFile(oldPath, "old"));
        QVERIFY(writeFile(newPath, "new"));
        QVERIFY(writeFile(dataHome() + QStringLiteral("/pantrel.example/Recipe/a/access.txt"), "x"));

        QString error;
        QVERIFY(!BXSettings::moveOldFolders(&error));
        QVERIFY2(error.contains(QFileInfo(oldPath).absolutePath()) || error.contains(oldPath),
                 qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("move or delete the other")), qPrintable(error));
        QCOMPARE(readFile(oldPath), QByteArray("old"));
        QCOMPARE(readFile(newPath), QByteArray("new"));
        // Nothing at all moves while one of them is refused.
        QVERIFY(QFileInfo::exists(dataHome() + QStringLiteral("/pantrel.example/Recipe/a/access.txt")));
    }

    void storedDataFolderFollowsTheMove_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("the data folder") << oldData() + QLatin1Char('/') << newData();
        QTest::newRow("a folder inside it") << oldData() + QStringLiteral("/mine/db")
                                            << newData() + QStringLiteral("/mine/db");
        QTest::newRow("a folder elsewhere") << QStringLiteral("/srv/diaries")
                                            << QStringLiteral("/srv/diaries");
        QTest::newRow("a neighbour of the data folder")
            << oldData() + QStringLiteral("-other") << oldData() + QStringLiteral("-other");
    }

    // The earlier version's settings name its data folder; after the move they name the
    // folder where the data now is.
    void storedDataFolderFollowsTheMove()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        QVERIFY(writeFile(oldData() + QStringLiteral("/userdata.db"), "diary"));
        QVERIFY(QDir().mkpath(QFileInfo(oldSettings()).path()));
        {
            QSettings old(oldSettings(), QSettings::IniFormat);
            old.setValue(QStringLiteral("testbrand/admin/userdbpath"), stored);
        }
        QString error;
        QVERIFY2(BXSettings::moveOldFolders(&error), qPrintable(error));
        QCOMPARE(BXSettings::storedUserDBPath(), expected);
    }

    void nothingOldIsNothingToDo()
    {
        QVERIFY(writeFile(newSettings(), "new"));
        QString error;
        QVERIFY2(BXSettings::moveOldFolders(&error), qPrintable(error));
        QCOMPARE(readFile(newSettings()), QByteArray("new"));
        QVERIFY(error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestOldFolders)
#include "tst_oldfolders.moc"
