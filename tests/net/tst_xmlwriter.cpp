// The XML writer byte for byte, and the reading of the services' replies.

#include "net/publishresponse.h"
#include "net/xmlwriter.h"

#include <QtTest>

#include <locale>
#include <sstream>

namespace {

const char* const Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n";

// A numeric facet whose decimal point is a comma, as some user locales have.
struct CommaPoint : std::numpunct<char>
{
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

std::string numbers()
{
    std::ostringstream out;
    {
        XmlWriter writer(out);
        writer.element("n");
        writer.attribute("a") << 1.5;
        writer.attribute("b") << 250;
        writer.attribute("c") << 1.0 / 3.0;
        writer.attribute("d") << 1000000.0;
        writer.attribute("e") << 2.5f;
        writer.attribute("f") << 12345;
    }
    return out.str();
}

} // namespace

class TestXmlWriter : public QObject
{
    Q_OBJECT

private slots:
    void layoutOfNestedAndEmptyElements()
    {
        std::ostringstream out;
        {
            XmlWriter writer(out);
            writer.element("root");
            writer.attribute("protocol") << "1.1";
            writer.element("empty");
            writer.endElement();
            writer.element(std::string("list"));
            writer.element("item");
            writer.attribute(std::string("id")) << 66;
            writer.attribute("meal") << "B";
            // The rest is closed by the destructor.
        }
        QCOMPARE(QString::fromStdString(out.str()),
                 QString::fromLatin1(Declaration) + QStringLiteral("<root protocol=\"1.1\" >\n"
                                                                   "  <empty />\n"
                                                                   "  <list >\n"
                                                                   "    <item id=\"66\" meal=\"B\" />\n"
                                                                   "  </list>\n"
                                                                   "</root>\n"));
    }

    void aLoneRootIsEmpty()
    {
        std::ostringstream out;
        {
            XmlWriter writer(out);
            writer.element("metrics");
            writer.attribute("protocol") << "1.0";
        }
        QCOMPARE(out.str(), std::string(Declaration) + "<metrics protocol=\"1.0\" />\n");
        // Ending more elements than were opened writes nothing.
        std::ostringstream again;
        XmlWriter writer(again);
        writer.endElement();
        QCOMPARE(again.str(), std::string(Declaration));
    }

    void numbersUseTheStreamDefaultsInAnyLocale()
    {
        const std::string expected = std::string(Declaration)
            + "<n a=\"1.5\" b=\"250\" c=\"0.333333\" d=\"1e+06\" e=\"2.5\" f=\"12345\" />\n";
        QCOMPARE(numbers(), expected);
        const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaPoint));
        const std::string underComma = numbers();
        std::locale::global(previous);
        QCOMPARE(underComma, expected);
    }

    void valuesAreEscaped()
    {
        std::ostringstream out;
        {
            XmlWriter writer(out);
            writer.element("food");
            writer.attribute("desc") << "Tom's \"Fish\" & <Chips> Crème";
            writer.attribute("note") << "a\tb\nc\r\nd\x01\x1f" << "e";
        }
        QCOMPARE(out.str(), std::string(Declaration)
                                + "<food desc=\"Tom's &quot;Fish&quot; &amp; &lt;Chips&gt; Crème\" "
                                  "note=\"a&#9;b&#10;c&#13;&#10;de\" />\n");
    }

    void formatStreamFlagsReachNewValues()
    {
        std::ostringstream out;
        {
            XmlWriter writer(out);
            writer.attFlagStream().precision(3);
            writer.element("v");
            writer.attribute("x") << 3.14159;
        }
        QCOMPARE(out.str(), std::string(Declaration) + "<v x=\"3.14\" />\n");
    }

    void replyFields_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("wellFormed");
        QTest::addColumn<bool>("hasResponse");
        QTest::addColumn<bool>("numberValid");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("show");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("success") << QByteArray("<response errno=\"0\" show=\"yes\"/>") << true << true
                                 << true << 0 << QString() << true << true;
        QTest::newRow("error") << QByteArray("<?xml version=\"1.0\"?><response errno=\"12\" errstr=\"Bad login\"/>")
                               << true << true << true << 12 << QStringLiteral("Bad login") << false << false;
        QTest::newRow("nested") << QByteArray("<r><response errno=\"0\" show=\"no\"/></r>") << true << true
                                << true << 0 << QString() << false << true;
        QTest::newRow("no errno") << QByteArray("<response errstr=\"x\"/>") << true << true << false << 0
                                  << QStringLiteral("x") << false << false;
        QTest::newRow("errno not a number") << QByteArray("<response errno=\"abc\"/>") << true << true
                                            << false << 0 << QString() << false << false;
        QTest::newRow("no response") << QByteArray("<ok/>") << true << false << false << 0 << QString()
                                     << false << false;
        QTest::newRow("html page") << QByteArray("<html><body><p>Error<br></body></html>") << false
                                   << false << false << 0 << QString() << false << false;
        QTest::newRow("empty") << QByteArray() << false << false << false << 0 << QString() << false << false;
        QTest::newRow("utf-8 text")
            << QByteArray("<response errno=\"3\" errstr=\"Cr\xc3\xa8me\"/>") << true << true << true << 3
            << QStringLiteral("Crème") << false << false;
    }

    void replyFields()
    {
        QFETCH(QByteArray, reply);
        PublishResponse response;
        QTEST(response.parse(reply), "wellFormed");
        QTEST(response.hasResponse(), "hasResponse");
        QTEST(response.errorNumberValid(), "numberValid");
        QTEST(response.errorNumber(), "number");
        QTEST(response.errorText(), "text");
        QTEST(response.show(), "show");
        QTEST(response.accepted(), "accepted");
    }
};

QTEST_GUILESS_MAIN(TestXmlWriter)
#include "tst_xmlwriter.moc"
