#ifndef PANTREL_TOOLS_STATICDBWRITER_ZIPREADER_H
#define PANTREL_TOOLS_STATICDBWRITER_ZIPREADER_H

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>

// Reads the members of a zip archive (stored or deflated) held in memory, checking every
// offset and size against the archive's length.
class ZipReader {
public:
    // The archive at path, or none with a message in error.
    static std::optional<ZipReader> open(const QString& path, QString* error);

    bool contains(const QString& name) const { return _entries.count(name) != 0; }
    // The member's bytes, or none when it is missing or broken.
    std::optional<QByteArray> read(const QString& name) const;

private:
    struct Entry {
        quint16 method = 0;
        quint32 compressedSize = 0;
        quint32 size = 0;
        quint32 localHeaderAt = 0;
    };

    explicit ZipReader(const QByteArray& archive) : _archive(archive) {}
    bool _readDirectory();

    QByteArray _archive;
    std::map<QString, Entry> _entries;
};

#endif
