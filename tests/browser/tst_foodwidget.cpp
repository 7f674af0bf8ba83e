#include "browser/addfooddialog.h"
#include "browser/addfoodpopupmenu.h"
#include "browser/foodwidget.h"
#include "catalogue/fooddbdynamic.h"
#include "core/unitdescriptor.h"
#include "tests/browser/browserfixture.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/widgetpicture.h"
#include "userdb/savedmealdb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(DBTypes::FoodItem)

namespace {

using BrowserFixture::energyText;

DBTypes::FoodDiaryItem mealFood(const QString& name, float energy, float fat, float size)
{
    DBTypes::FoodDiaryItem entry;
    entry.desc = name;
    entry.servingDesc = QStringLiteral("cup");
    entry.refId = 0;
    entry.size = size;
    entry.values.kind = 'F';
    entry.values.energy = energy;
    entry.values.fat = fat;
    return entry;
}

} // namespace

class TestFoodWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { BrowserFixture::startSmallSession(); }
    void cleanupTestCase() { BrowserFixture::endSession(); }
    void init() { BrowserFixture::useKilojoules(false); }

    void amountTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("amount");
        QTest::newRow("decimal") << "1.00" << true << 1.0;
        QTest::newRow("whole") << "100" << true << 100.0;
        QTest::newRow("leading point") << ".5" << true << 0.5;
        QTest::newRow("longest decimal") << "1234.567" << true << 1234.567;
        QTest::newRow("mixed") << "1 1/2" << true << 1.5;
        QTest::newRow("mixed backslash") << "1 1\\2" << true << 1.5;
        QTest::newRow("fraction") << "3/4" << true << 0.75;
        QTest::newRow("zero divisor") << "3/0" << false << 0.0;
        QTest::newRow("mixed zero divisor") << "1 1/0" << false << 0.0;
        QTest::newRow("two words") << "1 1" << false << 0.0;
        QTest::newRow("spaced fraction") << "2 /4" << false << 0.0;
        QTest::newRow("lone slash") << "/" << false << 0.0;
        QTest::newRow("open fraction") << "12/" << false << 0.0;
        QTest::newRow("no numerator") << "/4" << false << 0.0;
        QTest::newRow("five digits") << "12345" << false << 0.0;
        QTest::newRow("four places") << "1.2345" << false << 0.0;
        QTest::newRow("negative") << "-1" << false << 0.0;
        QTest::newRow("zero") << "0" << false << 0.0;
        QTest::newRow("comma in C") << "1,5" << false << 0.0;
    }

    void amountTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, amount);
        FoodWidget panel;
        panel.setFood(102);
        panel.sizeLineEdit->setText(text);
        QCOMPARE(panel.isValidInput(text), valid);
        QCOMPARE(panel.toDouble(), amount);
        // Add stays enabled; pressing it names a refused amount.
        QVERIFY(panel.addButton->isEnabled());
        QCOMPARE(panel.duplicateButton->isEnabled(), valid);
    }

    // Typed keys stay in the field: a refused amount is named when Add is pressed, and
    // nothing is added, where "1,5" once became 15 servings.
    void addNamesARefusedAmount_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<float>("added");
        const QLocale german(QLocale::German, QLocale::Germany);
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("de 1,5") << german << "1,5" << 1.5f;
        QTest::newRow("en 1,5") << english << "1,5" << 0.0f;
        QTest::newRow("en 12345") << english << "12345" << 0.0f;
        QTest::newRow("en 1.2345") << english << "1.2345" << 0.0f;
        QTest::newRow("en 1 1/2") << english << "1 1/2" << 1.5f;
        QTest::newRow("de 1.000") << german << "1.000" << 0.0f;
        QTest::newRow("de 1.5") << german << "1.5" << 0.0f;
    }

    void addNamesARefusedAmount()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, typed);
        QFETCH(float, added);
        QLocale::setDefault(locale);
        FoodWidget panel;
        panel.setFood(100);
        QList<float> sizes;
        connect(&panel, &FoodWidget::addContextFood,
                [&sizes](DBTypes::FoodDiaryItem& entry) { sizes << entry.size; });
        panel.sizeLineEdit->clear();
        QTest::keyClicks(panel.sizeLineEdit, typed);
        QCOMPARE(panel.sizeLineEdit->text(), typed);
        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral("Add food to breakfast"));
        QTest::mouseClick(panel.addButton, Qt::LeftButton);
        QLocale::setDefault(QLocale::c());
        if (added > 0.0f) {
            QCOMPARE(sizes, QList<float>{added});
            return;
        }
        QVERIFY(sizes.isEmpty());
        QCOMPARE(panel.caloriesLabel->text(), QStringLiteral("-"));
        QCOMPARE(prompter.asked.size(), 1);
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Add Food"));
        QVERIFY2(prompter.lastText().startsWith(
                     QStringLiteral("Amount must be a number from 0") + locale.decimalPoint()
                     + QStringLiteral("001 to 9999, with at most 3 decimals.")),
                 qPrintable(prompter.lastText()));
    }

    void gramFoodStartsAt100GramsButAnEntryKeepsItsServing()
    {
        FoodWidget panel;
        panel.setFood(101);
        QCOMPARE(panel.servingBox->currentText(), QStringLiteral("g"));
        QCOMPARE(panel.sizeLineEdit->text(), QStringLiteral("100"));
        QCOMPARE(panel.caloriesLabel->text(), energyText(400.0));
        QCOMPARE(panel.nameLabel->text(), QStringLiteral("<center><h3>Cheese slices</h3></center>\n"));

        DBTypes::FoodDiaryItem entry;
        entry.changeFood(101);
        entry.updateFoodInfo(1, 2.0f); // two slices
        entry.entryId = 17;
        entry.meal = 3;
        panel.setFoodItem(entry);
        QCOMPARE(panel.servingBox->currentText(), QStringLiteral("slice"));
        QCOMPARE(panel.sizeLineEdit->text(), QStringLiteral("2.00"));
        const DBTypes::FoodDiaryItem& shown = panel.getFoodDiaryItem();
        QCOMPARE(shown.servingId, 1);
        QCOMPARE(shown.size, 2.0f);
        QCOMPARE(shown.entryId, 17);
        QCOMPARE(shown.meal, 3);
        QCOMPARE(shown.values.energy, 240.0f);

        // A third of a slice, shown rounded, stays a third until the amount is typed.
        entry.updateFoodInfo(1, 1.0f / 3.0f);
        panel.setFoodItem(entry);
        QCOMPARE(panel.sizeLineEdit->text(), QStringLiteral("0.33"));
        QCOMPARE(panel.getFoodDiaryItem().size, 1.0f / 3.0f);
        panel.sizeLineEdit->setText(QStringLiteral("0.5"));
        QCOMPARE(panel.getFoodDiaryItem().size, 0.5f);
    }

    // A custom food row of a foreign backup may carry an id that the catalogue cannot resolve:
    // the panel says so and offers nothing to add.
    void unresolvedFoodIsShownAsSuch_data()
    {
        QTest::addColumn<int>("id");
        QTest::newRow("below the custom range") << 0x00ABCDEF;
        QTest::newRow("unknown custom id") << 0x1ABCDEF;
        QTest::newRow("outside every range") << 0x3000001;
    }

    void unresolvedFoodIsShownAsSuch()
    {
        QFETCH(int, id);
        FoodWidget panel;
        panel.setFood(101);
        panel.setFood(id);
        QVERIFY2(panel.nameLabel->text().contains(QStringLiteral("cannot be found")),
                 qPrintable(panel.nameLabel->text()));
        QCOMPARE(panel.servingBox->count(), 0);
        QVERIFY(!panel.addButton->isEnabled());
    }

    void foodWithoutServingsEmptiesTheListAndDisablesAdd()
    {
        FoodWidget panel;
        panel.setFood(100);
        QVERIFY(panel.servingBox->count() > 0);
        DBTypes::FoodDiaryItem entry = mealFood(QStringLiteral("Soup"), 90.0f, 1.0f, 1.0f);
        panel.setFoodItem(entry);
        QCOMPARE(panel.servingBox->count(), 0);
        QVERIFY(!panel.addButton->isEnabled());
        QCOMPARE(panel.getFoodDiaryItem().values.energy, 90.0f);
    }

    void menuFollowsSnackDisplay_data()
    {
        QTest::addColumn<int>("display");
        QTest::addColumn<QList<int>>("visible");
        QTest::newRow("together") << 0 << QList<int>{1, 3, 5, 7};
        QTest::newRow("between meals") << 1 << QList<int>{1, 2, 3, 4, 5, 6};
        QTest::newRow("numbered") << 2 << QList<int>{1, 3, 5, 8, 9, 10};
    }

    void menuFollowsSnackDisplay()
    {
        QFETCH(int, display);
        QFETCH(QList<int>, visible);
        AddFoodPopupMenu menu(nullptr);
        menu.applySnackDisplay(display);
        QList<int> shown;
        for (int id = 1; id <= AddFoodPopupMenu::ITEM_COUNT; ++id) {
            if (menu.item(id)->isVisible())
                shown << id;
        }
        QCOMPARE(shown, visible);
        menu.applySnackDisplay(7);
        QCOMPARE(menu.item(visible.last())->isVisible(), true);
        const QList<int> meals{1, 2, 3, 4, 5, 6, 6, 2, 4, 6};
        for (int id = 1; id <= AddFoodPopupMenu::ITEM_COUNT; ++id)
            QCOMPARE(AddFoodPopupMenu::mealOf(id), meals[id - 1]);
    }

    void addButtonAddsToTheChosenMeal()
    {
        FoodWidget panel;
        panel.setSnackDisplay(DBTypes::SNACKS_NUMBERED);
        panel.setFood(100);
        panel.sizeLineEdit->setText(QStringLiteral("2"));
        QList<DBTypes::FoodDiaryItem> added;
        connect(&panel, &FoodWidget::addContextFood,
                [&added](DBTypes::FoodDiaryItem& entry) { added << entry; });
        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral("Add food to snacks #2"));
        prompter.answer(QStringLiteral("Add food to morning snack"));
        QTest::mouseClick(panel.addButton, Qt::LeftButton);
        QCOMPARE(added.count(), 1);
        const DBTypes::FoodDiaryItem entry = added.at(0);
        QCOMPARE(entry.meal, 4);
        QCOMPARE(entry.size, 2.0f);
        QCOMPARE(entry.values.energy, 2.0f * 240.0f * 52.0f / 100.0f);
        // A hidden entry cannot be chosen.
        QTest::mouseClick(panel.addButton, Qt::LeftButton);
        QCOMPARE(added.count(), 1);
    }

    void savedMealInKilojoulesAddsItsItemsScaled()
    {
        BrowserFixture::useKilojoules(true);
        const qint64 user = UserDB::instance()->getCurrentUser();
        std::vector<DBTypes::FoodDiaryItem> items{mealFood(QStringLiteral("Toast"), 100.0f, -1.0f, 2.0f),
                                                  mealFood(QStringLiteral("Jam"), 50.0f, 0.0f, 1.0f)};
        const qint64 meal = SavedMealDB::instance()->storeMeal(user, -1, "Breakfast set", items, true);
        QVERIFY(meal > 0);
        const DBTypes::FoodItem sum = SavedMealDB::instance()->getSavedMealAsFoodItem(meal).value();

        FoodWidget panel;
        panel.setFood(101); // a gram food first: the meal must not keep its 100
        panel.setSavedMeal(QStringLiteral("Breakfast set"), sum.energy, sum.fat, sum.protein,
                           sum.carbs, sum.fiber, sum.sugar, sum.satFat, sum.cholesterol,
                           sum.sodium, sum.calcium, meal);
        QCOMPARE(panel.sizeLineEdit->text(), QStringLiteral("1.0"));
        QCOMPARE(panel.servingBox->currentText(), QStringLiteral("Meal"));
        QCOMPARE(panel.energyDescLabel->text(), QStringLiteral("Kilojoules"));
        QCOMPARE(panel.caloriesLabel->text(), energyText(150.0));
        const QString fatShown = panel.fatLabel->text();
        // A meal's servings take the range they take when the meal is dropped on the diary.
        for (const char* refused : {"2001", "0.05", "1.125"})
            QVERIFY2(!panel.isValidInput(QLatin1String(refused)), refused);

        panel.sizeLineEdit->setText(QStringLiteral("1.5"));
        QCOMPARE(panel.caloriesLabel->text(), energyText(225.0));
        QVERIFY(panel.caloriesLabel->text().endsWith(QStringLiteral(" kJ")));
        QCOMPARE(panel.fatLabel->text(), fatShown); // a value of 0 keeps its text
        // Through a text that is no amount and back: every figure is shown again, a 0 too.
        panel.sizeLineEdit->setText(QStringLiteral("1/"));
        QCOMPARE(panel.fatLabel->text(), QStringLiteral("-"));
        panel.sizeLineEdit->setText(QStringLiteral("1.5"));
        QCOMPARE(panel.fatLabel->text(), fatShown);
        QCOMPARE(panel.caloriesLabel->text(), energyText(225.0));

        QList<DBTypes::FoodDiaryItem> added;
        connect(&panel, &FoodWidget::addContextFood,
                [&added](DBTypes::FoodDiaryItem& entry) { added << entry; });
        panel.addToMeal(3);
        QCOMPARE(added.count(), 2);
        const DBTypes::FoodDiaryItem toast = added.at(0);
        QCOMPARE(toast.meal, 3);
        QCOMPARE(toast.size, 3.0f);
        QCOMPARE(toast.values.energy, 150.0f);
        QVERIFY(!DBTypes::isPresent(toast.values.fat));
        QVERIFY(!DBTypes::isPresent(toast.values.calcium));
        SavedMealDB::instance()->deleteMeal(meal, user);
        panel.setFood(102);
        QVERIFY(panel.isValidInput(QStringLiteral("2001")));
    }

    void energyFollowsTheUnitWhenShownAgain_data()
    {
        QTest::addColumn<bool>("savedMeal");
        QTest::newRow("food") << false;
        QTest::newRow("saved meal") << true;
    }

    // Units chosen in the preferences while the panel was hidden show once it is shown again,
    // as on every other screen.
    void energyFollowsTheUnitWhenShownAgain()
    {
        QFETCH(bool, savedMeal);
        FoodWidget panel;
        panel.setFood(101);
        if (savedMeal) {
            panel.setSavedMeal(QStringLiteral("Breakfast set"), 400.0, 0.0, 0.0, 0.0, 0.0, 0.0,
                               0.0, 0.0, 0.0, 0.0, 1);
        }
        panel.show();
        QCOMPARE(panel.caloriesLabel->text(), energyText(400.0));
        panel.hide();
        BrowserFixture::useKilojoules(true);
        panel.show();
        QCOMPARE(panel.energyDescLabel->text(), QStringLiteral("Kilojoules"));
        QCOMPARE(panel.caloriesLabel->text(), energyText(400.0));
        QVERIFY(panel.caloriesLabel->text().endsWith(QStringLiteral(" kJ")));
    }

    void duplicateDividesPresentValuesOnly()
    {
        FoodWidget panel;
        panel.setFood(100);
        panel.servingBox->setCurrentIndex(panel.servingBox->findText(QStringLiteral("g")));
        panel.sizeLineEdit->setText(QStringLiteral("250"));
        QSignalSpy created(&panel, &FoodWidget::addToCustomFoodDB);
        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral("   "));
        panel.duplicate();
        QCOMPARE(created.count(), 0);
        prompter.answer(QStringLiteral(" My apple"));
        panel.duplicate();
        QCOMPARE(prompter.asked.last().caption, QStringLiteral("Duplicate Food"));
        QCOMPARE(prompter.asked.last().text, QStringLiteral("Enter a new food name"));
        QCOMPARE(created.count(), 1);
        const qint64 user = UserDB::instance()->getCurrentUser();
        QCOMPARE(created.at(0).at(0).toInt(), FoodDBDynamic::instance()->getRootForUser(user));
        QCOMPARE(created.at(0).at(1).toString(), QStringLiteral(" My apple"));
        QCOMPARE(created.at(0).at(2).toString(), QStringLiteral("g"));
        const auto values = created.at(0).at(3).value<DBTypes::FoodItem>();
        QCOMPARE(values.energy, 0.52f);
        QVERIFY(!DBTypes::isPresent(values.fat));
    }

    void favouritesBoxSignalsOnlyUserChanges()
    {
        FoodWidget panel;
        panel.setFavoritesEnabled(true);
        panel.setFood(100);
        QSignalSpy added(&panel, &FoodWidget::addToFavorites);
        QSignalSpy removed(&panel, &FoodWidget::removeFromFavorites);
        panel.setIsFavorite(false);
        QVERIFY(panel.favoritesCheckBox->isChecked());
        panel.setIsFavorite(true);
        QVERIFY(!panel.favoritesCheckBox->isChecked());
        QCOMPARE(added.count() + removed.count(), 0);
        panel.favoritesCheckBox->click();
        QCOMPARE(added.count(), 1);
        QCOMPARE(added.at(0).at(0).toInt(), 100);
        panel.favoritesCheckBox->click();
        QCOMPARE(removed.count(), 1);
    }

    void dialogAcceptsOnlyUsableAmounts()
    {
        std::unique_ptr<AddFoodDialog> dialog(AddFoodDialog::construct(nullptr));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Enter food"));
        QVERIFY(dialog->foodWidget->addButton->isHidden());
        QVERIFY(dialog->foodWidget->duplicateButton->isHidden());
        QVERIFY(dialog->foodWidget->favoritesCheckBox->isHidden());
        dialog->setFood(100);
        QVERIFY(dialog->addButton->isEnabled());
        dialog->foodWidget->sizeLineEdit->setText(QStringLiteral("3/0"));
        {
            ScriptedPrompter prompter;
            dialog->addButton->click();
            QCOMPARE(dialog->result(), int(QDialog::Rejected));
            QCOMPARE(prompter.asked.size(), 1);
        }
        dialog->foodWidget->sizeLineEdit->setText(QStringLiteral("1 1/2"));
        QVERIFY(dialog->addButton->isEnabled());
        QCOMPARE(dialog->getFoodDiaryItem().size, 1.5f);
        dialog->setAddButtonLabel(QStringLiteral("Apply"));
        dialog->setTitle(QStringLiteral("Edit entry"));
        QCOMPARE(dialog->addButton->text(), QStringLiteral("Apply"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit entry"));
    }

    void pictures()
    {
        for (bool kilojoules : {false, true}) {
            BrowserFixture::useKilojoules(kilojoules);
            FoodWidget panel;
            panel.setFavoritesEnabled(true);
            panel.setFood(100);
            panel.resize(panel.sizeHint());
            QVERIFY(saveWidgetPicture(&panel, kilojoules ? "foodwidget-kj" : "foodwidget-kcal"));
        }
        std::unique_ptr<AddFoodDialog> dialog(AddFoodDialog::construct(nullptr));
        dialog->setFood(101);
        dialog->adjustSize();
        QVERIFY(saveWidgetPicture(dialog.get(), "addfooddialog"));
    }
};

QTEST_MAIN(TestFoodWidget)
#include "tst_foodwidget.moc"
