#include "core/createdirectory.h"
#include "core/hexdump.h"
#include "core/md5.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestUtilities : public QObject
{
    Q_OBJECT

private slots:
    void md5Digests_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("digest");
        QTest::newRow("empty") << QByteArray() << QByteArray("d41d8cd98f00b204e9800998ecf8427e");
        QTest::newRow("abc") << QByteArray("abc") << QByteArray("900150983cd24fb0d6963f7d28e17f72");
        QTest::newRow("55") << QByteArray(55, 'a') << QByteArray("ef1772b6dff9a122358552954ad0df65");
        QTest::newRow("56") << QByteArray(56, 'a') << QByteArray("3b0c8ac703f828b04c6c197006d17218");
        QTest::newRow("63") << QByteArray(63, 'a') << QByteArray("b06521f39153d618550606be297466d5");
        QTest::newRow("64") << QByteArray(64, 'a') << QByteArray("014842d480b571495a4a0363793f7367");
        QTest::newRow("65") << QByteArray(65, 'a') << QByteArray("c743a45e0d2e6a95cb859adae0248435");
        QTest::newRow("rfc alphabet") << QByteArray("abcdefghijklmnopqrstuvwxyz")
                                      << QByteArray("c3fcd3d76192e4007dfb496cca67e13b");
    }

    void md5Digests()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, digest);
        unsigned char result[16];
        BX_MD5Sum(result, input.constData(), unsigned(input.size()));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(result), 16).toHex(), digest);
    }

    void createDirectoryLevelByLevel()
    {
        QTemporaryDir dir;
        const QString deep = dir.path() + "/one//two/three/";
        QVERIFY(orvCreateDirectory(deep));
        QVERIFY(QFileInfo(dir.path() + "/one/two/three").isDir());
        QVERIFY(orvCreateDirectory(deep));

        QFile file(dir.filePath("plain"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!orvCreateDirectory(dir.filePath("plain/below")));
        QVERIFY(!orvCreateDirectory(dir.filePath("plain")));
        QVERIFY(orvCreateDirectory("/"));
    }

    void relativePathStartsAtTheCurrentFolder()
    {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const bool created = orvCreateDirectory("rel/sub");
        QDir::setCurrent(previous);
        QVERIFY(created);
        QVERIFY(QFileInfo(dir.path() + "/rel/sub").isDir());
    }

    void networkPathNeedsServerAndShare()
    {
        QVERIFY(!orvCreateDirectory("//server"));
    }

    void hexDumpLines()
    {
        QByteArray data("Hello, hex dump!");
        data += QByteArray("\x00\x7f\x80", 3) + 'z';
        QTest::ignoreMessage(QtDebugMsg,
            "> 0000   48 65 6c 6c  6f 2c 20 68 - 65 78 20 64  75 6d 70 21  Hello, hex dump!");
        QTest::ignoreMessage(QtDebugMsg,
            "> 0010   00 7f 80 7a              -                           ...z");
        doHexDump(reinterpret_cast<const unsigned char*>(data.constData()), unsigned(data.size()), "> ");
        QTest::ignoreMessage(QtDebugMsg, "0000   41                       -                           A");
        doHexDump(reinterpret_cast<const unsigned char*>("A"), 1, nullptr);
    }
};

QTEST_GUILESS_MAIN(TestUtilities)
#include "tst_utilities.moc"
