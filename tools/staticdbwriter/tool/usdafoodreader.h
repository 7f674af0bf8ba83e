#ifndef PANTREL_TOOLS_STATICDBWRITER_USDAFOODREADER_H
#define PANTREL_TOOLS_STATICDBWRITER_USDAFOODREADER_H

#include "tools/staticdbwriter/tool/usdafood.h"

#include <optional>

class ZipReader;

// Reads the current foods of the nutrient data archive: the foods its foods.index lists,
// without the deprecated ones and without records that hold no nutrients.
class UsdaFoodReader {
public:
    static std::optional<std::vector<UsdaFood>> read(const ZipReader& archive, QString* error);

private:
    static std::optional<UsdaFood> _parseFood(const QByteArray& xml);
};

#endif
