// The exercise catalogue: shipped exercises with their burn rates, custom exercises and
// their categories, the routing of ids, and exercise entries taking a catalogue exercise.

#include "catalogue/exdb.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/exdbstatic.h"
#include "core/exercisediaryitem.h"
#include "core/notificationcenter.h"
#include "usercataloguefixture.h"

using namespace CatalogueFixture;

namespace {

constexpr int USER = 1;
constexpr int USER_ROOT = 0x1FFF000 + USER;
constexpr int RUNNING = 300;
constexpr int STRETCHING = 301;

} // namespace

// Remembers the last "dynamicdb_reloaded_notification".
class LastReload : public QObject {
    Q_OBJECT
public:
    LastReload()
    {
        NotificationCenter::addObserver(this, SLOT(dyndbChanged(QString, NotificationParam)),
                                        DynamicDB::RELOADED_NOTIFICATION);
    }
    DynamicDBReloadInfo last;
    int count = 0;

public slots:
    void dyndbChanged(const QString&, const NotificationParam& param)
    {
        last = *static_cast<const DynamicDBReloadInfo*>(param.toPointer());
        ++count;
    }
};

class TestExDB : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpResources(); }
    void init() { openDatabase(USER); }
    void cleanup() { closeDatabase(); }

    void staticExercises()
    {
        const std::optional<DBTypes::ExerciseItem> running = ExDB::instance()->getExercise(RUNNING);
        QVERIFY(running);
        QCOMPARE(running->id, RUNNING);
        QCOMPARE(running->name, QStringLiteral("Running"));
        QCOMPARE(running->offset, 0.0f);
        QCOMPARE(running->factor, 0.1f);
        QTest::ignoreMessage(QtWarningMsg, "ExDBStatic::getExercise - no burn rate!");
        QVERIFY(!ExDB::instance()->getExercise(STRETCHING));
        QVERIFY(!ExDB::instance()->getExercise(5)); // a category
        QVERIFY(!ExDB::instance()->getExercise(0xFFFFFF));
        QVERIFY(!ExDB::instance()->getExercise(0x1000000));
    }

    void entryRateFromCatalogue()
    {
        const qint64 custom = ExDBDynamic::instance()->createExercise(USER_ROOT, QStringLiteral("Gardening"), 7.5f);
        QCOMPARE(custom, 0x1000000);

        DBTypes::ExerciseDiaryItem entry;
        QVERIFY(entry.changeEx(RUNNING, 70.0f));
        QCOMPARE(entry.rate, 7.0f);
        QCOMPARE(entry.duration, 1.0f);
        QCOMPARE(entry.name, QStringLiteral("Running"));
        QCOMPARE(entry.exerciseId, RUNNING);
        QVERIFY(entry.changeEx(RUNNING, -1.0f)); // a user never weighed burns nothing
        QCOMPARE(entry.rate, 0.0f);

        for (float weight : {50.0f, 120.0f}) {
            QVERIFY(entry.changeEx(custom, weight));
            QCOMPARE(entry.rate, 7.5f);
        }
        QCOMPARE(entry.name, QStringLiteral("Gardening"));

        // Id 0 and exercises the catalogue cannot give leave the entry as it is.
        entry.duration = 30.0f;
        QVERIFY(entry.changeEx(0, 70.0f));
        QTest::ignoreMessage(QtWarningMsg, "ExDBStatic::getExercise - no burn rate!");
        QVERIFY(!entry.changeEx(STRETCHING, 70.0f));
        QVERIFY(!entry.changeEx(custom + 1, 70.0f));
        QCOMPARE(entry.exerciseId, custom);
        QCOMPARE(entry.duration, 30.0f);
        QCOMPARE(entry.energy(), 225.0f);
    }

    void customExercisesChange()
    {
        ExDBDynamic* exercises = ExDBDynamic::instance();
        LastReload reloads;
        const qint64 yoga = exercises->createExercise(USER_ROOT, QStringLiteral("Yoga"), 3.0f);
        QCOMPARE(reloads.last.selectId, yoga);
        const qint64 swim = exercises->createExercise(0x2000000, QStringLiteral("Swim"), 9.0f);
        QCOMPARE(swim, 0x1000001);
        QVERIFY(exercises->updateExercise(yoga, QStringLiteral("Hot yoga"), 4.5f));
        QCOMPARE(ExDB::instance()->getExercise(yoga)->name, QStringLiteral("Hot yoga"));
        QCOMPARE(ExDB::instance()->getExercise(yoga)->offset, 4.5f);
        QCOMPARE(names(exercises->getFlattenedChildren(0, 0)),
                 QStringList({"Swim", "Hot yoga", "Shared Exercises", "My Exercises"}));
        QVERIFY(exercises->deleteExercise(swim));
        QVERIFY(!ExDB::instance()->getExercise(swim));
        QCOMPARE(reloads.count, 4);
        // The id of the deleted exercise is not given again.
        QCOMPARE(exercises->createExercise(USER_ROOT, QStringLiteral("Row"), 8.0f), swim + 1);
        QCOMPARE(reloads.last.store, static_cast<DynamicDB*>(exercises));

        // Found by name for its user, never below another user's root that a row places in the
        // user's tree.
        QVERIFY(exec("INSERT INTO custom_exercise_cats VALUES (?, ?, 'My Exercises')",
                     {USER_ROOT + 1, USER_ROOT}));
        const qint64 fencing = exercises->createExercise(USER_ROOT + 1, QStringLiteral("Fencing"), 6.0f);
        QCOMPARE(ExDB::instance()->findExercise(QStringLiteral("Row"), USER)->id, swim + 1);
        QVERIFY(!ExDB::instance()->findExercise(QStringLiteral("Fencing"), USER));
        // Nor as the exercise that the lower 32 bits of a stored id name.
        QVERIFY(exec("INSERT INTO custom_exercises(activity_id, category_id, description) VALUES (?, ?, 'Duel')",
                     {(qint64(1) << 32) + fencing, USER_ROOT}));
        QVERIFY(!ExDB::instance()->findExercise(QStringLiteral("Duel"), USER));
    }

    void categoriesMoveAndDelete()
    {
        ExDBDynamic* exercises = ExDBDynamic::instance();
        const qint64 outdoor = exercises->createCategory(USER_ROOT, QStringLiteral("Outdoor"));
        const qint64 water = exercises->createCategory(USER_ROOT, QStringLiteral("Water"));
        QCOMPARE(outdoor, 0x1000000);
        const qint64 rowing = exercises->createExercise(water, QStringLiteral("Rowing"), 8.0f);

        LastReload reloads;
        QVERIFY(exercises->reparentItemCategory(water, outdoor));
        QCOMPARE(reloads.last.selectId, water);
        QVERIFY(reloads.last.selectIsCategory);
        QCOMPARE(names(exercises->getChildren(outdoor, 0, 0)), QStringList({"Water"}));

        QVERIFY(exercises->reparentItem(rowing, outdoor));
        QCOMPARE(reloads.last.selectId, rowing);
        QVERIFY(!reloads.last.selectIsCategory);
        QCOMPARE(scalar("SELECT category_id FROM custom_exercises WHERE activity_id = ?", {rowing}).toInt(),
                 outdoor);

        const int count = reloads.count;
        QVERIFY(!exercises->deleteCategory(outdoor, false));
        QCOMPARE(reloads.count, count);
        QVERIFY(exercises->getExercise(rowing));

        QVERIFY(exercises->updateCategory(water, QStringLiteral("Lake")));
        QCOMPARE(exercises->getCategoryName(water), QStringLiteral("Lake"));
        QVERIFY(exercises->deleteCategory(outdoor, true));
        QVERIFY(!exercises->getExercise(rowing));
        QVERIFY(exercises->getCategoryName(water).isEmpty());
        QCOMPARE(names(exercises->getFlattenedChildren(0, 0)),
                 QStringList({"Shared Exercises", "My Exercises"}));
    }
};

QTEST_GUILESS_MAIN(TestExDB)
#include "tst_exdb.moc"
