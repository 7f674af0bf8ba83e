// The start of the program as its command line, its brand, its catalogue and its folders make it.

#include "tests/app/programruns.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/fooddbdynamic.h"
#include "core/exercisediaryitem.h"
#include "core/fooddiaryitem.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "userdb/bxsqldb.h"
#include "userdb/diaryheader.h"
#include "userdb/diarystart.h"
#include "userdb/userdb.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>

// The program's own start-up and shutdown steps, compiled in here so that they can be run
// in this process; its entry point is renamed out of the way of the test's.
#define main pantrelMain
#include "app/main.cpp"
#undef main

namespace {

// The ids whose values name the program, its folders and settings, a web address or a switch.
const char* const s_requiredBrandIds[] = {
    "brand_id", "app_name", "app_name_short",
    "web_registration_url", "mealplan_auth_url", "publish_auth_url", "metrics_auth_url",
    "datastore_compat", "chest_measurement_enabled", "waist_measurement_enabled",
    "hip_measurement_enabled", "thigh_measurement_enabled", "steps_measurement_enabled",
    "mealplans_enabled", "publish_enabled",
    "default_measurement_units", "default_energy_units", "www_count",
};

// Every file and folder below the run's folders, with a digest of each file's bytes.
QMap<QString, QByteArray> filesOf(const ProgramHome& home)
{
    QMap<QString, QByteArray> files;
    for (const char* folder : {"home", "config", "data", "runtime"}) {
        QDirIterator entries(home.path(folder),
                             QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                             QDirIterator::Subdirectories);
        while (entries.hasNext()) {
            QFile file(entries.next());
            files[file.fileName()] = file.open(QIODevice::ReadOnly)
                ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                : QByteArray("folder");
        }
    }
    return files;
}

}  // namespace

class TestStartup : public QObject, private ProgramRuns
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void helpPrintsTheUsage_data();
    void helpPrintsTheUsage();
    void badCommandLineExitsWithTheUsage_data();
    void badCommandLineExitsWithTheUsage();
    void unusableBrandEndsTheStart_data();
    void unusableBrandEndsTheStart();
    void damagedCatalogueEndsTheStart_data();
    void damagedCatalogueEndsTheStart();
    void updateModeWithoutUpdatesSaysSo();
    void cancelledFirstProfileExitsWithZero();
    void relativeUserDbPathIsIgnored_data();
    void relativeUserDbPathIsIgnored();
    void earlierVersionsSettingsFindTheDiary();
    void missingDataFolderIsNeverFilled_data();
    void missingDataFolderIsNeverFilled();
    void missingDataFolderEndsAStartWithoutBoxes();
    void longDataFolderIsNamed_data();
    void longDataFolderIsNamed();
    void filesArePrivate_data();
    void filesArePrivate();
    void startedServicesReachTheCatalogues();
};

void TestStartup::initTestCase()
{
    prepareRuns();
}

void TestStartup::cleanupTestCase()
{
    endRuns();
}

void TestStartup::helpPrintsTheUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << true;
    QTest::newRow("-h after a good one")
        << QStringList{QStringLiteral("-updatedb"), QStringLiteral("-h")} << true;
    QTest::newRow("--help without a display") << QStringList{QStringLiteral("--help")} << false;
}

// Help is printed and nothing else happens: no user data, no box, no display needed.
void TestStartup::helpPrintsTheUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    ProgramHome home;
    QProcessEnvironment environment = home.environment();
    if (!display) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    }
    const Result result = run(home, arguments, environment);
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 0);
    QVERIFY2(result.output.startsWith(QStringLiteral("Usage: pantrel")), qPrintable(result.output));
    QVERIFY(result.output.contains(QStringLiteral("-updatedb")));
    QVERIFY(result.output.contains(QStringLiteral("-resourcedir")));
    QVERIFY2(result.errors.isEmpty(), qPrintable(result.errors));
    QVERIFY(!QFileInfo::exists(userDbFolder(home) + QStringLiteral("userdata.db")));
}

void TestStartup::badCommandLineExitsWithTheUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown") << QStringList{QStringLiteral("-bogus")}
                             << QStringLiteral("Unknown argument: -bogus");
    QTest::newRow("unknown without a display")
        << QStringList{QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("-display"),
                       QStringLiteral(":9999"), QStringLiteral("-bogus")}
        << QStringLiteral("Unknown argument: -bogus");
    QTest::newRow("unknown after a good one")
        << QStringList{QStringLiteral("-updatedb"), QStringLiteral("extra")}
        << QStringLiteral("Unknown argument: extra");
    QTest::newRow("help misspelt") << QStringList{QStringLiteral("--hlep")}
                                   << QStringLiteral("Unknown argument: --hlep");
    QTest::newRow("resourcedir without folder")
        << QStringList{QStringLiteral("-resourcedir")}
        << QStringLiteral("-resourcedir must be followed by a directory path");
    QTest::newRow("resourcedir twice")
        << QStringList{QStringLiteral("-resourcedir"), QStringLiteral("/"),
                       QStringLiteral("-resourcedir"), QStringLiteral("/")}
        << QStringLiteral("-resourcedir may be given only once");
    QTest::newRow("resourcedir mistyped")
        << QStringList{QStringLiteral("-resourcedir"), QStringLiteral("/nonexistent/")}
        << QStringLiteral("-resourcedir: there is no folder /nonexistent/");
}

// The message and the usage go to standard error, with exit code 2 and no abort.
void TestStartup::badCommandLineExitsWithTheUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    ProgramHome home;
    const Result result = run(home, arguments);
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 2);
    QVERIFY2(result.errors.startsWith(message + QLatin1Char('\n') + QStringLiteral("Usage: pantrel")),
             qPrintable(result.errors));
    QVERIFY(result.output.isEmpty());
    QVERIFY(!QFileInfo::exists(userDbFolder(home) + QStringLiteral("userdata.db")));
}

void TestStartup::unusableBrandEndsTheStart_data()
{
    QTest::addColumn<QString>("make");  // "none", "bytes", "pipe" or "edit"
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("root");
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");  // %1: the archive
    const QString found = QStringLiteral("%1 cannot be used. ");
    const QString noDocument = found + QStringLiteral("The archive holds no brand document.");
    const QString cut = found + QStringLiteral("The archive is cut short or damaged: it stops after %2 bytes, %3.");
    QByteArray noise(20000, '\0');
    QRandomGenerator(39).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    QFile shippedFile(BXSettings::getResourceDBPath() + QStringLiteral("brand.dat"));
    QVERIFY(shippedFile.open(QIODevice::ReadOnly));
    const QByteArray shipped = shippedFile.readAll();
    QTest::newRow("no brand.dat") << "none" << QByteArray() << "" << QStringList() << ""
                                  << QStringList() << QStringLiteral("Cannot find %1.");
    const QString noHeader = found + QStringLiteral("The archive is damaged: the block at byte %2 is no member's header.");
    QTest::newRow("random bytes") << "bytes" << noise << "" << QStringList() << ""
                                  << QStringList() << noHeader.arg("%1", "0");
    QTest::newRow("random bytes, -updatedb")
        << "bytes" << noise << "" << QStringList() << "" << QStringList{"-updatedb"}
        << noHeader.arg("%1", "0");
    QTest::newRow("empty file") << "bytes" << QByteArray() << "" << QStringList() << ""
                                << QStringList() << cut.arg("%1", "0", "before its end");
    QTest::newRow("empty archive") << "bytes" << QByteArray(1024, '\0') << "" << QStringList()
                                   << "" << QStringList() << noDocument;
    for (const int length : {9000, 50000, 100000}) {
        QTest::addRow("cut at %d", length)
            << "bytes" << shipped.left(length) << "" << QStringList() << "" << QStringList()
            << cut.arg("%1", QString::number(length), "inside a member");
    }
    QTest::newRow("cut after a member")
        << "bytes" << shipped.left(shipped.size() - 1024) << "" << QStringList() << ""
        << QStringList() << cut.arg("%1", QString::number(shipped.size() - 1024), "before its end");
    QByteArray unparsable = shipped;
    unparsable.replace(unparsable.indexOf("</brand>"), 8, "</brond>");
    QTest::newRow("names.xml that does not parse")
        << "bytes" << unparsable << "" << QStringList() << "" << QStringList()
        << found + QStringLiteral("The brand document names.xml in the archive cannot be read at line ");
    QTest::newRow("a pipe") << "pipe" << QByteArray() << "" << QStringList() << ""
                            << QStringList()
                            << found + QStringLiteral("The brand archive cannot be opened: Not a regular file.");
    QTest::newRow("no brand document") << "edit" << QByteArray() << "branding" << QStringList()
                                       << "" << QStringList() << noDocument;
    for (const char* id : s_requiredBrandIds) {
        QTest::addRow("without %s", id)
            << "edit" << QByteArray() << "brand" << QStringList{QString::fromLatin1(id)} << ""
            << QStringList()
            << found + QStringLiteral("The brand lacks the id '%1'.").arg(QLatin1String(id));
    }
    QTest::newRow("without brand_id, -updatedb")
        << "edit" << QByteArray() << "brand" << QStringList{"brand_id"} << ""
        << QStringList{"-updatedb"}
        << found + QStringLiteral("The brand lacks the id 'brand_id'.");
    QTest::newRow("web section without its address")
        << "edit" << QByteArray() << "brand" << QStringList{"www_count"}
        << "<int id='www_count' value='1'/>" << QStringList()
        << found + QStringLiteral("The brand lacks the id 'www_url_1'.");
    QTest::newRow("updates without their feed")
        << "edit" << QByteArray() << "brand" << QStringList{"update_enabled", "update_rss_url"}
        << "<bool id='update_enabled' value='true'/>" << QStringList()
        << found + QStringLiteral("The brand lacks the id 'update_rss_url'.");
    QTest::newRow("switch defined as a text")
        << "edit" << QByteArray() << "brand" << QStringList{"datastore_compat"}
        << "<string id='datastore_compat' value='false'/>" << QStringList()
        << found + QStringLiteral("The brand lacks the id 'datastore_compat'.");
    QTest::newRow("blank brand id")
        << "edit" << QByteArray() << "brand" << QStringList{"brand_id"}
        << "<string id='brand_id' value='  '/>" << QStringList()
        << found + QStringLiteral("The brand's id 'brand_id' is blank.");
    QTest::newRow("brand id naming a path")
        << "edit" << QByteArray() << "brand" << QStringList{"brand_id"}
        << "<string id='brand_id' value='../Elsewhere'/>" << QStringList()
        << found + QStringLiteral("The brand's id 'brand_id' names no folder: '../Elsewhere'.");
}

