// Start-up of the user database: template copy, header repair, version check.

#include "userdbtestenv.h"

#include "core/bxsettings.h"
#include "userdb/bxsqldb.h"
#include "userdb/diaryheader.h"
#include "userdb/diaryversion.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarylocation.h"
#include "userdb/filecopy.h"
#include "userdb/restorestaging.h"
#include "userdb/syncdevices.h"
#include "tests/support/filesizelimit.h"
#include "tests/support/foreignschemas.h"
#include "tests/support/otherreader.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <csignal>
#include <cstdarg>
#include <cstring>
#include <optional>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QByteArray TemplateBlock("Pantrel userdata", 16);
const QByteArray Sqlite3Magic("SQLite format 3\0", 16);
const QByteArray Sqlite2Header("** This file contains an SQLite 2.1 database **\0", 48);

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

// An ordinary SQLite database of some other program.
QByteArray otherDatabase(const QString& path)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                    QStringLiteral("other"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            query.exec(QStringLiteral("CREATE TABLE recipes (id INTEGER PRIMARY KEY, name TEXT)"));
            query.exec(QStringLiteral("INSERT INTO recipes(name) VALUES ('soup')"));
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    const QByteArray data = readFile(path);
    QFile::remove(path);
    return data;
}

// The shipped template as start-up would leave it, cut off after its first half.
QByteArray truncatedDatabase()
{
    QByteArray data = readFile(BXSettings::getResourceDBPath() + "userdata.db");
    data.replace(0, Sqlite3Magic.size(), Sqlite3Magic);
    data.truncate(data.size() / 2);
    return data;
}

QByteArray randomBytes()
{
    QByteArray data(8192, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(data.data()),
                                          data.size() / int(sizeof(quint32)));
    return data;
}

// While above 0, so many opens of the diary's file in a row, from the first that may create it
// (the connection's), fail as when the process has no file to spare.
int s_refusedOpens = 0;

} // namespace

extern "C" int open64(const char* path, int flags, ...)
{
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(rest, mode_t) : 0;
    va_end(rest);
    static bool refusing = false;
    if (s_refusedOpens > 0 && QByteArray(path).endsWith("/userdata.db") && (refusing || (flags & O_CREAT))) {
        refusing = --s_refusedOpens > 0;
        return (errno = EMFILE, -1);
    }
    return int(::syscall(SYS_openat, AT_FDCWD, path, flags, mode));
}

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void freshStartCopiesTemplate();
    void emptyFileCountsAsMissing();
    void templateContents();
    void fixMagic_data();
    void fixMagic();
    void currentVersionsOpenAsTheyAre_data();
    void currentVersionsOpenAsTheyAre();
    void unsupportedVersionIsRefused_data();
    void unsupportedVersionIsRefused();
    void unreadableFileIsRefused();
    void olderFormatIsRefused();
    void badFileIsRefusedUnchanged_data();
    void badFileIsRefusedUnchanged();
    void leftoverWorkingCopiesAreRemoved_data();
    void leftoverWorkingCopiesAreRemoved();
    void missingDiaryIndexesAreAdded();
    void copyFileLimits();
    void copyFileRemovesPartialCopy();
    void copyKeepsMemoryFlat();

private:
    void setVersion(int version);
};

void TestSchema::initTestCase()
{
    UserDbTestEnv::loadBrand();
    // The user database lives apart from the data folder, as a user may choose: safety
    // copies and messages must name the folder where the file really is.
    BXSettings settings;
    settings.writeEntry(QStringLiteral("/admin/userdbpath"),
                        QDir::homePath() + QStringLiteral("/own/userdb"));
    settings.sync();
    QCOMPARE(UserDbTestEnv::databaseFolder(), QDir::homePath() + QStringLiteral("/own/userdb/"));
    QVERIFY(UserDbTestEnv::databaseFolder() != BXSettings::getDirData());
}

void TestSchema::init()
{
    UserDbTestEnv::removeDatabase();
}

void TestSchema::cleanupTestCase()
{
    UserDbTestEnv::removeDatabase();
}

void TestSchema::setVersion(int version)
{
    BXSqlQuery update("UPDATE userdata_meta SET itemvalue = ? WHERE itemkey = 'schema_version'");
    update.bindValue(0, version);
    QVERIFY(update.exec());
}

