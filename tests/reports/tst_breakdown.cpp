#include "core/displaydate.h"
#include "reportsession.h"

#include "core/clock.h"
#include "core/unitenergy.h"
#include "reports/breakdownchart.h"
#include "reports/breakdownparams.h"
#include "reports/breakdownreport.h"
#include "reports/breakdownreportfactory.h"
#include "reports/breakdownreportviewer.h"
#include "reports/dailyaverages.h"
#include "reports/dateselectorbar.h"
#include "reports/pagesetup.h"
#include "reports/previewrdm.h"
#include "reports/printbreakdownoptions.h"
#include "reports/printmodule.h"
#include "reports/reportscontainer.h"
#include "tests/support/printharness.h"
#include "tests/support/widgetpicture.h"
#include "widgets/bxhelp.h"
#include "widgets/bxhelpclient.h"
#include "tests/support/whenshown.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCheckBox>
#include <QChart>
#include <QFontMetrics>
#include <QImage>
#include <QLegend>
#include <QPainter>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

using ReportSession::eat;
using ReportSession::exercise;
using ReportSession::Food;
using ReportSession::Monday;

QString plain(const QTextEdit* edit)
{
    return edit->toPlainText().simplified();
}

// A page of the given pixel size over 200 × 100 mm.
class PageMetrics : public ReportDeviceMetrics
{
public:
    explicit PageMetrics(QSize size) : _size(size) {}
    bool paginated() const override { return true; }
    QSize size() const override { return _size; }
    QSize realSize() const override { return {200, 100}; }
    QFont getFontEquivalent(const QString& family, int size, bool bold, bool italic) const override
    {
        return QFont(family, size, bold ? QFont::Bold : QFont::Normal, italic);
    }
    QPainter* painter() const override { return nullptr; }

private:
    QSize _size;
};

} // namespace

class TestBreakdown : public QObject
{
    Q_OBJECT

private slots:
    // The options dialogs link their help pages.
    void initTestCase() { BXHelp::init(new QAction(this), new BXHelpClient(this)); }
    void init()
    {
        PageSetup::cleanUp();
        _user = ReportSession::start();
        QVERIFY(_user >= 0);
        Clock::setNow(QDateTime(Monday.addDays(6), QTime(10, 0)));
        ReportViewer::_date = QDate();
    }
    void cleanup()
    {
        Clock::reset();
        ReportSession::end();
    }

    void sharesOfTheMacronutrientEnergy();
    void groupsAndEnergyBurned();
    void averagesCountEveryDayOfTheRange();
    void pagesOfDates();
    void chartPositionsOnThePage();
    void pieIsBuiltOnlyWhenShownOrPrinted();
    void smallPlaceKeepsThePieInside();
    void viewerFollowsTheDateBar();
    void printsTheChosenDaysPerPage_data();
    void printsTheChosenDaysPerPage();
    void cancelledOptionsPrintNothing();

private:
    qint64 _user = -1;
};

void TestBreakdown::sharesOfTheMacronutrientEnergy()
{
    eat(_user, Monday, 1, {400.0f, 20.0f, 50.0f, 0.0f});
    eat(_user, Monday.addDays(1), 1, {200.0f, 10.0f, 0.0f, 25.0f});
    eat(_user, Monday.addDays(2), 1, {100.0f, 0.0f, 0.0f, 0.0f});
    BreakdownChart chart(nullptr, QStringLiteral("Day"), false);

    chart.setDateRange(Monday, Monday, 0);
    QCOMPARE(qRound(chart.fatPercent() * 100), 4737);
    QCOMPARE(qRound(chart.proteinPercent() * 100), 5263);
    QCOMPARE(chart.carbohydratePercent(), 0.0);

    chart.setDateRange(Monday.addDays(1), Monday.addDays(1), 0);
    QCOMPARE(qRound(chart.fatPercent() * 100), 4737);
    QCOMPARE(chart.proteinPercent(), 0.0);
    QCOMPARE(qRound(chart.carbohydratePercent() * 100), 5263);

    // Energy but none of the three: no shares, and the pie says there is no data.
    chart.setDateRange(Monday.addDays(2), Monday.addDays(2), 0);
    QCOMPARE(chart.fatPercent(), 0.0);
    QCOMPARE(chart.proteinPercent(), 0.0);
    QCOMPARE(chart.carbohydratePercent(), 0.0);
    QCOMPARE(chart.getNutrientTotals()[BreakdownChart::FoodEnergy], 100.0f);
    QImage image(300, 200, QImage::Format_RGB32);
    QPainter painter(&image);
    chart.print(&painter, image.rect());
    const auto* params = dynamic_cast<const BreakdownParams*>(chart.params());
    QVERIFY(params);
    QVERIFY(!params->hasData());

    // Sums over a range start from nothing on every call.
    chart.setDateRange(Monday, Monday.addDays(2), 0);
    QCOMPARE(chart.getNutrientTotals()[BreakdownChart::FoodEnergy], 700.0f);
    QCOMPARE(chart.getNutrientTotals()[BreakdownChart::Fat], 30.0f);
}

