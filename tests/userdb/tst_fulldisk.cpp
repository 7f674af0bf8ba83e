// A full disk, or another program holding the file, stops a change, never the program: the
// change is rolled back, the user is told why, the database stays sound, and the next change
// works once there is room again or the other program is done.

#include "storefixture.h"
#include "userdbtestenv.h"

#include "catalogue/fooddbdynamic.h"
#include "tests/support/otherreader.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "userdb/favoritesdb.h"
#include "userdb/savedmealdb.h"
#include "userdb/storeaction.h"
#include "userdb/usermeasurements.h"
#include "userdb/userdb.h"

#include <QtTest>

#include <functional>
#include <optional>
#include <utility>

namespace {

// Lets the database grow by no page at all: every change that needs room fails as on a
// full disk.
void fillTheDisk(bool full)
{
    const qint64 pages = UserDbTestEnv::scalar(QStringLiteral("PRAGMA page_count")).toLongLong();
    const QByteArray sql = "PRAGMA max_page_count = " + QByteArray::number(full ? pages : 1000000);
    BXSqlDb::perform(sql.constData());
}

DBTypes::UserProfile profile(const QString& name)
{
    DBTypes::UserProfile user;
    user.name = name;
    qstrcpy(user.created, "20260101");
    qstrcpy(user.dob, "19800101");
    user.sex = 1;
    user.height = 170.0f;
    return user;
}

// The changes a user makes, each in the store's own way: one statement, or several stored
// whole in one transaction.
enum Change {
    Checkin, DiaryEntry, SavedMeal, NewUser, Profile, Fluid, ClearDay, RemoveEntry, DeleteMeal,
    MoveMeal, InStep, DeleteUser, Favourite
};

DBTypes::FoodDiaryItem tea(qint64 user, const char* date = "20260301")
{
    DBTypes::FoodDiaryItem entry;
    entry.userId = user;
    entry.setDate(date);
    entry.meal = 1;
    entry.refId = 0;
    entry.desc = QStringLiteral("Tea");
    return entry;
}

// What the Personal Profile shows when it opens.
struct ProfileForm
{
    DBTypes::UserProfile profile;
    DBTypes::CheckinItem today;
    DBTypes::UserPrefs prefs;
};
// The form of the last prepare(Profile): made then, once the brand is loaded.
ProfileForm& profileForm()
{
    static ProfileForm form;
    return form;
}

// What a change works on, made or read before another program holds the file: an entry, a
// meal or a user; -1 when the change needs none.
int prepare(Change change, qint64 user)
{
    DBTypes::FoodDiaryItem entry = tea(user, "20260302");
    UserDB* users = UserDB::instance();
    switch (change) {
    case ClearDay:
    case RemoveEntry:
    case InStep:
        return DiaryDB::instance()->addFoodEntry(entry, true);
    case DeleteMeal:
    case MoveMeal:
        return SavedMealDB::instance()->storeMeal(user, -1, "Picnic", {entry}, true);
    case DeleteUser: {
        // Room in the household for the one leaving: the users that earlier rows added go.
        for (const DBTypes::UserProfile& added : users->getUsersList().value_or(QList<DBTypes::UserProfile>()))
            if (added.userId != user && users->deleteUser(added.userId) != 0)
                return -1;
        DBTypes::UserProfile leaving = profile(QStringLiteral("Leaving"));
        qint64 id = -1;
        return users->addUser(leaving, &id) ? id : -1;
    }
    case Profile:
        profileForm() = {users->getProfile(user).value_or(DBTypes::UserProfile()),
                         users->getCheckin(user, "20260305").value_or(DBTypes::CheckinItem()), users->getUserPrefs(user).value()};
        return -1;
    default:
        return -1;
    }
}

// Makes the change; `run` tells the attempts apart, so that each one changes the diary.
bool make(Change change, qint64 user, int subject, int run)
{
    DBTypes::FoodDiaryItem entry = tea(user);
    UserDB* users = UserDB::instance();
    switch (change) {
    case Checkin: {
        UserMeasurements set;
        set.set(UserMeasurements::Weight, 70.0f + float(run), true);
        return users->setDaysMeasurements(user, "20260310", set);
    }
    case DiaryEntry:
        return DiaryDB::instance()->addFoodEntry(entry, true) >= 0;
    case SavedMeal:
        return SavedMealDB::instance()->storeMeal(user, -1, "Breakfast", {entry}, true) >= 0;
    case NewUser: {
        DBTypes::UserProfile newcomer = profile(QStringLiteral("Newcomer"));
        return users->addUser(newcomer, nullptr);
    }
    case Profile: {
        // A new name, a new plan for the day and new preferences.
        ProfileForm form = profileForm();
        form.profile.name = QStringLiteral("Renamed %1").arg(run);
        form.today.activity = run % 3 + 1;
        form.today.hasActivity = true;
        form.today.goal = 1;
        form.today.hasGoal = true;
        form.today.setDietPlan(QStringLiteral("plan-%1").arg(run));
        form.prefs.summaryOptions = run;
        return users->storeProfileChange(&form.profile, form.today, form.prefs);
    }
    case Fluid:
        return users->setFluid(user, "20260301", run);
    case ClearDay:
        return DiaryDB::instance()->delDiaryEntries(user, QDate(2026, 3, 2), 0);
    case RemoveEntry:
        return DiaryDB::instance()->removeFoodEntry(user, subject, false);
    case DeleteMeal:
        return SavedMealDB::instance()->deleteMeal(subject, user);
    case MoveMeal:
        return SavedMealDB::instance()->reparentItem(subject, user, 1);
    case InStep:
        return DiaryDB::instance()->resetItemStatus(user);
    case DeleteUser:
        return users->deleteUser(subject) == 0;
    case Favourite:
        return FavoritesDB(user).addFavorite(FavoritesDB::ItemFlags(1), FavoritesDB::ItemId(100 + run));
    }
    return false;
}

// The readings of the store, each true when it read.
UserDB* users() { return UserDB::instance(); }
FoodDBDynamic* myFoods() { return FoodDBDynamic::instance(); }
int s_myFood = -1;
DiaryDB* diary() { return DiaryDB::instance(); }
const std::pair<const char*, std::function<bool(int)>> Readings[] = {
    {"weight", [](int u) { return users()->getWeight(u, "20260310", nullptr).has_value(); }},
    {"goal", [](int u) { return users()->getGoal(u, "20260310", nullptr).has_value(); }},
    {"target", [](int u) { return users()->getTarget(u, "20260310", "target_fat", nullptr).has_value(); }},
    {"check-in", [](int u) { return users()->getCheckin(u, "20260310").has_value(); }},
    {"note", [](int u) { return users()->getNote(u, "20260301").has_value(); }},
    {"has check-in", [](int u) { return users()->hasCheckin(u, "20260301").has_value(); }},
    {"may delete", [](int u) { return users()->canDelete(u, "20260301", "WEIGHT", "-1").has_value(); }},
    {"measurements", [](int u) { return users()->getDaysMeasurements(u, "20260310").has_value(); }},
    {"logins", [](int u) { return users()->getLoginsForDay(u, QStringLiteral("20260301")).has_value(); }},
    {"tip of the day", [](int u) { return users()->getTipOfTheDay(u).has_value(); }},
    {"tip shown", [](int u) { return users()->getTopicsShown(u).has_value(); }},
    {"columns", [](int u) { return users()->getColumnSettings(u).has_value(); }},
    {"backup folders", [](int) { return users()->getBackupPaths().has_value(); }},
    {"next user", [](int) { return users()->getNextUserID().has_value(); }},
    {"weights", [](int u) { return users()->getWeightList(u, "20260101", "20261231").has_value(); }},
    {"steps", [](int u) { return users()->getStepsList(u, "20260301", "20260303", UserDB::StepsPerDay).has_value(); }},
    {"weight for day", [](int u) { return users()->weightForDay(u, "20260310").has_value(); }},
    {"trend", [](int u) { return users()->getTrend(u, QStringLiteral("20260310")).has_value(); }},
    {"trends", [](int u) { return users()->getTrends(u, {QStringLiteral("20260310")}).has_value(); }},
    {"metrics", [](int u) { return users()->getLoginCounts(u) && users()->getFoodStats(u); }},
    {"deleted check-ins", [](int u) { return users()->getDeletedCheckinsForWeb(u).has_value(); }},
    {"changed water", [](int u) { return users()->getChangedFluidForWeb(u).has_value(); }},
    {"all days", [](int u) { return diary()->getAllDays(u, false).has_value(); }},
    {"month", [](int u) { return diary()->getAllDatesForMonth(u, QDate(2026, 3, 1), false).has_value(); }},
    {"changed days", [](int) { return diary()->getChangedDayList().has_value(); }},
    {"sums", [](int u) { return diary()->getNutrientInfo(u, "20260101", "20261231", 0).has_value(); }},
    {"saved meal", [](int) { return SavedMealDB::instance()->getSavedMealAsFoodItem(1).has_value(); }},
    {"private foods", [](int) { return SavedMealDB::instance()->foodsPrivateFrom(1, 2).has_value(); }},
    {"favourite", [](int u) { return FavoritesDB(u).isFavorite(FavoritesDB::ItemFlags(1), FavoritesDB::ItemId(7)).has_value(); }},
    {"my food's serving", [](int) { return !myFoods()->getServingItemList(s_myFood).empty(); }},
    // A tree that could not be read keeps what it showed.
    {"my foods", [](int) {
        const size_t shown = myFoods()->getItems().size();
        return myFoods()->reload(0, false) || myFoods()->getItems().size() != shown;
    }},
};

// Damages every page of the diary's tables on disk, the diary left open, until it ends; what
// the diary's connection kept of them is let go, so that the next reading meets the damage.
class DamagedPages
{
public:
    DamagedPages() : _file(UserDbTestEnv::databaseFile())
    {
        const int size = UserDbTestEnv::scalar(QStringLiteral("PRAGMA page_size")).toInt();
        BXSqlQuery pages("SELECT pageno FROM dbstat WHERE name <> 'sqlite_master'");
        QVERIFY(pages.readRows([&] { _pages.insert(qint64(pages.value(0).toLongLong() - 1) * size, {}); }));
        QVERIFY(_file.open(QIODevice::ReadWrite));
        for (auto page = _pages.begin(); page != _pages.end(); ++page) {
            QVERIFY(_file.seek(page.key()));
            page.value() = _file.read(size);
            QVERIFY(_file.seek(page.key()));
            QCOMPARE(_file.write(QByteArray(size, '\xff')), qint64(size));
        }
        forget();
    }
    ~DamagedPages()
    {
        for (auto page = _pages.cbegin(); page != _pages.cend(); ++page)
            _file.seek(page.key()) && _file.write(page.value());
        forget();
    }

private:
    void forget()
    {
        _file.flush();
        BXSqlDb::perform("PRAGMA shrink_memory");
    }