// A resource folder whose brand cannot serve the program (a damaged install, a mistyped
// -resourcedir) ends the start naming the archive and the fault, before any file or folder is
// made: the user's diary is never hidden behind a new one.
void TestStartup::unusableBrandEndsTheStart()
{
    QFETCH(QString, make);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, root);
    QFETCH(QStringList, dropped);
    QFETCH(QString, added);
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    ProgramHome home;
    QTemporaryDir resources;
    const QString folder = resources.path() + QLatin1Char('/');
    if (make == QLatin1String("bytes")) {
        QFile archive(folder + QStringLiteral("brand.dat"));
        QVERIFY(archive.open(QIODevice::WriteOnly) && archive.write(bytes) == bytes.size());
    } else if (make == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(folder + QStringLiteral("brand.dat")).constData(), 0600), 0);
    } else if (make == QLatin1String("edit")) {
        QVERIFY(writeEditedBrand(folder, root, dropped, added));
    }
    QVERIFY(QFile::copy(BXSettings::getResourceDBPath() + QStringLiteral("userdata.db"),
                        userDbFolder(home) + QStringLiteral("userdata.db")));
    {
        QSettings settings(settingsFile(home), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Pantrel/windowWidth"), 600);
    }
    const QMap<QString, QByteArray> before = filesOf(home);
    const Result result =
        run(home, QStringList{QStringLiteral("-resourcedir"), folder} + arguments);
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 1);
    const QString advice = QStringLiteral(" Install the program again, or give the folder that "
                                          "holds its files with -resourcedir.");
    const QString expected = message.arg(folder + QStringLiteral("brand.dat"));
    // A reason that quotes the XML parser is checked up to the parser's words.
    QVERIFY2(result.errors.contains(expected.endsWith(QLatin1Char(' ')) ? expected : expected + advice),
             qPrintable(result.errors));
    QVERIFY2(!result.errors.contains(QStringLiteral("Couldn't find id")),
             qPrintable(result.errors));
    QVERIFY(!result.errors.contains(QStringLiteral("Fatal")));
    QCOMPARE(filesOf(home), before);
}

