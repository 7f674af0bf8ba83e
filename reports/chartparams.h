#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QChart;

// The house style of every chart: the title as header, a light blue plot area and axis
// labels in Helvetica 9, black. Subclasses add the series they describe and apply them to a
// chart in one go.
class ChartParams
{
public:
    explicit ChartParams(const QString& title = QString());
    virtual ~ChartParams();

    // The integer part of x (towards zero), plus 1 when the rest is at least 0.5.
    static int round(double x);

    const QString& title() const { return _title; }
    const QFont& font() const { return _font; }
    static QColor plotAreaColour() { return QColor(222, 223, 253); }

    // Styles the chart; subclasses then add their series, axes and boxes.
    virtual void apply(QChart* chart) const;

protected:
    QString _title;
    QFont _font;
};
