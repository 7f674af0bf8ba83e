#include "net/socketbase.h"

int SocketBase::errorCode(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return 0;
    case QAbstractSocket::HostNotFoundError:
        return 1;
    default:
        return 2;
    }
}
