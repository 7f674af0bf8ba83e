#include "tools/staticdbwriter/cataloguenode.h"

#include "catalogue/browsabledbitem.h"

CatalogueNode CatalogueNode::makeCategory(quint32 id, const QByteArray& name, unsigned char flags)
{
    CatalogueNode node;
    node.id = id;
    node.name = name;
    node.flags = flags | FLAG_CATEGORY;
    return node;
}

CatalogueNode CatalogueNode::makeItem(quint32 id, const QByteArray& name, quint32 weight,
                                      const QByteArray& record, unsigned char flags)
{
    CatalogueNode node;
    node.id = id;
    node.name = name;
    node.flags = flags & ~FLAG_CATEGORY;
    node.weight = weight;
    node.record = record;
    return node;
}

bool CatalogueNode::isCategory() const
{
    return (flags & FLAG_CATEGORY) != 0;
}
