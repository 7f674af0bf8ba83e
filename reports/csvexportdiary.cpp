#include "reports/csvexportdiary.h"

#include "core/brandengine.h"
#include "core/dateconversion.h"
#include "core/diaryday.h"
#include "reports/csvoptions.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"
#include "widgets/prompter.h"

#include <QFile>

#include <cassert>
#include <cstring>
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

bool write_string(QFile& file, const char* text)
{
    const qint64 length = qint64(std::strlen(text));
    return file.write(text, length) == length && file.flush();
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
    QDate start;
    QDate end;
    if (!options->getDateRangeUnlessAll(start, end)) {
        const std::set<std::string> dates = DiaryDB::instance()->getAllDatesWithEntries(
            UserDB::instance()->getCurrentUser(), false);
        if (!dates.empty()) {
            start = DateFromCode4(dates.begin()->c_str());
            end = DateFromCode4(dates.rbegin()->c_str());
        }
    }
    QString error;
    if (start.isNull() && end.isNull()) {
        error = QObject::tr("There is nothing in the diary to export!");
    } else {
        assert(!start.isNull() && !end.isNull() && "a range has both ends");
        doExport(options->getOneFile(), options->getManyDir(), start, end, options->omitEmpty(),
                 error);
    }
    if (!error.isEmpty())
        Prompter::warning(_parent, BrandEngine::instance()->getString("app_name_short"), error);
}

void CsvExportDiary::doExport(const QString& oneFile, const QString& manyDir, const QDate& start,
                              const QDate& end, bool omitEmpty, QString& error)
{
    error = QString();
    const int user = UserDB::instance()->getCurrentUser();
    std::map<QDate, DiaryDay> days;
    for (QDate date = start; date <= end; date = date.addDays(1)) {
        char code[DBTypes::DATE_CODE_SIZE];
        DateToCode4(date, code);
        DiaryDay day = DiaryDB::instance()->getDay(user, code, false);
        if (!omitEmpty || !day.empty())
            days.emplace(date, std::move(day));
    }
    if (days.empty()) {
        error = QObject::tr("No days in the selected range have any recorded items");
        return;
    }
    const std::string headerLine = header();
    QFile one(oneFile);
    if (!oneFile.isEmpty()) {
        if (!one.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            error = QObject::tr("Could not open %1").arg(oneFile);
            return;
        }
        if (!write_string(one, headerLine.c_str())) {
            error = QObject::tr("Could not write %1").arg(oneFile);
            return;
        }
    }
    for (const auto& [date, day] : days) {
        const std::string rows = dayRows(day);
        if (one.isOpen() && !write_string(one, rows.c_str())) {
            error = QObject::tr("Could not write %1").arg(oneFile);
            return;
        }
        if (manyDir.isEmpty())
            continue;
        const QString path = manyDir + QLatin1Char('/') + date.toString(QStringLiteral("yyyy-MM-dd"));
        QFile dayFile(path);
        if (!dayFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            error = QObject::tr("Could not open %1 (and possibly other files)").arg(path);
            continue;
        }
        if (!write_string(dayFile, headerLine.c_str()) || !write_string(dayFile, rows.c_str()))
            error = QObject::tr("Could not write %1 (and possibly other files)").arg(path);
    }
}
