#include "core/displaydate.h"
#include "core/clock.h"
#include "core/unitcollection.h"
#include "core/unitenergy.h"
#include "core/unitmeasurement.h"
#include "core/unitweight.h"
#include "profile/checkindialog.h"
#include "profile/checkinwidget.h"
#include "userdb/bxsqlquery.h"
#include "widgets/bxcalendar.h"
#include "tests/profile/checkinfixture.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <deque>
#include <functional>

using namespace CheckinTest;

namespace {

const QDate s_today(2026, 3, 15);

QByteArray code(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

// Stores a date's check-in as the dialog would.
void store(const QDate& date, const UserMeasurements& set)
{
    QVERIFY(UserDB::instance()->setDaysMeasurements(UserDB::instance()->getCurrentUser(),
                                                    code(date).constData(), set));
}

// A fresh current user in place of the last one, so that every test starts without check-ins.
void newUser(float height = 170.0f)
{
    static int count = 0;
    UserDB* users = UserDB::instance();
    if (users->getCurrentUser() >= 0)
        QCOMPARE(users->deleteUser(users->getCurrentUser()), 0);
    DBTypes::UserProfile profile = completeProfile(QStringLiteral("User %1").arg(++count));
    profile.height = height;
    qint64 user = -1;
    QString error;
    QVERIFY2(users->addUser(profile, &user, &error), qPrintable(error));
    users->setCurrentUser(user);
}

void useMetric()
{
    UnitCollection* units = UnitCollection::instance();
    units->set(UnitCollection::Weight, new UnitWeight(UnitWeight::Kilograms));
    units->set(UnitCollection::Measurement, new UnitMeasurement(UnitMeasurement::Centimetres));
    units->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilocalories));
}

QString panelHead(const QDate& date)
{
    return QStringLiteral("<big><b>") + QLocale::c().toString(date, QLocale().dateFormat(QLocale::LongFormat))
           + QStringLiteral("</b></big><p><p><table>");
}

// A page whose check-in dialog is worked by the test: each run takes the next step, which
// fills the dialog and says how it ends; a run without a step cancels.
class ScriptedPage : public CheckinWidget
{
public:
    ScriptedPage() : CheckinWidget(nullptr, "checkinWidget") {}

    using Step = std::function<int(CheckinDialog&)>;
    std::deque<Step> steps;
    int runs = 0;

    CheckinListItem* row(int index) const
    {
        return static_cast<CheckinListItem*>(checkinListView->topLevelItem(index));
    }
    int rowCount() const { return checkinListView->topLevelItemCount(); }
    QList<QDate> listedDates() const
    {
        QList<QDate> dates;
        for (int i = 0; i < rowCount(); ++i)
            dates << row(i)->getDate();
        return dates;
    }

protected:
    int execDialog(CheckinDialog* dialog) override
    {
        ++runs;
        if (steps.empty())
            return QDialog::Rejected;
        const Step step = steps.front();
        steps.pop_front();
        return step(*dialog);
    }
};

ScriptedPage::Step typeWeight(const QString& text)
{
    return [text](CheckinDialog& dialog) {
        dialog.row(M::Weight).edit->setText(text);
        return int(QDialog::Accepted);
    };
}

int clearEverything(CheckinDialog& dialog)
{
    for (int m = 0; m < M::Count; ++m)
        dialog.row(M::Measurements(m)).edit->clear();
    dialog.noteEdit->clear();
    return QDialog::Accepted;
}

} // namespace

class TestCheckinPage : public QObject
{
    Q_OBJECT

private:
    // The page's invariant: the bold days are the listed dates, the rows are in date order
    // and their stripes alternate from a striped first row.
    void checkInvariant(const ScriptedPage& page)
    {
        const QList<QDate> dates = page.listedDates();
        for (QDate day = s_today.addDays(-60); day <= s_today.addDays(10); day = day.addDays(1))
            QCOMPARE(page.checkinCalendar->isBoldDay(day), dates.contains(day));
        for (int i = 0; i < page.rowCount(); ++i) {
            QCOMPARE(page.row(i)->stripe(), i % 2 == 0);
            if (i > 0)
                QVERIFY(dates.at(i - 1) < dates.at(i));
        }
    }

private slots:
    void initTestCase()
    {
        Clock::setNow(QDateTime(s_today, QTime(12, 0)));
        QVERIFY(startSessionWithUser(QStringLiteral("Ann")));
        useMetric();
    }

