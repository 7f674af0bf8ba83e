#pragma once

#include <QObject>

// The handle through which the online services talk to a web server.
class BXHttp : public QObject
{
    Q_OBJECT

public:
    // Whether an Internet connection is available; this platform always has one.
    static bool isConnected();
    // Asks the system to open an Internet connection; 0 for success.
    static int openInternetConn();
};
