// Import of the user data of an older installation at the first start.

#include "userdbtestenv.h"

#include "core/bxsettings.h"
#include "userdb/diaryversion.h"
#include "userdb/filecopy.h"
#include "userdb/previousdataimport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

const char* const OldFolder = "OldPantrel";

QString oldFolder()
{
    return BXSettings::joinPaths(BXSettings::getAppDataDir(), QLatin1String(OldFolder));
}

QString oldDatabase()
{
    return BXSettings::joinPaths(oldFolder(), QStringLiteral("userdata.db"));
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

int userCount()
{
    return UserDbTestEnv::scalar("SELECT COUNT(*) FROM user_users").toInt();
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanupTestCase();

    void brandWithoutOldPathsImportsNothing();
    void onlyDefinedPathsAreTried();
    void declinedNoticeUsesTemplate();
    void emptyDatabaseFileBlocksImport();
    void olderFormatIsNotImported();
    void dbaseDataSetIsKeptButNotImported();
};

void TestImport::init()
{
    UserDbTestEnv::loadBrand(QStringLiteral(
        "<int id=\"datastore.old_path.count\" value=\"2\"/>\n"
        "<string id=\"datastore.old_path.path_1\" value=\"%1\"/>").arg(QLatin1String(OldFolder)));
    UserDbTestEnv::removeDatabase();
    QDir(oldFolder()).removeRecursively();
    QDir folder(UserDbTestEnv::databaseFolder());
    for (const QString& name : folder.entryList({QStringLiteral("*.DBF")}, QDir::Files))
        folder.remove(name);
    QVERIFY(QDir().mkpath(oldFolder()));
    QVERIFY(QDir().mkpath(UserDbTestEnv::databaseFolder()));
    UserDbTestEnv::stopAnsweringPreviousData();
}

void TestImport::cleanupTestCase()
{
    UserDbTestEnv::removeDatabase();
}

void TestImport::brandWithoutOldPathsImportsNothing()
{
    UserDbTestEnv::loadBrand();
    QVERIFY(UserDbTestEnv::create204Database(oldDatabase()));
    const QList<PreviousDataImport::Found>* asked = UserDbTestEnv::answerPreviousData(true);
    QVERIFY(!PreviousDataImport::run());
    QVERIFY(asked->isEmpty());
    QVERIFY(!QFile::exists(UserDbTestEnv::databaseFile()));
}

void TestImport::onlyDefinedPathsAreTried()
{
    QVERIFY(UserDbTestEnv::create204Database(oldDatabase()));
    const QByteArray old = readFile(oldDatabase());
    const QList<PreviousDataImport::Found>* asked = UserDbTestEnv::answerPreviousData(true);
    QString error;
    // A copy that fails is told, and no empty diary takes its place.
    FileCopy::setFreeSpaceProbe([](const QString&) { return qint64(0); });
    QVERIFY(!UserDbTestEnv::startUp(&error));
    FileCopy::setFreeSpaceProbe({});
    QVERIFY2(error.contains(QDir::cleanPath(oldDatabase()) + ", cannot be copied to ") && !QFile::exists(UserDbTestEnv::databaseFile()), qPrintable(error));
    QVERIFY2(UserDbTestEnv::startUp(&error), qPrintable(error));
    // The older file was copied, then upgraded in place; the original is untouched.
    QCOMPARE(DiaryVersion::read(), 412);
    QCOMPARE(userCount(), 2);
    QCOMPARE(UserDbTestEnv::safetyCopies().size(), 1);
    QCOMPARE(readFile(oldDatabase()), old);
    QCOMPARE(*asked, QList<PreviousDataImport::Found>(2, PreviousDataImport::Found::Importable));
}

void TestImport::declinedNoticeUsesTemplate()
{
    QVERIFY(UserDbTestEnv::create204Database(oldDatabase()));
    UserDbTestEnv::answerPreviousData(false);
    QVERIFY(UserDbTestEnv::startUp());
    QCOMPARE(DiaryVersion::read(), 412);
    QCOMPARE(userCount(), 0);
    QVERIFY(UserDbTestEnv::safetyCopies().isEmpty());
    // Nobody to ask (a start without a screen): likewise.
    UserDbTestEnv::removeDatabase();
    UserDbTestEnv::stopAnsweringPreviousData();
    QVERIFY(UserDbTestEnv::startUp());
    QCOMPARE(userCount(), 0);
}

void TestImport::emptyDatabaseFileBlocksImport()
{
    QVERIFY(UserDbTestEnv::create204Database(oldDatabase()));
    QVERIFY(writeFile(UserDbTestEnv::databaseFile(), QByteArray()));
    QVERIFY(!PreviousDataImport::importSQLite(oldFolder()));
    QVERIFY(UserDbTestEnv::startUp());
    QCOMPARE(userCount(), 0);
}

void TestImport::olderFormatIsNotImported()
{
    const QByteArray older =
        QByteArray("** This file contains an SQLite 2.1 database **\0", 48) + QByteArray(500, 'o');
    QVERIFY(writeFile(oldDatabase(), older));
    // The user is told why the older data cannot be taken over.
    const QList<PreviousDataImport::Found>* asked = UserDbTestEnv::answerPreviousData(true);
    QVERIFY(UserDbTestEnv::startUp());
    QCOMPARE(*asked, QList<PreviousDataImport::Found>{PreviousDataImport::Found::OlderFormat});
    QCOMPARE(DiaryVersion::read(), 412);
    QCOMPARE(userCount(), 0);
    QCOMPARE(readFile(oldDatabase()), older);
}

void TestImport::dbaseDataSetIsKeptButNotImported()
{
    const QStringList names = {"DRYFDS.DBF", "DRYEXS.DBF", "CSEXS.DBF", "CSEXCATS.DBF",
                               "CSFDS.DBF", "CSFDCATS.DBF", "SAVMEAL.DBF", "SAVMEALI.DBF",
                               "USRUSRS.DBF", "USRCHKS.DBF"};
    for (const QString& name : names)
        QVERIFY(writeFile(BXSettings::joinPaths(oldFolder(), name), name.toLatin1()));
    QVERIFY(UserDbTestEnv::startUp());
    QCOMPARE(userCount(), 0);
    for (const QString& name : names)
        QCOMPARE(readFile(UserDbTestEnv::databaseFolder() + name), name.toLatin1());

    // An incomplete data set is not touched.
    UserDbTestEnv::removeDatabase();
    for (const QString& name : names)
        QFile::remove(UserDbTestEnv::databaseFolder() + name);
    QFile::remove(BXSettings::joinPaths(oldFolder(), names.last()));
    QVERIFY(UserDbTestEnv::startUp());
    QVERIFY(QDir(UserDbTestEnv::databaseFolder()).entryList({"*.DBF"}).isEmpty());
}

QTEST_MAIN(TestImport)
#include "tst_import.moc"
