#include "reports/nutrientchart.h"

#include "widgets/shownday.h"
#include "core/dateconversion.h"
#include "core/dbtypes.h"
#include "core/displaydate.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "reports/axisscale.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QValueAxis>

#include <algorithm>
#include <cassert>
#include <map>

namespace {

// The share of the height above the lower band when milligrams are shown too.
constexpr double UpperBandShare = 0.45;

double valueOf(int component, const DiaryDB::NutrientSet& day)
{
    const UnitDescriptor* energy = UnitCollection::instance()->get(UnitCollection::Energy);
    switch (component) {
    case NutrientChart::EnergyIntake: return energy->displayValue(day.energy);
    case NutrientChart::EnergyBurned: return energy->displayValue(day.exerciseEnergy);
    case NutrientChart::EnergyNet:
        return energy->displayValue(std::max(0.0f, day.energy - day.exerciseEnergy));
    case NutrientChart::Fat: return day.fat;
    case NutrientChart::SaturatedFat: return day.satFat;
    case NutrientChart::Cholesterol: return day.cholesterol;
    case NutrientChart::Protein: return day.protein;
    case NutrientChart::Sodium: return day.sodium;
    case NutrientChart::Carbohydrate: return day.carbs;
    case NutrientChart::Fiber: return day.fiber;
    case NutrientChart::Sugar: return day.sugar;
    case NutrientChart::Calcium: return day.calcium;
    default: return 0.0;
    }
}

QValueAxis* valueAxis(QChart* chart, UnitCollection::UnitType unit)
{
    auto* axis = new QValueAxis(chart);
    axis->setLabelsFont(QFont(QStringLiteral("Helvetica"), 9));
    axis->setLabelsColor(Qt::black);
    QFont titleFont(QStringLiteral("Helvetica"), 12);
    titleFont.setItalic(true);
    axis->setTitleFont(titleFont);
    axis->setTitleBrush(QColor(0, 0, 139));
    axis->setTitleText(QLatin1Char('(') + UnitCollection::instance()->get(unit)->printUnits()
                       + QLatin1Char(')'));
    return axis;
}

} // namespace

NutrientChart::NutrientChart(QWidget* parent, const QString& title)
    : ReportsChart(title, parent), _start(QDate()), _end(QDate())
{
}

const std::vector<int>& NutrientChart::rowOrder()
{
    static const std::vector<int> order{Fat,         SaturatedFat, Fiber,    Protein,
                                        Carbohydrate, Sugar,       EnergyIntake, EnergyBurned,
                                        EnergyNet,   Cholesterol,  Sodium,   Calcium};
    return order;
}

QColor NutrientChart::colour(int component)
{
    static const std::map<int, QColor> colours{
        {EnergyIntake, QColor(102, 102, 102)}, {EnergyBurned, QColor(153, 153, 153)},
        {EnergyNet, QColor(204, 204, 204)},    {Fat, QColor(255, 0, 0)},
        {SaturatedFat, QColor(255, 255, 128)}, {Cholesterol, QColor(255, 128, 128)},
        {Protein, QColor(0, 0, 255)},          {Sodium, QColor(128, 0, 255)},
        {Carbohydrate, QColor(0, 255, 255)},   {Fiber, QColor(0, 255, 0)},
        {Sugar, QColor(64, 128, 128)},         {Calcium, QColor(255, 128, 192)}};
    const auto found = colours.find(component);
    return found == colours.end() ? QColor(Qt::black) : found->second;
}

NutrientChart::Axis NutrientChart::axisOf(int component)
{
    if (component == EnergyIntake || component == EnergyBurned || component == EnergyNet)
        return Energy;
    if (component == Cholesterol || component == Sodium || component == Calcium)
        return Milligrams;
    return Grams;
}

int NutrientChart::tableColumns() const
{
    return _rows.empty() ? 1 : int(_start.daysTo(_end)) + 1;
}

