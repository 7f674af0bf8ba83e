#include "reports/weightchart.h"

#include "widgets/shownday.h"
#include "core/dateconversion.h"
#include "core/dbtypes.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "reports/linegraphparams.h"
#include "userdb/userdb.h"

namespace {

// A look-up's answer that names no weighing: -1 from the next-weight search, 0 from the
// carried-forward weight of a user never weighed.
bool isWeight(float value)
{
    return value > 0.005f;
}

QDateTime atTime(const QString& code, int hour)
{
    return QDateTime(DateFromCode4(code.toLatin1().constData()), QTime(hour, 0));
}

} // namespace

WeightChart::WeightChart(QWidget* parent, const QString& title) : ReportsChart(title, parent)
{
}

const LineGraphParams* WeightChart::lineParams() const
{
    return dynamic_cast<const LineGraphParams*>(params());
}

void WeightChart::widenToMonths(QDate& start, QDate& end)
{
    if (start.daysTo(end) <= 30)
        return;
    start = QDate(start.year(), start.month(), 1);
    end = QDate(end.year(), end.month(), end.daysInMonth());
}

void WeightChart::setDateRange(const QDate& start, const QDate& end)
{
    QDate first = start;
    QDate last = end;
    widenToMonths(first, last);
    configure(first, last);
    viewport()->update();
}

void WeightChart::configure(const QDate& start, const QDate& end)
{
    if (end < start)
        return;
    const UnitDescriptor* unit = UnitCollection::instance()->get(UnitCollection::Weight);
    auto params = std::make_unique<LineGraphParams>(title(), unit->printUnits());
    const bool boxes = start.daysTo(end) < 27;
    UserDB* users = UserDB::instance();
    const qint64 user = ShownDay::instance()->user();

    char from[DBTypes::DATE_CODE_SIZE];
    char to[DBTypes::DATE_CODE_SIZE];
    DateToCode4(start, from);
    DateToCode4(end, to);
    // Inside a reading action (the viewer's or the print's): a reading that fails leaves the chart
    // as it was.
    const std::optional<UserDB::DatedValues> weights = users->getWeightList(user, from, to);
    if (!weights)
        return;
    const int count = int(weights->size());
    params->setColumns(count + 2);

    char edge[DBTypes::DATE_CODE_SIZE];
    DateToCode4(start.addDays(-1), edge);
    std::optional<float> first = users->getNextWeight(user, edge, false);
    bool firstLooksForward = false;
    if (first && !isWeight(*first)) {
        DateToCode4(start.addDays(-1), edge);
        first = users->getNextWeight(user, edge, true);
        firstLooksForward = true;
    }
    if (!first)
        return;
    if (isWeight(*first))
        params->setFirstValue(unit->displayValue(*first), start, boxes, firstLooksForward);

    for (int i = 0; i < count; ++i) {
        params->setValueAtPos(i + 1, unit->displayValue(weights->at(i).second),
                              atTime(weights->at(i).first, 12), boxes, false);
    }

    DateToCode4(end, edge);
    std::optional<float> last = users->getNextWeight(user, edge, true);
    if (last && !isWeight(*last)) {
        bool exact = false;
        DateToCode4(end, edge);
        last = users->getWeight(user, edge, &exact);
    }
    if (!last)
        return;
    if (isWeight(*last))
        params->setLastValue(count + 1, unit->displayValue(*last), end);
    _start = start;
    _end = end;
    setParams(std::move(params));
}
