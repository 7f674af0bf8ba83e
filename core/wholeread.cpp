#include "core/wholeread.h"

#include "core/regularfile.h"

#include <QFile>
#include <QIODevice>

bool WholeRead::block(QIODevice& in, qint64 offset, qint64 size, char* data, qint64 wanted, QString* reason)
{
    QString why;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const qint64 got = in.seek(offset) ? in.read(data, wanted) : -1;
        if (got == wanted)
            return true;
        why = got < 0 ? in.errorString()
                      : tr("a read ended short of what the file holds, at byte %1 of %2")
                            .arg(offset + got)
                            .arg(size);
    }
    *reason = tr("%1 (read twice)").arg(why);
    return false;
}

std::optional<QByteArray> WholeRead::from(QIODevice& in, qint64 bytes, QString* reason)
{
    const qint64 size = in.size();
    const qint64 start = in.pos();
    QByteArray read(qBound(qint64(0), qMin(bytes, size - start), size), Qt::Uninitialized);
    for (qint64 held = 0; held < read.size(); held += BlockSize) {
        if (!block(in, start + held, size, read.data() + held, qMin(BlockSize, read.size() - held), reason))
            return std::nullopt;
    }
    return read;
}

std::optional<QByteArray> WholeRead::all(const QString& path, QString* reason)
{
    QFile file;
    if (!RegularFile::open(file, path, reason))
        return std::nullopt;
    return from(file, file.size(), reason);
}