int NutrientChart::_count(Axis axis) const
{
    return int(std::count_if(_rows.begin(), _rows.end(), [axis](const Row& row) { return row.axis == axis; }));
}

void NutrientChart::configure(const QDate& start, const QDate& end, int components)
{
    assert(start.daysTo(end) >= 0 && "startDate.daysTo(endDate) >= 0");
    _start = start;
    _end = end;
    _components = components;
    _setupData();
    setParams(createDefaultParams());
}

void NutrientChart::showFigures(const Figures& figures)
{
    _start = figures.start;
    _end = figures.end;
    _components = figures.components;
    _hasData = figures.hasData;
    _rows = figures.rows;
    setParams(createDefaultParams());
}

void NutrientChart::_setupData()
{
    char from[DBTypes::DATE_CODE_SIZE];
    char to[DBTypes::DATE_CODE_SIZE];
    DateToCode4(_start, from);
    DateToCode4(_end, to);
    // Inside a reading action (the viewer's or the print's): sums that could not be read leave the
    // rows as they were.
    const std::optional<std::map<std::string, DiaryDB::NutrientSet>> read =
        DiaryDB::instance()->getNutrientInfo(ShownDay::instance()->user(), from, to, 0);
    if (!read)
        return;
    const std::map<std::string, DiaryDB::NutrientSet>& days = *read;
    _rows.clear();
    _hasData = !days.empty();
    for (int component : rowOrder()) {
        if (!componentOn(component))
            continue;
        Row row;
        row.component = component;
        row.axis = axisOf(component);
        for (QDate day = _start; day <= _end; day = day.addDays(1)) {
            char code[DBTypes::DATE_CODE_SIZE];
            DateToCode4(day, code);
            const auto found = days.find(code);
            row.values.push_back(found == days.end() ? 0.0 : valueOf(component, found->second));
        }
        _rows.push_back(std::move(row));
    }
    if (_rows.empty())
        _hasData = false;
}

QStringList NutrientChart::_dayLabels() const
{
    QStringList labels;
    for (QDate day = _start; day <= _end; day = day.addDays(1))
        labels << DisplayDate::text(day, _start.daysTo(_end) < 7 ? QStringLiteral("d MMM")
                                                                     : QStringLiteral("d"));
    return labels;
}

void NutrientChart::populate(QChart* chart)
{
    delete _milligramChart;
    _milligramChart = nullptr;
    if (_rows.empty())
        return;
    const bool lowerBand = _count(Grams) + _count(Energy) > 0;
    if (!lowerBand) {
        _addBand(chart, Milligrams, Milligrams);
        return;
    }
    _addBand(chart, Grams, Energy);
    if (_count(Milligrams) == 0)
        return;
    _milligramChart = newChart();
    _milligramChart->legend()->hide();
    _milligramChart->setBackgroundVisible(false);
    _milligramChart->setPlotAreaBackgroundBrush(ChartParams::plotAreaColour());
    _milligramChart->setPlotAreaBackgroundVisible(true);
    _milligramChart->setZValue(1);
    chart->scene()->addItem(_milligramChart);
    // The title heads the upper band.
    _milligramChart->setTitle(chart->title());
    chart->setTitle(QString());
    _addBand(_milligramChart, Milligrams, Milligrams);
}

