#include "core/displaydate.h"
#include "core/clock.h"
#include "reports/dateselectorbar.h"
#include "reports/graphcheckbox.h"
#include "reports/graphpicker.h"
#include "reports/nutrientchart.h"
#include "reports/nutrientreportviewer.h"
#include "reports/periodpicker.h"
#include "reports/reportdevicemetrics.h"
#include "reports/reportsselector.h"
#include "reports/reportsselectoritem.h"
#include "reports/reportscontainer.h"
#include "reports/report.h"
#include "reports/stepchart.h"
#include "reports/stepreportviewer.h"
#include "reports/weightchart.h"
#include "reports/weightreportviewer.h"
#include "tests/reports/reportsession.h"
#include "widgets/bxcalendar.h"
#include "widgets/qpopupcalendar.h"
#include "tests/support/printharness.h"
#include "tests/support/widgetpicture.h"
#include "reports/printmodule.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QtTest>

#include <memory>

namespace {

const QDate Today(2026, 3, 31);

QStringList entryTexts(const ReportsContainer& page)
{
    QStringList texts;
    for (int row = 0; row < page.selector()->count(); ++row)
        texts << page.selector()->item(row)->text();
    return texts;
}

void choose(ReportsContainer& page, int id)
{
    for (int row = 0; row < page.selector()->count(); ++row) {
        if (static_cast<ReportsSelectorItem*>(page.selector()->item(row))->id() == id)
            page.selector()->setCurrentRow(row);
    }
    QCoreApplication::processEvents();
}

class ImageMetrics : public ReportDeviceMetrics
{
public:
    bool paginated() const override { return true; }
    QSize size() const override { return {1100, 850}; }
    QSize realSize() const override { return {279, 216}; }
    QFont getFontEquivalent(const QString& family, int size, bool bold, bool italic) const override
    {
        return QFont(family, size, bold ? QFont::Bold : QFont::Normal, italic);
    }
    QPainter* painter() const override { return nullptr; }
};

} // namespace

class TestReportsScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Clock::setNow(QDateTime(Today, QTime(9, 0)));
    }

    void init()
    {
        QVERIFY(ReportSession::start() >= 0);
        BXSettings settings;
        settings.setInt(BXSettings::SelectedReport, 0);
        settings.setInt(BXSettings::WeightReportPeriod, 0);
        settings.setInt(BXSettings::NutrientReportPeriod, 0);
        ReportViewer::_date = QDate();
    }

    void cleanup() { ReportSession::end(); }
    void cleanupTestCase() { Clock::reset(); }

    void firstStartShowsTheWeightChart()
    {
        ReportsContainer page(nullptr, "reportsWidget");
        QCOMPARE(entryTexts(page), QStringList({QStringLiteral("Breakdowns"), QStringLiteral("Daily Summary"),
                                                QStringLiteral("Nutrients"), QStringLiteral("Steps"),
                                                QStringLiteral("Weight")}));
        QCOMPARE(page.getCurrentItem(), QStringLiteral("Weight"));
        QVERIFY(!page.currentViewer());
        page.resize(900, 600);
        QVERIFY(page.reload());
        page.show();
        QVERIFY(dynamic_cast<WeightReportViewer*>(page.currentViewer()));
        QCOMPARE(ReportViewer::_date, Today);
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QVERIFY(page.currentWidget()->geometry().left() > page.selector()->geometry().right());
        QVERIFY(saveWidgetPicture(&page, QStringLiteral("reports-page-weight")));
    }

    void stepsOnlyWithTheirSwitch()
    {
        QVERIFY(ReportSession::start({{QStringLiteral("steps_measurement_enabled"), false}}) >= 0);
        BXSettings().setInt(BXSettings::SelectedReport, ReportsContainer::Steps);
        ReportsContainer page(nullptr, "reportsWidget");
        QVERIFY(!entryTexts(page).contains(QStringLiteral("Steps")));
        // A stored report the list does not offer: the Weight entry and its viewer.
        QVERIFY(page.reload());
        page.show();
        QCOMPARE(page.getCurrentItem(), QStringLiteral("Weight"));
        QVERIFY(dynamic_cast<WeightReportViewer*>(page.currentViewer()));
    }

    void unknownStoredReportShowsWeight()
    {
        BXSettings().setInt(BXSettings::SelectedReport, 7);
        ReportsContainer page(nullptr, "reportsWidget");
        QVERIFY(page.reload());
        page.show();
        QCOMPARE(page.getCurrentItem(), QStringLiteral("Weight"));
        QVERIFY(dynamic_cast<WeightReportViewer*>(page.currentViewer()));
    }

    void reportsPageRaisesItself()
    {
        QStackedWidget stack;
        auto* other = new QWidget(&stack);
        auto* reports = new ReportsContainer(&stack, "reportsContainer");
        stack.addWidget(other);
        stack.addWidget(reports);
        QSignalSpy refresh(reports, &ReportsContainer::requestEditMenuRefresh);
        reports->raiseWidget();
        QCOMPARE(stack.currentWidget(), reports);
        QCOMPARE(refresh.count(), 1);
        QCOMPARE(refresh.at(0).at(0).toInt(), 3);
        QCOMPARE(reports->getCurrentItem(), QStringLiteral("Weight"));
        // Read before it was raised.
        QVERIFY(dynamic_cast<WeightReportViewer*>(reports->currentViewer()));
    }

    void choosingTheShownEntryBuildsNothing()
    {
        ReportsContainer page(nullptr, "reportsWidget");
        QVERIFY(page.reload());
        page.show();
        QPointer<QFrame> shown = page.currentWidget();
        page.handleReportChanged(ReportsContainer::Weight);
        QCOMPARE(page.currentWidget(), shown.data());
        // Reading the page again builds the viewer anew.
        page.reload();
        QVERIFY(shown.isNull());
        QVERIFY(dynamic_cast<WeightReportViewer*>(page.currentViewer()));
    }

    void viewersShareTheDate()
    {
        ReportsContainer page(nullptr, "reportsWidget");
        QVERIFY(page.reload());
        page.show();
        choose(page, ReportsContainer::Nutrients);
        auto* nutrients = dynamic_cast<NutrientReportViewer*>(page.currentViewer());
        QVERIFY(nutrients);
        nutrients->dateBar()->setDate(QDate(2026, 3, 3));
        choose(page, ReportsContainer::Weight);
        auto* weight = dynamic_cast<WeightReportViewer*>(page.currentViewer());
        QVERIFY(weight);
        QCOMPARE(weight->dateBar()->getDate(), QDate(2026, 3, 3));
    }

    // A call queued while a user switch reads the report would act for the user not yet shown.
    void readingAReportHandlesNoEvents()
    {
        ReportsContainer page(nullptr, "reportsWidget");
        bool handled = false;
        QTimer::singleShot(0, &page, [&handled] { handled = true; });
        QVERIFY(page.readReport(ReportsContainer::Nutrients) && !handled);
    }

    void clickOnTheEmptyListKeepsTheChoice()
    {
        ReportsContainer page(nullptr, "reportsWidget");
        page.resize(900, 700);
        QVERIFY(page.reload());
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        ReportsSelector* list = page.selector();
        QFrame* shown = page.currentWidget();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(10, list->viewport()->height() - 5));
        QCOMPARE(page.getCurrentItem(), QStringLiteral("Weight"));
        QVERIFY(list->currentItem()->isSelected());
        QCOMPARE(page.currentWidget(), shown);
    }

    void settingsLastBeyondThePage()
    {
        {
            ReportsContainer page(nullptr, "reportsWidget");
            QVERIFY(page.reload());
            page.show();
            choose(page, ReportsContainer::Nutrients);
            auto* nutrients = dynamic_cast<NutrientReportViewer*>(page.currentViewer());
            nutrients->periodPicker()->buttons()->button(PeriodPicker::Month)->click();
            nutrients->graphPicker()->box(NutrientChart::Sugar)->procClickSignals();
            QVERIFY(nutrients->getChartComponents() & NutrientChart::Sugar);
        }
        QCOMPARE(BXSettings().getInt(BXSettings::SelectedReport), int(ReportsContainer::Nutrients));
        ReportsContainer page(nullptr, "reportsWidget");
        QVERIFY(page.reload());
        page.show();
        auto* nutrients = dynamic_cast<NutrientReportViewer*>(page.currentViewer());
        QVERIFY(nutrients);
        QCOMPARE(nutrients->periodPicker()->getPeriodId(), int(PeriodPicker::Month));
        QCOMPARE(nutrients->getChartComponents(),
                 NutrientChart::Fat | NutrientChart::Protein | NutrientChart::Fiber
                     | NutrientChart::Carbohydrate | NutrientChart::Sugar);
        QCOMPARE(nutrients->chart()->tableColumns(), 30);
    }

    void dateBarSteps()
    {
        DateSelectorBar bar;
        QSignalSpy changed(&bar, &DateSelectorBar::dateChanged);
        bar.setDate(QDate(2026, 3, 31));
        bar.setDate(QDate(2026, 3, 31));
        QCOMPARE(changed.size(), 2);
        QCOMPARE(bar.dateLabel()->text(), QStringLiteral("Tuesday, 31 March 2026"));
        bar.setGranularity(DateSelectorBar::Month);
        bar.handlePrevButton();
        QCOMPARE(bar.getDate(), QDate(2026, 2, 28));
        bar.setGranularity(DateSelectorBar::Day);
        bar.handleNextButton();
        QCOMPARE(bar.getDate(), QDate(2026, 3, 1));
        bar.handleTodayButton();
        QCOMPARE(bar.getDate(), Today);
        // A month browsed in the pop-up is no choice: it opens again on the bar's day.
        BXCalendar* calendar = bar.popupCalendar()->calendar();
        calendar->findChild<QPushButton*>(QStringLiteral("nextMonthButton"))->click();
        bar.popupCalendar()->popup(QPoint());
        QCOMPARE(calendar->getDate(), Today);
        bar.popupCalendar()->hide();
    }

    void periodPicker()
    {
        PeriodPicker picker;
        QCOMPARE(picker.getPeriodId(), int(PeriodPicker::Week));
        picker.setPeriod(0);
        QCOMPARE(picker.getPeriodId(), int(PeriodPicker::Week));
        QCOMPARE(PeriodPicker::getPeriod(9), 7);
        QSignalSpy changed(&picker, &PeriodPicker::periodChanged);
        picker.buttons()->button(PeriodPicker::Quarter)->click();
        QCOMPARE(changed.last().first().toInt(), 90);
        QCOMPARE(picker.getPeriod(), 90);
        QCOMPARE(picker.buttons()->button(PeriodPicker::TwoWeeks)->text(), QStringLiteral("Two Weeks"));
    }

    void longPeriodsStepByMonths()
    {
        StepReportViewer viewer;
        viewer.periodPicker()->buttons()->button(PeriodPicker::Year)->click();
        QCOMPARE(viewer.dateBar()->granularity(), DateSelectorBar::Month);
        QCOMPARE(viewer.chart()->startDate(), QDate(2025, 4, 1));
        QCOMPARE(viewer.chart()->endDate(), QDate(2026, 3, 31));
        viewer.dateBar()->handlePrevButton();
        QCOMPARE(viewer.dateBar()->getDate(), QDate(2026, 2, 28));
        viewer.periodPicker()->buttons()->button(PeriodPicker::Week)->click();
        QCOMPARE(viewer.dateBar()->granularity(), DateSelectorBar::Day);
    }

    void printedChartsNameTheirDates()
    {
        WeightReportViewer weight;
        StepReportViewer steps;
        NutrientReportViewer nutrients;
        const QString range = QStringLiteral(" from ") + DisplayDate::textDate(Today.addDays(-6))
            + QStringLiteral(" to ") + DisplayDate::textDate(Today) + QLatin1Char('.');
        const std::pair<ReportViewer*, QString> viewers[] = {
            {&weight, QStringLiteral("Weight Chart")},
            {&steps, QStringLiteral("Steps Chart")},
            {&nutrients, QStringLiteral("Nutrient Chart")}};
        for (const auto& [viewer, title] : viewers) {
            const std::unique_ptr<ReportFactory> factory(viewer->getReportFactory());
            auto* chart = dynamic_cast<ReportsChart*>(factory.get());
            QVERIFY(chart);
            QVERIFY(!chart->parentWidget());
            QCOMPARE(chart->title(), title + range);
            ImageMetrics metrics;
            const std::unique_ptr<Report> report(factory->getReport(&metrics));
            QCOMPARE(report->getPageCount(), 1);
            QImage page(metrics.size(), QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter painter(&page);
            report->draw(&painter, 0);
            painter.end();
            QVERIFY(page.pixelColor(page.width() / 2, page.height() / 2) != QColor(Qt::white));

            // Through the print pipeline into a PDF: one page headed by the title.
            PdfPrintSteps steps;
            steps.previewPrints = true;
            PrintModule::printFromFactory(factory.get(), false, nullptr);
            QCOMPARE(PdfReader::pageCount(steps.pdfPath), 1);
            QVERIFY2(PdfReader::pageText(steps.pdfPath, 1).simplified().startsWith(title + QStringLiteral(" from")),
                     qPrintable(PdfReader::pageText(steps.pdfPath, 1)));
            PdfReader::savePictures(steps.pdfPath, QStringLiteral("printed-") + title.section(QLatin1Char(' '), 0, 0).toLower());
        }
    }
};

QTEST_MAIN(TestReportsScreen)
#include "tst_reportsscreen.moc"