void TestStartup::damagedCatalogueEndsTheStart_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("random bytes") << QByteArray(8192, 'x') << QStringLiteral("static.db is corrupt (bad header)");
    // A null array stands for a pipe in the catalogue's place.
    QTest::newRow("a pipe") << QByteArray() << QStringLiteral("static.db: Not a regular file.");

    // The shipped catalogue with its first food ranked in a group that is no category.
    QFile shipped(BXSettings::getResourceDBPath() + QStringLiteral("static.db"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QByteArray unknownGroup = shipped.readAll();
    quint32 foodId = 0;
    {
        const StaticDB foods(StaticDB::FOOD_CHUNK);
        const unsigned char* file = foods.getMappingEnd() - unknownGroup.size();
        for (const BrowsableDBItem& item : foods.getItems()) {
            if (item.data && !foodId) {
                foodId = item.id;
                qToBigEndian(quint32(0xFFFFFF7F), unknownGroup.data() + (item.data - file));
            }
        }
    }
    QVERIFY(foodId);
    QTest::newRow("food of an unknown ranking group")
        << unknownGroup
        << QStringLiteral("(food %1 ranks in group 4294967167, which is no category)").arg(foodId);
}

// A resource folder with a damaged catalogue ends the start with the reason, never an abort.
void TestStartup::damagedCatalogueEndsTheStart()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    ProgramHome home;
    const QString folder = home.path("home") + QStringLiteral("/resources/");
    QVERIFY(QDir().mkpath(folder));
    for (const char* name : {"brand.dat", "userdata.db", "tips.dat"})
        QVERIFY(QFile::copy(BXSettings::getResourceDBPath() + QLatin1String(name),
                            folder + QLatin1String(name)));
    QFile catalogue(folder + QStringLiteral("static.db"));
    if (bytes.isNull()) {
        QCOMPARE(::mkfifo(QFile::encodeName(catalogue.fileName()).constData(), 0600), 0);
    } else {
        QVERIFY(catalogue.open(QIODevice::WriteOnly));
        catalogue.write(bytes);
        catalogue.close();
    }
    const Result result = run(home, {QStringLiteral("-resourcedir"), folder});
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 1);
    QVERIFY2(result.errors.contains(QStringLiteral("Database initialization error"))
                 && result.errors.contains(reason),
             qPrintable(result.errors));
    QVERIFY(!result.errors.contains(QStringLiteral("Fatal")));
}

void TestStartup::updateModeWithoutUpdatesSaysSo()
{
    ProgramHome home;
    const Result result = run(home, {QStringLiteral("-resourcedir"),
                                     BXSettings::getResourceDBPath(), QStringLiteral("-updatedb")});
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 0);
    QVERIFY2(result.errors.contains(
                 QStringLiteral("Sorry, this product does not support database updates.")),
             qPrintable(result.errors));
    QVERIFY(!QFileInfo::exists(userDbFolder(home) + QStringLiteral("userdata.db")));
}

void TestStartup::cancelledFirstProfileExitsWithZero()
{
    ProgramHome home;
    QProcess process;
    process.setProcessEnvironment(home.environment());
    process.start(programPath(), QStringList());
    // The profile wizard of an empty database is running once messages are taken.
    QVERIFY(waitUntilListening(home.path("runtime"), process));
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(RunMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(QString::fromLocal8Bit(process.readAllStandardError())
                .contains(QStringLiteral("User creation canceled.")));
}

void TestStartup::relativeUserDbPathIsIgnored_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("empty") << QString();
    QTest::newRow("relative") << QStringLiteral("mine/db");
    QTest::newRow("dot") << QStringLiteral(".");
}

// A folder that is not absolute would put the database wherever the program was started.
void TestStartup::relativeUserDbPathIsIgnored()
{
    QFETCH(QString, stored);
    ProgramHome home;
    const QString ownIni = BXSettings().fileName();
    {
        BXSettings settings;
        settings.writeEntry(QStringLiteral("/admin/userdbpath"), stored);
    }
    const QString ini = QDir(home.path("config")).filePath(
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).relativeFilePath(ownIni));
    QVERIFY(QDir().mkpath(QFileInfo(ini).path()));
    QVERIFY(QFile::copy(ownIni, ini));
    {
        BXSettings settings;
        settings.removeEntry(QStringLiteral("/admin/userdbpath"));
    }
    QTemporaryDir workingFolder;
    QProcess program;
    program.setProcessEnvironment(home.environment());
    program.setWorkingDirectory(workingFolder.path());
    program.start(programPath(), QStringList());
    QVERIFY(waitUntilListening(home.path("runtime"), program));
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(RunMs));
    QVERIFY(QFileInfo::exists(userDbFolder(home) + QStringLiteral("userdata.db")));
    QDirIterator stray(workingFolder.path(), {QStringLiteral("userdata*")}, QDir::Files,
                       QDirIterator::Subdirectories);
    QVERIFY(!stray.hasNext());
}

