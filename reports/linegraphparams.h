#pragma once

#include "reports/chartparams.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <vector>

class QAbstractAxis;
class QLineSeries;

// A line over dates with value boxes on the inner points and dotted "future" parts: the
// weight chart's parameters and data.
class LineGraphParams : public ChartParams
{
public:
    struct Cell
    {
        QDateTime time;
        double value = 0.0;
        QString box;         // the value box's text; empty for none
        bool future = false; // drawn dotted
        bool set = false;    // whether the cell was given a value
    };

    // `units` names the unit of the values (the value axis' title); today is taken now.
    LineGraphParams(const QString& title, const QString& units);

    // Makes `columns` empty cells.
    void setColumns(int columns);
    int columns() const { return int(_cells.size()); }
    const Cell& cell(int column) const { return _cells.at(size_t(column)); }
    const QString& units() const { return _units; }
    QDate today() const { return _today; }

    // Sets the cell of `pos`. Inner cells (neither first nor last) show their value in a box
    // when `showValue`; a cell is future when `future` is set or it lies after today.
    void setValueAtPos(int pos, double value, const QDateTime& time, bool showValue, bool future);
    // At 12:00 of the date, not future by flag.
    void setValueAtPos(int pos, double value, const QDate& date, bool showValue);
    // Column 0 at 00:00 of the date.
    void setFirstValue(double value, const QDate& date, bool showValue, bool future);
    // The column at 23:59 of the date, without a box.
    void setLastValue(int pos, double value, const QDate& date);

    // Solid and dotted runs of the line, split at the start of today, and the value boxes.
    void apply(QChart* chart) const override;

    // The points of the line as runs of one style: each run with its dotted flag.
    struct Run
    {
        std::vector<std::pair<QDateTime, double>> points;
        bool dotted = false;
    };
    std::vector<Run> runs() const;

private:
    void _addValueBoxes(QChart* chart, QAbstractAxis* xAxis, QAbstractAxis* yAxis) const;
    void _addPoint(std::vector<Run>& runs, const QDateTime& time, double value, bool dotted) const;

    QString _units;
    QDate _today;
    std::vector<Cell> _cells;
};
