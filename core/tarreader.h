#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>

#include <list>
#include <map>
#include <string>

// Reads the members of an old-style (version 7) tar archive. The archive stays open so that
// members can be read on demand. Damaged archives give the members found before the damage
// and say that they are damaged; nothing here trusts the sizes or names stored in the archive.
class TarReader
{
    Q_DECLARE_TR_FUNCTIONS(TarReader)

public:
    struct TarHeader
    {
        std::string name;
        quint64 size = 0;    // the member's length in bytes, as the header states it
        qint64 offset = 0;   // file position of the member's first data byte
    };

    TarReader() = default;
    ~TarReader();

    TarReader(const TarReader&) = delete;
    TarReader& operator=(const TarReader&) = delete;

    // Loads the archive's table of contents; false if the file won't open or is no regular
    // file.
    bool open(const std::string& path);
    // Why the archive would not open, in the system's words, or, for an archive that is not
    // whole, a sentence saying how it is damaged.
    QString errorString() const;
    // Whether the archive ends as an archive does, with two zero blocks after whole members
    // whose headers match their checksums: false when it ends inside a header or a member's
    // data (a copy or download cut short, or bytes that are no archive), without its end, or
    // with a damaged header or more than zeros after its end.
    bool isWhole() const { return _whole; }

    // Whether the archive has a member of that name.
    bool holds(const std::string& name) const { return _members.count(name) != 0; }
    // The member's data; empty when there is no such member or its data is cut short.
    QByteArray readFile(const std::string& name);

    // Names of the members that the regular expression matches as a whole, in name order.
    std::list<std::string> listFiles(const std::string& pattern, bool caseSensitive) const;

private:
    void _readMemberMap();
    void _readEnd(qint64 position, qint64 fileSize);

    QFile _file;
    QString _error;
    bool _whole = false;
    std::map<std::string, TarHeader> _members;
};
