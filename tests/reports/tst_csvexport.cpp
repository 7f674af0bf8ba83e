#include "reportsession.h"

#include "core/bxsettings.h"
#include "reports/csvexportdiary.h"
#include "reports/csvoptions.h"
#include "tests/support/filesizelimit.h"
#include "tests/support/progressstopper.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/widgetpicture.h"
#include "widgets/bxcalendar.h"
#include "widgets/qpopupcalendar.h"
#include "widgets/qpopupcalendarwidget.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

using DBTypes::DiaryDay;

namespace {

using ReportSession::Monday;

DBTypes::FoodDiaryItem food(qint64 user, const QDate& date, int meal, const QString& name)
{
    DBTypes::FoodDiaryItem entry;
    entry.userId = user;
    entry.setDate(ReportSession::code(date).toStdString());
    entry.meal = meal;
    entry.refId = 0;
    entry.desc = name;
    entry.servingDesc = QStringLiteral("slice");
    entry.size = 1.5f;
    entry.values.energy = 120.0f;
    entry.values.carbs = 20.25f;
    entry.values.fat = 0.0f;
    entry.values.protein = 3.0f;
    return entry;
}

DBTypes::ExerciseDiaryItem walk(qint64 user, const QDate& date)
{
    DBTypes::ExerciseDiaryItem entry;
    entry.userId = user;
    entry.setDate(ReportSession::code(date).toStdString());
    entry.duration = 30.0f;
    entry.rate = 5.0f;
    entry.name = QStringLiteral("Walking");
    return entry;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

const QByteArray Header = "\"Date\",\"Time\",\"Group Type\",\"Group Label\",\"Item Name\",\"Qty\","
                          "\"Serving\",\"Calories\",\"Carbs\",\"Fat\",\"Fibre\",\"Protein\"\n";

// The options dialog with scripted file choosers.
class ChoosingOptions : public CSVOptions
{
public:
    ChoosingOptions() : CSVOptions(nullptr) {}
    QString file;
    QString folder;
    int fileAsks = 0;
    int folderAsks = 0;

protected:
    QString askOneFile() override
    {
        ++fileAsks;
        return file;
    }
    QString askManyDir() override
    {
        ++folderAsks;
        return folder;
    }
};

// The export with the scripted dialog, driven by one function.
class ScriptedExport : public CsvExportDiary
{
public:
    using CsvExportDiary::CsvExportDiary;
    std::function<bool(ChoosingOptions*)> user;

protected:
    CSVOptions* createOptions(QWidget*) override { return new ChoosingOptions; }
    bool runOptions(CSVOptions* options) override
    {
        return user(static_cast<ChoosingOptions*>(options));
    }
};

} // namespace

class TestCsvExport : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        _user = ReportSession::start();
        QVERIFY(_user >= 0);
        _folder = QDir::homePath() + QStringLiteral("/export");
        QDir(_folder).removeRecursively();
        QVERIFY(QDir().mkpath(_folder));
    }
    void cleanup() { ReportSession::end(); }

    void fieldsAreQuotedWithTwoDecimals();
    void rowsOfFoodAndExercise();
    void writesOneFileAndAFilePerDay();
    void failuresAreReported_data();
    void failuresAreReported();
    void numbersKeepAPointInACommaLocale();
    void optionsDialogChoosesOutputs();
    void performExportsTheWholeDiary();
    void exportStopsWhenAsked_data();
    void exportStopsWhenAsked();

private:
    qint64 _user = -1;
    QString _folder;
};

void TestCsvExport::fieldsAreQuotedWithTwoDecimals()
{
    std::string row;
    out_delimit(row, "say \"hi\", then\nbye");
    QCOMPARE(row, std::string("\"say 'hi', then\nbye\","));
    for (const auto& [value, text] : {std::pair{-0.006, "\"\","}, std::pair{-0.005, "\"0.00\","},
                                      std::pair{0.0, "\"0.00\","}, std::pair{0.004, "\"0.00\","},
                                      std::pair{12.345, "\"12.35\","}, std::pair{-999.0, "\"\","}}) {
        row.clear();
        out_possible_null(row, value);
        QCOMPARE(row, std::string(text));
    }
    row.clear();
    out_delimit(row, 1e40);
    // No cut at 30 characters.
    QCOMPARE(row.size(), size_t(47));
    row.clear();
    out_date_toiso(row, "20260309");
    QCOMPARE(row, std::string("\"2026-03-09\","));
    QCOMPARE(QByteArray::fromStdString(CsvExportDiary::header()), Header);
}

