// Feeds arbitrary bytes to the HTTP client as a server's response, cut into pieces, through a
// socket in memory, and reads it to its end. The first byte picks the piece size (0: whole),
// the second the method (bit 0: HEAD), whether the server closes at the end (bit 1) and
// whether the body goes to a device (bit 2). A response must end, fail or wait for more,
// and no body may pass its limit. The response header and the error are read as the
// program's clients read them.
#include "net/qhttps.h"
#include "tests/net/memorysocket.h"

#include <QBuffer>
#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr qint64 BODY_LIMIT = 64 * 1024;

void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

void check(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz_httpresponse: %s\n", what);
    std::abort();
}

void startApplication()
{
    static int argc = 1;
    static char name[] = "fuzz_httpresponse";
    static char* argv[] = {name, nullptr};
    qInstallMessageHandler(dropMessages);
    static QCoreApplication application(argc, argv);
}

QList<QByteArray> cut(const QByteArray& response, int pieceSize)
{
    if (pieceSize == 0)
        return {response};
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < response.size(); at += pieceSize)
        pieces.append(response.mid(at, pieceSize));
    return pieces;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool started = (startApplication(), true);
    (void)started;
    if (size < 2)
        return 0;
    const int pieceSize = data[0] % 97;
    const bool head = data[1] & 1;
    const bool closeAtEnd = data[1] & 2;
    const bool toDevice = data[1] & 4;
    const QByteArray response(reinterpret_cast<const char*>(data) + 2, qsizetype(size - 2));
    const QList<QByteArray> pieces = cut(response, pieceSize);

    auto* socket = new MemorySocket;
    socket->setResponse(pieces, closeAtEnd);
    QHttps http(socket, QStringLiteral("127.0.0.1"), 80);
    QHttps::Limits limits;
    limits.header = 4096;
    limits.chunkSizeLine = 64;
    limits.bufferBody = BODY_LIMIT;
    limits.deviceBody = BODY_LIMIT;
    http.setLimits(limits);
    QBuffer device;
    qint64 body = 0;
    int doneCount = 0;
    QObject::connect(&http, &QHttps::readyRead, [&] { body += http.readAll().size(); });
    QObject::connect(&http, &QHttps::done, [&] { ++doneCount; });
    QObject::connect(&http, &QHttps::responseHeaderReceived, [](const QHttpsResponseHeader& header) {
        (void)header.statusCode();
        (void)header.reasonPhrase().size();
        for (const QString& key : header.keys())
            (void)header.value(key).size();
        if (header.hasContentLength())
            (void)header.contentLength();
        (void)header.contentType().size();
        (void)header.toString().size();
    });
    const QString method = head ? QStringLiteral("HEAD") : QStringLiteral("GET");
    http.request(QHttpsRequestHeader(method, QStringLiteral("/")), QByteArray(), toDevice ? &device : nullptr);

    // Every piece takes one pass of the event loop; a few more finish the request.
    for (qsizetype pass = 0; pass < pieces.size() + 16 && doneCount == 0; ++pass)
        QCoreApplication::processEvents();
    check(doneCount > 0 || !closeAtEnd, "a closed response did not end");
    check(body + device.size() <= BODY_LIMIT, "a body passed its limit");
    check(doneCount <= 1, "one request ended twice");
    if (http.error() != QHttps::NoError)
        check(!http.errorString().isEmpty(), "a failed response has no reason");
    return 0;
}
