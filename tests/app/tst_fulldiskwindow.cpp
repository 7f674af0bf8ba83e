// A change lost to a full disk, or to another program holding the diary, is told to the user
// once, and the program goes on: a new user from the wizard, an entry added to the diary, and
// a check-in saved while a backup tool reads the file.

#include "mainwindowdoubles.h"

#include "browser/addfooddialog.h"
#include "browser/draglistview.h"
#include "app/tipoftheday.h"
#include "browser/foodquerywidget.h"
#include "browser/foodwidget.h"
#include "catalogue/catalogueservices.h"
#include "reports/dateselectorbar.h"
#include "reports/nutrientchart.h"
#include "reports/nutrientreportviewer.h"
#include "reports/periodpicker.h"
#include "reports/reportscontainer.h"
#include "reports/reportsselectoritem.h"
#include "widgets/bxcalendar.h"
#include "widgets/qpopupcalendar.h"
#include "core/fooddiaryitem.h"
#include "profile/checkindialog.h"
#include "app/preferencesdialog.h"
#include "core/clock.h"
#include "diary/copypreviousdiaryentry.h"
#include "diary/diarysummary.h"
#include "diary/fluidcounterview.h"
#include "diary/fluidcounterviewbutton.h"
#include "reports/csvoptions.h"
#include "userdb/savedmealdb.h"
#include "diary/diarylistview.h"
#include "diary/diaryview.h"
#include "diary/diarywidget.h"
#include "profile/checkinwidget.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarydb.h"
#include "tests/support/otherreader.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/whenshown.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTest>

#include <algorithm>
#include <optional>
#include <utility>

using namespace MainWindowTest;

namespace {

const QString DiskFull = QStringLiteral("The disk is full: the change was not saved.");

qint64 scalar(const char* sql)
{
    BXSqlQuery query(sql);
    return query.exec() && query.next() ? query.value(0).toLongLong() : -1;
}

// Lets the database grow by no page at all, as on a full disk.
void fillTheDisk(bool full)
{
    const QByteArray limit = full ? QByteArray::number(scalar("PRAGMA page_count")) : "1000000";
    BXSqlDb::perform(("PRAGMA max_page_count = " + limit).constData());
}

bool databaseIsSound()
{
    BXSqlQuery check("PRAGMA integrity_check");
    return check.exec() && check.next() && check.value(0).toString() == QStringLiteral("ok");
}

} // namespace

class TestFullDiskWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        BrandSwitches switches;
        switches.family = true;
        loadBrand(switches);
        // Short, so that the suite does not wait for readers that never finish.
        BXSqlDb::setBusyTimeout(100);
    }

    void init()
    {
        startFreshDatabase();
        _ann = addUser(QStringLiteral("Ann"));
        for (int topic = 101; topic <= 110; ++topic) // the topic tips already seen
            UserDB::instance()->setTipForTopic(_ann, topic);
        _prompter.emplace();
        _window = new ScriptedMainWindow;
        UserDB::instance()->setCurrentUser(_ann);
        QVERIFY(_window->switchUser(_window, _ann));
        _window->messages.clear();
    }

    void cleanup()
    {
        fillTheDisk(false);
        _window->hide();
        delete _window;
        _window = nullptr;
        _prompter.reset();
        CatalogueServices::cleanUp();
    }

    void cleanupTestCase()
    {
        BXSqlDb::cleanUp();
        UserDB::cleanUp();
        BrandEngine::cleanUp();
    }

    void newUserOnAFullDisk()
    {
        const qint64 users = scalar("SELECT count(*) FROM user_users");
        _window->wizardName = QString(200000, QLatin1Char('n'));
        fillTheDisk(true);
        QVERIFY(!_window->switchUser(_window, -1));
        QCoreApplication::processEvents();
        QCOMPARE(told(), QStringList{DiskFull});
        QCOMPARE(scalar("SELECT count(*) FROM user_users"), users);
        QCOMPARE(UserDB::instance()->getCurrentUser(), _ann);
        QVERIFY(databaseIsSound());

        fillTheDisk(false);
        QVERIFY(_window->switchUser(_window, -1));
        QCOMPARE(scalar("SELECT count(*) FROM user_users"), users + 1);
    }

    void diaryEntryOnAFullDisk()
    {
        DBTypes::FoodDiaryItem entry;
        entry.userId = _ann;
        entry.setDate("20260301");
        entry.meal = 1;
        entry.refId = 0;
        entry.desc = QString(200000, QLatin1Char('d'));
        fillTheDisk(true);
        QCOMPARE(DiaryDB::instance()->addFoodEntry(entry, true), -1);
        QCoreApplication::processEvents();
        // Outside any action the caller has the outcome, and nobody else tells it.
        QVERIFY(_window->messages.isEmpty());
        QVERIFY(told().isEmpty());
        QVERIFY(databaseIsSound());
    }

    void checkinWhileAnotherProgramReads()
    {
        const char* const weighed = "SELECT count(*) FROM user_checkins WHERE weight IS NOT NULL";
        const qint64 before = scalar(weighed);
        _window->show();
        QVERIFY(QTest::qWaitForWindowExposed(_window));
        _window->viewCheckinAction->trigger();
        const QTreeWidget* list = _window->checkinPage()->checkinListView;
        const int listed = list->topLevelItemCount();
        auto reader = std::make_unique<OtherReader>(databaseFile());
        QVERIFY(reader->reading());

        // The first OK meets the reader: the dialog comes back with the weight still typed.
        QString kept;
        qint64 storedWhileBusy = -1;
        bool journalWhileBusy = true;
        whenShown<CheckinDialog>([&](CheckinDialog* dialog) {
            dialog->row(UserMeasurements::Weight).edit->setText(QStringLiteral("82.4"));
            dialog->okButton->click();
            whenShown<CheckinDialog>([&](CheckinDialog* again) {
                kept = again->row(UserMeasurements::Weight).edit->text();
                storedWhileBusy = scalar(weighed);
                journalWhileBusy = QFile::exists(databaseFile() + QStringLiteral("-journal"));
                reader->end();
                again->okButton->click();
            });
        });
        _window->eM_JournalNewEntryToday->trigger();
        QCoreApplication::processEvents();

        QCOMPARE(kept, QStringLiteral("82.4"));
        QCOMPARE(storedWhileBusy, before);
        QVERIFY(!journalWhileBusy);
        QCOMPARE(inUse(), 1);
        // Once the reader is done, the second OK stores the check-in and shows it.
        QCOMPARE(scalar(weighed), before + 1);
        QCOMPARE(list->topLevelItemCount(), listed + 1);
        QVERIFY(databaseIsSound());
    }

    // A change made in the window while another program reads the diary or holds it whole:
    // one message, the program goes on, the diary as it was and the window showing it; once
    // the other program is done the same change goes through and shows.
    void windowShowsWhatIsStored_data()
    {
        const std::pair<const char*, WindowChange> changes[] = {
            {"personal profile", PersonalProfile}, {"clear day", ClearDay}, {"remove entry", RemoveEntry}};
        addRowsForEachHold(changes);
        // One wait and one question, whatever the action reads or reloads around its change.
        const std::pair<const char*, WindowChange> whole[] = {
            {"delete user", DeleteUser}, {"create user", CreateUser}, {"reset tips", ResetTips}};
        for (const auto& [name, change] : whole)
            QTest::addRow("%s, writer", name) << int(change) << int(OtherReader::Exclusive);
    }

    void windowShowsWhatIsStored()
    {
        QFETCH(int, change);
        QFETCH(int, hold);
        for (const char* food : {"Tea", "Toast"})
            addToday(food);
        _window->show();
        QVERIFY(QTest::qWaitForWindowExposed(_window));
        _window->viewDiaryAction->trigger();
        _window->refreshCurrentWidget();
        const QString title = _window->windowTitle();
        const QStringList before = everyStoredRow();
        const QStringList shown = shownEntries();
        QCOMPARE(shown, (QStringList{"Tea", "Toast"}));
        _window->wizardName = QStringLiteral("Renamed Tester");
        // The other program starts while the change's dialog is open, if it has one.
        std::optional<OtherReader> other;
        std::optional<BusyWaits> waits;
        const auto holdTheFile = [&] {
            other.emplace(databaseFile(), OtherReader::Hold(hold));
            waits.emplace(100);
        };
        if (change == PersonalProfile || change == CreateUser)
            _window->duringWizard = holdTheFile;
        else if (change == ClearDay || change == DeleteUser || change == ResetTips)
            _window->duringMessage = holdTheFile;
        else
            holdTheFile();
        if (QWidget* focused = QApplication::focusWidget()) // no topic tip after the reset
            focused->clearFocus();
        makeInWindow(WindowChange(change));
        QVERIFY(other && other->reading());
        QCOMPARE(waits->count(), 1);
        waits.reset();
        other.reset();
        QCoreApplication::processEvents();
        QCOMPARE(inUse(), 1);
        const int questions[] = {0, 1, 0, 2, 0, 1}; // asked before the change, by change
        QCOMPARE(told().size(), questions[change] + 1);
        QVERIFY(_window->isVisible());
        QCOMPARE(everyStoredRow(), before);
        QCOMPARE(_window->windowTitle(), title);
        QCOMPARE(shownEntries(), shown);

        makeInWindow(WindowChange(change));
        QCoreApplication::processEvents();
        QCOMPARE(inUse(), 1);
        QVERIFY(everyStoredRow() != before);
        if (change == ClearDay || change == RemoveEntry)
            QVERIFY(shownEntries() != shown);
        else if (change != ResetTips)
            QVERIFY(_window->windowTitle().contains(QStringLiteral("Renamed Tester")));
        QVERIFY(databaseIsSound());
    }

    // Every user action that reads or changes the diary, while another program reads it, is
    // about to write or holds it whole, and on a diary with damaged pages. The program waits
    // once for each try; a diary held whole (or one held for a change) is said to be in use,
    // with Retry and Cancel; a damaged page is told with the store's reason. The diary keeps
    // its rows, and the pages (the report list with them) keep what they showed.
    void pageKeepsWhatItShowed_data()
    {
        const std::pair<const char*, WindowAction> actions[] = {
            {"day change", NextDay},        {"report", OtherReport},     {"user switch", SwitchUser},
            {"browser", BrowserLists},      {"check-ins page", CheckinPage}, {"check-ins day", CheckinDay},
            {"report date", ReportDate},    {"report period", ReportPeriod},
            {"weight report date", WeightDate}, {"steps report date", StepsDate},
            {"breakdown report date", BreakdownDate}, {"summary report date", SummaryDate},
            {"meal plan", MealPlan},        {"publish", Publish},        {"export day", ExportDay},
            {"export all", ExportAll},      {"meal menu", MealMenu},     {"fluid up", FluidUp},       {"fluid down", FluidDown},
            {"save meal", SaveMeal},        {"save meal from menu", MenuMeal},
            {"food from meal", MealAsFood}, {"copy day", CopyDay},       {"targets", Targets},
            {"check in", CheckIn},          {"preferences", Preferences}};
        addRowsForEachHold(actions, true);
        // Focus, hover and menus work from what the window holds: under a whole hold nothing
        // waits. A print reads inside its action: nothing is printed from a diary not read.
        QTest::addRow("focus, hover and menus, writer") << int(FocusAndMenus) << int(OtherReader::Exclusive);
        // A page is raised once it was read, never read as it is shown.
        for (const auto& [name, action] : {std::pair{"print weight", PrintWeight}, {"print nutrients", PrintNutrients},
                                           {"reports page", ReportsPage}}) {
            QTest::addRow("%s, writer", name) << int(action) << int(OtherReader::Exclusive);
            QTest::addRow("%s, damaged", name) << int(action) << int(OtherReader::Damaged);
        }
        const std::pair<const char*, WindowAction> moves[] = {
            {"previous day", PrevDay}, {"previous day into the month before", PrevMonth}, {"user switch", SwitchUser},
            {"user switch from the check-ins page", SwitchFromCheckins},
            {"user switch from the steps report", SwitchFromReports}};
        for (const auto& [name, action] : moves)
            QTest::addRow("%s, one table damaged", name) << int(action) << OneTableDamaged;
    }

    void pageKeepsWhatItShowed()
    {
        QFETCH(int, change);
        QFETCH(int, hold);
        const auto action = WindowAction(change);
        QFile::remove(_exportFile);
        _answered = nullptr;
        const QDate today = Clock::today();
        // The diary on a day before the steps that the report shows.
        const QDate day = action == PrevMonth            ? QDate(today.year(), today.month(), 1)
                          : action == SwitchFromReports ? today.addDays(-7)
                                                        : today;
        addEntry("Tea", day);
        if (hold == OneTableDamaged)
            addEntry("Toast", day.addDays(-1));
        if (action == CopyDay)
            addEntry("Toast", Clock::today().addDays(-1));
        if (action == MealAsFood)
            _meal = SavedMealDB::instance()->storeMeal(_ann, -1, "Soup", {}, true);
        UserDB::instance()->setFluid(_ann, qPrintable(day.toString(QStringLiteral("yyyyMMdd"))), 3);
        const int bob = addUser(QStringLiteral("Bob"));
        BXSqlQuery note("INSERT INTO user_checkins (user_id, date, note, steps) VALUES (?, ?, 'Walk', ?)");
        note.bindValue(0, bob);
        note.bindValue(1, today.addDays(-1).toString(QStringLiteral("yyyyMMdd")));
        note.bindValue(2, action == SwitchFromReports ? QVariant(4000) : QVariant());
        QVERIFY((action != SwitchFromCheckins && action != SwitchFromReports) || note.exec());
        _window->show();
        QVERIFY(QTest::qWaitForWindowExposed(_window));
        _window->viewDiaryAction->trigger();
        _window->diaryPage()->popupCalendar()->calendar()->setDate(day, true);
        _window->diaryPage()->popupCalendar()->handleDateSelection(day);
        if (action == CheckinDay || action == CheckIn || action == FocusAndMenus || action == SwitchFromCheckins)
            _window->viewCheckinAction->trigger();
        else if (action == OtherReport)
            _window->viewReportsAction->trigger();
        else if (action == ReportDate || action == ReportPeriod || action == PrintNutrients) {
            _window->viewReportsAction->trigger();
            _window->reportsPage()->handleReportChanged(ReportsContainer::Nutrients);
            // The week up to today, whatever an earlier row left shown.
            nutrientViewer()->dateBar()->todayButton()->click();
            periodButton(PeriodPicker::Week)->click();
            QVERIFY2(shownReport().contains(QStringLiteral("120")), qPrintable(shownReport()));
        } else if ((action >= WeightDate && action <= SummaryDate) || action == PrintWeight
                   || action == SwitchFromReports) {
            _window->viewReportsAction->trigger();
            _window->reportsPage()->handleReportChanged(reportOf(action));
            reportBar()->todayButton()->click();
        }
        _window->refreshCurrentWidget();
        QCoreApplication::processEvents(); // the page as laid out
        if (action == FocusAndMenus) // watches the lists for their topic tips
            TipOfTheDay::instance();
        QCOMPARE(_window->diaryPage()->summaryWidget->fluid(), 3);
        const QStringList before = everyStoredRow();
        const QStringList shown = shownState();
        const bool damaged = hold >= OtherReader::Damaged;
        const bool held = hold == OtherReader::Exclusive;
        // A change waits for a program that reads or is about to write too; menus wait for none.
        const bool stopped = !damaged && action != FocusAndMenus && action != MealMenu && (held || action >= FluidUp);
        {
            const char* table = action == PrevMonth ? "food_diary" : "user_checkins";
            // Bob's diary page reaches no check-in through the indexes; his check-ins page
            // lists the note's row, and his steps report reads its steps.
            OtherReader other(databaseFile(), damaged ? OtherReader::Damaged : OtherReader::Hold(hold),
                              hold == OneTableDamaged ? table : nullptr,
                              action != SwitchFromCheckins && action != SwitchFromReports);
            QVERIFY(other.reading());
            BusyWaits waits(100);
            QTimer dialogs; // answers each dialog the action opens
            dialogs.callOnTimeout([this] { answerDialog(); });
            dialogs.start(0);
            if (action == SaveMeal || action == MenuMeal)
                _prompter->answer(QStringLiteral("Breakfast"));
            _prompter->answer(0); // Retry, then Cancel
            actInWindow(action, bob);
            QCOMPARE(waits.count(), stopped ? 2 : 0);
        }
        QCoreApplication::processEvents();
        QCOMPARE(everyStoredRow(), before);
        const QStringList told = this->told();
        const QStringList retries = asked({QStringLiteral("Retry"), QStringLiteral("Cancel")});
        if (stopped) {
            QCOMPARE(retries.size(), 2);
            QCOMPARE(retries.at(1), retries.at(0));
            QVERIFY2(retries.at(0).startsWith(QStringLiteral("The diary is in use by another program (a backup tool "
                                                             "or a database shell, say)")),
                     qPrintable(retries.at(0)));
        } else {
            QVERIFY(retries.isEmpty());
        }
        const auto damageTold = std::count_if(told.cbegin(), told.cend(), [](const QString& text) {
            return text.startsWith(QStringLiteral("The diary is damaged"));
        });
        // The meal menu asks only the saved meals the program already holds: no damaged page
        // is met.
        QVERIFY2(damageTold == (damaged && action != MealMenu ? 1 : 0), qPrintable(told.join(u'\n')));
        if (held || damaged || action >= FluidUp)
            QCOMPARE(shownState().join(u';'), shown.join(u';'));
        else
            // The browser reads its lists again as they were; with no web login, a meal plan
            // or publishing says so and shows nothing new; a menu moves no page.
            QCOMPARE(shownState() != shown, action != BrowserLists && action != MealPlan
                                                && action != Publish && action != MealMenu);
        QVERIFY2(_window->messages.isEmpty(), qPrintable(this->told().join(u'\n')));
        QVERIFY(_window->printed.isEmpty());
        QVERIFY(databaseIsSound());
        if (hold == OneTableDamaged)
            changeShownDay(day);
    }

