#ifndef PANTREL_TESTS_SUPPORT_OTHERREADER_H
#define PANTREL_TESTS_SUPPORT_OTHERREADER_H

// Another program holding the user database, through SQLite itself on a connection of its
// own, from its construction until end(): a backup tool or a database shell that reads
// (Shared: a read transaction), one that is about to write (Immediate: others may still read),
// or one that writes (Exclusive: the whole file). Damaged stands for a file whose pages went
// bad under the program: the first page of every table and index (or only of one table, with
// its indexes unless `indexes` is false) is overwritten until end(), which puts them back as
// they were.
//
// BusyWaits counts how often the diary's own connection starts to wait for such a program;
// everyStoredRow() tells whether a refused change left the diary as it was.

#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"

#include <QFile>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QTest>

#include <cstddef>
#include <utility>
#include <vector>

#include <sqlite3.h>

class OtherReader
{
public:
    enum Hold { Shared, Exclusive, Immediate, Damaged };

    explicit OtherReader(const QString& path, Hold hold = Shared, const QString& table = QString(),
                         bool indexes = true)
    {
        if (hold == Damaged) {
            _damage(path, table, indexes);
            return;
        }
        const int mode = hold == Shared ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
        const char* const sql = hold == Shared      ? "BEGIN; SELECT count(*) FROM sqlite_master;"
                                : hold == Immediate ? "BEGIN IMMEDIATE;"
                                                    : "BEGIN EXCLUSIVE;";
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &_db, mode, nullptr) == SQLITE_OK)
            _reading = sqlite3_exec(_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~OtherReader()
    {
        end();
        sqlite3_close(_db);
    }
    OtherReader(const OtherReader&) = delete;
    OtherReader& operator=(const OtherReader&) = delete;

    // Whether the transaction holds the file.
    bool reading() const { return _reading; }
    void end()
    {
        if (_reading && _db)
            sqlite3_exec(_db, "COMMIT", nullptr, nullptr, nullptr);
        if (_reading && !_pages.empty())
            _write(_pages);
        _reading = false;
    }

private:
    // The file change counter moves on with every write, so that the program's connection
    // drops the pages it keeps and reads them from the file again.
    void _damage(const QString& path, const QString& table, bool indexes)
    {
        _file.setFileName(path);
        BXSqlQuery roots("SELECT rootpage FROM sqlite_master WHERE rootpage > 1 AND ifnull(? = tbl_name, 1) "
                         "AND (? OR type = 'table')");
        roots.bindValue(0, table.isNull() ? QVariant() : QVariant(table));
        roots.bindValue(1, indexes);
        BXSqlQuery size("PRAGMA page_size");
        if (!_file.open(QIODevice::ReadWrite) || !roots.exec() || !size.exec() || !size.next())
            return;
        const qint64 pageSize = size.value(0).toLongLong();
        std::vector<std::pair<qint64, QByteArray>> garbage;
        while (roots.next()) {
            const qint64 offset = (roots.value(0).toLongLong() - 1) * pageSize;
            _file.seek(offset);
            _pages.emplace_back(offset, _file.read(pageSize));
            garbage.emplace_back(offset, QByteArray(pageSize, '\x5a'));
        }
        _reading = !_pages.empty() && _write(garbage);
    }

    bool _write(const std::vector<std::pair<qint64, QByteArray>>& pages)
    {
        bool written = true;
        for (const auto& [offset, bytes] : pages)
            written = _file.seek(offset) && _file.write(bytes) == bytes.size() && written;
        unsigned char counter[4] = {};
        written = _file.seek(24) && _file.read(reinterpret_cast<char*>(counter), 4) == 4 && written;
        counter[3] = static_cast<unsigned char>(counter[3] + 1);
        written = _file.seek(24) && _file.write(reinterpret_cast<char*>(counter), 4) == 4 && written;
        return _file.flush() && written;
    }

    sqlite3* _db = nullptr;
    bool _reading = false;
    QFile _file;
    std::vector<std::pair<qint64, QByteArray>> _pages;
};

// While it lives, each wait of the diary's connection for another program is counted and
// given up at once, as if its time-out had passed; afterwards the connection waits for
// `timeout` milliseconds again.
class BusyWaits
{
public:
    explicit BusyWaits(int timeout) : _timeout(timeout)
    {
        const QVariant handle = BXSqlDb::instance()->database().driver()->handle();
        _db = *static_cast<sqlite3* const*>(handle.constData());
        sqlite3_busy_handler(_db, &BusyWaits::waiting, this);
    }
    ~BusyWaits() { BXSqlDb::setBusyTimeout(_timeout); }
    BusyWaits(const BusyWaits&) = delete;
    BusyWaits& operator=(const BusyWaits&) = delete;

    int count() const { return _count; }

private:
    // SQLite asks again and again during one wait, counting from 0.
    static int waiting(void* self, int attempt)
    {
        if (attempt == 0)
            ++static_cast<BusyWaits*>(self)->_count;
        return 0;
    }

    sqlite3* _db = nullptr;
    int _timeout;
    int _count = 0;
};

// The columns "change" and "hold" of a test table, with a row for each change while another
// program reads the file, one while it is about to write and one while it holds it whole;
// with `damaged`, one more for a file with damaged pages.
template <typename Change, std::size_t Count>
void addRowsForEachHold(const std::pair<const char*, Change> (&changes)[Count], bool damaged = false)
{
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("hold");
    for (const auto& [name, change] : changes) {
        QTest::addRow("%s, reader", name) << int(change) << int(OtherReader::Shared);
        QTest::addRow("%s, immediate", name) << int(change) << int(OtherReader::Immediate);
        QTest::addRow("%s, writer", name) << int(change) << int(OtherReader::Exclusive);
        if (damaged)
            QTest::addRow("%s, damaged", name) << int(change) << int(OtherReader::Damaged);
    }
}

// Every row of every table of the diary, read on its own connection.
inline QStringList everyStoredRow()
{
    QStringList tables;
    BXSqlQuery names("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
    if (names.exec()) {
        while (names.next())
            tables << names.value(0).toString();
    }
    QStringList rows;
    for (const QString& table : tables) {
        BXSqlQuery all(QStringLiteral("SELECT * FROM ") + table);
        if (!all.exec())
            return {QStringLiteral("unreadable: ") + table};
        while (all.next()) {
            QString row = table;
            for (int column = 0; column < all->record().count(); ++column)
                row += QLatin1Char('|') + all.value(column).toString();
            rows << row;
        }
    }
    return rows;
}

#endif
