#pragma once

// The test's side of the single-instance channel: handing one message to a running copy as
// a starting copy would, and leaving the socket file behind as a crashed copy does.

#include "app/qtsingleapplication.h"

#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QString>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ChannelPeer {

// True once the copy listening on the socket has acknowledged the text.
inline bool send(const QString& socketPath, const QByteArray& text, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray frame;
    QDataStream stream(&frame, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::BigEndian);
    stream << quint32(1) << quint32(text.size());
    socket.write(frame + text);
    if (!socket.waitForBytesWritten(timeoutMs) || !socket.waitForReadyRead(timeoutMs))
        return false;
    return socket.read(1) == QByteArray(1, QtSingleApplication::Acknowledgement);
}

// A socket file with nobody listening; false when it could not be made.
inline bool leaveStaleSocket(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, native.constData(), sizeof(address.sun_path));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound && QFileInfo::exists(path);
}

} // namespace ChannelPeer
