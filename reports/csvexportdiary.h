#pragma once

#include "core/diaryday.h"

#include <QDate>
#include <QString>

#include <map>
#include <string>

class CSVOptions;
class QWidget;
class WorkingFile;
class WorkProgress;

namespace DBTypes {
class ExerciseDiaryItem;
class FoodDiaryItem;
} // namespace DBTypes

// Field writers of the CSV rows: every field is quoted, with its double quotation marks
// turned into apostrophes, and followed by a comma. Numbers have two decimals and a point
// whatever the locale.
void out_delimit(std::string& row, const char* text);
void out_delimit(std::string& row, const std::string& text);
void out_delimit(std::string& row, double value);
// A date code "yyyyMMdd" as "yyyy-MM-dd".
void out_date_toiso(std::string& row, const char* dateCode);
// A value that may be unset: empty below -0.005, else the number (0.00 from -0.005 to 0).
void out_possible_null(std::string& row, double value);
// Writes the text without its terminating NUL; false when not all of it reached the file.
bool write_string(WorkingFile& file, const char* text);

// The CSV export of the current user's diary around a day.
class CsvExportDiary
{
public:
    CsvExportDiary(QWidget* parent, const QDate& selectedDay);
    virtual ~CsvExportDiary() = default;

    // Asks the export options, writes the output under a progress dialog with Cancel and
    // reports errors, and a cancelled export, in a warning box.
    void perform();

    // Exports start..end into a single file and/or one file per day in folder; pass an empty
    // path or folder to skip either. The days are read in one reading, which waits once; no
    // file is written unless every day was read. On failure error gets the reason, else it
    // stays null.
    void doExport(const QString& oneFile, const QString& manyDir, const QDate& start,
                  const QDate& end, bool omitEmpty, QString& error);

    // The header line of every file, with its line feed.
    static std::string header();
    static std::string foodRow(const DBTypes::FoodDiaryItem& food);
    static std::string exerciseRow(const DBTypes::ExerciseDiaryItem& exercise);

protected:
    virtual CSVOptions* createOptions(QWidget* parent);
    // Runs the options dialog modally; true when the user chose Export.
    virtual bool runOptions(CSVOptions* options);

private:
    using Days = std::map<QDate, DBTypes::DiaryDay>;
    // Reads and writes what the options ask for, with its progress shown: false when the
    // reading was given up (the user was told), else true with what the user is told in `error`.
    bool _run(const CSVOptions& options, QString& error);
    // The days of start..end (without the empty ones with omitEmpty); false when one could not
    // be read. Once `progress` stops, the rest is not read.
    static bool _readDays(const QDate& start, const QDate& end, bool omitEmpty, Days& days,
                          WorkProgress& progress);
    // Once `progress` stops, the file being written is dropped, and no other is begun.
    static void _writeDays(const QString& oneFile, const QString& manyDir, const Days& days,
                           QString& error, WorkProgress& progress);

    QWidget* _parent;
    QDate _day;
};
