#pragma once

#include <QDate>
#include <QString>

class QWidget;

// The CSV export of the diary around a day.
class CsvExportDiary
{
public:
    CsvExportDiary(QWidget* parent, const QDate& selectedDay);

    // Asks the export options, writes the output and reports errors in a warning box.
    void perform();

private:
    QWidget* _parent;
    QDate _day;
};
