#pragma once

#include "reports/reportschart.h"

#include <QColor>
#include <QDate>
#include <vector>

class QChart;

// Bars of the daily energy and nutrient totals, up to twelve series side by side a day:
// grams on the left and energy on the right share the lower band, milligrams have the upper
// band to themselves.
class NutrientChart : public ReportsChart
{
    Q_OBJECT

public:
    enum ComponentFlags {
        EnergyIntake = 1,
        EnergyBurned = 2,
        EnergyNet = 4,
        Fat = 8,
        SaturatedFat = 16,
        Cholesterol = 32,
        Protein = 64,
        Sodium = 128,
        Carbohydrate = 256,
        Fiber = 512,
        Sugar = 1024,
        Calcium = 2048
    };
    enum Axis { Grams, Energy, Milligrams };

    struct Row
    {
        int component = 0;
        Axis axis = Grams;
        std::vector<double> values; // one a day, in the units shown
    };

    explicit NutrientChart(QWidget* parent = nullptr, const QString& title = QString());

    // What the chart shows.
    struct Figures
    {
        QDate start;
        QDate end;
        int components = 0;
        bool hasData = false;
        std::vector<Row> rows;
    };

    // Reads the diary of the current user from start to end and builds the chart.
    void configure(const QDate& start, const QDate& end, int components);
    Figures figures() const { return {_start, _end, _components, _hasData, _rows}; }
    // Builds the chart on figures it showed before (a new range that could not be read).
    void showFigures(const Figures& figures);
    bool componentOn(int components) const { return (_components & components) != 0; }

    // The series in table order: grams, then energy, then milligrams.
    const std::vector<Row>& rows() const { return _rows; }
    // Columns (days) and rows of the table: 1 by 1 when nothing is chosen.
    int tableColumns() const;
    int tableRows() const { return _rows.empty() ? 1 : int(_rows.size()); }
    bool hasData() const { return _hasData; }
    QDate startDate() const { return _start; }
    QDate endDate() const { return _end; }

    bool bottomAxisVisible() const { return !_rows.empty(); }
    bool gramsAxisVisible() const { return _count(Grams) > 0 && _hasData; }
    bool energyAxisVisible() const { return _count(Energy) > 0 && _hasData; }
    bool milligramsAxisVisible() const { return _count(Milligrams) > 0 && _hasData; }

    // The colour and the axis of a component.
    static QColor colour(int component);
    static Axis axisOf(int component);
    // Every component in table order.
    static const std::vector<int>& rowOrder();

protected:
    void populate(QChart* chart) override;
    void layoutCharts(const QRectF& area) override;

private:
    void _alignUpperBand();
    void _setupData();
    int _count(Axis axis) const;
    void _addBand(QChart* chart, Axis first, Axis second);
    QStringList _dayLabels() const;

    QDate _start;
    QDate _end;
    int _components = 0;
    bool _hasData = false;
    std::vector<Row> _rows;
    QChart* _milligramChart = nullptr;
};
