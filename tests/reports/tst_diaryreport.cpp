#include "reportsession.h"

#include "core/unitenergy.h"
#include "reports/diaryreport.h"
#include "reports/diaryreportfactory.h"
#include "reports/pagesetup.h"
#include "reports/previewrdm.h"
#include "reports/printmodule.h"
#include "tests/support/printharness.h"

#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <QtTest>

#include <memory>

using DBTypes::DiaryDay;

namespace {

using ReportSession::exercise;
using ReportSession::Monday;

void addFood(qint64 user, const QDate& date, int meal, const QString& name, float energy,
             float fat = 1.0f, float size = 2.0f)
{
    DBTypes::FoodDiaryItem entry;
    entry.userId = user;
    entry.setDate(ReportSession::code(date).toStdString());
    entry.meal = meal;
    entry.refId = 0;
    entry.desc = name;
    entry.servingDesc = QStringLiteral("portion");
    entry.size = size;
    entry.values.energy = energy;
    entry.values.fat = fat;
    QVERIFY(DiaryDB::instance()->addFoodEntry(entry, true) >= 0);
}

void setEnergyTarget(qint64 user, const QDate& date, float target)
{
    DBTypes::CheckinItem checkin;
    checkin.userId = user;
    qstrcpy(checkin.date, ReportSession::code(date).constData());
    checkin.setTarget(DBTypes::ENERGY, target);
    QVERIFY(UserDB::instance()->addCheckin(checkin, false));
}

QString plain(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

// An A4 page at 72 dots per inch, measured on the screen.
struct Laid
{
    Laid(QDate first, QDate last, bool summaryOnly, bool omitEmpty, QSize size = QSize(595, 842))
        : factory(first, last, summaryOnly, omitEmpty),
          metrics(size, QSize(210, 297), nullptr),
          report(static_cast<DiaryReport*>(factory.getReport(&metrics)))
    {
    }
    QString page(int n) const { return plain(report->pages().at(n)); }

    DiaryReportFactory factory;
    PreviewRDM metrics;
    std::unique_ptr<DiaryReport> report;
};

} // namespace

class TestDiaryReport : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        PageSetup::cleanUp();
        _user = ReportSession::start();
        QVERIFY(_user >= 0);
    }
    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        ReportSession::end();
    }

    void fullFormStartsEveryDayOnANewPage();
    void emptyDaysBySummaryAndOmitChoices();
    void sectionTallerThanThePageStandsAloneAndIsCut();
    void columnsFromTheUserSettings_data();
    void columnsFromTheUserSettings();
    void energyTableFollowsTheTarget();
    void snackLayouts_data();
    void snackLayouts();
    void namesPrintLiterallyInKilojoules_data();
    void namesPrintLiterallyInKilojoules();

private:
    qint64 _user = -1;
};

void TestDiaryReport::fullFormStartsEveryDayOnANewPage()
{
    addFood(_user, Monday, DiaryDay::BREAKFAST, QStringLiteral("Toast"), 150.0f);
    addFood(_user, Monday.addDays(2), DiaryDay::LUNCH, QStringLiteral("Soup"), 200.0f);
    Laid laid(Monday, Monday.addDays(2), false, false);
    QCOMPARE(laid.report->getPageCount(), 3);
    QCOMPARE(int(laid.report->pages().size()), 4);
    QVERIFY(laid.report->pages().back().isEmpty());
    QVERIFY(laid.page(0).startsWith(QStringLiteral("Diary Food and Exercise Report")));
    QVERIFY(laid.page(0).contains(QStringLiteral("This report was made by Pantrel.")));
    QVERIFY(laid.page(0).contains(QStringLiteral("Monday, 9 March 2026")));
    QVERIFY(laid.page(1).startsWith(QStringLiteral("Tuesday, 10 March 2026")));
    QVERIFY(laid.page(1).contains(QStringLiteral("No items logged")));
    QVERIFY(laid.page(2).startsWith(QStringLiteral("Wednesday, 11 March 2026")));
    QVERIFY(laid.page(2).contains(QStringLiteral("2 portion of Soup")));

    Laid omitting(Monday, Monday.addDays(2), false, true);
    QCOMPARE(omitting.report->getPageCount(), 2);
    QVERIFY(omitting.page(1).startsWith(QStringLiteral("Wednesday")));
}

