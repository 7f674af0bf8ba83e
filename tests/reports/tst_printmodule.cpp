#include "reports/pagesetup.h"
#include "reports/printmodule.h"
#include "reports/report.h"
#include "reports/reportdevicemetrics.h"
#include "reports/reportfactory.h"
#include "reports/reportpage.h"
#include "reports/simplereportmetrics.h"
#include "core/endrequest.h"
#include "core/workingfile.h"
#include "tests/support/filesizelimit.h"
#include "tests/support/printharness.h"

#include <QApplication>
#include <QPainter>
#include <QPaintDevice>
#include <QProgressDialog>
#include <QPushButton>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>

namespace {

// What the pipeline did with the counting report.
struct Record
{
    int reportsMade = 0;
    QList<int> drawn;
    QList<int> pageOfDevice; // the device's page count when each draw began
    QSize size;
    QSize realSize;
    int margin = -1;
    bool painterActiveAtReportDeletion = false;
    // Runs as each page has been drawn.
    std::function<void(int)> drawnPage;
};

class CountingReport : public Report
{
public:
    CountingReport(ReportDeviceMetrics* metrics, Record* record, int pages)
        : _metrics(metrics), _record(record), _pages(pages)
    {
    }
    ~CountingReport() override
    {
        _record->painterActiveAtReportDeletion = _metrics->painter() && _metrics->painter()->isActive();
    }
    void draw(QPainter* painter, int page) const override
    {
        _record->drawn.append(page);
        painter->drawText(100, 100, QStringLiteral("Page number %1").arg(page + 1));
        if (_record->drawnPage)
            _record->drawnPage(page);
    }
    int getPageCount() const override { return _pages; }

private:
    ReportDeviceMetrics* _metrics;
    Record* _record;
    int _pages;
};

class CountingFactory : public ReportFactory
{
public:
    CountingFactory(Record* record, int pages) : _record(record), _pages(pages) {}
    Report* getReport(ReportDeviceMetrics* metrics) override
    {
        ++_record->reportsMade;
        _record->size = metrics->size();
        _record->realSize = metrics->realSize();
        _record->margin = ReportPage::margin(*metrics);
        return new CountingReport(metrics, _record, _pages);
    }
    bool preferLandscape() const override { return false; }

private:
    Record* _record;
    int _pages;
};

} // namespace

class TestPrintModule : public QObject
{
    Q_OBJECT

private slots:
    void init() { PageSetup::cleanUp(); }
    void cleanupTestCase() { PageSetup::cleanUp(); }

    void reportFontHasArialMetrics();
    void printsEveryPageOnItsOwnSheet_data();
    void printsEveryPageOnItsOwnSheet();
    void cancelledStepsPrintNothing();
    void pageSetUpReachesThePrinter();
    void refusedJobIsReported_data();
    void refusedJobIsReported();
    void metricsOfScreenViews();
};

// Without a font of Arial's widths (fonts-liberation2) every page break of the reports moves.
void TestPrintModule::reportFontHasArialMetrics()
{
    QVERIFY2(arialHasItsMetrics(),
             qPrintable(QStringLiteral("Arial resolves to %1; install fonts-liberation2")
                            .arg(QFontInfo(QFont(QStringLiteral("Arial"))).family())));
}

void TestPrintModule::printsEveryPageOnItsOwnSheet_data()
{
    QTest::addColumn<int>("pages");
    QTest::newRow("one") << 1;
    QTest::newRow("three") << 3;
    QTest::newRow("none") << 0;
}

void TestPrintModule::printsEveryPageOnItsOwnSheet()
{
    QFETCH(int, pages);
    PdfPrintSteps steps;
    Record record;
    CountingFactory factory(&record, pages);
    PrintModule::printFromFactory(&factory, false, nullptr);

    QCOMPARE(steps.dialogs, 1);
    QCOMPARE(steps.previews, 0);
    QCOMPARE(record.reportsMade, 1);
    QList<int> expected;
    for (int page = 0; page < pages; ++page)
        expected.append(page);
    QCOMPARE(record.drawn, expected);
    // The report was deleted while its metrics' painter still worked.
    QVERIFY(record.painterActiveAtReportDeletion);
    // A4 at 72 dots per inch, from the corner of the paper.
    QCOMPARE(record.size, QSize(595, 842));
    QCOMPARE(record.realSize, QSize(210, 297));
    QCOMPARE(record.margin, 56);

    if (pages == 0)
        return;
    QCOMPARE(PdfReader::pageCount(steps.pdfPath), pages);
    for (int page = 1; page <= pages; ++page) {
        const QString text = PdfReader::pageText(steps.pdfPath, page);
        QCOMPARE(text.count(QStringLiteral("Page number")), 1);
        QVERIFY2(text.contains(QStringLiteral("Page number %1").arg(page)), qPrintable(text));
    }
}

void TestPrintModule::cancelledStepsPrintNothing()
{
    Record record;
    CountingFactory factory(&record, 2);
    {
        PdfPrintSteps steps;
        steps.dialogAccepts = false;
        PrintModule::printFromFactory(&factory, false, nullptr);
        QCOMPARE(steps.dialogs, 1);
        QVERIFY(!QFile::exists(steps.pdfPath));
    }
    {
        PdfPrintSteps steps;
        steps.previewPrints = false;
        PrintModule::printFromFactory(&factory, true, nullptr);
        QCOMPARE(steps.previews, 1);
        QCOMPARE(steps.dialogs, 0);
    }
    {
        PdfPrintSteps steps;
        steps.dialogAccepts = false;
        PrintModule::printFromFactory(&factory, true, nullptr);
        QCOMPARE(steps.previews, 1);
        QCOMPARE(steps.dialogs, 1);
        QVERIFY(!QFile::exists(steps.pdfPath));
    }
    QCOMPARE(record.reportsMade, 0);
    QVERIFY(record.drawn.isEmpty());

    PdfPrintSteps steps;
    PrintModule::printFromFactory(&factory, true, nullptr);
    QCOMPARE(record.drawn, QList<int>({0, 1}));
}