    void cleanup() { useMetric(); }

    void cleanupTestCase()
    {
        Clock::reset();
        UnitCollection::cleanUp();
        endSession();
    }

    void withoutUserNothingIsListed()
    {
        newUser();
        store(s_today, makeSet({{M::Weight, 70.0f}}));
        const qint64 user = UserDB::instance()->getCurrentUser();
        UserDB::instance()->setCurrentUser(-1);
        ScriptedPage page;
        page.populate();
        page.updateExtrapolatedInfo(s_today);
        page.updateMeasurements();
        QCOMPARE(page.rowCount(), 0);
        QCOMPARE(page.runs, 0);
        QVERIFY(!page.hasCheckin(s_today).value());
        UserDB::instance()->setCurrentUser(user);
    }

    void rowsShowTheirOwnDatesValues()
    {
        newUser();
        store(s_today.addDays(-9), makeSet({{M::Weight, 70.0f}, {M::Waist, 80.0f}, {M::Steps, 6000.0f}}));
        store(s_today.addDays(-5), makeSet({{M::Chest, 95.0f}}, "line one\nline two"));
        store(s_today.addDays(-2), makeSet({{M::Weight, 69.5f}, {M::Hip, 101.0f}}));
        ScriptedPage page;
        page.populate();
        QCOMPARE(page.checkinListView->columnCount(), 8);
        QCOMPARE(page.checkinListView->headerItem()->text(7), QStringLiteral("Journal Entry"));
        QCOMPARE(page.rowCount(), 3);
        QCOMPARE(page.row(0)->text(0), QLocale().toString(s_today.addDays(-9), QLocale::ShortFormat));
        const QStringList first{page.row(0)->text(1), page.row(0)->text(3), page.row(0)->text(6)};
        QCOMPARE(first, (QStringList{"70.0 kg", "80.00 cm", "6000"}));
        // Each column holds the widest value the check-in dialog takes, whatever the rows hold.
        const QFontMetrics metrics(page.checkinListView->font());
        QVERIFY(page.checkinListView->columnWidth(1) > metrics.horizontalAdvance("650.0 kg"));
        QVERIFY(page.checkinListView->columnWidth(3) > metrics.horizontalAdvance("300.00 cm"));
        // The weight and waist of day -9 are not repeated on day -5.
        QCOMPARE(page.row(1)->text(1), QString());
        QCOMPARE(page.row(1)->text(2), QStringLiteral("95.00 cm"));
        QCOMPARE(page.row(1)->text(3), QString());
        QCOMPARE(page.row(1)->text(7), QStringLiteral("line one\nline two"));
        QCOMPARE(page.row(2)->text(4), QStringLiteral("101.00 cm"));
        QCOMPARE(page.row(2)->text(7), QString());
        checkInvariant(page);

        // Imperial units follow into the cells.
        UnitCollection::instance()->set(UnitCollection::Weight, new UnitWeight(UnitWeight::Pounds));
        UnitCollection::instance()->set(UnitCollection::Measurement,
                                        new UnitMeasurement(UnitMeasurement::Inches));
        page.populate();
        QCOMPARE(page.row(0)->text(1), QStringLiteral("154.3 lb"));
        QCOMPARE(page.row(0)->text(3), QStringLiteral("31.50 in"));
        QVERIFY(page.checkinListView->columnWidth(1) > metrics.horizontalAdvance("1433.0 lb"));

        // A stored count of 0 steps is shown; German figures carry a decimal comma.
        store(s_today.addDays(-1), makeSet({{M::Steps, 0.0f}}));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        page.populate();
        QLocale::setDefault(QLocale::c());
        QCOMPARE(page.rowCount(), 4);
        QCOMPARE(page.row(3)->text(6), QStringLiteral("0"));
        QCOMPARE(page.row(0)->text(1), QStringLiteral("154,3 lb"));
        QCOMPARE(page.row(0)->text(3), QStringLiteral("31,50 in"));
    }

