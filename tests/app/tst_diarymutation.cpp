// Crafted diaries and backups: seeded random mutations of a real diary of two users (ids, keys,
// constraints, triggers, views, values, lengths, a few at once), each put through the start,
// Backup Data and Restore Data of the main window and, where it opens, every reader a page uses
// for each user. Nothing of one user is read for the other, the rows a mutation left alone read
// back as written, and a refused file stays as it was, byte for byte. Each run prints its seed;
// PANTREL_MUTATION_SEED replays one and PANTREL_MUTATION_CASES sets how many cases it runs.

#include "mainwindowdoubles.h"

#include "catalogue/catalogueservices.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/fooddbdynamic.h"
#include "catalogue/savedmealtree.h"
#include "diary/diarypagecontent.h"
#include "userdb/diarystart.h"
#include "userdb/favoritesdb.h"
#include "userdb/mealplandb.h"
#include "userdb/savedmealdb.h"
#include "userdb/storeaction.h"
#include "tests/support/foreignschemas.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

using namespace MainWindowTest;

namespace {

const char* const Days[] = {"20260105", "20260106", "20260107"};
const char* const Marks[] = {"ANNX", "BOBX"};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Runs each statement on the file through a connection of its own; the first value of the last.
QVariant runOn(const QString& path, const QStringList& statements)
{
    QVariant last;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("mutate"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            for (const QString& sql : statements)
                last = query.exec(sql) && query.next() ? query.value(0) : QVariant();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("mutate"));
    return last;
}

// Whether a custom food's values, or a custom exercise's rate, read as numbers (or not at all).
bool customFiguresRead(DynamicDB* tree, int id)
{
    if (tree == FoodDBDynamic::instance()) {
        const std::optional<DBTypes::FoodItem> food = FoodDBDynamic::instance()->getFoodItem(id);
        return !food || (std::isfinite(food->getNutrient(DBTypes::ENERGY)) && std::isfinite(food->getNutrient(DBTypes::FAT)));
    }
    const std::optional<DBTypes::ExerciseItem> exercise = tree == ExDBDynamic::instance() ? ExDBDynamic::instance()->getExercise(id) : std::nullopt;
    return !exercise || std::isfinite(exercise->offset);
}

// Ends the process, naming the case, when a case runs past its time: a hang fails with its seed.
class Watchdog
{
public:
    Watchdog(quint32 seed, int seconds) : _thread([this, seed, seconds] {
        std::unique_lock<std::mutex> lock(_mutex);
        if (!_ended.wait_for(lock, std::chrono::seconds(seconds), [this] { return _done; })) {
            std::fprintf(stderr, "mutation case %u did not end within %d s (PANTREL_MUTATION_SEED=%u "
                                 "PANTREL_MUTATION_CASES=1 replays it)\n", seed, seconds, seed);
            std::abort();
        }
    }) {}
    ~Watchdog()
    {
        {
            const std::lock_guard<std::mutex> lock(_mutex);
            _done = true;
        }
        _ended.notify_one();
        _thread.join();
    }

private:
    std::mutex _mutex;
    std::condition_variable _ended;
    bool _done = false;
    std::thread _thread;
};

// A row of the written diary: its table, rowid, owner (0 Ann, 1 Bob) and the text that every
// line read of it holds.
struct WrittenRow
{
    QString table;
    qint64 rowid;
    int owner;
    QString token;
};

// The columns of a table that a mutation aims at.
struct Aim
{
    const char* table;
    const char* id;
    const char* owner;
    QStringList links;
    QStringList values;
    QStringList texts;
};

const QList<Aim>& aims()
{
    static const QList<Aim> all = {
        {"food_diary", "food_id", "user_id", {"group_id", "ref_id", "serving_id"},
         {"size", "calories", "fat", "meal", "status", "date"}, {"food_name", "serv_name"}},
        {"exer_diary", "ex_id", "user_id", {"group_id"}, {"duration", "rate", "status", "date"}, {"name"}},
        {"food_mealplan", "food_id", "user_id", {"ref_id"}, {"size", "calories", "meal", "date"}, {"food_name"}},
        {"exer_mealplan", "ex_id", "user_id", {}, {"duration", "rate", "date"}, {"name"}},
        {"group_diary", "group_id", "user_id", {}, {"status"}, {"name"}},
        {"user_checkins", nullptr, "user_id", {}, {"weight", "waist", "steps", "date"}, {"note"}},
        {"user_target", nullptr, "user_id", {}, {"target_calories", "target_fat", "date"}, {}},
        {"water_diary", nullptr, "user_id", {}, {"cups", "date"}, {}},
        {"user_misc", nullptr, "user_id", {}, {"height", "activity", "goal", "custom_rmr"}, {"diet_plan"}},
        {"favorites", nullptr, "user_id", {"item_id"}, {"item_type"}, {}},
        {"custom_foods", "food_id", nullptr, {"category_id"}, {"calories", "fat"}, {"name", "serv_name"}},
        {"custom_food_cats", "category_id", nullptr, {"parent_id"}, {}, {"name"}},
        {"custom_exercises", "activity_id", nullptr, {"category_id"}, {"scale"}, {"description"}},
        {"custom_exercise_cats", "category_id", nullptr, {"parent_id"}, {}, {"description"}},
        {"userdata_sync_devices", "id", "user_id", {}, {}, {"name"}},
        {"user_users", "user_id", nullptr, {},
         {"sex", "measurement_units", "energy_units", "tipOfTheDay", "energy_target_size", "summaryOptions",
          "diaryAdvancedMode", "dob"},
         {"name", "diaryViewColumnSettings", "backup_data_path"}},
    };
    return all;
}

// Values of no sense for an id, a figure or a text.
const QStringList IdValues = {"NULL", "'x'", "'12'", "1.5", "-7", "-1", "0", "4095", "2147483647", "2147483648",
                              "4294967296", "9223372036854775807", "X'00ff'"};
const QStringList FigureValues = {"1e308", "9e999", "-9e999", "(9e999 - 9e999)", "-5", "9223372036854775807",
                                  "-9223372036854775808", "'abc'", "X'00ff'", "NULL", "''", "2147483648"};
const QStringList TextValues = {"''", "NULL", "42", "X'41ff00'", "%1 || substr(replace(hex(zeroblob(5000000)), '0', 'w'), 1, 10000000)"};

// The schema of the table: another table's, a key dropped, a constraint, collation, generated
// column, index, trigger or view the program does not make.
QStringList schemaMutation(QRandomGenerator& random, const Aim& aim)
{
    const QString table = QLatin1String(aim.table);
    const QString column = aim.values.isEmpty() ? aim.texts.value(0, QStringLiteral("user_id")) : aim.values.first();
    const QStringList schema = {
        QString::fromLatin1(ForeignSchemas[random.bounded(quint32(std::size(ForeignSchemas)))].statements),
        QStringLiteral("ALTER TABLE %1 RENAME TO mutated_before\nCREATE TABLE %1 AS SELECT * FROM mutated_before\nDROP TABLE mutated_before").arg(table),
        QStringLiteral("PRAGMA writable_schema = ON\nUPDATE sqlite_master SET sql = replace(sql, '%2 ', '%2 CHECK (%2 IS NOT NULL) ') WHERE name = '%1'").arg(table, column),
        QStringLiteral("PRAGMA writable_schema = ON\nUPDATE sqlite_master SET sql = replace(sql, '%2 TEXT', '%2 TEXT COLLATE NOCASE') WHERE name = '%1'").arg(table, aim.texts.value(0, QStringLiteral("date"))),
        QStringLiteral("PRAGMA writable_schema = ON\nUPDATE sqlite_master SET sql = replace(sql, '%2 ', '%2 DEFAULT 7 ') WHERE name = '%1'").arg(table, column),
        QStringLiteral("ALTER TABLE %1 ADD COLUMN mutated AS (%2 * 2)").arg(table, column),
        QStringLiteral("CREATE UNIQUE INDEX mutated ON %1(%2)").arg(table, column),
        QStringLiteral("CREATE INDEX mutated ON %1(length(%2))").arg(table, column),
        QStringLiteral("CREATE TRIGGER mutated AFTER UPDATE ON %1 BEGIN DELETE FROM food_diary; END").arg(table),
        QStringLiteral("CREATE VIEW mutated AS SELECT * FROM %1").arg(table),
        QStringLiteral("CREATE TABLE mutated (a)"),
    };
    return schema.at(int(random.bounded(quint32(schema.size())))).split(u'\n');
}

} // namespace

