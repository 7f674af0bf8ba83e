// The recipe catalogue over the real recipe access program: making it only while a program
// answers, searching, loading recipes into food entries, and going on without recipes when
// the program fails.

#include "catalogue/recipeaccesswrapper.h"
#include "catalogue/recipechannel.h"
#include "catalogue/recipeproxydb.h"
#include "core/fooddiaryitem.h"
#include "tests/core/testbrand.h"
#include "tools/recipeaccess/recipecollectioninstaller.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace DBTypes;

namespace {

constexpr int HANDSHAKE_MS = 1500;
constexpr int CALL_MS = 1500;

// The ids and names of the records under the root that pass the flags.
QStringList records(const RecipeProxyDB* db, int flagsRequiredOn = FLAG_SEARCH_MATCH)
{
    QStringList found;
    std::unique_ptr<BrowsableDBIterator> it = db->getChildren(0, flagsRequiredOn, 0);
    while (it && it->next())
        found << QString::number(it->id()) + ' ' + QString::fromUtf8(it->name());
    return found;
}

} // namespace

class TestRecipeProxyDB : public QObject {
    Q_OBJECT

private:
    QTemporaryDir _data;
    QTemporaryDir _brand;
    std::unique_ptr<RecipeCollectionInstaller> _installer;

    QStringList searches() const
    {
        return _installer->transcript("sample", "recipeaccess").filter(QRegularExpression("^search "));
    }

    RecipeProxyDB* installSample()
    {
        if (_installer->install("sample", "recipeaccess").isEmpty())
            return nullptr;
        return RecipeProxyDB::instance(true);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(_data.isValid() && _brand.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(_data.path()));
        loadTestBrand(_brand, "<string id=\"brand_id\" value=\"testbrand\"/>\n"
                              "<bool id=\"datastore_compat\" value=\"false\"/>\n");
        _installer = std::make_unique<RecipeCollectionInstaller>(
            QDir::cleanPath(RecipeAccessWrapper::recipeFolder()));
        RecipeChannel::setTimeouts(HANDSHAKE_MS, CALL_MS);
    }

    void init() { QVERIFY(_installer->clear()); }

    void cleanup() { RecipeProxyDB::cleanUp(); }

    void cleanupTestCase() { BrandEngine::cleanUp(); }

    void catalogueExistsOnlyWhileAProgramAnswers()
    {
        QVERIFY(!RecipeProxyDB::instance(true));
        QVERIFY(!_installer->install("sample", "recipeaccess").isEmpty());
        QVERIFY(!RecipeProxyDB::instance(false));
        RecipeProxyDB* db = RecipeProxyDB::instance(true);
        QVERIFY(db);
        QCOMPARE(RecipeProxyDB::instance(true), db);
        QCOMPARE(RecipeProxyDB::instance(false), db);
        QCOMPARE(db->getRootId(), 0);
        QVERIFY(!db->getChildren(5, 0, 0));
        std::unique_ptr<BrowsableDBIterator> none = db->getChildren(0, 0, 0);
        QVERIFY(none && !none->next());
        QVERIFY(!db->hasChildren(0, 0, 0));
    }

    void searchListsTheRecipesFound()
    {
        RecipeProxyDB* db = installSample();
        QVERIFY(db);
        QVERIFY(!db->applySearchTerms("  ab \t", false, 0));
        QVERIFY(db->applySearchTerms(" abc ", true, 0));
        QVERIFY(searches().isEmpty());

        QVERIFY(db->applySearchTerms("  soup ", false, 0));
        QCOMPARE(searches(), QStringList{"search 5 soup"});
        const QStringList soups{"3 Tomato soup", "4 Red lentil soup"};
        QCOMPARE(records(db), soups);
        QCOMPARE(records(db, FLAG_SEARCH_MATCH | FLAG_CATEGORY), QStringList());
        std::unique_ptr<BrowsableDBIterator> flattened = db->getFlattenedChildren(0, 0);
        QVERIFY(flattened->next());
        QCOMPARE(int(flattened->flags()), int(FLAG_SEARCH_MATCH));
        QCOMPARE(flattened->weight(), 0u);

        QVERIFY(!db->applySearchTerms("so", false, 0));
        QCOMPARE(records(db), soups);

        QVERIFY(db->applySearchTerms(QString::fromUtf8("G\xc3\xa2teau"), false, 0));
        QVERIFY(db->getChildItems(0)->next());
        QCOMPARE(records(db), QStringList{QString::fromUtf8("5 G\xc3\xa2teau au yaourt")});
    }

    void filtersAndResetEmptyTheList()
    {
        RecipeProxyDB* db = installSample();
        QVERIFY(db);
        QVERIFY(db->applySearchTerms("soup", false, 0));
        QVERIFY(db->applySearchTerms("soup", false, FLAG_GENERIC));
        QVERIFY(records(db).isEmpty());
        QVERIFY(db->applySearchTerms("soup", false, 0));
        db->resetSearchTerms();
        QVERIFY(records(db).isEmpty());
        QCOMPARE(searches().size(), 2);
    }

