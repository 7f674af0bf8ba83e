#include "core/bxsettings.h"
#include "core/clock.h"
#include "profile/datelineedit.h"

#include <QLocale>
#include <QScopeGuard>
#include <QtTest>

class TestDateLineEdit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        Clock::setNow(QDateTime(QDate(2006, 6, 1), QTime(12, 0)));
    }

    void cleanupTestCase() { Clock::reset(); }

    void parsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("monthFirst");
        QTest::addColumn<int>("currentYear");
        QTest::addColumn<QDate>("expected");

        const QDate nov5(1970, 11, 5);
        const QDate dec12(1970, 12, 12);
        QTest::newRow("slashes") << "5/11/1970" << false << 2006 << nov5;
        QTest::newRow("points") << "5.11.1970" << false << 2006 << nov5;
        QTest::newRow("dashes") << "5-11-1970" << false << 2006 << nov5;
        QTest::newRow("blanks") << "5 11 1970" << false << 2006 << nov5;
        QTest::newRow("blanks around separators") << " 5 / 11 / 1970 " << false << 2006 << nov5;
        QTest::newRow("short month name") << "5 nov 1970" << false << 2006 << nov5;
        QTest::newRow("long month name") << "5 November 1970" << false << 2006 << nov5;
        QTest::newRow("upper-case name") << "12 DEC 1970" << false << 2006 << dec12;
        QTest::newRow("long name, other month") << "12 December 1970" << false << 2006 << dec12;
        QTest::newRow("month first") << "11/5/1970" << true << 2006 << nov5;
        QTest::newRow("06 this century") << "1/2/06" << false << 2006 << QDate(2006, 2, 1);
        QTest::newRow("07 last century") << "1/2/07" << false << 2006 << QDate(1907, 2, 1);
        QTest::newRow("99 last century") << "1/2/99" << false << 2006 << QDate(1999, 2, 1);
        QTest::newRow("25 in 2025") << "1/2/25" << false << 2025 << QDate(2025, 2, 1);
        QTest::newRow("26 in 2025") << "1/2/26" << false << 2025 << QDate(1926, 2, 1);
        QTest::newRow("1899 parses") << "1/2/1899" << false << 2006 << QDate(1899, 2, 1);
        QTest::newRow("no year") << "1/2/" << false << 2006 << QDate();
        QTest::newRow("31 February") << "31/2/1970" << false << 2006 << QDate();
        QTest::newRow("one word") << "yesterday" << false << 2006 << QDate();
        QTest::newRow("unknown month name") << "5 brumaire 1970" << false << 2006 << QDate();
        QTest::newRow("text before") << "born 5/11/1970" << false << 2006 << QDate();
        QTest::newRow("text after") << "5/11/1970 or so" << false << 2006 << QDate();
        QTest::newRow("letters stuck to the year") << "5/11/1970ab" << false << 2006 << QDate();
        QTest::newRow("letters stuck to the day") << "x5 nov 1970" << false << 2006 << QDate();
        QTest::newRow("other separator") << "5+11+1970" << false << 2006 << QDate();
        QTest::newRow("empty") << "" << false << 2006 << QDate();
    }

    void parsing()
    {
        QFETCH(QString, text);
        QFETCH(bool, monthFirst);
        QFETCH(int, currentYear);
        QFETCH(QDate, expected);
        QCOMPARE(DateLineEdit::parse(text, monthFirst, currentYear), expected);
    }

    void setDateWritesTheLocaleOrderAndParsesBack_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("monthFirst");
        QTest::addColumn<QString>("dayFirst");
        QTest::addColumn<QString>("hint");
        QTest::newRow("C") << QLocale::c() << "11/5/1970" << "5/11/1970" << "day/month/year";
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                                 << "11/5/1970" << "5/11/1970" << "day/month/year";
        // A German user types and is shown dates as "15.03.1985".
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "11.05.1970"
                                << "05.11.1970" << "day.month.year";
    }

    void setDateWritesTheLocaleOrderAndParsesBack()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, monthFirst);
        QFETCH(QString, dayFirst);
        QFETCH(QString, hint);
        QLocale::setDefault(locale);
        const auto back = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        const QDate date(1970, 11, 5);
        QCOMPARE(DateLineEdit::dateText(date, true), monthFirst);
        QCOMPARE(DateLineEdit::dateText(date, false), dayFirst);
        for (bool first : {true, false})
            QCOMPARE(DateLineEdit::parse(DateLineEdit::dateText(date, first), first, 2006), date);
        // The hint of a day-first user (the setting follows the system's locale).
        if (!BXSettings::getDateFormat())
            QCOMPARE(DateLineEdit::dateFormatString(), hint);
    }

    void yearRangeBoundsValidDate()
    {
        DateLineEdit field(1900, 2005, nullptr);
        field.setText(DateLineEdit::dateText(QDate(1899, 12, 31), BXSettings::getDateFormat()));
        QVERIFY(field.date().isValid());
        QVERIFY(!field.validDate());
        field.setText(DateLineEdit::dateText(QDate(1900, 1, 1), BXSettings::getDateFormat()));
        QVERIFY(field.validDate());
        field.setText(DateLineEdit::dateText(QDate(2006, 1, 1), BXSettings::getDateFormat()));
        QVERIFY(!field.validDate());
    }

    void hintAppearsOnFocusOutAndLeavesOnFocusIn()
    {
        QWidget window;
        auto* field = new DateLineEdit(1900, 2005, &window);
        auto* other = new QLineEdit(&window);
        other->move(0, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());

        field->format();
        QCOMPARE(field->text(), DateLineEdit::dateFormatString());
        QCOMPARE(field->palette().color(QPalette::Text), QColor(Qt::gray));

        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        QVERIFY(field->text().isEmpty());
        QCOMPARE(field->palette().color(QPalette::Text), QColor(Qt::black));

        QTest::keyClicks(field, QStringLiteral("31/2/1970"));
        other->setFocus();
        QTRY_VERIFY(!field->hasFocus());
        QCOMPARE(field->text(), DateLineEdit::dateFormatString());

        field->setDate(QDate(1970, 11, 5));
        QCOMPARE(field->palette().color(QPalette::Text), QColor(Qt::black));
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        QCOMPARE(field->date(), QDate(1970, 11, 5));
    }
};

QTEST_MAIN(TestDateLineEdit)
#include "tst_datelineedit.moc"