    // A stored row that no check-in dialog writes: its figures are blank, its note is the
    // dialog's longest, and the page is laid out at once.
    void storedValuesNoDialogWritesAreBlankOrCut()
    {
        newUser();
        const QDate day = s_today.addDays(-3);
        BXSqlQuery crafted("INSERT INTO user_checkins(user_id, date, weight, waist, steps, note) "
                           "VALUES (?, ?, 1e308, ?, ?, ?)");
        const double inf = std::numeric_limits<double>::infinity();
        const QVariantList values{UserDB::instance()->getCurrentUser(), QString::fromLatin1(code(day)),
                                  inf, -inf, QString(10'000'000, u'x')};
        for (int i = 0; i < values.size(); ++i)
            crafted.bindValue(i, values.at(i));
        QVERIFY(crafted.exec());
        ScriptedPage page;
        page.populate();
        const QStringList blank{page.row(0)->text(1), page.row(0)->text(3), page.row(0)->text(6)};
        QCOMPARE(blank, QStringList(3, QString()));
        QCOMPARE(page.row(0)->text(7).size(), CheckinDialog::MaxNoteLength);
        page.updateExtrapolatedInfo(day);
        QCOMPARE(page.noteEdit->toPlainText().size(), CheckinDialog::MaxNoteLength);
    }

    void disabledMeasurementsHaveNoColumn()
    {
        QByteArray switches;
        for (const char* id : {"chest_measurement_enabled", "waist_measurement_enabled",
                               "hip_measurement_enabled", "thigh_measurement_enabled",
                               "steps_measurement_enabled"})
            switches += switchXml(id, false);
        loadSwitchedBrand(switches);
        newUser();
        store(s_today.addDays(-3), makeSet({{M::Weight, 70.0f}, {M::Waist, 80.0f}}, "fine"));
        store(s_today.addDays(-2), makeSet({{M::Chest, 95.0f}}));
        store(s_today.addDays(-1), makeSet({{M::Weight, 69.0f}}, "better"));
        ScriptedPage page;
        page.populate();
        restoreShippedBrand();

        QCOMPARE(page.checkinListView->columnCount(), 3);
        QTreeWidgetItem* header = page.checkinListView->headerItem();
        QCOMPARE((QStringList{header->text(0), header->text(1), header->text(2)}),
                 (QStringList{"Date", "Weight", "Journal Entry"}));
        QCOMPARE(page.row(0)->text(1), QStringLiteral("70.0 kg"));
        QCOMPARE(page.row(0)->text(2), QStringLiteral("fine"));
        QCOMPARE(page.row(1)->text(2), QString());
        QCOMPARE(page.row(2)->text(2), QStringLiteral("better"));
        QCOMPARE(page.row(0)->background(2).color(), QColor(235, 241, 248));
        QCOMPARE(page.row(1)->background(2).style(), Qt::NoBrush);
        checkInvariant(page);
    }

    void panelShowsTheLatestValues()
    {
        newUser();
        store(s_today.addDays(-6), makeSet({{M::Weight, 70.0f}, {M::Waist, 80.0f}, {M::Steps, 9000.0f}}));
        store(s_today.addDays(-3), makeSet({{M::Hip, 100.0f}, {M::Chest, 96.0f}}, "<b>x</b>"));
        ScriptedPage page;
        page.updateExtrapolatedInfo(s_today.addDays(-4));
        QCOMPARE(page.extrapolatedInfo->text(),
                 panelHead(s_today.addDays(-4))
                     + "<tr><td>Weight:</td><td> <b>70.0 kg</b></td></tr>"
                       "<tr><td>Waist:</td><td> <b>80.00 cm</b></td></tr>"
                       "<tr><td>BMI:</td><td> <b>24.2 (low risk)</b></td></tr></table>");
        QVERIFY(page.noteEdit->isHidden());
        // Steps are shown on their own day only.
        page.updateExtrapolatedInfo(s_today.addDays(-6));
        QVERIFY(page.extrapolatedInfo->text().contains("<tr><td>Steps:</td><td> <b>9000</b></td></tr>"));

        page.updateExtrapolatedInfo(s_today.addDays(-3));
        QCOMPARE(page.extrapolatedInfo->text(),
                 panelHead(s_today.addDays(-3))
                     + "<tr><td>Weight:</td><td> <b>70.0 kg</b></td></tr>"
                       "<tr><td>Chest:</td><td> <b>96.00 cm</b></td></tr>"
                       "<tr><td>Waist:</td><td> <b>80.00 cm</b></td></tr>"
                       "<tr><td>Hip:</td><td> <b>100.00 cm</b></td></tr>"
                       "<tr><td>BMI:</td><td> <b>24.2 (low risk)</b></td></tr>"
                       "<tr><td>Waist/Hip ratio:</td><td><b>0.80</b></td></tr></table>"
                       "<br><br><b>Journal Entry:</b>");
        QVERIFY(!page.noteEdit->isHidden());
        QCOMPARE(page.noteEdit->toPlainText(), QStringLiteral("<b>x</b>"));

        // The note belongs to its own day only.
        page.updateExtrapolatedInfo(s_today);
        QVERIFY(page.noteEdit->isHidden());
        QVERIFY(!page.extrapolatedInfo->text().contains(QStringLiteral("Journal Entry")));
    }