// An earlier version kept its data and settings under the maker's name, and its settings name
// that data folder. The start moves both, the settings follow the move, the diary is found, and
// the next start runs too.
void TestStartup::earlierVersionsSettingsFindTheDiary()
{
    const StoreResult start = DiaryStart::startUp(true);
    QVERIFY2(start, qPrintable(start.message()));
    QVERIFY(addCompleteUser(QStringLiteral("Olga")) >= 0);
    UserDB::cleanUp();
    BXSqlDb::cleanUp();

    ProgramHome home;
    const QString brand = BrandEngine::instance()->getString("brand_id");
    const QString domain = QLatin1String(BXSettings::MAKER_DOMAIN);
    const QString oldData = home.path("data") + QStringLiteral("/%1/Pantrel/%2").arg(domain, brand);
    const QString oldIni = home.path("config") + QStringLiteral("/%1/Pantrel/%2.ini").arg(domain, brand);
    QVERIFY(QDir().mkpath(oldData));
    QVERIFY(QFile::copy(BXSettings::getUserDBPath() + QStringLiteral("userdata.db"),
                        oldData + QStringLiteral("/userdata.db")));
    {
        QSettings old(oldIni, QSettings::IniFormat);
        old.setValue(brand + QStringLiteral("/admin/userdbpath"), oldData);
    }
    for (int start = 0; start < 2; ++start) {
        QProcess program;
        program.setProcessEnvironment(home.environment());
        program.start(programPath(), QStringList());
        QVERIFY2(waitUntilListening(home.path("runtime"), program),
                 program.readAllStandardError().constData());
        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(RunMs));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(oldData));
    }
    const QString folder = userDbFolder(home);
    QCOMPARE(QSettings(settingsFile(home), QSettings::IniFormat)
                 .value(brand + QStringLiteral("/admin/userdbpath")).toString(),
             QDir::cleanPath(folder));
    QStringList names;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("moved"));
        db.setDatabaseName(folder + QStringLiteral("userdata.db"));
        QVERIFY(db.open());
        QSqlQuery users(QStringLiteral("SELECT name FROM user_users"), db);
        while (users.next())
            names << users.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("moved"));
    QVERIFY2(names.contains(QStringLiteral("Olga")), qPrintable(names.join(u',')));
}

void TestStartup::missingDataFolderIsNeverFilled_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<bool>("folderLeft");
    QTest::addColumn<QString>("linkTo");  // where the diary in the folder links to, on the disk
    QTest::newRow("quit") << 0 << false << false << "";
    QTest::newRow("nothing answered") << -1 << false << false << "";
    QTest::newRow("default folder") << 1 << true << false << "";
    QTest::newRow("empty mount point, quit") << 0 << false << true << "";
    QTest::newRow("diary link to a file gone, quit") << 0 << false << true << "unplugged/old.db";
    QTest::newRow("diary link into a folder gone") << 0 << false << true << "gone/old.db";
}

// A stored folder that is gone names the folder and offers the default one; nothing is made
// in its place.
void TestStartup::missingDataFolderIsNeverFilled()
{
    QFETCH(int, answer);
    QFETCH(bool, starts);
    QFETCH(bool, folderLeft);
    QFETCH(QString, linkTo);
    QTemporaryDir disk;
    const QString gone = disk.path() + QStringLiteral("/unplugged/diary");
    const QString target = disk.path() + QLatin1Char('/') + linkTo;
    if (folderLeft)
        QVERIFY(QDir().mkpath(gone));
    if (!linkTo.isEmpty())
        QVERIFY(QFile::link(target, gone + QStringLiteral("/userdata.db")));
    {
        BXSettings settings;
        settings.writeEntry(QLatin1String(BXSettings::UserDBPathKey), gone);
    }
    ScriptedPrompter prompter;
    if (answer >= 0)
        prompter.answer(answer);
    const bool found = findUserData(&prompter);
    const QString stored = BXSettings::storedUserDBPath();
    BXSettings::forgetUserDBPath();
    QCOMPARE(found, starts);
    QCOMPARE(prompter.asked.size(), 1);
    const QString told = linkTo.isEmpty() ? QStringLiteral("Your diary cannot be found in the folder ") + gone
                                          : QStringLiteral("Your diary %1/userdata.db is a link to %2").arg(gone, target);
    QVERIFY2(prompter.lastText().contains(told + QStringLiteral(",")), qPrintable(prompter.lastText()));
    QVERIFY(!linkTo.isEmpty() || prompter.lastText().contains(BXSettings::getDirData()));
    QCOMPARE(stored, starts ? QString() : gone);
    QCOMPARE(QFileInfo::exists(disk.path() + QStringLiteral("/unplugged")), folderLeft);
    QVERIFY(!QFileInfo::exists(gone + QStringLiteral("/userdata.db")));
    QVERIFY(linkTo.isEmpty() || !QFileInfo::exists(target));
}

