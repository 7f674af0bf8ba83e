#include "reports/breakdownparams.h"

#include "reports/energyshares.h"

#include <QChart>
#include <QCoreApplication>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLegendMarker>
#include <QPieSeries>
#include <QPieSlice>

namespace {

const QColor FatColour(251, 134, 121);
const QColor ProteinColour(183, 250, 160);
const QColor CarbohydrateColour(169, 190, 241);

} // namespace

BreakdownParams::BreakdownParams(const QString& title, bool compact)
    : ChartParams(title), _compact(compact)
{
}

int BreakdownParams::calAngle(double fat, double protein, double carbohydrate)
{
    if (protein >= 50)
        return fat <= 15 ? 270 : (carbohydrate > 15 ? 90 : 270);
    return fat >= 50 || carbohydrate >= 50 ? 90 : 270;
}

void BreakdownParams::setValues(double fat, double protein, double carbohydrate)
{
    const EnergyShares shares(fat, protein, carbohydrate);
    _fat = shares.fat();
    _protein = shares.protein();
    _carbohydrate = shares.carbohydrate();
    _hasData = !shares.isEmpty();
    if (_hasData)
        _angle = ((calAngle(_fat, _protein, _carbohydrate) % 360) + 360) % 360;
}

QString BreakdownParams::noDataText()
{
    return QCoreApplication::translate("BreakdownParams", "No data for this period");
}

QStringList BreakdownParams::legendTexts() const
{
    if (_compact || !_hasData)
        return {};
    const auto share = [](const char* text, int percent) {
        return QCoreApplication::translate("BreakdownParams", text).arg(percent);
    };
    return {share(QT_TRANSLATE_NOOP("BreakdownParams", "%1% Fat"), _fat),
            share(QT_TRANSLATE_NOOP("BreakdownParams", "%1% Protein"), _protein),
            share(QT_TRANSLATE_NOOP("BreakdownParams", "%1% Carbohydrate"), _carbohydrate)};
}

void BreakdownParams::apply(QChart* chart) const
{
    ChartParams::apply(chart);
    chart->setPlotAreaBackgroundVisible(false);
    if (!_hasData) {
        auto* text = new QGraphicsSimpleTextItem(noDataText(), chart);
        text->setFont(QFont(QStringLiteral("Helvetica"), 14));
        text->setBrush(QColor(0, 0, 139));
        QObject::connect(chart, &QChart::plotAreaChanged, chart, [text](const QRectF& area) {
            text->setPos(area.center() - text->boundingRect().center());
        });
        return;
    }
    auto* series = new QPieSeries(chart);
    series->setPieStartAngle(_angle);
    series->setPieEndAngle(_angle + 360);
    const QStringList texts = legendTexts();
    const int values[] = {_fat, _protein, _carbohydrate};
    const QColor colours[] = {FatColour, ProteinColour, CarbohydrateColour};
    for (int i = 0; i < 3; ++i) {
        QPieSlice* slice = series->append(texts.value(i), values[i]);
        slice->setBrush(colours[i]);
        slice->setPen(QPen(Qt::black, 1));
    }
    chart->addSeries(series);
    if (texts.isEmpty())
        return;
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setFont(QFont(QStringLiteral("Arial"), 12));
}
