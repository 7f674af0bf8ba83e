#ifndef PANTREL_TOOLS_STATICDBWRITER_STATICDBWRITER_H
#define PANTREL_TOOLS_STATICDBWRITER_STATICDBWRITER_H

#include "tools/staticdbwriter/cataloguenode.h"

#include <QDate>
#include <QString>

#include <map>

// Writes the shipped catalogue file: a header with the creation date, a chunk directory and
// one chunk per catalogue tree. In each chunk every category's children are laid out
// consecutively (child categories first, in the order given, then items), after the blocks
// of their own descendants, so that children always precede their category and the root
// comes last; names follow in record order, back to back.
class StaticDBWriter {
public:
    explicit StaticDBWriter(const QDate& creationDate);

    // Adds or replaces the chunk with this id (above 0); root must be a category with id 0.
    void addChunk(quint32 chunkId, const CatalogueNode& root);

    QByteArray toByteArray() const;
    // Writes the file atomically; false with a message in error on failure.
    bool write(const QString& path, QString* error) const;
    // Writes the file gzip-compressed (as a database update downloads it), atomically; false
    // with a message in error on failure.
    bool writeGzip(const QString& path, QString* error) const;

private:
    QDate _creationDate;
    std::map<quint32, CatalogueNode> _chunks;
};

#endif
