#include "tools/staticdbwriter/tool/usdafoodreader.h"

#include "tools/staticdbwriter/foodrecord.h"
#include "tools/staticdbwriter/tool/zipreader.h"

#include <QSet>
#include <QXmlStreamReader>

namespace {

const QString FOLDER = QStringLiteral("usda_sr24/");

// The data's nutrient names and the record slot that keeps each.
const std::map<QString, int>& nutrientSlots()
{
    static const std::map<QString, int> byName = {
        {QStringLiteral("Energy"), FoodRecord::ENERGY},
        {QStringLiteral("Carbs"), FoodRecord::CARBS},
        {QStringLiteral("Fat"), FoodRecord::FAT},
        {QStringLiteral("Protein"), FoodRecord::PROTEIN},
        {QStringLiteral("Fiber"), FoodRecord::FIBER},
        {QStringLiteral("Calcium"), FoodRecord::CALCIUM},
        {QStringLiteral("Sodium"), FoodRecord::SODIUM},
        {QStringLiteral("Saturated"), FoodRecord::SATURATED_FAT},
        {QStringLiteral("Cholesterol"), FoodRecord::CHOLESTEROL},
        {QStringLiteral("Sugars"), FoodRecord::SUGAR},
    };
    return byName;
}

// The food numbers of an index file, one "number|name" line each.
QStringList indexNumbers(const QByteArray& index)
{
    QStringList numbers;
    for (const QByteArray& line : index.split('\n')) {
        const qsizetype bar = line.indexOf('|');
        if (bar > 0)
            numbers << QString::fromLatin1(line.left(bar)).trimmed();
    }
    return numbers;
}

} // namespace

std::optional<std::vector<UsdaFood>> UsdaFoodReader::read(const ZipReader& archive, QString* error)
{
    const std::optional<QByteArray> index = archive.read(FOLDER + QStringLiteral("foods.index"));
    if (!index) {
        *error = QStringLiteral("The nutrient data has no readable %1foods.index").arg(FOLDER);
        return std::nullopt;
    }
    const std::optional<QByteArray> deprecatedIndex = archive.read(FOLDER + QStringLiteral("deprecated.index"));
    const QStringList deprecatedList = deprecatedIndex ? indexNumbers(*deprecatedIndex) : QStringList();
    const QSet<QString> deprecated(deprecatedList.begin(), deprecatedList.end());

    std::vector<UsdaFood> foods;
    for (const QString& number : indexNumbers(*index)) {
        if (deprecated.contains(number))
            continue;
        const std::optional<QByteArray> xml = archive.read(FOLDER + number + QStringLiteral(".xml"));
        if (!xml)
            continue;
        std::optional<UsdaFood> food = _parseFood(*xml);
        if (food && !food->nutrients.empty() && !food->name.isEmpty())
            foods.push_back(*food);
    }
    return foods;
}

std::optional<UsdaFood> UsdaFoodReader::_parseFood(const QByteArray& xml)
{
    UsdaFood food;
    QXmlStreamReader reader(xml);
    while (reader.readNextStartElement()) {
        const QXmlStreamAttributes attributes = reader.attributes();
        if (reader.name() == QLatin1String("food")) {
            bool ok = false;
            food.number = attributes.value(QLatin1String("uid")).toInt(&ok);
            if (!ok)
                return std::nullopt;
            food.name = attributes.value(QLatin1String("name")).toString().simplified();
            continue;
        }
        if (reader.name() == QLatin1String("measure")) {
            food.measures.push_back({attributes.value(QLatin1String("name")).toString().simplified(),
                                     attributes.value(QLatin1String("amount")).toDouble(),
                                     attributes.value(QLatin1String("grams")).toDouble()});
        } else if (reader.name() == QLatin1String("nutrient")) {
            const auto slot = nutrientSlots().find(attributes.value(QLatin1String("name")).toString());
            bool ok = false;
            const float amount = attributes.value(QLatin1String("amount")).toFloat(&ok);
            if (slot != nutrientSlots().end() && ok)
                food.nutrients[slot->second] = amount;
        }
        reader.skipCurrentElement();
    }
    if (reader.hasError() || food.number <= 0)
        return std::nullopt;
    return food;
}