void TestPrintModule::pageSetUpReachesThePrinter()
{
    PageSetup::instance()->setPageSize(QPageSize::Letter);
    PageSetup::instance()->setOrientation(QPageLayout::Landscape);
    PdfPrintSteps steps;
    Record record;
    CountingFactory factory(&record, 1);
    PrintModule::printFromFactory(&factory, false, nullptr);
    QCOMPARE(record.size, QSize(792, 612));
    QCOMPARE(record.realSize, QSize(279, 216));
    QCOMPARE(PdfReader::pageSize(steps.pdfPath), QSizeF(792, 612));
    PdfReader::savePictures(steps.pdfPath, QStringLiteral("print-letter-landscape"));
}

// What happens once the first page is drawn.
enum During { Nothing, EndAsked, Cancelled, FolderRenamed };

void TestPrintModule::refusedJobIsReported_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("sizeLimit"); // stands in for a full disk
    QTest::addColumn<int>("during");
    QTest::addColumn<int>("drawn");
    QTest::addColumn<QString>("reason"); // %1: the folder; none told when empty
    const QString pdf = QStringLiteral("print.pdf");
    QTest::newRow("a missing folder") << "/no such folder" << pdf << 0 << int(Nothing) << 0
                                      << "No file can be made in the folder %1: " + QString::fromLocal8Bit(std::strerror(ENOENT));
    QTest::newRow("a disk that cannot hold it") << "" << pdf << 2000 << int(Nothing) << 2 << QString::fromLocal8Bit(std::strerror(EFBIG));
    QTest::newRow("the list of files being written") << "" << "working-files" << 0 << int(Nothing) << 0
                                                     << "%1/working-files is a file that this program keeps for itself";
    QTest::newRow("the end of the session asked") << "" << pdf << 0 << int(EndAsked) << 1 << QString();
    QTest::newRow("Cancel pressed") << "" << pdf << 0 << int(Cancelled) << 1 << QString();
    QTest::newRow("its folder renamed") << "/moving" << pdf << 0 << int(FolderRenamed) << 2
                                        << QString::fromLocal8Bit(std::strerror(ENOENT));
}

// The file printed to keeps what it held, and no working file is left beside it.
void TestPrintModule::refusedJobIsReported()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(int, sizeLimit);
    QFETCH(int, during);
    QFETCH(int, drawn);
    QFETCH(QString, reason);
    const QString path = QDir::homePath() + folder;
    const QString moved = path + QStringLiteral("-moved");
    QVERIFY(folder.startsWith(QLatin1String("/no such")) || QDir().mkpath(path));
    WorkingFile::keepLedger(QDir::homePath() + QStringLiteral("/working-files"));
    PdfPrintSteps steps(path + QLatin1Char('/') + name);
    QFile earlier(steps.pdfPath);
    QCOMPARE(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7, QDir(path).exists());
    earlier.close();
    Record record;
    record.drawnPage = [&](int page) {
        if (page == 0 && during == EndAsked)
            EndRequest::ask();
        auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (page == 0 && during == Cancelled && progress)
            progress->findChild<QPushButton*>()->click();
        if (page == 0 && during == FolderRenamed)
            QDir().rename(path, moved);
    };
    CountingFactory factory(&record, 2);
    {
        std::optional<FileSizeLimit> disk;
        QVERIFY(sizeLimit == 0 || disk.emplace(rlim_t(sizeLimit)).isSet());
        PrintModule::printFromFactory(&factory, false, nullptr);
    }
    EndRequest::reset();
    WorkingFile::keepLedger(QString());
    QCOMPARE(steps.failures, int(!reason.isEmpty()));
    QCOMPARE(steps.told, reason.isEmpty() ? QString() : QStringLiteral("Could not write %1: %2\nAny earlier file of that name is unchanged.")
                             .arg(steps.pdfPath, reason.replace(QStringLiteral("%1"), path)));
    QCOMPARE(record.drawn.size(), drawn);
    QVERIFY(!earlier.exists() || (earlier.open(QIODevice::ReadOnly) && earlier.readAll() == "earlier"));
    for (const QString& place : {path, moved})
        QCOMPARE(QDir(place).entryList({QStringLiteral("*.partial")}, QDir::Files), QStringList());
    QDir(moved).removeRecursively();
}

void TestPrintModule::metricsOfScreenViews()
{
    SimpleReportMetrics metrics;
    QCOMPARE(metrics.size(), QSize(-1, -1));
    QCOMPARE(metrics.realSize(), QSize(-1, -1));
    metrics.setSize(QSize(640, 900));
    QCOMPARE(metrics.realSize(), QSize(640, 900));
    QVERIFY(!metrics.paginated());
    QCOMPARE(ReportPage::margin(metrics), 20);
    QCOMPARE(ReportPage::body(metrics), QRect(QPoint(20, 20), QPoint(619, 879)));
}

QTEST_MAIN(TestPrintModule)
#include "tst_printmodule.moc"
