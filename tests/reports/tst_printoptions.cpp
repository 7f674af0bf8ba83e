#include "reportsession.h"

#include "reports/checkinreportfactory.h"
#include "reports/diaryreportfactory.h"
#include "reports/printbreakdownoptions.h"
#include "reports/printcheckin.h"
#include "reports/printdiary.h"
#include "reports/printoptions.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/widgetpicture.h"
#include "widgets/bxcalendar.h"
#include "widgets/bxhelp.h"
#include "widgets/bxhelpclient.h"
#include "widgets/qpopupcalendar.h"
#include "widgets/qpopupcalendarwidget.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QDate March15(2026, 3, 15);

using Answer = std::function<bool(PrintOptions*)>;

// What the user does in the options dialog, one answer per showing.
template <typename Command>
class Scripted : public Command
{
public:
    using Command::Command;
    QList<Answer> answers;
    QList<QString> captions;
    QList<bool> summaryShown;
    QList<bool> omitShown;

protected:
    bool runOptions(PrintOptions* options) override
    {
        captions.append(options->windowTitle());
        summaryShown.append(!options->summaryOnlyCheckbox->isHidden());
        omitShown.append(!options->omitEmptyCheckbox->isHidden());
        return !answers.isEmpty() && answers.takeFirst()(options);
    }
};

void pickDate(QPopupCalendarWidget* field, const QDate& date)
{
    field->popupCalendar()->calendar()->setDate(date, true);
}

QDate dateOf(QPopupCalendarWidget* field)
{
    return field->popupCalendar()->calendar()->getDate();
}

Answer printRange(QDate first, QDate last, bool summaryOnly = false)
{
    return [=](PrintOptions* options) {
        options->printRangeRadioButton->setChecked(true);
        pickDate(options->startDateEdit, first);
        pickDate(options->endDateEdit, last);
        options->summaryOnlyCheckbox->setChecked(summaryOnly);
        return true;
    };
}

const Answer PrintTheDay = [](PrintOptions*) { return true; };
const Answer Cancel = [](PrintOptions*) { return false; };

} // namespace

class TestPrintOptions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        _helpAction = new QAction(this);
        BXHelp::init(_helpAction, new BXHelpClient(this));
    }
    void init() { QVERIFY(ReportSession::start() >= 0); }
    void cleanup() { ReportSession::end(); }

    void optionsOfferTheWeekUpToTheDay();
    void diaryRangeAndLongRangeQuestion();
    void checkinsAskNoMoreThanTheRange();
    void breakdownEndFollowsTheStart();

private:
    QAction* _helpAction = nullptr;
};

void TestPrintOptions::optionsOfferTheWeekUpToTheDay()
{
    const std::unique_ptr<PrintOptions> options(PrintOptions::construct(nullptr));
    QCOMPARE(options->windowTitle(), QStringLiteral("Print options"));
    options->setDate(March15);
    QCOMPARE(options->printDayRadioButton->text(),
             QStringLiteral("Print the &day currently selected in the diary (Sun, 15 Mar 2026)"));
    QCOMPARE(dateOf(options->startDateEdit), QDate(2026, 3, 9));
    QCOMPARE(dateOf(options->endDateEdit), March15);
    QVERIFY(!options->startDateEdit->isEnabled());

    pickDate(options->startDateEdit, QDate(2026, 1, 1));
    QDate first;
    QDate last;
    QVERIFY(!options->getDateRange(first, last));
    QCOMPARE(first, March15);
    QCOMPARE(last, March15);
    options->printRangeRadioButton->setChecked(true);
    QVERIFY(options->startDateEdit->isEnabled() && options->endDateEdit->isEnabled());
    QVERIFY(options->getDateRange(first, last));
    QCOMPARE(first, QDate(2026, 1, 1));
    QCOMPARE(last, March15);

    // The info names the summary box as it reads, and only where it is offered.
    options->displayExtendedOptions(true, true);
    QCOMPARE(options->PrintOptionsInfo->text(),
             QStringLiteral("You can print out diary information over a period of time. If you "
                            "just want a nutrient summary for the day, tick the \"Only print the "
                            "daily summary\" checkbox."));
    options->displayExtendedOptions(false, true);
    QVERIFY(options->summaryOnlyCheckbox->isHidden());
    QVERIFY(!options->omitEmptyCheckbox->isHidden());
    QCOMPARE(options->PrintOptionsInfo->text(),
             QStringLiteral("You can print out diary information over a period of time."));
    options->show();
    QVERIFY(options->width() >= 378);
    QVERIFY(saveWidgetPicture(options.get(), QStringLiteral("print-options")));
}