void TestSchema::freshStartCopiesTemplate()
{
    QString error;
    QVERIFY2(UserDbTestEnv::startUp(&error), qPrintable(error));
    const QByteArray copy = readFile(UserDbTestEnv::databaseFile());
    const QByteArray shipped = readFile(BXSettings::getResourceDBPath() + "userdata.db");
    QVERIFY(shipped.startsWith(TemplateBlock));
    QVERIFY(copy.startsWith(Sqlite3Magic));
    QCOMPARE(DiaryVersion::read(), 412);
    QVERIFY(UserDbTestEnv::safetyCopies().isEmpty());
    QVERIFY(QDir(BXSettings::getDirData()).entryList({"userdata*"}).isEmpty());
}

void TestSchema::emptyFileCountsAsMissing()
{
    QVERIFY(QDir().mkpath(UserDbTestEnv::databaseFolder()));
    QVERIFY(writeFile(UserDbTestEnv::databaseFile(), QByteArray()));
    QVERIFY(UserDbTestEnv::startUp());
    QCOMPARE(DiaryVersion::read(), 412);
}

void TestSchema::templateContents()
{
    QVERIFY(UserDbTestEnv::startUp());
    const QStringList tables = UserDbTestEnv::schema().keys();
    for (const char* table :
         {"userdata_meta", "user_users", "user_misc", "user_checkins", "user_target", "water_diary",
          "food_diary", "food_mealplan", "exer_diary", "exer_mealplan", "group_diary", "favorites",
          "user_firsttime_tips", "metrics_startStats", "custom_foods", "custom_food_cats",
          "custom_exercises", "custom_exercise_cats", "userdata_sync_devices",
          "userdata_sync_tables", "user_checkins_sync", "water_diary_sync", "food_diary_sync",
          "exer_diary_sync", "group_diary_sync", "metrics_startStats_sync"})
        QVERIFY2(tables.contains(QLatin1String(table)), table);
    QCOMPARE(UserDbTestEnv::scalar("SELECT itemvalue FROM userdata_meta WHERE itemkey = "
                                   "'software_modified_version'").toString(),
             QStringLiteral("4.1.0"));

    QCOMPARE(UserDbTestEnv::scalar("SELECT group_concat(id || ' ' || name, ', ') FROM "
                                   "(SELECT id, name FROM userdata_sync_devices ORDER BY id)").toString(),
             QStringLiteral("0 website, 1 palm, 2 metrics"));
    QCOMPARE(SyncDevices::userOf(1), 0);
    QCOMPARE(SyncDevices::userOf(0), -1);
    QCOMPARE(UserDbTestEnv::scalar("SELECT COUNT(*) FROM userdata_sync_tables").toInt(), 6);
    // Typed columns: a number compares as a number.
    BXSqlDb::perform("INSERT INTO user_checkins(user_id, date, weight) VALUES (0, '20240101', '9.5')");
    QCOMPARE(UserDbTestEnv::scalar("SELECT COUNT(*) FROM user_checkins WHERE weight < 10").toInt(), 1);
}

void TestSchema::fixMagic_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<qint64>("sizeLimit");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("after");

    const QByteArray tail(40, 'x');
    QTest::newRow("template block") << TemplateBlock + tail << qint64(0) << true << Sqlite3Magic + tail;
    QTest::newRow("standard file") << Sqlite3Magic + tail << qint64(0) << true << Sqlite3Magic + tail;
    QTest::newRow("other start") << QByteArray(56, 'q') << qint64(0) << true << QByteArray(56, 'q');
    QTest::newRow("short file") << TemplateBlock + QByteArray(10, 'x') << qint64(0) << false
                                << TemplateBlock + QByteArray(10, 'x');
    // The repair's copy cannot be written whole: the file stays as it was.
    const QByteArray large = TemplateBlock + QByteArray(1048576, 'x');
    QTest::newRow("repair the disk cannot hold") << large << qint64(65536) << false << large;
}

