#include "browser/browseritemflags.h"
#include "browser/itemdrag.h"

#include <QMimeData>
#include <QtEndian>
#include <QtTest>

class TestItemDrag : public QObject
{
    Q_OBJECT

private slots:
    void payloadRoundTrip_data()
    {
        QTest::addColumn<qint64>("id");
        QTest::addColumn<int>("type");
        QTest::newRow("static food") << qint64(1234) << int(FoodItemFlag);
        QTest::newRow("custom category") << qint64(0x1FFF003) << int(FoodItemFlag | CustomItemFlag | CategoryItemFlag);
        QTest::newRow("negative id") << qint64(-2) << int(RecipeItemFlag);
        QTest::newRow("largest id of 32 bits") << qint64(0x7FFFFFFF) << 255;
        // A reader of 8 bytes takes it for -1, the id of nothing.
        QTest::newRow("diary entry past 32 bits") << (qint64(1) << 32) + 1 << int(FoodItemFlag);
    }

    void payloadRoundTrip()
    {
        QFETCH(qint64, id);
        QFETCH(int, type);
        ItemDrag drag(id, static_cast<unsigned char>(type));
        QCOMPARE(drag.formats(), QStringList{QStringLiteral("binary/bxitem")});

        const QByteArray payload = drag.data(QStringLiteral("binary/bxitem"));
        const bool wide = id > 0x7FFFFFFF;
        QCOMPARE(payload.size(), wide ? 16 : 8);
        QCOMPARE(payload.mid(5, 3), QByteArray(3, '\0'));
        QCOMPARE(qFromLittleEndian<qint32>(payload.constData()), wide ? -1 : id);

        ItemDrag::ItemEncoded out;
        QVERIFY(ItemDrag::decode(&drag, out));
        QCOMPARE(out.id, id);
        QCOMPARE(int(out.type), type);
    }

    void payloadIsLittleEndianWithPaddingIgnored()
    {
        QByteArray payload = QByteArray::fromHex("0201000011ffffff");
        QMimeData mime;
        mime.setData(QStringLiteral("binary/bxitem"), payload);
        ItemDrag::ItemEncoded out;
        QVERIFY(ItemDrag::decode(&mime, out));
        QCOMPARE(out.id, qint64(0x102));
        QCOMPARE(int(out.type), 0x11);
        QCOMPARE(ItemDrag::encode(0x102, 0x11), QByteArray::fromHex("0201000011000000"));
    }

    void refusals()
    {
        ItemDrag::ItemEncoded out{77, 9};

        QVERIFY(!ItemDrag::decode(nullptr, out));

        QMimeData secondFormat;
        secondFormat.setText(QStringLiteral("a food"));
        secondFormat.setData(QStringLiteral("binary/bxitem"), ItemDrag::encode(5, 1));
        QVERIFY(!ItemDrag::decode(&secondFormat, out));

        QMimeData shortData;
        shortData.setData(QStringLiteral("binary/bxitem"), QByteArray::fromHex("01020304"));
        QVERIFY(!ItemDrag::decode(&shortData, out));

        QMimeData empty;
        QVERIFY(!ItemDrag::decode(&empty, out));

        QCOMPARE(out.id, qint64(77));
        QCOMPARE(int(out.type), 9);

        QMimeData fiveBytes;
        fiveBytes.setData(QStringLiteral("binary/bxitem"), QByteArray::fromHex("0700000002"));
        QVERIFY(ItemDrag::decode(&fiveBytes, out));
        QCOMPARE(out.id, qint64(7));
        QCOMPARE(int(out.type), 2);
    }

    void setEncodedDataReplacesPayloadAndIgnoresShortData()
    {
        ItemDrag drag(1, FoodItemFlag);
        drag.setEncodedData(ItemDrag::encode(42, ExerciseItemFlag));
        QCOMPARE(drag.id(), qint64(42));
        QCOMPARE(int(drag.type()), int(ExerciseItemFlag));
        ItemDrag::ItemEncoded out;
        QVERIFY(ItemDrag::decode(&drag, out));
        QCOMPARE(out.id, qint64(42));

        drag.setEncodedData(QByteArray("abc"));
        QCOMPARE(drag.id(), qint64(42));
        QCOMPARE(int(drag.type()), int(ExerciseItemFlag));
    }
};

QTEST_GUILESS_MAIN(TestItemDrag)
#include "tst_itemdrag.moc"
