#include "core/tarfilewriter.h"

#include <QFile>
#include <QDateTime>
#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace {

const qint64 s_blockSize = 512;
const qint64 s_headerLength = 257;   // name to type field; padding completes the block
const qint64 s_chunkSize = 16384;
const qint64 s_endLength = 1024;
const int s_maxNameLength = 99;
const qint64 s_maxOctal11 = (qint64(1) << 33) - 1;  // the largest value of 11 octal digits

void putField(char* header, int offset, const QByteArray& text)
{
    std::memcpy(header + offset, text.constData(), size_t(text.size()));
}

QByteArray octal(const char* format, unsigned long long value)
{
    return QString::asprintf(format, value).toLatin1();
}

unsigned int checksum(const char* header)
{
    unsigned int sum = 0;
    for (int i = 0; i < 500; ++i)
        sum += (i >= 148 && i < 156) ? unsigned(' ') : static_cast<unsigned char>(header[i]);
    return sum;
}

} // namespace

TarFileWriter::TarFileWriter(QIODevice& device) : _ioDevice(device) {}

TarFileWriter::~TarFileWriter()
{
    if (_count < 0)
        return;
    const QByteArray end(s_endLength, '\0');
    _writeData(end.constData(), end.size());
}

bool TarFileWriter::addFile(const QString& sourcePath, const QString& memberName)
{
    if (_count < 0)
        return false;
    QFile source(sourcePath);
    if (!source.exists() || !source.open(QIODevice::ReadOnly))
        return false;
    const QString name = memberName.isEmpty() ? sourcePath : memberName;
    const qint64 size = source.size();
    const qint64 modified = std::max<qint64>(0, QFileInfo(source).lastModified().toSecsSinceEpoch());
    if (_writeHeader(name.toLatin1(), size, modified) && _pad() && _copyData(source, size))
        _pad();
    return _count >= 0;
}

bool TarFileWriter::error(QString* text) const
{
    if (_count >= 0)
        return false;
    if (text) {
        *text = QStringLiteral("TarFileWriter error");
        if (!_errorText.isEmpty())
            *text += QStringLiteral(" - ") + _errorText;
    }
    return true;
}

bool TarFileWriter::_writeHeader(const QByteArray& name, qint64 size, qint64 modified)
{
    if (name.size() > s_maxNameLength) {
        _setError(QStringLiteral("Contents file name exceeds 99 characters"));
        return false;
    }
    if (size > s_maxOctal11) {
        _setError(QStringLiteral("%1 is too large for a tar archive member").arg(QString::fromLatin1(name)));
        return false;
    }
    char header[s_blockSize] = {};
    putField(header, 0, name);
    putField(header, 100, "0100600");
    putField(header, 108, "0000000");
    putField(header, 116, "0000000");
    putField(header, 124, octal("%011llo", static_cast<unsigned long long>(size)));
    putField(header, 136, octal("%011llo",
                                               static_cast<unsigned long long>(std::min(modified, s_maxOctal11))));
    header[156] = '0';
    putField(header, 148, octal("%06llo", checksum(header)));
    header[155] = ' ';
    return _writeData(header, s_headerLength);
}

bool TarFileWriter::_copyData(QIODevice& source, qint64 size)
{
    QByteArray chunk;
    for (qint64 left = size; left > 0;) {
        const qint64 want = std::min(left, s_chunkSize);
        chunk = source.read(want);
        if (chunk.size() != want) {
            _setError(QStringLiteral("could not read adequate data from source file"));
            return false;
        }
        if (!_writeData(chunk.constData(), want))
            return false;
        left -= want;
    }
    return true;
}

bool TarFileWriter::_writeData(const char* data, qint64 length)
{
    if (_count < 0)
        return false;
    const qint64 written = _ioDevice.write(data, length);
    if (written < 0) {
        _setError(QStringLiteral("TarFileWriter::_writeData - _ioDevice.writeBlock returned -1 (fatal error)"));
        return false;
    }
    if (written != length) {
        _setError(QString::asprintf("_ioDevice.writeBlock only wrote %0lld of %0lld bytes",
                                    static_cast<long long>(written), static_cast<long long>(length)));
        return false;
    }
    _count += written;
    return true;
}

bool TarFileWriter::_pad()
{
    const qint64 remainder = _count % s_blockSize;
    if (remainder == 0)
        return true;
    const QByteArray zeros(s_blockSize - remainder, '\0');
    return _writeData(zeros.constData(), zeros.size());
}

void TarFileWriter::_setError(const QString& reason)
{
    if (_count < 0)
        return;
    _errorText = reason;
    _count = -1;
}