// Only a file that needs the repair is written, and then never in place: a healthy diary is
// not touched, and no working copy stays. The repaired file keeps the file's modes.
void TestSchema::fixMagic()
{
    QFETCH(QByteArray, content);
    QFETCH(qint64, sizeLimit);
    QFETCH(bool, result);
    QFETCH(QByteArray, after);
    const QString path = QDir::homePath() + QStringLiteral("/magic.db");
    QVERIFY(writeFile(path, content));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup));
    const QFile::Permissions modes = QFileInfo(path).permissions();
    const QDateTime earlier = QDateTime::currentDateTimeUtc().addDays(-2);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite)
                && file.setFileTime(earlier, QFileDevice::FileModificationTime));
    }
    {
        std::optional<FileSizeLimit> disk;
        if (sizeLimit > 0)
            QVERIFY(disk.emplace(rlim_t(sizeLimit)).isSet());
        QCOMPARE(DiaryHeader::fixMagic(path), result);
    }
    QCOMPARE(readFile(path), after);
    QCOMPARE(QDir::home().entryList({QStringLiteral("magic.db*")}), QStringList{QStringLiteral("magic.db")});
    if (after == content)
        QCOMPARE(QFileInfo(path).lastModified().toUTC(), earlier);
    QCOMPARE(QFileInfo(path).permissions(), modes);
    QVERIFY(!DiaryHeader::fixMagic(QDir::homePath() + QStringLiteral("/missing.db")));
    QVERIFY(!QFile::exists(QDir::homePath() + QStringLiteral("/missing.db")));
}

void TestSchema::currentVersionsOpenAsTheyAre_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("added"); // by a later program
    QTest::newRow("412") << 412 << "";
    QTest::newRow("499") << 499 << "";
    QTest::newRow("499 with a table, a column and an index of its own")
        << 499 << "CREATE TABLE later (id INTEGER)\nALTER TABLE food_diary ADD COLUMN later TEXT\n"
                  "CREATE INDEX later_ids ON later(id)";
    // SQLite's own tables and the index of a key beside them.
    QTest::newRow("412 analysed") << 412 << "ANALYZE";
    QTest::newRow("499 with a table counting its ids, of a key of its own")
        << 499 << "CREATE TABLE later (id INTEGER PRIMARY KEY AUTOINCREMENT, code TEXT UNIQUE)\n"
                  "INSERT INTO later DEFAULT VALUES";
}

void TestSchema::currentVersionsOpenAsTheyAre()
{
    QFETCH(int, version);
    QFETCH(QString, added);
    QVERIFY(UserDbTestEnv::startUp());
    setVersion(version);
    for (const QString& sql : added.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        BXSqlDb::perform(qPrintable(sql));
    BXSqlDb::cleanUp();
    // A start only reads a healthy diary.
    const QString path = UserDbTestEnv::databaseFile();
    const QByteArray bytes = readFile(path);
    const QDateTime earlier = QDateTime::currentDateTimeUtc().addDays(-2);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite)
                && file.setFileTime(earlier, QFileDevice::FileModificationTime));
    }
    QString error;
    QVERIFY2(UserDbTestEnv::startUp(&error), qPrintable(error));
    QCOMPARE(DiaryVersion::read(), version);
    BXSqlDb::cleanUp();
    QVERIFY(readFile(path) == bytes);
    QCOMPARE(QFileInfo(path).lastModified().toUTC(), earlier);
    QVERIFY(UserDbTestEnv::safetyCopies().isEmpty());
}

void TestSchema::unsupportedVersionIsRefused_data()
{
    QTest::addColumn<int>("version");
    QTest::newRow("500") << 500;
    QTest::newRow("203") << 203;
    QTest::newRow("400") << 400;
    QTest::newRow("207") << 207;
}

void TestSchema::unsupportedVersionIsRefused()
{
    QFETCH(int, version);
    QVERIFY(UserDbTestEnv::startUp());
    setVersion(version);
    BXSqlDb::cleanUp();
    const QByteArray before = readFile(UserDbTestEnv::databaseFile());

    // Every start is refused the same way, and no step runs, so no safety copy is made.
    for (int start = 0; start < 2; ++start) {
        QString error;
        QVERIFY(!UserDbTestEnv::startUp(&error));
        QCOMPARE(error, QStringLiteral("Your database is not supported by this software.\n"
                                       "\tDatabase format: %1\n\tFormats this software reads: "
                                       "204 to 206, 300 to 310, 411 to 499")
                            .arg(version));
        QVERIFY(!BXSqlDb::isUp());
    }
    QVERIFY(UserDbTestEnv::safetyCopies().isEmpty());
    QCOMPARE(readFile(UserDbTestEnv::databaseFile()), before);
}

