#pragma once

#include <QCoreApplication>
#include <QString>

// The header at the start of a diary file, read before any connection opens it.
class DiaryHeader
{
    Q_DECLARE_TR_FUNCTIONS(DiaryHeader)

public:
    // Size of the header probe at the start of a database file.
    static constexpr int MagicSize = 48;

    // Gives a file that starts with the template's block the standard header, on a copy that
    // takes its place; any other file is only read. False when the file is unreadable or too
    // short, or the repair failed: then `failure`, when given, says why the repair failed.
    static bool fixMagic(const QString& path, QString* failure = nullptr);
    // True when the file starts with the header of the older SQLite 2.1 format, which
    // this build cannot read.
    static bool isOlderFormat(const QString& path);
    // The message that tells the user why such a file cannot be used.
    static QString olderFormatMessage(const QString& path);
};
