// Feeds arbitrary bytes to the updater's decompressing copy with a small size limit. The copy
// must refuse, or write exactly what zlib itself inflates from the input: its gzip members one
// after the other, while the next bytes start another member.
#include "net/staticdbupdater.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

constexpr qint64 LIMIT = 1 << 20;

void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

void startApplication()
{
    static int argc = 1;
    static char name[] = "fuzz_gzip";
    static char* argv[] = {name, nullptr};
    qInstallMessageHandler(dropMessages);
    static QCoreApplication application(argc, argv);
}

// zlib's inflation of the gzip members of input; none when a member is broken or the data
// passes the limit.
std::optional<QByteArray> inflateMembers(const QByteArray& input)
{
    QByteArray out;
    qsizetype at = 0;
    char block[16384];
    do {
        z_stream stream = {};
        if (inflateInit2(&stream, 15 + 16) != Z_OK)
            return std::nullopt;
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.constData() + at));
        stream.avail_in = uInt(input.size() - at);
        int result = Z_OK;
        while (result == Z_OK) {
            stream.next_out = reinterpret_cast<Bytef*>(block);
            stream.avail_out = sizeof block;
            result = inflate(&stream, Z_NO_FLUSH);
            out.append(block, qsizetype(sizeof block - stream.avail_out));
            if (out.size() > LIMIT || (result == Z_BUF_ERROR && stream.avail_in == 0))
                result = Z_DATA_ERROR;
        }
        at = input.size() - stream.avail_in;
        inflateEnd(&stream);
        if (result != Z_STREAM_END)
            return std::nullopt;
    } while (input.size() - at > 1 && uchar(input.at(at)) == 0x1f && uchar(input.at(at + 1)) == 0x8b);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool started = (startApplication(), true);
    (void)started;
    static QTemporaryDir folder;
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString source = folder.filePath(QStringLiteral("static.download"));
    const QString destination = folder.filePath(QStringLiteral("static.db.new"));
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(input) != input.size())
        std::abort();
    file.close();
    if (!StaticDbUpdater::instance()->copyFile(source, destination, LIMIT))
        return 0;
    QFile copied(destination);
    if (!copied.open(QIODevice::ReadOnly))
        std::abort();
    const std::optional<QByteArray> expected = inflateMembers(input);
    if (!expected || copied.readAll() != *expected) {
        std::fprintf(stderr, "fuzz_gzip: accepted input that zlib does not inflate to the same bytes\n");
        std::abort();
    }
    return 0;
}
