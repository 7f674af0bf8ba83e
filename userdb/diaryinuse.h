#pragma once

#include <QCoreApplication>
#include <QString>

// How the user is told that another program holds the diary, in every message that says so.
class DiaryInUse
{
    Q_DECLARE_TR_FUNCTIONS(DiaryInUse)

public:
    // Who holds it: "another program (a backup tool or a database shell, say)".
    static QString holder();
    // That it holds `what`: "another program holds it (a backup tool or a database shell, say)".
    static QString holding(const QString& what);
    // What the user may do about it, as a sentence of its own.
    static QString advice();

private:
    // The programs that may hold it, in parentheses.
    static QString examples();
};
