#include "core/tarreader.h"

#include "core/regularfile.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstring>

namespace {

const qint64 s_blockSize = 512;
const int s_nameLength = 100;
const int s_sizeOffset = 124;
const int s_sizeLength = 12;
const int s_checksumOffset = 148;
const int s_checksumLength = 8;
// Tar writes whole records of 20 blocks: the zeros after an archive's end fill at most its last.
const qint64 s_recordSize = 20 * s_blockSize;

// Every decimal digit is taken as one more octal place; blanks and NULs are skipped.
quint64 parseSize(const char* field)
{
    quint64 size = 0;
    for (int i = 0; i < s_sizeLength; ++i) {
        if (field[i] >= '0' && field[i] <= '9')
            size = size * 8 + quint64(field[i] - '0');
    }
    return size;
}

// The checksum field: octal digits after any blanks, ended by a blank or a NUL; -1 when it
// holds none.
qint64 storedChecksum(const char* field)
{
    int i = 0;
    while (i < s_checksumLength && field[i] == ' ')
        ++i;
    const int first = i;
    qint64 sum = 0;
    for (; i < s_checksumLength && field[i] >= '0' && field[i] <= '7'; ++i)
        sum = sum * 8 + (field[i] - '0');
    const bool ended = i == s_checksumLength || field[i] == ' ' || field[i] == '\0';
    return i > first && ended ? sum : -1;
}

// The header's bytes summed with its checksum field counted as blanks match the field, summed
// as unsigned bytes or, as some writers did, as signed ones.
bool checksumMatches(const char* block)
{
    qint64 unsignedSum = 0;
    qint64 signedSum = 0;
    for (int i = 0; i < s_blockSize; ++i) {
        const bool field = i >= s_checksumOffset && i < s_checksumOffset + s_checksumLength;
        unsignedSum += field ? ' ' : static_cast<unsigned char>(block[i]);
        signedSum += field ? ' ' : static_cast<signed char>(block[i]);
    }
    const qint64 stored = storedChecksum(block + s_checksumOffset);
    return stored == unsignedSum || stored == signedSum;
}

bool isZero(const QByteArray& bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(), [](char byte) { return byte == '\0'; });
}

} // namespace

TarReader::~TarReader() = default;

bool TarReader::open(const std::string& path)
{
    _members.clear();
    _whole = false;
    if (!RegularFile::open(_file, QFile::decodeName(path.c_str()), &_error))
        return false;
    _error.clear();
    _readMemberMap();
    return true;
}

QString TarReader::errorString() const
{
    return _error;
}

void TarReader::_readMemberMap()
{
    const qint64 fileSize = _file.size();
    char block[s_blockSize];
    qint64 position = 0;
    for (;;) {
        if (position > fileSize - s_blockSize) {
            _error = tr("The archive is cut short or damaged: it stops after %1 bytes, before its end.")
                         .arg(fileSize);
            return;
        }
        if (!_file.seek(position) || _file.read(block, s_blockSize) != s_blockSize) {
            _error = tr("The archive cannot be read: %1.").arg(_file.errorString());
            return;
        }
        if (isZero(QByteArray::fromRawData(block, s_blockSize))) {
            _readEnd(position, fileSize);
            return;
        }
        if (block[0] == '\0' || !checksumMatches(block)) {
            _error = tr("The archive is damaged: the block at byte %1 is no member's header.").arg(position);
            return;
        }
        TarHeader header;
        header.name.assign(block, strnlen(block, s_nameLength));
        header.size = parseSize(block + s_sizeOffset);
        header.offset = position + s_blockSize;
        _members.emplace(header.name, header);
        // A size running past the end of the file ends the archive after this member.
        if (header.size > quint64(fileSize - header.offset)) {
            _error = tr("The archive is cut short or damaged: it stops after %1 bytes, inside a member.")
                         .arg(fileSize);
            return;
        }
        position = header.offset + qint64((header.size + s_blockSize - 1) / s_blockSize) * s_blockSize;
    }
}

// The end is two zero blocks, where the file ends or followed by the zeros that fill the last
// record up to its end. Zeros that end elsewhere are members wiped out, not an end.
void TarReader::_readEnd(qint64 position, qint64 fileSize)
{
    const qint64 end = position + 2 * s_blockSize;
    const qint64 recordEnd = (end + s_recordSize - 1) / s_recordSize * s_recordSize;
    if (fileSize < end) {
        _error = tr("The archive is cut short or damaged: it stops after %1 bytes, before its end.")
                     .arg(fileSize);
    } else if ((fileSize != end && fileSize != recordEnd) || !_file.seek(position)
               || !isZero(_file.read(fileSize - position))) {
        _error = tr("The archive is damaged: %1 bytes follow its end at byte %2.")
                     .arg(fileSize - position - 2 * s_blockSize)
                     .arg(position);
    } else {
        _whole = true;
    }
}

QByteArray TarReader::readFile(const std::string& name)
{
    const auto found = _members.find(name);
    if (found == _members.end() || !_file.isOpen())
        return QByteArray();
    const TarHeader& header = found->second;
    const qint64 available = _file.size() - header.offset;
    if (header.size > quint64(std::max<qint64>(available, 0)) || !_file.seek(header.offset))
        return QByteArray();
    QByteArray data = _file.read(qint64(header.size));
    if (quint64(data.size()) != header.size)
        return QByteArray();
    return data;
}

std::list<std::string> TarReader::listFiles(const std::string& pattern, bool caseSensitive) const
{
    const QRegularExpression expression(
        QRegularExpression::anchoredPattern(QString::fromStdString(pattern)),
        caseSensitive ? QRegularExpression::NoPatternOption : QRegularExpression::CaseInsensitiveOption);
    std::list<std::string> names;
    if (!expression.isValid())
        return names;
    for (const auto& [name, header] : _members) {
        if (expression.match(QString::fromLatin1(name.data(), qsizetype(name.size()))).hasMatch())
            names.push_back(name);
    }
    return names;
}