void TestPrintOptions::diaryRangeAndLongRangeQuestion()
{
    ScriptedPrompter prompter;
    Scripted<PrintDiary> elevenDays(nullptr, March15);
    elevenDays.answers = {printRange(QDate(2026, 3, 1), QDate(2026, 3, 11), true)};
    std::unique_ptr<ReportFactory> factory(elevenDays.getReportFactory());
    auto* diary = dynamic_cast<DiaryReportFactory*>(factory.get());
    QVERIFY(diary);
    QCOMPARE(int(diary->data().days.size()), 11);
    QVERIFY(diary->data().summaryOnly);
    QVERIFY(!diary->data().omitEmpty);
    QVERIFY(prompter.asked.isEmpty());
    QCOMPARE(elevenDays.captions, QList<QString>{"Print diary"});
    QCOMPARE(elevenDays.summaryShown, QList<bool>{true});
    QCOMPARE(elevenDays.omitShown, QList<bool>{true});

    // Twelve days ask; Cancel shows the options again and the shorter range prints.
    Scripted<PrintDiary> twelveDays(nullptr, March15);
    twelveDays.answers = {printRange(QDate(2026, 3, 1), QDate(2026, 3, 12)),
                          printRange(QDate(2026, 3, 1), QDate(2026, 3, 3))};
    prompter.answer(int(QMessageBox::Cancel));
    factory.reset(twelveDays.getReportFactory());
    diary = dynamic_cast<DiaryReportFactory*>(factory.get());
    QVERIFY(diary);
    QCOMPARE(diary->data().days.begin()->first, QDate(2026, 3, 1));
    QCOMPARE(diary->data().days.rbegin()->first, QDate(2026, 3, 3));
    QCOMPARE(prompter.asked.size(), 1);
    QCOMPARE(prompter.lastCaption(), BrandEngine::instance()->getString("app_name_short"));
    QVERIFY(prompter.lastText().startsWith(
        QStringLiteral("You have chosen to print more than 10 days worth of information. ")));

    // OK goes on with the long range; Cancel then Cancel prints nothing.
    Scripted<PrintDiary> confirmed(nullptr, March15);
    confirmed.answers = {printRange(QDate(2026, 3, 1), QDate(2026, 3, 12))};
    prompter.answer(int(QMessageBox::Ok));
    factory.reset(confirmed.getReportFactory());
    QCOMPARE(int(dynamic_cast<DiaryReportFactory*>(factory.get())->data().days.size()), 12);

    Scripted<PrintDiary> abandoned(nullptr, March15);
    abandoned.answers = {printRange(QDate(2026, 3, 1), QDate(2026, 3, 12)), Cancel};
    prompter.answer(int(QMessageBox::Cancel));
    QVERIFY(!abandoned.getReportFactory());
    QCOMPARE(abandoned.captions.size(), 2);

    Scripted<PrintDiary> theDay(nullptr, March15);
    theDay.answers = {PrintTheDay};
    factory.reset(theDay.getReportFactory());
    diary = dynamic_cast<DiaryReportFactory*>(factory.get());
    QCOMPARE(int(diary->data().days.size()), 1);
    QCOMPARE(diary->data().days.begin()->first, March15);
}

void TestPrintOptions::checkinsAskNoMoreThanTheRange()
{
    ScriptedPrompter prompter;
    Scripted<PrintCheckin> command(nullptr, March15);
    command.answers = {[](PrintOptions* options) {
        options->printRangeRadioButton->setChecked(true);
        pickDate(options->startDateEdit, QDate(2025, 1, 1));
        return true;
    }};
    const std::unique_ptr<ReportFactory> factory(command.getReportFactory());
    QVERIFY(dynamic_cast<CheckinReportFactory*>(factory.get()));
    QVERIFY(prompter.asked.isEmpty());
    QCOMPARE(command.captions, QList<QString>{"Print check-ins"});
    QCOMPARE(command.summaryShown, QList<bool>{false});
    QCOMPARE(command.omitShown, QList<bool>{false});

    Scripted<PrintCheckin> cancelled(nullptr, March15);
    cancelled.answers = {Cancel};
    QVERIFY(!cancelled.getReportFactory());
}

void TestPrintOptions::breakdownEndFollowsTheStart()
{
    const std::unique_ptr<PrintBreakDownOptions> options(PrintBreakDownOptions::construct(nullptr));
    QVERIFY(_helpAction->whatsThis().endsWith(QStringLiteral("diary-print.html")));
    options->setDate(March15);
    QCOMPARE(options->startDate(), QDate(2026, 3, 9));
    QCOMPARE(options->endDate(), March15);
    QCOMPARE(options->printDayRadioButton->text(),
             QStringLiteral("Print the &day currently selected in the diary (Sun, 15 Mar 2026)"));
    QCOMPARE(options->daysPerPage->count(), 3);
    QCOMPARE(options->daysPerPage->itemText(0), QStringLiteral(" 1 Day Per Page"));
    QVERIFY(!options->daysPerPage->isEnabled());
    options->printRangeRadioButton->setChecked(true);
    QVERIFY(options->daysPerPage->isEnabled() && options->endDateButton->isEnabled());

    options->startDateButton->setDate(QDate(2026, 3, 20));
    QCOMPARE(options->endDate(), QDate(2026, 3, 20));
    QCOMPARE(options->endDateButton->popupCalendar()->getMinimumDate(), QDate(2026, 3, 20));
    options->endDateButton->setDate(QDate(2026, 3, 18));
    QVERIFY(options->endDate() >= options->startDate());
}

QTEST_MAIN(TestPrintOptions)
#include "tst_printoptions.moc"
