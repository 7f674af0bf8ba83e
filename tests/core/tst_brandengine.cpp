#include "core/brandengine.h"
#include "core/tarfilewriter.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Members = QList<QPair<QString, QByteArray>>;

QByteArray brandXml(const QByteArray& elements)
{
    return "<?xml version=\"1.0\"?>\n<brand>\n" + elements + "\n</brand>\n";
}

QByteArray pngImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::green);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

} // namespace

class TestBrandEngine : public QObject
{
    Q_OBJECT

private:
    // Writes a brand archive of the given members and returns its path.
    QByteArray makeArchive(const QString& name, const Members& members)
    {
        QFile file(_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(file.fileName()));
        TarFileWriter writer(file);
        for (const auto& [member, data] : members) {
            QFile source(_dir.filePath("member.tmp"));
            if (!source.open(QIODevice::WriteOnly) || source.write(data) != data.size())
                qFatal("cannot write a member");
            source.close();
            if (!writer.addFile(source.fileName(), member))
                qFatal("cannot add %s", qPrintable(member));
        }
        return QFile::encodeName(file.fileName());
    }

    BrandEngine* importBrand(const QByteArray& elements)
    {
        BrandEngine* brand = BrandEngine::instance();
        if (!brand->import(makeArchive("brand.dat", {{"brand.xml", brandXml(elements)}})))
            qFatal("cannot import the test brand");
        return brand;
    }

    QTemporaryDir _dir;

private slots:
    void cleanup() { BrandEngine::cleanUp(); }

    void firstDefinitionWins()
    {
        BrandEngine* brand = BrandEngine::instance();
        QVERIFY(brand->import(makeArchive("one.dat", {
            {"b.xml", brandXml("<string id='app_name' value='From B'/><int id='www_count' value='2'/>")},
            {"a.xml", brandXml("<string id='app_name' value='From A'/><string id='app_name' value='A again'/>")},
        })));
        QVERIFY(brand->import(makeArchive("two.dat", {
            {"brand.xml", brandXml("<string id='app_name' value='Other'/><bool id='feature.family' value='true'/>")},
        })));
        QCOMPARE(brand->getString("app_name"), QStringLiteral("From A"));
        QCOMPARE(brand->getInt("www_count"), 2);
        QVERIFY(brand->getBool("feature.family"));
        QVERIFY(!brand->import(_dir.filePath("absent.dat").toUtf8().constData()));
    }

    void filters()
    {
        QTest::ignoreMessage(QtWarningMsg,
                             "BrandEngine: Skipping element as it is not flagged for this product but 'other, '");
        BrandEngine* brand = importBrand(
            "<string id='other_product' value='x' product='other, '/>"
            "<string id='our_product' value='x' product='other, pantrel ,more'/>"
            "<string id='mac_only' value='x' platform='mac'/>"
            "<string id='empty_platform' value='x' platform=''/>"
            "<string id='blank_entry' value='x' platform='mac, ,win'/>"
            "<string id='trailing_comma' value='x' platform='mac,'/>");
        QVERIFY(!brand->idExists("other_product"));
        QVERIFY(brand->idExists("our_product"));
        QVERIFY(!brand->idExists("mac_only"));
        QVERIFY(brand->idExists("empty_platform"));
        QVERIFY(brand->idExists("blank_entry"));
        QVERIFY(brand->idExists("trailing_comma"));
    }

    void valuesAndIncompleteElements()
    {
        QTest::ignoreMessage(QtWarningMsg, "BrandEngine: Unknown tag 'colour' in brand.xml");
        BrandEngine* brand = importBrand(
            "<bool id='capitals' value='TRUE'/><bool id='off' value='False'/><bool id='yes' value='yes'/>"
            "<int id='number' value='42'/><int id='letters' value='12abc'/>"
            "<string id='' value='no id'/><string id='no_value' value=''/>"
            "<include file='other.xml'/><colour id='c' value='red'/>");
        QVERIFY(brand->getBool("capitals"));
        QVERIFY(!brand->getBool("off"));
        QVERIFY(!brand->idExists("yes"));
        QCOMPARE(brand->getInt("number"), 42);
        QCOMPARE(brand->getInt("letters"), 0);
        QVERIFY(!brand->idExists("no_value"));
        QVERIFY(!brand->idExists("c"));
    }

    // Other documents are skipped; a document that does not parse refuses the whole archive,
    // which then defines nothing.
    void damagedMembersAreSkipped()
    {
        QTest::ignoreMessage(QtWarningMsg, "BrandEngine: Skipping what looks not to be a branding xml file: a.xml");
        BrandEngine* brand = BrandEngine::instance();
        QVERIFY(brand->import(makeArchive("damaged.dat", {
            {"a.xml", "<branding><string id='a' value='1'/></branding>"},
            {"d.txt", brandXml("<string id='d' value='1'/>")},
            {"e.xml", brandXml("<string id='e' value='1'/>")},
        })));
        QVERIFY(!brand->idExists("a"));
        QVERIFY(!brand->idExists("d"));
        QVERIFY(brand->idExists("e"));
        for (const QByteArray& unreadable : {QByteArray("<brand><string id='b' value='1'/>"),
                                             QByteArray("\0\xff<brand", 8)}) {
            QString error;
            QVERIFY(!brand->import(makeArchive("unreadable.dat", {
                {"a.xml", brandXml("<string id='f' value='1'/>")},
                {"b.xml", unreadable},
            }), &error));
            QVERIFY2(error.startsWith("The brand document b.xml in the archive cannot be read at line "), qPrintable(error));
            QVERIFY(!brand->idExists("b") && !brand->idExists("f"));
        }
    }

