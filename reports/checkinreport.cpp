#include "reports/checkinreport.h"

#include "core/displaydate.h"
#include "reports/checkinreportdata.h"
#include "reports/reportdevicemetrics.h"
#include "reports/reportpage.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

QFontMetrics metricsFor(const QFont& font, QPaintDevice* device)
{
    return device ? QFontMetrics(font, device) : QFontMetrics(font);
}

int widest(const QFontMetrics& metrics, std::initializer_list<const char*> texts)
{
    int width = 0;
    for (const char* text : texts)
        width = std::max(width, metrics.horizontalAdvance(QString::fromLatin1(text)));
    return width;
}

} // namespace

CheckinReport::CheckinReport(ReportDeviceMetrics* metrics, const CheckinReportData* data)
    : _metrics(metrics), _data(data)
{
    _body = ReportPage::body(*metrics);
    QPaintDevice* device = ReportPage::measuringDevice(*metrics);
    _regular = metrics->getFontEquivalent(QStringLiteral("Arial"), 8, false, false);
    const QFontMetrics regular = metricsFor(_regular, device);
    _columnWidth = widest(regular, {"999.99 cm  ", "000.00 cm  ", "999.99 kg  ", "000.00 kg  "});
    _rowSpacing = regular.lineSpacing();
    _rowAscent = regular.ascent();
    _bold = metrics->getFontEquivalent(QStringLiteral("Arial"), 8, true, false);
    const QFontMetrics bold = metricsFor(_bold, device);
    _columnWidth = std::max(_columnWidth, widest(bold, {"Weight  ", "Chest  ", "Waist  ", "Hip  ",
                                                        "Thigh  ", "Steps  ", "Note  "}));
    _headingSpacing = bold.lineSpacing();
    _headingAscent = bold.ascent();
    // A body too short for the heading and one row still prints one row per page.
    _rowsPerPage = std::max(1, (_body.height() - 2 * _headingSpacing) / _rowSpacing);
}

int CheckinReport::getPageCount() const
{
    const int rows = int(_data->rows.size());
    return (rows + _rowsPerPage - 1) / _rowsPerPage;
}

void CheckinReport::draw(QPainter* painter, int page) const
{
    if (page < 0 || page >= getPageCount())
        return;
    painter->save();
    painter->setPen(Qt::black);
    painter->setFont(_bold);
    const int baseline = _body.top() + _headingAscent;
    painter->drawText(_body.left(), baseline, QCoreApplication::translate("CheckinReport", "Date"));
    const int x0 = _body.right() - int(_data->headings.size()) * _columnWidth;
    for (int column = 0; column < _data->headings.size(); ++column)
        painter->drawText(x0 + column * _columnWidth, baseline, _data->headings.at(column));
    _drawRows(painter, page);
    painter->restore();
}

// The rows of a page; the first row and every change of month name the month, and the
// days of the same month line up under the first day number.
void CheckinReport::_drawRows(QPainter* painter, int page) const
{
    painter->setFont(_regular);
    const QFontMetrics metrics = metricsFor(_regular, painter->device());
    const int x0 = _body.right() - int(_data->headings.size()) * _columnWidth;
    const int first = page * _rowsPerPage;
    const int last = std::min((page + 1) * _rowsPerPage, int(_data->rows.size())) - 1;
    int baseline = _body.top() + 2 * _headingSpacing + _rowAscent;
    int indent = 0;
    for (int row = first; row <= last; ++row, baseline += _rowSpacing) {
        const QDate date = _data->dates.at(row);
        const QString day = QString::number(date.day());
        const QDate previous = row == first ? QDate() : _data->dates.at(row - 1);
        if (row == first || date.month() != previous.month() || date.year() != previous.year()) {
            const QString text = DisplayDate::monthName(date.month()) + QLatin1Char(' ') + day;
            painter->drawText(_body.left(), baseline, text);
            indent = metrics.horizontalAdvance(text) - metrics.horizontalAdvance(day);
        } else {
            painter->drawText(_body.left() + indent, baseline, day);
        }
        const QStringList& texts = _data->rows.at(row);
        for (int column = 0; column < texts.size(); ++column)
            painter->drawText(x0 + column * _columnWidth, baseline, texts.at(column));
    }
}