    void waistHipRatioRoundsHalfUp_data()
    {
        QTest::addColumn<float>("waist");
        QTest::addColumn<float>("hip");
        QTest::addColumn<QString>("ratio");
        QTest::addColumn<QLocale>("locale");
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        // 0.885 as a float is 0.88499...: the daily summary once showed 0.88 here.
        QTest::newRow("88.5 over 100") << 88.5f << 100.0f << "0.89" << english;
        QTest::newRow("80 over 100") << 80.0f << 100.0f << "0.80" << english;
        QTest::newRow("77.5 over 90") << 77.5f << 90.0f << "0.86" << english;
        QTest::newRow("120 over 80") << 120.0f << 80.0f << "1.50" << english;
        QTest::newRow("88.5 over 100, German")
            << 88.5f << 100.0f << "0,89" << QLocale(QLocale::German, QLocale::Germany);
    }

    // The ratio on this page is the one the daily summary shows for the same figures.
    void waistHipRatioRoundsHalfUp()
    {
        QFETCH(float, waist);
        QFETCH(float, hip);
        QFETCH(QString, ratio);
        QFETCH(QLocale, locale);
        newUser();
        store(s_today, makeSet({{M::Weight, 70.0f}, {M::Waist, waist}, {M::Hip, hip}}));
        ScriptedPage page;
        QLocale::setDefault(locale);
        page.updateExtrapolatedInfo(s_today);
        QVERIFY2(page.extrapolatedInfo->text().contains(
                     QStringLiteral("<tr><td>Waist/Hip ratio:</td><td><b>%1</b></td></tr>").arg(ratio)),
                 qPrintable(page.extrapolatedInfo->text()));
        const UserMeasurements stored = UserDB::instance()->getDaysMeasurements(
            UserDB::instance()->getCurrentUser(), code(s_today).constData()).value();
        QCOMPARE(stored.waistHipRatioText(), ratio);
        QLocale::setDefault(QLocale::c());
    }

    // A German system gets the English heading of an English screen, not "Montag, Dezember".
    void headingInEnglishUnderAGermanLocale()
    {
        newUser();
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        ScriptedPage page;
        page.updateExtrapolatedInfo(QDate(2026, 12, 7));
        QLocale::setDefault(before);
        QVERIFY2(page.extrapolatedInfo->text().startsWith(
                     QStringLiteral("<big><b>Monday, 7. December 2026</b></big>")),
                 qPrintable(page.extrapolatedInfo->text()));
    }

    void bmiWords_data()
    {
        QTest::addColumn<float>("weight");
        QTest::addColumn<QString>("shown");
        // One decimal, as the wizard shows it; the word goes by the index shown.
        QTest::newRow("18") << 18.0f << "18.0 (Underweight)";
        QTest::newRow("18.4") << 18.4f << "18.4 (Underweight)";
        QTest::newRow("18.6") << 18.6f << "18.6 (Underweight)";
        QTest::newRow("18.96") << 18.96f << "19.0 (low risk)";
        QTest::newRow("26.04") << 26.04f << "26.0 (low risk)";
        QTest::newRow("26.2") << 26.2f << "26.2 (medium risk)";
        QTest::newRow("19") << 19.0f << "19.0 (low risk)";
        QTest::newRow("24.7") << 24.7f << "24.7 (low risk)";
        QTest::newRow("26") << 26.0f << "26.0 (low risk)";
        QTest::newRow("26.6") << 26.6f << "26.6 (medium risk)";
        QTest::newRow("27") << 27.0f << "27.0 (medium risk)";
        QTest::newRow("29") << 29.0f << "29.0 (medium risk)";
        QTest::newRow("30") << 30.0f << "30.0 (high risk)";
        QTest::newRow("40") << 40.0f << "40.0 (high risk)";
        QTest::newRow("41") << 41.0f << "41.0 (very high risk)";
    }