    void recipeOfSeveralServingsIsLoadedPerServing()
    {
        RecipeProxyDB* db = installSample();
        QVERIFY(db);
        FoodDiaryItem fdi;
        QVERIFY(db->loadRecipeIntoFDI(fdi, 1));
        QCOMPARE(fdi.desc, QStringLiteral("Classic pancakes"));
        QCOMPARE(fdi.servingDesc, QStringLiteral("serving"));
        QCOMPARE(fdi.values.kind, 'S');
        QCOMPARE(fdi.values.quantity, 1.0f);
        QCOMPARE(fdi.values.energy, 1387.0f / 4);
        QCOMPARE(fdi.values.sodium, 2150.0f / 4);
        QCOMPARE(fdi.baseValues.calcium, fdi.values.calcium);
        QCOMPARE(fdi.servings.size(), size_t(2));
        QCOMPARE(fdi.servings[0].name, QStringLiteral("serving"));
        QCOMPARE(fdi.servings[0].weight, 1.0f);
        QCOMPARE(fdi.servings[1].name, QStringLiteral("preparation (4 servings)"));
        QCOMPARE(fdi.servings[1].id, 1);
        QCOMPARE(fdi.servings[1].weight, 4.0f);
        QCOMPARE(fdi.refId, 0);
        QCOMPARE(fdi.userId, 0);
        QCOMPARE(fdi.meal, 1);
        QCOMPARE(fdi.size, 1.0f);
        QVERIFY(fdi.infoLoaded);
        QCOMPARE(QByteArray(fdi.date), QByteArray());

        QVERIFY(fdi.updateFoodInfo(1, 1.0f));
        QCOMPARE(fdi.values.energy, 1387.0f);
    }

    void servingsAndMissingNutrients()
    {
        RecipeProxyDB* db = installSample();
        QVERIFY(db);
        FoodDiaryItem omelette;
        QVERIFY(db->loadRecipeIntoFDI(omelette, 2));
        QCOMPARE(omelette.servings.size(), size_t(1));
        QCOMPARE(omelette.values.energy, 407.0f);

        FoodDiaryItem vinaigrette;
        QVERIFY(db->loadRecipeIntoFDI(vinaigrette, 6));
        QCOMPARE(vinaigrette.servings.size(), size_t(1));
        QCOMPARE(vinaigrette.values.fat, 108.2f);
        QCOMPARE(vinaigrette.values.sodium, -1.0f);

        FoodDiaryItem missing;
        QVERIFY(!db->loadRecipeIntoFDI(missing, 42));
        QVERIFY(!missing.infoLoaded);
    }

    // Every object the program handed out has been released when the catalogue goes.
    void closingLeavesNothingAliveInTheProgram()
    {
        RecipeProxyDB* db = installSample();
        QVERIFY(db);
        QVERIFY(db->applySearchTerms("red", false, 0));
        QCOMPARE(records(db), (QStringList{"4 Red lentil soup", "6 Red wine vinaigrette"}));
        FoodDiaryItem fdi;
        QVERIFY(db->loadRecipeIntoFDI(fdi, 5));
        QVERIFY(!db->loadRecipeIntoFDI(fdi, 77));
        RecipeProxyDB::cleanUp();
        QVERIFY(!RecipeProxyDB::instance(false));
        QCOMPARE(_installer->transcript("sample", "recipeaccess").last(),
                 QStringLiteral("close alive:"));
    }

    // A program that never ends its results: the search stops at the cap, soon.
    void endlessResultsAreCapped()
    {
        QVERIFY(!_installer->install("endless", "recipeaccess-endless").isEmpty());
        RecipeProxyDB* db = RecipeProxyDB::instance(true);
        QVERIFY(db);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(db->applySearchTerms("soup", false, 0));
        QCOMPARE(records(db).size(), RecipeProxyDB::MAX_SEARCH_RESULTS);
        QCOMPARE(records(db).mid(0, 3), (QStringList{"3 Tomato soup", "4 Red lentil soup", "3 Tomato soup"}));
        QVERIFY(clock.elapsed() < RecipeProxyDB::SEARCH_DEADLINE_MS);
        // The program still answers after the abandoned cursor.
        FoodDiaryItem fdi;
        QVERIFY(db->loadRecipeIntoFDI(fdi, 2));
    }

    // Values that are not finite numbers never reach a diary entry.
    void nonFiniteNutrientsAreLeftOut()
    {
        QVERIFY(!_installer->install("nan", "recipeaccess-notanumber").isEmpty());
        RecipeProxyDB* db = RecipeProxyDB::instance(true);
        QVERIFY(db);
        FoodDiaryItem fdi;
        QVERIFY(db->loadRecipeIntoFDI(fdi, 1));
        QCOMPARE(fdi.values.energy, -1.0f);
        QCOMPARE(fdi.values.carbs, -1.0f);
        QCOMPARE(fdi.values.sodium, 2150.0f / 4);
        QCOMPARE(fdi.baseValues.energy, -1.0f);
    }

    void brokenProgramLeavesTheCatalogueWithoutRecipes_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("never answers a call") << "recipeaccess-hang";
        QTest::newRow("dies in the middle of a reply") << "recipeaccess-diesmidcall";
        QTest::newRow("oversized name") << "recipeaccess-oversize";
    }

    void brokenProgramLeavesTheCatalogueWithoutRecipes()
    {
        QFETCH(QString, program);
        QVERIFY(!_installer->install("broken", program).isEmpty());
        RecipeProxyDB* db = RecipeProxyDB::instance(true);
        QVERIFY(db);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(db->applySearchTerms("soup", false, 0));
        QVERIFY(records(db).isEmpty());
        FoodDiaryItem fdi;
        QVERIFY(!db->loadRecipeIntoFDI(fdi, 1));
        QVERIFY(clock.elapsed() < CALL_MS + 1000);
        RecipeProxyDB::cleanUp();
    }
};

QTEST_GUILESS_MAIN(TestRecipeProxyDB)
#include "tst_recipeproxydb.moc"
