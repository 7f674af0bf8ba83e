// The publishing prompt and the progress dialog of a publish.

#include "core/brandengine.h"
#include "net/publishingprompt.h"
#include "net/publishprogressdialog.h"
#include "net/qhttps.h"
#include "publishfixture.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"
#include "core/diaryday.h"

#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace PublishFixture;

namespace {

bool ticked(const QLabel* label)
{
    return !label->pixmap().isNull();
}

QStringList rows(const QTreeWidget* list)
{
    QStringList texts;
    for (int n = 0; n < list->topLevelItemCount(); ++n)
        texts << list->topLevelItem(n)->text(0);
    return texts;
}

} // namespace

class TestPublishDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(importShippedBrand());
    }

    void cleanupTestCase()
    {
        stopUserDatabase();
        BrandEngine::cleanUp();
    }

    void stepsFollowTheClientUntilTheEnd()
    {
        PublishProgressDialog dialog;
        QCOMPARE(dialog.cancelButton->text(), QStringLiteral("&Cancel"));
        QVERIFY(!dialog.connectingLabel->isEnabled());
        QVERIFY(!ticked(dialog.connectingTickLabel));

        dialog.updateState(QHttps::Connecting);
        dialog.updateState(QHttps::Sending);
        dialog.updateState(QHttps::Connected);  // no step of its own
        QVERIFY(dialog.connectingLabel->isEnabled() && ticked(dialog.connectingTickLabel));
        QVERIFY(dialog.sendingLabel->isEnabled() && ticked(dialog.sendingTickLabel));
        QVERIFY(!dialog.readingLabel->isEnabled() && !ticked(dialog.readingTickLabel));
        QVERIFY(!dialog.closingLabel->isEnabled() && !dialog.doneLabel->isEnabled());

        // The bar is full only once the reply has been handled.
        dialog.updateProgress(200, 500);
        QCOMPARE(dialog.progressBar->value(), 200);
        dialog.updateProgress(500, 500);
        QCOMPARE(dialog.progressBar->value(), 499);
        QCOMPARE(dialog.progressBar->maximum(), 500);

        dialog.done(true, QStringLiteral("Complete"));
        QCOMPARE(dialog.progressBar->value(), 100);
        QCOMPARE(dialog.progressBar->maximum(), 100);
        QCOMPARE(dialog.cancelButton->text(), QStringLiteral("OK"));
        QVERIFY(!dialog.timerActive());
        // Late state changes leave the steps as the end left them.
        dialog.updateState(QHttps::Reading);
        dialog.updateState(QHttps::Unconnected);
        QVERIFY(!dialog.readingLabel->isEnabled() && !ticked(dialog.readingTickLabel));
        QVERIFY(!ticked(dialog.doneTickLabel));
    }

    void buttonCancelsWhileRunningAndClosesOnceFinished()
    {
        PublishProgressDialog running;
        running.open();
        QTest::mouseClick(running.cancelButton, Qt::LeftButton);
        QCOMPARE(running.result(), int(QDialog::Rejected));
        QVERIFY(!running.isVisible());

        PublishProgressDialog finished;
        finished.open();
        finished.done(true, QStringLiteral("Error occurred"));
        QTest::mouseClick(finished.cancelButton, Qt::LeftButton);
        QCOMPARE(finished.result(), int(QDialog::Accepted));
    }

    void successCountsDownAndCloses()
    {
        PublishProgressDialog dialog;
        dialog.open();
        dialog.done(true, QStringLiteral("Completed successfully"));
        QCOMPARE(dialog.readingLabel->text(), QStringLiteral("Reading (Publish completed!)"));
        QVERIFY(ticked(dialog.disconnectingTickLabel) && ticked(dialog.doneTickLabel));
        QVERIFY(dialog.closingLabel->isEnabled() && dialog.doneLabel->isEnabled());
        QVERIFY(dialog.timerActive());
        QStringList shown{dialog.cancelButton->text()};
        for (int tick = 0; tick < 4; ++tick) {
            dialog.updateTimer();
            shown << dialog.cancelButton->text();
        }
        QCOMPARE(shown, QStringList({QStringLiteral("OK (5)"), QStringLiteral("OK (4)"), QStringLiteral("OK (3)"),
                                     QStringLiteral("OK (2)"), QStringLiteral("OK (1)")}));
        QVERIFY(dialog.isVisible());
        dialog.updateTimer();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.timerActive());
    }

    void pressStopsTheCountdown()
    {
        PublishProgressDialog dialog;
        dialog.open();
        dialog.done(true, QStringLiteral("Completed successfully"));
        dialog.updateTimer();
        dialog.updateTimer();
        QTest::mousePress(dialog.cancelButton, Qt::LeftButton);
        QVERIFY(!dialog.timerActive());
        QCOMPARE(dialog.cancelButton->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.countdown(), 3);
        QVERIFY(dialog.isVisible());
        QTest::mouseRelease(dialog.cancelButton, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void promptListsWaitingDatesInDateOrder()
    {
        // Short dates of this locale sort wrongly as text: "1/10/26" before "1/2/26" before "12/31/25".
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const qint64 user = startUserDatabase();
        addFood("20260110", DBTypes::DiaryDay::LUNCH, QStringLiteral("Rice"));
        addFood("20251231", DBTypes::DiaryDay::DINNER, QStringLiteral("Cake"));
        weigh("20251231", 70.0f);
        weigh("20260102", 70.5f);
        weigh("20260104", 71.0f);
        QVERIFY(UserDB::instance()->setDaysMeasurements(user, "20260104", UserMeasurements()));
        UserDB::instance()->setFluid(user, "20260106", 3);  // water alone gives no row

        std::unique_ptr<PublishingPrompt> prompt(PublishingPrompt::construct(nullptr));
        QCOMPARE(rows(prompt->dateList), QStringList({QStringLiteral("12/31/25"), QStringLiteral("1/2/26"),
                                                      QStringLiteral("1/4/26"), QStringLiteral("1/10/26")}));
        QVERIFY(prompt->dateList->isHeaderHidden());
        QVERIFY(!prompt->radioPublish->isChecked() && !prompt->radioDiscard->isChecked());
        QVERIFY(!prompt->buttonOk->isEnabled());
        prompt->show();
        saveWidgetPicture(prompt.get(), QStringLiteral("publishing-prompt"));
        QTest::mouseClick(prompt->radioDiscard, Qt::LeftButton);
        QVERIFY(prompt->buttonOk->isEnabled());
        QTest::mouseClick(prompt->buttonOk, Qt::LeftButton);
        QCOMPARE(prompt->result(), int(QDialog::Accepted));
        QVERIFY(prompt->radioDiscard->isChecked());
        QLocale::setDefault(QLocale::c());
    }
};

QTEST_MAIN(TestPublishDialogs)
#include "tst_publishdialogs.moc"
