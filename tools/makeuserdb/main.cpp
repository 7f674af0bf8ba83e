// Builds the template user database that ships in the resource folder from its schema
// script, with the schema version the program upgrades to and the program's version put in
// for their placeholders, then replaces the file's SQLite magic with the template block, which start-up
// repairs when it copies the template for a new user.

#include "userdb/bxsqldb.h"
#include "userdb/diaryversion.h"
#include "userdb/userdbformat.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <cstdio>

namespace {

const char* const ConnectionName = "makeuserdb";

bool fail(const QString& message)
{
    std::fprintf(stderr, "makeuserdb: %s\n", qPrintable(message));
    return false;
}

// The script's statements: comment lines dropped, split at semicolons.
QStringList statements(const QString& script)
{
    QStringList kept;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        if (!line.trimmed().startsWith(QLatin1String("--")))
            kept.append(line);
    }
    QStringList result;
    for (const QString& statement : kept.join(QLatin1Char('\n')).split(QLatin1Char(';'))) {
        if (!statement.trimmed().isEmpty())
            result.append(statement.trimmed());
    }
    return result;
}

bool runScript(const QString& scriptPath, const QString& dbPath, const QString& softwareVersion)
{
    QFile scriptFile(scriptPath);
    if (!scriptFile.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(scriptPath));
    const QString script =
        QString::fromUtf8(scriptFile.readAll())
            .replace(QStringLiteral("@SCHEMA_VERSION@"),
                     QString::number(DiaryVersion::Current))
            .replace(QStringLiteral("@SOFTWARE_VERSION@"), softwareVersion);
    if (script.contains(QLatin1Char('@')))
        return fail(QStringLiteral("%1 holds a placeholder makeuserdb does not know").arg(scriptPath));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                QLatin1String(ConnectionName));
    db.setDatabaseName(dbPath);
    if (!db.open())
        return fail(QStringLiteral("cannot create %1: %2").arg(dbPath, db.lastError().text()));
    QSqlQuery query(db);
    bool ok = query.exec(QStringLiteral("PRAGMA journal_mode=DELETE")) && db.transaction();
    for (const QString& statement : statements(script)) {
        if (ok && !query.exec(statement))
            ok = fail(QStringLiteral("%1\n  in: %2").arg(query.lastError().text(), statement));
    }
    ok = ok && db.commit();
    query = QSqlQuery();
    db.close();
    return ok;
}

bool stampTemplateBlock(const QString& dbPath)
{
    QFile file(dbPath);
    if (!file.open(QIODevice::ReadWrite))
        return fail(QStringLiteral("cannot reopen %1").arg(dbPath));
    if (file.read(16) != UserDbFormat::sqlite3Magic())
        return fail(QStringLiteral("%1 is not an SQLite 3 database").arg(dbPath));
    const QByteArray block = UserDbFormat::templateBlock();
    return file.seek(0) && file.write(block) == block.size();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        fail(QStringLiteral("usage: makeuserdb <schema.sql> <userdata.db> <program version>"));
        return 2;
    }
    const QString dbPath = args.at(2);
    QFile::remove(dbPath);
    const bool built = runScript(args.at(1), dbPath, args.at(3));
    QSqlDatabase::removeDatabase(QLatin1String(ConnectionName));
    if (!built || !stampTemplateBlock(dbPath)) {
        QFile::remove(dbPath);
        return 1;
    }
    return 0;
}