// Where no box can be answered, the start ends naming the folder.
void TestStartup::missingDataFolderEndsAStartWithoutBoxes()
{
    ProgramHome home;
    const QString gone = home.path("home") + QStringLiteral("/unplugged/diary");
    QSettings ini(settingsFile(home), QSettings::IniFormat);
    ini.setValue(BrandEngine::instance()->getString("brand_id") + QStringLiteral("/admin/userdbpath"), gone);
    ini.sync();
    const Result result = run(home, {});
    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.code, 1);
    QVERIFY2(result.errors.contains(QStringLiteral("Your diary cannot be found in the folder ") + gone + QStringLiteral(",")),
             qPrintable(result.errors));
    QVERIFY(!QFileInfo::exists(home.path("home") + QStringLiteral("/unplugged")));
    QVERIFY(!QFileInfo::exists(userDbFolder(home) + QStringLiteral("userdata.db")));
}

void TestStartup::longDataFolderIsNamed_data()
{
    QTest::addColumn<int>("beyond"); // bytes by which the diary's journal's path passes SQLite's limit
    QTest::newRow("one below the length refused") << 0;
    QTest::newRow("at the length refused") << 1;
    QTest::newRow("one above") << 2;
}

// A data folder too deep for the database is named before anything is made in it, or on its way.
void TestStartup::longDataFolderIsNamed()
{
    QFETCH(int, beyond);
    ProgramHome home;
    const QString inData = QStringLiteral("/%1/userdata.db").arg(_dataRelative);
    const qsizetype length = sqlite3_vfs_find(nullptr)->mxPathname - 8 + beyond - inData.size();
    QString data = home.path("data");
    while (length - data.size() > 201)
        data += QLatin1Char('/') + QString(150, QLatin1Char('p'));
    data += QLatin1Char('/') + QString(length - data.size() - 1, QLatin1Char('p'));
    const QString diary = data + inData;
    QProcessEnvironment environment = home.environment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(programPath(), QStringList());
    if (beyond == 0) {
        QVERIFY(waitUntilListening(home.path("runtime"), program));
        ::kill(pid_t(program.processId()), SIGTERM);
    }
    QVERIFY(program.waitForFinished(RunMs));
    QCOMPARE(program.exitCode(), beyond == 0 ? 0 : 1);
    QCOMPARE(QFileInfo::exists(diary), beyond == 0);
    QCOMPARE(QFileInfo::exists(data), beyond == 0);
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(beyond == 0 || errors.contains(QStringLiteral("The folder %1 has too long a path").arg(QFileInfo(diary).path())),
             qPrintable(errors));
}

void TestStartup::filesArePrivate_data()
{
    QTest::addColumn<bool>("earlierVersion");
    QTest::addColumn<bool>("chosenFolder");
    QTest::addColumn<bool>("rememberedBackups");
    QTest::addColumn<bool>("sharedBackups");
    QTest::newRow("first start") << false << false << false << false;
    QTest::newRow("files of an earlier version") << true << false << false << false;
    QTest::newRow("files of an earlier version in a chosen folder") << true << true << false << false;
    QTest::newRow("a backup cut short where a user backed up") << true << false << true << false;
    QTest::newRow("a shared backup folder the user chose") << true << false << false << true;
    QTest::newRow("links to what a group shares") << false << false << false << false;
}

