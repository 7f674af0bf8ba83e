#pragma once

#include "reports/energyshares.h"
#include "reports/reportschart.h"

#include <QDate>
#include <QFont>

#include <array>
#include <memory>
#include <optional>

class BreakdownParams;

// The pie of where the food energy of a date range came from: fat, protein and
// carbohydrate. The sums are taken when the range is set; the pie itself is drawn only
// when the chart is first shown or printed, so that many charts kept for printing stay
// light.
class BreakdownChart : public ReportsChart
{
    Q_OBJECT

public:
    // Indexes into the totals; they follow the field order of DiaryDB::NutrientSet.
    enum Total {
        FoodEnergy = 0, EnergyBurned, Fat, SaturatedFat, Protein, Cholesterol, Sodium, Fibre,
        Carbohydrate, Sugar, Calcium, TotalCount
    };
    using Totals = std::array<float, TotalCount>;

    BreakdownChart(QWidget* parent, const QString& title, bool compact);
    ~BreakdownChart() override;

    // Sums the range for a meal group (0 all, -2 the snacks together) and redraws.
    void setDateRange(const QDate& first, const QDate& last, int group);
    void calculateData(const QDate& first, const QDate& last, int group);
    // Prepares the pie for the shares of the last calculation.
    void configure();

    const Totals& getNutrientTotals() const { return _totals; }
    double fatPercent() const { return _fat; }
    double proteinPercent() const { return _protein; }
    double carbohydratePercent() const { return _carbohydrate; }
    // The shares in whole percent, as the pie shows them.
    EnergyShares shares() const { return EnergyShares(_fat, _protein, _carbohydrate); }

    void print(QPainter* painter, const QRect& rect) override;

protected:
    void showEvent(QShowEvent* event) override;
    void populate(QChart* chart) override;
    void layoutCharts(const QRectF& area) override;

private:
    void _applyPending();
    void _fitTexts(int width);

    bool _compact;
    Totals _totals{};
    double _fat = 0.0;
    double _protein = 0.0;
    double _carbohydrate = 0.0;
    std::unique_ptr<BreakdownParams> _pending;
    // The fonts the chart was made with, which the texts shrink from to fit its width.
    std::optional<QFont> _titleFont;
    std::optional<QFont> _legendFont;
};
