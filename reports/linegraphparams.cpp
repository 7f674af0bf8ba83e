#include "reports/linegraphparams.h"

#include "core/clock.h"
#include "core/displaydate.h"
#include "core/numberparser.h"
#include "reports/axisscale.h"

#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>

namespace {

constexpr int EveryDayUpTo = 10;
constexpr int EveryOtherDayUpTo = 20;
constexpr int WeeklyUpTo = 62;
constexpr int TwiceMonthlyUpTo = 186;

double atNoon(const QDate& day)
{
    return double(QDateTime(day, QTime(12, 0)).toMSecsSinceEpoch());
}

// Days a step apart, counted back from the last so that it is always labelled.
void addDaysApart(QCategoryAxis* axis, const QDate& first, const QDate& last, int step)
{
    std::vector<QDate> days;
    for (QDate day = last; day >= first; day = day.addDays(-step))
        days.insert(days.begin(), day);
    for (const QDate& day : days)
        axis->append(DisplayDate::text(day, QStringLiteral("d MMM")), atNoon(day));
}

// The 1st and the 15th of each month, or the 1st of every other month counted back from the
// last month; month labels carry the year, as a year's span holds one month twice.
void addMonthDays(QCategoryAxis* axis, const QDate& first, const QDate& last, bool twiceMonthly)
{
    std::vector<QDate> days;
    if (twiceMonthly) {
        for (QDate month(first.year(), first.month(), 1); month <= last; month = month.addMonths(1)) {
            for (const QDate& day : {month, month.addDays(14)}) {
                if (day >= first && day <= last)
                    days.push_back(day);
            }
        }
    } else {
        for (QDate month(last.year(), last.month(), 1); month >= first; month = month.addMonths(-2))
            days.insert(days.begin(), month);
    }
    const QString format = twiceMonthly ? QStringLiteral("d MMM") : QStringLiteral("MMM yyyy");
    for (const QDate& day : days)
        axis->append(DisplayDate::text(day, format), atNoon(day));
}

// Labelled ticks over whole days, at noon where each day's weighing stands: every day of a
// week, then steps that keep the labels apart as the span grows.
void addDayTicks(QCategoryAxis* axis, const QDateTime& from, const QDateTime& to)
{
    axis->setStartValue(double(from.toMSecsSinceEpoch()) - 1.0);
    const QDate first = from.time() <= QTime(12, 0) ? from.date() : from.date().addDays(1);
    const QDate last = to.time() >= QTime(12, 0) ? to.date() : to.date().addDays(-1);
    const qint64 days = first.daysTo(last) + 1;
    if (days <= WeeklyUpTo) {
        const int step = days <= EveryDayUpTo ? 1 : days <= EveryOtherDayUpTo ? 2 : 7;
        addDaysApart(axis, first, last, step);
    } else {
        addMonthDays(axis, first, last, days <= TwiceMonthlyUpTo);
    }
}

} // namespace

LineGraphParams::LineGraphParams(const QString& title, const QString& units)
    : ChartParams(title), _units(units), _today(Clock::today())
{
}

void LineGraphParams::setColumns(int columns)
{
    _cells.assign(size_t(std::max(columns, 0)), Cell());
}

void LineGraphParams::setValueAtPos(int pos, double value, const QDateTime& time, bool showValue,
                                    bool future)
{
    if (pos < 0 || pos >= columns())
        return;
    Cell& cell = _cells[size_t(pos)];
    cell.value = value;
    cell.time = time;
    cell.set = true;
    cell.box = showValue && pos > 0 && pos < columns() - 1 ? NumberParser::write(value, 2)
                                                           : QString();
    cell.future = future || time.date() > _today;
}

void LineGraphParams::setValueAtPos(int pos, double value, const QDate& date, bool showValue)
{
    setValueAtPos(pos, value, QDateTime(date, QTime(12, 0)), showValue, false);
}

void LineGraphParams::setFirstValue(double value, const QDate& date, bool showValue, bool future)
{
    setValueAtPos(0, value, QDateTime(date, QTime(0, 0)), showValue, future);
}

void LineGraphParams::setLastValue(int pos, double value, const QDate& date)
{
    setValueAtPos(pos, value, QDateTime(date, QTime(23, 59)), false, false);
}

void LineGraphParams::_addPoint(std::vector<Run>& runs, const QDateTime& time, double value,
                                bool dotted) const
{
    if (runs.empty() || runs.back().dotted != dotted) {
        Run run;
        run.dotted = dotted;
        // A new style starts where the last one ended, so the line stays joined.
        if (!runs.empty())
            run.points.push_back(runs.back().points.back());
        runs.push_back(run);
    }
    runs.back().points.emplace_back(time, value);
}

