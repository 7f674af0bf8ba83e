#ifndef PANTREL_CORE_UNITWEIGHT_H
#define PANTREL_CORE_UNITWEIGHT_H

#include "core/unitdescriptor.h"

// Body weight, held in kilograms and shown in kilograms or pounds.
class UnitWeight : public UnitDescriptor {
public:
    enum Type { Kilograms = 0, Pounds = 1 };

    static constexpr double KILOGRAMS_PER_POUND = 0.4535924;

    explicit UnitWeight(int type);

    double displayValue(double value) const override;
    QValidator* createValidator(QObject* parent) const override;
    double input(const QString& text) const override;

    static double metricToImperial(double kilograms);
    static double imperialToMetric(double pounds);

protected:
    int _type;
};

#endif