class TestDiaryMutation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void mutatedDiariesKeepTheirPromises_data();
    void mutatedDiariesKeepTheirPromises();

private:
    void writeDiary();
    qint64 insert(const QString& sql, int owner, const QString& token);
    QStringList readLines(qint64 user);
    void readTrees(QStringList& lines);
    void readBoth(QStringList lines[2]);
    QStringList mutate(QRandomGenerator& random, QStringList* touched);
    bool replaceLive(const QByteArray& bytes, std::string* error = nullptr);
    void checkRead(const QStringList& touched, const char* path);
    void runCase(const QString& name, const QStringList& statements, const QStringList& touched);

    ScriptedMainWindow* _window = nullptr;
    qint64 _users[2] = {-1, -1};
    QList<WrittenRow> _rows;
    QByteArray _base;
    QStringList _baseLines[2];
    QString _mutated;
    // How many cases started, made a backup and were restored.
    int _outcomes[3] = {};
};

void TestDiaryMutation::initTestCase()
{
    BrandSwitches switches;
    switches.mealPlans = true;
    loadBrand(switches);
    startFreshDatabase();
    writeDiary();
    _window = new ScriptedMainWindow;
    CatalogueServices::install(); // an entry looks its food up, as the program's start lets it
    readBoth(_baseLines);
    for (int u = 0; u < 2; ++u)
        QVERIFY2(_baseLines[u].size() > 20, qPrintable(_baseLines[u].join(u'\n')));
    BXSqlDb::cleanUp();
    _base = readAll(databaseFile());
    QVERIFY(!_base.isEmpty());
    _mutated = QDir::homePath() + QStringLiteral("/mutated.ptBackup");
}

