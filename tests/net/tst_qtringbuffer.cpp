#include "net/qtringbuffer.h"

#include <QtTest>

class TestQtRingBuffer : public QObject
{
    Q_OBJECT

private slots:
    void writesTakeOnlyWhatFits()
    {
        QtRingBuffer ring(4);
        QCOMPARE(ring.usedSpace(), 0);
        QCOMPARE(ring.writeBlock("abcdef", 6), 4);
        QCOMPARE(ring.usedSpace(), 4);
        QCOMPARE(ring.freeSpace(), 0);
        QCOMPARE(ring.writeBlock("x", 1), 0);
        char out[8] = {};
        QCOMPARE(ring.readBlock(out, 2), 2);
        QCOMPARE(QByteArray(out, 2), QByteArray("ab"));
        QCOMPARE(ring.writeBlock("ghij", 4), 2);
        QCOMPARE(ring.readAll(), QByteArray("cdgh"));
        QCOMPARE(ring.usedSpace(), 0);
        QVERIFY(ring.isEmpty());
    }

    // Every split of reads and writes around the end of the array keeps the byte order.
    void wrapsAroundInAnyStep()
    {
        for (int step = 1; step <= 7; ++step) {
            QtRingBuffer ring(5);
            QByteArray in;
            QByteArray out;
            for (int i = 0; i < 40; ++i)
                in.append(char('a' + i % 26));
            qsizetype written = 0;
            while (out.size() < in.size()) {
                written += ring.writeBlock(in.constData() + written, int(std::min<qsizetype>(step, in.size() - written)));
                char chunk[8];
                const int got = ring.readBlock(chunk, 3);
                out.append(chunk, got);
            }
            QCOMPARE(out, in);
        }
    }

    void unReadPutsBackTheLastBytesThatFit()
    {
        QtRingBuffer ring(4);
        ring.writeBlock("ab", 2);
        QCOMPARE(ring.unReadBlock("xyz", 3), 2);
        QCOMPARE(ring.usedSpace(), 4);
        QCOMPARE(ring.readAll(), QByteArray("yzab"));
        // From an empty buffer whose read position is 0, the bytes go in before it.
        QCOMPARE(ring.unReadBlock("12", 2), 2);
        QCOMPARE(ring.readAll(), QByteArray("12"));
    }

    void findCountsFromTheReadPositionAcrossTheEnd()
    {
        QtRingBuffer ring(6);
        ring.writeBlock("abcd", 4);
        char skip[4];
        ring.readBlock(skip, 3);         // read position 3, "d" left
        ring.writeBlock("ef\ngh", 5);    // wraps: d e f | \n g h
        QCOMPARE(ring.find('\n'), 3);
        QCOMPARE(ring.find('h'), 5);
        QCOMPARE(ring.find('z'), -1);
        QCOMPARE(ring.find('a'), -1);    // consumed bytes are not found
    }

    void nullPointersAreRefused()
    {
        QtRingBuffer ring(4);
        QTest::ignoreMessage(QtWarningMsg, "Null pointer passed to QtRingBuffer::writeBlock.");
        QCOMPARE(ring.writeBlock(nullptr, 2), -1);
        QTest::ignoreMessage(QtWarningMsg, "Null pointer passed to QtRingBuffer::readBlock.");
        QCOMPARE(ring.readBlock(nullptr, 2), -1);
        QTest::ignoreMessage(QtWarningMsg, "Null pointer passed to QtRingBuffer::unReadBlock.");
        QCOMPARE(ring.unReadBlock(nullptr, 2), -1);
    }
};

QTEST_GUILESS_MAIN(TestQtRingBuffer)
#include "tst_qtringbuffer.moc"