void TestCsvExport::rowsOfFoodAndExercise()
{
    DBTypes::FoodDiaryItem snack = food(_user, Monday, DiaryDay::AFTERNOON_SNACK,
                                        QStringLiteral("Pie \"Grandma's\""));
    QCOMPARE(CsvExportDiary::foodRow(snack),
             std::string("\"2026-03-09\",\"\",\"Snack\",\"\",\"Pie 'Grandma's'\",\"1.50\",\"slice\","
                         "\"120.00\",\"20.25\",\"0.00\",\"\",\"3.00\",\n"));
    snack.meal = 7;
    QVERIFY(CsvExportDiary::foodRow(snack).find("\"Unknown\"") != std::string::npos);
    const std::string exercise = CsvExportDiary::exerciseRow(walk(_user, Monday));
    QCOMPARE(exercise, std::string("\"2026-03-09\",\"\",\"Exercise\",\"\",\"Walking\",\"30.00\","
                                   "\"minutes\",\"-150.00\",\n"));
    QCOMPARE(std::count(exercise.begin(), exercise.end(), ','), 8L);
}

void TestCsvExport::writesOneFileAndAFilePerDay()
{
    DBTypes::FoodDiaryItem lunch = food(_user, Monday.addDays(1), DiaryDay::LUNCH, QStringLiteral("Soup"));
    QVERIFY(DiaryDB::instance()->addFoodEntry(lunch, true) >= 0);
    DBTypes::ExerciseDiaryItem walked = walk(_user, Monday.addDays(1));
    QVERIFY(DiaryDB::instance()->addExEntry(walked, false) >= 0);
    DBTypes::FoodDiaryItem breakfast = food(_user, Monday.addDays(1), DiaryDay::BREAKFAST, QStringLiteral("Egg"));
    QVERIFY(DiaryDB::instance()->addFoodEntry(breakfast, true) >= 0);
    DBTypes::FoodDiaryItem late = food(_user, Monday.addDays(5), DiaryDay::DINNER, QStringLiteral("Stew"));
    QVERIFY(DiaryDB::instance()->addFoodEntry(late, true) >= 0);

    const QString oneFile = _folder + QStringLiteral("/all.csv");
    QFile stale(oneFile);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray(5000, 'x'));
    stale.close();
    QString error = QStringLiteral("old");
    CsvExportDiary exporter(nullptr, Monday);
    exporter.doExport(oneFile, _folder, Monday, Monday.addDays(6), false, error);
    QVERIFY(error.isNull());

    const QByteArray tuesday = readAll(_folder + QStringLiteral("/2026-03-10"));
    QVERIFY(tuesday.startsWith(Header));
    const QList<QByteArray> rows = tuesday.mid(Header.size()).split('\n');
    QCOMPARE(rows.size(), 4);
    QVERIFY(rows.at(0).contains("\"Soup\""));
    QVERIFY(rows.at(1).contains("\"Egg\""));
    QVERIFY(rows.at(2).contains("\"Exercise\""));
    QVERIFY(!tuesday.contains('\r'));
    for (int day : {0, 2, 3, 4, 6})
        QCOMPARE(readAll(_folder + QLatin1Char('/') + Monday.addDays(day).toString(Qt::ISODate)), Header);
    QCOMPARE(readAll(oneFile), Header + tuesday.mid(Header.size())
                                   + readAll(_folder + QStringLiteral("/2026-03-14")).mid(Header.size()));

    exporter.doExport(QString(), _folder, Monday.addDays(1), Monday, false, error);
    QCOMPARE(error, QStringLiteral("No days in the selected range have any recorded items"));
}

