#include "net/bxhttp.h"

bool BXHttp::isConnected()
{
    return true;
}

int BXHttp::openInternetConn()
{
    return 0;
}
