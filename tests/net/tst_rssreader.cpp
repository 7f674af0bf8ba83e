// The feed reader over well-formed, odd and hostile documents.

#include "net/rssreader.h"

#include <QtTest>

namespace {

QByteArray feed(const QByteArray& channelBody, const QByteArray& root = "rss version=\"2.0\"")
{
    const QByteArray rootName = root.split(' ').first();
    return "<?xml version=\"1.0\"?><" + root + "><channel><title>T</title><link>http://x/</link>"
           "<description>D</description>" + channelBody + "</channel></" + rootName + ">";
}

} // namespace

class TestRSSReader : public QObject
{
    Q_OBJECT

private slots:
    void readsChannelAndItems()
    {
        RSSReader reader(feed("<item><guid>a</guid><link>http://x/a.gz</link>"
                              "<pubDate>2026-12-01T10:20:30</pubDate><orv:message>hi</orv:message>"
                              "<orv:message>second</orv:message><plain>p</plain></item>"
                              "<group><item><guid>b</guid></item></group>"));
        RSSChannel* channel = reader.getChannel();
        QVERIFY(channel);
        QCOMPARE(reader.version(), QStringLiteral("2.0"));
        QCOMPARE(channel->title(), QStringLiteral("T"));
        QCOMPARE(channel->desc(), QStringLiteral("D"));
        QCOMPARE(channel->itemCount(), 2);
        RSSItem* item = channel->findItemWithGUID(QStringLiteral("a"));
        QVERIFY(item);
        QCOMPARE(item->link(), QStringLiteral("http://x/a.gz"));
        QCOMPARE(item->pubDate(), QDateTime(QDate(2026, 12, 1), QTime(10, 20, 30)));
        QCOMPARE(item->customField(QStringLiteral("orv:message")), QStringLiteral("hi"));
        QVERIFY(!item->hasCustomField(QStringLiteral("plain")));
        // An item nested below another element is found too.
        QVERIFY(channel->findItemWithGUID(QStringLiteral("b")));
        QVERIFY(!channel->findItemWithGUID(QStringLiteral("B")));
    }

    void firstOfEqualGuidsWins()
    {
        RSSReader reader(feed("<item><guid>g</guid><link>one</link></item>"
                              "<item><guid>g</guid><link>two</link></item>"));
        QCOMPARE(reader.getChannel()->findItemWithGUID(QStringLiteral("g"))->link(), QStringLiteral("one"));
    }

    void itemsWithoutFields()
    {
        RSSReader reader(feed("<item/><item><other>x</other></item>"
                              "<item><orv:message>only</orv:message></item>"));
        RSSChannel* channel = reader.getChannel();
        QVERIFY(channel);
        QCOMPARE(channel->itemCount(), 1);
        RSSReader single(feed("<item><orv:message>only</orv:message><guid>m</guid></item>"));
        RSSItem* item = single.getChannel()->findItemWithGUID(QStringLiteral("m"));
        QVERIFY(item->link().isNull());
        QVERIFY(!item->pubDate().isValid());
    }

    void pubDateOnlyInIsoForm()
    {
        RSSReader reader(feed("<item><guid>r</guid><pubDate>Tue, 01 Dec 2026 10:00:00 GMT</pubDate></item>"));
        QVERIFY(!reader.getChannel()->findItemWithGUID(QStringLiteral("r"))->pubDate().isValid());
    }

    void unusableDocumentsGiveNoChannel_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("root is not rss") << feed("<item><guid>a</guid></item>", "feed version=\"2.0\"");
        QTest::newRow("no channel") << QByteArray("<rss version=\"2.0\"><item><guid>a</guid></item></rss>");
        QTest::newRow("no description")
            << QByteArray("<rss><channel><title>T</title><link>L</link><item><guid>a</guid></item></channel></rss>");
        QTest::newRow("no xml") << QByteArray::fromHex("1f8b0800ff20fffe00");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("html error page") << QByteArray("<html><body><h1>500</h1></body></html>");
        QTest::newRow("entity expansion")
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaa\">"
                          "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                          "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                          "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
                          "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\"><!ENTITY i \"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">]>"
                          "<rss><channel><title>&i;</title><link>L</link><description>D</description>"
                          "<item><guid>a</guid></item></channel></rss>");
    }

    void unusableDocumentsGiveNoChannel()
    {
        QFETCH(QByteArray, data);
        QElapsedTimer timer;
        timer.start();
        RSSReader reader(data);
        QVERIFY(!reader.getChannel());
        QVERIFY(timer.elapsed() < 2000);
    }

    // A feed needs a few levels; a document nested deeper is not a feed, however deep.
    void nestingDepth_data()
    {
        QTest::addColumn<int>("wrappers");
        QTest::addColumn<bool>("read");
        // rss, channel, the wrappers, item and guid.
        const int allowed = RSSReader::MAX_DEPTH - 4;
        QTest::newRow("at the limit") << allowed << true;
        QTest::newRow("one level more") << allowed + 1 << false;
        QTest::newRow("100,000 deep") << 100000 << false;
    }

    void nestingDepth()
    {
        QFETCH(int, wrappers);
        QFETCH(bool, read);
        const QByteArray deep = QByteArray("<g>").repeated(wrappers) + "<item><guid>d</guid></item>"
                              + QByteArray("</g>").repeated(wrappers);
        RSSReader reader(feed(deep));
        QCOMPARE(reader.getChannel() != nullptr, read);
        if (read)
            QVERIFY(reader.getChannel()->findItemWithGUID(QStringLiteral("d")));
    }

    void emptyElementsCountAsPresent()
    {
        RSSReader reader("<rss><channel><title/><link></link><description/>"
                         "<item><guid>e</guid><link/></item></channel></rss>");
        QVERIFY(reader.getChannel());
        QVERIFY(reader.version().isNull());
        QVERIFY(reader.getChannel()->findItemWithGUID(QStringLiteral("e"))->link().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRSSReader)
#include "tst_rssreader.moc"
