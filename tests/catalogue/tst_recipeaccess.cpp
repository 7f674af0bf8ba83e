// The channel to recipe access programs, with the real program started through real
// access.txt files: which program is chosen, the byte protocol and reference counting of the
// proxies, and how a program that misbehaves or dies is survived.

#include "catalogue/irecipe.h"
#include "catalogue/irecipeaccess.h"
#include "catalogue/ireciperesults.h"
#include "catalogue/iorvnutrients.h"
#include "catalogue/recipeaccesswrapper.h"
#include "catalogue/recipechannel.h"
#include "catalogue/recipetext.h"
#include "core/dbtypes.h"
#include "tests/core/testbrand.h"
#include "tools/recipeaccess/recipecollectioninstaller.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

constexpr int HANDSHAKE_MS = 1500;
constexpr int CALL_MS = 1500;

QString textOf(const char16_t* units)
{
    return QString::fromUtf16(units);
}

// Fetches every recipe of a cursor and releases them and the cursor; their names.
QStringList drain(IRecipeResults* results)
{
    QStringList names;
    IRecipe* recipe = nullptr;
    while (results->Fetch(&recipe) == RESULT_OK && recipe) {
        char16_t* name = nullptr;
        if (recipe->GetName(&name) == RESULT_OK)
            names << textOf(name);
        RecipeText::free(name);
        recipe->Release();
    }
    results->Release();
    return names;
}

} // namespace

class TestRecipeAccess : public QObject {
    Q_OBJECT

private:
    QTemporaryDir _data;
    QTemporaryDir _brand;
    std::unique_ptr<RecipeCollectionInstaller> _installer;

    QStringList transcript(const QString& collection, const QString& program = "recipeaccess")
    {
        return _installer->transcript(collection, program);
    }

    // Whether the program of a collection has exited and been reaped.
    bool hasGone(const QString& collection, const QString& program)
    {
        const QStringList lines = transcript(collection, program);
        if (lines.isEmpty() || !lines.first().startsWith("start "))
            return false;
        return !QFile::exists("/proc/" + lines.first().mid(6));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(_data.isValid() && _brand.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(_data.path()));
        loadTestBrand(_brand, "<string id=\"brand_id\" value=\"testbrand\"/>\n"
                              "<bool id=\"datastore_compat\" value=\"false\"/>\n");
        QVERIFY(RecipeAccessWrapper::recipeFolder().startsWith(_data.path()));
        _installer = std::make_unique<RecipeCollectionInstaller>(
            QDir::cleanPath(RecipeAccessWrapper::recipeFolder()));
        RecipeChannel::setTimeouts(HANDSHAKE_MS, CALL_MS);
    }

    void init() { QVERIFY(_installer->clear()); }

    void cleanupTestCase() { BrandEngine::cleanUp(); }

    void noCollectionMeansNoRecipes()
    {
        RecipeAccessWrapper wrapper;
        QVERIFY(!wrapper.isOk());
        QVERIFY(!wrapper.search("soup"));
        QVERIFY(!wrapper.getRecipe(1));
    }

    void onlyWellFormedLoadLinesAreStarted()
    {
        const QString program = _installer->programPath("one", "recipeaccess");
        QVERIFY(_installer->installFiles("one", "recipeaccess"));
        QVERIFY(_installer->writeAccess("one", "!load!!\n!load!" + program.toUtf8()
                                                   + "\n # !load!" + program.toUtf8() + "!\n"));
        {
            RecipeAccessWrapper wrapper;
            QVERIFY(!wrapper.isOk());
        }
        QVERIFY(transcript("one").isEmpty());

        QVERIFY(_installer->writeAccess("one", "collection: sample\n!load!" + program.toUtf8()
                                                   + "!rest of the line\n"));
        RecipeAccessWrapper wrapper;
        QVERIFY(wrapper.isOk());
        QCOMPARE(transcript("one").value(1), QStringLiteral("handshake"));
    }

