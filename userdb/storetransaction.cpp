#include "userdb/storetransaction.h"

#include "userdb/storeconnection.h"

#include <cassert>

namespace {

StoreConnection& connection()
{
    StoreConnection* open = StoreConnection::open();
    assert(open);
    return *open;
}

} // namespace

StoreTransaction::StoreTransaction() : m_open(connection().beginChange())
{
}

StoreTransaction::StoreTransaction(QString* inUse) : m_open(connection().beginSoleChange(inUse))
{
}

StoreTransaction::~StoreTransaction()
{
    if (m_open)
        connection().dropChange();
}

bool StoreTransaction::end(bool keep)
{
    if (!m_open)
        return false;
    m_open = false;
    return connection().endChange(keep);
}
