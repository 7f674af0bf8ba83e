// The browser's pieces together on the shipped catalogue and a real user database.

#include "browser/addfooddialog.h"
#include "browser/browseritemflags.h"
#include "browser/draglistview.h"
#include "browser/editfooddialog.h"
#include "browser/foodviewitem.h"
#include "browser/foodwidget.h"
#include "catalogue/fooddbdynamic.h"
#include "catalogue/fooddbstatic.h"
#include "tests/browser/browserfixture.h"
#include "tests/support/scriptedprompter.h"
#include "core/diaryday.h"
#include "userdb/diarydb.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <QtTest>

namespace {

constexpr int BUTTER_SALTED = 1001;
// The first food of a search stands below its category's header.
constexpr int FIRST_FOOD = 2;

FoodViewItem* findRow(QTreeWidget& list, const QString& text)
{
    for (QTreeWidgetItemIterator it(&list); *it; ++it) {
        if ((*it)->text(0) == text)
            return FoodViewItem::from(*it);
    }
    return nullptr;
}

// The Foods list as the browser panel shows a search: ranked, over the shipped catalogue.
void searchFoods(DragListView& foods, const QString& text)
{
    foods.setup(QPixmap(), FoodItemFlag);
    foods.setRankedView(true);
    foods.setDb(FoodDBStatic::instance());
    foods.setSearch(text, false);
    foods.applyTerms(true);
}

// Answers the next Add food dialog: amount and serving, then Add.
void answerAddFoodDialog(const QString& amount, const QString& serving)
{
    QTimer::singleShot(0, [amount, serving]() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<AddFoodDialog*>(widget);
            if (!dialog || !dialog->isVisible())
                continue;
            QComboBox* servings = dialog->foodWidget->servingBox;
            servings->setCurrentIndex(servings->findText(serving));
            dialog->foodWidget->displayFood();
            dialog->foodWidget->sizeLineEdit->setText(amount);
            dialog->addButton->click();
        }
    });
}

} // namespace

class TestBrowserEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        BrowserFixture::startSession();
        _user = UserDB::instance()->getCurrentUser();
    }
    void cleanupTestCase() { BrowserFixture::endSession(); }

    void searchAndAddButterToBreakfast()
    {
        DragListView foods(nullptr, "foods");
        QVERIFY(foods.setSearch(QStringLiteral("butter salted"), true));
        searchFoods(foods, QStringLiteral("butter salted"));
        FoodViewItem* butter = foods.locateFvi(BUTTER_SALTED, false, nullptr);
        QVERIFY(butter);
        QCOMPARE(butter->parent()->text(0), QStringLiteral("Dairy and Egg Products"));

        QList<DBTypes::FoodDiaryItem> added;
        connect(&foods, &DragListView::addContextFood,
                [&added](DBTypes::FoodDiaryItem& entry) { added << entry; });
        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral("Add food to breakfast"));
        answerAddFoodDialog(QStringLiteral("100"), QStringLiteral("g"));
        foods.showContextMenu(butter, QPoint(), 0);
        QCOMPARE(added.size(), 1);
        DBTypes::FoodDiaryItem entry = added.first();
        QCOMPARE(entry.meal, 1);
        QCOMPARE(entry.getDesc(), QStringLiteral("Butter, salted"));
        QCOMPARE(entry.values.energy, 717.0f);

        entry.userId = _user;
        entry.setDate("20260105");
        QVERIFY(DiaryDB::instance()->addFoodEntry(entry, false) > 0);
        const DBTypes::DiaryDay day = DiaryDB::instance()->getDay(_user, "20260105", false).value();
        QCOMPARE(day.getGroupTotal(DBTypes::DiaryDay::BREAKFAST, DBTypes::ENERGY), 717.0f);
    }

    void commonSearchShowsThePlainFoodInView_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("food");
        QTest::addColumn<int>("at"); // the row the food stands at
        const auto row = [](const char* search, const char* food, int at) {
            QTest::newRow(search) << QString::fromUtf8(search) << QString::fromUtf8(food) << at;
        };
        row("apple", "Apples, raw, with skin", FIRST_FOOD);
        row("milk", "Milk, whole, 3.25% milkfat, with added vitamin D", FIRST_FOOD);
        row("egg", "Egg, whole, raw, fresh", FIRST_FOOD);
        row("chicken breast", "Chicken, broilers or fryers, breast, meat only, raw", FIRST_FOOD);
        row("bread", "Bread, white, commercially prepared (includes soft bread crumbs)", FIRST_FOOD);
        row("cheese", "Cheese, cheddar", 6);
        row("tomato", "Tomatoes, red, ripe, raw, year round average", FIRST_FOOD);
        row("orange", "Oranges, raw, all commercial varieties", FIRST_FOOD);
        row("coffee", "Coffee, brewed from grounds, prepared with tap water", FIRST_FOOD);
        row("potato", "Potato, baked, flesh and skin, without salt", 3);
        row("eggs", "Egg, whole, raw, fresh", FIRST_FOOD);
        row("anchovies", "Fish, anchovy, european, raw", FIRST_FOOD);
        row("strawberry", "Strawberries, raw", FIRST_FOOD);
        row("blueberry", "Blueberries, raw", FIRST_FOOD);
        row("raspberry", "Raspberries, raw", FIRST_FOOD);
        row("cherry", "Cherries, sweet, raw", FIRST_FOOD);
        row("cranberry", "Cranberries, raw", FIRST_FOOD);
        row("greens", "Beet greens, raw", FIRST_FOOD);
        row("sweets", "Candies, hard", 7);
        row("browns", "McDONALD'S, Hash Browns", FIRST_FOOD);
        row("fries", "McDONALD'S, French Fries", 5);
        row("mangoes", "Mangos, raw", FIRST_FOOD);
        row("bay leaves", "Spices, bay leaf", FIRST_FOOD);
        row("loaves", "Beef, ground, 85% lean meat / 15% fat, loaf, cooked, baked", 5);
        row("cashews", "Nuts, cashew nuts, raw", FIRST_FOOD);
        row("pistachios", "Nuts, pistachio nuts, raw", FIRST_FOOD);
        row("macadamias", "Nuts, macadamia nuts, raw", FIRST_FOOD);
        row("tri tips", "Beef, bottom sirloin, tri-tip roast, separable lean only, trimmed to 0\" fat, all grades, raw", 6);
        row("grape leaf", "Grape leaves, raw", FIRST_FOOD);
        row("apple juice", "Apple juice, canned or bottled, unsweetened, without added ascorbic acid", FIRST_FOOD);
        row("pineapple juice", "Pineapple juice, canned, unsweetened, with added ascorbic acid", FIRST_FOOD);
        // The food itself before a dish named after it ("Pie, pecan", "Oil, walnut").
        row("pecan", "Nuts, pecans", FIRST_FOOD);
        row("walnut", "Nuts, walnuts, english", FIRST_FOOD);
        row("brownie", "Cookies, brownies, commercially prepared", FIRST_FOOD);
        // Words joined by a hyphen, found as the catalogue writes them apart or closed up.
        row("low-fat milk", "Milk, lowfat, fluid, 1% milkfat, with added vitamin A and vitamin D", 3);
        row("half-and-half", "Cream, fluid, half and half", FIRST_FOOD);
        row("chick-peas", "Chickpeas (garbanzo beans, bengal gram), mature seeds, raw", FIRST_FOOD);
        row("ice-cream", "Ice creams, vanilla", 7);
        row("peanut-butter", "Peanut butter, smooth style, with salt", 3);
        row("non-fat yogurt", "Yogurt, fruit variety, nonfat", FIRST_FOOD);
        row("sugar-free energy drink", "Energy drink, AMP, sugar free", 4);
        row("low-fat cottage cheese", "Cheese, cottage, lowfat, 1% milkfat", 3);
        row("low-fat yogurt", "Yogurt, plain, low fat, 12 grams protein per 8 ounce", 7);
        // A word written two common ways.
        row("donut", "Doughnuts, cake-type, plain (includes unsugared, old-fashioned)", 3);
        row("ketchup", "Catsup", FIRST_FOOD);
        // The food whose own name opens with the search, before those that merely hold it;
        // a longer word that opens with it ("Grapefruit" where "Grapes" name a food) holds it inside a word.
        row("apple sauce", "Applesauce, canned, unsweetened, without added ascorbic acid (includes USDA commodity)", 5);
        row("goose", "Gooseberries, canned, light syrup pack, solids and liquids", 17);
        row("fish sticks", "Fish, fish portions and sticks, frozen, preheated", FIRST_FOOD);
        row("grape", "Grape juice, canned or bottled, unsweetened, with added ascorbic acid", 7);
        row("pigeon", "Squab, (pigeon), meat only, raw", FIRST_FOOD);
        row("custard", "Eclairs, custard-filled with chocolate glaze, prepared from recipe", FIRST_FOOD);
        row("beer", "Carbonated beverage, root beer", 9);
        row("mango", "Mango nectar, canned", 3);
        // A list of what a food is made of names none of them ("Soup, beef and vegetables").
        row("vegetable soup", "Soup, vegetable, canned, low sodium, condensed", FIRST_FOOD);
        row("pork bologna", "Bologna, pork", FIRST_FOOD);
        row("apple pie", "Pie, apple, commercially prepared, enriched flour", FIRST_FOOD);
        // A later part that is a searched word, before a name that merely holds it.
        row("whipped topping", "Cream, whipped, cream topping, pressurized", 3);
        // Every word held whole before a name that opens with one of them.
        row("mature pigeon", "Pigeon peas (red gram), mature seeds, raw", FIRST_FOOD);
        row("winged mature", "Winged beans, mature seeds, raw", FIRST_FOOD);
        row("candies mars", "Candies, MARS SNACKFOOD US, M&M's Milk Chocolate Candies", FIRST_FOOD);
        row("canned mango", "Mango nectar, canned", FIRST_FOOD);
        // While the last word is still being typed, a name that opens with a word typed whole
        // comes before a heavier one that holds that word further on ("Crackers, ... peanut butter").
        row("peanut bu", "Peanut butter, smooth style, with salt", 3);
        row("mango ne", "Mango nectar, canned", FIRST_FOOD);
        // A word joined by a hyphen finds what its words typed apart find.
        row("skim-milk", "Milk, nonfat, fluid, with added vitamin A and vitamin D (fat free or skim)", FIRST_FOOD);
        // Words typed closed up that the catalogue writes apart, and other names and forms.
        row("icecream", "Ice creams, vanilla", 7);
        row("peanutbutter", "Peanut butter, smooth style, with salt", 3);
        row("sweetpotato", "Sweet potato, raw, unprepared", FIRST_FOOD);
        row("chickenbreast", "Chicken, broilers or fryers, breast, meat only, raw", FIRST_FOOD);
        row("hot-dog buns", "Rolls, hamburger or hotdog, plain", FIRST_FOOD);
        row("aubergine", "Eggplant, raw", FIRST_FOOD);
        row("courgette", "Squash, summer, zucchini, includes skin, raw", FIRST_FOOD);
        row("wholemeal bread", "Bread, whole-wheat, commercially prepared", 5);
        row("flavoured milk", "Ready-to-drink reduced fat milk beverage, flavored and sweetened, with added calcium, vitamin A and vitamin D", 3);
        row("tomato ketchup", "Catsup", FIRST_FOOD);
        row("stir-fry", "Mushrooms, shiitake, stir-fried", 8);
        row("sugar-free gum", "Chewing gum, sugarless", FIRST_FOOD);
        // The word typed before its other spelling, a hyphened word as the catalogue writes it,
        // the catalogue's closed-up name for the word, a "-free" word never its stem alone.
        row("buns", "Cinnamon buns, frosted (includes honey buns)", 5);
        row("oil-butter", "Vegetable oil-butter spread, reduced calorie", FIRST_FOOD);
        row("coconut-nut", "Frostings, coconut-nut, ready-to-eat", FIRST_FOOD);
        row("cinna-raisin", "Cereals ready-to-eat, KASHI, GOOD FRIENDS, Cinna-Raisin Crunch", FIRST_FOOD);
        row("kiwi", "Kiwifruit, green, raw", FIRST_FOOD);
        row("sugarless", "ARCHWAY Home Style Cookies, Sugar Free Oatmeal", 4);
        // A word of one- or two-letter words found whole, and a pasted apostrophe.
        row("v-8", "Campbell's V8 100% Vegetable Juice", FIRST_FOOD);
        row("b-b-q", "CAMPBELL Soup Company, CAMPBELL'S CHUNKY Soups, BBQ Seasoned Pork Soup", FIRST_FOOD);
        row("hershey\u2019s", "Candies, HERSHEY'S, ALMOND JOY BITES", FIRST_FOOD);
    }
    // Headers count as rows: they take the place of a food on the screen.
    void commonSearchShowsThePlainFoodInView()
    {
        QFETCH(QString, search);
        QFETCH(QString, food);
        QFETCH(int, at);
        DragListView foods(nullptr, "foods");
        searchFoods(foods, search);
        QStringList rows;
        for (QTreeWidgetItemIterator it(&foods); *it && rows.size() < at; ++it) {
            const int id = FoodViewItem::from(*it)->id;
            rows << (id < 0 ? (*it)->text(0) : FoodDBStatic::instance()->getFoodName(id));
        }
        QVERIFY2(rows.size() == at && rows.back() == food, qPrintable(rows.join(QStringLiteral(" | "))));
    }

    // Only the foods that hold the words as typed are shown, none holding some of their letters
    // or the stem of a "-free" word alone.
    void searchShowsOnlyTheFoodsHoldingIt_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<int>("foods");
        for (const char* search : {"a-1", "p-b-j", "7-up", "bar-b-q", "caffeine-free"})
            QTest::newRow(search) << QString::fromLatin1(search) << 0;
        QTest::newRow("salt-free") << QStringLiteral("salt-free") << 1;
    }
    void searchShowsOnlyTheFoodsHoldingIt()
    {
        QFETCH(QString, search);
        QFETCH(int, foods);
        DragListView list(nullptr, "foods");
        searchFoods(list, search);
        int shown = 0;
        for (QTreeWidgetItemIterator it(&list); *it; ++it)
            shown += FoodViewItem::from(*it)->id >= 0 ? 1 : 0;
        QCOMPARE(shown, foods);
    }

    void createFindAndRenameACustomFood()
    {
        QString name = QStringLiteral("New food");
        QString serving = QStringLiteral("Serving");
        DBTypes::FoodItem values;
        values.clearValues(false);
        std::unique_ptr<EditFoodDialog> editor(EditFoodDialog::construct(nullptr));
        editor->bindToFood(name, serving, values);
        QTimer::singleShot(0, editor.get(), [&editor]() {
            editor->nameEdit->setText(QStringLiteral("Grandma's scone"));
            editor->row(DBTypes::ENERGY).checkBox->setChecked(true);
            editor->row(DBTypes::ENERGY).edit->setText(QStringLiteral("250"));
            editor->okButton->click();
        });
        QCOMPARE(editor->exec(), int(QDialog::Accepted));
        FoodDBDynamic* store = FoodDBDynamic::instance();
        const qint64 root = store->getRootForUser(_user);
        const qint64 id = store->createFood(root, name, serving, values);
        QVERIFY(id > 0);

        QWidget page;
        page.setObjectName(QStringLiteral("tabMyFoods"));
        DragListView custom(&page, "customFoods");
        custom.setup(QPixmap(), FoodItemFlag | CustomItemFlag);
        custom.setDb(store);
        custom.setSearch(QStringLiteral("scone"), false);
        custom.applyTerms(true);
        FoodViewItem* row = custom.locateFvi(id, false, nullptr);
        QVERIFY(row);
        QCOMPARE(row->text(0), QStringLiteral("Grandma's scone"));

        // The panel stores a rename it is told of; the list then shows the stored name.
        connect(&custom, &DragListView::itemRenamed, [store](QTreeWidgetItem* renamed, int, const QString& text) {
            const int foodId = FoodViewItem::from(renamed)->id;
            store->updateFood(foodId, text, QStringLiteral("Serving"), *store->getFoodItem(foodId));
        });
        custom.setSearch(QString(), false);
        custom.applyTerms(false);
        row = custom.locateFvi(id, false, nullptr);
        custom.editItem(row, 0);
        auto* box = custom.findChild<QLineEdit*>(QStringLiteral("qt_renamebox"));
        QVERIFY(box);
        box->setText(QStringLiteral("Scone, Grandma's"));
        QTest::keyClick(box, Qt::Key_Return);
        QTRY_COMPARE(store->getFoodName(id), QStringLiteral("Scone, Grandma's"));
        QTRY_VERIFY(findRow(custom, QStringLiteral("Scone, Grandma's")));
        QCOMPARE(store->getFoodItem(id)->energy, 250.0f);
    }

    void dropADiaryEntryOnCustomFoods()
    {
        DBTypes::FoodDiaryItem entry;
        entry.changeFood(BUTTER_SALTED);
        entry.userId = _user;
        entry.meal = 5;
        entry.setDate("20260106");
        const int entryId = DiaryDB::instance()->addFoodEntry(entry, false);
        QVERIFY(entryId > 0);

        QWidget page;
        page.setObjectName(QStringLiteral("tabMyFoods"));
        DragListView custom(&page, "customFoods");
        custom.setup(QPixmap(), FoodItemFlag | CustomItemFlag);
        FoodDBDynamic* store = FoodDBDynamic::instance();
        custom.setDb(store);
        QWidget diary;
        diary.setObjectName(QStringLiteral("mealView"));
        ItemDrag drag(entryId, FoodItemFlag);
        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral("Butter pat"));
        QVERIFY(custom.dropPayload(&drag, &diary, custom.locateFvi(store->getRootForUser(_user), true, nullptr)));
        FoodViewItem* created = findRow(custom, QStringLiteral("Butter pat"));
        QVERIFY(created);
        QCOMPARE(store->getFoodItem(created->id)->energy, entry.values.energy);
    }

private:
    qint64 _user = -1;
};

QTEST_MAIN(TestBrowserEndToEnd)
#include "tst_browserendtoend.moc"
