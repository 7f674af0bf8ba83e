// The usage report document, built from a real user database.

#include "core/brandengine.h"
#include "core/clock.h"
#include "core/diaryday.h"
#include "net/metrics.h"
#include "publishfixture.h"
#include "tests/support/testsession.h"
#include "userdb/bxsqlquery.h"
#include "userdb/userdb.h"

#include <QtTest>

using namespace PublishFixture;

namespace {

const char* const Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n";

// Changes are stamped with the database's own clock; the tests fix the day of a change.
void stampChanges(const char* table, const char* modified)
{
    BXSqlQuery query(QStringLiteral("UPDATE %1 SET lastModified = ? WHERE device = 2").arg(QLatin1String(table)));
    query.bindValue(0, QString::fromLatin1(modified));
    QVERIFY(query.exec());
}

} // namespace

class TestMetrics : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(importShippedBrand());
    }

    void init()
    {
        startUserDatabase();
    }

    void cleanupTestCase()
    {
        stopUserDatabase();
        BrandEngine::cleanUp();
        Clock::reset();
    }

    void nothingUnreportedGivesTheBareElement()
    {
        QCOMPARE(Metrics::metricsXML().value(), std::string(Declaration) + "<metrics protocol=\"1.0\" />\n");
    }

    void documentReportsStartsCheckinsAndDiaryChanges()
    {
        Clock::setNow(QDateTime(QDate(2026, 2, 26), QTime(9, 0)));
        UserDB::instance()->incrementLogin();
        Clock::setNow(QDateTime(QDate(2026, 3, 1), QTime(9, 0)));
        UserDB::instance()->incrementLogin();
        UserDB::instance()->incrementLogin();
        weigh("20260220", 80.0f);
        weigh("20260227", 78.0f);
        stampChanges("user_checkins_sync", "20260301");
        addFood("20260227", DBTypes::DiaryDay::LUNCH, QStringLiteral("Rice"));
        addFood("20260227", DBTypes::DiaryDay::DINNER, QStringLiteral("Fish"));
        addFood("20260228", DBTypes::DiaryDay::LUNCH, QStringLiteral("Soup"));
        stampChanges("food_diary_sync", "20260301");

        const std::string document = Metrics::metricsXML().value();
        const std::string expected = std::string(Declaration)
            + "<metrics protocol=\"1.0\" >\n"
              "  <login date=\"2026-02-26\" count=\"1\" />\n"
              "  <login date=\"2026-03-01\" count=\"2\" />\n"
              "  <checkin modified=\"2026-03-01\" date=\"2026-02-20\" trend=\"nochange\" />\n"
              "  <checkin modified=\"2026-03-01\" date=\"2026-02-27\" trend=\"bigdecrease\" />\n"
              "  <fooddiary modified=\"2026-03-01\" date=\"2026-02-27\" count=\"2\" />\n"
              "  <fooddiary modified=\"2026-03-01\" date=\"2026-02-28\" count=\"1\" />\n"
              "</metrics>\n";
        QCOMPARE(QString::fromStdString(document), QString::fromStdString(expected));

        // What was reported is left out of the next report.
        UserDB::instance()->resetMetrics(UserDB::instance()->getCurrentUser());
        QCOMPARE(Metrics::metricsXML().value(), std::string(Declaration) + "<metrics protocol=\"1.0\" />\n");
    }

    void lastErrorFallsBackToTheConnectionText()
    {
        Metrics metrics(nullptr, "metrics");
        QCOMPARE(metrics.getLastError(), QStringLiteral("Cannot connect to server"));
        QCOMPARE(metrics.reportedUser(), -1);
    }
};

QTEST_MAIN(TestMetrics)
#include "tst_metrics.moc"
