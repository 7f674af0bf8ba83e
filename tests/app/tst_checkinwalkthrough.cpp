// A user's first check-ins through the main window's own actions: today, yesterday and a week
// ago, an edit and a deletion, with the list, the bold days, the panel and the Edit menu
// following each step.

#include "mainwindowdoubles.h"

#include "core/clock.h"
#include "profile/checkindialog.h"
#include "profile/checkinwidget.h"
#include "widgets/bxcalendar.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/widgetpicture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace MainWindowTest;

namespace {

const QDate s_today(2026, 5, 20);

// Types the weight into the check-in dialog that the next action opens, and presses OK.
void answerDialogWith(const QString& weight)
{
    QTimer::singleShot(0, [weight] {
        auto* dialog = qobject_cast<CheckinDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->row(UserMeasurements::Weight).edit->setText(weight);
        dialog->okButton->click();
    });
}

QStringList listed(const CheckinWidget* page)
{
    QStringList rows;
    for (int i = 0; i < page->checkinListView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = page->checkinListView->topLevelItem(i);
        rows << row->text(0) + QLatin1Char('=') + row->text(1);
    }
    return rows;
}

QString shortDate(int daysBack)
{
    return QLocale().toString(s_today.addDays(-daysBack), QLocale::ShortFormat);
}

} // namespace

class TestCheckinWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Clock::setNow(QDateTime(s_today, QTime(9, 30)));
        loadBrand(BrandSwitches());
        startFreshDatabase();
        UserDB::instance()->setCurrentUser(addUser(QStringLiteral("Ann")));
    }

    void cleanupTestCase()
    {
        Clock::reset();
        BXSqlDb::cleanUp();
        UserDB::cleanUp();
        BrandEngine::cleanUp();
    }

    void firstCheckins()
    {
        ScriptedPrompter prompter;
        ScriptedMainWindow window;
        window.resize(1100, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.viewCheckinAction->trigger();
        CheckinWidget* page = window.checkinPage();
        QVERIFY(page->isVisible());
        QCOMPARE(listed(page), QStringList());

        answerDialogWith(QStringLiteral("82.4"));
        window.eM_JournalNewEntryToday->trigger();
        QCOMPARE(listed(page), QStringList{shortDate(0) + "=82.4 kg"});
        QVERIFY(page->checkinCalendar->isBoldDay(s_today));
        QVERIFY(window.eM_JournalEditEntry->text().startsWith(QStringLiteral("Edit Check-In for")));
        QVERIFY(!window.eM_JournalNewEntryToday->isVisible());

        for (int daysBack : {1, 7}) {
            page->checkinCalendar->setDate(s_today.addDays(-daysBack), true);
            QVERIFY(window.eM_JournalEditEntry->text().startsWith(QStringLiteral("New Check-In for")));
            prompter.answer(QMessageBox::Yes); // a date in the past
            answerDialogWith(daysBack == 1 ? QStringLiteral("82.9") : QStringLiteral("84"));
            window.eM_JournalEditEntry->trigger();
        }
        QCOMPARE(listed(page), (QStringList{shortDate(7) + "=84.0 kg", shortDate(1) + "=82.9 kg",
                                           shortDate(0) + "=82.4 kg"}));
        QCOMPARE(page->getDate(), s_today.addDays(-7));
        QVERIFY(page->extrapolatedInfo->text().contains(QStringLiteral("84.0 kg")));

        // Edit yesterday by a double click on its row.
        page->checkinListView->setCurrentItem(page->checkinListView->topLevelItem(1));
        prompter.answer(QMessageBox::Yes);
        answerDialogWith(QStringLiteral("83.1"));
        const QRect rect = page->checkinListView->visualItemRect(page->checkinListView->topLevelItem(1));
        QTest::mousePress(page->checkinListView->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(page->checkinListView->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(listed(page).at(1), shortDate(1) + "=83.1 kg");
        QVERIFY(page->extrapolatedInfo->text().contains(QStringLiteral("83.1 kg")));

        // Delete the week-old check-in from the Edit menu.
        page->checkinListView->setCurrentItem(page->checkinListView->topLevelItem(0));
        QVERIFY(window.eM_JournalDeleteEntry->isEnabled());
        window.eM_JournalDeleteEntry->trigger();
        QCOMPARE(listed(page), (QStringList{shortDate(1) + "=83.1 kg", shortDate(0) + "=82.4 kg"}));
        QVERIFY(!page->checkinCalendar->isBoldDay(s_today.addDays(-7)));
        QVERIFY(!window.eM_JournalDeleteEntry->isEnabled());
        QVERIFY(!page->extrapolatedInfo->text().contains(QStringLiteral("84.0 kg")));
        QCOMPARE(prompter.unanswered, 0);
        QVERIFY(saveWidgetPicture(&window, QStringLiteral("checkin-walkthrough")));
    }
};

QTEST_MAIN(TestCheckinWalkthrough)
#include "tst_checkinwalkthrough.moc"
