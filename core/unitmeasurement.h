#ifndef PANTREL_CORE_UNITMEASUREMENT_H
#define PANTREL_CORE_UNITMEASUREMENT_H

#include "core/unitdescriptor.h"

// Height and body measurements, held in centimetres and shown in centimetres or inches.
class UnitMeasurement : public UnitDescriptor {
public:
    enum Type { Centimetres = 0, Inches = 1 };

    static constexpr double CENTIMETRES_PER_INCH = 2.54;

    explicit UnitMeasurement(int type);

    double displayValue(double value) const override;
    QValidator* createValidator(QObject* parent) const override;
    double input(const QString& text) const override;

    // A height in whole feet and whole inches, the inches rounded to the nearest.
    static void metricToImperial(double centimetres, double& feet, double& inches);
    // Whole centimetres of a height in feet and inches (truncated).
    static void imperialToMetric(double feet, double inches, double& centimetres);

protected:
    int _type;
};

#endif