    void bmiWords()
    {
        QFETCH(float, weight);
        QFETCH(QString, shown);
        newUser(100.0f); // the index equals the weight
        store(s_today, makeSet({{M::Weight, weight}}));
        ScriptedPage page;
        page.updateExtrapolatedInfo(s_today);
        QVERIFY2(page.extrapolatedInfo->text().contains("<tr><td>BMI:</td><td> <b>" + shown + "</b>"),
                 qPrintable(page.extrapolatedInfo->text()));
    }

    void noRatioOrIndexWithoutTheirValues()
    {
        for (float height : {-1.0f, 0.0f}) {
            newUser(height);
            store(s_today, makeSet({{M::Weight, 70.0f}, {M::Waist, 80.0f}}));
            ScriptedPage page;
            page.updateExtrapolatedInfo(s_today);
            QCOMPARE(page.extrapolatedInfo->text(),
                     panelHead(s_today)
                         + "<tr><td>Weight:</td><td> <b>70.0 kg</b></td></tr>"
                           "<tr><td>Waist:</td><td> <b>80.00 cm</b></td></tr></table>");
        }
    }

    void pastDateAnsweredNoOpensNothing()
    {
        newUser();
        store(s_today.addDays(-3), makeSet({{M::Weight, 70.0f}}));
        ScriptedPrompter prompter;
        prompter.answer(QMessageBox::No);
        ScriptedPage page;
        page.checkinCalendar->setDate(s_today.addDays(-3), true);
        page.updateMeasurements();
        QCOMPARE(page.runs, 0);
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Warning"));
        QCOMPARE(prompter.lastText(),
                 QStringLiteral("You are modifying your checkin set in the past. Do you want to "
                                "continue?"));

        // Today is not asked about, and the dialog is titled for a new check-in.
        QString title;
        QString caption;
        page.steps.push_back([&title, &caption](CheckinDialog& dialog) {
            title = dialog.titleLabel->text();
            caption = dialog.windowTitle();
            return int(QDialog::Rejected);
        });
        QVERIFY(!page.updateMeasurements(s_today));
        QCOMPARE(prompter.asked.size(), 1);
        QCOMPARE(title, "<h2>New check-in for " + DisplayDate::textDate(s_today) + "</h2>");
        QCOMPARE(caption, QStringLiteral("New Check-In"));
    }

    void lastWeightCannotBeCleared()
    {
        newUser();
        store(s_today, makeSet({{M::Weight, 70.0f}, {M::Chest, 90.0f}}, "kept"));
        ScriptedPrompter prompter;
        ScriptedPage page;
        page.show();
        QVERIFY(page.reload());
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QCOMPARE(page.btnCheckin->text(), QStringLiteral("Edit Check-In"));
        QStringList reopened;
        page.steps.push_back(clearEverything);
        page.steps.push_back([&reopened](CheckinDialog& dialog) {
            reopened << dialog.row(M::Weight).edit->text() << dialog.titleLabel->text()
                     << dialog.windowTitle();
            return int(QDialog::Rejected);
        });
        page.btnCheckin->click();
        QCOMPARE(page.runs, 2);
        QCOMPARE(reopened, (QStringList{"", "<h2>Edit check-in for " + DisplayDate::textDate(s_today) + "</h2>",
                                        "Edit Check-In"}));
        QCOMPARE(prompter.lastCaption(), BrandEngine::instance()->getString("app_name_short"));
        QCOMPARE(prompter.lastText(), QStringLiteral("You cannot delete your last weight entry. "
                                                     "Please set a weight or cancel this operation."));
        const UserMeasurements stored = UserDB::instance()->getDaysMeasurements(
            UserDB::instance()->getCurrentUser(), code(s_today).constData()).value();
        QCOMPARE(describe(stored), QStringLiteral("weight=70.00 chest=90.00 note=kept"));
        QCOMPARE(page.rowCount(), 1);
        checkInvariant(page);

        // Deleting the only weighed day is refused too.
        page.checkinListView->setCurrentItem(page.row(0));
        page.deleteJournal();
        QCOMPARE(prompter.lastText(),
                 QStringLiteral("Cannot perform operation. You must have at least one weight entry."));
        QCOMPARE(page.rowCount(), 1);
        QVERIFY(page.hasCheckin(s_today).value());
        checkInvariant(page);
    }

