#include "reports/breakdownreport.h"

#include "reports/breakdownchart.h"
#include "reports/breakdownreportdata.h"
#include "reports/reportdevicemetrics.h"

BreakdownReport::BreakdownReport(ReportDeviceMetrics* metrics, const BreakdownReportData* data)
    : _metrics(metrics), _data(data)
{
    for (int position = 0; position < data->chartsPerPage; ++position)
        _places.push_back(_calPoints(position));
}

int BreakdownReport::getPageCount() const
{
    return int(_data->pages.size());
}

QRect BreakdownReport::_calPoints(int position) const
{
    const QSize size = _metrics->size();
    const QSize real = _metrics->realSize();
    const int mh = real.width() > 0 ? size.width() * 20 / real.width() : 0;
    const int mv = real.height() > 0 ? size.height() * 20 / real.height() : 0;
    QRect body = QRect(QPoint(0, 0), size).adjusted(mh, mv, -mh, -mv);
    switch (_data->chartsPerPage) {
    case 1:
        return body;
    case 2:
        body.setHeight(body.height() / 2);
        return body.translated(0, position * body.height());
    default:
        body.setWidth(body.width() / 2);
        body.setHeight(body.height() / 3);
        return body.translated(position % 2 * body.width(), position / 2 * body.height());
    }
}

void BreakdownReport::draw(QPainter* painter, int page) const
{
    if (page < 0 || page >= getPageCount())
        return;
    const std::vector<QDate>& dates = _data->pages[size_t(page)];
    for (size_t j = 0; j < dates.size(); ++j)
        _data->chart(dates[j])->print(painter, _places[j]);
}
