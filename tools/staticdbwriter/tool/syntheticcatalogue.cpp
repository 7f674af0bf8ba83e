#include "tools/staticdbwriter/tool/syntheticcatalogue.h"

#include "catalogue/staticdb.h"
#include "tools/staticdbwriter/foodrecord.h"

#include <QtEndian>

#include <algorithm>

namespace {

// Item ids stay below the category ids; the file keeps 24 bits of an id.
constexpr int MAX_FOODS = 0x7FFFFF;

constexpr unsigned char STORED_FLAGS =
    FLAG_NON_MATCHABLE | FLAG_GENERIC | FLAG_GENERIC_PARENT | FLAG_EDITABLE;

} // namespace

std::optional<CatalogueNode> SyntheticCatalogue::build(const StaticDB& foods, int count, QString* error)
{
    const std::vector<unsigned char>& flags = foods.getFlags();
    const bool hasFoods = std::any_of(flags.begin(), flags.end(),
                                      [](unsigned char f) { return !(f & FLAG_CATEGORY); });
    if (!hasFoods || count < 1 || count > MAX_FOODS) {
        *error = QStringLiteral("a synthetic catalogue needs a catalogue with foods and 1 to %1 foods")
                     .arg(MAX_FOODS);
        return std::nullopt;
    }
    SyntheticCatalogue builder(foods, count);
    const size_t root = foods.getItems().size() - 1;
    CatalogueNode tree = CatalogueNode::makeCategory(0, "Foods");
    for (int copy = 1; builder._remaining > 0; ++copy) {
        builder._copies.clear();
        CatalogueNode set = builder._copyCategory(root);
        set.name = "Set " + QByteArray::number(copy);
        set.flags |= FLAG_NON_MATCHABLE;
        tree.children.push_back(std::move(set));
    }
    return tree;
}

SyntheticCatalogue::SyntheticCatalogue(const StaticDB& foods, int count)
    : _foods(foods), _remaining(count), _records(foods.getItems().size())
{
}

CatalogueNode SyntheticCatalogue::_copyCategory(size_t index)
{
    const std::vector<BrowsableDBItem>& items = _foods.getItems();
    const BrowsableDBItem& category = items[index];
    CatalogueNode copy = CatalogueNode::makeCategory(_nextCategoryId++, category.name,
                                                     _foods.getFlags()[index] & STORED_FLAGS);
    _copies[category.id] = copy.id;
    const size_t end = size_t(category.firstChild) + size_t(category.childCount());
    for (size_t child = category.firstChild; child < end && _remaining > 0; ++child) {
        const unsigned char flags = _foods.getFlags()[child];
        if (flags & FLAG_CATEGORY) {
            copy.children.push_back(_copyCategory(child));
            continue;
        }
        copy.children.push_back(CatalogueNode::makeItem(_nextItemId++, items[child].name,
                                                        items[child].weight, _record(child),
                                                        flags & STORED_FLAGS));
        --_remaining;
    }
    return copy;
}

QByteArray SyntheticCatalogue::_record(size_t index)
{
    QByteArray& record = _records[index];
    if (record.isEmpty())
        record = FoodRecord::decode(_foods.getItems()[index].data, _foods.getMappingEnd()).value().encode();
    // The ranking group names a category of the same copy: an ancestor, copied already.
    const auto group = _copies.find(qFromBigEndian<quint32>(record.constData()));
    if (group == _copies.end())
        return record;
    QByteArray copy = record;
    qToBigEndian<quint32>(group->second, copy.data());
    return copy;
}
