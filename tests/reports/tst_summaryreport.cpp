#include "reportsession.h"

#include "catalogue/catalogueservices.h"
#include "catalogue/browsabledbitem.h"
#include "catalogue/fooddbstatic.h"
#include "core/clock.h"
#include "core/unitenergy.h"
#include "core/unitmeasurement.h"
#include "core/unitweight.h"
#include "reports/breakdownparams.h"
#include "reports/dateselectorbar.h"
#include "reports/pagesetup.h"
#include "reports/previewrdm.h"
#include "reports/printmodule.h"
#include "reports/printoptions.h"
#include "reports/reportscontainer.h"
#include "reports/simplereportscroller.h"
#include "reports/splitrect.h"
#include "reports/summaryreport.h"
#include "reports/summaryreportfactory.h"
#include "reports/summaryreportviewer.h"
#include "tests/support/printharness.h"
#include "tests/support/widgetpicture.h"
#include "widgets/bxhelp.h"
#include "widgets/bxhelpclient.h"
#include "tests/support/whenshown.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QRadioButton>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>

#include <clocale>
#include <functional>
#include <memory>

namespace {

using ReportSession::eat;
using ReportSession::Food;
using ReportSession::Monday;

struct Checkin
{
    float weight = -1.0f;
    float waist = -1.0f;
    float hip = -1.0f;
    int activity = -1;
    int goal = -1;
    float energyTarget = -2.0f;
};

void checkIn(qint64 user, const QDate& date, const Checkin& values)
{
    DBTypes::CheckinItem checkin;
    checkin.userId = user;
    qstrcpy(checkin.date, ReportSession::code(date).constData());
    checkin.weight = values.weight;
    checkin.hasWeight = values.weight >= 0.0f;
    checkin.waist = values.waist;
    checkin.hasWaist = values.waist >= 0.0f;
    checkin.hip = values.hip;
    checkin.hasHip = values.hip >= 0.0f;
    checkin.activity = values.activity;
    checkin.hasActivity = values.activity >= 0;
    checkin.goal = values.goal;
    checkin.hasGoal = values.goal >= 0;
    if (values.energyTarget > -2.0f)
        checkin.setTarget(DBTypes::ENERGY, values.energyTarget);
    QVERIFY(UserDB::instance()->addCheckin(checkin, false));
}

void setHeight(qint64 user, float height, const char* birth = "19800101")
{
    DBTypes::UserProfile profile = *UserDB::instance()->getProfile(user);
    profile.height = height;
    qstrcpy(profile.dob, birth);
    QVERIFY(UserDB::instance()->updateUser(profile));
}

void setSnackDisplay(qint64 user, int display)
{
    DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(user).value();
    prefs.snackDisplay = display;
    QVERIFY(UserDB::instance()->setUserPrefs(user, prefs));
}

QString plain(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText().simplified();
}

int inkedPixels(const QImage& image)
{
    int inked = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2)
            inked += image.pixelColor(x, y) != Qt::white;
    }
    return inked;
}

} // namespace

class TestSummaryReport : public QObject
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
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilocalories));
        UnitCollection::instance()->set(UnitCollection::Weight, new UnitWeight(UnitWeight::Kilograms));
        UnitCollection::instance()->set(UnitCollection::Measurement,
                                        new UnitMeasurement(UnitMeasurement::Centimetres));
        Clock::setNow(QDateTime(Monday.addDays(6), QTime(10, 0)));
        ReportViewer::_date = QDate();
    }
    void cleanup()
    {
        Clock::reset();
        CatalogueServices::cleanUp();
        ReportSession::end();
    }

    void splitsRectangles();
    void sizesAndTheScrollersChoice();
    void sectionsFollowTheSnackDisplay();
    void sharesAgreeWithTheBreakdown();
    void bmiWordsAndProjection();
    void bodyTextWithoutUsableFigures();
    void bodyTextGoalTargetAndProjection();
    void numbersKeepAPointInACommaLocale();
    void pagesAndDrawingOutOfRange();
    void mealsTwoToARow();
    void figuresStayInsideTheirCells();
    void viewerRepaintsTheNewDay();
    void printsOnePagePerKeptDay();
    void printedDayOfCatalogueFoods();

private:
    qint64 _user = -1;
};