void TestBreakdown::groupsAndEnergyBurned()
{
    eat(_user, Monday, 1, {300.0f, 10.0f, 0.0f, 0.0f});
    eat(_user, Monday, 2, {100.0f, 1.0f, 0.0f, 0.0f});
    eat(_user, Monday, 4, {120.0f, 2.0f, 0.0f, 0.0f});
    eat(_user, Monday, 6, {140.0f, 4.0f, 0.0f, 0.0f});
    exercise(_user, Monday, 30.0f, 5.0f);
    BreakdownChart chart(nullptr, QString(), true);

    chart.setDateRange(Monday, Monday, DiaryDB::AllSnacks);
    QCOMPARE(chart.getNutrientTotals()[BreakdownChart::FoodEnergy], 360.0f);
    QCOMPARE(chart.getNutrientTotals()[BreakdownChart::Fat], 7.0f);
    QCOMPARE(chart.getNutrientTotals()[BreakdownChart::EnergyBurned], 0.0f);

    chart.setDateRange(Monday, Monday, 1);
    QCOMPARE(chart.getNutrientTotals()[BreakdownChart::FoodEnergy], 300.0f);
    QCOMPARE(chart.getNutrientTotals()[BreakdownChart::EnergyBurned], 0.0f);

    chart.setDateRange(Monday, Monday, 0);
    QCOMPARE(chart.getNutrientTotals()[BreakdownChart::FoodEnergy], 660.0f);
    QCOMPARE(chart.getNutrientTotals()[BreakdownChart::EnergyBurned], 150.0f);
}

void TestBreakdown::averagesCountEveryDayOfTheRange()
{
    eat(_user, Monday, 1, {1400.0f, 14.0f, 21.0f, 70.0f});
    eat(_user, Monday.addDays(3), 3, {700.0f, 7.0f, 0.0f, 0.0f});
    exercise(_user, Monday.addDays(3), 70.0f, 3.0f);
    DailyAverages averages;
    UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilocalories));
    averages.setDateRange(Monday, Monday.addDays(6));
    const QString text = plain(&averages);
    QVERIFY2(text.contains(QStringLiteral("Daily averages for the past 7 days")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Energy Gained Through Food: 300 cals")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Energy Burnt Through Exercise: -30 cals")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Net Energy: 270 cals")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Fat: 3.0 g")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Carbs: 10.0 g")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Protein: 3.0 g")), qPrintable(text));

    UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilojoules));
    averages.setDateRange(Monday, Monday.addDays(6));
    const QString joules = plain(&averages);
    QVERIFY2(joules.contains(QStringLiteral("Energy Gained Through Food: 1254 kJ")), qPrintable(joules));
    QVERIFY2(joules.contains(QStringLiteral("Net Energy: 1129 kJ")), qPrintable(joules));

    // A week without exercise burnt nothing, written without a sign.
    averages.setDateRange(Monday.addDays(7), Monday.addDays(13));
    const QString idle = plain(&averages);
    QVERIFY2(idle.contains(QStringLiteral("Energy Burnt Through Exercise: 0 kJ")), qPrintable(idle));

    // A week that burned more than it ate nets out below zero, with its sign.
    exercise(_user, Monday.addDays(9), 700.0f, 5.0f);
    averages.setDateRange(Monday.addDays(7), Monday.addDays(13));
    const QString burnt = plain(&averages);
    QVERIFY2(burnt.contains(QStringLiteral("Net Energy: -2090 kJ")), qPrintable(burnt));
}