    void deletingTheMiddleRow()
    {
        newUser();
        for (int days : {-8, -4, -1})
            store(s_today.addDays(days), makeSet({{M::Weight, 70.0f + days}}));
        ScriptedPrompter prompter;
        ScriptedPage page;
        page.show();
        QVERIFY(page.reload());
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QCOMPARE(page.rowCount(), 3);
        checkInvariant(page);

        page.checkinListView->setCurrentItem(page.row(1));
        QCOMPARE(page.getDate(), s_today.addDays(-4));
        QCOMPARE(page.btnCheckin->text(), QStringLiteral("Edit Check-In"));
        QSignalSpy refresh(&page, &CheckinWidget::requestEditMenuRefresh);
        page.deleteJournal();
        QCOMPARE(page.listedDates(), (QList<QDate>{s_today.addDays(-8), s_today.addDays(-1)}));
        QVERIFY(page.row(0)->stripe() != page.row(1)->stripe());
        QVERIFY(!page.checkinCalendar->isBoldDay(s_today.addDays(-4)));
        QVERIFY(refresh.contains(QList<QVariant>{2, 0}));
        QCOMPARE(page.getDate(), s_today.addDays(-4));
        QCOMPARE(page.btnCheckin->text(), QStringLiteral("New Check-In"));
        // The panel no longer shows the removed weight but the one carried from day -8.
        QCOMPARE(page.extrapolatedInfo->text(),
                 panelHead(s_today.addDays(-4))
                     + "<tr><td>Weight:</td><td> <b>62.0 kg</b></td></tr>"
                       "<tr><td>BMI:</td><td> <b>21.5 (low risk)</b></td></tr></table>");
        QVERIFY(page.checkinListView->selectedItems().isEmpty());
        QVERIFY(!page.hasCheckin(s_today.addDays(-4)).value());
        checkInvariant(page);

        // With nothing selected Delete and Backspace do nothing.
        QTest::keyClick(page.checkinListView, Qt::Key_Delete);
        QTest::keyClick(page.checkinListView, Qt::Key_Backspace);
        QCOMPARE(page.rowCount(), 2);
        QVERIFY(prompter.asked.isEmpty());
    }