void TestSummaryReport::splitsRectangles()
{
    const QRect wide(0, 0, 101, 50);
    QCOMPARE(splitRect(wide, 0, 2, 10, Horizontal), QRect(0, 0, 45, 50));
    QCOMPARE(splitRect(wide, 1, 2, 10, Horizontal), QRect(56, 0, 45, 50));
    QCOMPARE(splitRect(wide, 1, 2, 10, Longest), QRect(56, 0, 45, 50));
    // Three pieces of 100 with spacing 5: 30 each, gaps of 5.
    const QRect tall(10, 20, 40, 100);
    QCOMPARE(splitRect(tall, 0, 3, 5, Longest), QRect(10, 20, 40, 30));
    QCOMPARE(splitRect(tall, 1, 3, 5, Vertical), QRect(10, 55, 40, 30));
    QCOMPARE(splitRect(tall, 2, 3, 5, Vertical), QRect(10, 90, 40, 30));
    QCOMPARE(splitRect(tall, 0, 1, 5, Vertical), tall);
    QRect in(0, 0, 100, 60);
    moveRectIn(in, 10);
    QCOMPARE(in, QRect(10, 10, 80, 40));
}

void TestSummaryReport::sizesAndTheScrollersChoice()
{
    SummaryReportFactory factory(Monday, Monday, false);
    std::vector<QSize> sizes;
    factory.getSizes(sizes);
    QCOMPARE(sizes, (std::vector<QSize>{{915, 565}, {475, 1005}}));
    QCOMPARE(SimpleReportScroller::chooseSize(sizes, {900, 600}), QSize(475, 1005));
    QCOMPARE(SimpleReportScroller::chooseSize(sizes, {930, 600}), QSize(915, 565));
    QCOMPARE(SimpleReportScroller::chooseSize(sizes, {400, 300}), QSize(475, 1005));
    // A tall page needs room for the scroll bar.
    QCOMPARE(SimpleReportScroller::chooseSize(sizes, {484, 600}), QSize(475, 1005));
    QCOMPARE(SimpleReportScroller::chooseSize({{475, 1005}, {300, 1005}}, {484, 600}),
             QSize(300, 1005));

    // The sizes follow the pages as read, never the diary at layout time.
    setSnackDisplay(_user, DBTypes::SNACKS_NUMBERED);
    sizes.clear();
    factory.getSizes(sizes);
    QCOMPARE(sizes, (std::vector<QSize>{{915, 565}, {475, 1005}}));
    factory.setDateRange(Monday, Monday, false);
    sizes.clear();
    factory.getSizes(sizes);
    QCOMPARE(sizes, (std::vector<QSize>{{1135, 565}, {695, 1005}, {475, 1270}}));
}

void TestSummaryReport::sectionsFollowTheSnackDisplay()
{
    eat(_user, Monday, 1, {400.0f, 20.0f, 50.0f, 0.0f});
    eat(_user, Monday, 2, {100.0f, 0.0f, 0.0f, 25.0f});
    eat(_user, Monday, 6, {50.0f, 0.0f, 0.0f, 12.5f});
    eat(_user, Monday, 3, {0.5f, 0.0f, 0.0f, 0.0f});

    SummaryReportFactory together(Monday, Monday, false);
    QCOMPARE(together.data().sectionCount, 5);
    const auto& page = *together.data().pages.at(0);
    QCOMPARE(page.texts[1][0], QStringLiteral("Breakfast - 400 cals"));
    QCOMPARE(page.texts[1][1], QStringLiteral("Fat:\nCarbs:\nProtein:"));
    QCOMPARE(page.texts[1][2], QStringLiteral("20.0 g\n0.0 g\n50.0 g"));
    QCOMPARE(page.texts[1][3],
             QStringLiteral("(180 cals / 47%)\n(0 cals / 0%)\n(200 cals / 53%)"));
    QCOMPARE(page.texts[1][4], QStringLiteral("Sat. Fat:\nChol:\nSugar:"));
    QVERIFY(page.texts[1][6].startsWith(QStringLiteral("Sodium:\nCalcium:\n")));
    QVERIFY(page.texts[1][6].endsWith(QLatin1Char(':')));
    // Under 1 kcal: the title alone.
    QCOMPARE(page.texts[2][0], QStringLiteral("Lunch"));
    QVERIFY(page.texts[2][1].isEmpty());
    QCOMPARE(page.texts[3][0], QStringLiteral("Dinner"));
    QCOMPARE(page.texts[4][0], QStringLiteral("Snacks - 150 cals"));
    QCOMPARE(page.charts[0]->getNutrientTotals()[BreakdownChart::FoodEnergy], 550.5f);
    QVERIFY(!page.charts[5] && !page.charts[6]);

    setSnackDisplay(_user, DBTypes::SNACKS_BETWEEN_MEALS);
    together.setDateRange(Monday, Monday, false);
    QCOMPARE(together.data().sectionCount, 7);
    const auto& between = *together.data().pages.at(0);
    QCOMPARE(between.texts[2][0], QStringLiteral("Morning snack - 100 cals"));
    QCOMPARE(between.texts[3][0], QStringLiteral("Lunch"));
    QCOMPARE(between.texts[4][0], QStringLiteral("Afternoon snack"));
    QCOMPARE(between.texts[6][0], QStringLiteral("Evening snack - 50 cals"));

    setSnackDisplay(_user, DBTypes::SNACKS_NUMBERED);
    SummaryReportFactory numbered(Monday, Monday, false);
    QCOMPARE(numbered.data().pages.at(0)->texts[2][0], QStringLiteral("Snacks #1 - 100 cals"));
    QCOMPARE(numbered.data().pages.at(0)->texts[6][0], QStringLiteral("Snacks #3 - 50 cals"));
}