void TestSchema::unreadableFileIsRefused()
{
    QVERIFY(QDir().mkpath(UserDbTestEnv::databaseFolder()));
    QVERIFY(writeFile(UserDbTestEnv::databaseFile(), QByteArray(4096, '\x5a')));
    QString error;
    QVERIFY(!UserDbTestEnv::startUp(&error));
    QVERIFY2(error.startsWith(QStringLiteral("Cannot start program as database may be corrupted: ")
                              + UserDbTestEnv::databaseFile() + QStringLiteral(" cannot be read")),
             qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("restore your latest backup")), qPrintable(error));
    QVERIFY(!BXSqlDb::isUp());
    QVERIFY(UserDbTestEnv::safetyCopies().isEmpty());
}

void TestSchema::olderFormatIsRefused()
{
    QVERIFY(QDir().mkpath(UserDbTestEnv::databaseFolder()));
    const QByteArray older = Sqlite2Header + QByteArray(1000, '\x01');
    QVERIFY(writeFile(UserDbTestEnv::databaseFile(), older));
    QVERIFY(DiaryHeader::isOlderFormat(UserDbTestEnv::databaseFile()));

    QString error;
    QVERIFY(!UserDbTestEnv::startUp(&error));
    QVERIFY(!BXSqlDb::isUp());
    QVERIFY2(error.startsWith(QStringLiteral("Could not locate, or create, the user's database (")
                              + UserDbTestEnv::databaseFile() + QStringLiteral("):\n")),
             qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("SQLite 2.1")), qPrintable(error));
    QCOMPARE(readFile(UserDbTestEnv::databaseFile()), older);
    QVERIFY(UserDbTestEnv::safetyCopies().isEmpty());
}

void TestSchema::badFileIsRefusedUnchanged_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    const QString corrupted =
        QStringLiteral("Cannot start program as database may be corrupted: %1 cannot be read as "
                       "a diary.\n\nThe file has been left as it is.");
    QTest::newRow("truncated") << "truncated" << corrupted;
    QTest::newRow("random bytes") << "random" << corrupted;
    QTest::newRow("other database") << "other" << corrupted;
    QTest::newRow("read-only") << "read-only"
                               << QStringLiteral("Could not locate, or create, the user's database (%1):\n"
                                                 "The diary %1 exists, but this account may not read and write it.");
    // A busy file is never called damaged.
    QTest::newRow("held by another program")
        << "held" << QStringLiteral("Your diary %1 is in use by another program");
    QTest::newRow("a folder in its place") << "folder"
                                           << QStringLiteral("Could not locate, or create, the user's database (%1):\n"
                                                             "Your diary %1 is a folder, not a file.");
    // A fault of the system is told with its reason, never as damage.
    QTest::newRow("two opens refused, too many files open")
        << "refused" << QStringLiteral("Your diary %1 cannot be read now: unable to open database file");
    // A sound file is never called damaged for the value it holds.
    QTest::newRow("a version of text") << "version 'abc'"
                                       << QStringLiteral("Your diary %1 cannot be opened: the diary's format version 'abc' is not a number");
    QTest::newRow("a version of NULL") << "version NULL"
                                       << QStringLiteral("Your diary %1 cannot be opened: the diary stores no format version");
    QTest::newRow("no room for the upgrade's copies")
        << "no room"
        << QStringLiteral("Your database %1 could not be brought up to date and has been left as "
                          "it was:\n");
    // What a restore kept goes back only whole; a diary holding nothing beside it is never replaced.
    QTest::newRow("data kept by a restore, cut short")
        << ".before-restore" << QStringLiteral("Your data, kept in %1.before-restore while a restore ran, is not a whole diary (");
    QTest::newRow("empty diary beside the data a finished restore replaced")
        << ".restore-finished" << QStringLiteral("Your diary %1 holds nothing, while %1.restore-finished beside it");
    // Nothing runs on a diary whose schema is not the program's own.
    for (const ForeignSchema& foreign : ForeignSchemas)
        QTest::newRow(foreign.name) << QStringLiteral("schema\n") + QLatin1String(foreign.statements)
                                    << QStringLiteral("Your diary %1 is not one that this program makes, so "
                                                      "nothing of it has been used: ") + QLatin1String(foreign.named);
    QTest::newRow(UnknownCollation.name) << QStringLiteral("schema\n") + QLatin1String(UnknownCollation.statements)
                                    << QStringLiteral("Your diary %1 is not one that this program makes, so "
                                                      "nothing of it has been used: ") + QLatin1String(UnknownCollation.named);
}

