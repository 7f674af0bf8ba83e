#include "core/numberparser.h"
#include "core/unitcollection.h"
#include "core/unitmeasurement.h"
#include "core/unitweight.h"
#include "profile/checkindialog.h"
#include "widgets/bxtickbox.h"
#include "tests/profile/checkinfixture.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QLocale>
#include <QtTest>

#include <memory>

using namespace CheckinTest;

namespace {

std::unique_ptr<CheckinDialog> makeDialog()
{
    return std::unique_ptr<CheckinDialog>(CheckinDialog::construct(nullptr));
}

QStringList fieldTexts(const CheckinDialog& dialog)
{
    QStringList texts;
    for (int m = 0; m < M::Count; ++m)
        texts << dialog.row(M::Measurements(m)).edit->text();
    return texts;
}

void useUnits(int weightType, int lengthType)
{
    UnitCollection::instance()->set(UnitCollection::Weight, new UnitWeight(weightType));
    UnitCollection::instance()->set(UnitCollection::Measurement, new UnitMeasurement(lengthType));
}

} // namespace

class TestCheckinDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(importShippedBrand());
        useUnits(UnitWeight::Kilograms, UnitMeasurement::Centimetres);
    }

    void cleanup()
    {
        useUnits(UnitWeight::Kilograms, UnitMeasurement::Centimetres);
        QLocale::setDefault(QLocale::c());
    }

    void cleanupTestCase()
    {
        UnitCollection::cleanUp();
        BrandEngine::cleanUp();
    }

    void setsThroughTheFields_data()
    {
        QTest::addColumn<UserMeasurements>("given");
        QTest::addColumn<QStringList>("typed"); // null entries leave a field as filled
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("returned");
        QTest::addColumn<bool>("changed");

        const QStringList untouched(M::Count, QString());
        QTest::newRow("recorded shown, carried blank")
            << makeSet({{M::Weight, 80.0f}, {M::Chest, 90.0f, false}, {M::Steps, 5000.0f}})
            << untouched << QStringList{"80.0", "", "", "", "", "5000"}
            << "weight=80.00 steps=5000.00" << false;
        QTest::newRow("every length")
            << makeSet({{M::Chest, 95.5f}, {M::Waist, 80.0f}, {M::Hip, 100.25f}, {M::Thigh, 55.0f}})
            << untouched << QStringList{"", "95.50", "80.00", "100.25", "55.00", ""}
            << "chest=95.50 waist=80.00 hip=100.25 thigh=55.00" << false;
        QTest::newRow("only carried values")
            << makeSet({{M::Weight, 70.0f, false}, {M::Hip, 99.0f, false}}) << untouched
            << QStringList(M::Count, QString("")) << "" << false;
        QTest::newRow("blank and blanks only are unset, 0 steps kept")
            << makeSet({{M::Weight, 80.0f}, {M::Steps, 4000.0f}, {M::Waist, 70.0f}})
            << QStringList{"", QString(), "   ", QString(), QString(), "0"}
            << QStringList{"80.0", "", "70.00", "", "", "4000"} << "steps=0.00" << true;
        QTest::newRow("typed values")
            << UserMeasurements() << QStringList{"81.5", "92", " 77 ", QString(), QString(), "12000"}
            << QStringList(M::Count, QString("")) << "weight=81.50 chest=92.00 waist=77.00 steps=12000.00"
            << true;
        QTest::newRow("retyped as shown")
            << makeSet({{M::Weight, 84.1f}}) << QStringList{"84.1", "", "", "", "", ""}
            << QStringList{"84.1", "", "", "", "", ""} << "weight=84.10" << false;
    }

    void setsThroughTheFields()
    {
        QFETCH(UserMeasurements, given);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, shown);
        QFETCH(QString, returned);
        QFETCH(bool, changed);

        auto dialog = makeDialog();
        dialog->setMeasurements(given);
        QCOMPARE(fieldTexts(*dialog), shown);
        for (int m = 0; m < M::Count; ++m) {
            if (!typed.at(m).isNull())
                dialog->row(M::Measurements(m)).edit->setText(typed.at(m));
        }
        QCOMPARE(describe(dialog->getMeasurements()), returned);
        QCOMPARE(dialog->isChanged(), changed);
    }

    // In German the fields show decimal commas and read back what they show.
    void germanFieldsShowAndReadCommas()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        auto dialog = makeDialog();
        dialog->setMeasurements(makeSet({{M::Weight, 72.5f}, {M::Chest, 95.5f}, {M::Steps, 0.0f}}));
        QCOMPARE(fieldTexts(*dialog), (QStringList{"72,5", "95,50", "", "", "", "0"}));
        QCOMPARE(describe(dialog->getMeasurements()), QStringLiteral("weight=72.50 chest=95.50 steps=0.00"));
        dialog->row(M::Weight).edit->setText(QStringLiteral("80,5"));
        QCOMPARE(describe(dialog->getMeasurements()), QStringLiteral("weight=80.50 chest=95.50 steps=0.00"));
    }

    void hiddenRowStillReturnsItsValue()
    {
        loadSwitchedBrand(switchXml("hip_measurement_enabled", false));
        auto dialog = makeDialog();
        const CheckinDialog::Row& hip = dialog->row(M::Hip);
        for (QWidget* part : {static_cast<QWidget*>(hip.label), static_cast<QWidget*>(hip.tick),
                              static_cast<QWidget*>(hip.edit), static_cast<QWidget*>(hip.units)})
            QVERIFY(part->isHidden());
        QVERIFY(!dialog->row(M::Thigh).edit->isHidden());
        QVERIFY(!dialog->row(M::Weight).edit->isHidden());
        dialog->setMeasurements(makeSet({{M::Weight, 60.0f}, {M::Hip, 98.0f}}));
        QCOMPARE(describe(dialog->getMeasurements()), QStringLiteral("weight=60.00 hip=98.00"));
        restoreShippedBrand();
    }

    void noNoteMeansPlaceholderAndNoNote()
    {
        auto dialog = makeDialog();
        dialog->setMeasurements(makeSet({{M::Weight, 60.0f}}));
        QCOMPARE(dialog->noteEdit->toPlainText(), QString());
        QCOMPARE(dialog->noteEdit->placeholderText(), QStringLiteral("No Entry"));
        QVERIFY(!dialog->noteGroup->isChecked());
        QVERIFY(!dialog->noteEdit->isEnabled());

        // Ticking the journal group and pressing OK stores no placeholder.
        dialog->noteGroup->setChecked(true);
        QVERIFY(dialog->noteEdit->isEnabled());
        dialog->okButton->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        const UserMeasurements back = dialog->getMeasurements();
        QVERIFY(!back.noteExact());
        QVERIFY(back.note().empty());

        // A note carried from an earlier date is not this date's note.
        UserMeasurements carried = makeSet({{M::Weight, 60.0f}});
        carried.setNote("old");
        dialog->setMeasurements(carried);
        QCOMPARE(dialog->noteEdit->toPlainText(), QString());
        QVERIFY(!dialog->noteGroup->isChecked());
    }

    void noteRoundTripsAndUncheckingDropsIt()
    {
        const QString note = QStringLiteral("Crème brûlée, 東京の寿司 🍣\n<b>not bold</b>");
        auto dialog = makeDialog();
        dialog->setMeasurements(makeSet({{M::Weight, 60.0f}}, note.toStdString().c_str()));
        QVERIFY(dialog->noteGroup->isChecked());
        QVERIFY(dialog->noteEdit->isEnabled());
        QCOMPARE(dialog->noteEdit->toPlainText(), note);
        QCOMPARE(QString::fromStdString(dialog->getMeasurements().note()), note);

        dialog->noteGroup->setChecked(false);
        QVERIFY(!dialog->getMeasurements().noteExact());
    }

    void noteIsCutAtItsLimit()
    {
        auto dialog = makeDialog();
        dialog->setMeasurements(UserMeasurements());
        dialog->noteGroup->setChecked(true);
        dialog->noteEdit->insertPlainText(QString(5000, QLatin1Char('a')));
        QCOMPARE(dialog->noteEdit->toPlainText().size(), CheckinDialog::MaxNoteLength);
        QCOMPARE(dialog->noteEdit->textCursor().position(), CheckinDialog::MaxNoteLength);

        // A character made of two code units is dropped whole, never halved.
        dialog->noteEdit->setPlainText(QString(CheckinDialog::MaxNoteLength - 1, QLatin1Char('b')));
        dialog->noteEdit->moveCursor(QTextCursor::End);
        dialog->noteEdit->insertPlainText(QStringLiteral("🍣🍣"));
        const QString kept = dialog->noteEdit->toPlainText();
        QCOMPARE(kept.size(), CheckinDialog::MaxNoteLength - 1);
        QVERIFY(!kept.back().isHighSurrogate());
    }

    void untouchedPoundsComeBackExactly()
    {
        useUnits(UnitWeight::Pounds, UnitMeasurement::Inches);
        auto dialog = makeDialog();
        QCOMPARE(dialog->row(M::Weight).units->text(), QStringLiteral("lb"));
        QCOMPARE(dialog->row(M::Waist).units->text(), QStringLiteral("in"));
        QCOMPARE(dialog->row(M::Steps).units->text(), QString());

        dialog->setMeasurements(makeSet({{M::Weight, 80.0f}, {M::Waist, 81.3f}}, "only the note changes"));
        QCOMPARE(dialog->row(M::Weight).edit->text(), QStringLiteral("176.4"));
        dialog->noteEdit->setPlainText(QStringLiteral("edited"));
        UserMeasurements back = dialog->getMeasurements();
        QCOMPARE(back.value(M::Weight), 80.0f);
        QCOMPARE(back.value(M::Waist), 81.3f);

        dialog->row(M::Weight).edit->setText(QStringLiteral("180"));
        back = dialog->getMeasurements();
        QCOMPARE(qRound(back.value(M::Weight) * 100.0f), 8165);
        QVERIFY(saveWidgetPicture(dialog.get(), QStringLiteral("checkindialog-imperial")));
    }

    // What a user types is read by the locale's rule, or OK is refused with a message that
    // names the field and its range; a stored value outside the range comes back unchanged.
    void typedValuesFollowTheLocaleOrAreRefused_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<float>("stored");
        QTest::addColumn<QString>("refusal");
        const QLocale german(QLocale::German, QLocale::Germany);
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("de waist 88,5") << german << int(M::Waist) << "88,5" << 88.5f << "";
        QTest::newRow("de weight 71,3") << german << int(M::Weight) << "71,3" << 71.3f << "";
        QTest::newRow("de steps 5000,5")
            << german << int(M::Steps) << "5000,5" << 0.0f
            << "Steps must be a whole number from 0 to 200000 steps.";
        QTest::newRow("en weight 72,5")
            << english << int(M::Weight) << "72,5" << 0.0f
            << "Weight must be a number from 10 to 650 kg. Decimals are written with a point.";
        QTest::newRow("de weight 71.3")
            << german << int(M::Weight) << "71.3" << 0.0f
            << "Weight must be a number from 10 to 650 kg. Decimals are written with a comma.";
        QTest::newRow("de steps 5.000")
            << german << int(M::Steps) << "5.000" << 0.0f
            << "Steps must be a whole number from 0 to 200000 steps. Write the number without a "
               "thousands separator.";
        QTest::newRow("en steps 0") << english << int(M::Steps) << "0" << 0.0f << "";
        QTest::newRow("en hip -5") << english << int(M::Hip) << "-5" << 0.0f
                                   << "Hip must be a number from 30 to 300 cm, with at most 2 "
                                      "decimals.";
        QTest::newRow("en chest 99999999")
            << english << int(M::Chest) << "99999999" << 0.0f
            << "Chest must be a number from 30 to 250 cm, with at most 2 decimals.";
        QTest::newRow("en weight 725") << english << int(M::Weight) << "725" << 0.0f
                                       << "Weight must be a number from 10 to 650 kg.";
    }

    void typedValuesFollowTheLocaleOrAreRefused()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(float, stored);
        QFETCH(QString, refusal);
        QLocale::setDefault(locale);
        ScriptedPrompter prompter;
        auto dialog = makeDialog();
        dialog->setMeasurements(makeSet({{M::Thigh, 999.0f}}));
        QLineEdit* edit = dialog->row(M::Measurements(field)).edit;
        QTest::keyClicks(edit, typed);
        // No refused character vanishes.
        QCOMPARE(edit->text(), typed);
        // The tick marks a value the field takes, never one it refuses.
        QCOMPARE(dialog->row(M::Measurements(field)).tick->pixmap().isNull(), !refusal.isEmpty());
        dialog->okButton->click();
        if (refusal.isEmpty()) {
            QVERIFY(prompter.asked.isEmpty());
            QCOMPARE(dialog->result(), int(QDialog::Accepted));
            QVERIFY(dialog->getMeasurements().exact(M::Measurements(field)));
            QCOMPARE(dialog->getMeasurements().value(M::Measurements(field)), stored);
        } else {
            QCOMPARE(dialog->result(), int(QDialog::Rejected));
            QCOMPARE(prompter.lastText(), refusal);
            QCOMPARE(prompter.lastCaption(), dialog->windowTitle());
        }
        // The thigh stored outside its range is shown and kept as it was.
        QCOMPARE(dialog->row(M::Thigh).edit->text(), NumberParser::write(999.0, 2));
        QCOMPARE(dialog->getMeasurements().value(M::Thigh), 999.0f);
    }

    void ticksAndLabelsWorkTheirRows()
    {
        auto dialog = makeDialog();
        dialog->setMeasurements(makeSet({{M::Weight, 60.0f}, {M::Chest, 90.0f}}, "a note"));
        dialog->setTitle(QStringLiteral("<h2>Edit check-in for Sat Mar 14 2026</h2>"));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QVERIFY(saveWidgetPicture(dialog.get(), QStringLiteral("checkindialog-metric")));

        const CheckinDialog::Row& chest = dialog->row(M::Chest);
        QVERIFY(!chest.tick->pixmap().isNull());
        QTest::mouseClick(chest.tick, Qt::LeftButton);
        QCOMPARE(chest.edit->text(), QString());
        QVERIFY(chest.tick->pixmap().isNull());
        chest.edit->setText(QStringLiteral("  "));
        QVERIFY(chest.tick->pixmap().isNull());

        const CheckinDialog::Row& thigh = dialog->row(M::Thigh);
        QTest::mouseClick(thigh.label, Qt::LeftButton);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(thigh.edit));
    }
};

QTEST_MAIN(TestCheckinDialog)
#include "tst_checkindialog.moc"