// The summary's shares are the pie's: of the three energies, rounded one way, whatever the
// food energy recorded beside them.
void TestSummaryReport::sharesAgreeWithTheBreakdown()
{
    // 288 + 56 + 152 = 496 kcal from the three, 490 recorded.
    eat(_user, Monday, 1, {490.0f, 32.0f, 14.0f, 38.0f});
    SummaryReportFactory factory(Monday, Monday, false);
    QCOMPARE(factory.data().pages.at(0)->texts[0][3],
             QStringLiteral("(288 cals / 58%)\n(152 cals / 31%)\n(56 cals / 11%)"));
    BreakdownChart breakdown(nullptr, QStringLiteral("Day"), false);
    breakdown.setDateRange(Monday, Monday, 0);
    QImage image(300, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    breakdown.print(&painter, image.rect());
    const auto* pie = dynamic_cast<const BreakdownParams*>(breakdown.params());
    QVERIFY(pie);
    QCOMPARE(pie->legendTexts(), QStringList({QStringLiteral("58% Fat"), QStringLiteral("11% Protein"),
                                              QStringLiteral("31% Carbohydrate")}));
}

void TestSummaryReport::bmiWordsAndProjection()
{
    const std::pair<int, const char*> words[] = {
        {18, " (Underweight)"}, {19, " (low risk)"},  {26, " (low risk)"},
        {27, " (medium risk)"}, {29, " (medium risk)"}, {30, " (high risk)"},
        {40, " (high risk)"},   {41, " (very high risk)"}};
    // At a height of 100 cm the index is the weight.
    for (const auto& [bmi, word] : words)
        QCOMPARE(UserDB::bmiWithRisk(100.0f, float(bmi)),
                 QString::number(bmi) + QStringLiteral(".0") + QString::fromLatin1(word));

    const auto projected = [](float balance) { return plain(SummaryReportFactory::projection(balance)); };
    QCOMPARE(projected(500.0f),
             QStringLiteral("On an average person, these figures would lead to a gain of 2.0 kg "
                            "over the next month."));
    QVERIFY(projected(200.0f).endsWith(QStringLiteral("gain of 2.4 kg over the next 3 months.")));
    QVERIFY(projected(50.0f).endsWith(QStringLiteral("gain of 1.2 kg over the next 6 months.")));
    QVERIFY(projected(-500.0f).contains(QStringLiteral("loss of 2.0 kg over the next month")));
    QVERIFY(projected(30.0f).startsWith(QStringLiteral("An average person with these figures could "
                                                       "expect to maintain their weight.")));
    QVERIFY(projected(253.6f).endsWith(QStringLiteral("the next month.")));
    QVERIFY(projected(253.4f).endsWith(QStringLiteral("the next 3 months.")));
    QVERIFY(projected(84.6f).endsWith(QStringLiteral("the next 3 months.")));
    QVERIFY(projected(84.4f).endsWith(QStringLiteral("the next 6 months.")));
    QVERIFY(projected(42.3f).endsWith(QStringLiteral("the next 6 months.")));
    QVERIFY(projected(42.2f).contains(QStringLiteral("maintain")));
}

void TestSummaryReport::bodyTextWithoutUsableFigures()
{
    eat(_user, Monday, 1, {2000.0f, 20.0f, 50.0f, 200.0f});
    checkIn(_user, Monday, {80.0f, 90.0f, 0.0f, 1, 0});
    const auto body = [](const QDate& day) {
        SummaryReportFactory factory(day, day, false);
        return plain(factory.data().pages.at(0)->body);
    };
    for (float height : {0.0f, -1.0f}) {
        setHeight(_user, height);
        const QString text = body(Monday);
        QVERIFY2(text.contains(QStringLiteral("Weight: 80.0 kg")), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("BMI")), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("average person")), qPrintable(text));
        // A hip of 0 gives no ratio.
        QVERIFY2(!text.contains(QStringLiteral("ratio")), qPrintable(text));
    }
    // Weighed in the birth year: a BMI, but no resting energy and so no projection.
    setHeight(_user, 170.0f, "20260101");
    QString text = body(Monday);
    QVERIFY2(text.contains(QStringLiteral("BMI: 27.7 (medium risk)")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("average person")), qPrintable(text));
    // Without a weight: no BMI, no projection, no paragraph on the goal.
    setHeight(_user, 170.0f);
    text = body(Monday.addDays(-1));
    QVERIFY2(!text.contains(QStringLiteral("Weight")) && !text.contains(QStringLiteral("BMI")),
             qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("To reach")), qPrintable(text));
}