void TestDiaryMutation::cleanupTestCase()
{
    delete _window;
    CatalogueServices::cleanUp();
    BXSqlDb::cleanUp();
    UserDB::cleanUp();
    BrandEngine::cleanUp();
}

qint64 TestDiaryMutation::insert(const QString& sql, int owner, const QString& token)
{
    BXSqlQuery query(sql.toUtf8().constData());
    if (!query.exec())
        qFatal("cannot write the diary: %s", qPrintable(sql));
    const qint64 rowid = query.lastInsertId();
    _rows.append({sql.section(QLatin1Char(' '), 2, 2).section(QLatin1Char('('), 0, 0), rowid, owner, token});
    return rowid;
}

// Ann's and Bob's diaries, each text marked with its owner, of everything a page shows.
void TestDiaryMutation::writeDiary()
{
    for (int u = 0; u < 2; ++u) {
        const QString mark = QLatin1String(Marks[u]);
        _users[u] = addUser(mark + QStringLiteral(" person"));
        _rows.append({QStringLiteral("user_users"), _users[u], u, mark});
    }
    // The sync devices every diary holds, which no page shows.
    BXSqlQuery devices("SELECT rowid FROM userdata_sync_devices");
    devices.readRows([&] { _rows.append({QStringLiteral("userdata_sync_devices"), devices.value(0).toLongLong(), 0, QStringLiteral("device")}); });
    for (int u = 0; u < 2; ++u) {
        const QString m = QLatin1String(Marks[u]);
        const qint64 user = _users[u], k = u + 1;
        auto row = [&](const QString& sql, const QString& token) { return insert(sql, u, token); };
        const QString values = QStringLiteral("VALUES (%1, ").arg(user);
        row(QStringLiteral("INSERT INTO food_diary(user_id, date, meal, status, ref_id, serving_id, size, food_name, "
                           "serv_name, calories, fat) %1'20260105', 1, 1, 0, 0, 1.5, '%2 oats', '%2 bowl', %3, 3)")
                .arg(values, m).arg(150 + k), m + QStringLiteral(" oats"));
        row(QStringLiteral("INSERT INTO food_diary(user_id, date, meal, status, ref_id, serving_id, size, food_name, "
                           "serv_name, calories) %1'20260106', 3, 1, 0, 0, 2, '%2 soup', '%2 cup', %3)")
                .arg(values, m).arg(90 + k), m + QStringLiteral(" soup"));
        row(QStringLiteral("INSERT INTO exer_diary(user_id, date, duration, rate, name, status) %1'20260105', 30, %3, "
                           "'%2 walk', 1)").arg(values, m).arg(4 + k), m + QStringLiteral(" walk"));
        const qint64 meal = row(QStringLiteral("INSERT INTO group_diary(user_id, name, status) %1'%2 meal', 1)").arg(values, m),
                                m + QStringLiteral(" meal"));
        row(QStringLiteral("INSERT INTO food_diary(user_id, group_id, status, ref_id, serving_id, size, food_name, "
                           "serv_name, calories) %1%3, 1, 0, 0, 2, '%2 bread', '%2 slice', 80)").arg(values, m).arg(meal),
            m + QStringLiteral(" bread"));
        row(QStringLiteral("INSERT INTO food_mealplan(user_id, date, meal, status, ref_id, serving_id, size, food_name, "
                           "serv_name, calories) %1'20260105', 5, 1, 0, 0, 1, '%2 rice', '%2 plate', 200)").arg(values, m),
            m + QStringLiteral(" rice"));
        row(QStringLiteral("INSERT INTO exer_mealplan(user_id, date, duration, rate, name, status) %1'20260105', 20, 6, "
                           "'%2 swim', 1)").arg(values, m), m + QStringLiteral(" swim"));
        row(QStringLiteral("INSERT INTO user_checkins(user_id, date, weight, waist, steps, note) %1'20260105', %3, %4, "
                           "5000, '%2 note')").arg(values, m).arg(70 + k).arg(80 + k), m + QStringLiteral(" note"));
        row(QStringLiteral("INSERT INTO user_target(user_id, date, target_calories, target_fat) %1'20260105', %2, 60)")
                .arg(values).arg(2000 + k), QStringLiteral("target %1").arg(2000 + k));
        row(QStringLiteral("INSERT INTO water_diary(user_id, date, cups) %1'20260105', %2)").arg(values).arg(3 + k),
            QStringLiteral("water %1 @").arg(3 + k));
        row(QStringLiteral("INSERT INTO user_misc(user_id, date, height, activity, goal) %1'20260105', 170, %2, %2)")
                .arg(values).arg(k), QStringLiteral("misc %1/%1").arg(k));
        for (int type = 1; type <= 2; ++type)
            row(QStringLiteral("INSERT INTO favorites(user_id, item_id, item_type) %1%2, %3)").arg(values).arg(100 * k + type).arg(type),
                QStringLiteral("fav%1 %2").arg(type).arg(100 * k + type));
        const int root = FoodDBBase::UserRootBase + user;
        const int category = FoodDBBase::FirstCustomId + 10 + k;
        for (const char* kind : {"food", "exercise"}) {
            const bool food = kind[0] == 'f';
            row(QStringLiteral("INSERT INTO custom_%1_cats VALUES (%2, %3, '%4 %5')").arg(QLatin1String(kind)).arg(category).arg(root)
                    .arg(m, food ? QStringLiteral("dairy") : QStringLiteral("sports")),
                m + (food ? QStringLiteral(" dairy") : QStringLiteral(" sports")));
        }
        row(QStringLiteral("INSERT INTO custom_foods(food_id, category_id, name, serv_name, calories) VALUES "
                           "(%1, %2, '%3 cheese', '%3 wedge', 300)").arg(category + 100).arg(category).arg(m),
            m + QStringLiteral(" cheese"));
        row(QStringLiteral("INSERT INTO food_diary(user_id, date, meal, status, ref_id, serving_id, size, food_name, "
                           "serv_name, calories) %1'20260106', 4, 1, %3, 0, 0.5, '%2 cheese', '%2 wedge', 150)")
                .arg(values, m).arg(category + 100), m + QStringLiteral(" cheese|4"));
        row(QStringLiteral("INSERT INTO custom_exercises(activity_id, category_id, description, scale) VALUES "
                           "(%1, %2, '%3 rowing', 1.2)").arg(category + 100).arg(category).arg(m),
            m + QStringLiteral(" rowing"));
    }
}

