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
// A household looks for what it searched at the top of the list, before any scrolling.
constexpr int ROWS_IN_VIEW = 10;
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
        QTest::addColumn<int>("within"); // the row the food stands at or above
        const auto row = [](const char* search, const char* food, int within = ROWS_IN_VIEW) {
            QTest::newRow(search) << QString::fromUtf8(search) << QString::fromUtf8(food) << within;
        };
        row("apple", "Apples, raw, with skin");
        row("milk", "Milk, whole, 3.25% milkfat, with added vitamin D");
        row("egg", "Egg, whole, raw, fresh");
        row("chicken breast", "Chicken, broilers or fryers, breast, meat only, raw");
        row("bread", "Bread, white, commercially prepared (includes soft bread crumbs)");
        row("cheese", "Cheese, cheddar");
        row("tomato", "Tomatoes, red, ripe, raw, year round average");
        row("orange", "Oranges, raw, all commercial varieties");
        row("coffee", "Coffee, brewed from grounds, prepared with tap water");
        row("potato", "Potato, baked, flesh and skin, without salt");
        row("eggs", "Egg, whole, raw, fresh");
        row("anchovies", "Fish, anchovy, european, raw");
        row("strawberry", "Strawberries, raw");
        row("blueberry", "Blueberries, raw");
        row("raspberry", "Raspberries, raw");
        row("cherry", "Cherries, sweet, raw");
        row("cranberry", "Cranberries, raw");
        row("greens", "Beet greens, raw");
        row("sweets", "Candies, hard");
        row("browns", "McDONALD'S, Hash Browns");
        row("fries", "McDONALD'S, French Fries");
        row("mangoes", "Mangos, raw");
        row("bay leaves", "Spices, bay leaf");
        row("loaves", "Beef, ground, 85% lean meat / 15% fat, loaf, cooked, baked");
        row("cashews", "Nuts, cashew nuts, raw");
        row("pistachios", "Nuts, pistachio nuts, raw");
        row("macadamias", "Nuts, macadamia nuts, raw");
        row("tri tips", "Beef, bottom sirloin, tri-tip roast, separable lean only, trimmed to 0\" fat, all grades, raw");
        row("grape leaf", "Grape leaves, raw");
        row("apple juice", "Apple juice, canned or bottled, unsweetened, without added ascorbic acid", FIRST_FOOD);
        row("pineapple juice", "Pineapple juice, canned, unsweetened, with added ascorbic acid", FIRST_FOOD);
        // The food itself before a dish named after it ("Pie, pecan", "Oil, walnut").
        row("pecan", "Nuts, pecans", FIRST_FOOD);
        row("walnut", "Nuts, walnuts, english", FIRST_FOOD);
        row("brownie", "Cookies, brownies, commercially prepared", FIRST_FOOD);
        // Words joined by a hyphen, found as the catalogue writes them apart or closed up.
        row("low-fat milk", "Milk, lowfat, fluid, 1% milkfat, with added vitamin A and vitamin D");
        row("half-and-half", "Cream, fluid, half and half");
        row("chick-peas", "Chickpeas (garbanzo beans, bengal gram), mature seeds, raw", FIRST_FOOD);
        row("ice-cream", "Ice creams, vanilla");
        row("peanut-butter", "Peanut butter, smooth style, with salt");
        row("non-fat yogurt", "Yogurt, fruit variety, nonfat", FIRST_FOOD);
        row("sugar-free energy drink", "Energy drink, AMP, sugar free");
        row("low-fat cottage cheese", "Cheese, cottage, lowfat, 1% milkfat");
        row("low-fat yogurt", "Yogurt, plain, low fat, 12 grams protein per 8 ounce");
        // A word written two common ways.
        row("donut", "Doughnuts, cake-type, plain (includes unsugared, old-fashioned)");
        row("ketchup", "Catsup", FIRST_FOOD);
        // The food whose own name opens with the search, before those that merely hold it;
        // a longer word that opens with it ("Kiwifruit", "Grapefruit") holds it inside a word.
        row("kiwi", "Kiwifruit, green, raw", 5);
        row("apple sauce", "Applesauce, canned, unsweetened, without added ascorbic acid (includes USDA commodity)", 5);
        row("fish sticks", "Fish, fish portions and sticks, frozen, preheated", FIRST_FOOD);
        row("grape", "Grape juice, canned or bottled, unsweetened, with added ascorbic acid", 7);
        row("pigeon", "Squab, (pigeon), meat only, raw", FIRST_FOOD);
        row("custard", "Eclairs, custard-filled with chocolate glaze, prepared from recipe", FIRST_FOOD);
        row("beer", "Carbonated beverage, root beer", 9);
        row("mango", "Mango nectar, canned", 3);
        // A list of what a food is made of names none of them ("Soup, beef and vegetables").
        row("vegetable soup", "Soup, vegetable, canned, low sodium, condensed", FIRST_FOOD);
        row("pork bologna", "Bologna, pork", FIRST_FOOD);
        // Every word held whole before a name that opens with one of them.
        row("mature pigeon", "Pigeon peas (red gram), mature seeds, raw", FIRST_FOOD);
        row("winged mature", "Winged beans, mature seeds, raw", FIRST_FOOD);
        row("candies mars", "Candies, MARS SNACKFOOD US, M&M's Milk Chocolate Candies", FIRST_FOOD);
        row("canned mango", "Mango nectar, canned", FIRST_FOOD);
        // A word joined by a hyphen finds what its words typed apart find.
        row("skim-milk", "Milk, nonfat, fluid, with added vitamin A and vitamin D (fat free or skim)", FIRST_FOOD);
        // Words typed closed up that the catalogue writes apart, and other names and forms.
        row("icecream", "Ice creams, vanilla");
        row("peanutbutter", "Peanut butter, smooth style, with salt", 3);
        row("sweetpotato", "Sweet potato, raw, unprepared", FIRST_FOOD);
        row("chickenbreast", "Chicken, broilers or fryers, breast, meat only, raw", FIRST_FOOD);
        row("hot-dog buns", "Rolls, hamburger or hotdog, plain", FIRST_FOOD);
        row("aubergine", "Eggplant, raw", FIRST_FOOD);
        row("courgette", "Squash, summer, zucchini, includes skin, raw", FIRST_FOOD);
        row("wholemeal bread", "Bread, whole-wheat, commercially prepared");
        row("flavoured milk", "Ready-to-drink reduced fat milk beverage, flavored and sweetened, with added calcium, vitamin A and vitamin D");
        row("tomato ketchup", "Catsup", FIRST_FOOD);
        row("stir-fry", "Mushrooms, shiitake, stir-fried");
        row("sugar-free gum", "Chewing gum, sugarless", FIRST_FOOD);
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
        QFETCH(int, within);
        DragListView foods(nullptr, "foods");
        searchFoods(foods, search);
        QStringList rows;
        for (QTreeWidgetItemIterator it(&foods); *it && rows.size() < within; ++it) {
            const int id = FoodViewItem::from(*it)->id;
            rows << (id < 0 ? (*it)->text(0) : FoodDBStatic::instance()->getFoodName(id));
        }
        QVERIFY2(rows.contains(food), qPrintable(rows.join(QStringLiteral(" | "))));
    }

    // No food holds these words as typed; none holding some of their letters is shown.
    void searchForNoFoodShowsNone_data()
    {
        QTest::addColumn<QString>("search");
        for (const char* search : {"a-1", "p-b-j", "7-up", "bar-b-q"})
            QTest::newRow(search) << QString::fromLatin1(search);
    }
    void searchForNoFoodShowsNone()
    {
        QFETCH(QString, search);
        DragListView foods(nullptr, "foods");
        searchFoods(foods, search);
        QCOMPARE(foods.topLevelItemCount(), 0);
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
