// The user catalogue trees: roots and ids, the record layout after a reload, per-user and
// shared roots, search over custom records, the reload notification, and the saved-meal
// tree.

#include "catalogue/exdbdynamic.h"
#include "catalogue/fooddbdynamic.h"
#include "catalogue/savedmealtree.h"
#include "core/fooddiaryitem.h"
#include "core/notificationcenter.h"
#include "usercataloguefixture.h"

using namespace CatalogueFixture;

namespace {

constexpr int USER = 3;
constexpr int USER_ROOT = 0x1FFF000 + USER;

} // namespace

// Records every "dynamicdb_reloaded_notification" it receives.
class ReloadObserver : public QObject {
    Q_OBJECT
public:
    ReloadObserver()
    {
        NotificationCenter::addObserver(this, SLOT(dyndbChanged(QString, NotificationParam)),
                                        DynamicDB::RELOADED_NOTIFICATION);
    }

    std::vector<DynamicDBReloadInfo> reloads;

public slots:
    void dyndbChanged(const QString&, const NotificationParam& param)
    {
        reloads.push_back(*static_cast<const DynamicDBReloadInfo*>(param.toPointer()));
    }
};

class TestUserTree : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setUpResources(); }
    void init() { openDatabase(USER); }
    void cleanup() { closeDatabase(); }

    // The roots are made with the user; showing a tree writes nothing, so that it can be read
    // while another program reads the diary.
    void rootsAreMadeWithTheUser()
    {
        const char* const roots = "SELECT group_concat(category_id || ' ' || %1, ', ') FROM "
                                  "(SELECT * FROM %2 WHERE parent_id = 0 ORDER BY category_id)";
        const auto rootsOf = [roots](const char* table, const char* name) {
            return scalar(QString::fromLatin1(roots).arg(QLatin1String(name), QLatin1String(table))
                              .toLatin1().constData()).toString();
        };
        QCOMPARE(names(FoodDBDynamic::instance()->getFlattenedChildren(0, 0)),
                 QStringList({"Shared Foods", "My Foods"}));
        ExDBDynamic::instance();
        QCOMPARE(scalar("SELECT COUNT(*) FROM custom_food_cats").toInt(), 0);
        QCOMPARE(scalar("SELECT COUNT(*) FROM custom_exercise_cats").toInt(), 0);

        for (const char* name : {"Bo", "Cy"}) {
            DBTypes::UserProfile profile;
            profile.name = QString::fromLatin1(name);
            QVERIFY(UserDB::instance()->addUser(profile, nullptr));
        }
        QCOMPARE(rootsOf("custom_food_cats", "name"),
                 QStringLiteral("33550336 My Foods, 33550337 My Foods, 33554432 Shared Foods"));
        QCOMPARE(rootsOf("custom_exercise_cats", "description"),
                 QStringLiteral("33550336 My Exercises, 33550337 My Exercises, "
                                "33554432 Shared Exercises"));
        QCOMPARE(FoodDBDynamic::instance()->getRootId(), USER_ROOT + 0x1000000);
    }

    void recordsAreLaidOutDepthFirst()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        const qint64 beta = foods->createCategory(USER_ROOT, QStringLiteral("beta"));
        const qint64 alpha = foods->createCategory(USER_ROOT, QStringLiteral("Alpha"));
        QCOMPARE(beta, 0x1000000);
        QCOMPARE(alpha, 0x1000001);
        foods->createFood(USER_ROOT, QStringLiteral("zucchini"), QStringLiteral("piece"), {});
        foods->createFood(alpha, QStringLiteral("apple pie"), QStringLiteral("slice"), {});

        QCOMPARE(names(foods->getFlattenedChildren(0, 0)),
                 QStringList({"apple pie", "Alpha", "beta", "zucchini", "Shared Foods", "My Foods"}));
        const auto& items = foods->getItems();
        const auto& flags = foods->getFlags();
        QCOMPARE(items.size(), size_t(7));
        QCOMPARE(QByteArray(items.back().name), QByteArray("ROOT"));
        QCOMPARE(int(items.back().id), foods->getRootId());
        QCOMPARE(items.back().firstChild, quint32(4));
        QCOMPARE(items.back().numCategories, quint32(2));
        QCOMPARE(items.back().numItems, quint32(0));
        QCOMPARE(int(flags[1]), FLAG_CATEGORY | FLAG_EDITABLE | FLAG_SEARCH_MATCH);
        QCOMPARE(int(flags[3]), FLAG_EDITABLE | FLAG_SEARCH_MATCH);
        QCOMPARE(int(flags[5]), int(FLAG_CATEGORY));
        QCOMPARE(int(flags[6]), int(FLAG_CATEGORY));
        // Names lie back to back in record order.
        for (size_t i = 1; i < items.size(); ++i)
            QCOMPARE(items[i].name, items[i - 1].name + qstrlen(items[i - 1].name) + 1);

        // The roots match only once a search or a reset has run.
        QVERIFY(names(foods->getChildCategories(foods->getRootId())).isEmpty());
        foods->resetSearchTerms();
        QCOMPARE(names(foods->getChildCategories(foods->getRootId())),
                 QStringList({"Shared Foods", "My Foods"}));
        QCOMPARE(names(foods->getChildren(USER_ROOT, 0, 0)),
                 QStringList({"Alpha", "beta", "zucchini"}));
        QCOMPARE(names(foods->getChildItems(alpha)), QStringList({"apple pie"}));
    }

    void eachUserSeesOwnAndSharedRecords()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        foods->createFood(USER_ROOT, QStringLiteral("Mine"), QStringLiteral("bowl"), {});
        foods->createFood(0x2000000, QStringLiteral("Ours"), QStringLiteral("bowl"), {});

        UserDB::instance()->setCurrentUser(5);
        foods->reload(0, false);
        QCOMPARE(names(foods->getFlattenedChildren(0, 0)),
                 QStringList({"Ours", "Shared Foods", "My Foods"}));
        QVERIFY(!foods->getChildren(USER_ROOT, 0, 0));
        QCOMPARE(ids(foods->getChildren(0x1FFF005, 0, 0)).size(), size_t(0));
    }

    void idsBeyond32BitsAreLeftOut_data()
    {
        QTest::addColumn<QString>("categories");
        QTest::addColumn<QString>("items");
        QTest::newRow("foods") << "custom_food_cats" << "custom_foods(food_id, category_id, name)";
        QTest::newRow("exercises") << "custom_exercise_cats"
                                   << "custom_exercises(activity_id, category_id, description)";
    }

    // A category and an item in this user's tree whose ids end, past 32 bits, in the ids of
    // another user's private category and item are left out, never shown as those.
    void idsBeyond32BitsAreLeftOut()
    {
        QFETCH(QString, categories);
        QFETCH(QString, items);
        const qint64 beyond = qint64(1) << 32;
        QVERIFY(exec(qPrintable(QStringLiteral("INSERT INTO %1 VALUES (?, ?, 'Private'), (?, ?, 'Wide')").arg(categories)),
                     {0x1000001, USER_ROOT + 1, beyond + 0x1000001, USER_ROOT}));
        QVERIFY(exec(qPrintable(QStringLiteral("INSERT INTO %1 VALUES (?, ?, 'Secret'), (?, ?, 'Wide item')").arg(items)),
                     {0x1000002, 0x1000001, beyond + 0x1000002, USER_ROOT}));
        DynamicDB* tree = categories.startsWith(QLatin1String("custom_food"))
                              ? static_cast<DynamicDB*>(FoodDBDynamic::instance())
                              : ExDBDynamic::instance();
        QVERIFY(tree->reload(0, false));
        QCOMPARE(tree->getItems().size(), size_t(3));
        QCOMPARE(names(tree->getChildren(USER_ROOT, 0, 0)), QStringList());
    }

    void searchMarksCustomRecords()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        const qint64 snacks = foods->createCategory(USER_ROOT, QStringLiteral("Snacks"));
        foods->createFood(snacks, QStringLiteral("Trail mix"), QStringLiteral("cup"), {});
        foods->createFood(USER_ROOT, QStringLiteral("Granola bar"), QStringLiteral("bar"), {});

        QVERIFY(!foods->applySearchTerms(QStringLiteral("gr"), true, 0));
        QVERIFY(foods->applySearchTerms(QStringLiteral("GRANOLA"), false, 0));
        QCOMPARE(names(foods->getFlattenedChildren(FLAG_SEARCH_MATCH, 0)),
                 QStringList({"Granola bar", "My Foods"}));
        QCOMPARE(names(foods->getFlattenedChildren(FLAG_SEARCH_PARENT_OF_MATCH, 0)),
                 QStringList({"My Foods"}));

        // A word found in a category's name counts for the records below it.
        QVERIFY(foods->applySearchTerms(QStringLiteral("snacks trail"), false, 0));
        QCOMPARE(names(foods->getFlattenedChildren(FLAG_SEARCH_MATCH, FLAG_CATEGORY)),
                 QStringList({"Trail mix"}));
        // So does a word joined by a hyphen that the name writes apart.
        QVERIFY(foods->applySearchTerms(QStringLiteral("trail-mix"), false, 0));
        QCOMPARE(names(foods->getFlattenedChildren(FLAG_SEARCH_MATCH, FLAG_CATEGORY)),
                 QStringList({"Trail mix"}));
    }

    void everyChangePostsReload()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        ReloadObserver observer;
        const qint64 parent = foods->createCategory(USER_ROOT, QStringLiteral("Parent"));
        const qint64 child = foods->createCategory(USER_ROOT, QStringLiteral("Child"));
        const qint64 food = foods->createFood(child, QStringLiteral("Soup"), QStringLiteral("bowl"), {});
        QVERIFY(foods->reparentItemCategory(child, parent));
        QVERIFY(foods->reparentItem(food, parent));
        QVERIFY(foods->updateCategory(child, QStringLiteral("Kid")));

        QCOMPARE(observer.reloads.size(), size_t(6));
        QCOMPARE(observer.reloads[2].selectId, food);
        QVERIFY(!observer.reloads[2].selectIsCategory);
        QCOMPARE(observer.reloads[3].selectId, child);
        QVERIFY(observer.reloads[3].selectIsCategory);
        QCOMPARE(observer.reloads[4].selectId, food);
        QCOMPARE(observer.reloads[5].selectId, child);
        QVERIFY(observer.reloads[5].selectIsCategory);
        for (const DynamicDBReloadInfo& reload : observer.reloads)
            QCOMPARE(reload.store, static_cast<DynamicDB*>(foods));
        QCOMPARE(foods->getCategoryName(child), QStringLiteral("Kid"));
        QCOMPARE(names(foods->getChildren(parent, 0, 0)), QStringList({"Kid", "Soup"}));
    }

    void categoryCannotMoveBelowItself()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        const qint64 outer = foods->createCategory(USER_ROOT, QStringLiteral("Outer"));
        const qint64 inner = foods->createCategory(outer, QStringLiteral("Inner"));
        QVERIFY(!foods->reparentItemCategory(outer, inner));
        QVERIFY(!foods->reparentItemCategory(outer, outer));
        QCOMPARE(scalar("SELECT parent_id FROM custom_food_cats WHERE category_id = ?", {outer}).toInt(),
                 USER_ROOT);
        QCOMPARE(names(foods->getFlattenedChildren(0, 0)),
                 QStringList({"Inner", "Outer", "Shared Foods", "My Foods"}));

        // Loops that another tool stored are shown broken: each category once, each root as
        // a root, another user's root and foods nowhere; deleting a category leaves the root
        // that a row gives it as a child.
        QVERIFY(exec("INSERT INTO custom_food_cats VALUES (?, ?, 'Shared Foods'), (?, ?, 'My Foods'), "
                     "(?, ?, 'My Foods')", {0x2000000, 0x2000000, USER_ROOT, inner, USER_ROOT + 1, outer}));
        foods->createFood(USER_ROOT + 1, QStringLiteral("Private"), QStringLiteral("bowl"), {});
        foods->reload(0, false);
        QCOMPARE(names(foods->getFlattenedChildren(0, 0)),
                 QStringList({"Inner", "Outer", "Shared Foods", "My Foods"}));
        QVERIFY(foods->deleteCategory(outer, true));
        QCOMPARE(scalar("SELECT COUNT(*) FROM custom_food_cats WHERE category_id = ?", {USER_ROOT}).toInt(), 1);
    }

    void treesOfAnyShapeAreBuilt_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("width");
        // Deeper than a walk that recurses per level can go, and wider than a count of 16 bits
        // or a read per category allows.
        QTest::newRow("a chain of 60,000 categories") << 60000 << 1;
        QTest::newRow("70,000 categories and foods in one") << 1 << 70000;
    }

    // A chain of categories below the user's root, with categories and foods in its last one.
    void treesOfAnyShapeAreBuilt()
    {
        QFETCH(int, depth);
        QFETCH(int, width);
        const int last = 0x1000000 + depth - 1;
        QVERIFY(exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ? - 1) "
                     "INSERT INTO custom_food_cats SELECT 0x1000000 + i, "
                     "CASE i WHEN 0 THEN ? ELSE 0x0FFFFFF + i END, 'Level ' || i FROM n",
                     {depth, USER_ROOT}));
        QVERIFY(exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ? - 1) "
                     "INSERT INTO custom_food_cats SELECT 0x1100000 + i, ?, 'Leaf ' || i FROM n",
                     {width, last}));
        QVERIFY(exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ? - 1) "
                     "INSERT INTO custom_foods(food_id, category_id, name) SELECT 0x1000000 + i, ?, "
                     "'Food ' || i FROM n", {width, last}));
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        QVERIFY(foods->reload(0, false));
        QVERIFY(foods->readsTreeOf(USER));
        QCOMPARE(foods->getItems().size(), size_t(depth + 2 * width + 3));

        QVERIFY(foods->applySearchTerms(QStringLiteral("leaf"), false, 0));
        QCOMPARE(ids(foods->getChildCategories(last)).size(), size_t(width));
        QVERIFY(foods->applySearchTerms(QStringLiteral("level"), false, 0));
        QCOMPARE(ids(foods->getChildItems(last)).size(), size_t(width));
        QVERIFY(foods->deleteCategory(0x1000000, true));
        QCOMPARE(scalar("SELECT (SELECT COUNT(*) FROM custom_food_cats) + "
                        "(SELECT COUNT(*) FROM custom_foods)").toInt(), 0);
    }

    void namesKeepEveryScript()
    {
        FoodDBDynamic* foods = FoodDBDynamic::instance();
        const QString creme = QString::fromUtf8("Crème brûlée");
        const QString borscht = QString::fromUtf8("Борщ");
        const QString pho = QString::fromUtf8("Pho 🍜");
        for (const QString& name : {creme, borscht, pho})
            QVERIFY(foods->createFood(USER_ROOT, name, QStringLiteral("bowl"), {}) > 0);
        QCOMPARE(QByteArray(foods->getItems().front().name), creme.toUtf8());
        QCOMPARE(foods->nameOf(foods->getItems().front()), creme);
        QCOMPARE(foods->getFoodName(0x1000001), borscht);

        QVERIFY(foods->applySearchTerms(QString::fromUtf8("борщ"), false, 0));
        QCOMPARE(names(foods->getFlattenedChildren(FLAG_SEARCH_MATCH, FLAG_CATEGORY)), QStringList{borscht});
        QVERIFY(foods->applySearchTerms(QString::fromUtf8("BRÛLÉE"), false, 0));
        QCOMPARE(names(foods->getFlattenedChildren(FLAG_SEARCH_MATCH, FLAG_CATEGORY)), QStringList{creme});
        QVERIFY(foods->applySearchTerms(QString::fromUtf8("crème-BRÛLÉE"), false, 0));
        QCOMPARE(names(foods->getFlattenedChildren(FLAG_SEARCH_MATCH, FLAG_CATEGORY)), QStringList{creme});
        QVERIFY(foods->applySearchTerms(QStringLiteral("pho"), false, 0));
        QCOMPARE(names(foods->getFlattenedChildren(FLAG_SEARCH_MATCH, FLAG_CATEGORY)), QStringList{pho});
    }

    void savedMealsFormATree()
    {
        SavedMealTree* meals = SavedMealTree::instance();
        QCOMPARE(meals->getRootId(), USER + 2 + 0x1000000);
        ReloadObserver observer;

        DBTypes::FoodDiaryItem food;
        food.desc = QStringLiteral("Toast");
        const qint64 meal = SavedMealDB::instance()->storeMeal(USER, -1, "Breakfast", {food}, true);
        SavedMealDB::instance()->storeMeal(USER, -1, "", {food}, true);
        QVERIFY(meal > 0);
        QCOMPARE(observer.reloads.size(), size_t(2));
        QCOMPARE(observer.reloads[0].selectId, meal);
        QCOMPARE(observer.reloads[0].store, static_cast<DynamicDB*>(meals));
        QCOMPARE(names(meals->getChildren(USER + 2, 0, 0)), QStringList({"Breakfast"}));
        QCOMPARE(names(meals->getFlattenedChildren(0, 0)),
                 QStringList({"Breakfast", "Shared Meals", "My Meals"}));

        QVERIFY(meals->reparentItem(meal, 1));
        QCOMPARE(names(meals->getChildren(1, 0, 0)), QStringList({"Breakfast"}));
        QVERIFY(!meals->reparentItemCategory(USER + 2, 1));
        UserDB::instance()->setCurrentUser(7);
        meals->reload(0, false);
        QCOMPARE(names(meals->getFlattenedChildren(0, 0)),
                 QStringList({"Breakfast", "Shared Meals", "My Meals"}));
    }
};

QTEST_GUILESS_MAIN(TestUserTree)
#include "tst_usertree.moc"