void TestSummaryReport::bodyTextGoalTargetAndProjection()
{
    // Profile: woman, born 1980-01-01, 170 cm. 80 kg, sedentary, aged 46 in 2026.
    eat(_user, Monday, 1, {2000.0f, 20.0f, 50.0f, 200.0f});
    DBTypes::ExerciseDiaryItem walk;
    walk.userId = _user;
    walk.setDate(ReportSession::code(Monday).toStdString());
    walk.duration = 30.0f;
    walk.rate = 5.0f;
    walk.name = QStringLiteral("Walking");
    QVERIFY(DiaryDB::instance()->addExEntry(walk, false) >= 0);
    checkIn(_user, Monday.addDays(-3), {80.0f, 85.0f, 100.0f, 0});

    SummaryReportFactory factory(Monday, Monday, false);
    QString text = plain(factory.data().pages.at(0)->body);
    QVERIFY2(text.contains(QStringLiteral("BMI: 27.7 (medium risk)")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Waist/Hip ratio: 0.85")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("You've recorded 1850 cals on this day (subtracting 150 "
                                          "cals burned from 2000 cals eaten.)")),
             qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("Your target")), qPrintable(text));
    // Resting energy (40 × 80 + 2741 + 7.7 × 170 − 19.6 × 46) × 1.1 ÷ 4.18 = 1670.5 kcal:
    // 179.5 kcal a day over it.
    QVERIFY2(text.contains(QStringLiteral("gain of 2.1 kg over the next 3 months")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("To reach")), qPrintable(text));
    QCOMPARE(factory.data().pages.at(0)->heading,
             QStringLiteral("<big><b>Monday, 9 March 2026</b></big>"));

    checkIn(_user, Monday.addDays(-1), {-1.0f, -1.0f, -1.0f, -1, DBTypes::LOSE_WEIGHT, 0.0f});
    factory.setDateRange(Monday, Monday, false);
    text = plain(factory.data().pages.at(0)->body);
    // 80 − 1.7 × 1.7 × 20 = 22.2 kg.
    QVERIFY2(text.contains(QStringLiteral("To reach a BMI of 20, you need to lose 22.2 kg.")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Your target was 0 cals.")), qPrintable(text));

    checkIn(_user, Monday, {-1.0f, -1.0f, -1.0f, -1, DBTypes::MAINTAIN_WEIGHT, 1800.0f});
    factory.setDateRange(Monday, Monday, false);
    text = plain(factory.data().pages.at(0)->body);
    QVERIFY2(!text.contains(QStringLiteral("To reach")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Your target was 1800 cals.")), qPrintable(text));

    // A morning run before breakfast: more burned than eaten, written with its sign.
    ReportSession::exercise(_user, Monday, 600.0f, 5.0f);
    factory.setDateRange(Monday, Monday, false);
    text = plain(factory.data().pages.at(0)->body);
    QVERIFY2(text.contains(QStringLiteral("You've recorded -1150 cals on this day (subtracting "
                                          "3150 cals burned from 2000 cals eaten.)")),
             qPrintable(text));

    // The check-ins page's ratio for the same figures, not a float's 0.88.
    checkIn(_user, Monday, {-1.0f, 88.5f, 100.0f});
    factory.setDateRange(Monday, Monday, false);
    text = plain(factory.data().pages.at(0)->body);
    QVERIFY2(text.contains(QStringLiteral("Waist/Hip ratio: 0.89")), qPrintable(text));
}

// Ratios and figures are written with a point also where the C library writes a comma.
void TestSummaryReport::numbersKeepAPointInACommaLocale()
{
    if (!ReportSession::useCommaLocale())
        QSKIP("localedef cannot build de_DE here (the locales package is missing)");
    eat(_user, Monday, 1, {2000.0f, 20.0f, 50.0f, 200.0f});
    checkIn(_user, Monday, {80.0f, 85.0f, 100.0f, 0});
    SummaryReportFactory factory(Monday, Monday, false);
    const QString text = plain(factory.data().pages.at(0)->body);
    std::setlocale(LC_ALL, "C");
    qunsetenv("LOCPATH");
    QVERIFY2(text.contains(QStringLiteral("Waist/Hip ratio: 0.85")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Weight: 80.0 kg")), qPrintable(text));
}

void TestSummaryReport::pagesAndDrawingOutOfRange()
{
    eat(_user, Monday.addDays(1), 1, {300.0f, 10.0f, 10.0f, 10.0f});
    SummaryReportFactory all(Monday, Monday.addDays(2), false);
    QCOMPARE(all.data().pages.size(), size_t(3));
    QVERIFY(!all.preferLandscape());
    SummaryReportFactory kept(Monday, Monday.addDays(2), true);
    QCOMPARE(kept.data().pages.size(), size_t(1));
    QCOMPARE(kept.data().pages.at(0)->date, Monday.addDays(1));
    SummaryReportFactory none(Monday, Monday, true);
    QCOMPARE(none.data().pages.size(), size_t(0));

    SimpleReportMetrics metrics;
    metrics.setSize({915, 565});
    const std::unique_ptr<Report> report(kept.getReport(&metrics));
    QCOMPARE(report->getPageCount(), 1);
    QImage image(915, 565, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        report->draw(&painter, -1);
        report->draw(&painter, 1);
    }
    QCOMPARE(inkedPixels(image), 0);
    {
        QPainter painter(&image);
        report->draw(&painter, 0);
    }
    QVERIFY(inkedPixels(image) > 1000);

    // On screen the text column keeps its width; the meals share the rest.
    const auto* summary = static_cast<const SummaryReport*>(report.get());
    QCOMPARE(summary->spacing(), 10);
    QCOMPARE(summary->textRect().left(), 20);
    QCOMPARE(summary->sectionRect(0).right(), 20 + 435 - 1);
    QVERIFY(summary->sectionRect(1).left() > summary->sectionRect(0).right());
    QVERIFY(summary->sectionRect(5).isNull());
}

// The meals' cells stand two to a row, wide enough for their figures, on paper as on the
// widest screen layout.
void TestSummaryReport::mealsTwoToARow()
{
    setSnackDisplay(_user, DBTypes::SNACKS_BETWEEN_MEALS);
    SummaryReportFactory factory(Monday, Monday, false);
    SimpleReportMetrics screen;
    screen.setSize({1135, 565});
    PreviewRDM paper(QSize(595, 842), QSize(210, 297), nullptr);
    for (ReportDeviceMetrics* metrics : std::initializer_list<ReportDeviceMetrics*>{&screen, &paper}) {
        const std::unique_ptr<Report> report(factory.getReport(metrics));
        const auto* summary = static_cast<const SummaryReport*>(report.get());
        for (int row = 0; row < 3; ++row) {
            const QRect left = summary->sectionRect(1 + 2 * row);
            const QRect right = summary->sectionRect(2 + 2 * row);
            QCOMPARE(left.top(), right.top());
            QVERIFY(left.right() < right.left());
            QVERIFY2(left.width() > 200, qPrintable(QString::number(left.width())));
            if (row > 0)
                QVERIFY(left.top() > summary->sectionRect(2 * row - 1).bottom());
        }
    }
}

namespace {

// The lines of a cell's labels and amounts, and where they go, checked against the device's
// own measure of each text.
void checkCell(const SummaryReport& report, const QPaintDevice* device,
               const SummaryReportData::PageData& page, int section, const QString& where)
{
    const SummaryReport::SectionLayout layout = report.sectionLayout(device, 0, section);
    const auto& texts = page.texts[size_t(section)];
    const QFontMetrics bold(layout.bold, device);
    const QFontMetrics normal(layout.normal, device);
    const QFontMetrics italic(layout.italic, device);
    const QString cell = where + QStringLiteral(" section %1").arg(section);
    QVERIFY2(layout.left.right() < layout.right.left(), qPrintable(cell));
    if (section > 0) {
        QVERIFY2(layout.inner.contains(layout.left) && layout.inner.contains(layout.right),
                 qPrintable(cell));
        QVERIFY2(QFontMetrics(layout.title, device).horizontalAdvance(texts[0]) <= layout.inner.width(),
                 qPrintable(cell + QStringLiteral(": ") + texts[0]));
    }
    const auto besideEachOther = [&](const QString& labels, const QString& amounts, const QRect& place) {
        const QStringList names = labels.split(QLatin1Char('\n'));
        const QStringList figures = amounts.split(QLatin1Char('\n'));
        QCOMPARE(names.size(), figures.size());
        for (qsizetype i = 0; i < names.size(); ++i) {
            const int needed = bold.horizontalAdvance(names[i]) + normal.horizontalAdvance(figures[i]);
            QVERIFY2(needed < place.width(),
                     qPrintable(cell + QStringLiteral(": %1 %2 needs %3, has %4")
                                           .arg(names[i], figures[i]).arg(needed).arg(place.width())));
        }
    };
    besideEachOther(texts[1] + QLatin1Char('\n') + texts[4], texts[2] + QLatin1Char('\n') + texts[5],
                    layout.left);
    besideEachOther(texts[6], texts[7], layout.right);
    // The colour key stands at the right of the whole day's shares.
    const int key = section == 0 ? italic.ascent() + 1 : 0;
    for (const QString& line : texts[3].split(QLatin1Char('\n')))
        QVERIFY2(italic.horizontalAdvance(line) + key < layout.right.width(), qPrintable(cell + line));
    QVERIFY2(6 * normal.lineSpacing() <= layout.body.height(), qPrintable(cell));
}

} // namespace

// Labels beside their amounts, never over them nor past the cell, on every screen layout and
// on paper, in kilocalories and kilojoules. On screen the layout counts a point as a pixel:
// its texts are drawn that many pixels high.
void TestSummaryReport::figuresStayInsideTheirCells()
{
    // A day of large figures: five-digit sodium, four-digit cholesterol and calcium.
    const Food large{2350.4f, 145.5f, 160.2f, 170.3f, 120.1f, 1109.9f, 11412.6f, 188.8f, 1558.3f, 30.3f};
    for (int meal = 1; meal <= 6; ++meal)
        eat(_user, Monday, meal, large);
    for (const int snacks : {DBTypes::SNACKS_TOGETHER, DBTypes::SNACKS_BETWEEN_MEALS}) {
        setSnackDisplay(_user, snacks);
        for (const auto energy : {UnitEnergy::Kilocalories, UnitEnergy::Kilojoules}) {
            UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(energy));
            SummaryReportFactory factory(Monday, Monday, false);
            const auto& page = *factory.data().pages.at(0);
            QVERIFY(page.texts[1][7].startsWith(QStringLiteral("11412.6 mg\n1558.3 mg")));
            std::vector<QSize> sizes;
            factory.getSizes(sizes);
            for (const QSize& size : sizes) {
                SimpleReportMetrics screen;
                screen.setSize(size);
                const std::unique_ptr<Report> report(factory.getReport(&screen));
                QImage image(size, QImage::Format_RGB32);
                const QString where = QStringLiteral("%1x%2 unit %3").arg(size.width()).arg(size.height()).arg(energy);
                for (int section = 0; section < factory.data().sectionCount; ++section) {
                    checkCell(*static_cast<SummaryReport*>(report.get()), &image, page, section, where);
                    const SummaryReport::SectionLayout layout =
                        static_cast<SummaryReport*>(report.get())->sectionLayout(&image, 0, section);
                    QVERIFY2(QFontInfo(layout.normal).pixelSize() <= (section == 0 ? 13 : 11),
                             qPrintable(where));
                }
            }
            // A4 at the image's 96 dots an inch.
            QImage paper(794, 1123, QImage::Format_RGB32);
            PreviewRDM metrics(paper.size(), QSize(210, 297), nullptr);
            const std::unique_ptr<Report> printed(factory.getReport(&metrics));
            for (int section = 0; section < factory.data().sectionCount; ++section)
                checkCell(*static_cast<SummaryReport*>(printed.get()), &paper, page, section,
                          QStringLiteral("paper"));
        }
    }
}

void TestSummaryReport::viewerRepaintsTheNewDay()
{
    eat(_user, Monday, 1, {400.0f, 20.0f, 50.0f, 0.0f});
    eat(_user, Monday.addDays(1), 3, {600.0f, 10.0f, 30.0f, 80.0f});
    checkIn(_user, Monday, {80.0f, 85.0f, 100.0f, 1, DBTypes::LOSE_WEIGHT, 1800.0f});
    ReportViewer::_date = Monday;
    SummaryReportViewer viewer;
    viewer.resize(950, 700);
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    const Report* report = viewer.scroller()->report();
    QVERIFY(report);
    QCOMPARE(viewer.scroller()->metrics().size(), QSize(915, 565));

    viewer.dateBar()->handleNextButton();
    QCOMPARE(ReportViewer::_date, Monday.addDays(1));
    QCOMPARE(viewer.factory()->data().pages.at(0)->date, Monday.addDays(1));
    QCOMPARE(viewer.scroller()->report(), report);
    saveWidgetPicture(&viewer, QStringLiteral("summary-viewer-915x565"));

    viewer.resize(600, 700);
    QTRY_COMPARE(viewer.scroller()->metrics().size(), QSize(475, 1005));
    saveWidgetPicture(&viewer, QStringLiteral("summary-viewer-475x1005"));
    UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilojoules));
    UnitCollection::instance()->set(UnitCollection::Weight, new UnitWeight(UnitWeight::Pounds));
    UnitCollection::instance()->set(UnitCollection::Measurement, new UnitMeasurement(UnitMeasurement::Inches));
    viewer.dateBar()->handlePrevButton();
    const QString imperial = plain(viewer.factory()->data().pages.at(0)->body);
    QVERIFY2(imperial.contains(QStringLiteral("Weight: 176.4 lb")), qPrintable(imperial));
    QVERIFY2(imperial.contains(QStringLiteral("You've recorded 1672 kJ")), qPrintable(imperial));
    saveWidgetPicture(&viewer, QStringLiteral("summary-viewer-kj-imperial"));

    setSnackDisplay(_user, DBTypes::SNACKS_BETWEEN_MEALS);
    SummaryReportViewer seven;
    const std::pair<QSize, QSize> layouts[] = {{{1200, 700}, {1135, 565}},
                                               {{760, 700}, {695, 1005}},
                                               {{600, 700}, {475, 1270}}};
    seven.show();
    for (const auto& [window, page] : layouts) {
        seven.resize(window);
        QTRY_COMPARE(seven.scroller()->metrics().size(), page);
        saveWidgetPicture(&seven, QStringLiteral("summary-viewer-%1x%2").arg(page.width()).arg(page.height()));
    }

    ReportsContainer container(nullptr, "reports");
    container.handleReportChanged(ReportsContainer::DailySummary, true);
    QVERIFY(dynamic_cast<SummaryReportViewer*>(container.currentViewer()));
}

void TestSummaryReport::printsOnePagePerKeptDay()
{
    eat(_user, Monday.addDays(2), 1, {400.0f, 20.0f, 50.0f, 0.0f});
    eat(_user, Monday.addDays(4), 3, {600.0f, 10.0f, 30.0f, 80.0f});
    checkIn(_user, Monday, {80.0f, 85.0f, 100.0f, 1});
    ReportViewer::_date = Monday.addDays(6);
    SummaryReportViewer viewer;
    for (const bool omit : {false, true}) {
        bool summaryShown = true;
        bool omitShown = false;
        QString caption;
        whenShown<PrintOptions>([&, omit](PrintOptions* options) {
            caption = options->windowTitle();
            summaryShown = options->summaryOnlyCheckbox->isVisible();
            omitShown = options->omitEmptyCheckbox->isVisible();
            options->printRangeRadioButton->click();
            options->omitEmptyCheckbox->setChecked(omit);
            options->accept();
        });
        const std::unique_ptr<ReportFactory> factory(viewer.getReportFactory());
        QVERIFY(factory);
        QCOMPARE(caption, QStringLiteral("Print daily reports"));
        QVERIFY(!summaryShown);
        QVERIFY(omitShown);
        PdfPrintSteps steps;
        PrintModule::printFromFactory(factory.get(), false, nullptr);
        QCOMPARE(steps.failures, 0);
        const int pages = PdfReader::pageCount(steps.pdfPath);
        QCOMPARE(pages, omit ? 2 : 7);
        const QString first = PdfReader::pageText(steps.pdfPath, 1);
        QVERIFY2(first.contains(omit ? QStringLiteral("Wednesday, 11 March 2026")
                                     : QStringLiteral("Monday, 9 March 2026")),
                 qPrintable(first));
        QVERIFY2(first.contains(QStringLiteral("Weight:")), qPrintable(first));
        if (omit) {
            QVERIFY2(first.simplified().contains(QStringLiteral("BMI: 27.7 (medium risk)")),
                     qPrintable(first));
            QVERIFY2(first.contains(QStringLiteral("(180 cals / 47%)")), qPrintable(first));
            QVERIFY2(first.contains(QStringLiteral("Nothing")), qPrintable(first));
            PdfReader::savePictures(steps.pdfPath, QStringLiteral("summary-printed"));
        }
    }
    whenShown<PrintOptions>([](PrintOptions* options) { options->reject(); });
    QVERIFY(!viewer.getReportFactory());
}

// Three shipped foods, one per main meal, and a check-in: the printed page against figures
// worked out here from the catalogue's values.
void TestSummaryReport::printedDayOfCatalogueFoods()
{
    CatalogueServices::install();
    bool failed = false;
    FoodDBStatic* catalogue = FoodDBStatic::instance(&failed);
    if (failed)
        QSKIP("the shipped catalogue cannot be loaded");
    std::vector<int> foods;
    for (size_t i = 0; i < catalogue->getItems().size() && foods.size() < 3; ++i) {
        if (catalogue->getFlags()[i] & FLAG_CATEGORY)
            continue;
        const int id = int(catalogue->getItems()[i].id);
        const auto values = catalogue->getFoodItem(id);
        if (values && values->energy > 50.0f && values->fat >= 0.0f && values->protein >= 0.0f
            && values->carbs >= 0.0f)
            foods.push_back(id);
    }
    QCOMPARE(foods.size(), size_t(3));
    const int meals[] = {1, 3, 5};
    const QString titles[] = {QStringLiteral("Breakfast"), QStringLiteral("Lunch"), QStringLiteral("Dinner")};
    double energy = 0.0;
    double fat = 0.0;
    double others = 0.0; // protein and carbohydrate
    QStringList mealTitles;
    for (int i = 0; i < 3; ++i) {
        const DBTypes::FoodItem values = *catalogue->getFoodItem(foods[size_t(i)]);
        const DBTypes::ServingItem serving = catalogue->getServingItemList(foods[size_t(i)]).front();
        const double servings = 1.0 + i;
        const double factor = (values.quantity > 0.0f ? serving.weight / values.quantity : 1.0) * servings;
        DBTypes::FoodDiaryItem entry;
        entry.changeFood(foods[size_t(i)]);
        entry.setSize(float(servings));
        entry.userId = _user;
        entry.setDate(ReportSession::code(Monday).toStdString());
        entry.meal = meals[i];
        QVERIFY(DiaryDB::instance()->addFoodEntry(entry, true) >= 0);
        energy += values.energy * factor;
        fat += values.fat * factor;
        others += (values.protein + values.carbs) * factor;
        mealTitles << titles[i] + QStringLiteral(" - %1 cals").arg(std::round(values.energy * factor));
    }
    checkIn(_user, Monday, {80.0f, 85.0f, 100.0f, 1});

    SummaryReportFactory factory(Monday, Monday, false);
    PdfPrintSteps steps;
    PrintModule::printFromFactory(&factory, false, nullptr);
    const QString page = PdfReader::pageText(steps.pdfPath, 1).simplified();
    QVERIFY2(page.contains(QStringLiteral("Monday, 9 March 2026")), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("BMI: 27.7 (medium risk)")), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("Waist/Hip ratio:0.85"))
                 || page.contains(QStringLiteral("Waist/Hip ratio: 0.85")),
             qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("You've recorded %1 cals on this day.").arg(std::round(energy))),
             qPrintable(page));
    const int fatShare = int(std::round(9.0 * fat * 100.0 / (9.0 * fat + 4.0 * others)));
    QVERIFY2(page.contains(QStringLiteral("(%1 cals / %2%)").arg(std::round(9.0 * fat)).arg(fatShare)),
             qPrintable(page));
    for (const QString& title : mealTitles)
        QVERIFY2(page.contains(title), qPrintable(title + QStringLiteral(" in ") + page));
}

QTEST_MAIN(TestSummaryReport)
#include "tst_summaryreport.moc"