    // An image that the brand names and its archive lacks refuses the whole archive.
    void images()
    {
        BrandEngine* brand = BrandEngine::instance();
        QString error;
        QVERIFY(!brand->import(makeArchive("lost.dat", {
            {"brand.xml", brandXml("<string id='name' value='x'/><image id='lost' fileref='lost.png'/>")},
        }), &error));
        QCOMPARE(error, QStringLiteral("The brand document brand.xml names the image lost.png, which the archive does not hold."));
        QVERIFY(!brand->idExists("name") && !brand->idExists("lost"));
        QVERIFY(brand->import(makeArchive("images.dat", {
            {"brand.xml", brandXml("<image id='splash' fileref='splash.png'/><image id='empty' fileref='empty.png'/>")},
            {"splash.png", pngImage(7, 5)},
            {"empty.png", QByteArray()},
        })));
        QCOMPARE(brand->getPixmap("splash").size(), QSize(7, 5));
        const std::unique_ptr<QPixmap> copy(brand->getPixmapPtr("splash"));
        QCOMPARE(copy->size(), QSize(7, 5));
        QVERIFY(brand->imageBytes("empty", &error).isEmpty());
        QCOMPARE(error, QStringLiteral("Couldn't find image file 'empty.png' for brand id 'empty'"));
    }

    void tokens()
    {
        BrandEngine* brand = importBrand(
            "<string id='web_address' value='example.org'/><string id='brand_id' value='Pantrel'/>"
            "<string id='site' value='${BRAND_ID} at ${WEB_ADDRESS}'/>");
        QString text("Go to ${WEB_ADDRESS} or ${WEB_ADDRESS}; ${SITE}.");
        QCOMPARE(brand->replaceTokens(text), QStringLiteral("Go to example.org or example.org; Pantrel at example.org."));
        QCOMPARE(text, QStringLiteral("Go to example.org or example.org; Pantrel at example.org."));
        text = "no tokens ${} $ {x}";
        QCOMPARE(brand->replaceTokens(text), QStringLiteral("no tokens ${} $ {x}"));

        QString error;
        text = "${NOT_THERE}";
        QVERIFY(!brand->expandTokens(text, &error));
        QCOMPARE(error, QStringLiteral("Couldn't find id 'not_there' in brand"));
    }

    void tokensThatNeverResolveAreRefused()
    {
        BrandEngine* brand = importBrand(
            "<string id='self' value='I am ${SELF}'/>"
            "<string id='ring_a' value='${ring_b}'/><string id='ring_b' value='${ring_c}'/>"
            "<string id='ring_c' value='${RING_A}'/>"
            "<string id='dollar' value='$'/><string id='spliced' value='${dollar}{spliced}'/>"
            "<string id='l0' value='${l1}${l1}${l1}${l1}'/><string id='l1' value='${l2}${l2}${l2}${l2}'/>"
            "<string id='l2' value='${l3}${l3}${l3}${l3}'/><string id='l3' value='${l4}${l4}${l4}${l4}'/>"
            "<string id='l4' value='${l5}${l5}${l5}${l5}'/><string id='l5' value='${l6}${l6}${l6}${l6}'/>"
            "<string id='l6' value='${l7}${l7}${l7}${l7}'/><string id='l7' value='${l8}${l8}${l8}${l8}'/>"
            "<string id='l8' value='${l9}${l9}${l9}${l9}'/><string id='l9' value='0123456789abcdef'/>");
        QString error;
        QString text("${SELF}");
        QVERIFY(!brand->expandTokens(text, &error));
        QCOMPARE(error, QStringLiteral("The brand text 'self' refers back to itself through its tokens"));
        text = "start ${RING_B}";
        QVERIFY(!brand->expandTokens(text, &error));
        QVERIFY2(error.contains("refers back to itself"), qPrintable(error));
        text = "${SPLICED}";
        QVERIFY(!brand->expandTokens(text, &error));
        QVERIFY2(error.contains("does not end"), qPrintable(error));
        text = "${L0}";
        QVERIFY(!brand->expandTokens(text, &error));
        QVERIFY2(error.contains("does not end"), qPrintable(error));
    }

    // A brand that lacks what is asked of it, a partial one in a chosen resource folder say,
    // is reported and gives an empty value: the program carries on.
    void failedLookupsAreReported_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("message");
        QTest::newRow("string") << "string" << "Couldn't find id 'missing' in brand";
        QTest::newRow("wrong type") << "bool" << "Couldn't find id 'app_name' in brand";
        QTest::newRow("int") << "int" << "Couldn't find id 'missing' in brand";
        QTest::newRow("image") << "pixmap" << "Couldn't find id 'lost_image' in brand";
        QTest::newRow("token loop") << "token" << "The brand text 'loop_a' refers back to itself through its tokens";
    }

    void failedLookupsAreReported()
    {
        QFETCH(QString, which);
        QFETCH(QString, message);
        BrandEngine* brand = importBrand(
            "<string id='app_name' value='Pantrel'/>"
            "<string id='loop_a' value='${LOOP_B}'/><string id='loop_b' value='x${loop_a}'/>");
        QTest::ignoreMessage(QtCriticalMsg, qPrintable(message));
        if (which == QLatin1String("string"))
            QCOMPARE(brand->getString("missing"), QString());
        else if (which == QLatin1String("bool"))
            QVERIFY(!brand->getBool("app_name"));
        else if (which == QLatin1String("int"))
            QCOMPARE(brand->getInt("missing"), 0);
        else if (which == QLatin1String("pixmap"))
            QVERIFY(brand->getPixmap("lost_image").isNull());
        else {
            QString text(QStringLiteral("Visit ${LOOP_A}"));
            QVERIFY(brand->replaceTokens(text).startsWith(QStringLiteral("Visit ")));
        }
    }
};

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    TestBrandEngine test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_brandengine.moc"
