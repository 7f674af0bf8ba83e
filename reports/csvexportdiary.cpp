#include "reports/csvexportdiary.h"

#include "widgets/shownday.h"
#include "core/brandengine.h"
#include "core/dateconversion.h"
#include "core/diaryday.h"
#include "core/keptfiles.h"
#include "core/workingfile.h"
#include "core/workprogress.h"
#include "reports/csvoptions.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"
#include "userdb/storeaction.h"
#include "widgets/progressbox.h"
#include "widgets/prompter.h"
#include "widgets/storeprompt.h"

#include <QDir>

#include <cassert>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>

using DBTypes::DiaryDay;

namespace {

const char* const Columns[] = {"Date", "Time", "Group Type", "Group Label", "Item Name", "Qty",
                               "Serving", "Calories", "Carbs", "Fat", "Fibre", "Protein"};

std::string number(double value)
{
    return QByteArray::number(value, 'f', 2).toStdString();
}

const char* groupTypeName(int meal)
{
    switch (meal) {
    case DiaryDay::BREAKFAST: return "Breakfast";
    case DiaryDay::LUNCH: return "Lunch";
    case DiaryDay::DINNER: return "Dinner";
    case DiaryDay::MORNING_SNACK:
    case DiaryDay::AFTERNOON_SNACK:
    case DiaryDay::EVENING_SNACK: return "Snack";
    default: return "Unknown";
    }
}

std::string dayRows(const DiaryDay& day)
{
    std::string rows;
    for (const DBTypes::FoodDiaryItem& food : day.foods)
        rows += CsvExportDiary::foodRow(food);
    for (const DBTypes::ExerciseDiaryItem& exercise : day.exercises)
        rows += CsvExportDiary::exerciseRow(exercise);
    return rows;
}

using Days = std::map<QDate, DiaryDay>;

// The steps of an export: a day read, a day written into the one file, a day file written.
struct Steps
{
    WorkProgress& progress;
    qint64 done;
    qint64 total;

    bool next() { return progress.advance(done++, total); }
};

// Writes the header and the rows of the days from `first` to before `last` as the whole of
// `path`; false with the reason (none when the work was asked to stop). What `path` held stays
// until the file is whole.
bool writeDays(const QString& path, const std::string& headerLine, Days::const_iterator first,
               Days::const_iterator last, QString* reason, Steps& steps)
{
    if (const std::optional<QString> refused = KeptFiles::targetProblem(path)) {
        *reason = *refused;
        return false;
    }
    WorkingFile file(path);
    if (!file.open(reason))
        return false;
    bool written = write_string(file, headerLine.c_str());
    for (auto day = first; written && day != last; ++day) {
        if (!steps.next())
            return false;
        written = write_string(file, dayRows(day->second).c_str());
    }
    if (!written) {
        *reason = file.device().errorString();
        return false;
    }
    return file.commit(reason);
}

} // namespace

void out_delimit(std::string& row, const char* text)
{
    row += '"';
    for (const char* c = text; *c; ++c)
        row += *c == '"' ? '\'' : *c;
    row += "\",";
}

void out_delimit(std::string& row, const std::string& text)
{
    out_delimit(row, text.c_str());
}

void out_delimit(std::string& row, double value)
{
    out_delimit(row, number(value));
}

void out_date_toiso(std::string& row, const char* dateCode)
{
    const std::string code(dateCode);
    out_delimit(row, code.substr(0, 4) + '-' + code.substr(4, 2) + '-' + code.substr(6, 2));
}

void out_possible_null(std::string& row, double value)
{
    if (value < -0.005)
        out_delimit(row, "");
    else if (value <= 0.0)
        out_delimit(row, "0.00");
    else
        out_delimit(row, value);
}

bool write_string(WorkingFile& file, const char* text)
{
    return file.write(text, qint64(std::strlen(text)));
}

CsvExportDiary::CsvExportDiary(QWidget* parent, const QDate& selectedDay)
    : _parent(parent), _day(selectedDay)
{
}

std::string CsvExportDiary::header()
{
    std::string line;
    for (const char* column : Columns) {
        if (!line.empty())
            line += ',';
        line += '"';
        line += column;
        line += '"';
    }
    return line + '\n';
}

std::string CsvExportDiary::foodRow(const DBTypes::FoodDiaryItem& food)
{
    std::string row;
    out_date_toiso(row, food.date);
    out_delimit(row, "");
    out_delimit(row, groupTypeName(food.meal));
    out_delimit(row, "");
    out_delimit(row, food.getDesc().toStdString());
    out_delimit(row, double(food.size));
    out_delimit(row, food.getServingDesc().toStdString());
    for (DBTypes::NutType nut : {DBTypes::ENERGY, DBTypes::CARBS, DBTypes::FAT,
                                 DBTypes::FIBER, DBTypes::PROTEIN})
        out_possible_null(row, food.getNutrient(nut));
    return row + '\n';
}

std::string CsvExportDiary::exerciseRow(const DBTypes::ExerciseDiaryItem& exercise)
{
    std::string row;
    out_date_toiso(row, exercise.date);
    out_delimit(row, "");
    out_delimit(row, "Exercise");
    out_delimit(row, "");
    out_delimit(row, exercise.name.toStdString());
    out_delimit(row, double(exercise.duration));
    out_delimit(row, "minutes");
    const float burned = -(exercise.duration * exercise.rate);
    out_delimit(row, double(burned));
    return row + '\n';
}