std::vector<LineGraphParams::Run> LineGraphParams::runs() const
{
    std::vector<const Cell*> points;
    for (const Cell& cell : _cells) {
        if (cell.set)
            points.push_back(&cell);
    }
    std::vector<Run> result;
    if (points.size() < 2)
        return result;
    const QDateTime todayStarts(_today, QTime(0, 0));
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const Cell& a = *points[i];
        const Cell& b = *points[i + 1];
        // A first point found by looking forward is no weighing of that time: its segment is
        // drawn dotted whole.
        const bool wholeDotted = i == 0 && a.future && a.time < todayStarts;
        if (wholeDotted || a.time >= todayStarts) {
            _addPoint(result, a.time, a.value, true);
            _addPoint(result, b.time, b.value, true);
            continue;
        }
        _addPoint(result, a.time, a.value, false);
        if (b.time <= todayStarts) {
            _addPoint(result, b.time, b.value, false);
            continue;
        }
        const double span = double(a.time.msecsTo(b.time));
        const double share = span > 0 ? double(a.time.msecsTo(todayStarts)) / span : 0.0;
        const double atSplit = a.value + (b.value - a.value) * share;
        _addPoint(result, todayStarts, atSplit, false);
        _addPoint(result, b.time, b.value, true);
    }
    return result;
}

void LineGraphParams::apply(QChart* chart) const
{
    ChartParams::apply(chart);
    auto* xAxis = new QCategoryAxis(chart);
    xAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    xAxis->setGridLineVisible(false);
    xAxis->setLabelsFont(_font);
    xAxis->setLabelsColor(Qt::black);
    auto* yAxis = new QValueAxis(chart);
    yAxis->setLabelsFont(_font);
    yAxis->setLabelsColor(Qt::black);
    QFont titleFont(QStringLiteral("Helvetica"), 12);
    titleFont.setItalic(true);
    yAxis->setTitleFont(titleFont);
    yAxis->setTitleText(QLatin1Char('(') + _units + QLatin1Char(')'));
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);

    double low = 0.0;
    double high = 0.0;
    bool any = false;
    for (const Run& run : runs()) {
        auto* series = new QLineSeries(chart);
        QPen pen(QColor(0, 0, 139), 2, run.dotted ? Qt::DotLine : Qt::SolidLine);
        series->setPen(pen);
        for (const auto& [time, value] : run.points) {
            series->append(double(time.toMSecsSinceEpoch()), value);
            low = any ? std::min(low, value) : value;
            high = any ? std::max(high, value) : value;
            any = true;
        }
        chart->addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
    }
    _addValueBoxes(chart, xAxis, yAxis);
    if (!any)
        return;
    const auto first = std::find_if(_cells.cbegin(), _cells.cend(), [](const Cell& c) { return c.set; });
    const auto last = std::find_if(_cells.crbegin(), _cells.crend(), [](const Cell& c) { return c.set; });
    xAxis->setRange(double(first->time.toMSecsSinceEpoch()), double(last->time.toMSecsSinceEpoch()));
    addDayTicks(xAxis, first->time, last->time);
    const double pad = std::max(0.5, (high - low) * 0.1);
    AxisScale::covering(low - pad, high + pad).applyTo(yAxis);
}

// Each box is a point of its own whose label is the box's text, so Qt Charts keeps it at its
// place whatever the chart's size.
void LineGraphParams::_addValueBoxes(QChart* chart, QAbstractAxis* xAxis, QAbstractAxis* yAxis) const
{
    QFont boxFont(QStringLiteral("Helvetica"), 8);
    for (const Cell& cell : _cells) {
        if (!cell.set || cell.box.isEmpty())
            continue;
        auto* box = new QScatterSeries(chart);
        box->setMarkerSize(1.0);
        box->setColor(Qt::transparent);
        box->setBorderColor(Qt::transparent);
        box->append(double(cell.time.toMSecsSinceEpoch()), cell.value);
        box->setPointLabelsFormat(cell.box);
        box->setPointLabelsFont(boxFont);
        box->setPointLabelsColor(QColor(0, 0, 139));
        box->setPointLabelsClipping(false);
        box->setPointLabelsVisible(true);
        chart->addSeries(box);
        box->attachAxis(xAxis);
        box->attachAxis(yAxis);
    }
}
