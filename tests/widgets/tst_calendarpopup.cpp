#include "widgets/bxcalendar.h"
#include "widgets/qcalview.h"
#include "widgets/qpopupcalendar.h"
#include "widgets/qpopupcalendarwidget.h"
#include "core/brandengine.h"
#include "tests/support/widgetpicture.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class TestCalendarPopup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void pickingADayClosesThePopup();
    void popupPassesSettingsOn();
    void widgetShowsAndReportsDate();
    void widgetTakesPickedDay();

private:
    static void clickDay(QCalView* view, const QDate& day);
};

// The brand archive that the build ships.
void TestCalendarPopup::initTestCase()
{
    const QString archive =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/pantrel/brand.dat");
    QVERIFY(BrandEngine::instance()->import(qPrintable(archive)));
}

void TestCalendarPopup::cleanupTestCase()
{
    BrandEngine::cleanUp();
}

// Clicks the day's cell, found from the grid's layout: a header row, then weeks from Monday.
void TestCalendarPopup::clickDay(QCalView* view, const QDate& day)
{
    const int cell = QDate(day.year(), day.month(), 1).dayOfWeek() - 1 + day.day() - 1;
    const int rowHeight = view->fontMetrics().height() + 5;
    const int columnWidth = view->width() / 7;
    const QPoint centre(cell % 7 * columnWidth + view->width() % 7 / 2 + columnWidth / 2,
                        (cell / 7 + 1) * rowHeight + rowHeight / 2);
    QTest::mouseClick(view, Qt::LeftButton, {}, centre);
}

void TestCalendarPopup::pickingADayClosesThePopup()
{
    QPopupCalendar popup(nullptr, QDate(2023, 3, 8));
    QSignalSpy daySelected(&popup, &QPopupCalendar::daySelected);
    QSignalSpy dateChanged(&popup, &QPopupCalendar::dateChanged);
    QSignalSpy monthChanged(&popup, &QPopupCalendar::monthChanged);
    popup.popup(QPoint(10, 10));
    QVERIFY(QTest::qWaitForWindowExposed(&popup));

    auto* next = popup.findChild<QWidget*>(QStringLiteral("nextMonthButton"));
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(monthChanged.size(), 1);
    QVERIFY(popup.isVisible());
    QVERIFY(saveWidgetPicture(&popup, QStringLiteral("popupcalendar")));

    clickDay(popup.findChild<QCalView*>(), QDate(2023, 4, 21));
    QCOMPARE(daySelected.size(), 1);
    QCOMPARE(daySelected.at(0).at(0).toDate(), QDate(2023, 4, 21));
    QCOMPARE(dateChanged.last().at(0).toDate(), QDate(2023, 4, 21));
    QTRY_VERIFY(!popup.isVisible());
}

void TestCalendarPopup::popupPassesSettingsOn()
{
    QPopupCalendar popup(nullptr, "popup");
    BXCalendar* calendar = popup.calendar();
    QCOMPARE(calendar->getDate(), QDate(1970, 1, 1));
    QCOMPARE(popup.getMinimumDate(), QDate(1900, 1, 1));
    QCOMPARE(popup.getMaximumDate(), QDate(2100, 1, 1));
    popup.setMaximumDate(QDate(1980, 5, 1));
    QCOMPARE(calendar->getMaximumDate(), QDate(1980, 5, 1));

    popup.setBoldDay("19700104");
    popup.setBoldDay(QDate(1970, 1, 9));
    QVERIFY(calendar->isBoldDay(QDate(1970, 1, 4)));
    QVERIFY(calendar->isBoldDay(QDate(1970, 1, 9)));
    popup.clearBoldBits();
    QVERIFY(!calendar->isBoldDay(QDate(1970, 1, 4)));
    popup.setDayBgColor(QDate(1970, 1, 2), Qt::yellow);
    QCOMPARE(calendar->getDayBgColor(QDate(1970, 1, 2)), QColor(Qt::yellow));
}

void TestCalendarPopup::widgetShowsAndReportsDate()
{
    QPopupCalendarWidget button(nullptr, "dateButton");
    QCOMPARE(button.popupMode(), QToolButton::InstantPopup);
    QSignalSpy dateChanged(&button, &QPopupCalendarWidget::dateChanged);
    button.setDate(QDate(2022, 12, 24));
    QCOMPARE(dateChanged.size(), 2);
    QCOMPARE(dateChanged.at(0).at(0).toDate(), QDate(2022, 12, 24));
    QCOMPARE(dateChanged.at(1).at(0).toDate(), QDate(2022, 12, 24));
    QCOMPARE(button.text(), QLocale().toString(QDate(2022, 12, 24), QLocale::ShortFormat));
    QCOMPARE(button.popupCalendar()->calendar()->getDate(), QDate(2022, 12, 24));

    // Outside the calendar's range the date is held at its limit.
    button.setDate(QDate(1800, 1, 1));
    QCOMPARE(dateChanged.at(2).at(0).toDate(), QDate(1900, 1, 1));
    QCOMPARE(button.text(), QLocale().toString(QDate(1900, 1, 1), QLocale::ShortFormat));
}

void TestCalendarPopup::widgetTakesPickedDay()
{
    QPopupCalendarWidget button(nullptr, "dateButton");
    button.setDate(QDate(2023, 6, 1));
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QSignalSpy dateChanged(&button, &QPopupCalendarWidget::dateChanged);
    QPopupCalendar* popup = button.popupCalendar();
    QTimer::singleShot(0, this, [popup] {
        QVERIFY(popup->isVisible());
        clickDay(popup->findChild<QCalView*>(), QDate(2023, 6, 17));
    });
    QTest::mouseClick(&button, Qt::LeftButton);
    QTRY_VERIFY(!popup->isVisible());
    QVERIFY(dateChanged.size() >= 1);
    QCOMPARE(dateChanged.last().at(0).toDate(), QDate(2023, 6, 17));
    QCOMPARE(button.text(), QLocale().toString(QDate(2023, 6, 17), QLocale::ShortFormat));
    QVERIFY(saveWidgetPicture(&button, QStringLiteral("popupcalendarwidget")));
}

QTEST_MAIN(TestCalendarPopup)
#include "tst_calendarpopup.moc"
