#include "reports/chartparams.h"

#include <QChart>

ChartParams::ChartParams(const QString& title)
    : _title(title), _font(QStringLiteral("Helvetica"), 9)
{
}

ChartParams::~ChartParams() = default;

int ChartParams::round(double x)
{
    const int whole = int(x);
    return x - whole >= 0.5 ? whole + 1 : whole;
}

void ChartParams::apply(QChart* chart) const
{
    chart->setTitle(_title);
    chart->setPlotAreaBackgroundBrush(plotAreaColour());
    chart->setPlotAreaBackgroundVisible(true);
    chart->setBackgroundBrush(Qt::white);
    chart->setDropShadowEnabled(false);
    chart->legend()->hide();
}
