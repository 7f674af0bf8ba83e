#include "core/clock.h"
#include "core/unitcollection.h"
#include "core/unitenergy.h"
#include "profile/targetdialog.h"
#include "widgets/bxtickbox.h"
#include "tests/profile/checkinfixture.h"
#include "tests/support/otherreader.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace CheckinTest;

namespace {

const QDate s_today(2026, 3, 15);
const DBTypes::NutType s_shown[] = {DBTypes::ENERGY, DBTypes::CARBS, DBTypes::FAT,
                                    DBTypes::PROTEIN, DBTypes::FIBER};

QByteArray code(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

qint64 user()
{
    return UserDB::instance()->getCurrentUser();
}

void storeTargets(const QDate& date, std::initializer_list<std::pair<DBTypes::NutType, float>> targets)
{
    DBTypes::CheckinItem item;
    UserDB::clearCheckinItem(item);
    item.userId = user();
    qstrcpy(item.date, code(date).constData());
    for (const auto& [nut, value] : targets)
        item.setTarget(nut, value);
    QVERIFY(UserDB::instance()->addCheckin(item, false));
}

// The targets in force on the date, "-" for none, in row order.
QStringList targetsOn(const QDate& date)
{
    const DBTypes::CheckinItem item = UserDB::instance()->getCheckin(user(), code(date).constData()).value();
    QStringList shown;
    for (DBTypes::NutType nut : s_shown)
        shown << (item.noTarget(nut) ? QStringLiteral("-") : QString::number(item.target(nut)));
    return shown;
}

QStringList fieldTexts(const TargetDialog& dialog)
{
    QStringList texts;
    for (DBTypes::NutType nut : s_shown)
        texts << dialog.row(nut).edit->text();
    return texts;
}

std::unique_ptr<TargetDialog> dialogOn(const QDate& date)
{
    std::unique_ptr<TargetDialog> dialog(TargetDialog::construct(nullptr));
    dialog->setDate(date);
    return dialog;
}

void newUser()
{
    UserDB* users = UserDB::instance();
    QCOMPARE(users->deleteUser(users->getCurrentUser()), 0);
    const int added = addCompleteUser(QStringLiteral("Bea"));
    QVERIFY(added >= 0);
    users->setCurrentUser(added);
}

} // namespace

class TestTargetDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Clock::setNow(QDateTime(s_today, QTime(12, 0)));
        QVERIFY(startSessionWithUser(QStringLiteral("Ann")));
    }

    void init() { newUser(); }

    void cleanupTestCase()
    {
        Clock::reset();
        UnitCollection::cleanUp();
        endSession();
    }

    void energyOnlyShowsAndSavesAsItWas()
    {
        storeTargets(s_today.addDays(-2), {{DBTypes::ENERGY, 1800.0f}});
        ScriptedPrompter prompter;
        auto dialog = dialogOn(s_today);
        QCOMPARE(dialog->getDate(), s_today);
        QCOMPARE(fieldTexts(*dialog), (QStringList{"1800", "", "", "", ""}));
        QVERIFY(!dialog->row(DBTypes::ENERGY).tick->pixmap().isNull());
        for (DBTypes::NutType nut : {DBTypes::CARBS, DBTypes::FAT, DBTypes::PROTEIN, DBTypes::FIBER})
            QVERIFY(dialog->row(nut).tick->pixmap().isNull());
        QVERIFY(saveWidgetPicture(dialog.get(), QStringLiteral("targetdialog-kcal")));

        dialog->saveButton->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(prompter.asked.isEmpty());
        QCOMPARE(targetsOn(s_today), (QStringList{"1800", "-", "-", "-", "-"}));
    }

    void typedTargetsAreStoredWithOneDecimal()
    {
        auto dialog = dialogOn(s_today);
        QCOMPARE(fieldTexts(*dialog), QStringList(5, QString()));
        dialog->row(DBTypes::ENERGY).edit->setText(QStringLiteral("2100"));
        dialog->row(DBTypes::FAT).edit->setText(QStringLiteral("65.46"));
        dialog->row(DBTypes::FIBER).edit->setText(QStringLiteral("30"));
        // While another program holds the diary the dialog stays, with what was typed: one
        // wait for each try, and the choice to try again or not.
        {
            OtherReader other(BXSqlDb::instance()->database().databaseName(), OtherReader::Exclusive);
            QVERIFY(other.reading());
            BusyWaits waits(10000);
            ScriptedPrompter prompter;
            prompter.answer(0); // Retry, then Cancel
            dialog->saveButton->click();
            QCOMPARE(waits.count(), 2);
            QCOMPARE(prompter.asked.size(), 2);
            QCOMPARE(prompter.asked.at(1).options, (QStringList{"Retry", "Cancel"}));
            QVERIFY(prompter.lastText().startsWith(
                QStringLiteral("The diary is in use by another program")));
        }
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(fieldTexts(*dialog), (QStringList{"2100", "", "65.46", "", "30"}));
        QCOMPARE(targetsOn(s_today), QStringList(5, QStringLiteral("-")));
        dialog->saveButton->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(targetsOn(s_today), (QStringList{"2100", "-", "65.5", "-", "30"}));
        // The day before keeps having none.
        QCOMPARE(targetsOn(s_today.addDays(-1)), (QStringList{"-", "-", "-", "-", "-"}));
    }

    void clearingEveryTargetAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("yes") << int(QMessageBox::Yes) << QStringList{"-", "-", "-", "-", "-"};
        QTest::newRow("no") << int(QMessageBox::No) << QStringList{"2000", "250", "-", "-", "-"};
    }

    void clearingEveryTargetAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, after);
        storeTargets(s_today.addDays(-5), {{DBTypes::ENERGY, 2000.0f}, {DBTypes::CARBS, 250.0f}});
        ScriptedPrompter prompter;
        prompter.answer(answer);
        auto dialog = dialogOn(s_today);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QTest::mouseClick(dialog->row(DBTypes::ENERGY).tick, Qt::LeftButton);
        QCOMPARE(dialog->row(DBTypes::ENERGY).edit->text(), QString());
        QVERIFY(dialog->row(DBTypes::ENERGY).tick->pixmap().isNull());
        dialog->row(DBTypes::CARBS).edit->setText(QStringLiteral("  "));
        dialog->saveButton->click();

        QCOMPARE(prompter.asked.size(), 1);
        QCOMPARE(prompter.lastCaption(), QStringLiteral("No nutrients data"));
        QCOMPARE(prompter.lastText(),
                 QStringLiteral("Are you sure you want to delete all nutritional targets from this "
                                "date?\n\nYour nutrient info prior to this date will still be "
                                "preserved."));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(targetsOn(s_today), after);
        QCOMPARE(targetsOn(s_today.addDays(-5)), (QStringList{"2000", "250", "-", "-", "-"}));
    }

    void aDateWithoutTargetsIsNotAsked()
    {
        ScriptedPrompter prompter;
        auto dialog = dialogOn(s_today);
        dialog->saveButton->click();
        QVERIFY(prompter.asked.isEmpty());
        QCOMPARE(targetsOn(s_today), (QStringList{"-", "-", "-", "-", "-"}));
    }

    void toOneDecimal()
    {
        std::unique_ptr<TargetDialog> dialog(TargetDialog::construct(nullptr));
        QCOMPARE(dialog->toOneDec(QStringLiteral("12.34")), QStringLiteral("12.3"));
        QCOMPARE(dialog->toOneDec(QStringLiteral("7")), QStringLiteral("7.0"));
        QCOMPARE(dialog->toOneDec(QStringLiteral("   ")), QString());
        QCOMPARE(dialog->toOneDec(QString()), QString());
    }

    void kilojoulesAreStoredAsKilocalories()
    {
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilojoules));
        auto dialog = dialogOn(s_today);
        QCOMPARE(dialog->row(DBTypes::ENERGY).units->text(), QStringLiteral("kJ"));
        dialog->row(DBTypes::ENERGY).edit->setText(QStringLiteral("8360"));
        QVERIFY(saveWidgetPicture(dialog.get(), QStringLiteral("targetdialog-kj")));
        dialog->saveButton->click();
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilocalories));
        QCOMPARE(targetsOn(s_today).first(), QStringLiteral("2000"));

        // Saved untouched in kilojoules, stored targets stay as stored, not their figures.
        storeTargets(s_today, {{DBTypes::ENERGY, 1719.0f}, {DBTypes::FAT, 61.1111f}});
        const QStringList stored = targetsOn(s_today);
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilojoules));
        auto again = dialogOn(s_today);
        QCOMPARE(fieldTexts(*again).mid(0, 3), (QStringList{"7185", "", "61.1"}));
        again->saveButton->click();
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilocalories));
        QCOMPARE(targetsOn(s_today), stored);
    }

    void savingLeavesWaterWeightAndNoteAlone()
    {
        UserDB* store = UserDB::instance();
        QVERIFY(store->setDaysMeasurements(user(), code(s_today).constData(),
                                           makeSet({{M::Weight, 70.0f}}, "a note")));
        QVERIFY(store->setFluid(user(), code(s_today).constData(), 5));
        auto dialog = dialogOn(s_today);
        dialog->row(DBTypes::PROTEIN).edit->setText(QStringLiteral("90"));
        dialog->saveButton->click();
        QCOMPARE(targetsOn(s_today), (QStringList{"-", "-", "-", "90", "-"}));
        QCOMPARE(store->getFluid(user(), code(s_today).constData()).value(), 5);
        QCOMPARE(describe(store->getDaysMeasurements(user(), code(s_today).constData()).value()),
                 QStringLiteral("weight=70.00 note=a note"));
    }

    void nothingIsStoredWithoutADate()
    {
        std::unique_ptr<TargetDialog> dialog(TargetDialog::construct(nullptr));
        QVERIFY(dialog->getDate().isNull());
        dialog->row(DBTypes::ENERGY).edit->setText(QStringLiteral("1500"));
        dialog->saveButton->click();
        QCOMPARE(targetsOn(s_today), (QStringList{"-", "-", "-", "-", "-"}));
        QVERIFY(!UserDB::instance()->hasCheckin(user(), code(s_today).constData()).value());
    }

    void cancelStoresNothing()
    {
        auto dialog = dialogOn(s_today);
        dialog->show();
        dialog->row(DBTypes::ENERGY).edit->setText(QStringLiteral("1500"));
        dialog->closeButton->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(targetsOn(s_today).first(), QStringLiteral("-"));
    }
};

QTEST_MAIN(TestTargetDialog)
#include "tst_targetdialog.moc"