// Every line the readers of the pages give for the user, over a few days.
QStringList TestDiaryMutation::readLines(qint64 user)
{
    QStringList lines;
    UserDB* store = UserDB::instance();
    store->setCurrentUser(user);
    const StoreAction reading(StoreAction::Kind::Read);
    if (const std::optional<DBTypes::UserProfile> profile = store->getProfile(user))
        lines << QStringLiteral("profile ") + profile->name;
    for (const char* day : Days) {
        const QString at = QStringLiteral(" @") + QLatin1String(day);
        if (const std::optional<DiaryPageContent> page = DiaryPageContent::read(user, QDate::fromString(QLatin1String(day), QStringLiteral("yyyyMMdd")))) {
            for (DBTypes::FoodDiaryItem food : page->day.foods) {
                // The servings an edit offers, from the catalogue when the entry names its food.
                QStringList servings;
                for (const DBTypes::ServingItem& serving : food.getServingItemList())
                    servings << serving.name;
                if (!std::isfinite(food.getNutrient(DBTypes::ENERGY)) || !std::isfinite(food.size))
                    QTest::qFail(qPrintable(QStringLiteral("%1's energy is no number").arg(food.desc.left(40))), __FILE__, __LINE__);
                lines << QStringLiteral("food %1|%2|%3|%4|%5|%6").arg(food.desc).arg(food.meal).arg(food.servingDesc).arg(food.size)
                                 .arg(food.getNutrient(DBTypes::ENERGY)).arg(servings.join(u',')) + at;
            }
            for (const DBTypes::ExerciseDiaryItem& exercise : page->day.exercises)
                lines << QStringLiteral("exercise %1|%2|%3").arg(exercise.name).arg(exercise.duration).arg(exercise.rate) + at;
            const DBTypes::CheckinItem& checkin = page->checkin;
            // A check-in of an earlier day carries its weight forward, not its note.
            if (!checkin.note.isEmpty())
                lines << QStringLiteral("checkin %1|%2|%3|%4").arg(checkin.note).arg(checkin.weight).arg(checkin.waist).arg(page->weight) + at;
            lines << QStringLiteral("water %1 @").arg(page->fluid) + QLatin1String(day);
            if (!std::isfinite(page->day.getTotal(DBTypes::ENERGY)) || !std::isfinite(page->weight))
                QTest::qFail("a day's sum or weight is no number", __FILE__, __LINE__);
        } else {
            lines << QStringLiteral("unread page") + at;
        }
        if (const std::optional<DBTypes::CheckinItem> checkin = store->getCheckin(user, day)) {
            lines << QStringLiteral("target %1").arg(checkin->targets.count(DBTypes::ENERGY) ? checkin->targets.at(DBTypes::ENERGY) : -1.0f) + at;
            lines << QStringLiteral("misc %1/%2").arg(checkin->activity).arg(checkin->goal) + at;
        }
        if (const std::optional<DBTypes::DiaryDay> plan = MealPlanDB::instance()->getDay(user, day, false)) {
            for (const DBTypes::FoodDiaryItem& food : plan->foods)
                lines << QStringLiteral("plan %1|%2|%3").arg(food.desc).arg(food.size).arg(food.getNutrient(DBTypes::ENERGY)) + at;
            for (const DBTypes::ExerciseDiaryItem& exercise : plan->exercises)
                lines << QStringLiteral("plan %1|%2").arg(exercise.name).arg(exercise.duration) + at;
        }
    }
    if (const std::optional<UserDB::DatedValues> weights = store->getWeightList(user, "20250101", "20271231")) {
        for (const auto& weight : *weights) {
            if (!std::isfinite(weight.second))
                QTest::qFail("a weight of the chart is no number", __FILE__, __LINE__);
        }
    }
    // The Check-ins page's list.
    if (const std::optional<UserDB::DatedMeasurements> list = store->getMeasurements(user, nullptr, nullptr, nullptr)) {
        for (const auto& [date, measured] : *list) {
            if (!std::isfinite(measured.value(UserMeasurements::Weight)) || measured.note().size() > 4 * 4094)
                QTest::qFail("a check-in of the list is no number or too long a note", __FILE__, __LINE__);
            if (!measured.note().empty())
                lines << QStringLiteral("measured %1|%2").arg(QString::fromStdString(measured.note())).arg(measured.value(UserMeasurements::Weight)) + u'@' + date;
        }
    }
    // The reports' sums of each day.
    if (const auto sums = DiaryDB::instance()->getNutrientInfo(user, "20260101", "20260131", 0)) {
        for (const auto& [day, sum] : *sums) {
            if (!std::isfinite(sum.energy) || !std::isfinite(sum.exerciseEnergy) || !std::isfinite(sum.fat))
                QTest::qFail(qPrintable(QStringLiteral("the sum of %1 is no number").arg(QString::fromStdString(day))), __FILE__, __LINE__);
        }
    }
    for (int type = 1; type <= 2; ++type) {
        std::set<qint64> ids;
        if (FavoritesDB(user).findFavorites(FavoritesDB::ItemFlags(type), ids)) {
            for (qint64 id : ids)
                lines << QStringLiteral("fav%1 %2").arg(type).arg(id);
        }
    }
    readTrees(lines);
    return lines;
}

