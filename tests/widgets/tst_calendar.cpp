#include "widgets/bxcalendar.h"
#include "widgets/qcalmonthselector.h"
#include "widgets/qcalview.h"
#include "core/brandengine.h"
#include "tests/support/widgetpicture.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {

const QColor s_mint(207, 245, 232);

// Where the grid draws a cell: a header row over six weeks of seven columns, the columns
// centred in the width.
QRect cellRect(const QCalView& view, int cell)
{
    const int rowHeight = view.fontMetrics().height() + 5;
    const int columnWidth = view.width() / 7;
    const int margin = view.width() % 7 / 2;
    return QRect(cell % 7 * columnWidth + margin, (cell / 7 + 1) * rowHeight, columnWidth,
                 rowHeight);
}

void clickCell(QCalView& view, int cell)
{
    QTest::mouseClick(&view, Qt::LeftButton, {}, cellRect(view, cell).center());
}

QImage renderView(QCalView& view)
{
    QImage image(view.size(), QImage::Format_ARGB32);
    view.render(&image);
    return image;
}

// A colour in the corner of a cell, away from its number.
QColor cellBackground(QCalView& view, int cell)
{
    return renderView(view).pixelColor(cellRect(view, cell).topLeft() + QPoint(2, 2));
}

}

class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void monthStartingOnSunday();
    void februaryStartingOnMonday();
    void dragSelectsWithLeftButtonOnly();
    void dayBeforeMinimumSelectsMinimum();
    void minimumAndMaximumGuardEachOther();
    void boldDays();
    void dayColours();
    void navigationButtons();
    void buttonsStopAtTheLimits();
    void yearChangeKeepsDayValid();
    void gridClickReportsDay();
    void monthList();
    void monthListDismissed();
};

// The brand archive that the build ships.
void TestCalendar::initTestCase()
{
    const QString archive =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/pantrel/brand.dat");
    QVERIFY(BrandEngine::instance()->import(qPrintable(archive)));
}

void TestCalendar::cleanupTestCase()
{
    BrandEngine::cleanUp();
}

void TestCalendar::monthStartingOnSunday()
{
    // 1 January 2023 is a Sunday: six blank cells come first.
    QCalView view(nullptr, QDate(2023, 1, 15), QDate(1900, 1, 1), QDate(2100, 1, 1));
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy selected(&view, &QCalView::dateSelected);

    QCOMPARE(cellBackground(view, 6 + 14), s_mint);
    clickCell(view, 5);
    QCOMPARE(view.getDate(), QDate(2023, 1, 15));
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.at(0).at(0).toDate(), QDate(2023, 1, 15));

    clickCell(view, 6);
    QCOMPARE(view.getDate(), QDate(2023, 1, 1));
    QCOMPARE(selected.last().at(0).toDate(), QDate(2023, 1, 1));
    QCOMPARE(cellBackground(view, 6), s_mint);
    QCOMPARE(cellBackground(view, 6 + 14), QColor(Qt::white));

    clickCell(view, 36);
    QCOMPARE(view.getDate(), QDate(2023, 1, 31));
    clickCell(view, 37);
    QCOMPARE(view.getDate(), QDate(2023, 1, 31));

    // The header row and the margin hold no cells.
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(150, 3));
    QCOMPARE(view.getDate(), QDate(2023, 1, 31));
}

