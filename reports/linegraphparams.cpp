#include "reports/linegraphparams.h"

#include "core/clock.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>

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
    cell.box = showValue && pos > 0 && pos < columns() - 1 ? QString::asprintf("%0.2f", value)
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
    auto* xAxis = new QDateTimeAxis(chart);
    xAxis->setFormat(QStringLiteral("d MMM"));
    xAxis->setGridLineVisible(false);
    xAxis->setLabelsFont(_font);
    xAxis->setLabelsColor(Qt::black);
    auto* yAxis = new QValueAxis(chart);
    yAxis->setLabelsFont(_font);
    yAxis->setLabelsColor(Qt::black);
    yAxis->setMinorTickCount(0);
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
    xAxis->setRange(first->time, last->time);
    const double pad = std::max(0.5, (high - low) * 0.1);
    yAxis->setRange(low - pad, high + pad);
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
