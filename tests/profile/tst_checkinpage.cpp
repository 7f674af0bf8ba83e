#include "widgets/bxcalendar.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/unitcollection.h"
#include "profile/checkinwidget.h"
#include "userdb/bxsqldb.h"
#include "userdb/userdb.h"
#include "tests/support/testsession.h"

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

namespace {

void addWeight(const QDate& date, float weight)
{
    DBTypes::CheckinItem checkin;
    checkin.userId = UserDB::instance()->getCurrentUser();
    qstrcpy(checkin.date, date.toString(QStringLiteral("yyyyMMdd")).toLatin1().constData());
    checkin.weight = weight;
    checkin.hasWeight = true;
    QVERIFY(UserDB::instance()->addCheckin(checkin, false));
}

} // namespace

class TestCheckinPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(startSessionWithUser(QStringLiteral("Ann")));
    }

    void cleanupTestCase()
    {
        UnitCollection::cleanUp();
        endSession();
    }

    void checkinsOfThePage()
    {
        const QDate today = QDate::currentDate();
        addWeight(today.addDays(-10), 70.0f);
        addWeight(today.addDays(-3), 69.0f);

        CheckinWidget page(nullptr, "checkinWidget");
        QCOMPARE(page.btnCheckin->objectName(), QStringLiteral("btnCheckin"));
        QVERIFY(page.hasCheckin(today.addDays(-3)));
        QVERIFY(!page.hasCheckin(today.addDays(-4)));

        QSignalSpy refresh(&page, &CheckinWidget::requestEditMenuRefresh);
        page.calendar->setDate(today.addDays(-3), true);
        QCOMPARE(page.getDate(), today.addDays(-3));
        QCOMPARE(refresh.last(), (QList<QVariant>{2, 1}));
        QCOMPARE(page.btnCheckin->text(), QStringLiteral("Edit Check-In"));
        page.calendar->setDate(today, true);
        QCOMPARE(refresh.last(), (QList<QVariant>{2, 0}));
        QCOMPARE(page.btnCheckin->text(), QStringLiteral("New Check-In"));

        page.populate();
        QCOMPARE(page.checkinList->topLevelItemCount(), 2);
        QVERIFY(page.calendar->isBoldDay(today.addDays(-10)));

        // Nothing selected: nothing is deleted.
        page.deleteJournal();
        QCOMPARE(page.checkinList->topLevelItemCount(), 2);

        page.checkinList->setCurrentItem(page.checkinList->topLevelItem(1));
        QCOMPARE(page.getDate(), today.addDays(-3));
        page.deleteJournal();
        QVERIFY(!page.hasCheckin(today.addDays(-3)));
        QVERIFY(!page.calendar->isBoldDay(today.addDays(-3)));
        QCOMPARE(page.checkinList->topLevelItemCount(), 1);
    }
};

QTEST_MAIN(TestCheckinPage)
#include "tst_checkinpage.moc"
