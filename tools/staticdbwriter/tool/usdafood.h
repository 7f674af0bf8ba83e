#ifndef PANTREL_TOOLS_STATICDBWRITER_USDAFOOD_H
#define PANTREL_TOOLS_STATICDBWRITER_USDAFOOD_H

#include <QString>

#include <map>
#include <vector>

// One food of the nutrient data: its food number, name, the values per 100 g of the
// nutrients the catalogue keeps (by record slot) and its household measures.
struct UsdaFood {
    struct Measure {
        QString name;
        double amount = 0.0;
        double grams = 0.0;
    };

    int number = 0;
    QString name;
    std::map<int, float> nutrients;
    std::vector<Measure> measures;

    // The food group of the number's first two digits.
    int numberPrefix() const { return number / 1000; }
};

#endif
