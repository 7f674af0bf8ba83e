#ifndef PANTREL_CATALOGUE_PROXYORVNUTRIENTS_H
#define PANTREL_CATALOGUE_PROXYORVNUTRIENTS_H

#include "catalogue/iorvnutrients.h"
#include "catalogue/proxybase.h"

// The nutrient set of a recipe of a recipe access program, seen from the system.
class ProxyOrvNutrients : public IOrvNutrients, public ProxyBase {
public:
    ProxyOrvNutrients(RecipeChannel* channel, quint32 objectId);

    qint32 QueryInterface(const GUID& iid, void** object) override;
    qint32 AddRef() override;
    qint32 Release() override;
    qint32 HasNutrient(int nutrient, short* has) override;
    qint32 GetNutrient(int nutrient, double* value) override;
};

#endif
