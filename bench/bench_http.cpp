// Downloads of an 8 MB body from a web server on 127.0.0.1 through the HTTP client: counted
// and chunked (16 KB chunks) over plain TCP, and counted over TLS, each into the client's
// read buffer and into a file. The server and its certificates are the tests' own.

#include "net/qhttps.h"
#include "net/qtsslsocket.h"
#include "tests/net/testcertificates.h"
#include "tests/net/testhttpsserver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryFile>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr qsizetype BODY = 8 * 1024 * 1024;
constexpr qsizetype CHUNK = 16 * 1024;

QByteArray s_body;
std::unique_ptr<TestCertificates> s_certificates;

QByteArray counted()
{
    return TestHttpServer::ok(s_body);
}

QByteArray chunked()
{
    QByteArray response = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (qsizetype at = 0; at < s_body.size(); at += CHUNK)
        response += QByteArray::number(CHUNK, 16) + "\r\n" + s_body.mid(at, CHUNK) + "\r\n";
    return response + "0\r\n\r\n";
}

// One download over a fresh connection; false when it failed.
bool download(TestHttpServer& server, bool ssl, const QByteArray& response, bool intoFile)
{
    server.answer(response);
    QHttps http(ssl, QStringLiteral("127.0.0.1"), server.port());
    QTemporaryFile file;
    qint64 received = 0;
    QObject::connect(&http, &QHttps::readyRead, [&] { received += http.readAll().size(); });
    QEventLoop loop;
    bool failed = true;
    QObject::connect(&http, &QHttps::done, [&](bool error) {
        failed = error;
        loop.quit();
    });
    QHttpsRequestHeader header(QStringLiteral("GET"), QStringLiteral("/"));
    http.request(header, QByteArray(), intoFile ? &file : nullptr);
    loop.exec();
    return !failed && (intoFile ? file.size() : received) == BODY;
}

void run(benchmark::State& state, bool ssl, bool isChunked, bool intoFile)
{
    std::unique_ptr<TestHttpServer> server;
    if (ssl)
        server = std::make_unique<TestHttpsServer>(s_certificates->serverConfiguration(TestCertificates::Good));
    else
        server = std::make_unique<TestHttpServer>();
    const QByteArray response = isChunked ? chunked() : counted();
    for (auto _ : state) {
        if (!download(*server, ssl, response, intoFile))
            state.SkipWithError("the download failed");
    }
    state.SetBytesProcessed(state.iterations() * BODY);
}

void countedIntoBuffer(benchmark::State& state) { run(state, false, false, false); }
void countedIntoFile(benchmark::State& state) { run(state, false, false, true); }
void chunkedIntoBuffer(benchmark::State& state) { run(state, false, true, false); }
void chunkedIntoFile(benchmark::State& state) { run(state, false, true, true); }
void tlsIntoBuffer(benchmark::State& state) { run(state, true, false, false); }
void tlsIntoFile(benchmark::State& state) { run(state, true, false, true); }

} // namespace

BENCHMARK(countedIntoBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(countedIntoFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(chunkedIntoBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(chunkedIntoFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(tlsIntoBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(tlsIntoFile)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    s_body = QByteArray(BODY, 'b');
    s_certificates = std::make_unique<TestCertificates>();
    QtSSLSocket::setDefaultCACertFile(s_certificates->caFile());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    s_certificates.reset();
    return 0;
}