// The current user's catalogue trees as the browser shows them, with each saved meal's foods.
void TestDiaryMutation::readTrees(QStringList& lines)
{
    DynamicDB* trees[] = {FoodDBDynamic::instance(), ExDBDynamic::instance(), SavedMealTree::instance()};
    for (DynamicDB* tree : trees) {
        if (!tree->reload(0, false))
            continue;
        QList<QPair<int, QString>> open = {{tree->getRootId(), QString()}};
        for (int level = 0; level < 8 && !open.isEmpty(); ++level) {
            QList<QPair<int, QString>> below;
            for (const auto& [id, path] : std::as_const(open)) {
                for (auto child = tree->getChildren(id, 0, 0); child && child->next();) {
                    const QString name = path + u'/' + QString::fromLatin1(child->name());
                    lines << QStringLiteral("tree ") + name;
                    if (child->flags() & FLAG_CATEGORY)
                        below.append({int(child->id()), name});
                    else if (!customFiguresRead(tree, int(child->id())))
                        QTest::qFail(qPrintable(name.left(80) + QStringLiteral(" holds a figure that is no number")), __FILE__, __LINE__);
                    else if (tree == SavedMealTree::instance())
                        if (const auto items = SavedMealDB::instance()->getSavedMealItems(int(child->id())))
                            for (const DBTypes::FoodDiaryItem& food : *items)
                                lines << QStringLiteral("meal %1|%2|%3").arg(name, food.desc).arg(food.size);
                }
            }
            open = below;
        }
    }
}