void TestDiaryReport::emptyDaysBySummaryAndOmitChoices()
{
    Laid full(Monday, Monday, false, true);
    QCOMPARE(full.report->getPageCount(), 0);
    // Drawing a page that does not exist draws nothing.
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    full.report->draw(&painter, 0);
    painter.end();
    QCOMPARE(image.pixel(50, 50), QColor(Qt::white).rgb());

    addFood(_user, Monday.addDays(1), DiaryDay::DINNER, QStringLiteral("Rice"), 300.0f);
    Laid summary(Monday, Monday.addDays(1), true, true);
    QCOMPARE(summary.report->getPageCount(), 1);
    const QString text = summary.page(0);
    QVERIFY(text.contains(QStringLiteral("Monday, 9 March 2026\nNo entries exist for this date.")));
    QVERIFY(text.contains(QStringLiteral("Tuesday, 10 March 2026")));
    QCOMPARE(text.count(QStringLiteral("Daily Summary")), 1);
    QVERIFY(!text.contains(QStringLiteral("Rice")));

    Laid summaryAll(Monday, Monday.addDays(1), true, false);
    QCOMPARE(summaryAll.page(0).count(QStringLiteral("Daily Summary")), 2);
    QVERIFY(!summaryAll.page(0).contains(QStringLiteral("No entries exist")));
}

void TestDiaryReport::sectionTallerThanThePageStandsAloneAndIsCut()
{
    for (int n = 0; n < 120; ++n)
        addFood(_user, Monday, DiaryDay::BREAKFAST, QStringLiteral("Berry %1").arg(n), 5.0f);
    addFood(_user, Monday, DiaryDay::LUNCH, QStringLiteral("Soup"), 200.0f);
    Laid laid(Monday, Monday, false, false);
    QCOMPARE(laid.report->getPageCount(), 3);
    QVERIFY(!laid.page(0).contains(QStringLiteral("Berry")));
    QVERIFY(laid.page(1).contains(QStringLiteral("Berry 0")));
    QVERIFY(laid.page(1).contains(QStringLiteral("Berry 119")));
    QVERIFY(!laid.page(1).contains(QStringLiteral("Lunch")));
    QVERIFY2(laid.page(2).trimmed().startsWith(QStringLiteral("Lunch")), qPrintable(laid.page(2)));

    // Printed, the long group is cut at the bottom margin: its first rows show, not its total.
    PdfPrintSteps steps;
    PrintModule::printFromFactory(&laid.factory, false, nullptr);
    QCOMPARE(PdfReader::pageCount(steps.pdfPath), 3);
    const QString cut = PdfReader::pageText(steps.pdfPath, 2);
    QVERIFY2(cut.contains(QStringLiteral("2 portion of Berry 119")), qPrintable(cut));
    QVERIFY(!cut.contains(QStringLiteral("2 portion of Berry 0\n")));
    QVERIFY(!cut.contains(QStringLiteral("total")));
}

void TestDiaryReport::columnsFromTheUserSettings_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QList<int>>("columns");
    QTest::newRow("energy and fat") << QStringLiteral("0:2:") << QList<int>{0, 2};
    QTest::newRow("a word is skipped") << QStringLiteral("x:3:") << QList<int>{3};
    QTest::newRow("first six") << QStringLiteral("0:1:2:3:4:5:6:") << QList<int>{0, 1, 2, 3, 4, 5};
    QTest::newRow("no such nutrient") << QStringLiteral("12:2:") << QList<int>{2};
    QTest::newRow("none") << QStringLiteral("-") << QList<int>{};
}

void TestDiaryReport::columnsFromTheUserSettings()
{
    QFETCH(QString, setting);
    QFETCH(QList<int>, columns);
    UserDB::instance()->saveColumnSettings(_user, setting);
    addFood(_user, Monday, DiaryDay::BREAKFAST, QStringLiteral("Toast"), 150.0f, 4.0f);
    Laid laid(Monday, Monday, false, false);
    QList<int> got;
    for (DBTypes::NutType nut : laid.report->columns())
        got.append(nut);
    QCOMPARE(got, columns);
    const QString text = laid.page(0);
    QCOMPARE(text.contains(QStringLiteral("energy (cals)")), columns.contains(0));
    QCOMPARE(text.contains(QStringLiteral("Total Fat:")), columns.contains(2));
    QVERIFY(!text.contains(QStringLiteral("Total Calories")));
}