void TestBreakdown::pagesOfDates()
{
    eat(_user, Monday, 1, {100.0f});
    eat(_user, Monday.addDays(1), 1, {100.0f});
    eat(_user, Monday.addDays(3), 1, {100.0f});
    eat(_user, Monday.addDays(5), 1, {100.0f});
    eat(_user, Monday.addDays(6), 1, {100.0f});

    const BreakdownReportFactory all(Monday, Monday.addDays(6), 6, false);
    QCOMPARE(all.data().pages.size(), size_t(2));
    QCOMPARE(all.data().pages[0].size(), size_t(6));
    QCOMPARE(all.data().pages[1], std::vector<QDate>{Monday.addDays(6)});
    QVERIFY(all.preferLandscape());

    const BreakdownReportFactory kept(Monday, Monday.addDays(6), 6, true);
    QCOMPARE(kept.data().pages.size(), size_t(1));
    QCOMPARE(kept.data().pages[0],
             (std::vector<QDate>{Monday, Monday.addDays(1), Monday.addDays(3), Monday.addDays(5),
                                 Monday.addDays(6)}));

    // Skipped days do not take a place on the page.
    const BreakdownReportFactory pairs(Monday, Monday.addDays(6), 2, true);
    QCOMPARE(pairs.data().pages.size(), size_t(3));
    QCOMPARE(pairs.data().pages[1], (std::vector<QDate>{Monday.addDays(3), Monday.addDays(5)}));

    const BreakdownReportFactory reversed(Monday.addDays(6), Monday, 1, false);
    PageMetrics metrics({2000, 1000});
    const std::unique_ptr<Report> report(const_cast<BreakdownReportFactory&>(reversed).getReport(&metrics));
    QCOMPARE(report->getPageCount(), 0);

    const BreakdownReportFactory empty(Monday.addDays(2), Monday.addDays(2), 1, true);
    QCOMPARE(empty.data().pages.size(), size_t(0));
}

void TestBreakdown::chartPositionsOnThePage()
{
    // 10 and 7 pixels a millimetre: margins of 200 and 140 pixels.
    PageMetrics metrics({2000, 700});
    BreakdownReportFactory one(Monday, Monday, 1, false);
    BreakdownReport single(&metrics, &one.data());
    QCOMPARE(single._calPoints(0), QRect(200, 140, 1600, 420));

    PageMetrics twoHigh({2000, 714});
    BreakdownReportFactory two(Monday, Monday.addDays(1), 2, false);
    BreakdownReport pair(&twoHigh, &two.data());
    // mv = 714 * 20 / 100 = 142: a body 430 high, 215 each.
    QCOMPARE(pair._calPoints(0), QRect(200, 142, 1600, 215));
    QCOMPARE(pair._calPoints(1), QRect(200, 357, 1600, 215));

    PageMetrics wide({1000, 625});
    BreakdownReportFactory six(Monday, Monday.addDays(5), 6, false);
    BreakdownReport grid(&wide, &six.data());
    // Margins 100 and 125: a body 800 × 375, cells 400 × 125.
    QCOMPARE(grid._calPoints(0), QRect(100, 125, 400, 125));
    QCOMPARE(grid._calPoints(1), QRect(500, 125, 400, 125));
    QCOMPARE(grid._calPoints(4), QRect(100, 375, 400, 125));
    QCOMPARE(grid._calPoints(5), QRect(500, 375, 400, 125));
}

void TestBreakdown::pieIsBuiltOnlyWhenShownOrPrinted()
{
    eat(_user, Monday, 1, {400.0f, 20.0f, 50.0f, 0.0f});
    BreakdownChart chart(nullptr, QStringLiteral("Day"), false);
    chart.setDateRange(Monday, Monday, 0);
    QVERIFY(!dynamic_cast<const BreakdownParams*>(chart.params()));
    chart.show();
    const auto* params = dynamic_cast<const BreakdownParams*>(chart.params());
    QVERIFY(params);
    QCOMPARE(params->fat(), 47);
    QCOMPARE(params->protein(), 53);
    // A narrow window shrinks the legend until its three entries fit; a wide one gives the
    // chart's own size back.
    const QStringList texts = params->legendTexts();
    const auto widest = [&texts](const QFont& font) {
        int widest = 0;
        for (const QString& text : texts)
            widest = std::max(widest, QFontMetrics(font).horizontalAdvance(text));
        return widest;
    };
    const QFont made = chart.chart()->legend()->font();
    chart.resize(320, 300);
    QApplication::processEvents();
    const QFont narrow = chart.chart()->legend()->font();
    QVERIFY(narrow.pointSize() < made.pointSize());
    QVERIFY(widest(narrow) < widest(made));
    chart.resize(1000, 600);
    QApplication::processEvents();
    QCOMPARE(chart.chart()->legend()->font().pointSize(), made.pointSize());
    // Shown, a new range draws at once.
    chart.setDateRange(Monday.addDays(1), Monday.addDays(1), 0);
    params = dynamic_cast<const BreakdownParams*>(chart.params());
    QVERIFY(params && !params->hasData());
}

void TestBreakdown::smallPlaceKeepsThePieInside()
{
    eat(_user, Monday, 1, {400.0f, 20.0f, 50.0f, 0.0f});
    BreakdownChart chart(nullptr, QString(), true);
    chart.setDateRange(Monday, Monday, 0);
    QImage image(300, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QRect place(100, 100, 120, 40);
    {
        QPainter painter(&image);
        chart.print(&painter, place);
    }
    int inside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == Qt::white)
                continue;
            QVERIFY2(place.contains(x, y), qPrintable(QStringLiteral("ink at %1, %2").arg(x).arg(y)));
            ++inside;
        }
    }
    QVERIFY(inside > 100);
}

