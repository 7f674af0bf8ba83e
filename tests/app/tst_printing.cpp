// Printing and export from the main window, end to end: a week of catalogue foods and
// check-ins in a real user database, printed from the diary and check-in pages to a PDF
// file and exported as CSV through the real option dialogs.

#include "mainwindowdoubles.h"

#include "catalogue/catalogueservices.h"
#include "core/clock.h"
#include "core/dateconversion.h"
#include "diary/diarywidget.h"
#include "reports/csvoptions.h"
#include "reports/pagesetup.h"
#include "reports/printoptions.h"
#include "reports/printpreviewdialog.h"
#include "reports/report.h"
#include "tests/support/printharness.h"
#include "tests/support/progressstopper.h"
#include "userdb/diarydb.h"
#include "widgets/bxcalendar.h"
#include "widgets/qpopupcalendar.h"
#include "widgets/qpopupcalendarwidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace MainWindowTest;

namespace {

const QDate Sunday(2026, 3, 15);
const QDate Monday = Sunday.addDays(-6);
constexpr int Butter = 1001; // "Butter, salted" of the shipped catalogue, first serving 5 g

// The scripted main window, but printing through the real commands and pipeline.
class PrintingWindow : public ScriptedMainWindow
{
protected:
    std::unique_ptr<PrintModule> createPrintCommand(int pageId) override
    {
        return MainWindow::createPrintCommand(pageId);
    }
    void printFromFactory(ReportFactory* factory, bool preview) override
    {
        MainWindow::printFromFactory(factory, preview);
    }
};

QByteArray code(const QDate& date)
{
    char text[DBTypes::DATE_CODE_SIZE];
    DateToCode4(date, text);
    return QByteArray(text);
}

void addWeek(qint64 user)
{
    for (QDate day = Monday; day <= Sunday; day = day.addDays(1)) {
        DBTypes::FoodDiaryItem butter;
        butter.userId = user;
        butter.setDate(code(day).toStdString());
        butter.meal = DBTypes::DiaryDay::BREAKFAST;
        butter.refId = Butter;
        QVERIFY(butter.loadFoodInfo(false));
        butter.setSize(2.0f);
        QVERIFY(DiaryDB::instance()->addFoodEntry(butter, true) >= 0);
        DBTypes::CheckinItem checkin;
        checkin.userId = user;
        qstrcpy(checkin.date, code(day).constData());
        checkin.weight = 70.0f - Monday.daysTo(day) * 0.1f;
        checkin.hasWeight = true;
        QVERIFY(UserDB::instance()->addCheckin(checkin, false));
    }
}

void pick(QPopupCalendarWidget* field, const QDate& date)
{
    field->popupCalendar()->calendar()->setDate(date, true);
}

// Answers the print options with the week, once they are up.
void answerPrintOptionsWithTheWeek()
{
    QTimer::singleShot(0, [] {
        auto* options = qobject_cast<PrintOptions*>(QApplication::activeModalWidget());
        QVERIFY(options);
        options->printRangeRadioButton->setChecked(true);
        pick(options->startDateEdit, Monday);
        pick(options->endDateEdit, Sunday);
        options->printButton->click();
    });
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        loadBrand(BrandSwitches{});
        Clock::setNow(QDateTime(Sunday, QTime(12, 0)));
    }
    void init()
    {
        PageSetup::cleanUp();
        startFreshDatabase();
        CatalogueServices::install();
        _ann = addUser(QStringLiteral("Ann"));
        UserDB::instance()->setCurrentUser(_ann);
        _window = new PrintingWindow;
        QVERIFY(_window->switchUser(_window, _ann));
        addWeek(_ann);
    }
    void cleanup()
    {
        delete _window;
        _window = nullptr;
        CatalogueServices::cleanUp();
    }
    void cleanupTestCase()
    {
        Clock::reset();
        PageSetup::cleanUp();
        BXSqlDb::cleanUp();
        UserDB::cleanUp();
        BrandEngine::cleanUp();
    }

    void printsTheDiaryWeek();
    void printsTheCheckinsAfterThePreview();
    void exportsTheWeekAsCsv();
    void layoutStopsWhenAsked_data();
    void layoutStopsWhenAsked();

private:
    PrintingWindow* _window = nullptr;
    qint64 _ann = -1;
};

void TestPrinting::printsTheDiaryWeek()
{
    QCOMPARE(_window->diaryPage()->getDate(), Sunday);
    PageSetup::instance()->setPageSize(QPageSize::Letter);
    PageSetup::instance()->setOrientation(QPageLayout::Landscape);
    PdfPrintSteps steps;
    answerPrintOptionsWithTheWeek();
    _window->printDay();
    QCOMPARE(steps.previews, 0);
    QCOMPARE(PdfReader::pageCount(steps.pdfPath), 7);
    QCOMPARE(PdfReader::pageSize(steps.pdfPath), QSizeF(792, 612));
    const QString monday = PdfReader::pageText(steps.pdfPath, 1);
    QVERIFY(monday.contains(QStringLiteral("Monday, 9 March 2026")));
    QVERIFY2(monday.contains(QStringLiteral("Energy Gained Through Food: 72 cals")), qPrintable(monday));
    QVERIFY(monday.contains(QStringLiteral("Butter, salted")));
    QVERIFY(PdfReader::pageText(steps.pdfPath, 7).contains(QStringLiteral("Sunday, 15 March 2026")));
    PdfReader::savePictures(steps.pdfPath, QStringLiteral("printed-diary-week"));
}