    // Folders are tried by name ignoring case, each only while no program has answered; one
    // that does not start is passed over.
    void collectionsAreTriedInNameOrderUntilOneAnswers()
    {
        QVERIFY(QDir().mkpath(_installer->collectionFolder("0-missing")));
        QVERIFY(_installer->writeAccess("0-missing", "!load!/nonexistent/recipeaccess!\n"));
        QVERIFY(!_installer->install("alpha", "recipeaccess-badhandshake").isEmpty());
        QVERIFY(!_installer->install("Beta", "recipeaccess").isEmpty());
        QVERIFY(!_installer->install("gamma", "recipeaccess").isEmpty());
        {
            RecipeAccessWrapper wrapper;
            QVERIFY(wrapper.isOk());
            QCOMPARE(drain(wrapper.search("omelette")), QStringList{"Cheese omelette"});
        }
        QVERIFY(!transcript("alpha", "recipeaccess-badhandshake").isEmpty());
        QVERIFY(transcript("Beta").contains("search 9 omelette"));
        QVERIFY(transcript("gamma").isEmpty());
    }

    void silentProgramIsPassedOverAtTheHandshakeDeadline()
    {
        QVERIFY(!_installer->install("a", "recipeaccess-silent").isEmpty());
        QVERIFY(!_installer->install("b", "recipeaccess").isEmpty());
        QElapsedTimer clock;
        clock.start();
        RecipeAccessWrapper wrapper;
        QVERIFY(clock.elapsed() >= HANDSHAKE_MS - 100);
        QVERIFY(clock.elapsed() < HANDSHAKE_MS + 2000);
        QVERIFY(wrapper.isOk());
        QVERIFY(QTest::qWaitFor([&] { return hasGone("a", "recipeaccess-silent"); }, 3000));
    }

    void searchTextGoesOutWithItsTerminator()
    {
        QVERIFY(!_installer->install("sample", "recipeaccess").isEmpty());
        RecipeAccessWrapper wrapper;
        QVERIFY(drain(wrapper.search("ab")).isEmpty());
        QCOMPARE(drain(wrapper.search(QString::fromUtf8("g\xc3\xa2teau"))),
                 QStringList{QString::fromUtf8("G\xc3\xa2teau au yaourt")});
        QCOMPARE(drain(wrapper.search("SOUP")), (QStringList{"Tomato soup", "Red lentil soup"}));
        QCOMPARE(drain(wrapper.search("red-lentil soups")), QStringList{"Red lentil soup"});
        const QStringList lines = transcript("sample");
        QVERIFY(lines.contains("search 3 ab"));
        QVERIFY(lines.contains(QString::fromUtf8("search 7 g\xc3\xa2teau")));
    }

    void recipeValuesCrossTheChannel()
    {
        QVERIFY(!_installer->install("sample", "recipeaccess").isEmpty());
        RecipeAccessWrapper wrapper;
        QVERIFY(!wrapper.getRecipe(99));
        IRecipe* recipe = wrapper.getRecipe(6);
        QVERIFY(recipe);
        int id = 0;
        int servings = -1;
        QCOMPARE(recipe->GetID(&id), RESULT_OK);
        QCOMPARE(id, 6);
        QCOMPARE(recipe->GetServings(&servings), RESULT_OK);
        QCOMPARE(servings, 0);
        IOrvNutrients* nutrients = nullptr;
        QCOMPARE(recipe->GetNutrients(&nutrients), RESULT_OK);
        QVERIFY(nutrients);
        short has = 0;
        double value = 0.0;
        QCOMPARE(nutrients->HasNutrient(DBTypes::FAT, &has), RESULT_OK);
        QVERIFY(has);
        QCOMPARE(nutrients->GetNutrient(DBTypes::FAT, &value), RESULT_OK);
        QCOMPARE(value, 108.2);
        QCOMPARE(nutrients->HasNutrient(DBTypes::SODIUM, &has), RESULT_OK);
        QVERIFY(!has);
        QVERIFY(nutrients->GetNutrient(DBTypes::SODIUM, &value) < 0);
        QCOMPARE(nutrients->Release(), RESULT_OK);
        QCOMPARE(recipe->Release(), RESULT_OK);
    }

