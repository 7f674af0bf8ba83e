// The first bytes of a diary file: the standard header given to a file that starts with the
// template's block, and the header of the older format that this build cannot read.

#include "userdb/diaryheader.h"

#include "core/regularfile.h"
#include "core/workingfile.h"
#include "userdb/filecopy.h"
#include "userdb/userdbformat.h"

#include <QFile>

bool DiaryHeader::fixMagic(const QString& path, QString* failure)
{
    QFile file;
    if (!RegularFile::open(file, path))
        return false;
    QString unread;
    const QByteArray head = FileCopy::readFrom(file, MagicSize, &unread).value_or(QByteArray());
    if (!unread.isEmpty() && failure)
        *failure = unread;
    if (head.size() < MagicSize)
        return false;
    const QByteArray block = UserDbFormat::templateBlock();
    if (!head.startsWith(block))
        return true;
    // Repaired on a copy that takes the file's place once whole, so that a repair cut short
    // leaves the file as it was.
    const QByteArray magic = UserDbFormat::sqlite3Magic();
    WorkingFile repaired(path);
    QString reason;
    if (file.seek(block.size()) && repaired.open(&reason)
        && repaired.write(magic.constData(), magic.size()) && FileCopy::copyData(file, repaired, &reason)
        && repaired.commit(&reason))
        return true;
    if (failure)
        *failure = reason.isEmpty() ? tr("the repaired copy could not be written whole") : reason;
    return false;
}

bool DiaryHeader::isOlderFormat(const QString& path)
{
    QFile file;
    const QByteArray header = UserDbFormat::sqlite2Header();
    QString unread;
    return RegularFile::open(file, path) && FileCopy::readFrom(file, header.size(), &unread) == header;
}

QString DiaryHeader::olderFormatMessage(const QString& path)
{
    return tr("The database %1 was written by an older version of this program, "
              "in a format (SQLite 2.1) that this version cannot read. "
              "The file has been left unchanged.")
        .arg(path);
}