    void keysReachThePage()
    {
        newUser();
        for (int days : {-8, -4, -1})
            store(s_today.addDays(days), makeSet({{M::Weight, 70.0f + days}}));
        ScriptedPrompter prompter;
        ScriptedPage page;
        page.show();
        QVERIFY(page.reload());
        QVERIFY(QTest::qWaitForWindowExposed(&page));

        page.checkinListView->setCurrentItem(page.row(0));
        QTest::keyClick(page.checkinListView, Qt::Key_Backspace);
        QCOMPARE(page.listedDates(), (QList<QDate>{s_today.addDays(-4), s_today.addDays(-1)}));
        checkInvariant(page);

        page.checkinListView->setCurrentItem(page.row(1));
        QTest::keyClick(page.checkinListView, Qt::Key_Delete);
        QCOMPARE(page.listedDates(), QList<QDate>{s_today.addDays(-4)});
        checkInvariant(page);

        // Return, Enter and Insert open the check-in of the calendar's date.
        page.checkinCalendar->setDate(s_today, true);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Insert}) {
            const int before = page.runs;
            QTest::keyClick(page.checkinListView, key);
            QTRY_COMPARE(page.runs, before + 1);
        }
        QVERIFY(prompter.asked.isEmpty());
        // Other keys still move through the list.
        page.checkinListView->setCurrentItem(page.row(0));
        QCOMPARE(page.getDate(), s_today.addDays(-4));
    }

    void contextMenuEditsAndDeletes()
    {
        newUser();
        store(s_today.addDays(-2), makeSet({{M::Weight, 71.0f}}));
        store(s_today.addDays(-1), makeSet({{M::Weight, 70.0f}}));
        store(s_today, makeSet({{M::Weight, 69.0f}, {M::Steps, 5000.0f}}));
        ScriptedPrompter prompter;
        ScriptedPage page;
        page.resize(900, 500);
        page.show();
        QVERIFY(page.reload());
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto menuAt = [&page](int index) {
            const QPoint at = page.checkinListView->visualItemRect(page.row(index)).center();
            emit page.checkinListView->customContextMenuRequested(at);
        };

        prompter.answer(QStringLiteral("&Edit"));
        page.steps.push_back(typeWeight(QStringLiteral("68.5")));
        menuAt(2);
        QCOMPARE(prompter.asked.first().options, (QStringList{"&Edit", "&Delete"}));
        QCOMPARE(page.row(2)->text(1), QStringLiteral("68.5 kg"));
        QCOMPARE(page.row(2)->text(6), QStringLiteral("5000"));
        QVERIFY(page.extrapolatedInfo->text().contains(QStringLiteral("68.5 kg")));

        prompter.answer(QStringLiteral("&Delete"));
        menuAt(1);
        QCOMPARE(page.listedDates(), (QList<QDate>{s_today.addDays(-2), s_today}));
        checkInvariant(page);

        // An edit that clears everything removes the row (a past date: confirmed first).
        prompter.answer(QMessageBox::Yes);
        page.steps.push_back(clearEverything);
        page.doEditItemRequest(page.row(0), QPoint(), 0);
        QCOMPARE(page.listedDates(), QList<QDate>{s_today});
        QVERIFY(!page.hasCheckin(s_today.addDays(-2)).value());
        checkInvariant(page);

        // No menu without a row.
        const qsizetype asked = prompter.asked.size();
        page.doContextMenuRequested(nullptr, QPoint(), 0);
        QCOMPARE(prompter.asked.size(), asked);
    }

    void checkinTodayFromAnotherDate()
    {
        newUser();
        store(s_today.addDays(-7), makeSet({{M::Weight, 72.0f}}));
        store(s_today.addDays(-3), makeSet({{M::Weight, 71.0f}}));
        ScriptedPrompter prompter;
        ScriptedPage page;
        page.resize(900, 500);
        page.show();
        QVERIFY(page.reload());
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QCOMPARE(page.getDate(), s_today);
        page.checkinListView->setCurrentItem(page.row(0));
        QCOMPARE(page.getDate(), s_today.addDays(-7));

        page.steps.push_back([](CheckinDialog& dialog) {
            dialog.row(M::Weight).edit->setText(QStringLiteral("70.2"));
            dialog.noteGroup->setChecked(true);
            dialog.noteEdit->setPlainText(QStringLiteral("a good week"));
            return int(QDialog::Accepted);
        });
        page.checkinToday();
        QVERIFY(prompter.asked.isEmpty());
        QCOMPARE(page.rowCount(), 3);
        QCOMPARE(page.checkinListView->currentItem(), page.row(2));
        QCOMPARE(page.getDate(), s_today);
        QCOMPARE(page.btnCheckin->text(), QStringLiteral("Edit Check-In"));
        QVERIFY(!page.noteEdit->isHidden());
        QCOMPARE(page.noteEdit->toPlainText(), QStringLiteral("a good week"));
        checkInvariant(page);
        QTest::qWait(20); // lets the panel lay out its new text before the picture
        QVERIFY(saveWidgetPicture(&page, QStringLiteral("checkinpage-metric-kcal")));

        // A date without a check-in clears the selection.
        page.checkinCalendar->setDate(s_today.addDays(-1), true);
        QVERIFY(page.checkinListView->selectedItems().isEmpty());
        QCOMPARE(page.btnCheckin->text(), QStringLiteral("New Check-In"));
    }

    void pictureInImperialAndKilojoules()
    {
        newUser();
        store(s_today.addDays(-10), makeSet({{M::Weight, 82.0f}, {M::Waist, 90.0f}, {M::Hip, 104.0f}}));
        store(s_today.addDays(-4), makeSet({{M::Weight, 81.1f}, {M::Steps, 8000.0f}}, "Walked to work\ntwice"));
        store(s_today, makeSet({{M::Chest, 100.0f}, {M::Thigh, 58.0f}}, "Measured"));
        UnitCollection* units = UnitCollection::instance();
        units->set(UnitCollection::Weight, new UnitWeight(UnitWeight::Pounds));
        units->set(UnitCollection::Measurement, new UnitMeasurement(UnitMeasurement::Inches));
        units->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilojoules));
        ScriptedPage page;
        page.resize(1000, 560);
        page.show();
        QVERIFY(page.reload());
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QVERIFY(page.extrapolatedInfo->text().contains(QStringLiteral("178.8 lb")));
        QVERIFY(saveWidgetPicture(&page, QStringLiteral("checkinpage-imperial-kj")));
    }
};

QTEST_MAIN(TestCheckinPage)
#include "tst_checkinpage.moc"