    // AddRef stays local; only the last Release reaches the program, and nothing the system
    // was given is left alive in the program when the channel closes.
    void referencesAreCountedLocally()
    {
        QVERIFY(!_installer->install("sample", "recipeaccess").isEmpty());
        {
            RecipeAccessWrapper wrapper;
            IRecipeResults* results = wrapper.search("pancakes");
            QVERIFY(results);
            IRecipe* recipe = nullptr;
            QCOMPARE(results->Fetch(&recipe), RESULT_OK);
            QVERIFY(recipe);
            QCOMPARE(recipe->AddRef(), 2);
            QCOMPARE(recipe->AddRef(), 3);
            QCOMPARE(recipe->Release(), 2);
            QCOMPARE(recipe->Release(), 1);
            QVERIFY(!transcript("sample").contains("call 3 1"));
            QCOMPARE(recipe->Release(), RESULT_OK);
            QVERIFY(transcript("sample").contains("call 3 1"));
            QCOMPARE(results->Fetch(&recipe), RESULT_END);
            QVERIFY(!recipe);
            results->Release();
        }
        QCOMPARE(transcript("sample").last(), QStringLiteral("close alive:"));
        QVERIFY(QTest::qWaitFor([&] { return hasGone("sample", "recipeaccess"); }, 3000));
    }

    void textsAreCopiedWithTheirTerminator()
    {
        char16_t* empty = RecipeText::alloc(QString());
        QCOMPARE(empty[0], u'\0');
        RecipeText::free(empty);
        char16_t* text = RecipeText::alloc("ab");
        QCOMPARE(std::u16string(text, 3), std::u16string(u"ab\0", 3));
        RecipeText::free(text);
    }

    // A program that stops answering, dies or sends a length that cannot be right fails the
    // call within its deadline; the channel is then dead and later calls fail at once.
    void brokenProgramFailsTheCall_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("never answers a call") << "recipeaccess-hang";
        QTest::newRow("dies after the handshake") << "recipeaccess-dies";
        QTest::newRow("dies in the middle of a reply") << "recipeaccess-diesmidcall";
    }

    void brokenProgramFailsTheCall()
    {
        QFETCH(QString, program);
        QVERIFY(!_installer->install("broken", program).isEmpty());
        {
            RecipeAccessWrapper wrapper;
            QElapsedTimer clock;
            clock.start();
            QVERIFY(!wrapper.search("soup"));
            QVERIFY(clock.elapsed() < CALL_MS + 1000);
            QVERIFY(!wrapper.isOk());
            clock.restart();
            QVERIFY(!wrapper.getRecipe(1));
            QVERIFY(clock.elapsed() < 100);
        }
        QVERIFY(QTest::qWaitFor([&] { return hasGone("broken", program); }, 3000));
    }

    void untrustworthyNameLengthFailsTheCall_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("absurdly large") << "recipeaccess-oversize";
        QTest::newRow("negative") << "recipeaccess-negativename";
        QTest::newRow("no terminator") << "recipeaccess-unterminated";
    }

    void untrustworthyNameLengthFailsTheCall()
    {
        QFETCH(QString, program);
        QVERIFY(!_installer->install("broken", program).isEmpty());
        RecipeAccessWrapper wrapper;
        IRecipe* recipe = wrapper.getRecipe(2);
        QVERIFY(recipe);
        char16_t* name = reinterpret_cast<char16_t*>(1);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(recipe->GetName(&name) < 0);
        QVERIFY(clock.elapsed() < CALL_MS + 1000);
        QVERIFY(!name);
        QVERIFY(!wrapper.isOk());
        QVERIFY(recipe->Release() < 0);
    }

    // A call waits for its reply without running the event loop, so that nothing started from
    // an event (a timer's slot here) runs in its middle and mixes its bytes into the reply:
    // such a call runs once the waiting one has completed.
    void eventsWaitUntilTheCallEnds()
    {
        QVERIFY(!_installer->install("sample", "recipeaccess-slow").isEmpty());
        RecipeAccessWrapper wrapper;
        bool innerRan = false;
        IRecipe* inner = nullptr;
        QTimer::singleShot(0, [&] {
            innerRan = true;
            inner = wrapper.getRecipe(1);
        });
        QCOMPARE(drain(wrapper.search("soup")), (QStringList{"Tomato soup", "Red lentil soup"}));
        QVERIFY(!innerRan);
        QTRY_VERIFY(innerRan);
        QVERIFY(inner);
        QVERIFY(inner->Release() >= 0);
        QVERIFY(wrapper.isOk());
    }
};

QTEST_GUILESS_MAIN(TestRecipeAccess)
#include "tst_recipeaccess.moc"