void TestSchema::badFileIsRefusedUnchanged()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QVERIFY(QDir().mkpath(UserDbTestEnv::databaseFolder()));
    const QString path = UserDbTestEnv::databaseFile();
    QByteArray data;
    if (kind == QLatin1String("truncated"))
        data = truncatedDatabase();
    else if (kind == QLatin1String("random"))
        data = randomBytes();
    else if (kind == QLatin1String("other"))
        data = otherDatabase(path);
    else
        data = readFile(BXSettings::getResourceDBPath() + "userdata.db");
    QVERIFY(!data.isEmpty());
    QVERIFY(kind == QLatin1String("folder") ? QDir().mkdir(path) : writeFile(path, data));
    const QString kept = kind.startsWith(QLatin1Char('.')) ? path + kind : QString();
    const bool readOnly = kind == QLatin1String("read-only");
    if (readOnly)
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    std::optional<OtherReader> other;
    if (kind == QLatin1String("held") || kind == QLatin1String("no room") || kind == QLatin1String("refused")
        || kind.startsWith(QLatin1String("version")) || kind.startsWith(QLatin1String("schema")) || !kept.isEmpty()) {
        // A diary that opens.
        QVERIFY(UserDbTestEnv::startUp());
        BXSqlDb::cleanUp();
    }
    QVERIFY(!kind.startsWith(QLatin1String("schema\n")) || UserDbTestEnv::runOn(path, kind.split(QLatin1Char('\n')).mid(1)));
    const bool finished = kind == QLatin1String(".restore-finished");
    QVERIFY(kept.isEmpty() || writeFile(kept, finished ? readFile(path) : truncatedDatabase()));
    QVERIFY(!finished || writeFile(path, QByteArray()));
    const QByteArray keptData = kept.isEmpty() ? QByteArray() : readFile(kept);
    if (kind == QLatin1String("held")) {
        other.emplace(path, OtherReader::Hold::Exclusive);
        QVERIFY(other->reading());
    } else if (kind == QLatin1String("no room")) {
        QVERIFY(UserDbTestEnv::runOn(path, {QStringLiteral(
            "UPDATE userdata_meta SET itemvalue = 411 WHERE itemkey = 'schema_version'")}));
        FileCopy::setFreeSpaceProbe([](const QString&) { return qint64(4096); });
    } else if (kind.startsWith(QLatin1String("version"))) {
        QVERIFY(UserDbTestEnv::runOn(path, {QStringLiteral(
            "UPDATE userdata_meta SET itemvalue = %1 WHERE itemkey = 'schema_version'").arg(kind.mid(8))}));
    }
    data = readFile(path);
    const QFile::Permissions modes = QFileInfo(path).permissions();
    BXSqlDb::setBusyTimeout(100);

    QString error;
    StoreResult::Kind told = StoreResult::Kind::Done;
    s_refusedOpens = kind == QLatin1String("refused") ? 2 : 0;
    const bool started = UserDbTestEnv::startUp(&error, &told);
    s_refusedOpens = 0;
    other.reset();
    FileCopy::setFreeSpaceProbe({});
    BXSqlDb::setBusyTimeout(10000);
    QVERIFY(!started);
    QVERIFY2(error.startsWith(reason.arg(path)), qPrintable(error));
    QCOMPARE(told == StoreResult::Kind::Busy, kind == QLatin1String("held"));
    // Only damage offers to restore a backup in the diary's place.
    QCOMPARE(told == StoreResult::Kind::Damaged, reason.startsWith(QLatin1String("Cannot start")));
    QVERIFY(!BXSqlDb::isUp());
    QCOMPARE(readFile(path), data);
    QVERIFY(QFileInfo(path).exists());
    QCOMPARE(QFileInfo(path).permissions(), modes);
    QDir().rmdir(path);
    QVERIFY(kept.isEmpty() || (readFile(kept) == keptData && QFile::remove(kept)));
    QVERIFY(UserDbTestEnv::safetyCopies().isEmpty());
    if (readOnly)
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
}