void TestDiaryMutation::readBoth(QStringList lines[2])
{
    for (int u = 0; u < 2; ++u)
        lines[u] = readLines(_users[u]);
}

// Puts the bytes in the diary's place and starts it, as the program's next start would.
bool TestDiaryMutation::replaceLive(const QByteArray& bytes, std::string* error)
{
    BXSqlDb::cleanUp();
    QDir folder(BXSettings::getUserDBPath());
    for (const QString& name : folder.entryList({QStringLiteral("userdata*")}, QDir::Files))
        folder.remove(name);
    if (!writeFile(databaseFile(), bytes))
        return false;
    const StoreResult started = DiaryStart::startUp(true);
    if (started)
        return true;
    if (error)
        *error = started.message().toStdString();
    BXSqlDb::cleanUp();
    return false;
}

// One to three mutations of the file at _mutated; `touched` gets the text of each row they may
// change ("*" for all rows).
QStringList TestDiaryMutation::mutate(QRandomGenerator& random, QStringList* touched)
{
    auto pick = [&random](const auto& list) { return list.at(int(random.bounded(quint32(list.size())))); };
    QStringList statements;
    for (int n = 1 + int(random.bounded(3u)); n > 0; --n) {
        const Aim aim = pick(aims());
        const QString table = QLatin1String(aim.table);
        QList<WrittenRow> rows;
        for (const WrittenRow& row : std::as_const(_rows))
            if (row.table == table)
                rows.append(row);
        const WrittenRow row = pick(rows);
        const QString where = QStringLiteral(" WHERE rowid = %1").arg(row.rowid);
        const quint32 kind = random.bounded(11u);
        if (kind == 10) {
            // An older format, which the start and the restore bring up to date on a copy, or none.
            statements << QStringLiteral("UPDATE userdata_meta SET itemvalue = %1 WHERE itemkey = 'schema_version'")
                              .arg(pick(QStringList{"411", "'411'", "309", "499", "500", "1e308", "'abc'", "NULL", "-1"}));
        } else if (kind < 2 && aim.id) {
            // An id of no sense, another row's of the owner, or another user's.
            QStringList values = IdValues;
            // Another row's id, also one that names it when cut to 32 bits.
            for (const WrittenRow& other : std::as_const(rows))
                values << QStringLiteral("(SELECT %1 FROM %2 WHERE rowid = %3)").arg(QLatin1String(aim.id), table).arg(other.rowid)
                       << QStringLiteral("4294967296 + (SELECT %1 FROM %2 WHERE rowid = %3)").arg(QLatin1String(aim.id), table).arg(other.rowid);
            statements << QStringLiteral("UPDATE %1 SET %2 = %3").arg(table, QLatin1String(aim.id), pick(values)) + where;
            touched->append(row.token);
        } else if (kind < 3 && !aim.links.isEmpty()) {
            // A link of no sense, or to another user's saved meal or custom food, or one that
            // names another user's category when cut to 32 bits (a category's place names its
            // owner: one moved below Ann's is Ann's).
            const QString link = pick(aim.links);
            const bool category = link == QLatin1String("category_id") || link == QLatin1String("parent_id");
            const QString target = link == QLatin1String("group_id") ? QStringLiteral("group_diary")
                                 : !category                       ? QStringLiteral("custom_foods")
                                 : table.startsWith(QLatin1String("custom_food")) ? QStringLiteral("custom_food_cats")
                                                                                  : QStringLiteral("custom_exercise_cats");
            QStringList values = IdValues;
            for (const WrittenRow& other : std::as_const(_rows)) {
                if (other.table == target && !category)
                    values << QString::number(other.rowid);
                if (other.table == target)
                    values << QString::number(other.rowid + (Q_INT64_C(1) << 32));
            }
            statements << QStringLiteral("UPDATE %1 SET %2 = %3").arg(table, link, pick(values)) + where;
            touched->append(row.token);
        } else if (kind < 4 && aim.owner) {
            // An owner that is no user; never the other user, nor a saved meal's NULL, which shares it.
            QStringList owners = {"'x'", "1.5", "-7", "4095", "4096", "4294967296", "X'00'"};
            if (table != QLatin1String("group_diary"))
                owners << QStringLiteral("NULL") << QStringLiteral("-1");
            statements << QStringLiteral("UPDATE %1 SET %2 = %3").arg(table, QLatin1String(aim.owner), pick(owners)) + where;
            touched->append(row.token);
        } else if (kind < 6 && !aim.values.isEmpty()) {
            statements << QStringLiteral("UPDATE %1 SET %2 = %3").arg(table, pick(aim.values), pick(FigureValues)) + where;
            touched->append(row.token);
        } else if (kind < 7 && !aim.texts.isEmpty()) {
            statements << QStringLiteral("UPDATE %1 SET %2 = %3").arg(table, pick(aim.texts), QString(pick(TextValues)).replace(QStringLiteral("%1"), QStringLiteral("'%1'").arg(QLatin1String(Marks[row.owner])))) + where;
            touched->append(row.token);
        } else {
            statements << schemaMutation(random, aim);
            touched->append(QStringLiteral("*"));
        }
    }
    return statements;
}