void TestPrinting::printsTheCheckinsAfterThePreview()
{
    _window->viewCheckinAction->trigger();
    PdfPrintSteps steps;
    int previewPages = -1;
    steps.onPreview = [&previewPages](ReportFactory* factory) {
        PrintPreviewDialog preview(factory, nullptr, nullptr);
        previewPages = preview.report()->getPageCount();
        return true;
    };
    // The File menu offers the preview just above printing.
    const QList<QAction*> file = _window->findChild<QMenu*>(QStringLiteral("File"))->actions();
    QCOMPARE(file.indexOf(_window->printPreviewAction) + 1, file.indexOf(_window->printAction));
    QCOMPARE(_window->printPreviewAction->text(), QStringLiteral("Print Preview..."));
    answerPrintOptionsWithTheWeek();
    _window->printPreviewAction->trigger();
    QCOMPARE(previewPages, 1);
    QCOMPARE(steps.previews, 1);
    QCOMPARE(PdfReader::pageCount(steps.pdfPath), 1);
    const QString text = PdfReader::pageText(steps.pdfPath, 1);
    QVERIFY2(text.contains(QStringLiteral("March 9")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("70.0 kg")));
    QVERIFY(text.contains(QStringLiteral("69.4 kg")));
    QVERIFY(!text.contains(QStringLiteral("March 10")));
}

void TestPrinting::exportsTheWeekAsCsv()
{
    const QString path = QDir::homePath() + QStringLiteral("/week.csv");
    QTimer::singleShot(0, [path] {
        auto* options = qobject_cast<CSVOptions*>(QApplication::activeModalWidget());
        QVERIFY(options);
        options->printRangeRadioButton->setChecked(true);
        pick(options->startDateEdit, Monday);
        pick(options->endDateEdit, Sunday);
        // Ticking the one-file box asks for the file.
        QTimer::singleShot(0, [path] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            chooser->selectFile(path);
            QMetaObject::invokeMethod(chooser, "accept");
        });
        options->massFileCheckBox->setChecked(true);
        QCOMPARE(options->fileLabel->text(), QDir::toNativeSeparators(path));
        options->printButton->click();
    });
    _window->exportCsv();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines.at(0), QByteArray("\"Date\",\"Time\",\"Group Type\",\"Group Label\",\"Item Name\","
                                     "\"Qty\",\"Serving\",\"Calories\",\"Carbs\",\"Fat\",\"Fibre\",\"Protein\""));
    for (int day = 0; day < 7; ++day) {
        const QByteArray date = Monday.addDays(day).toString(Qt::ISODate).toLatin1();
        QVERIFY2(lines.at(day + 1).startsWith("\"" + date + "\",\"\",\"Breakfast\",\"\",\"Butter, salted\",\"2.00\","),
                 lines.at(day + 1).constData());
        QVERIFY(lines.at(day + 1).contains(",\"71.70\",\"0.01\",\"8.11\",\"0.00\",\"0.09\","));
    }
    QVERIFY(lines.last().isEmpty());
    QVERIFY(_window->messages.isEmpty());
}

// How the layout of the diary's pages is stopped.
enum Stop { PrintCancelled, PreviewCancelled, PrintEnded, PrintEscaped, PreviewClosed };

void TestPrinting::layoutStopsWhenAsked_data()
{
    QTest::addColumn<int>("stop");
    QTest::addColumn<QString>("stage");
    const QString reading = QStringLiteral("Reading your diary...");
    const QString layingOut = QStringLiteral("Laying out the pages...");
    QTest::newRow("print, Cancel") << int(PrintCancelled) << layingOut;
    QTest::newRow("preview, Cancel") << int(PreviewCancelled) << layingOut;
    QTest::newRow("print, the end of the session") << int(PrintEnded) << layingOut;
    QTest::newRow("print, Cancel while reading") << int(PrintCancelled) << reading;
    QTest::newRow("print, the end of the session while reading") << int(PrintEnded) << reading;
    QTest::newRow("print, Escape while reading") << int(PrintEscaped) << reading;
    QTest::newRow("preview, closed") << int(PreviewClosed) << layingOut;
}

// Stopped while it reads the days or lays out the pages, the print writes nothing: the file
// printed to keeps what it held, no working file is left, and a preview does not open.
void TestPrinting::layoutStopsWhenAsked()
{
    QFETCH(int, stop);
    QFETCH(QString, stage);
    PdfPrintSteps steps;
    QFile earlier(steps.pdfPath);
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
    earlier.close();
    bool previewShown = false;
    steps.onPreview = [&previewShown](ReportFactory* factory) {
        PrintPreviewDialog preview(factory, nullptr, nullptr);
        previewShown = preview.report();
        return previewShown;
    };
    {
        const ProgressStopper::How hows[] = {ProgressStopper::Cancel, ProgressStopper::Cancel, ProgressStopper::EndOfSession,
                                             ProgressStopper::Escape, ProgressStopper::Close};
        const ProgressStopper stopper(hows[stop], stage);
        answerPrintOptionsWithTheWeek();
        if (stop == PreviewCancelled || stop == PreviewClosed)
            _window->printPreviewAction->trigger();
        else
            _window->printDay();
        QVERIFY(stopper.stopped());
    }
    QVERIFY(!previewShown);
    QCOMPARE(steps.dialogs, stop == PreviewCancelled || stop == PreviewClosed || stage.startsWith(QLatin1String("Reading")) ? 0 : 1);
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
    QCOMPARE(QDir::home().entryList({QStringLiteral("*.partial")}, QDir::Files), QStringList());
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
