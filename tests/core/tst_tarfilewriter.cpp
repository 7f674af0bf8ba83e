#include "core/tarfilewriter.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A device that accepts only a fixed number of bytes, as a full disk would.
class LimitedDevice : public QIODevice
{
public:
    explicit LimitedDevice(qint64 capacity) : _capacity(capacity) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 length) override
    {
        const qint64 accepted = qMin(length, _capacity);
        _capacity -= accepted;
        return accepted;
    }

private:
    qint64 _capacity;
};

unsigned int headerChecksum(const QByteArray& header)
{
    unsigned int sum = 0;
    for (int i = 0; i < 500; ++i)
        sum += (i >= 148 && i < 156) ? unsigned(' ') : static_cast<unsigned char>(header[i]);
    return sum;
}

} // namespace

class TestTarFileWriter : public QObject
{
    Q_OBJECT

private:
    QString makeFile(const QString& name, const QByteArray& data)
    {
        const QString path = _dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            qFatal("cannot write the test file %s", qPrintable(path));
        return path;
    }

    QByteArray archiveOf(const QString& path, const QString& member, bool* ok = nullptr)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        {
            TarFileWriter writer(buffer);
            const bool added = writer.addFile(path, member);
            if (ok)
                *ok = added && !writer.error();
        }
        return buffer.data();
    }

    QTemporaryDir _dir;

private slots:
    void emptyMemberIsOneHeaderAndTheEndBlocks()
    {
        bool ok = false;
        const QByteArray archive = archiveOf(makeFile("empty", QByteArray()), "empty.txt", &ok);
        QVERIFY(ok);
        QCOMPARE(archive.size(), 1536);
        QCOMPARE(archive.mid(512), QByteArray(1024, '\0'));
    }

    void headerFieldsFollowTheOldLayout()
    {
        const QByteArray data(513, 'x');
        const QString path = makeFile("data.bin", data);
        const QByteArray archive = archiveOf(path, "brand.xml");
        QCOMPARE(archive.size(), 512 + 1024 + 1024);
        const QByteArray header = archive.left(512);
        QCOMPARE(header.left(10), QByteArray("brand.xml\0", 10));
        QCOMPARE(header.mid(9, 91), QByteArray(91, '\0'));
        QCOMPARE(header.mid(100, 8), QByteArray("0100600\0", 8));
        QCOMPARE(header.mid(108, 8), QByteArray("0000000\0", 8));
        QCOMPARE(header.mid(116, 8), QByteArray("0000000\0", 8));
        QCOMPARE(header.mid(124, 12), QByteArray("00000001001\0", 12));
        const qint64 modified = QFileInfo(path).lastModified().toSecsSinceEpoch();
        QCOMPARE(header.mid(136, 12), QString::asprintf("%011llo", modified).toLatin1() + '\0');
        QCOMPARE(header.mid(148, 8), QString::asprintf("%06o", headerChecksum(header)).toLatin1() + QByteArray("\0 ", 2));
        QCOMPARE(header.at(156), '0');
        QCOMPARE(header.mid(157), QByteArray(355, '\0'));
        QCOMPARE(archive.mid(512, 513), data);
        QCOMPARE(archive.mid(1025, 511 + 1024), QByteArray(511 + 1024, '\0'));
    }

    void nameLengthLimit()
    {
        const QString path = makeFile("f", "abc");
        bool ok = false;
        QByteArray archive = archiveOf(path, QString(99, 'n'), &ok);
        QVERIFY(ok);
        QCOMPARE(archive.size(), 512 + 512 + 1024);

        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        {
            TarFileWriter writer(buffer);
            QVERIFY(!writer.addFile(path, QString(100, 'n')));
            QString text;
            QVERIFY(writer.error(&text));
            QCOMPARE(text, QStringLiteral("TarFileWriter error - Contents file name exceeds 99 characters"));
            QVERIFY(!writer.addFile(path, "later"));
        }
        QVERIFY(buffer.data().isEmpty());
    }

    void missingSourceIsNoError()
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        {
            TarFileWriter writer(buffer);
            QVERIFY(!writer.addFile(_dir.filePath("nothing-here"), "x"));
            QVERIFY(!writer.error());
            QVERIFY(writer.addFile(makeFile("present", "1"), "y"));
        }
        QCOMPARE(buffer.data().size(), 2048);
    }

    void failedWritesAreReportedAndStopTheArchive()
    {
        const QString path = makeFile("w", QByteArray(100, 'w'));
        QBuffer readOnly;
        readOnly.open(QIODevice::ReadOnly);
        QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): ReadOnly device");
        {
            TarFileWriter writer(readOnly);
            QVERIFY(!writer.addFile(path, "w"));
            QString text;
            QVERIFY(writer.error(&text));
            QVERIFY(text.contains("returned -1 (fatal error)"));
        }
        LimitedDevice full(600);
        {
            TarFileWriter writer(full);
            QVERIFY(!writer.addFile(path, "w"));
            QString text;
            QVERIFY(writer.error(&text));
            QCOMPARE(text, QStringLiteral("TarFileWriter error - _ioDevice.writeBlock only wrote 88 of 100 bytes"));
        }
    }
};

QTEST_GUILESS_MAIN(TestTarFileWriter)
#include "tst_tarfilewriter.moc"