void TestDiaryReport::energyTableFollowsTheTarget()
{
    addFood(_user, Monday, DiaryDay::BREAKFAST, QStringLiteral("Toast"), 500.0f);
    exercise(_user, Monday, 30.0f, 10.0f);
    addFood(_user, Monday.addDays(1), DiaryDay::BREAKFAST, QStringLiteral("Toast"), 100.0f);
    exercise(_user, Monday.addDays(1), 60.0f, 5.0f);
    Laid without(Monday, Monday, true, false);
    QString text = without.page(0);
    QVERIFY(text.contains(QStringLiteral("Energy Gained Through Food:\n500 cals")));
    QVERIFY(text.contains(QStringLiteral("Energy Burnt Through Exercise:\n-300 cals")));
    QVERIFY(text.contains(QStringLiteral("Net Energy:\n200 cals")));
    QVERIFY(!text.contains(QStringLiteral("Energy Budget")));
    QVERIFY(!text.contains(QStringLiteral("End Result")));

    setEnergyTarget(_user, Monday, 200.0f);
    Laid equal(Monday, Monday.addDays(1), true, false);
    text = equal.page(0);
    QVERIFY(text.contains(QStringLiteral("Energy Budget:\n200 cals")));
    QVERIFY(text.contains(QStringLiteral("End Result:\n0 Calories over")));
    // More burnt than eaten: the net energy is negative, not missing.
    QVERIFY(text.contains(QStringLiteral("Net Energy:\n-200 cals")));
    QVERIFY(text.contains(QStringLiteral("End Result:\n400 Calories under")));

    // No exercise: nothing burnt, without a sign; the result follows from the figures shown.
    addFood(_user, Monday.addDays(2), DiaryDay::BREAKFAST, QStringLiteral("Toast"), 150.4f);
    setEnergyTarget(_user, Monday.addDays(2), 200.6f);
    Laid fractions(Monday.addDays(2), Monday.addDays(2), true, false);
    text = fractions.page(0);
    QVERIFY2(text.contains(QStringLiteral("Energy Burnt Through Exercise:\n0 cals")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Net Energy:\n150 cals")));
    QVERIFY(text.contains(QStringLiteral("Energy Budget:\n201 cals")));
    QVERIFY2(text.contains(QStringLiteral("End Result:\n51 Calories under")), qPrintable(text));
}

void TestDiaryReport::snackLayouts_data()
{
    QTest::addColumn<int>("display");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("together") << 0 << QStringList{"Breakfast", "Lunch", "Dinner", "Snacks", "Exercise"};
    QTest::newRow("between meals")
        << 1 << QStringList{"Breakfast", "Breakfast snacks", "Lunch", "Afternoon snacks", "Dinner",
                            "Evening snacks", "Exercise"};
    QTest::newRow("numbered") << 2 << QStringList{"Breakfast", "Lunch", "Dinner", "Snacks #1",
                                                  "Snacks #2", "Snacks #3", "Exercise"};
}

void TestDiaryReport::snackLayouts()
{
    QFETCH(int, display);
    QFETCH(QStringList, titles);
    DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(_user).value();
    prefs.snackDisplay = display;
    QVERIFY(UserDB::instance()->setUserPrefs(_user, prefs));
    addFood(_user, Monday, DiaryDay::MORNING_SNACK, QStringLiteral("Apple"), 50.0f);
    addFood(_user, Monday, DiaryDay::EVENING_SNACK, QStringLiteral("Nuts"), 170.0f);
    Laid laid(Monday, Monday, false, false, QSize(595, 3000));
    const QString text = laid.page(0);
    int from = 0;
    for (const QString& title : titles) {
        const int at = text.indexOf(QLatin1Char('\n') + title + QLatin1Char('\n'), from);
        QVERIFY2(at >= 0, qPrintable(title));
        from = at + 1;
    }
    if (display == 0) {
        // One list of every snack, totalled over what it lists.
        const int snacks = text.indexOf(QStringLiteral("\nSnacks\n"));
        const QString list = text.mid(snacks, text.indexOf(QStringLiteral("\nExercise\n")) - snacks);
        QVERIFY(list.indexOf(QStringLiteral("of Nuts")) < list.indexOf(QStringLiteral("of Apple")));
        QVERIFY2(list.contains(QStringLiteral("total\n220")), qPrintable(list));
    } else {
        QCOMPARE(text.count(QStringLiteral("No items logged")), 5);
    }
}

void TestDiaryReport::namesPrintLiterallyInKilojoules_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("figures");
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                             << QStringList{"2.5 portion of", "30.5 mins of", "3.3", "418 kJ"};
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany)
                            << QStringList{"2,5 portion of", "30,5 mins of", "3,3", "418 kJ"};
}

// Names print as typed; amounts, minutes and figures in the locale's form, on paper as on
// the screen.
void TestDiaryReport::namesPrintLiterallyInKilojoules()
{
    QFETCH(QLocale, locale);
    QFETCH(QStringList, figures);
    QLocale::setDefault(locale);
    UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilojoules));
    addFood(_user, Monday, DiaryDay::DINNER, QStringLiteral("Fish & Chips <b>\"big\"</b>"), 100.0f,
            3.26f, 2.5f);
    exercise(_user, Monday, 30.5f, 1.0f);
    DiaryReportFactory factory(Monday, Monday, false, false);
    PdfPrintSteps steps;
    PrintModule::printFromFactory(&factory, false, nullptr);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(PdfReader::pageCount(steps.pdfPath), 1);
    const QString text = PdfReader::pageText(steps.pdfPath, 1);
    QVERIFY2(text.contains(figures.at(0) + QStringLiteral(" Fish & Chips <b>\"big\"</b>")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("energy (kJ)")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Energy Gained Through Food:")));
    for (const QString& figure : figures)
        QVERIFY2(text.contains(figure), qPrintable(figure + QLatin1Char('\n') + text));
    PdfReader::savePictures(steps.pdfPath, QStringLiteral("diary-report-kj-") + QTest::currentDataTag());
}

QTEST_MAIN(TestDiaryReport)
#include "tst_diaryreport.moc"
