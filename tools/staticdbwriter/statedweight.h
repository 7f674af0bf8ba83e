#ifndef PANTREL_TOOLS_STATICDBWRITER_STATEDWEIGHT_H
#define PANTREL_TOOLS_STATICDBWRITER_STATEDWEIGHT_H

#include <QString>

#include <optional>

// The weight that a serving's name states for the serving itself, as the nutrient data writes
// its measures: "oz", "lb rump", "package (5 oz)", "bar 1.5 oz", "pack (1-1/2 lb)",
// "cracker 1 cracker = 5g". A weight that names what the serving comes from ("yield from 1 lb
// raw meat", "1/12 of 12 oz cake", "15 per 8 oz package", "weighing 190 g") is not the
// serving's, and "8 fl oz" is a volume.
class StatedWeight {
public:
    // In grams; none when the name states no weight of the serving.
    static std::optional<double> grams(const QString& name);
    // Whether a weight is the stated one: off by at most a quarter of it.
    static bool agrees(double grams, double stated);
};

#endif
