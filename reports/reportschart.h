#pragma once

#include "reports/chartparams.h"
#include "reports/reportfactory.h"

#include <QGraphicsView>
#include <memory>

class QChart;
class QGraphicsScene;

// A chart on screen that is also a report factory, so that what is shown can be printed: a
// view of its own scene holding the chart. Its parameters describe the chart; every new set
// draws a fresh chart.
class ReportsChart : public QGraphicsView, public ReportFactory
{
    Q_OBJECT

public:
    explicit ReportsChart(const QString& title = QString(), QWidget* parent = nullptr);
    ~ReportsChart() override;

    const QString& title() const { return _title; }
    // The title of the parameter sets made from now on.
    void setTitle(const QString& title) { _title = title; }

    // Keeps `params` (deleting the set held before) and draws the chart anew from it.
    void setParams(std::unique_ptr<ChartParams> params);
    const ChartParams* params() const { return _params.get(); }
    // The house style with the title, and nothing drawn.
    std::unique_ptr<ChartParams> createDefaultParams() const;

    QChart* chart() const { return _chart; }

    // ReportFactory: a one-page report drawing this chart; the chart must outlive it.
    Report* getReport(ReportDeviceMetrics* metrics) override;
    bool preferLandscape() const override { return true; }

    // Draws the chart into `rect` of the painter, laid out for that size.
    virtual void print(QPainter* painter, const QRect& rect);

protected:
    // A new chart drawn at once, whose axes write their figures in the user's locale.
    static QChart* newChart();
    // Adds what the chart shows beyond its parameters; called on every fresh chart.
    virtual void populate(QChart* chart);
    // Places the scene's charts over `area`; the base gives it all to the chart.
    virtual void layoutCharts(const QRectF& area);

    void resizeEvent(QResizeEvent* event) override;

private:
    void _layOutForView();

    QString _title;
    QGraphicsScene* _scene;
    QChart* _chart = nullptr;
    std::unique_ptr<ChartParams> _params;
};
