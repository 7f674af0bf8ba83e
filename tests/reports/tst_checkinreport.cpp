#include "reportsession.h"

#include "core/unitweight.h"
#include "reports/checkinreport.h"
#include "reports/checkinreportfactory.h"
#include "reports/pagesetup.h"
#include "reports/previewrdm.h"
#include "reports/printerrdm.h"
#include "reports/printmodule.h"
#include "tests/support/printharness.h"

#include <QPrinter>
#include <QtTest>

#include <memory>

namespace {

const QDate Start(2026, 3, 28);

void addCheckin(qint64 user, const QDate& date, float weight, float chest = -1.0f)
{
    DBTypes::CheckinItem checkin;
    checkin.userId = user;
    qstrcpy(checkin.date, ReportSession::code(date).constData());
    checkin.weight = weight;
    checkin.hasWeight = true;
    if (chest > 0.0f) {
        checkin.chest = chest;
        checkin.hasChest = true;
    }
    QVERIFY(UserDB::instance()->addCheckin(checkin, false));
}

// The rows a page of the PDF printer holds, from a report laid out for it.
int rowsPerPrintedPage()
{
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir::homePath() + QStringLiteral("/scratch.pdf"));
    printer.setResolution(72);
    PageSetup::instance()->applyTo(printer);
    printer.setFullPage(true);
    PrinterRDM metrics(printer);
    CheckinReportFactory factory(Start, Start);
    const std::unique_ptr<Report> report(factory.getReport(&metrics));
    return static_cast<CheckinReport*>(report.get())->rowsPerPage();
}

QStringList lines(const QString& text)
{
    QStringList kept;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            kept.append(line.simplified());
    }
    return kept;
}

} // namespace

class TestCheckinReport : public QObject
{
    Q_OBJECT

private slots:
    void init() { PageSetup::cleanUp(); }
    void cleanup() { ReportSession::end(); }

    void columnsFollowTheBrand();
    void rangeEndsAreIncluded();
    void rowsRunOverPagesWithMonthNames();
    void missingValuesAndPounds();
};

void TestCheckinReport::columnsFollowTheBrand()
{
    QVERIFY(ReportSession::start({{"chest_measurement_enabled", false},
                                  {"waist_measurement_enabled", false},
                                  {"hip_measurement_enabled", false},
                                  {"thigh_measurement_enabled", false},
                                  {"steps_measurement_enabled", false}})
            >= 0);
    QCOMPARE(CheckinReportFactory(Start, Start).data().headings, QStringList{"Weight"});
    ReportSession::end();

    QVERIFY(ReportSession::start({{"chest_measurement_enabled", true},
                                  {"waist_measurement_enabled", false},
                                  {"hip_measurement_enabled", true},
                                  {"thigh_measurement_enabled", false},
                                  {"steps_measurement_enabled", true}})
            >= 0);
    QCOMPARE(CheckinReportFactory(Start, Start).data().headings,
             QStringList({"Weight", "Chest", "Hip", "Steps"}));
    ReportSession::end();

    QVERIFY(ReportSession::start() >= 0);
    QCOMPARE(CheckinReportFactory(Start, Start).data().headings,
             QStringList({"Weight", "Chest", "Waist", "Hip", "Thigh", "Steps"}));
}

void TestCheckinReport::rangeEndsAreIncluded()
{
    const qint64 user = ReportSession::start();
    QVERIFY(user >= 0);
    for (int day = 0; day < 5; ++day)
        addCheckin(user, Start.addDays(day), 70.0f + day);
    CheckinReportFactory factory(Start.addDays(1), Start.addDays(3));
    QCOMPARE(factory.data().dates,
             std::vector<QDate>({Start.addDays(1), Start.addDays(2), Start.addDays(3)}));
    QCOMPARE(factory.data().rows.front().front(), QStringLiteral("71.0 kg"));

    PreviewRDM metrics(QSize(595, 842), QSize(210, 297), nullptr);
    CheckinReportFactory empty(Start.addDays(10), Start.addDays(20));
    const std::unique_ptr<Report> report(empty.getReport(&metrics));
    QCOMPARE(report->getPageCount(), 0);

    // A body too short for a heading and a row still takes one row a page.
    PreviewRDM tiny(QSize(100, 60), QSize(100, 60), nullptr);
    const std::unique_ptr<Report> squeezed(factory.getReport(&tiny));
    QCOMPARE(squeezed->getPageCount(), 3);
}

void TestCheckinReport::rowsRunOverPagesWithMonthNames()
{
    const qint64 user = ReportSession::start();
    QVERIFY(user >= 0);
    const int perPage = rowsPerPrintedPage();
    QVERIFY(perPage > 10);
    // The second page starts on 28 March and crosses into April.
    const QDate first = Start.addDays(-perPage);
    for (int day = 0; day < perPage + 5; ++day)
        addCheckin(user, first.addDays(day), 80.0f);
    CheckinReportFactory factory(first, first.addDays(perPage + 4));
    PdfPrintSteps steps;
    PrintModule::printFromFactory(&factory, false, nullptr);
    QCOMPARE(PdfReader::pageCount(steps.pdfPath), 2);
    PdfReader::savePictures(steps.pdfPath, QStringLiteral("checkin-report"));

    const QStringList one = lines(PdfReader::pageText(steps.pdfPath, 1));
    QCOMPARE(one.size(), perPage + 1);
    QVERIFY(one.at(1).startsWith(first.toString(QStringLiteral("MMMM d "))));
    const QStringList two = lines(PdfReader::pageText(steps.pdfPath, 2));
    QCOMPARE(two.size(), 6);
    QCOMPARE(two.at(0), QStringLiteral("Date Weight Chest Waist Hip Thigh Steps"));
    QVERIFY2(two.at(1).startsWith(QStringLiteral("March 28 80.0 kg")), qPrintable(two.at(1)));
    QVERIFY(two.at(2).startsWith(QStringLiteral("29 80.0 kg")));
    QVERIFY(two.at(3).startsWith(QStringLiteral("30 80.0 kg")));
    QVERIFY(two.at(4).startsWith(QStringLiteral("31 80.0 kg")));
    QVERIFY(two.at(5).startsWith(QStringLiteral("April 1 80.0 kg")));
}

void TestCheckinReport::missingValuesAndPounds()
{
    const qint64 user = ReportSession::start();
    QVERIFY(user >= 0);
    UnitCollection::instance()->set(UnitCollection::Weight, new UnitWeight(UnitWeight::Pounds));
    addCheckin(user, Start, 70.0f);
    addCheckin(user, Start.addDays(1), 71.0f, 90.0f);
    CheckinReportFactory factory(Start, Start.addDays(1));
    QCOMPARE(factory.data().rows.at(0).at(0), QStringLiteral("154.3 lb"));
    QCOMPARE(factory.data().rows.at(0).at(1), QStringLiteral("-"));
    QVERIFY(factory.data().rows.at(1).at(1) != QStringLiteral("-"));
}

QTEST_MAIN(TestCheckinReport)
#include "tst_checkinreport.moc"
