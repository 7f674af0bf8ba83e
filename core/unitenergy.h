#ifndef PANTREL_CORE_UNITENERGY_H
#define PANTREL_CORE_UNITENERGY_H

#include "core/unitdescriptor.h"

// Energy, held in kilocalories and shown in kilocalories or kilojoules.
class UnitEnergy : public UnitDescriptor {
public:
    enum Type { Kilocalories = 0, Kilojoules = 1 };

    static constexpr double KILOJOULES_PER_KILOCALORIE = 4.18;

    explicit UnitEnergy(int type);
    // The type of a user's energy preference, which counts 0 as kilojoules and 1 as
    // kilocalories; kilocalories for a value that is neither.
    static int typeOfPreference(int energyUnits);

    QString nameInText() const override;
    double displayValue(double value) const override;
    QValidator* createValidator(QObject* parent) const override;
    double input(const QString& text) const override;

protected:
    int _type;
};

#endif