private:
    // The first page of one table damaged: the page the user moves to cannot be read whole.
    static constexpr int OneTableDamaged = OtherReader::Damaged + 1;
    enum WindowChange { PersonalProfile, ClearDay, RemoveEntry, DeleteUser, CreateUser, ResetTips };
    // What a user does that touches the diary: the readings first, the changes from FluidUp.
    enum WindowAction {
        NextDay,
        PrevDay,
        PrevMonth,
        OtherReport,
        SwitchUser,
        SwitchFromCheckins,
        SwitchFromReports,
        ReportsPage,
        BrowserLists,
        CheckinPage,
        CheckinDay,
        ReportDate,
        ReportPeriod,
        WeightDate,
        StepsDate,
        BreakdownDate,
        SummaryDate,
        MealPlan,
        Publish,
        ExportDay,
        ExportAll,
        PrintWeight,
        PrintNutrients,
        MealMenu,
        FocusAndMenus,
        FluidUp,
        FluidDown,
        SaveMeal,
        MenuMeal,
        MealAsFood,
        CopyDay,
        Targets,
        CheckIn,
        Preferences
    };

    // What the pages show: the diary's day and entries, the report, the user, the user's own
    // foods and saved meals, the glasses of water, the check-ins page's day and list, and
    // whether an export was written.
    QStringList shownState() const
    {
        const FoodQueryWidget* browser = _window->diaryPage()->foodQueryWidget3;
        return {_window->diaryPage()->getDate().toString(Qt::ISODate), shownEntries().join(u','),
                QString::number(_window->reportsPage()->currentReportId()),
                QString::number(UserDB::instance()->getCurrentUser()), _window->windowTitle(),
                QString::number(browser->myfoodView->topLevelItemCount()),
                _window->checkinPage()->getDate().toString(Qt::ISODate), shownReport(),
                listedReport(), QString::number(_window->diaryPage()->summaryWidget->fluid()),
                QString::number(_window->checkinPage()->checkinListView->topLevelItemCount()),
                QString::number(browser->savedMealView->topLevelItemCount()),
                QString::number(QFile::exists(_exportFile)), QString::number(_window->checkinPage()->isVisible()),
                QString::number(_window->reportsPage()->isVisible()), shownViewer()};
    }

    // What the report shown draws, as a hash of its pixels.
    QString shownViewer() const
    {
        auto* viewer = dynamic_cast<QWidget*>(_window->reportsPage()->currentViewer());
        const QImage image = viewer ? viewer->grab().toImage() : QImage();
        return QString::number(qHashBits(image.constBits(), size_t(image.sizeInBytes())));
    }

    static ReportsContainer::ReportId reportOf(WindowAction action)
    {
        const ReportsContainer::ReportId reports[] = {ReportsContainer::Weight, ReportsContainer::Steps,
                                                      ReportsContainer::Breakdowns, ReportsContainer::DailySummary};
        if (action == SwitchFromReports)
            return ReportsContainer::Steps;
        return action == PrintWeight ? ReportsContainer::Weight : reports[action - WeightDate];
    }

    // The date bar of the report shown.
    DateSelectorBar* reportBar() const
    {
        return dynamic_cast<QWidget*>(_window->reportsPage()->currentViewer())->findChild<DateSelectorBar*>();
    }

    // The report the reports page's list names.
    QString listedReport() const
    {
        const auto* list = _window->reportsPage()->findChild<QListWidget*>(QStringLiteral("reportsSelector"));
        const auto* item = static_cast<const ReportsSelectorItem*>(list->currentItem());
        return item ? QString::number(item->id()) : QString();
    }

    NutrientReportViewer* nutrientViewer() const
    {
        return dynamic_cast<NutrientReportViewer*>(_window->reportsPage()->currentViewer());
    }

    QRadioButton* periodButton(PeriodPicker::Period period) const
    {
        return nutrientViewer()->periodPicker()->findChildren<QRadioButton*>().at(period - PeriodPicker::Week);
    }

    // The nutrient report's day, period and range, and the figures its chart draws.
    QString shownReport() const
    {
        const NutrientReportViewer* viewer = nutrientViewer();
        if (!viewer)
            return QString();
        QStringList shown{viewer->dateBar()->getDate().toString(Qt::ISODate),
                          QString::number(viewer->periodPicker()->getPeriodId()),
                          viewer->chart()->startDate().toString(Qt::ISODate),
                          viewer->chart()->endDate().toString(Qt::ISODate)};
        for (const NutrientChart::Row& row : viewer->chart()->rows()) {
            for (double value : row.values)
                shown << QString::number(value);
        }
        return shown.join(u' ');
    }

    void actInWindow(WindowAction action, int otherUser)
    {
        DiaryWidget* diary = _window->diaryPage();
        switch (action) {
        case NextDay:
            diary->nextDayButton->click();
            break;
        case PrevDay:
        case PrevMonth:
            diary->prevDayButton->click();
            break;
        case OtherReport: {
            // As the user picks it in the list.
            QListWidget* list = _window->reportsPage()->findChild<QListWidget*>(QStringLiteral("reportsSelector"));
            list->setCurrentRow(list->currentRow() == 0 ? 1 : 0);
            QCoreApplication::processEvents();
            break;
        }
        case SwitchUser:
        case SwitchFromCheckins:
        case SwitchFromReports:
            _window->fromProfileMenuSwitchUser(otherUser);
            break;
        case ReportsPage:
            _window->viewReportsAction->trigger();
            break;
        case BrowserLists:
            diary->foodQueryWidget3->refreshDynamic();
            break;
        case CheckinPage:
            _window->viewCheckinAction->trigger();
            break;
        case CheckinDay:
            _window->checkinPage()->checkinCalendar->setDate(_window->checkinPage()->getDate().addDays(-3), true);
            break;
        case ReportDate:
            nutrientViewer()->dateBar()->prevButton()->click();
            break;
        case ReportPeriod:
            periodButton(PeriodPicker::Month)->click();
            break;
        case WeightDate:
        case StepsDate:
        case BreakdownDate:
        case SummaryDate:
            reportBar()->prevButton()->click();
            break;
        case MealPlan:
            _window->doMealPlan();
            break;
        case Publish:
            _window->realPublisher = true;
            _window->publishDay();
            break;
        case ExportDay:
        case ExportAll:
            _exportAll = action == ExportAll;
            _window->csvExportAction->trigger();
            break;
        case FluidUp:
            diary->summaryWidget->findChild<FluidCounterView*>()->upButton()->click();
            break;
        case FluidDown:
            diary->summaryWidget->findChild<FluidCounterView*>()->downButton()->click();
            break;
        case SaveMeal:
            diaryList()->setCurrentItem(diaryList()->groupRow(1));
            diaryList()->handleContextMenu(DiaryListView::SaveMealCommand);
            break;
        case MenuMeal:
            _window->eM_DiarySavedNewFromBreakfast->trigger();
            break;
        case MealAsFood: {
            DragListView* meals = diary->foodQueryWidget3->savedMealView;
            for (int i = 0; i < meals->topLevelItemCount(); ++i)
                meals->topLevelItem(i)->setExpanded(true);
            diary->foodQueryWidget3->addCustomFoodFromMeal(meals->locateFvi(_meal, false, nullptr));
            break;
        }
        case CopyDay:
            _window->em_CopyFromAnotherDay->trigger();
            break;
        case Targets:
            _window->optionsSet_Nutritional_TargetsAction->trigger();
            break;
        case CheckIn:
            _window->eM_JournalNewEntryToday->trigger();
            break;
        case Preferences:
            _window->realForms = true;
            _window->optionsPreferencesAction->trigger();
            break;
        case PrintWeight:
        case PrintNutrients:
            _window->printAction->trigger();
            break;
        case FocusAndMenus:
            for (const char* name : {"mealView", "foodView", "myfoodView", "checkinListView", "FluidSummary"}) {
                QEvent event(qstrcmp(name, "FluidSummary") == 0 ? QEvent::Enter : QEvent::FocusIn);
                QApplication::sendEvent(_window->findChild<QWidget*>(QString::fromLatin1(name)), &event);
            }
            QCoreApplication::processEvents();
            emit _window->findChild<QMenu*>(QStringLiteral("Edit"))->aboutToShow();
            _window->refreshProfileMenu();
            emit diary->foodQueryWidget3->saveMealMenu()->aboutToShow();
            diary->foodQueryWidget3->foodWidget->showContextMenu();
            diary->foodQueryWidget3->myfoodView->showContextMenu(diary->foodQueryWidget3->myfoodView->topLevelItem(0), {}, 0);
            break;
        case MealMenu: {
            const QTreeWidgetItem* breakfast = diaryList()->topLevelItem(0);
            diaryList()->showContextMenu(diaryList()->visualItemRect(breakfast).center());
            break;
        }
        }
    }

    // Answers the dialog an action opens, once its own event loop runs: what the user types
    // and OK; when it comes back after a refusal, Cancel.
    void answerDialog()
    {
        QWidget* shown = QApplication::activeModalWidget();
        // A progress dialog asks nothing: the work goes on under it.
        if (!shown || shown == _answering || qobject_cast<QProgressDialog*>(shown))
            return;
        const bool again = shown == _answered;
        _answering = _answered = shown;
        QMetaObject::invokeMethod(shown, [this, shown, again] {
            answer(shown, again);
            _answering = nullptr;
        }, Qt::QueuedConnection);
    }

    void answer(QWidget* shown, bool again)
    {
        if (auto* file = qobject_cast<QFileDialog*>(shown)) {
            auto* name = file->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->setText(_exportFile);
            QTest::keyClick(name, Qt::Key_Return);
        } else if (auto* csv = qobject_cast<CSVOptions*>(shown)) {
            (_exportAll ? csv->printAllRadioButton : csv->printDayRadioButton)->setChecked(true);
            csv->massFileCheckBox->setChecked(true);
            csv->printButton->click();
        } else if (auto* checkin = qobject_cast<CheckinDialog*>(shown); checkin && !again) {
            checkin->row(UserMeasurements::Weight).edit->setText(QStringLiteral("82.4"));
            checkin->okButton->click();
        } else if (auto* copy = qobject_cast<CopyPreviousDiaryEntry*>(shown)) {
            copy->copyFromCal->setDate(Clock::today().addDays(-1), true);
            copy->btnAppend->click();
        } else if (auto* preferences = qobject_cast<PreferencesDialog*>(shown)) {
            preferences->findChild<QRadioButton*>(QStringLiteral("imperialRadio"))->setChecked(true);
            preferences->save();
            preferences->reject();
        } else if (auto* food = qobject_cast<AddFoodDialog*>(shown)) {
            food->foodWidget->sizeLineEdit->setText(QStringLiteral("2"));
            food->addButton->click();
        } else if (auto* dialog = qobject_cast<QDialog*>(shown)) {
            dialog->reject();
        }
    }

    // The texts of the questions asked with these buttons.
    QStringList asked(const QStringList& options) const
    {
        QStringList texts;
        for (const ScriptedPrompter::Asked& question : _prompter->asked) {
            if (question.options == options)
                texts << question.text;
        }
        return texts;
    }

    // Every text the user was shown, by the window or in a box of a page.
    QStringList told() const
    {
        QStringList texts;
        for (const auto& message : _window->messages)
            texts << message.second;
        for (const ScriptedPrompter::Asked& asked : _prompter->asked)
            texts << asked.text;
        return texts;
    }

    // How often the user was told that the diary is in use by another program.
    qsizetype inUse() const
    {
        const QStringList texts = told();
        return std::count_if(texts.cbegin(), texts.cend(), [](const QString& text) {
            return text.startsWith(QStringLiteral("The diary is in use by another program"));
        });
    }

    void addToday(const char* name) { addEntry(name, Clock::today()); }

    void addEntry(const char* name, const QDate& day)
    {
        DBTypes::FoodDiaryItem entry;
        entry.userId = _ann;
        entry.setDate(day.toString(QStringLiteral("yyyyMMdd")).toStdString());
        entry.meal = 1;
        entry.refId = 0;
        entry.desc = QString::fromLatin1(name);
        for (const DBTypes::NutType nutrient : {DBTypes::ENERGY, DBTypes::FAT, DBTypes::PROTEIN})
            entry.values.setNutrient(nutrient, 120.0f);
        QVERIFY(DiaryDB::instance()->addFoodEntry(entry, true) >= 0);
    }

    DiaryListView* diaryList() const { return _window->diaryPage()->diaryView1->mealView; }

    // A glass of water, two servings of the first entry listed and its removal, after a move
    // that did not happen: each lands on the day shown, for the user shown.
    void changeShownDay(const QDate& day)
    {
        CatalogueServices::install(); // for the entry's dialog
        QTimer dialogs;
        dialogs.callOnTimeout([this] { answerDialog(); });
        dialogs.start(0);
        const QByteArray code = day.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        _window->diaryPage()->summaryWidget->findChild<FluidCounterView*>()->upButton()->click();
        QCOMPARE(UserDB::instance()->getFluid(_ann, code.constData()), std::optional<int>(4));
        for (const auto change : {&DiaryListView::editEntry, &DiaryListView::deleteEntry}) {
            QTreeWidgetItem* first = diaryList()->groupRow(DBTypes::DiaryDay::BREAKFAST)->child(0);
            diaryList()->setCurrentItem(first);
            first->setSelected(true);
            (diaryList()->*change)();
            QCoreApplication::processEvents();
            QStringList kept;
            const DBTypes::DiaryDay stored = DiaryDB::instance()->getDay(_ann, code.constData(), false).value();
            for (const DBTypes::FoodDiaryItem& food : stored.foods)
                kept << food.desc + QString::number(food.size);
            QCOMPARE(kept, change == &DiaryListView::editEntry ? QStringList{"Tea2"} : QStringList());
        }
        const QByteArray before = day.addDays(-1).toString(QStringLiteral("yyyyMMdd")).toLatin1();
        QCOMPARE(DiaryDB::instance()->getDay(_ann, before.constData(), false)->foods.size(), size_t(1));
    }

    // The names of the entries the diary page lists.
    QStringList shownEntries() const
    {
        QStringList names;
        for (const QString& food : {QStringLiteral("Tea"), QStringLiteral("Toast")}) {
            if (!diaryList()->findItems(food, Qt::MatchRecursive | Qt::MatchContains).isEmpty())
                names << food;
        }
        return names;
    }

    void makeInWindow(WindowChange change)
    {
        switch (change) {
        case PersonalProfile:
            _window->optionsPersonal_ProfileAction->trigger();
            break;
        case ClearDay:
            diaryList()->setFocus(); // the user is in the diary
            _window->eM_DiaryClearAll->trigger();
            break;
        case RemoveEntry: {
            QTreeWidgetItem* tea = diaryList()->findItems(QStringLiteral("Tea"), Qt::MatchRecursive | Qt::MatchContains).value(0);
            diaryList()->setCurrentItem(tea);
            tea->setSelected(true);
            diaryList()->deleteEntry();
            break;
        }
        case DeleteUser:
            _window->fromProfileMenuDeleteUser(_ann);
            break;
        case CreateUser:
            _window->fromProfileMenuCreateUser();
            break;
        case ResetTips:
            _window->resetAllTips();
            break;
        }
    }

    ScriptedMainWindow* _window = nullptr;
    std::optional<ScriptedPrompter> _prompter;
    qint64 _ann = -1;
    int _meal = -1;
    QTemporaryDir _files;
    const QString _exportFile = _files.filePath(QStringLiteral("diary.csv"));
    bool _exportAll = false;
    QWidget* _answered = nullptr;
    QWidget* _answering = nullptr;
};

QTEST_MAIN(TestFullDiskWindow)
#include "tst_fulldiskwindow.moc"
