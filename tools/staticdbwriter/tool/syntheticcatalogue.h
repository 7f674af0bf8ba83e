#ifndef PANTREL_TOOLS_STATICDBWRITER_TOOL_SYNTHETICCATALOGUE_H
#define PANTREL_TOOLS_STATICDBWRITER_TOOL_SYNTHETICCATALOGUE_H

#include "tools/staticdbwriter/cataloguenode.h"

#include <QString>

#include <map>
#include <optional>

class StaticDB;

// A food tree of any size for measuring the catalogue: copies of a built catalogue's food
// tree, each below a category of its own, until the number of foods asked for is reached.
// Every copy gets fresh ids; names, weights, flags and records stay those of the original
// (a ranking group names the copy of its category), so searches find as much in each copy
// as in the original.
class SyntheticCatalogue {
public:
    // None, with a message in error, when the tree holds no foods or count is out of range.
    static std::optional<CatalogueNode> build(const StaticDB& foods, int count, QString* error);

private:
    SyntheticCatalogue(const StaticDB& foods, int count);

    // Copies the category at index, with fresh ids, until the count is reached.
    CatalogueNode _copyCategory(size_t index);
    // The record of the food at index, its ranking group moved to the copy being made.
    QByteArray _record(size_t index);

    const StaticDB& _foods;
    int _remaining;
    quint32 _nextItemId = 1;
    quint32 _nextCategoryId = CATEGORY_ID_BASE;
    std::vector<QByteArray> _records;
    // The categories of the copy being made: original id to copy id.
    std::map<quint32, quint32> _copies;

    static constexpr quint32 CATEGORY_ID_BASE = 0x800000;
};

#endif