void TestSchema::leftoverWorkingCopiesAreRemoved_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("firstRun");
    QTest::newRow("template copy cut short") << ".firstrun" << true;
    QTest::newRow("interrupted restore") << ".restoring" << false;
    QTest::newRow("interrupted upgrade") << ".upgrading" << false;
    QTest::newRow("data kept during a restore") << ".before-restore" << false;
}

// A process killed while it copies the database leaves its working copy behind; the next start
// neither stumbles on it nor keeps it. The data kept during a restore goes back in place of the
// restored copy.
void TestSchema::leftoverWorkingCopiesAreRemoved()
{
    QFETCH(QString, suffix);
    QFETCH(bool, firstRun);
    QVERIFY(QDir().mkpath(UserDbTestEnv::databaseFolder()));
    QByteArray live;
    if (!firstRun) {
        QVERIFY(UserDbTestEnv::startUp());
        BXSqlDb::cleanUp();
        live = readFile(UserDbTestEnv::databaseFile());
    }
    const QString leftover = UserDbTestEnv::databaseFile() + suffix;
    const bool kept = suffix == QLatin1String(DiaryLocation::SafetySuffix);
    if (kept) {
        QVERIFY(UserDbTestEnv::startUp());
        setVersion(499);
        BXSqlDb::cleanUp();
    }
    QVERIFY(writeFile(leftover, kept ? live : truncatedDatabase()));
    QVERIFY(writeFile(leftover + QStringLiteral("-journal"), randomBytes()));

    QString error;
    QVERIFY2(UserDbTestEnv::startUp(&error), qPrintable(error));
    QCOMPARE(DiaryVersion::read(), 412);
    QCOMPARE(RestoreStaging::takeUndone().isEmpty(), !kept);
    QVERIFY(!QFile::exists(leftover));
    QVERIFY(!QFile::exists(leftover + QStringLiteral("-journal")));
    BXSqlDb::cleanUp();
    if (!firstRun)
        QCOMPARE(readFile(UserDbTestEnv::databaseFile()), live);
}

void TestSchema::missingDiaryIndexesAreAdded()
{
    const QStringList indexes = {
        QStringLiteral("food_diary_user_date"), QStringLiteral("exer_diary_user_date"),
        QStringLiteral("user_checkins_weight"), QStringLiteral("user_checkins_chest"),
        QStringLiteral("user_checkins_waist"),  QStringLiteral("user_checkins_hip"),
        QStringLiteral("user_checkins_thigh"),  QStringLiteral("user_checkins_steps"),
        QStringLiteral("user_misc_activity"),   QStringLiteral("user_misc_goal"),
        QStringLiteral("food_diary_ref"),       QStringLiteral("food_mealplan_ref"),
        QStringLiteral("favorites_item")};
    QVERIFY(UserDbTestEnv::startUp());
    for (const QString& index : indexes)
        BXSqlDb::perform(QStringLiteral("DROP INDEX %1").arg(index).toUtf8().constData());
    BXSqlDb::cleanUp();
    QVERIFY(UserDbTestEnv::startUp());
    QCOMPARE(UserDbTestEnv::scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE "
                                                  "type = 'index' AND name IN ('%1')")
                                       .arg(indexes.join(QStringLiteral("', '"))))
                 .toInt(),
             int(indexes.size()));
    QVERIFY(UserDbTestEnv::safetyCopies().isEmpty());
}

void TestSchema::copyFileLimits()
{
    // A long diary outgrows the old 15 MB limit and must still be copied whole, over a
    // longer file already at the destination.
    const QString big = QDir::homePath() + QStringLiteral("/big.db");
    QFile file(big);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(15 * 1048576 + 3));
    QVERIFY(file.seek(15 * 1048576));
    QCOMPARE(file.write("end", 3), qint64(3));
    file.close();
    const QString destination = QDir::homePath() + QStringLiteral("/copy.db");
    QVERIFY(writeFile(destination, QByteArray(16 * 1048576, 'x')));
    QString reason;
    QVERIFY2(FileCopy::copy(big, destination, &reason), qPrintable(reason));
    QCOMPARE(readFile(destination), readFile(big));
    QFile::remove(big);

    const QString none = QDir::homePath() + QStringLiteral("/none");
    QVERIFY(!FileCopy::copy(none, destination, &reason));
    QCOMPARE(reason, none + QStringLiteral(" cannot be read: ") + QString::fromLocal8Bit(std::strerror(ENOENT)));
    const QString small = QDir::homePath() + QStringLiteral("/small.db");
    QVERIFY(writeFile(small, QByteArray(100, 's')));
    QVERIFY(!FileCopy::copy(small, QDir::homePath() + "/no/folder/copy.db", &reason));
    QCOMPARE(reason, "No file can be made in the folder " + QDir::homePath() + "/no/folder: "
                         + QString::fromLocal8Bit(std::strerror(ENOENT)));
    QVERIFY(FileCopy::copy(small, destination, &reason));
    QCOMPARE(readFile(destination), readFile(small));
}