    QFile _file;
    QMap<qint64, QByteArray> _pages;
};

bool journalLeft()
{
    return QFile::exists(UserDbTestEnv::databaseFile() + QStringLiteral("-journal"));
}

} // namespace

class TestFullDisk : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        StoreFixture::loadBrand();
        QString error;
        QVERIFY2(UserDbTestEnv::startFresh(&error), qPrintable(error));
        // Short, so that the suite does not wait for readers that never finish.
        BXSqlDb::setBusyTimeout(100);
        DBTypes::UserProfile owner = profile(QStringLiteral("Owner"));
        QVERIFY(UserDB::instance()->addUser(owner, &_user));
        // Meals are deleted and shared by their owner.
        UserDB::instance()->setCurrentUser(_user);
        s_myFood = myFoods()->createFood(myFoods()->getRootForUser(-1), QStringLiteral("Oat cake"),
                                         QStringLiteral("Piece"), DBTypes::FoodItem());
        QVERIFY(s_myFood >= 0);
    }

    void cleanupTestCase() { StoreFixture::close(); }

    void newUserOnAFullDiskIsRefusedWithTheReason()
    {
        UserDB* users = UserDB::instance();
        const int before = users->numUsers().value();
        fillTheDisk(true);
        // A name long enough to need pages of its own.
        DBTypes::UserProfile big = profile(QString(200000, QLatin1Char('x')));
        {
            const StoreAction action(StoreAction::Kind::Change);
            QVERIFY(!users->addUser(big, nullptr));
            QCOMPARE(action.outcome().changeText(),
                     QStringLiteral("The disk is full: the change was not saved."));
        }
        QCOMPARE(users->numUsers().value(), before);
        QCOMPARE(UserDbTestEnv::scalar(QStringLiteral("PRAGMA integrity_check")).toString(),
                 QStringLiteral("ok"));

        // With room again, the same change goes through.
        fillTheDisk(false);
        QString error;
        QVERIFY2(users->addUser(big, nullptr, &error), qPrintable(error));
        QVERIFY(error.isEmpty());
        QCOMPARE(users->numUsers().value(), before + 1);
    }

    // Each change, while another program reads the file or holds it whole: refused after one
    // wait, told as such, the diary as it was and no journal left; then done once the other
    // program is.
    void changeWhileAnotherProgramHoldsTheFile_data()
    {
        const std::pair<const char*, Change> changes[] = {
            {"check-in", Checkin},       {"diary entry", DiaryEntry},
            {"saved meal", SavedMeal},   {"new user", NewUser},
            {"profile", Profile},        {"water", Fluid},
            {"clear day", ClearDay},     {"remove entry", RemoveEntry},
            {"delete meal", DeleteMeal}, {"share meal", MoveMeal},
            {"published", InStep},       {"delete user", DeleteUser},
            {"favourite", Favourite}};
        addRowsForEachHold(changes);
    }

    void changeWhileAnotherProgramHoldsTheFile()
    {
        QFETCH(int, change);
        QFETCH(int, hold);
        const int subject = prepare(Change(change), _user);
        const QStringList before = everyStoredRow();
        {
            OtherReader other(UserDbTestEnv::databaseFile(), OtherReader::Hold(hold));
            QVERIFY(other.reading());
            BusyWaits waits(100);
            const StoreAction action(StoreAction::Kind::Change);
            QVERIFY(!make(Change(change), _user, subject, ++_run));
            // The action's further statements do not wait again.
            QVERIFY(!make(Change(change), _user, subject, _run));
            QCOMPARE(waits.count(), 1);
            QCOMPARE(action.outcome().kind(), StoreResult::Kind::Busy);
            QVERIFY(action.outcome().changeText().startsWith(
                QStringLiteral("The diary is in use by another program")));
            QVERIFY(!journalLeft());
        }
        QCOMPARE(everyStoredRow(), before);

        // With the other program done, the same change goes through, whatever an event loop
        // nested in the action (a dialog's, say) met while the program still held the file.
        {
            const StoreAction action(StoreAction::Kind::Change);
            std::optional<OtherReader> other(std::in_place, UserDbTestEnv::databaseFile(), OtherReader::Hold(hold));
            std::optional<BusyWaits> waits(std::in_place, 100);
            QEventLoop dialog;
            QTimer::singleShot(0, &dialog, [&] {
                QVERIFY(!make(Change(change), _user, subject, ++_run));
                dialog.quit();
            });
            dialog.exec();
            waits.reset();
            other.reset();
            QVERIFY(make(Change(change), _user, subject, ++_run));
            QVERIFY(action.outcome().ok());
        }
        QCoreApplication::processEvents();
        QVERIFY(everyStoredRow() != before);
        QVERIFY(!journalLeft());
        QCOMPARE(UserDbTestEnv::scalar(QStringLiteral("PRAGMA integrity_check")).toString(),
                 QStringLiteral("ok"));
    }

    // A file that may not be written stops a change of one statement as well, and says so.
    void changeToAFileThatMayNotBeWritten()
    {
        const int meal = prepare(MoveMeal, _user);
        BXSqlDb::perform("PRAGMA query_only = 1");
        const QStringList before = everyStoredRow();
        std::optional<StoreAction> action(std::in_place, StoreAction::Kind::Change);
        const bool added = FavoritesDB(_user).addFavorite(FavoritesDB::ItemFlags(1), FavoritesDB::ItemId(7));
        const bool moved = make(MoveMeal, _user, meal, 0);
        const StoreResult outcome = action->outcome();
        action.reset();
        BXSqlDb::perform("PRAGMA query_only = 0");
        QVERIFY(!added);
        QVERIFY(!moved);
        QCOMPARE(outcome.kind(), StoreResult::Kind::ReadOnly);
        QVERIFY2(outcome.changeText().startsWith(QStringLiteral(
                     "The diary could not be written (attempt to write a readonly database)")),
                 qPrintable(outcome.changeText()));
        QCOMPARE(everyStoredRow(), before);
    }

    // Each reading while another program holds the file whole, or with the pages it reads
    // damaged: it says that it did not read (one wait, never a default that looks like data),
    // and nothing is written.
    void readingThatFailsSaysSo_data()
    {
        QTest::addColumn<int>("reading");
        QTest::addColumn<bool>("damaged");
        for (int i = 0; i < int(std::size(Readings)); ++i) {
            QTest::addRow("%s, held whole", Readings[i].first) << i << false;
            QTest::addRow("%s, damaged page", Readings[i].first) << i << true;
        }
    }

    void readingThatFailsSaysSo()
    {
        QFETCH(int, reading);
        QFETCH(bool, damaged);
        const auto& read = Readings[reading].second;
        QVERIFY(read(_user));
        const QStringList before = everyStoredRow();
        if (damaged) {
            const DamagedPages damage;
            QVERIFY(!read(_user));
        } else {
            OtherReader other(UserDbTestEnv::databaseFile(), OtherReader::Exclusive);
            QVERIFY(other.reading());
            BusyWaits waits(100);
            QVERIFY(!read(_user));
            QCOMPARE(waits.count(), 1);
        }
        QCOMPARE(everyStoredRow(), before);
        QVERIFY(read(_user));
    }

    // The Personal Profile stores the name, the plan and the preferences together, or none.
    void profileIsStoredWhole()
    {
        UserDB* users = UserDB::instance();
        const QStringList before = everyStoredRow();
        DBTypes::UserProfile renamed = users->getProfile(_user).value_or(DBTypes::UserProfile());
        renamed.name = QStringLiteral("Renamed Tester");
        DBTypes::CheckinItem today = users->getCheckin(_user, "20260306").value();
        today.setDietPlan(QStringLiteral("refused"));
        // The plan, stored last, is refused: the name stored before it goes too.
        QVERIFY(StoreFixture::exec("CREATE TEMP TRIGGER refuse_plan BEFORE UPDATE OF diet_plan ON "
                                   "user_misc BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        std::optional<StoreAction> action(std::in_place, StoreAction::Kind::Change);
        const bool stored = users->storeProfileChange(&renamed, today, users->getUserPrefs(_user).value());
        const StoreResult outcome = action->outcome();
        action.reset();
        QVERIFY(StoreFixture::exec("DROP TRIGGER refuse_plan"));
        QVERIFY(!stored);
        // Refused by a rule of the diary, not lost to the store: SQLite's own text names it.
        QCOMPARE(outcome.kind(), StoreResult::Kind::Refused);
        QVERIFY(!outcome.lost());
        QCOMPARE(outcome.changeText(), QStringLiteral("The change was not saved: refused."));
        QCOMPARE(everyStoredRow(), before);
    }

private:
    qint64 _user = -1;
    int _run = 0;
};

QTEST_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