// No other account can read the diary, its backups, its lock, the settings or the file
// dialogs' history that a first start makes; what was there, and what links point to, keeps
// its modes. Copies cut short are gone, also in the folder a user last backed up to.
void TestStartup::filesArePrivate()
{
    QFETCH(bool, earlierVersion);
    QFETCH(bool, chosenFolder);
    QFETCH(bool, rememberedBackups);
    QFETCH(bool, sharedBackups);
    const bool linked = QTest::currentDataTag() == QLatin1String("links to what a group shares");
    ProgramHome home;
    const QString brand = BrandEngine::instance()->getString("brand_id");
    const QString data = chosenFolder ? home.path("home") + QStringLiteral("/My Diary")
                                      : QDir(home.path("data")).filePath(_dataRelative);
    const QString backups = home.path("home") + QStringLiteral("/Documents/%1 Backups").arg(brand);
    const QString remembered = home.path("home") + QStringLiteral("/Elsewhere");
    const QString settings = settingsFile(home);
    const QString dialogHistory = home.path("config") + QStringLiteral("/QtProject.conf");
    const QFile::Permissions open = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                    | QFile::ReadOther;
    const QFile::Permissions openFolder = open | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QStringList leftovers{data + QStringLiteral("/userdata.260101-120000.partial"),
                          backups + QStringLiteral("/20260101.ptBackup.partial")};
    if (rememberedBackups)
        leftovers << remembered + QStringLiteral("/20260102.ptBackup.partial");
    const QString wholeBackup = remembered + QStringLiteral("/20260101.ptBackup");
    const QString theirs = backups + QStringLiteral("/theirs.ptBackup.partial");
    const QString shared = home.path("home") + QStringLiteral("/Shared");
    if (earlierVersion) {
        QVERIFY(QDir().mkpath(data));
        QVERIFY(QDir().mkpath(backups));
        QVERIFY(QDir().mkpath(remembered));
        QVERIFY(QDir().mkpath(QFileInfo(settings).path()));
        for (const QString& copy : {data + QStringLiteral("/userdata.db"),
                                    backups + QStringLiteral("/20250101.ptBackup"), wholeBackup})
            QVERIFY(QFile::copy(BXSettings::getResourceDBPath() + QStringLiteral("userdata.db"), copy));
        // Made as the program makes its working files; one of the user's own of such a name stays.
        for (const QString& leftover : leftovers)
            QVERIFY(QFile::copy(BXSettings::getResourceDBPath() + QStringLiteral("userdata.db"), leftover)
                    && QFile::setPermissions(leftover, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::copy(BXSettings::getResourceDBPath() + QStringLiteral("userdata.db"), theirs));
        QFile ini(settings);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Pantrel]\nwindowWidth=600\n");
        ini.close();
        QFile history(dialogHistory);
        QVERIFY(history.open(QIODevice::WriteOnly));
        history.write("[FileDialog]\nlastVisited=file:///backups\n");
        history.close();
        if (chosenFolder) {
            QSettings stored(settings, QSettings::IniFormat);
            stored.setValue(brand + QStringLiteral("/admin/userdbpath"), data);
        }
        if (rememberedBackups) {
            const QString diary = data + QStringLiteral("/userdata.db");
            QVERIFY(DiaryHeader::fixMagic(diary));
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("remembered"));
            db.setDatabaseName(diary);
            QVERIFY(db.open());
            QSqlQuery user(db);
            QVERIFY(user.exec(QStringLiteral("INSERT INTO user_users(user_id, name, backup_data_path) "
                                             "VALUES (0, 'Ada', '%1')").arg(remembered)));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("remembered"));
        if (sharedBackups) {
            QVERIFY(QDir().mkpath(shared) && QFile::copy(wholeBackup, shared + QStringLiteral("/1.ptBackup")));
            QVERIFY(::chmod(QFile::encodeName(shared).constData(), 02775) == 0);
            QVERIFY(::chmod(QFile::encodeName(shared + QStringLiteral("/1.ptBackup")).constData(), 0664) == 0);
            QSettings(settings, QSettings::IniFormat).setValue(brand + QStringLiteral("/dataBackupPath"), shared);
        }
        for (const QString& folder : {data, backups, QFileInfo(settings).path()})
            QVERIFY(QFile::setPermissions(folder, openFolder));
        for (const QString& file : {data + QStringLiteral("/userdata.db"), settings,
                                    backups + QStringLiteral("/20250101.ptBackup"), dialogHistory})
            QVERIFY(QFile::setPermissions(file, open));
    }
    // The data folder, the settings folder, the diary and the settings file link to a group's.
    const QString group = home.path("home") + QStringLiteral("/Group/");
    if (linked) {
        QVERIFY(QDir().mkpath(group + "data") && QDir().mkpath(group + "settings") && QDir().mkpath(QFileInfo(data).path())
                && QDir().mkpath(QFileInfo(QFileInfo(settings).path()).path()) && QFile(group + "pantrel.ini").open(QIODevice::WriteOnly)
                && QFile::copy(BXSettings::getResourceDBPath() + "userdata.db", group + "userdata.db"));
        for (const auto& [link, target, perms] : {std::tuple<QString, QString, int>{data, "data", 02775}, {QFileInfo(settings).path(), "settings", 02775},
                                                  {data + "/userdata.db", "userdata.db", 0664}, {settings, "pantrel.ini", 0644}})
            QVERIFY(QFile::link(group + target, link) && ::chmod(QFile::encodeName(group + target), perms) == 0);
    }
    auto mode = [](const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
    };
    QProcess program;
    program.setProcessEnvironment(home.environment());
    program.start(programPath(), QStringList());
    QVERIFY2(waitUntilListening(home.path("runtime"), program), program.readAllStandardError().constData());
    QCOMPARE(mode(data + QStringLiteral("/pantrel.lock")), 0600);
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(RunMs));

    // What the program made is private; what it found keeps its modes.
    QCOMPARE(mode(data), earlierVersion ? 0755 : linked ? 02775 : 0700);
    QCOMPARE(mode(data + QStringLiteral("/userdata.db")), earlierVersion ? 0644 : linked ? 0664 : 0600);
    QCOMPARE(mode(shared), sharedBackups ? 02775 : -1);
    QCOMPARE(mode(shared + QStringLiteral("/1.ptBackup")), sharedBackups ? 0664 : -1);
    // A first start may store no setting at all: defaults are read, not stored.
    const bool firstStart = !earlierVersion && !linked;
    if (!firstStart || QFileInfo::exists(settings)) {
        QCOMPARE(mode(QFileInfo(settings).path()), earlierVersion ? 0755 : linked ? 02775 : 0700);
        QCOMPARE(mode(settings), earlierVersion || linked ? 0644 : 0600);
    }
    if (earlierVersion) {
        QCOMPARE(mode(backups), 0755);
        QCOMPARE(mode(backups + QStringLiteral("/20250101.ptBackup")), 0644);
        QCOMPARE(mode(dialogHistory), 0644);
        QVERIFY(QFileInfo::exists(wholeBackup));
        QVERIFY(QFileInfo::exists(theirs));
    }
    for (const QString& leftover : leftovers)
        QVERIFY2(!QFileInfo::exists(leftover), qPrintable(leftover));
}