void TestCalendar::februaryStartingOnMonday()
{
    QCalView view(nullptr, QDate(2021, 2, 10), QDate(1900, 1, 1), QDate(2100, 1, 1));
    view.resize(280, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    clickCell(view, 0);
    QCOMPARE(view.getDate(), QDate(2021, 2, 1));
    clickCell(view, 27);
    QCOMPARE(view.getDate(), QDate(2021, 2, 28));
    clickCell(view, 28);
    QCOMPARE(view.getDate(), QDate(2021, 2, 28));
    // The fifth week is as blank as the sixth.
    const QImage image = renderView(view);
    QCOMPARE(image.copy(cellRect(view, 28).united(cellRect(view, 34))),
             image.copy(cellRect(view, 35).united(cellRect(view, 41))));
    QCOMPARE(cellBackground(view, 30), QColor(Qt::white));
}

void TestCalendar::dragSelectsWithLeftButtonOnly()
{
    QCalView view(nullptr, QDate(2023, 1, 15), QDate(1900, 1, 1), QDate(2100, 1, 1));
    view.resize(300, 200);
    auto drag = [&view](int cell, Qt::KeyboardModifiers modifiers) {
        const QPoint pos = cellRect(view, cell).center();
        QMouseEvent move(QEvent::MouseMove, pos, view.mapToGlobal(pos), Qt::NoButton,
                         Qt::LeftButton, modifiers);
        QApplication::sendEvent(&view, &move);
    };
    drag(10, Qt::NoModifier);
    QCOMPARE(view.getDate(), QDate(2023, 1, 5));
    drag(11, Qt::ShiftModifier);
    QCOMPARE(view.getDate(), QDate(2023, 1, 5));
}

void TestCalendar::dayBeforeMinimumSelectsMinimum()
{
    QCalView view(nullptr, QDate(2023, 1, 20), QDate(2023, 1, 10), QDate(2023, 1, 25));
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    clickCell(view, 6 + 4);
    QCOMPARE(view.getDate(), QDate(2023, 1, 10));
    clickCell(view, 6 + 29);
    QCOMPARE(view.getDate(), QDate(2023, 1, 25));
    // Days that cannot be chosen keep their plain background.
    view.setDate(QDate(2023, 1, 25));
    QCOMPARE(cellBackground(view, 6 + 24), s_mint);
}

void TestCalendar::minimumAndMaximumGuardEachOther()
{
    QCalView view(nullptr, QDate(2023, 1, 20), QDate(2023, 1, 10), QDate(2023, 1, 25));
    QTest::ignoreMessage(QtWarningMsg,
                         "Warning: QCalView::setMinimumDate() - new min date > current max date");
    view.setMinimumDate(QDate(2023, 2, 1));
    QTest::ignoreMessage(QtWarningMsg,
                         "Warning: QCalView::setMaximumDate() - new max date < current min date");
    view.setMaximumDate(QDate(2023, 1, 1));
    view.setDate(QDate(2022, 6, 1));
    QCOMPARE(view.getDate(), QDate(2023, 1, 10));
    view.setMaximumDate(QDate(2023, 6, 30));
    view.setDate(QDate(2023, 7, 1));
    QCOMPARE(view.getDate(), QDate(2023, 6, 30));
}

void TestCalendar::boldDays()
{
    BXCalendar calendar(nullptr, QDate(2023, 1, 15), QDate(1900, 1, 1), QDate(2100, 1, 1));
    calendar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    auto* view = calendar.findChild<QCalView*>();
    QVERIFY(view);
    const QImage plain = renderView(*view);

    calendar.setBoldDay(QDate(2023, 1, 31));
    calendar.setBoldDay("20230101");
    calendar.setBoldDay(QDate(2023, 2, 3));
    QVERIFY(calendar.isBoldDay(QDate(2023, 1, 31)));
    QVERIFY(calendar.isBoldDay(QDate(2023, 1, 1)));
    QVERIFY(!calendar.isBoldDay(QDate(2023, 1, 30)));
    QVERIFY(!calendar.isBoldDay(QDate(2024, 1, 31)));
    const QImage marked = renderView(*view);
    QVERIFY(saveWidgetPicture(&calendar, QStringLiteral("calendar")));
    const QRect lastDay = cellRect(*view, 6 + 30);
    QVERIFY(marked.copy(lastDay) != plain.copy(lastDay));
    QCOMPARE(marked.copy(cellRect(*view, 6 + 29)), plain.copy(cellRect(*view, 6 + 29)));

    calendar.unsetBoldDay("20230131");
    QVERIFY(!calendar.isBoldDay(QDate(2023, 1, 31)));
    QVERIFY(calendar.isBoldDay(QDate(2023, 1, 1)));

    // A month's whole set: bit 30 is the 31st.
    calendar.setBoldBits(QDate(2023, 1, 1), 1 << 30 | 1 << 1);
    QVERIFY(calendar.isBoldDay(QDate(2023, 1, 31)));
    QVERIFY(calendar.isBoldDay(QDate(2023, 1, 2)));
    QVERIFY(!calendar.isBoldDay(QDate(2023, 1, 1)));
    QCOMPARE(renderView(*view).copy(lastDay), marked.copy(lastDay));

    calendar.clearBoldBits();
    QVERIFY(!calendar.isBoldDay(QDate(2023, 1, 31)));
    QVERIFY(!calendar.isBoldDay(QDate(2023, 2, 3)));
    QCOMPARE(renderView(*view), plain);
}

void TestCalendar::dayColours()
{
    BXCalendar calendar(nullptr, QDate(2023, 1, 15), QDate(1900, 1, 1), QDate(2100, 1, 1));
    calendar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    auto* view = calendar.findChild<QCalView*>();
    QCOMPARE(calendar.getDayFgColor(QDate(2023, 1, 3)), QColor(Qt::black));
    QCOMPARE(calendar.getDayBgColor(QDate(2023, 1, 3)), QColor(Qt::white));
    calendar.setDayBgColor(QDate(2023, 1, 3), QColor(255, 200, 0));
    calendar.setDayBgColor(QDate(2023, 1, 15), QColor(255, 200, 0));
    calendar.setDayFgColor(QDate(2023, 1, 3), Qt::red);
    QCOMPARE(calendar.getDayFgColor(QDate(2023, 1, 3)), QColor(Qt::red));
    QCOMPARE(cellBackground(*view, 6 + 2), QColor(255, 200, 0));
    // The selected day shows as selected whatever its own colour.
    QCOMPARE(cellBackground(*view, 6 + 14), s_mint);
    QCOMPARE(calendar.getDayBgColor(QDate(2024, 1, 3)), QColor(Qt::white));
}

void TestCalendar::navigationButtons()
{
    BXCalendar calendar(nullptr, QDate(2023, 11, 30), QDate(1900, 1, 1), QDate(2100, 1, 1));
    calendar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    auto* next = calendar.findChild<QPushButton*>(QStringLiteral("nextMonthButton"));
    auto* prev = calendar.findChild<QPushButton*>(QStringLiteral("prevMonthButton"));
    auto* month = calendar.findChild<QPushButton*>(QStringLiteral("monthButton"));
    auto* year = calendar.findChild<QSpinBox*>();
    QVERIFY(next && prev && month && year);
    QCOMPARE(month->text(), QStringLiteral("November"));
    QCOMPARE(next->toolTip(), QStringLiteral("Next month"));
    QSignalSpy monthChanged(&calendar, &BXCalendar::monthChanged);
    QSignalSpy dateChanged(&calendar, &BXCalendar::dateChanged);

    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(calendar.getDate(), QDate(2023, 12, 30));
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(calendar.getDate(), QDate(2024, 1, 30));
    QCOMPARE(month->text(), QStringLiteral("January"));
    QCOMPARE(year->value(), 2024);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(calendar.getDate(), QDate(2024, 2, 29));
    QCOMPARE(monthChanged.size(), 3);
    QCOMPARE(dateChanged.size(), 3);
    QCOMPARE(monthChanged.last().at(0).toDate(), QDate(2024, 2, 29));

    QTest::mouseClick(prev, Qt::LeftButton);
    QCOMPARE(calendar.getDate(), QDate(2024, 1, 29));
    QCOMPARE(monthChanged.size(), 4);
}

void TestCalendar::buttonsStopAtTheLimits()
{
    BXCalendar calendar(nullptr, QDate(2023, 4, 15), QDate(2023, 3, 10), QDate(2023, 5, 20));
    auto* next = calendar.findChild<QPushButton*>(QStringLiteral("nextMonthButton"));
    auto* prev = calendar.findChild<QPushButton*>(QStringLiteral("prevMonthButton"));
    QVERIFY(prev->isEnabled());
    QVERIFY(next->isEnabled());
    calendar.setDate(QDate(2023, 3, 1), true);
    QCOMPARE(calendar.getDate(), QDate(2023, 3, 10));
    QVERIFY(!prev->isEnabled());
    calendar.setDate(QDate(2023, 5, 31), true);
    QCOMPARE(calendar.getDate(), QDate(2023, 5, 20));
    QVERIFY(!next->isEnabled());
    QVERIFY(prev->isEnabled());
    QCOMPARE(calendar.getMinimumDate(), QDate(2023, 3, 10));
    QCOMPARE(calendar.property("MaximumDate").toDate(), QDate(2023, 5, 20));
}

void TestCalendar::yearChangeKeepsDayValid()
{
    BXCalendar calendar(nullptr, QDate(2024, 2, 29), QDate(1900, 1, 1), QDate(2100, 1, 1));
    auto* year = calendar.findChild<QSpinBox*>();
    QCOMPARE(year->minimum(), 1900);
    QCOMPARE(year->maximum(), 2100);
    QSignalSpy monthChanged(&calendar, &BXCalendar::monthChanged);
    year->setValue(2021);
    QCOMPARE(calendar.getDate(), QDate(2021, 2, 28));
    QCOMPARE(monthChanged.size(), 1);
}

void TestCalendar::gridClickReportsDay()
{
    BXCalendar calendar(nullptr, QDate(2023, 1, 15), QDate(1900, 1, 1), QDate(2100, 1, 1));
    calendar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    auto* view = calendar.findChild<QCalView*>();
    QSignalSpy daySelected(&calendar, &BXCalendar::daySelected);
    QSignalSpy dateChanged(&calendar, &BXCalendar::dateChanged);
    clickCell(*view, 6 + 9);
    QCOMPARE(daySelected.size(), 1);
    QCOMPARE(daySelected.at(0).at(0).toDate(), QDate(2023, 1, 10));
    QCOMPARE(dateChanged.size(), 1);
    QCOMPARE(calendar.getDate(), QDate(2023, 1, 10));
}

void TestCalendar::monthList()
{
    BXCalendar calendar(nullptr, QDate(2023, 4, 30), QDate(2023, 3, 10), QDate(2023, 9, 5));
    calendar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    auto* month = calendar.findChild<QPushButton*>(QStringLiteral("monthButton"));
    QSignalSpy monthChanged(&calendar, &BXCalendar::monthChanged);
    QStringList disabled;
    QTimer::singleShot(0, this, [&] {
        auto* list = qobject_cast<QCalMonthSelector*>(QApplication::activePopupWidget());
        QVERIFY(list);
        QCOMPARE(list->actions().size(), 12);
        QVERIFY(list->width() >= month->width());
        for (QAction* action : list->actions()) {
            if (!action->isEnabled())
                disabled << action->text();
        }
        QAction* june = list->actions().at(5);
        QTest::mouseClick(list, Qt::LeftButton, {}, list->actionGeometry(june).center());
    });
    QTest::mouseClick(month, Qt::LeftButton);
    // September is disabled too: the 30th of September lies past the maximum.
    QCOMPARE(disabled, (QStringList{"January", "February", "September", "October", "November",
                                    "December"}));
    QCOMPARE(calendar.getDate(), QDate(2023, 6, 30));
    QCOMPARE(month->text(), QStringLiteral("June"));
    QCOMPARE(monthChanged.size(), 1);
    QVERIFY(!month->isDown());
}

void TestCalendar::monthListDismissed()
{
    BXCalendar calendar(nullptr, QDate(2023, 4, 30), QDate(1900, 1, 1), QDate(2100, 1, 1));
    calendar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    auto* month = calendar.findChild<QPushButton*>(QStringLiteral("monthButton"));
    QSignalSpy monthChanged(&calendar, &BXCalendar::monthChanged);
    bool listShown = false;
    QTimer::singleShot(0, this, [&] {
        QWidget* list = QApplication::activePopupWidget();
        listShown = list != nullptr;
        if (list)
            QTest::keyClick(list, Qt::Key_Escape);
    });
    QTest::mouseClick(month, Qt::LeftButton);
    QVERIFY(listShown);
    QCOMPARE(calendar.getDate(), QDate(2023, 4, 30));
    QCOMPARE(monthChanged.size(), 0);
}

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