// What the readers give for each user now: nothing marked as the other user's, and every line
// of the written diary whose rows the mutations left alone.
void TestDiaryMutation::checkRead(const QStringList& touched, const char* path)
{
    QStringList lines[2];
    readBoth(lines);
    if (QTest::currentTestFailed())
        return;
    for (int u = 0; u < 2; ++u) {
        for (const QString& line : std::as_const(lines[u]))
            QVERIFY2(!line.contains(QLatin1String(Marks[1 - u])),
                     qPrintable(QStringLiteral("%1: %2's reading shows %3").arg(QLatin1String(path), QLatin1String(Marks[u]), line.left(200))));
        if (touched.contains(QStringLiteral("*")) || touched.contains(QLatin1String(Marks[u])))
            continue;
        for (const QString& line : std::as_const(_baseLines[u])) {
            const bool alone = std::none_of(touched.cbegin(), touched.cend(), [&line](const QString& token) { return line.contains(token); });
            QVERIFY2(!alone || lines[u].contains(line),
                     qPrintable(QStringLiteral("%1: %2 lost the untouched line %3 (touched: %4)")
                                    .arg(QLatin1String(path), QLatin1String(Marks[u]), line, touched.join(QStringLiteral(", ")))));
        }
    }
}

void TestDiaryMutation::runCase(const QString& name, const QStringList& statements, const QStringList& touched)
{
    QFile::remove(_mutated);
    QVERIFY(writeFile(_mutated, _base));
    runOn(_mutated, statements);
    const QByteArray mutated = readAll(_mutated);
    const QString said = QStringLiteral("%1: %2").arg(name, statements.join(QStringLiteral("; ")).left(400));

    // The start, as the live diary: refused untouched, or read as written.
    std::string error;
    if (replaceLive(mutated, &error)) {
        ++_outcomes[0];
        checkRead(touched, "start");
        if (QTest::currentTestFailed())
            return qWarning("%s", qPrintable(said));
        const QByteArray live = readAll(databaseFile());
        const QString backup = QDir::homePath() + QStringLiteral("/made.ptBackup");
        QFile::remove(backup);
        _window->backupName = backup;
        _window->backupUserDB();
        const bool made = _window->lastCaption() == QStringLiteral("Backup successful");
        QVERIFY2(made || _window->lastCaption() == QStringLiteral("Backup failed"), qPrintable(said + u'\n' + _window->lastText()));
        QVERIFY2(made == QFile::exists(backup), qPrintable(said));
        _outcomes[1] += made;
        // A backup made stores its folder; one refused changes nothing.
        QVERIFY2(made || readAll(databaseFile()) == live, qPrintable(said));
    } else {
        QVERIFY2(readAll(databaseFile()) == mutated, qPrintable(said + u'\n' + QString::fromStdString(error)));
    }

    // Restore Data of it as a backup: refused with both files as they were, or read as written.
    QVERIFY(replaceLive(_base));
    UserDB::instance()->setCurrentUser(_users[0]);
    const QByteArray live = readAll(databaseFile());
    _window->messages.clear();
    _window->restoreName = _mutated;
    _window->restoreUserDB();
    QVERIFY2(BXSqlDb::isUp(), qPrintable(said));
    if (_window->lastCaption() == QStringLiteral("Restore successful")) {
        ++_outcomes[2];
        checkRead(touched, "restore");
        if (QTest::currentTestFailed())
            return qWarning("%s", qPrintable(said));
    } else {
        QVERIFY2(_window->lastCaption() == QStringLiteral("Restore failed"), qPrintable(said + u'\n' + _window->lastText()));
        QVERIFY2(readAll(_mutated) == mutated, qPrintable(said));
        QVERIFY2(readAll(databaseFile()) == live, qPrintable(said));
    }
}