void TestBreakdown::viewerFollowsTheDateBar()
{
    eat(_user, Monday, 1, {400.0f, 20.0f, 50.0f, 0.0f});
    eat(_user, Monday.addDays(4), 1, {200.0f, 10.0f, 0.0f, 25.0f});
    ReportViewer::_date = Monday.addDays(4);
    BreakdownReportViewer viewer;
    QCOMPARE(viewer.dateBar()->getDate(), Monday.addDays(4));
    QCOMPARE(viewer.dayChart()->getNutrientTotals()[BreakdownChart::FoodEnergy], 200.0f);
    QCOMPARE(viewer.weekChart()->getNutrientTotals()[BreakdownChart::FoodEnergy], 600.0f);

    viewer.dateBar()->setDate(Monday);
    QCOMPARE(ReportViewer::_date, Monday);
    QCOMPARE(viewer.dayChart()->getNutrientTotals()[BreakdownChart::FoodEnergy], 400.0f);
    QCOMPARE(viewer.weekChart()->getNutrientTotals()[BreakdownChart::FoodEnergy], 400.0f);
    QVERIFY(plain(viewer.averages()).contains(QStringLiteral("Fat: 2.9 g")));

    viewer.dateBar()->handleNextButton();
    viewer.resize(900, 600);
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QCOMPARE(ReportViewer::_date, Monday.addDays(1));
    saveWidgetPicture(&viewer, QStringLiteral("breakdown-viewer"));

    // The reports page builds it for the Breakdowns entry.
    ReportsContainer container(nullptr, "reports");
    container.handleReportChanged(ReportsContainer::Breakdowns, true);
    QVERIFY(dynamic_cast<BreakdownReportViewer*>(container.currentViewer()));
}

void TestBreakdown::printsTheChosenDaysPerPage_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("pages");
    QTest::newRow("one a page") << 0 << 7;
    QTest::newRow("two a page") << 1 << 4;
    QTest::newRow("six a page") << 2 << 2;
}

void TestBreakdown::printsTheChosenDaysPerPage()
{
    QFETCH(int, choice);
    for (int day = 0; day < 7; ++day)
        eat(_user, Monday.addDays(day), 1, {400.0f, 10.0f, 20.0f, 50.0f});
    ReportViewer::_date = Monday.addDays(6);
    BreakdownReportViewer viewer;
    whenShown<PrintBreakDownOptions>([choice](PrintBreakDownOptions* options) {
        options->printRangeRadioButton->click();
        options->daysPerPage->setCurrentIndex(choice);
        options->accept();
    });
    const std::unique_ptr<ReportFactory> factory(viewer.getReportFactory());
    QVERIFY(factory);
    PdfPrintSteps steps;
    PrintModule::printFromFactory(factory.get(), false, nullptr);
    QCOMPARE(steps.failures, 0);
    QTEST(PdfReader::pageCount(steps.pdfPath), "pages");
    QString text;
    for (int page = 1; page <= PdfReader::pageCount(steps.pdfPath); ++page)
        text += PdfReader::pageText(steps.pdfPath, page);
    QCOMPARE(text.count(QStringLiteral("Energy breakdown for")), 7);
    // Legends in full, however small the place.
    QCOMPARE(text.count(QStringLiteral("% Carbohydrate")), 7);
    for (int day = 0; day < 7; ++day)
        QVERIFY2(text.contains(DisplayDate::textDate(Monday.addDays(day))), qPrintable(text));
    if (choice == 2)
        PdfReader::savePictures(steps.pdfPath, QStringLiteral("breakdown-six"));
}

void TestBreakdown::cancelledOptionsPrintNothing()
{
    BreakdownReportViewer viewer;
    whenShown<PrintBreakDownOptions>([](PrintBreakDownOptions* options) { options->reject(); });
    QVERIFY(!viewer.getReportFactory());
    // The day alone when the day button stays on.
    whenShown<PrintBreakDownOptions>([](PrintBreakDownOptions* options) { options->accept(); });
    const std::unique_ptr<ReportFactory> factory(viewer.getReportFactory());
    const auto* breakdown = dynamic_cast<BreakdownReportFactory*>(factory.get());
    QVERIFY(breakdown);
    QCOMPARE(breakdown->data().chartsPerPage, 1);
    QCOMPARE(breakdown->data().pages, std::vector<std::vector<QDate>>{{Monday.addDays(6)}});
}

QTEST_MAIN(TestBreakdown)
#include "tst_breakdown.moc"