void TestCsvExport::failuresAreReported_data()
{
    QTest::addColumn<QString>("oneFile");
    QTest::addColumn<QString>("dayFolder");
    QTest::addColumn<qint64>("sizeLimit");
    QTest::addColumn<QString>("failedFile");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("oneFileWritten");
    QTest::addColumn<QString>("folderInTheWay");

    const QString missing = "No file can be made in the folder %1: " + QString::fromLocal8Bit(std::strerror(ENOENT));
    const QString tooLarge = QString::fromLocal8Bit(std::strerror(EFBIG));
    // Nothing else is written once the one file fails.
    QTest::newRow("one file in a missing folder")
        << "missing/all.csv" << "days" << qint64(0) << "missing/all.csv" << missing << false << "";
    // The one file is still written; the day files stop at the first that fails.
    QTest::newRow("day files in a missing folder")
        << "all.csv" << "gone" << qint64(0) << "gone/2026-03-09" << missing << true << "";
    QTest::newRow("a day file that is a folder")
        << "" << "days" << qint64(0) << "days/2026-03-09" << "%1/2026-03-09 is not a file" << false
        << "days/2026-03-09";
    QTest::newRow("a device") << "/dev/full" << "" << qint64(0) << "/dev/full"
                              << "/dev/full is not a file" << false << "";
    // Files of the program's own, in its data folder.
    for (const char* name : {"<data>/userdata.db", "<data>/pantrel.lock"})
        QTest::newRow(name) << name << "" << qint64(0) << name
                            << QString::fromLatin1(name).replace(QStringLiteral("<data>"), QStringLiteral("%1"))
                + " is a file that this program keeps for itself" << false << "";
    // A file size limit stands in for a full disk: earlier exports stay whole.
    QTest::newRow("one file the disk cannot hold")
        << "all.csv" << "days" << qint64(100) << "all.csv" << tooLarge << false << "";
    QTest::newRow("day files the disk cannot hold")
        << "" << "days" << qint64(100) << "days/2026-03-09" << tooLarge << false << "";
}

void TestCsvExport::failuresAreReported()
{
    QFETCH(QString, oneFile);
    QFETCH(QString, dayFolder);
    QFETCH(qint64, sizeLimit);
    QFETCH(QString, failedFile);
    QFETCH(QString, reason);
    QFETCH(bool, oneFileWritten);
    QFETCH(QString, folderInTheWay);
    auto inFolder = [this](QString name) {
        name.replace(QStringLiteral("<data>/"), BXSettings::getUserDBPath());
        return name.isEmpty() || name.startsWith(QLatin1Char('/')) ? name
                                                                   : QDir(_folder).filePath(name);
    };
    DBTypes::FoodDiaryItem lunch = food(_user, Monday, DiaryDay::LUNCH, QStringLiteral("Soup"));
    QVERIFY(DiaryDB::instance()->addFoodEntry(lunch, true) >= 0);
    const QByteArray earlier = "an earlier export\n";
    const QStringList kept{QStringLiteral("all.csv"), QStringLiteral("days/2026-03-09"),
                           QStringLiteral("days/2026-03-10")};
    QVERIFY(QDir(_folder).mkpath(QStringLiteral("days")));
    for (const QString& name : kept)
        QVERIFY(name == folderInTheWay ? QDir(_folder).mkpath(name) : writeFile(inFolder(name), earlier));

    CsvExportDiary exporter(nullptr, Monday);
    QString error;
    {
        std::optional<FileSizeLimit> disk;
        if (sizeLimit > 0)
            QVERIFY(disk.emplace(rlim_t(sizeLimit)).isSet());
        exporter.doExport(inFolder(oneFile), inFolder(dayFolder), Monday, Monday.addDays(1),
                          false, error);
    }
    const QString failed = failedFile == oneFile
                               ? QStringLiteral("Could not write %1: %2\nAny earlier file of that "
                                                "name is unchanged.")
                               : QStringLiteral("Could not write %1, so the export stopped there: %2\n"
                                                "The files of the days before it are written; any "
                                                "earlier files of its name and of the days after it "
                                                "are unchanged.");
    const QString folder = QFileInfo(inFolder(failedFile)).path();
    QCOMPARE(error, failed.arg(inFolder(failedFile), QString(reason).replace(QStringLiteral("%1"), folder)));
    QCOMPARE(readAll(inFolder(QStringLiteral("all.csv"))).contains("\"Soup\""), oneFileWritten);
    if (!oneFileWritten) {
        for (const QString& name : kept) {
            if (name != folderInTheWay)
                QCOMPARE(readAll(inFolder(name)), earlier);
        }
    }
    for (const QString& folder : {_folder, inFolder(QStringLiteral("days"))})
        QCOMPARE(QDir(folder).entryList({QStringLiteral("*.partial")}, QDir::Files), QStringList());
}