// One band of bars, all series side by side in each day: those of `first` measured on the
// left axis, those of `second` (when another axis) on the right. Qt Charts lays out the sets
// of one series side by side, so the band is one series on the left axis and the right
// axis' values are drawn to the left axis' scale; both axes start at 0, so their labels agree.
void NutrientChart::_addBand(QChart* chart, Axis first, Axis second)
{
    double most[] = {0.0, 0.0};
    for (const Row& row : _rows) {
        const int side = row.axis == first ? 0 : (row.axis == second ? 1 : -1);
        for (double value : row.values) {
            if (side >= 0)
                most[side] = std::max(most[side], value);
        }
    }
    // Two sides with bars in as many steps, so that their ticks share the grid lines.
    const int sideCount = first == second ? 1 : 2;
    AxisScale scales[] = {AxisScale::covering(0.0, most[0] > 0 ? most[0] : 1.0),
                          AxisScale::covering(0.0, most[1] > 0 ? most[1] : 1.0)};
    if (sideCount == 2 && most[0] > 0 && most[1] > 0) {
        const int steps = std::max(scales[0].steps(), scales[1].steps());
        scales[0] = scales[0].withSteps(steps);
        scales[1] = scales[1].withSteps(steps);
    }
    const double toLeft = scales[0].high() / scales[1].high();

    auto* series = new QBarSeries(chart);
    for (const Row& row : _rows) {
        if (row.axis != first && row.axis != second)
            continue;
        auto* set = new QBarSet(QString());
        set->setColor(colour(row.component));
        set->setBorderColor(colour(row.component).darker(150));
        for (double value : row.values)
            set->append(row.axis == first ? value : value * toLeft);
        series->append(set);
    }
    chart->addSeries(series);

    auto* bottom = new QBarCategoryAxis(chart);
    bottom->append(_dayLabels());
    bottom->setGridLineVisible(false);
    bottom->setLabelsFont(QFont(QStringLiteral("Helvetica"), 9));
    bottom->setLabelsColor(Qt::black);
    bottom->setLabelsVisible(chart == this->chart());
    bottom->setVisible(bottomAxisVisible());
    chart->addAxis(bottom, Qt::AlignBottom);
    series->attachAxis(bottom);

    const Axis sides[] = {first, second};
    const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignRight};
    for (int side = 0; side < sideCount; ++side) {
        const Axis axis = sides[side];
        const UnitCollection::UnitType unit = axis == Grams ? UnitCollection::Fat
            : axis == Energy ? UnitCollection::Energy : UnitCollection::Calcium;
        QValueAxis* values = valueAxis(chart, unit);
        chart->addAxis(values, alignments[side]);
        if (side == 0)
            series->attachAxis(values);
        scales[side].applyTo(values);
        values->setVisible(axis == Grams ? gramsAxisVisible()
                           : axis == Energy ? energyAxisVisible() : milligramsAxisVisible());
        values->setGridLineVisible(axis != Energy || _count(Grams) == 0);
    }
}

void NutrientChart::layoutCharts(const QRectF& area)
{
    chart()->setGeometry(area);
    if (!_milligramChart) {
        chart()->setMargins(QMargins(20, 20, 40, 20));
        return;
    }
    const double upper = area.height() * UpperBandShare;
    chart()->setMargins(QMargins(20, int(upper), 40, 20));
    _milligramChart->setGeometry(QRectF(area.left(), area.top(), area.width(), upper + 10));
    _milligramChart->setMargins(QMargins(20, 0, 40, 0));
    // Settled now, not at the next event: printing draws right after this.
    chart()->layout()->activate();
    _milligramChart->layout()->activate();
    _alignUpperBand();
    _milligramChart->layout()->activate();
}

// The upper band's plot area stands right above the lower one's: its margins are set from
// the space its own axis and frame take beside its plot area now.
void NutrientChart::_alignUpperBand()
{
    const QRectF lower = chart()->plotArea();
    const QRectF band = _milligramChart->plotArea();
    const QRectF outer = _milligramChart->geometry();
    if (lower.isEmpty() || band.isEmpty())
        return;
    const QMargins margins = _milligramChart->margins();
    const double leftSpace = band.left() - outer.left() - margins.left();
    const double rightSpace = outer.right() - margins.right() - band.right();
    QMargins aligned = margins;
    aligned.setLeft(std::max(0, qRound(lower.left() - outer.left() - leftSpace)));
    aligned.setRight(std::max(0, qRound(outer.right() - rightSpace - lower.right())));
    _milligramChart->setMargins(aligned);
}
