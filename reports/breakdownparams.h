#pragma once

#include "reports/chartparams.h"

#include <QStringList>

// The pie of the energy from fat, protein and carbohydrate. The compact form (the summary
// report's section charts) has no legend.
class BreakdownParams : public ChartParams
{
public:
    BreakdownParams(const QString& title, bool compact);

    // Takes the three shares of energy in percent, rounded as EnergyShares rounds them. All
    // three 0: no slices, and the chart says so.
    void setValues(double fat, double protein, double carbohydrate);
    // 90 or 270: where the pie starts, so that the small slices stay readable.
    static int calAngle(double fat, double protein, double carbohydrate);

    bool compact() const { return _compact; }
    bool hasData() const { return _hasData; }
    int fat() const { return _fat; }
    int protein() const { return _protein; }
    int carbohydrate() const { return _carbohydrate; }
    int startAngle() const { return _angle; }
    // The legend's three texts; none in the compact form or without data.
    QStringList legendTexts() const;
    static QString noDataText();

    void apply(QChart* chart) const override;

private:
    bool _compact;
    bool _hasData = false;
    int _fat = 0;
    int _protein = 0;
    int _carbohydrate = 0;
    int _angle = 90;
};