// Numbers are written with a point also where the C library's locale writes a comma.
void TestCsvExport::numbersKeepAPointInACommaLocale()
{
    if (!ReportSession::useCommaLocale())
        QSKIP("localedef cannot build de_DE here (the locales package is missing)");
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", 1.5);
    QCOMPARE(QByteArray(probe), QByteArray("1,50"));
    std::string row;
    out_delimit(row, 1.5);
    out_possible_null(row, 2.25);
    std::setlocale(LC_ALL, "C");
    QCOMPARE(row, std::string("\"1.50\",\"2.25\","));
}

void TestCsvExport::optionsDialogChoosesOutputs()
{
    ChoosingOptions options;
    options.setDate(Monday);
    QCOMPARE(options.windowTitle(), QStringLiteral("CSV Export Options"));
    QVERIFY(options.helpButton->isHidden());
    QVERIFY(!options.printButton->isEnabled());

    // Cancelled choosers leave the boxes unticked.
    options.massFileCheckBox->setChecked(true);
    QCOMPARE(options.fileAsks, 1);
    QVERIFY(!options.massFileCheckBox->isChecked());
    options.dayFilesCheckBox->setChecked(true);
    QVERIFY(!options.dayFilesCheckBox->isChecked());
    QVERIFY(!options.printButton->isEnabled());

    options.file = _folder + QStringLiteral("/one.csv");
    options.massFileCheckBox->setChecked(true);
    QVERIFY(options.massFileCheckBox->isChecked());
    QVERIFY(options.printButton->isEnabled());
    QVERIFY(options.fileButton->isEnabled());
    QVERIFY(!options.directoryButton->isEnabled());
    QCOMPARE(options.fileLabel->text(), QDir::toNativeSeparators(options.file));
    QCOMPARE(options.getOneFile(), options.file);
    QVERIFY(options.getManyDir().isNull());
    options.massFileCheckBox->setChecked(false);
    QVERIFY(options.getOneFile().isNull());
    options.massFileCheckBox->setChecked(true);
    QCOMPARE(options.fileAsks, 2);

    QDate start;
    QDate end;
    QVERIFY(options.getDateRangeUnlessAll(start, end));
    QCOMPARE(start, Monday);
    QCOMPARE(end, Monday);
    options.printRangeRadioButton->setChecked(true);
    QVERIFY(options.getDateRangeUnlessAll(start, end));
    QCOMPARE(start, Monday.addDays(-6));
    QCOMPARE(end, Monday);
    options.printAllRadioButton->setChecked(true);
    start = end = QDate();
    QVERIFY(!options.getDateRangeUnlessAll(start, end));
    QVERIFY(start.isNull() && end.isNull());
    options.show();
    QVERIFY(saveWidgetPicture(&options, QStringLiteral("csv-options")));
}

