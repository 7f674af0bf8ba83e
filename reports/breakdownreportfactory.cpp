#include "reports/breakdownreportfactory.h"

#include "widgets/shownday.h"
#include "core/displaydate.h"
#include "reports/breakdownchart.h"
#include "reports/breakdownreport.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"

namespace {

bool hasEntries(const QDate& date)
{
    return !DiaryDB::instance()
                ->getDay(ShownDay::instance()->user(),
                         date.toString(QStringLiteral("yyyyMMdd")).toLatin1().constData(), false)
                .value_or(DBTypes::DiaryDay())
                .empty();
}

} // namespace

BreakdownReportFactory::BreakdownReportFactory(QDate first, QDate last, int chartsPerPage,
                                               bool omitEmpty, WorkProgress* progress)
{
    _data.chartsPerPage = chartsPerPage;
    int position = 0;
    for (QDate date = first; date <= last; date = date.addDays(1)) {
        if (progress && !progress->advance(first.daysTo(date), first.daysTo(last) + 1))
            return;
        if (omitEmpty && !hasEntries(date))
            continue;
        if (position == 0)
            _data.pages.emplace_back();
        _data.pages.back().push_back(date);
        position = (position + 1) % chartsPerPage;
        auto chart = std::make_unique<BreakdownChart>(
            nullptr, QObject::tr("Energy breakdown for %1").arg(DisplayDate::textDate(date)), false);
        chart->setDateRange(date, date, 0);
        _data.charts.emplace(date, std::move(chart));
    }
}

BreakdownReportFactory::~BreakdownReportFactory() = default;

Report* BreakdownReportFactory::getReport(ReportDeviceMetrics* metrics)
{
    return new BreakdownReport(metrics, &_data);
}
