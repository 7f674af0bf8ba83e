#include "core/tarfilewriter.h"
#include "core/tarreader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <list>
#include <string>

#include <sys/stat.h>

namespace {

// A raw header block: name bytes at 0, the size field text at 124, the checksum at 148.
QByteArray headerBlock(const QByteArray& name, const QByteArray& sizeField)
{
    QByteArray block(512, '\0');
    block.replace(0, name.size(), name);
    block.replace(124, sizeField.size(), sizeField);
    block.replace(148, 8, QByteArray(8, ' '));
    int sum = 0;
    for (const char byte : block)
        sum += static_cast<unsigned char>(byte);
    return block.replace(148, 7, QByteArray::number(sum, 8).rightJustified(6, '0') + '\0');
}

QByteArray padded(const QByteArray& data)
{
    return data + QByteArray((512 - data.size() % 512) % 512, '\0');
}

} // namespace

class TestTarReader : public QObject
{
    Q_OBJECT

private:
    std::string writeRaw(const QString& name, const QByteArray& bytes)
    {
        const QString path = _dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path.toStdString();
    }

    // An archive of members (name, data) made by the writer.
    std::string writeArchive(const QString& name, const QList<QPair<QString, QByteArray>>& members)
    {
        QFile file(_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(file.fileName()));
        {
            TarFileWriter writer(file);
            int n = 0;
            for (const auto& [member, data] : members) {
                const std::string source = writeRaw(QString("source%1").arg(n++), data);
                if (!writer.addFile(QString::fromStdString(source), member))
                    qFatal("cannot add %s", qPrintable(member));
            }
        }
        return file.fileName().toStdString();
    }

    QTemporaryDir _dir;

private slots:
    void readsWhatTheWriterWrote()
    {
        const QByteArray big(70000, 'b');
        TarReader reader;
        QVERIFY(reader.open(writeArchive("a.tar", {{"one.xml", "<brand/>"}, {"big.png", big}, {"empty", {}}})));
        QCOMPARE(reader.readFile("one.xml"), QByteArray("<brand/>"));
        QCOMPARE(reader.readFile("big.png"), big);
        QVERIFY(reader.readFile("empty").isEmpty());
        QVERIFY(reader.readFile("missing").isEmpty());
        const std::list<std::string> all{"big.png", "empty", "one.xml"};
        QVERIFY(reader.listFiles(".*", true) == all);
        QVERIFY(reader.isWhole());
    }

    void firstMemberOfANameWins()
    {
        TarReader reader;
        QVERIFY(reader.open(writeArchive("dup.tar", {{"x", "first"}, {"x", "second"}})));
        QCOMPARE(reader.readFile("x"), QByteArray("first"));
    }

    void listMatchesWholeNames()
    {
        TarReader reader;
        QVERIFY(reader.open(writeArchive("l.tar", {{"brand.xml", "1"}, {"brand.xml.bak", "2"}, {"brand.XML", "3"}})));
        QVERIFY(reader.listFiles(".*xml", true) == std::list<std::string>{"brand.xml"});
        const std::list<std::string> caseless{"brand.XML", "brand.xml"};
        QVERIFY(reader.listFiles(".*xml", false) == caseless);
        QVERIFY(reader.listFiles("([", true).empty());
    }

    void unreadableFiles()
    {
        TarReader reader;
        QVERIFY(!reader.open(_dir.filePath("absent.tar").toStdString()));
        QVERIFY(!reader.open(_dir.path().toStdString()));
        // A pipe in the archive's place is refused, not waited on.
        const QString pipe = _dir.filePath("pipe.tar");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QVERIFY(!reader.open(pipe.toStdString()));
        QCOMPARE(reader.errorString(), QStringLiteral("Not a regular file"));
        QVERIFY(reader.open(writeRaw("empty.tar", QByteArray())));
        QVERIFY(reader.listFiles(".*", true).empty());
        QVERIFY(!reader.isWhole());
    }

