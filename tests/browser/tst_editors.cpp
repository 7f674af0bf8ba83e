#include "browser/editexdialog.h"
#include "browser/editfooddialog.h"
#include "core/numbervalidator.h"
#include "core/unitdescriptor.h"
#include "widgets/numberfieldcheck.h"
#include "tests/browser/browserfixture.h"
#include "tests/support/widgetpicture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Runs the dialog, doing `step` while it is open, then pressing the button.
template <typename Dialog>
int runWith(Dialog& dialog, const std::function<void()>& step, QPushButton* press)
{
    QTimer::singleShot(0, &dialog, [step, press]() {
        step();
        press->click();
    });
    return dialog.exec();
}

// What a kilojoule user types for an energy in kilocalories.
QString shown(double kilocalories)
{
    return QString::number(UnitCollection::instance()->get(DBTypes::ENERGY)->displayValue(kilocalories), 'f', 3);
}

DBTypes::FoodItem blankFood()
{
    DBTypes::FoodItem food;
    food.clearValues(false);
    return food;
}

} // namespace

class TestEditors : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { BrowserFixture::startSmallSession(); }
    void cleanupTestCase() { BrowserFixture::endSession(); }
    void init() { BrowserFixture::useKilojoules(false); }

    void newFoodKeepsUntouchedValuesUnset()
    {
        QString name = QStringLiteral("New food");
        QString serving = QStringLiteral("Serving");
        DBTypes::FoodItem food = blankFood();
        std::unique_ptr<EditFoodDialog> dialog(EditFoodDialog::construct(nullptr));
        dialog->bindToFood(name, serving, food);
        const auto& sugar = dialog->row(DBTypes::SUGAR);
        const int result = runWith(*dialog, [&]() {
            QCOMPARE(dialog->nameEdit->text(), QStringLiteral("New food"));
            for (const auto& row : dialog->rows()) {
                QVERIFY(!row.checkBox->isChecked());
                QVERIFY(!row.edit->isEnabled());
            }
            QVERIFY(dialog->okButton->isEnabled());
            // Ticked, typed and cleared again: stored as "no value".
            sugar.checkBox->setChecked(true);
            QVERIFY(sugar.edit->isEnabled());
            sugar.edit->setText(QStringLiteral("12"));
            sugar.checkBox->setChecked(false);
            dialog->nameEdit->setText(QStringLiteral("  Flapjack"));
        }, dialog->okButton);
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(name, QStringLiteral("  Flapjack"));
        QCOMPARE(food.sugar, -999.0f);
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
            if (nut != DBTypes::SUGAR)
                QCOMPARE(food.getNutrient(DBTypes::NutType(nut)), -1.0f);
        }
    }

    void editingOneValueRewritesOnlyIt()
    {
        QString name = QStringLiteral("Oat cake");
        QString serving = QStringLiteral("piece");
        DBTypes::FoodItem food = blankFood();
        food.energy = 123.456f;
        food.fat = 4.44f;
        food.protein = 0.0f;
        food.sodium = -999.0f;
        std::unique_ptr<EditFoodDialog> dialog(EditFoodDialog::construct(nullptr));
        dialog->bindToFood(name, serving, food);
        const int result = runWith(*dialog, [&]() {
            QVERIFY(dialog->row(DBTypes::PROTEIN).checkBox->isChecked()); // 0 is a value
            QCOMPARE(dialog->row(DBTypes::PROTEIN).edit->text(), QStringLiteral("0.0"));
            QVERIFY(!dialog->row(DBTypes::SODIUM).checkBox->isChecked());
            dialog->row(DBTypes::FAT).edit->setText(QStringLiteral("5.5"));
        }, dialog->okButton);
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(food.fat, 5.5f);
        QCOMPARE(food.energy, 123.456f);
        QCOMPARE(food.protein, 0.0f);
        QCOMPARE(food.sodium, -999.0f);
        QCOMPARE(food.calcium, -1.0f);
    }

    void cancelAndBlankNamesChangeNothing()
    {
        QString name = QStringLiteral("Soup");
        QString serving = QStringLiteral("bowl");
        DBTypes::FoodItem food = blankFood();
        food.energy = 80.0f;
        std::unique_ptr<EditFoodDialog> dialog(EditFoodDialog::construct(nullptr));
        dialog->bindToFood(name, serving, food);
        const int result = runWith(*dialog, [&]() {
            dialog->nameEdit->setText(QStringLiteral("   "));
            QVERIFY(!dialog->okButton->isEnabled());
            dialog->nameEdit->setText(QStringLiteral("Stew"));
            dialog->servingEdit->clear();
            QVERIFY(!dialog->okButton->isEnabled());
            dialog->row(DBTypes::ENERGY).edit->setText(QStringLiteral("99"));
        }, dialog->cancelButton);
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(name, QStringLiteral("Soup"));
        QCOMPARE(serving, QStringLiteral("bowl"));
        QCOMPARE(food.energy, 80.0f);
    }

    void kilojoulesRoundTrip()
    {
        BrowserFixture::useKilojoules(true);
        QString name = QStringLiteral("Bar");
        QString serving = QStringLiteral("bar");
        DBTypes::FoodItem food = blankFood();
        food.energy = 100.0f;
        std::unique_ptr<EditFoodDialog> dialog(EditFoodDialog::construct(nullptr));
        dialog->bindToFood(name, serving, food);
        const auto& energy = dialog->row(DBTypes::ENERGY);
        QCOMPARE(energy.units->text(), UnitCollection::instance()->get(DBTypes::ENERGY)->printUnits());
        runWith(*dialog, [&]() {
            QCOMPARE(energy.edit->text(), UnitCollection::instance()->get(DBTypes::ENERGY)->printNumber(100.0));
            energy.edit->setText(shown(200.0));
        }, dialog->okButton);
        QCOMPARE(food.energy, 200.0f);
    }

    void formTexts()
    {
        std::unique_ptr<EditFoodDialog> dialog(EditFoodDialog::construct(nullptr));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit food"));
        QCOMPARE(dialog->row(DBTypes::FIBER).checkBox->text(), QStringLiteral("Fi&ber"));
        QCOMPARE(dialog->rows().front().nut, DBTypes::ENERGY);
        QCOMPARE(dialog->rows().back().nut, DBTypes::SATFAT);
        QVERIFY(dialog->findChild<QLineEdit*>(QStringLiteral("saturated_fatEdit")));
        QVERIFY(!dialog->cancelButton->autoDefault());
        dialog->adjustSize();
        QVERIFY(saveWidgetPicture(dialog.get(), "editfooddialog"));
    }

    void exerciseRateKeptUnlessTyped()
    {
        DBTypes::ExerciseItem exercise;
        exercise.name = QStringLiteral("Rowing");
        exercise.offset = 3.4f;
        std::unique_ptr<EditExDialog> dialog(EditExDialog::construct(nullptr));
        dialog->bindToEx(exercise);
        QCOMPARE(dialog->textLabel1_2->text(), QStringLiteral("&Burn Rate (Calories per minute)"));
        const auto* rate = NumberFieldCheck::validatorOf(dialog->rateEdit);
        QCOMPARE(rate->refusal(QStringLiteral("101")),
                 QStringLiteral("Burn rate must be a number from 0 to 100 cals a minute."));
        runWith(*dialog, [&]() { dialog->nameEdit->setText(QStringLiteral("Rowing, hard")); },
                dialog->okButton);
        QCOMPARE(exercise.name, QStringLiteral("Rowing, hard"));
        QCOMPARE(exercise.offset, 3.4f);
        QCOMPARE(exercise.factor, 0.0f);

        runWith(*dialog, [&]() {
            dialog->nameEdit->setText(QStringLiteral(" "));
            QVERIFY(!dialog->okButton->isEnabled());
        }, dialog->cancelButton);
        QCOMPARE(exercise.name, QStringLiteral("Rowing, hard"));

        BrowserFixture::useKilojoules(true);
        std::unique_ptr<EditExDialog> kilojoules(EditExDialog::construct(nullptr));
        kilojoules->bindToEx(exercise);
        QCOMPARE(kilojoules->textLabel1_2->text(), QStringLiteral("&Burn Rate (Kilojoules per minute)"));
        runWith(*kilojoules, [&]() { kilojoules->rateEdit->setText(shown(10.0)); },
                kilojoules->okButton);
        QCOMPARE(exercise.offset, 10.0f);
        QCOMPARE(NumberFieldCheck::validatorOf(kilojoules->rateEdit)->refusal(QStringLiteral("-1")),
                 QStringLiteral("Burn rate must be a number from 0 to 418 kJ a minute."));
        kilojoules->adjustSize();
        QVERIFY(saveWidgetPicture(kilojoules.get(), "editexdialog-kj"));
    }
};

QTEST_MAIN(TestEditors)
#include "tst_editors.moc"
