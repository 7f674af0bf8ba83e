#pragma once

#include <QCoreApplication>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <span>

// The schema of a diary file: every table with the definitions of its columns and its table
// constraints, every index, trigger and view, as the file's own creation texts state them
// (the rows of sqlite_master). Texts are compared token by token, so that spacing, the case of
// words and the quoting of names do not count; the order of a table's columns does not count
// either, for the upgrades of earlier versions put each new column in front.
//
// The program's own schema is the shipped empty diary with the indexes that every start makes.
// A diary's schema is compared whole against it, so that nothing the program does not make
// (a trigger, a CHECK constraint, a collation, a generated column, an expression index, a key
// more or less) is ever run on the diary: it is named, and the diary is refused.
class DiarySchema
{
    Q_DECLARE_TR_FUNCTIONS(DiarySchema)

public:
    // One object of the file: its type ("table", "index", "trigger", "view"), its name, the
    // table it belongs to and its creation text (empty for the indexes SQLite makes itself).
    struct Object
    {
        QString type;
        QString name;
        QString table;
        QString sql;
    };

    // Made from rows of four columns: type, name, table and creation text.
    static DiarySchema fromRows(const QList<QStringList>& rows);
    // The same with the indexes that `statements` (CREATE INDEX texts) make added, where no
    // index of their name is there yet.
    DiarySchema withIndexes(std::span<const char* const> statements) const;

    // What this schema holds otherwise than `own`, each named so that the user can tell what
    // differs: what it lacks of the tables, columns and keys the program reads, and what it
    // holds that the program does not make. The indexes it lacks are not named: the start makes
    // those it reads through. A diary of a `Newer` format may hold more tables, more
    // columns with no constraint of their own and more indexes that name bare columns of their
    // table; nothing else.
    enum class Format { Own, Newer };
    struct Differences
    {
        QStringList lacking;
        QStringList foreign;
        bool isEmpty() const { return lacking.isEmpty() && foreign.isEmpty(); }
    };
    Differences differencesFrom(const DiarySchema& own, Format format) const;
    // A table of this schema that `own` declares otherwise, to be made again as `own` declares
    // it: its creation text, the columns whose values it keeps and its indexes (those of `own`,
    // then those this schema holds beside them). A table holding a column that `own` does not
    // declare is left as it is, so that no value is lost.
    struct Rebuild
    {
        QString table;
        QString sql;
        QStringList columns;
        QStringList indexes;
    };
    QList<Rebuild> rebuildsTo(const DiarySchema& own) const;
    // This schema as it is once those tables of rebuildsTo(own) are made again that differ from
    // `own` only in the types of columns that are no key and in the order of columns, as the
    // upgrades of earlier builds left them: each declared as `own` declares it, with the indexes
    // `own` gives it beside those this schema holds.
    DiarySchema rebuiltTo(const DiarySchema& own) const;
    // The triggers this schema holds, named: what a change of the diary would run.
    QStringList triggers() const;

private:
    // The objects, by type and then by name in lower case; the tables SQLite makes itself, as it
    // declares them, are left out (and the indexes of the keys a table declares are not compared).
    QMap<QString, QMap<QString, Object>> m_objects;

    void _tableDifferences(const Object& held, const Object& own, Format format,
                           Differences& found) const;
};