void TestCsvExport::performExportsTheWholeDiary()
{
    ScriptedPrompter prompter;
    const QString oneFile = _folder + QStringLiteral("/diary.csv");
    ScriptedExport nothing(nullptr, Monday);
    nothing.user = [&](ChoosingOptions* options) {
        options->file = oneFile;
        options->massFileCheckBox->setChecked(true);
        options->printAllRadioButton->setChecked(true);
        return true;
    };
    nothing.perform();
    QCOMPARE(prompter.lastText(), QStringLiteral("There is nothing in the diary to export!"));
    QCOMPARE(prompter.lastCaption(), BrandEngine::instance()->getString("app_name_short"));

    DBTypes::FoodDiaryItem first = food(_user, Monday, DiaryDay::BREAKFAST, QStringLiteral("Egg"));
    QVERIFY(DiaryDB::instance()->addFoodEntry(first, true) >= 0);
    DBTypes::FoodDiaryItem last = food(_user, Monday.addDays(3), DiaryDay::DINNER, QStringLiteral("Stew"));
    QVERIFY(DiaryDB::instance()->addFoodEntry(last, true) >= 0);
    ScriptedExport all(nullptr, Monday);
    all.user = nothing.user;
    all.perform();
    QCOMPARE(prompter.asked.size(), 1);
    const QList<QByteArray> lines = readAll(oneFile).split('\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines.at(1).startsWith("\"2026-03-09\""));
    QVERIFY(lines.at(2).startsWith("\"2026-03-12\""));

    ScriptedExport cancelled(nullptr, Monday);
    cancelled.user = [](ChoosingOptions*) { return false; };
    QFile::remove(oneFile);
    cancelled.perform();
    QVERIFY(!QFile::exists(oneFile));
    QCOMPARE(prompter.asked.size(), 1);
}

void TestCsvExport::exportStopsWhenAsked_data()
{
    QTest::addColumn<QString>("oneFile");
    QTest::addColumn<QString>("dayFolder");
    QTest::addColumn<bool>("endOfSession");
    QTest::newRow("one file, Cancel") << "all.csv" << "" << false;
    QTest::newRow("day files, Cancel") << "" << "days" << false;
    QTest::newRow("both, the end of the session") << "all.csv" << "days" << true;
}

// Stopped as it begins to write, the export leaves every earlier file as it was and no working
// file; the user is told.
void TestCsvExport::exportStopsWhenAsked()
{
    QFETCH(QString, oneFile);
    QFETCH(QString, dayFolder);
    QFETCH(bool, endOfSession);
    for (int day = 0; day < 3; ++day) {
        DBTypes::FoodDiaryItem lunch = food(_user, Monday.addDays(day), DiaryDay::LUNCH, QStringLiteral("Soup"));
        QVERIFY(DiaryDB::instance()->addFoodEntry(lunch, true) >= 0);
    }
    const QByteArray earlier = "an earlier export\n";
    const QStringList kept{QStringLiteral("all.csv"), QStringLiteral("days/2026-03-09"),
                           QStringLiteral("days/2026-03-10"), QStringLiteral("days/2026-03-11")};
    QVERIFY(QDir(_folder).mkpath(QStringLiteral("days")));
    for (const QString& name : kept)
        QVERIFY(writeFile(QDir(_folder).filePath(name), earlier));
    ScriptedPrompter prompter;
    ScriptedExport exporter(nullptr, Monday);
    exporter.user = [&](ChoosingOptions* options) {
        options->file = oneFile.isEmpty() ? QString() : QDir(_folder).filePath(oneFile);
        options->folder = dayFolder.isEmpty() ? QString() : QDir(_folder).filePath(dayFolder);
        options->massFileCheckBox->setChecked(!oneFile.isEmpty());
        options->dayFilesCheckBox->setChecked(!dayFolder.isEmpty());
        options->printAllRadioButton->setChecked(true);
        return true;
    };
    {
        const ProgressStopper stopper(endOfSession ? ProgressStopper::EndOfSession : ProgressStopper::Cancel,
                                      QStringLiteral("Writing the CSV files..."));
        exporter.perform();
        QVERIFY(stopper.stopped());
    }
    for (const QString& name : kept)
        QCOMPARE(readAll(QDir(_folder).filePath(name)), earlier);
    for (const QString& folder : {_folder, _folder + QStringLiteral("/days")})
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), folder == _folder ? 1 : 3);
    QCOMPARE(prompter.asked.size(), 1);
    QVERIFY(prompter.lastText().startsWith(QStringLiteral("The export was cancelled.")));
}

QTEST_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
