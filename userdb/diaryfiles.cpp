#include "userdb/diaryfiles.h"

#include "core/workingfile.h"
#include "userdb/diarylocation.h"
#include "userdb/filecopy.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

void DiaryFiles::removeWithJournal(const QString& path)
{
    QString stays;
    FileCopy::removeCompanions(path, &stays);
    QFile::remove(path);
}

bool DiaryFiles::replace(const QString& from, const QString& to, QString* stays)
{
    WorkingFile::takeModes(from, to);
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    FileCopy::removeCompanions(to, stays);
    return true;
}

bool DiaryFiles::putBack(const QString& copy)
{
    return ::rename(QFile::encodeName(copy).constData(),
                    QFile::encodeName(WorkingFile::fileBehind(DiaryLocation::path())).constData())
        == 0;
}

QString DiaryFiles::systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool DiaryFiles::copy(const QString& source, const QString& destination, std::string& reason,
              WorkProgress* progress, bool safety)
{
    QString why;
    const auto sameAsSource = [&source](const QString& made, QString* differs) {
        return FileCopy::holdsSameAs(made, source, differs);
    };
    if (FileCopy::copy(source, destination, &why, safety ? sameAsSource : FileCopy::Proof(),
                       nullptr, progress))
        return true;
    reason = DiaryFiles::tr("%1 cannot be copied to %2: %3")
                 .arg(QDir::toNativeSeparators(source), QDir::toNativeSeparators(destination), why)
                 .toStdString();
    return false;
}

bool DiaryFiles::haveRoomFor(qint64 bytes, std::string& reason)
{
    const QString refusal = FileCopy::roomRefusal(bytes, DiaryLocation::path());
    reason = refusal.toStdString();
    return refusal.isEmpty();
}