CSVOptions* CsvExportDiary::createOptions(QWidget* parent)
{
    return CSVOptions::construct(parent);
}

bool CsvExportDiary::runOptions(CSVOptions* options)
{
    return options->exec() == QDialog::Accepted;
}

void CsvExportDiary::perform()
{
    const std::unique_ptr<CSVOptions> options(createOptions(_parent));
    options->setDate(_day);
    if (!runOptions(options.get()))
        return;
    QString error;
    if (!_run(*options, error) || error.isEmpty())
        return;
    Prompter::warning(_parent, BrandEngine::instance()->getString("app_name_short"), error);
}

bool CsvExportDiary::_run(const CSVOptions& options, QString& error)
{
    QDate start;
    QDate end;
    const bool all = !options.getDateRangeUnlessAll(start, end);
    Days days;
    ProgressBox progress(_parent, QObject::tr("Export to CSV"), QObject::tr("Reading your diary..."));
    // The whole export is one reading: one wait, Retry or Cancel, and no file unless every
    // day was read.
    const bool read = StorePrompt::read(_parent, [&] {
        days.clear();
        if (all) {
            const std::optional<std::set<std::string>> dates =
                DiaryDB::instance()->getAllDatesWithEntries(ShownDay::instance()->user(),
                                                            false);
            if (!dates || dates->empty())
                return;
            start = DateFromCode4(dates->begin()->c_str());
            end = DateFromCode4(dates->rbegin()->c_str());
        }
        _readDays(start, end, options.omitEmpty(), days, progress);
    });
    if (!read)
        return false;
    if (start.isNull() && end.isNull()) {
        error = QObject::tr("There is nothing in the diary to export!");
    } else if (!progress.stopped() && days.empty()) {
        error = QObject::tr("No days in the selected range have any recorded items");
    } else if (!progress.stopped()) {
        progress.setLabel(QObject::tr("Writing the CSV files..."));
        _writeDays(options.getOneFile(), options.getManyDir(), days, error, progress);
    }
    if (progress.stopped() && error.isEmpty())
        error = QObject::tr("The export was cancelled. Any file that it had not finished is as "
                            "it was.");
    return true;
}

void CsvExportDiary::doExport(const QString& oneFile, const QString& manyDir, const QDate& start,
                              const QDate& end, bool omitEmpty, QString& error)
{
    error = QString();
    WorkProgress progress;
    Days days;
    StoreResult outcome;
    {
        const StoreAction reading(StoreAction::Kind::Read);
        if (!_readDays(start, end, omitEmpty, days, progress) && reading.outcome().ok())
            outcome = StoreResult(StoreResult::Kind::Refused, QString());
        else
            outcome = reading.outcome();
    }
    if (!outcome.ok()) {
        error = outcome.readText();
        return;
    }
    if (days.empty()) {
        error = QObject::tr("No days in the selected range have any recorded items");
        return;
    }
    if (!progress.stopped())
        _writeDays(oneFile, manyDir, days, error, progress);
}

bool CsvExportDiary::_readDays(const QDate& start, const QDate& end, bool omitEmpty, Days& days,
                               WorkProgress& progress)
{
    const qint64 user = ShownDay::instance()->user();
    Steps steps{progress, 0, start.daysTo(end) + 1};
    for (QDate date = start; date <= end && steps.next(); date = date.addDays(1)) {
        char code[DBTypes::DATE_CODE_SIZE];
        DateToCode4(date, code);
        std::optional<DiaryDay> day = DiaryDB::instance()->getDay(user, code, false);
        if (!day)
            return false;
        if (!omitEmpty || !day->empty())
            days.emplace(date, std::move(*day));
    }
    return true;
}

void CsvExportDiary::_writeDays(const QString& oneFile, const QString& manyDir, const Days& days,
                                QString& error, WorkProgress& progress)
{
    const std::string headerLine = header();
    QString reason;
    const qint64 count = qint64(days.size());
    Steps steps{progress, 0, (oneFile.isEmpty() ? 0 : count) + (manyDir.isEmpty() ? 0 : count)};
    if (!oneFile.isEmpty()
        && !writeDays(oneFile, headerLine, days.begin(), days.end(), &reason, steps)) {
        if (!progress.stopped())
            error = QObject::tr("Could not write %1: %2\nAny earlier file of that name is unchanged.")
                    .arg(QDir::toNativeSeparators(oneFile), reason);
        return;
    }
    if (manyDir.isEmpty())
        return;
    // A file that could not be written stops the export: the next day's would meet the same
    // folder or disk.
    for (auto day = days.begin(); day != days.end() && !progress.stopped(); ++day) {
        const QString path =
            manyDir + QLatin1Char('/') + day->first.toString(QStringLiteral("yyyy-MM-dd"));
        if (!writeDays(path, headerLine, day, std::next(day), &reason, steps)) {
            if (!progress.stopped())
                error = QObject::tr("Could not write %1, so the export stopped there: %2\nThe files "
                                    "of the days before it are written; any earlier files of its "
                                    "name and of the days after it are unchanged.")
                            .arg(QDir::toNativeSeparators(path), reason);
            return;
        }
    }
}
