#ifndef PANTREL_TOOLS_STATICDBWRITER_CATALOGUENODE_H
#define PANTREL_TOOLS_STATICDBWRITER_CATALOGUENODE_H

#include <QByteArray>

#include <vector>

// One record of a catalogue tree as the writer takes it: a category with its children, or an
// item with its ranking weight and its encoded record. Names are single-byte ISO 8859-1
// text without NUL bytes.
struct CatalogueNode {
    quint32 id = 0;
    QByteArray name;
    unsigned char flags = 0; // FLAG_CATEGORY is set by makeCategory
    quint32 weight = 0;
    QByteArray record;
    std::vector<CatalogueNode> children;

    static CatalogueNode makeCategory(quint32 id, const QByteArray& name, unsigned char flags = 0);
    static CatalogueNode makeItem(quint32 id, const QByteArray& name, quint32 weight,
                                  const QByteArray& record, unsigned char flags = 0);

    bool isCategory() const;
};

#endif