// The start-up connects the diary entries and user deletion to the catalogues; the shutdown
// releases the catalogues with the rest. Runs last: the shutdown closes the brand.
void TestStartup::startedServicesReachTheCatalogues()
{
    std::unique_ptr<QLockFile> lock;
    QVERIFY(startUserDatabase(lock, nullptr));
    const qint64 user = addCompleteUser(QStringLiteral("Cy"));
    QVERIFY(user >= 0);
    UserDB::instance()->setCurrentUser(user);
    FoodDBDynamic* foods = FoodDBDynamic::instance();
    DBTypes::FoodItem values;
    values.energy = 120.0f;
    const qint64 food = foods->createFood(foods->getRootForUser(user), QStringLiteral("Oat cake"),
                                       QStringLiteral("piece"), values);
    QVERIFY(food > 0);
    ExDBDynamic* exercises = ExDBDynamic::instance();
    const qint64 exercise = exercises->createExercise(exercises->getRootForUser(user),
                                                   QStringLiteral("Rowing"), 6.0f);
    QVERIFY(exercise > 0);

    DBTypes::FoodDiaryItem entry;
    entry.refId = food;
    QVERIFY(entry.loadFoodInfo(false));
    QCOMPARE(entry.desc, QStringLiteral("Oat cake"));
    QCOMPARE(entry.servingDesc, QStringLiteral("piece"));
    DBTypes::ExerciseDiaryItem burn;
    QVERIFY(burn.changeEx(exercise, 70.0f));
    QCOMPARE(burn.name, QStringLiteral("Rowing"));

    // Deleting the user takes the user's own foods and exercises along.
    QCOMPARE(UserDB::instance()->deleteUser(user), 0);
    QVERIFY(foods->getFoodName(food).isEmpty());
    QVERIFY(!exercises->getExercise(exercise));

    QPointer<MainWindow> window;
    shutDown(window);
    QVERIFY(!BXSqlDb::isUp());
    QVERIFY(!FoodDBDynamic::exists());
    QVERIFY(!ExDBDynamic::exists());
    QVERIFY(!RecipeProxyDB::instance(false));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
