#include "userdb/storeconnection.h"

namespace {

StoreConnection* s_open = nullptr;

} // namespace

StoreConnection* StoreConnection::open()
{
    return s_open;
}

void StoreConnection::setOpen(StoreConnection* connection)
{
    s_open = connection;
}
