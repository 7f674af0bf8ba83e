#include "userdb/storetransaction.h"

#include "userdb/bxsqldb.h"

StoreTransaction::StoreTransaction() : m_open(BXSqlDb::beginTransaction())
{
}

StoreTransaction::StoreTransaction(QString* inUse) : m_open(BXSqlDb::beginSoleTransaction(inUse))
{
}

StoreTransaction::~StoreTransaction()
{
    if (m_open)
        BXSqlDb::rollbackTransaction();
}

bool StoreTransaction::end(bool keep)
{
    if (!m_open)
        return false;
    m_open = false;
    return BXSqlDb::endTransaction(keep);
}
