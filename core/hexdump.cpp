#include "core/hexdump.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace {

const unsigned int s_bytesPerLine = 16;

// The separator behind a column, counted from 1.
const char* separatorAfter(unsigned int column)
{
    if (column == 8)
        return " - ";
    if (column == 4 || column == 12 || column == 16)
        return "  ";
    return " ";
}

QByteArray dumpLine(const unsigned char* bytes, unsigned int count, unsigned int offset)
{
    QByteArray line = QString::asprintf("%04x   ", offset).toLatin1();
    for (unsigned int column = 1; column <= s_bytesPerLine; ++column) {
        if (column <= count)
            line += QString::asprintf("%02x", bytes[column - 1]).toLatin1();
        else
            line += "  ";
        line += separatorAfter(column);
    }
    for (unsigned int i = 0; i < count; ++i)
        line += (bytes[i] >= 0x20 && bytes[i] < 0x7f) ? char(bytes[i]) : '.';
    return line;
}

} // namespace

void doHexDump(const unsigned char* data, unsigned int length, const char* prefix)
{
    for (unsigned int offset = 0; offset < length; offset += s_bytesPerLine) {
        const unsigned int count = qMin(s_bytesPerLine, length - offset);
        qDebug("%s%s", prefix ? prefix : "", dumpLine(data + offset, count, offset).constData());
    }
}
