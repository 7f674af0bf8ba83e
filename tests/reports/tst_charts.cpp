#include "core/clock.h"
#include "core/dbtypes.h"
#include "core/unitcollection.h"
#include "core/unitenergy.h"
#include "core/unitweight.h"
#include "reports/breakdownparams.h"
#include "reports/chartparams.h"
#include "reports/linegraphparams.h"
#include "reports/nutrientchart.h"
#include "reports/reportschartreport.h"
#include "reports/reportdevicemetrics.h"
#include "reports/stepchart.h"
#include "reports/weightchart.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"

#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QValueAxis>
#include <QtTest>

namespace {

const QDate Today(2026, 3, 15);

QByteArray code(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

void checkIn(const QDate& date, float weight, float steps = -1.0f)
{
    DBTypes::CheckinItem checkin;
    checkin.userId = UserDB::instance()->getCurrentUser();
    qstrcpy(checkin.date, code(date).constData());
    if (weight > 0) {
        checkin.weight = weight;
        checkin.hasWeight = true;
    }
    if (steps >= 0) {
        checkin.steps = steps;
        checkin.hasSteps = true;
    }
    QVERIFY(UserDB::instance()->addCheckin(checkin, false));
}

void eat(const QDate& date, float energy, float fat, float cholesterol)
{
    DBTypes::FoodDiaryItem entry;
    entry.userId = UserDB::instance()->getCurrentUser();
    entry.setDate(code(date).constData());
    entry.meal = 1;
    entry.refId = 42;
    entry.servingId = 7;
    entry.desc = QStringLiteral("Toast");
    entry.servingDesc = QStringLiteral("slice");
    entry.size = 1.0f;
    entry.values.energy = energy;
    entry.values.fat = fat;
    entry.values.cholesterol = cholesterol;
    QVERIFY(DiaryDB::instance()->addFoodEntry(entry, true) > 0);
}

// A page of 2000 × 1000 pixels over 200 × 100 mm: 10 pixels a millimetre.
class ImageMetrics : public ReportDeviceMetrics
{
public:
    bool paginated() const override { return true; }
    QSize size() const override { return {2000, 1000}; }
    QSize realSize() const override { return {200, 100}; }
    QFont getFontEquivalent(const QString& family, int size, bool bold, bool italic) const override
    {
        return QFont(family, size, bold ? QFont::Bold : QFont::Normal, italic);
    }
    QPainter* painter() const override { return nullptr; }
};

QList<QDate> everyNthDay(const QDate& first, const QDate& last, int step)
{
    QList<QDate> days;
    for (QDate day = first; day <= last; day = day.addDays(step))
        days << day;
    return days;
}

int inkedPixels(const QImage& image)
{
    int inked = 0;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4)
            inked += image.pixelColor(x, y) != Qt::white;
    }
    return inked;
}

} // namespace

