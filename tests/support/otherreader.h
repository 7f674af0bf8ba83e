#ifndef PANTREL_TESTS_SUPPORT_OTHERREADER_H
#define PANTREL_TESTS_SUPPORT_OTHERREADER_H

// Another program reading the user database, as a backup tool or a database shell does: a
// connection of its own, through SQLite itself, that holds a read transaction from its
// construction until end(). An exclusive one holds the file as a writer in the middle of its
// change does ("BEGIN EXCLUSIVE"): nobody else may even read it.

#include <QFile>
#include <QString>

#include <sqlite3.h>

class OtherReader
{
public:
    enum class Hold { Shared, Exclusive };

    explicit OtherReader(const QString& path, Hold hold = Hold::Shared)
    {
        const bool exclusive = hold == Hold::Exclusive;
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &_db,
                            exclusive ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr)
            == SQLITE_OK)
            _reading = sqlite3_exec(_db,
                                    exclusive ? "BEGIN EXCLUSIVE; SELECT count(*) FROM sqlite_master;"
                                              : "BEGIN; SELECT count(*) FROM sqlite_master;",
                                    nullptr, nullptr, nullptr)
                       == SQLITE_OK;
    }
    ~OtherReader()
    {
        end();
        sqlite3_close(_db);
    }
    OtherReader(const OtherReader&) = delete;
    OtherReader& operator=(const OtherReader&) = delete;

    // Whether the read transaction holds the file.
    bool reading() const { return _reading; }
    void end()
    {
        if (_reading)
            sqlite3_exec(_db, "COMMIT", nullptr, nullptr, nullptr);
        _reading = false;
    }

private:
    sqlite3* _db = nullptr;
    bool _reading = false;
};

#endif
