#include "reports/reportschart.h"

#include "reports/reportschartreport.h"

#include <QChart>
#include <QGraphicsScene>
#include <QLocale>
#include <QPainter>
#include <QResizeEvent>

ReportsChart::ReportsChart(const QString& title, QWidget* parent)
    : QGraphicsView(parent), _title(title), _scene(new QGraphicsScene(this))
{
    setScene(_scene);
    setBackgroundBrush(Qt::white);
    setFrameShape(QFrame::NoFrame);
    setRenderHint(QPainter::Antialiasing);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMinimumSize(200, 150);
    setParams(createDefaultParams());
}

ReportsChart::~ReportsChart() = default;

std::unique_ptr<ChartParams> ReportsChart::createDefaultParams() const
{
    return std::make_unique<ChartParams>(_title);
}

void ReportsChart::setParams(std::unique_ptr<ChartParams> params)
{
    _params = std::move(params);
    delete _chart;
    _chart = newChart();
    _params->apply(_chart);
    _scene->addItem(_chart);
    populate(_chart);
    _layOutForView();
}

QChart* ReportsChart::newChart()
{
    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    // Tick figures as every other figure of the program: the locale's decimal separator and
    // no group separator.
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    chart->setLocale(locale);
    chart->setLocalizeNumbers(true);
    return chart;
}

void ReportsChart::populate(QChart*)
{
}

void ReportsChart::layoutCharts(const QRectF& area)
{
    _chart->setGeometry(area);
}

void ReportsChart::_layOutForView()
{
    const QRectF area(QPointF(0, 0), QSizeF(viewport()->size()));
    _scene->setSceneRect(area);
    layoutCharts(area);
}

void ReportsChart::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    _layOutForView();
}

Report* ReportsChart::getReport(ReportDeviceMetrics* metrics)
{
    return new ReportsChartReport(
        [this](QPainter* painter, const QRect& rect) { print(painter, rect); }, metrics);
}

void ReportsChart::print(QPainter* painter, const QRect& rect)
{
    const QRectF area(QPointF(0, 0), QSizeF(rect.size()));
    _scene->setSceneRect(area);
    layoutCharts(area);
    _scene->render(painter, QRectF(rect), area);
    _layOutForView();
}