    void truncatedMemberIsListedButNotRead()
    {
        const QByteArray archive = headerBlock("a", "00000000004") + padded("aaaa")
                                   + headerBlock("b", "00000002000") + QByteArray(100, 'b');
        TarReader reader;
        QVERIFY(reader.open(writeRaw("cut.tar", archive)));
        QVERIFY(reader.listFiles(".*", true) == (std::list<std::string>{"a", "b"}));
        QCOMPARE(reader.readFile("a"), QByteArray("aaaa"));
        QVERIFY(reader.readFile("b").isEmpty());
        QVERIFY(!reader.isWhole());
        QCOMPARE(reader.errorString(),
                 QStringLiteral("The archive is cut short or damaged: it stops after 1636 bytes, inside a member."));

        // Cut between two members, where no end blocks follow.
        QVERIFY(reader.open(writeRaw("cut2.tar", headerBlock("a", "00000000004") + padded("aaaa"))));
        QCOMPARE(reader.readFile("a"), QByteArray("aaaa"));
        QVERIFY(!reader.isWhole());
        QCOMPARE(reader.errorString(),
                 QStringLiteral("The archive is cut short or damaged: it stops after 1024 bytes, before its end."));
    }

    void hostileHeaders()
    {
        // A size far past the end of the file, a size with digits 8 and 9 and no NUL,
        // a name without its NUL and a header cut short.
        const QByteArray longName(100, 'n');
        QByteArray archive = headerBlock(longName, "00000000002") + padded("nn")
                             + headerBlock("huge", "999999999999") + QByteArray(600, 'h');
        TarReader reader;
        QVERIFY(reader.open(writeRaw("hostile.tar", archive)));
        QVERIFY(reader.listFiles(".*", true) == (std::list<std::string>{"huge", longName.toStdString()}));
        QCOMPARE(reader.readFile(longName.toStdString()), QByteArray("nn"));
        QVERIFY(reader.readFile("huge").isEmpty());
        QVERIFY(!reader.isWhole());

        archive = headerBlock("c", "00000000003") + padded("ccc") + headerBlock("d", "1").left(300);
        QVERIFY(reader.open(writeRaw("short.tar", archive)));
        QVERIFY(reader.listFiles(".*", true) == std::list<std::string>{"c"});
        QVERIFY(!reader.isWhole());
        // A size garbled after the checksum was taken; a cut filled back with zeros.
        const QByteArray whole = headerBlock("c", "00000000003") + padded("ccc") + QByteArray(1024, '\0');
        QVERIFY(reader.open(writeRaw("garbled.tar", QByteArray(whole).replace(134, 1, "7"))));
        QCOMPARE(reader.errorString(), QStringLiteral("The archive is damaged: the block at byte 0 is no member's header."));
        QVERIFY(reader.open(writeRaw("filled.tar", whole + QByteArray(20480, '\0'))));
        QCOMPARE(reader.errorString(), QStringLiteral("The archive is damaged: 20480 bytes follow its end at byte 1024."));
        // The last member wiped out from its header on, where no record ends, is no end.
        QFile wiped(QString::fromStdString(writeArchive("wiped.tar", {{"a", "aaaa"}, {"b", QByteArray(2000, 'b')}})));
        QVERIFY(wiped.open(QIODevice::ReadWrite) && wiped.seek(1024) && wiped.write(QByteArray(3584, '\0')) == 3584);
        wiped.close();
        QVERIFY(reader.open(wiped.fileName().toStdString()));
        QCOMPARE(reader.errorString(), QStringLiteral("The archive is damaged: 2560 bytes follow its end at byte 1024."));
    }

    void sizeFieldTakesDigitsAsOctalPlaces()
    {
        // Blanks are skipped and every digit, 8 and 9 included, is one more octal place.
        const QByteArray archive = headerBlock("s", " 1 2\0") + padded(QByteArray(10, 's')) + QByteArray(1024, '\0');
        TarReader reader;
        QVERIFY(reader.open(writeRaw("size.tar", archive)));
        QCOMPARE(reader.readFile("s"), QByteArray(10, 's'));
        const QByteArray nine = headerBlock("t", "19") + padded(QByteArray(17, 't'));
        QVERIFY(reader.open(writeRaw("nine.tar", nine)));
        QCOMPARE(reader.readFile("t").size(), 17);
    }
};

QTEST_GUILESS_MAIN(TestTarReader)
#include "tst_tarreader.moc"