class TestCharts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(startSessionWithUser(QStringLiteral("Ann")));
        Clock::setNow(QDateTime(Today, QTime(10, 0)));
    }

    void cleanupTestCase()
    {
        Clock::reset();
        DiaryDB::cleanUp();
        UnitCollection::cleanUp();
        endSession();
    }

    void roundsHalfAwayFromTheIntegerPart()
    {
        QCOMPARE(ChartParams::round(0.5), 1);
        QCOMPARE(ChartParams::round(-0.5), 0);
        QCOMPARE(ChartParams::round(2.49), 2);
        QCOMPARE(ChartParams::round(2.5), 3);
        QCOMPARE(ChartParams::round(-1.6), -1);
    }

    void breakdownShares_data()
    {
        QTest::addColumn<double>("fat");
        QTest::addColumn<double>("protein");
        QTest::addColumn<double>("carbohydrate");
        QTest::addColumn<int>("f");
        QTest::addColumn<int>("p");
        QTest::addColumn<int>("c");
        QTest::addColumn<int>("angle");
        QTest::newRow("no fat keeps carbohydrate") << 0.0 << 40.0 << 60.0 << 0 << 40 << 60 << 90;
        QTest::newRow("carbohydrate is the rest") << 20.0 << 30.0 << 49.6 << 20 << 30 << 50 << 90;
        QTest::newRow("protein heavy") << 10.0 << 60.0 << 30.0 << 10 << 60 << 30 << 270;
        // Two halves rounded up would make 101: protein gives way.
        QTest::newRow("both round up, never negative") << 47.5 << 52.5 << 0.0 << 48 << 52 << 0 << 270;
        QTest::newRow("halves without fat") << 0.0 << 40.5 << 59.5 << 0 << 41 << 59 << 90;
        QTest::newRow("protein alone") << 0.0 << 100.0 << 0.0 << 0 << 100 << 0 << 270;
    }

    void breakdownShares()
    {
        QFETCH(double, fat);
        QFETCH(double, protein);
        QFETCH(double, carbohydrate);
        BreakdownParams params(QStringLiteral("Breakdown"), false);
        params.setValues(fat, protein, carbohydrate);
        QTEST(params.fat(), "f");
        QTEST(params.protein(), "p");
        QTEST(params.carbohydrate(), "c");
        QTEST(params.startAngle(), "angle");
        QVERIFY(params.hasData());
        QCOMPARE(params.legendTexts().size(), 3);
        QVERIFY(params.legendTexts().last().endsWith(QLatin1String("% Carbohydrate")));
    }

    void breakdownWithoutDataSaysSo()
    {
        BreakdownParams params(QStringLiteral("Breakdown"), false);
        params.setValues(0.0, 0.0, 0.0);
        QVERIFY(!params.hasData());
        QVERIFY(params.legendTexts().isEmpty());
        BreakdownParams compact(QStringLiteral("Lunch"), true);
        compact.setValues(30.0, 30.0, 40.0);
        QVERIFY(compact.legendTexts().isEmpty());
        BreakdownParams shown(QStringLiteral("Breakdown"), false);
        shown.setValues(5.0, 30.0, 65.0);
        QCOMPARE(shown.legendTexts(), QStringList({QStringLiteral("5% Fat"), QStringLiteral("30% Protein"),
                                                    QStringLiteral("65% Carbohydrate")}));
    }

    void lineCellsBoxesAndFuture()
    {
        LineGraphParams params(QStringLiteral("Weight"), QStringLiteral("kg"));
        params.setColumns(4);
        params.setFirstValue(70.0, Today.addDays(-6), true, false);
        params.setValueAtPos(1, 69.5, Today.addDays(-2), true);
        params.setValueAtPos(2, 69.25, QDateTime(Today.addDays(1), QTime(12, 0)), true, false);
        params.setLastValue(3, 69.0, Today.addDays(2));
        // No box on the first and last column, even when asked.
        QCOMPARE(params.cell(0).box, QString());
        QCOMPARE(params.cell(1).box, QStringLiteral("69.50"));
        QCOMPARE(params.cell(2).box, QStringLiteral("69.25"));
        QCOMPARE(params.cell(3).box, QString());
        // Future by date as well as by flag.
        QVERIFY(!params.cell(1).future);
        QVERIFY(params.cell(2).future);
        QCOMPARE(params.cell(3).time, QDateTime(Today.addDays(2), QTime(23, 59)));

        LineGraphParams two(QStringLiteral("Weight"), QStringLiteral("kg"));
        two.setColumns(2);
        two.setValueAtPos(0, 70.0, Today.addDays(-3), true);
        two.setValueAtPos(1, 71.0, Today.addDays(-2), true);
        QCOMPARE(two.cell(0).box, QString());
        QCOMPARE(two.cell(1).box, QString());

        // A box shows its figure as every other figure: with a German decimal comma.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        params.setValueAtPos(1, 69.5, Today.addDays(-2), true);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(params.cell(1).box, QStringLiteral("69,50"));
    }

    void lineSplitsExactlyAtTheStartOfToday()
    {
        LineGraphParams params(QStringLiteral("Weight"), QStringLiteral("kg"));
        params.setColumns(2);
        params.setValueAtPos(0, 70.0, QDateTime(Today.addDays(-1), QTime(0, 0)), false, false);
        params.setValueAtPos(1, 72.0, QDateTime(Today.addDays(1), QTime(0, 0)), false, false);
        const std::vector<LineGraphParams::Run> runs = params.runs();
        QCOMPARE(runs.size(), size_t(2));
        QVERIFY(!runs[0].dotted);
        QVERIFY(runs[1].dotted);
        QCOMPARE(runs[0].points.back().first, QDateTime(Today, QTime(0, 0)));
        QCOMPARE(runs[0].points.back().second, 71.0);
        QCOMPARE(runs[1].points.front(), runs[0].points.back());
    }

    void weightOfAWeekWithOneOldWeighing()
    {
        checkIn(Today.addDays(-10), 80.0f);
        WeightChart chart(nullptr, QStringLiteral("Weight Chart"));
        chart.setDateRange(Today.addDays(-6), Today);
        const LineGraphParams* params = chart.lineParams();
        QVERIFY(params);
        QCOMPARE(params->columns(), 2);
        QCOMPARE(params->cell(0).value, 80.0);
        QVERIFY(!params->cell(0).future);
        QCOMPARE(params->cell(1).value, 80.0);
        QCOMPARE(params->cell(1).time, QDateTime(Today, QTime(23, 59)));
        // Flat from the start edge; the part after the start of today is dotted.
        const std::vector<LineGraphParams::Run> runs = params->runs();
        QCOMPARE(runs.size(), size_t(2));
        QVERIFY(runs.back().dotted);
        QCOMPARE(runs.back().points.front().first, QDateTime(Today, QTime(0, 0)));
        chart.resize(600, 400);
        QVERIFY(saveWidgetPicture(&chart, QStringLiteral("weight-chart-week")));
    }

    void weightWithoutAnyWeighingDrawsNoLine()
    {
        const int ann = UserDB::instance()->getCurrentUser();
        const int bob = addCompleteUser(QStringLiteral("Bob"));
        UserDB::instance()->setCurrentUser(bob);
        WeightChart chart(nullptr, QStringLiteral("Weight Chart"));
        chart.setDateRange(Today.addDays(-6), Today);
        for (int column = 0; column < chart.lineParams()->columns(); ++column)
            QVERIFY(!chart.lineParams()->cell(column).set);
        QVERIFY(chart.lineParams()->runs().empty());
        UserDB::instance()->setCurrentUser(ann);
    }

    void weightEdgesLookForward()
    {
        const int ann = UserDB::instance()->getCurrentUser();
        const int cid = addCompleteUser(QStringLiteral("Cid"));
        UserDB::instance()->setCurrentUser(cid);
        checkIn(Today.addDays(-3), 90.0f);
        checkIn(Today.addDays(5), 88.0f);
        WeightChart chart(nullptr, QStringLiteral("Weight Chart"));
        chart.setDateRange(Today.addDays(-6), Today);
        const LineGraphParams* params = chart.lineParams();
        QCOMPARE(params->columns(), 3);
        // Nothing before the week: its first weighing, dotted.
        QCOMPARE(params->cell(0).value, 90.0);
        QVERIFY(params->cell(0).future);
        QVERIFY(params->runs().front().dotted);
        QCOMPARE(params->cell(1).box, QStringLiteral("90.00"));
        // After the week: the next weighing.
        QCOMPARE(params->cell(2).value, 88.0);
        UserDB::instance()->setCurrentUser(ann);
    }

    void weightBoxesAndMonthsOverLongPeriods()
    {
        checkIn(Today.addDays(-5), 79.0f);
        WeightChart chart(nullptr, QStringLiteral("Weight Chart"));
        chart.configure(Today.addDays(-26), Today);
        QCOMPARE(chart.lineParams()->cell(2).box, QStringLiteral("79.00"));
        chart.configure(Today.addDays(-27), Today);
        QCOMPARE(chart.lineParams()->cell(2).box, QString());

        chart.setDateRange(Today.addDays(-364), Today);
        QCOMPARE(chart.startDate(), QDate(2025, 3, 1));
        QCOMPARE(chart.endDate(), QDate(2026, 3, 31));
        chart.setDateRange(QDate(2026, 1, 30), QDate(2026, 3, 2));
        QCOMPARE(chart.startDate(), QDate(2026, 1, 1));
        QCOMPARE(chart.endDate(), QDate(2026, 3, 31));
    }

    void weightTicksOnWholeDays_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<QList<QDate>>("ticks");
        QTest::addColumn<QString>("format");
        const QString days = QStringLiteral("d MMM");
        QTest::newRow("week") << 7 << everyNthDay(QDate(2026, 3, 9), Today, 1) << days;
        QTest::newRow("two weeks") << 14 << everyNthDay(QDate(2026, 3, 3), Today, 2) << days;
        QTest::newRow("month") << 30 << everyNthDay(QDate(2026, 2, 15), Today, 7) << days;
        QList<QDate> halves;
        for (int month = 0; month < 4; ++month)
            halves << QDate(2025, 12, 1).addMonths(month) << QDate(2025, 12, 15).addMonths(month);
        QTest::newRow("quarter") << 90 << halves << days;
        QList<QDate> months;
        for (int month = 0; month <= 12; month += 2)
            months << QDate(2025, 3, 1).addMonths(month);
        QTest::newRow("year") << 365 << months << QStringLiteral("MMM yyyy");
    }

    // Ticks sit at noon of whole days, where each day's weighing is drawn.
    void weightTicksOnWholeDays()
    {
        QFETCH(int, period);
        QFETCH(QList<QDate>, ticks);
        QFETCH(QString, format);
        const int ann = UserDB::instance()->getCurrentUser();
        static const int dee = addCompleteUser(QStringLiteral("Dee"));
        UserDB::instance()->setCurrentUser(dee);
        checkIn(Today.addDays(-40), 72.0f);
        checkIn(Today.addDays(-3), 70.0f);
        WeightChart chart(nullptr, QStringLiteral("Weight Chart"));
        chart.setDateRange(Today.addDays(1 - period), Today);
        UserDB::instance()->setCurrentUser(ann);
        auto* axis = qobject_cast<QCategoryAxis*>(chart.chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(axis);
        QStringList labels;
        for (const QDate& day : ticks)
            labels << QLocale::c().toString(day, format);
        QCOMPARE(axis->categoriesLabels(), labels);
        for (int i = 0; i < ticks.size(); ++i) {
            const double noon = double(QDateTime(ticks.at(i), QTime(12, 0)).toMSecsSinceEpoch());
            QCOMPARE(axis->endValue(labels.at(i)), noon);
        }
        // The weighing three days ago stands over its day's tick.
        const std::vector<LineGraphParams::Run> runs = chart.lineParams()->runs();
        const QDateTime weighed(Today.addDays(-3), QTime(12, 0));
        const bool drawn = std::any_of(runs.cbegin(), runs.cend(), [&](const auto& run) {
            return std::any_of(run.points.cbegin(), run.points.cend(),
                               [&](const auto& point) { return point.first == weighed; });
        });
        QVERIFY(drawn);
        if (period == 7) {
            QCOMPARE(axis->endValue(labels.at(3)), double(weighed.toMSecsSinceEpoch()));
            chart.resize(600, 400);
            QVERIFY(saveWidgetPicture(&chart, QStringLiteral("weight-chart-week-ticks")));
        }
    }

    void valueAxesTickAtRoundSteps_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QList<double>>("ends");
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<QString>("format");
        // A label of a German user's chart: a decimal comma and no group separator.
        QTest::addColumn<QString>("germanLabel");
        QTest::newRow("4.1 g of fat") << QStringLiteral("fat") << QList<double>{0, 5}
                                      << QList<int>{5} << QStringLiteral("%.0f") << "5";
        // Both sides in as many steps: 5 g a step beside 100 cals.
        QTest::newRow("20 g of fat beside 500 cals")
            << QStringLiteral("fat and energy") << QList<double>{0, 25, 0, 500}
            << QList<int>{5, 5} << QStringLiteral("%.0f") << "500";
        QTest::newRow("one weighing of 73.075 kg") << QStringLiteral("weight")
                                                   << QList<double>{72.4, 73.6} << QList<int>{6}
                                                   << QStringLiteral("%.1f") << "72,6";
        // A stored weight no dialog writes is no point of the line, and no end of its axis.
        for (const char* stored : {"1e308", "Inf", "-Inf", "3e38"})
            QTest::addRow("one weighing beside a weight of %s", stored)
                << QStringLiteral("weight beside %1").arg(QLatin1String(stored))
                << QList<double>{72.4, 73.6} << QList<int>{6} << QStringLiteral("%.1f") << "72,6";
        QTest::newRow("12000 steps") << QStringLiteral("steps") << QList<double>{0, 12000}
                                     << QList<int>{6} << QStringLiteral("%.0f") << "12000";
    }

    // Every value axis ticks at round steps from end to end, and its labels carry exactly the
    // decimals of the step: each label says where its tick stands.
    void valueAxesTickAtRoundSteps()
    {
        QFETCH(QString, shown);
        QFETCH(QList<double>, ends);
        QFETCH(QList<int>, steps);
        QFETCH(QString, format);
        QFETCH(QString, germanLabel);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const auto english = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        // A user of the row's own, gone after it: the household holds five at most.
        const int ann = UserDB::instance()->getCurrentUser();
        const qint64 user = addCompleteUser(QStringLiteral("Axes"));
        const auto back = qScopeGuard([ann, user] {
            UserDB::instance()->setCurrentUser(ann);
            UserDB::instance()->deleteUser(user);
        });
        UserDB::instance()->setCurrentUser(user);
        const QDate day = Today.addDays(-2);
        std::unique_ptr<ReportsChart> chart;
        if (shown.startsWith(QLatin1String("weight"))) {
            checkIn(day, 73.075f);
            if (shown.contains(QLatin1String("beside"))) {
                BXSqlQuery stored("INSERT INTO user_checkins(user_id, date, weight) VALUES (?, ?, ?)");
                stored.bindValue(0, user);
                stored.bindValue(1, QString::fromLatin1(code(day.addDays(1))));
                stored.bindValue(2, std::strtod(shown.section(QLatin1Char(' '), -1).toLatin1().constData(), nullptr));
                QVERIFY(stored.exec());
            }
            auto* weights = new WeightChart(nullptr, QStringLiteral("Weight"));
            weights->setDateRange(Today.addDays(-6), Today);
            chart.reset(weights);
        } else if (shown == QLatin1String("steps")) {
            checkIn(day, -1.0f, 12000.0f);
            auto* stepChart = new StepChart(nullptr, QStringLiteral("Steps"));
            stepChart->setDateRange(Today.addDays(-6), Today);
            chart.reset(stepChart);
        } else {
            eat(day, shown.contains(QLatin1String("energy")) ? 500.0f : 0.0f,
                shown.contains(QLatin1String("energy")) ? 20.0f : 4.1f, 0.0f);
            auto* nutrients = new NutrientChart(nullptr, QStringLiteral("Nutrients"));
            nutrients->configure(Today.addDays(-6), Today,
                                 NutrientChart::Fat
                                     | (shown.contains(QLatin1String("energy"))
                                            ? NutrientChart::EnergyIntake : 0));
            chart.reset(nutrients);
        }
        QList<QAbstractAxis*> axes = chart->chart()->axes(Qt::Vertical);
        axes.removeIf([](const QAbstractAxis* axis) { return !axis->isVisible(); });
        QCOMPARE(axes.size(), steps.size());
        for (int i = 0; i < axes.size(); ++i) {
            auto* axis = qobject_cast<QValueAxis*>(axes.at(i));
            QVERIFY(axis);
            QCOMPARE(axis->min(), ends.at(2 * i));
            QCOMPARE(axis->max(), ends.at(2 * i + 1));
            QCOMPARE(axis->tickType(), QValueAxis::TicksFixed);
            QCOMPARE(axis->tickCount(), steps.at(i) + 1);
            QCOMPARE(axis->labelFormat(), format);
        }
        chart->resize(800, 500);
        chart->show();
        QVERIFY(QTest::qWaitForWindowExposed(chart.get()));
        QStringList labels;
        for (const QGraphicsItem* item : chart->scene()->items()) {
            if (const auto* text = dynamic_cast<const QGraphicsTextItem*>(item))
                labels << text->toPlainText();
        }
        QVERIFY2(labels.contains(germanLabel), qPrintable(labels.join(QLatin1Char('|'))));
    }

    void weightInPounds()
    {
        UnitCollection::instance()->set(UnitCollection::Weight, new UnitWeight(1));
        WeightChart chart(nullptr, QStringLiteral("Weight Chart"));
        chart.configure(Today.addDays(-6), Today);
        QVERIFY(qAbs(chart.lineParams()->cell(1).value - 79.0 * 2.20462) < 0.01);
        QCOMPARE(chart.lineParams()->units(), QStringLiteral("lb"));
        UnitCollection::instance()->set(UnitCollection::Weight, new UnitWeight(0));
    }

    void stepsOfAWeek()
    {
        checkIn(Today.addDays(-4), -1.0f, 4000.0f);
        checkIn(Today.addDays(-1), -1.0f, 12000.0f);
        StepChart chart(nullptr, QStringLiteral("Steps Chart"));
        chart.setDateRange(Today.addDays(-6), Today);
        QCOMPARE(chart.days().size(), size_t(7));
        int bars = 0;
        for (const auto& day : chart.days())
            bars += day.second > 0;
        QCOMPARE(bars, 2);
        QCOMPARE(chart.days()[2].second, 4000.0);
        chart.resize(600, 400);
        QVERIFY(saveWidgetPicture(&chart, QStringLiteral("step-chart-week")));
    }

    void nutrientTable()
    {
        eat(Today.addDays(-2), 500.0f, 20.0f, 30.0f);
        DBTypes::ExerciseDiaryItem run;
        run.userId = UserDB::instance()->getCurrentUser();
        run.setDate(code(Today.addDays(-2)).constData());
        run.duration = 60.0f;
        run.rate = 10.0f;
        run.name = QStringLiteral("Running");
        QVERIFY(DiaryDB::instance()->addExEntry(run, false) > 0);

        NutrientChart chart(nullptr, QStringLiteral("Nutrients"));
        const int chosen = NutrientChart::Cholesterol | NutrientChart::EnergyNet | NutrientChart::Fat
            | NutrientChart::EnergyIntake;
        chart.configure(Today.addDays(-6), Today, chosen);
        QCOMPARE(chart.tableColumns(), 7);
        QCOMPARE(chart.tableRows(), 4);
        // Grams, then energy, then milligrams.
        const std::vector<NutrientChart::Row>& rows = chart.rows();
        QCOMPARE(rows[0].component, int(NutrientChart::Fat));
        QCOMPARE(rows[1].component, int(NutrientChart::EnergyIntake));
        QCOMPARE(rows[2].component, int(NutrientChart::EnergyNet));
        QCOMPARE(rows[3].component, int(NutrientChart::Cholesterol));
        QCOMPARE(rows[0].values[4], 20.0);
        QCOMPARE(rows[1].values[4], 500.0);
        // Net energy never below 0, days without entries 0.
        QCOMPARE(rows[2].values[4], 0.0);
        QCOMPARE(rows[0].values[0], 0.0);
        QCOMPARE(rows[3].values[4], 30.0);
        QVERIFY(chart.gramsAxisVisible() && chart.energyAxisVisible() && chart.milligramsAxisVisible());
        chart.resize(800, 500);
        QVERIFY(saveWidgetPicture(&chart, QStringLiteral("nutrient-chart-week")));

        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilojoules));
        chart.configure(Today.addDays(-6), Today, NutrientChart::EnergyIntake);
        QVERIFY(qAbs(chart.rows()[0].values[4] - 500.0 * 4.18) < 1.0);
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilocalories));
        chart.configure(Today.addDays(-29), Today, 0xFFF);
        QCOMPARE(chart.tableRows(), 12);
        chart.resize(800, 500);
        QVERIFY(saveWidgetPicture(&chart, QStringLiteral("nutrient-chart-all")));
    }

    void nutrientChartWithoutSeriesOrData()
    {
        NutrientChart chart(nullptr, QStringLiteral("Nutrients"));
        chart.configure(Today.addDays(-6), Today, 0);
        QCOMPARE(chart.tableRows(), 1);
        QCOMPARE(chart.tableColumns(), 1);
        QVERIFY(!chart.bottomAxisVisible());
        // Boxes ticked over days without entries: zero bars, no value axes.
        chart.configure(QDate(2020, 1, 1), QDate(2020, 1, 7), NutrientChart::Fat | NutrientChart::EnergyIntake);
        QVERIFY(!chart.hasData());
        QCOMPARE(chart.rows()[0].values, std::vector<double>(7, 0.0));
        QVERIFY(chart.bottomAxisVisible());
        QVERIFY(!chart.gramsAxisVisible());
        QVERIFY(!chart.energyAxisVisible());
    }

    void chartPrintsInsideTheMargin()
    {
        WeightChart chart(nullptr, QStringLiteral("Weight Chart from here to there."));
        chart.setDateRange(Today.addDays(-6), Today);
        ImageMetrics metrics;
        const std::unique_ptr<Report> report(chart.getReport(&metrics));
        QCOMPARE(report->getPageCount(), 1);
        QCOMPARE(static_cast<ReportsChartReport*>(report.get())->rect(), QRect(200, 200, 1600, 600));
        QImage page(metrics.size(), QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            QPainter painter(&page);
            report->draw(&painter, 0);
        }
        // The margin stays white, the chart is drawn inside it.
        QCOMPARE(inkedPixels(page.copy(0, 0, 2000, 190)), 0);
        QVERIFY(inkedPixels(page.copy(200, 200, 1600, 600)) > 1000);
        page.save(QCoreApplication::applicationDirPath() + QStringLiteral("/../widget-pictures/weight-chart-printed.png"));
    }
};

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
