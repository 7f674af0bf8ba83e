#include "reports/stepchart.h"

#include "widgets/shownday.h"
#include "core/dateconversion.h"
#include "core/dbtypes.h"
#include "core/displaydate.h"
#include "reports/axisscale.h"
#include "reports/weightchart.h"
#include "userdb/userdb.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QValueAxis>

#include <algorithm>

StepChart::StepChart(QWidget* parent, const QString& title) : ReportsChart(title, parent)
{
}

void StepChart::setDateRange(const QDate& start, const QDate& end)
{
    QDate first = start;
    QDate last = end;
    WeightChart::widenToMonths(first, last);
    configure(first, last);
    viewport()->update();
}

void StepChart::configure(const QDate& start, const QDate& end)
{
    if (end < start)
        return;
    char from[DBTypes::DATE_CODE_SIZE];
    char to[DBTypes::DATE_CODE_SIZE];
    DateToCode4(start, from);
    DateToCode4(end, to);
    UserDB* users = UserDB::instance();
    // Inside a reading action (the viewer's or the print's): a reading that fails leaves the chart
    // as it was.
    const std::optional<UserDB::DatedValues> steps =
        users->getStepsList(ShownDay::instance()->user(), from, to, UserDB::StepsPerDay);
    if (!steps)
        return;
    _start = start;
    _end = end;
    _days.clear();
    for (const auto& [code, count] : *steps)
        _days.emplace_back(DateFromCode4(code.toLatin1().constData()), double(count));
    setParams(createDefaultParams());
}

void StepChart::populate(QChart* chart)
{
    if (_days.empty())
        return;
    auto* set = new QBarSet(tr("Steps"));
    set->setColor(QColor(228, 99, 108));
    set->setBorderColor(QColor(228, 99, 108));
    double most = 0.0;
    for (const auto& day : _days) {
        set->append(day.second);
        most = std::max(most, day.second);
    }
    auto* series = new QBarSeries(chart);
    series->append(set);
    series->setBarWidth(0.8);
    chart->addSeries(series);

    const QFont font(QStringLiteral("Helvetica"), 9);
    // Days up to a month, months beyond: never a label a day over a year.
    auto* bottom = new QCategoryAxis(chart);
    bottom->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    bottom->setGridLineVisible(false);
    bottom->setLabelsFont(font);
    bottom->setLabelsColor(Qt::black);
    bottom->setRange(-0.5, double(_days.size()) - 0.5);
    const bool byMonth = _days.size() > 31;
    for (size_t i = 0; i < _days.size(); ++i) {
        const QDate& day = _days[i].first;
        if (byMonth && day.day() != 1)
            continue;
        bottom->append(DisplayDate::text(day, byMonth ? QStringLiteral("MMM yy")
                                                           : QStringLiteral("d MMM")),
                       double(i));
    }
    auto* left = new QValueAxis(chart);
    left->setLabelsFont(font);
    left->setLabelsColor(Qt::black);
    AxisScale::covering(0.0, most > 0 ? most : 10.0).applyTo(left);
    QFont titleFont(QStringLiteral("Helvetica"), 12);
    titleFont.setItalic(true);
    left->setTitleFont(titleFont);
    left->setTitleText(tr("(Steps)"));
    chart->addAxis(bottom, Qt::AlignBottom);
    chart->addAxis(left, Qt::AlignLeft);
    series->attachAxis(bottom);
    series->attachAxis(left);
}