void TestDiaryMutation::mutatedDiariesKeepTheirPromises_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("cases");
    QTest::addColumn<QString>("crafted");
    QTest::addColumn<QStringList>("touched");
    const int cases = qEnvironmentVariableIntValue("PANTREL_MUTATION_CASES") > 0
                          ? qEnvironmentVariableIntValue("PANTREL_MUTATION_CASES") : 120;
    const QByteArray given = qgetenv("PANTREL_MUTATION_SEED");
    const quint32 seed = given.isEmpty() ? 80000u : given.toUInt();
    // Rows of at most a hundred cases, each within the time a test function is given.
    for (int first = 0; first < cases; first += 100)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed + quint32(first))))
            << seed + quint32(first) << std::min(100, cases - first) << QString() << QStringList();
    if (!given.isEmpty())
        return;
    // Cases that found faults, each a few statements and the rows they change.
    QTest::newRow("a food of Bob's saved meal in Ann's meal")
        << 0u << 1
        << "UPDATE food_diary SET group_id = (SELECT group_id FROM group_diary WHERE name = 'ANNX meal') "
           "WHERE food_name = 'BOBX bread'"
        << QStringList{"BOBX bread"};
    QTest::newRow("a food of Bob's saved meal in a shared meal")
        << 0u << 1
        << "UPDATE group_diary SET user_id = -1, name = 'Shared pie' WHERE name = 'ANNX meal'\n"
           "UPDATE food_diary SET user_id = -1, food_name = 'Shared crust' WHERE food_name = 'ANNX bread'\n"
           "UPDATE food_diary SET group_id = (SELECT group_id FROM group_diary WHERE name = 'Shared pie') "
           "WHERE food_name = 'BOBX bread'"
        << QStringList{"ANNX meal", "ANNX bread", "BOBX bread"};
    QTest::newRow("a custom food's energy past what a float holds")
        << 0u << 1 << "UPDATE custom_foods SET calories = 1e308 WHERE name = 'BOBX cheese'" << QStringList{"BOBX cheese"};
    QTest::newRow("a custom exercise's rate without end")
        << 0u << 1 << "UPDATE custom_exercises SET scale = 9e999 WHERE description = 'ANNX rowing'" << QStringList{"ANNX rowing"};
}

void TestDiaryMutation::mutatedDiariesKeepTheirPromises()
{
    QFETCH(quint32, seed);
    QFETCH(int, cases);
    QFETCH(QString, crafted);
    QFETCH(QStringList, touched);
    if (!crafted.isEmpty())
        return runCase(QString::fromLatin1(QTest::currentDataTag()), crafted.split(u'\n'), touched);
    qInfo("mutation seed %u, %d cases (PANTREL_MUTATION_SEED=%u replays them)", seed, cases, seed);
    for (int n = 0; n < cases && !QTest::currentTestFailed(); ++n) {
        // Each case a seed of its own, so that one can be replayed alone.
        const Watchdog watchdog(seed + quint32(n), 120);
        QRandomGenerator random(seed + quint32(n));
        QStringList changed;
        const QStringList statements = mutate(random, &changed);
        runCase(QStringLiteral("case %1").arg(seed + quint32(n)), statements, changed);
    }
    qInfo("so far %d cases started, %d were backed up and %d restored", _outcomes[0], _outcomes[1], _outcomes[2]);
}

QTEST_MAIN(TestDiaryMutation)
#include "tst_diarymutation.moc"
