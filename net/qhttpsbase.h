#pragma once

#include <QCoreApplication>
#include <QtGlobal>

// What the client names as its own, for its working state to share: the states it passes
// through, the errors a request fails with, the bounds on a response and the timeouts. Its
// texts are translated as the client's.
class QHttpsBase
{
    Q_DECLARE_TR_FUNCTIONS(QHttps)

public:
    enum State { Unconnected = 0, Connecting = 2, Sending = 3, Reading = 4, Connected = 5, Closing = 6 };
    enum Error {
        NoError,
        UnknownError,
        HostNotFound,
        ConnectionRefused,
        UnexpectedClose,
        InvalidResponseHeader,
        WrongContentLength,
        Aborted,
        CertificateRejected,
        SecureConnectionFailed,  // the TLS handshake failed; the text names the server and why
        NoConnection,            // no connection to the server could be made
    };

    // What a response may hold; more fails the request with "Response too large".
    struct Limits {
        qint64 header = 64 * 1024;
        qint64 chunkSizeLine = 1024;
        qint64 bufferBody = 8 * 1024 * 1024;   // into the read buffer
        qint64 deviceBody = 64 * 1024 * 1024;  // into a destination device
    };

    // Milliseconds a request may wait for the connection, the TLS handshake, or the next
    // byte while it is sent or read, before it fails with "Connection timed out"; and how long
    // it may take in all, by where its answer goes, before it fails as taking too long.
    struct Timeouts {
        int connect = 15000;
        int handshake = 15000;
        int stall = 30000;
        int document = 120000;   // an answer read into memory
        int download = 1800000;  // an answer written to a device
    };

    static void setDefaultTimeouts(const Timeouts& timeouts);
    static Timeouts defaultTimeouts();
};
