#include "browser/addexercisedialog.h"
#include "browser/exercisewidget.h"
#include "catalogue/exdbdynamic.h"
#include "core/unitdescriptor.h"
#include "tests/browser/browserfixture.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/widgetpicture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
constexpr int RUNNING = 300; // burn rate 0.1 per kilogram and minute
} // namespace

using BrowserFixture::energyText;

class TestExerciseWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { BrowserFixture::startSmallSession(); }
    void cleanupTestCase() { BrowserFixture::endSession(); }
    void init() { BrowserFixture::useKilojoules(false); }

    void rateFollowsTheWeightGivenLater()
    {
        ExerciseWidget panel;
        panel.setExercise(RUNNING);
        QCOMPARE(panel.getExerciseDiaryItem().rate, 0.0f); // offset alone at weight 0
        QCOMPARE(panel.getExerciseDiaryItem().duration, 1.0f);
        panel.userWeightChanged(70.0f);
        QCOMPARE(panel.getExerciseDiaryItem().rate, 7.0f);
        QCOMPARE(panel.getExerciseDiaryItem().userId, UserDB::instance()->getCurrentUser());
        QCOMPARE(panel.energyLabel->text(), energyText(7.0));
        QCOMPARE(panel.nameLabel->text(), QStringLiteral("<center><h3>Running</h3></center>"));
    }

    void hoursAreSixtyMinutes()
    {
        BrowserFixture::useKilojoules(true);
        ExerciseWidget panel;
        panel.userWeightChanged(70.0f);
        panel.setExercise(RUNNING);
        panel.sizeLineEdit->setText(QStringLiteral("1.5"));
        panel.servingBox->setCurrentIndex(1);
        panel.displayExercise();
        QCOMPARE(panel.getExerciseDiaryItem().duration, 90.0f);
        QCOMPARE(panel.energyLabel->text(), energyText(630.0));
        QCOMPARE(panel.descLabel->text(), QStringLiteral("Kilojoules Burnt:"));
    }

    void refusedDurationShowsNoFigure_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("negative") << QStringLiteral("-30");
        QTest::newRow("decimal comma in en_US") << QStringLiteral("30,5");
        QTest::newRow("over a day") << QStringLiteral("1441");
        QTest::newRow("no number") << QStringLiteral("abc");
        QTest::newRow("blank") << QString();
    }

    // A refused duration burns nothing that could be shown or added: the panel shows "-" as
    // the food panel does for a refused amount, and Add names the field instead of adding.
    void refusedDurationShowsNoFigure()
    {
        QFETCH(QString, typed);
        ExerciseWidget panel;
        QVERIFY(!panel.addButton->isEnabled());
        panel.userWeightChanged(70.0f);
        panel.setExercise(RUNNING);
        QVERIFY(panel.addButton->isEnabled());
        panel.sizeLineEdit->clear();
        QTest::keyClicks(panel.sizeLineEdit, typed);
        // What was typed stays in the field, refused: "-30" is never read as 30.
        QCOMPARE(panel.sizeLineEdit->text(), typed);
        QCOMPARE(panel.getExerciseDiaryItem().duration, 0.0f);
        QCOMPARE(panel.energyLabel->text(), QStringLiteral("-"));
        QVERIFY(panel.addButton->isEnabled());
        int added = 0;
        connect(&panel, &ExerciseWidget::addExItem, [&added] { ++added; });
        ScriptedPrompter prompter;
        panel.addButton->click();
        QVERIFY(prompter.lastText().startsWith(QStringLiteral(
            "Duration must be a number from 0 to 1440 minutes, with at most 2 decimals.")));
        panel.servingBox->setCurrentIndex(1);
        panel.displayExercise();
        QCOMPARE(panel.energyLabel->text(), QStringLiteral("-"));
        panel.addButton->click();
        QCOMPARE(added, 0);
        QVERIFY(prompter.lastText().startsWith(QStringLiteral(
            "Duration must be a number from 0 to 24 hours, with at most 2 decimals.")));
        panel.sizeLineEdit->setText(QStringLiteral("0.5"));
        QCOMPARE(panel.energyLabel->text(), energyText(210.0));
    }

    // The energy follows the unit chosen in the preferences once the panel shows again.
    void energyFollowsTheUnitWhenShownAgain()
    {
        ExerciseWidget panel;
        panel.userWeightChanged(70.0f);
        panel.setExercise(RUNNING);
        panel.sizeLineEdit->setText(QStringLiteral("30"));
        panel.show();
        QCOMPARE(panel.energyLabel->text(), energyText(210.0));
        panel.hide();
        BrowserFixture::useKilojoules(true);
        panel.show();
        QCOMPARE(panel.energyLabel->text(), energyText(210.0));
        QVERIFY(panel.energyLabel->text().endsWith(QStringLiteral("kJ")));
        QCOMPARE(panel.descLabel->text(), QStringLiteral("Kilojoules Burnt:"));
    }

    // A cleared panel has no exercise: typing a duration offers nothing to add.
    void clearedPanelAddsNothing()
    {
        ExerciseWidget panel;
        panel.userWeightChanged(70.0f);
        panel.setExercise(RUNNING);
        panel.clear();
        int added = 0;
        connect(&panel, &ExerciseWidget::addExItem, [&added] { ++added; });
        QTest::keyClicks(panel.sizeLineEdit, QStringLiteral("5"));
        QVERIFY(!panel.addButton->isEnabled());
        QCOMPARE(panel.energyLabel->text(), QStringLiteral("-"));
        panel.setAddCustomExercise();
        QCOMPARE(added, 0);
        panel.setExercise(RUNNING);
        QVERIFY(panel.addButton->isEnabled());
    }

    void editedEntryKeepsItsRateAndShowsOneDecimal()
    {
        DBTypes::ExerciseDiaryItem stored;
        stored.entryId = 12;
        stored.exerciseId = RUNNING;
        stored.name = QStringLiteral("Running");
        stored.duration = 42.46f;
        stored.rate = 5.5f;
        stored.setDate("20260102");
        AddExerciseDialog dialog(nullptr);
        dialog.setUserWeight(90.0f);
        dialog.setExerciseItem(stored);
        QCOMPARE(dialog.exerciseWidget->sizeLineEdit->text(), QStringLiteral("42.5"));
        QCOMPARE(dialog.exerciseWidget->servingBox->currentIndex(), 0);
        const DBTypes::ExerciseDiaryItem& edited = dialog.getExerciseDiaryItem();
        QCOMPARE(edited.entryId, 12);
        QCOMPARE(edited.rate, 5.5f);
        // Minutes left as shown keep their stored value; typed ones are the user's.
        QCOMPARE(edited.duration, 42.46f);
        QCOMPARE(QByteArray(edited.date), QByteArray("20260102"));
        dialog.exerciseWidget->sizeLineEdit->setText(QStringLiteral("43"));
        QCOMPARE(dialog.getExerciseDiaryItem().duration, 43.0f);
    }

    void duplicateAtZeroDurationKeepsTheRate()
    {
        ExerciseWidget panel;
        panel.userWeightChanged(60.0f);
        panel.setExercise(RUNNING);
        panel.sizeLineEdit->setText(QStringLiteral("0"));
        QSignalSpy created(&panel, &ExerciseWidget::addToCustomExDB);
        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral(" "));
        prompter.answer(QStringLiteral("Jogging"));
        panel.duplicate();
        panel.duplicate();
        QCOMPARE(created.count(), 1);
        QCOMPARE(prompter.asked.last().caption, QStringLiteral("Duplicate Exercise"));
        const qint64 user = UserDB::instance()->getCurrentUser();
        QCOMPARE(created.at(0).at(0).toInt(), ExDBDynamic::instance()->getRootForUser(user));
        QCOMPARE(created.at(0).at(1).toString(), QStringLiteral("Jogging"));
        QCOMPARE(created.at(0).at(2).toFloat(), 6.0f);
    }

    void addAndFavouriteSignals()
    {
        ExerciseWidget panel;
        panel.setFavoritesEnabled(true);
        panel.setExercise(RUNNING);
        QSignalSpy added(&panel, &ExerciseWidget::addToFavorites);
        QSignalSpy removed(&panel, &ExerciseWidget::removeFromFavorites);
        panel.setIsFavorite(false);
        QVERIFY(panel.favoritesCheckBox->isChecked());
        QCOMPARE(added.count() + removed.count(), 0);
        panel.favoritesCheckBox->click();
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.at(0).at(0).toInt(), RUNNING);
        int addedId = 0;
        connect(&panel, &ExerciseWidget::addExItem,
                [&addedId](DBTypes::ExerciseDiaryItem& entry) { addedId = entry.exerciseId; });
        panel.addButton->click();
        QCOMPARE(addedId, RUNNING);
    }

    void dialogStartsAtOneMinute()
    {
        std::unique_ptr<AddExerciseDialog> dialog(AddExerciseDialog::construct(nullptr));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Enter exercise"));
        QVERIFY(dialog->exerciseWidget->addButton->isHidden());
        QVERIFY(!dialog->exerciseWidget->duplicateButton->isHidden());
        QVERIFY(dialog->exerciseWidget->favoritesCheckBox->isHidden());
        dialog->setUserWeight(80.0f);
        dialog->setExercise(RUNNING, 0, 1.0f);
        QCOMPARE(dialog->getExerciseDiaryItem().duration, 1.0f);
        QCOMPARE(dialog->getExerciseDiaryItem().rate, 8.0f);
    }

    void pictures()
    {
        for (bool kilojoules : {false, true}) {
            BrowserFixture::useKilojoules(kilojoules);
            ExerciseWidget panel;
            panel.setFavoritesEnabled(true);
            panel.userWeightChanged(70.0f);
            panel.setExercise(RUNNING);
            panel.resize(panel.sizeHint());
            QVERIFY(saveWidgetPicture(&panel, kilojoules ? "exercisewidget-kj" : "exercisewidget-kcal"));
        }
        std::unique_ptr<AddExerciseDialog> dialog(AddExerciseDialog::construct(nullptr));
        dialog->setExercise(RUNNING);
        dialog->adjustSize();
        QVERIFY(saveWidgetPicture(dialog.get(), "addexercisedialog"));
    }
};

QTEST_MAIN(TestExerciseWidget)
#include "tst_exercisewidget.moc"