void TestSchema::copyFileRemovesPartialCopy()
{
    // A file size limit stands in for a full disk: the write stops part way.
    const QString source = QDir::homePath() + QStringLiteral("/three.db");
    QVERIFY(writeFile(source, QByteArray(3 * 1048576, 'd')));
    const QString destination = QDir::homePath() + QStringLiteral("/partial.db");
    QString reason;
    bool copied = true;
    {
        const FileSizeLimit disk(1048576 + 512);
        QVERIFY(disk.isSet());
        copied = FileCopy::copy(source, destination, &reason);
    }
    QVERIFY(!copied);
    // The system's reason, and neither the copy nor its working name stays.
    QCOMPARE(reason, QString::fromLocal8Bit(std::strerror(EFBIG)));
    QCOMPARE(QDir::home().entryList({QStringLiteral("partial.db*")}), QStringList());

    // A copier killed while the disk of the ledger of working files is full (its own too) leaves
    // at most its working file, unnoted: made as the program makes them, a sweep of its folder
    // removes it.
    WorkingFile::keepLedger(QDir::homePath() + QStringLiteral("/working-files"));
    const pid_t copier = ::fork();
    if (copier == 0) {
        const FileSizeLimit full(1);
        WorkingFile copy(destination);
        ::_exit(copy.open(&reason) && copy.write("part", 4) ? 0 : 1);
    }
    QVERIFY(copier > 0 && ::waitpid(copier, nullptr, 0) == copier);
    WorkingFile::keepLedger(QString());
    FileCopy::removeWorkingCopies(QDir::homePath(), QStringLiteral("partial.db"));
    QCOMPARE(QDir::home().entryList({QStringLiteral("partial.db*")}), QStringList());

    // A ledger that cannot be read is told and left, and nothing it could not name is begun.
    const QString ledger = QDir::homePath() + QStringLiteral("/working-files");
    QCOMPARE(::mkfifo(QFile::encodeName(ledger).constData(), 0600), 0);
    const std::optional<QString> told = WorkingFile::keepLedger(ledger);
    QVERIFY(!FileCopy::copy(source, destination, &reason) && reason.endsWith(ledger + ", cannot be written: Not a regular file"));
    WorkingFile::keepLedger(QString());
    QVERIFY(told && told->contains(ledger + ", cannot be read: Not a regular file.") && QFile::remove(ledger));
}

namespace {

// The peak resident memory of this process in kB since it was last reset, or -1.
qint64 peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

bool resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

} // namespace

// Backup, restore and the safety copies copy a file of any size with little memory.
void TestSchema::copyKeepsMemoryFlat()
{
    constexpr qint64 Size = 96 * 1048576;
    const QString big = QDir::homePath() + QStringLiteral("/sparse.db");
    QFile file(big);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(Size));
    file.close();
    const QString destination = QDir::homePath() + QStringLiteral("/sparse-copy.db");
    if (!resetPeakResident() || peakResidentKb() < 0)
        QSKIP("The peak memory of the process cannot be measured here");
    const qint64 before = peakResidentKb();
    QString reason;
    QVERIFY2(FileCopy::copy(big, destination, &reason), qPrintable(reason));
    const qint64 grown = peakResidentKb() - before;
    QCOMPARE(QFileInfo(destination).size(), Size);
    QFile::remove(big);
    QFile::remove(destination);
    QVERIFY2(grown < 16 * 1024, qPrintable(QStringLiteral("%1 kB more").arg(grown)));
}

QTEST_MAIN(TestSchema)
#include "tst_schema.moc"
