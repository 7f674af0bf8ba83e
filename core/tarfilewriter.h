#pragma once

#include <QString>

class QIODevice;

// Writes an old-style (version 7) tar archive of plain files to a device that the caller
// owns and has opened for writing. The first error is kept: every later call does nothing,
// and the archive's two closing zero blocks are only written when no error occurred.
class TarFileWriter
{
public:
    explicit TarFileWriter(QIODevice& device);
    ~TarFileWriter();

    TarFileWriter(const TarFileWriter&) = delete;
    TarFileWriter& operator=(const TarFileWriter&) = delete;

    // Appends the file at sourcePath as the member memberName (sourcePath itself when
    // memberName is empty). False when the source cannot be opened or an error occurred.
    bool addFile(const QString& sourcePath, const QString& memberName = QString());

    // True once any write has failed; text receives "TarFileWriter error" and the reason.
    bool error(QString* text = nullptr) const;

private:
    bool _writeHeader(const QByteArray& name, qint64 size, qint64 modified);
    bool _copyData(QIODevice& source, qint64 size);
    bool _writeData(const char* data, qint64 length);
    bool _pad();
    void _setError(const QString& reason);

    QIODevice& _ioDevice;
    qint64 _count = 0;  // bytes written so far, -1 after an error
    QString _errorText;
};
