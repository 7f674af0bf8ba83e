// The main window's Edit menu, kept in step with the shown page and focus, and its page-level
// commands: diary layout, saved meals, copy and clear day, print, tips, help and web sections.

#include "app/mainwindow.h"
#include "widgets/shownday.h"
#include "core/clock.h"
#include "core/displaydate.h"

#include "widgets/bxhelp.h"
#include "widgets/bxhelpclient.h"
#include "widgets/bxtoolbar.h"
#include "app/tipoftheday.h"
#include "browser/foodquerywidget.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/diaryday.h"
#include "diary/copypreviousdiaryentry.h"
#include "diary/diarylistview.h"
#include "diary/diarywidget.h"
#include "net/orvurlparams.h"
#include "profile/checkinlistitem.h"
#include "profile/checkinwidget.h"
#include "reports/csvexportdiary.h"
#include "reports/pagesetup.h"
#include "reports/printcheckin.h"
#include "reports/printdiary.h"
#include "reports/printmodule.h"
#include "reports/reportfactory.h"
#include "reports/reportscontainer.h"
#include "reports/reportviewer.h"
#include "widgets/storeprompt.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"

#include <QAction>
#include <algorithm>
#include <QApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>
#include <QUrl>

namespace {

constexpr int BrowserKindShift = 16;
constexpr int BrowserFlagsMask = 0xFFFF;

// True when the group's first child is a logged item rather than the "drag here" hint.
bool groupHasEntries(DiaryListView* list, int group)
{
    const QTreeWidgetItem* row = list->groupRow(group);
    return row && row->childCount() > 0
        && DiaryListView::rowId(row->child(0)) > 0;
}

} // namespace

// From the check-ins the page lists, read as it was shown and kept by its changes: the menu
// never reads the diary.
bool MainWindow::_listsCheckin(const QDate& date) const
{
    const QTreeWidget* list = _checkinPage ? _checkinPage->checkinListView : nullptr;
    for (int index = 0; list && index < list->topLevelItemCount(); ++index) {
        const QTreeWidgetItem* row = list->topLevelItem(index);
        if (row->type() == QTreeWidgetItem::UserType
            && static_cast<const CheckinListItem*>(row)->getDate() == date)
            return true;
    }
    return false;
}

int MainWindow::_checkinState() const
{
    return _checkinPage && _listsCheckin(_checkinPage->getDate()) ? 1 : 0;
}

bool MainWindow::_contextShown(int context) const
{
    const std::pair<int, int> pages[] = {
        {DiaryContext, DiaryPage}, {CheckinContext, CheckinPage}, {ReportsContext, ReportsPage}};
    for (const auto& [pageContext, page] : pages) {
        if (pageContext == context)
            return _currentPageId() == page;
    }
    return true;
}

void MainWindow::refreshEditMenu(int context, int state)
{
    // A page that is not shown (the check-ins page following a new user's date, say) leaves
    // the menu and the tool bar to the one that is; it brings its own once it is shown.
    if (context >= 0 && !_contextShown(context))
        return;
    // With no user shown, its actions stay closed until a user is.
    if (!_closedOnNoUser.isEmpty())
        return;
    hideAllEditMenuItems();
    if (context < 0) {
        context = _editContext;
        state = context == CheckinContext ? _checkinState() : 0;
    } else {
        _editContext = context;
    }
    switch (context) {
    case DiaryContext:
        setupDiaryMenuItems();
        break;
    case CheckinContext:
        setupJournalMenuItems(state);
        break;
    case ReportsContext:
        setupGraphMenuItems();
        break;
    case WebContext:
        setupWebMenuItems();
        break;
    default:
        break;
    }
    _showNoApplicableWhenEmpty();
    _toolBar->updateButtonStates();
}

void MainWindow::_showNoApplicableWhenEmpty()
{
    const QList<QAction*> edits = editMenu->actions();
    const bool empty = std::none_of(edits.begin(), edits.end(), [](const QAction* action) {
        return action->isVisible() && !action->isSeparator();
    });
    if (empty) {
        eM_NoApplicableAction->setVisible(true);
        eM_NoApplicableAction->setEnabled(false);
    }
}

void MainWindow::hideAllEditMenuItems()
{
    const QList<QAction*> edits = editMenu->actions();
    for (QAction* action : edits)
        action->setVisible(false);
    for (QAction* action : {layoutMenu->menuAction(), viewBackAction, viewForwardAction,
                            viewHomeAction, toggleFluidNutrientAction, _viewPagesSeparator})
        action->setVisible(false);
    if (updateAction)
        updateAction->setVisible(false);
}

void MainWindow::setupDiaryMenuItems()
{
    for (QAction* action : {layoutMenu->menuAction(), _viewPagesSeparator, toggleFluidNutrientAction})
        action->setVisible(true);
    DiaryListView* list = _diaryList();
    const FoodQueryWidget* browser = _browser();
    if (!list || !browser)
        return;
    if (updateAction)
        updateAction->setVisible(true);
    em_CopyFromAnotherDay->setVisible(true);
    em_CopyFromAnotherDay->setEnabled(true);

    if (_diaryListInFront()) {
        _showSavedMealItems(list);
        for (QAction* action : {eM_DiaryClearAll, eM_DiaryDeleteEntry, eM_DiaryEditEntry})
            action->setVisible(true);
        const bool selected = list->isAnyItemSelected();
        eM_DiaryDeleteEntry->setEnabled(selected);
        eM_DiaryEditEntry->setEnabled(selected);
        eM_DiaryClearAll->setEnabled(list->isEmpty());
        return;
    }
    _setupBrowserItems(browser->editState());
}

// The part of the diary page the user works in is the one that had the focus last: a menu, the
// menu bar or a dialog holding the focus for a while leaves it as it was.
bool MainWindow::_diaryListInFront() const
{
    const DiaryListView* list = _diaryList();
    const QWidget* last = _lastDiaryFocus;
    return !last || last == list || (list && list->isAncestorOf(last));
}

QWidget* MainWindow::_diaryFocus() const
{
    if (QWidget* focus = QApplication::focusWidget())
        return focus;
    if (_lastDiaryFocus && _lastDiaryFocus->isVisible())
        return _lastDiaryFocus;
    return _diaryList();
}

void MainWindow::_showSavedMealItems(DiaryListView* list)
{
    savedMealMenu->menuAction()->setVisible(true);
    const std::pair<QAction*, int> meals[] = {{eM_DiarySavedNewFromBreakfast, DBTypes::DiaryDay::BREAKFAST},
                                              {eM_DiarySavedNewFromLunch, DBTypes::DiaryDay::LUNCH},
                                              {eM_DiarySavedNewFromDinner, DBTypes::DiaryDay::DINNER},
                                              {eM_DiarySavedNewFromSnacks, DBTypes::DiaryDay::EVENING_SNACK}};
    bool any = false;
    for (const auto& [action, group] : meals) {
        const bool filled = groupHasEntries(list, group);
        action->setVisible(filled);
        any = any || filled;
    }
    eM_DiarySavedNewFromNone->setVisible(!any);
}

void MainWindow::_setupBrowserItems(int state)
{
    const int kind = state >> BrowserKindShift;
    const bool selected = (state & BrowserFlagsMask) != 0;

    QList<QAction*> shown;
    QList<QAction*> selectable;
    // Each tab offers what it makes; only the user's own items are edited.
    switch (kind) {
    case FoodQueryWidget::FoodsCode:
    case FoodQueryWidget::CustomFoodsCode:
        shown = {eM_DiaryFoodNewCat, eM_DiaryFoodNewFood};
        selectable = {eM_DiaryFoodEdit, eM_DiaryFoodDelete};
        break;
    case FoodQueryWidget::ExerciseCode:
    case FoodQueryWidget::CustomExercisesCode:
        shown = {eM_DiaryExerNewCat, eM_DiaryExerNewExer};
        selectable = {eM_DiaryExerEdit, eM_DiaryExerDelete};
        break;
    case FoodQueryWidget::SavedMealsCode:
        selectable = {eM_DiarySavedRename, eM_DiarySavedDelete};
        break;
    default:
        return;
    }
    const bool editable =
        kind != FoodQueryWidget::FoodsCode && kind != FoodQueryWidget::ExerciseCode && selected;
    for (QAction* action : shown) {
        action->setVisible(true);
        action->setEnabled(true);
    }
    for (QAction* action : selectable) {
        action->setVisible(true);
        action->setEnabled(editable);
    }
}

void MainWindow::setupJournalMenuItems(int hasCheckin)
{
    if (!_checkinPage)
        return;
    const QString date = DisplayDate::textDate(_checkinPage->getDate());
    const bool checkedIn = hasCheckin != 0;
    _toolBar->setToolText(eM_JournalEditEntry, checkedIn ? tr("Edit") : tr("New"));
    eM_JournalEditEntry->setIconText(eM_JournalEditEntry->text());
    eM_JournalEditEntry->setText((checkedIn ? tr("Edit Check-In for %1") : tr("New Check-In for %1")).arg(date));
    eM_JournalEditEntry->setVisible(true);
    eM_JournalEditEntry->setEnabled(true);
    eM_JournalDeleteEntry->setText(tr("Delete Check-In for %1").arg(date));
    eM_JournalDeleteEntry->setVisible(true);
    eM_JournalDeleteEntry->setEnabled(checkedIn);
    const bool todayFree = !_listsCheckin(Clock::today());
    eM_JournalNewEntryToday->setVisible(todayFree);
    eM_JournalNewEntryToday->setEnabled(todayFree);
}

void MainWindow::setupGraphMenuItems()
{
    eM_NoApplicableAction->setVisible(true);
    eM_NoApplicableAction->setEnabled(false);
}

void MainWindow::setupWebMenuItems()
{
    setupGraphMenuItems();
}

void MainWindow::changeDiaryView()
{
    DiaryListView* list = _diaryList();
    if (!list)
        return;
    QAction* const layouts[] = {toggleViewModeNormal, toggleViewModeA, toggleViewModeB};
    for (int mode = DBTypes::SNACKS_TOGETHER; mode <= DBTypes::SNACKS_NUMBERED; ++mode) {
        // A layout the diary did not store is not shown as chosen.
        if (layouts[mode]->isChecked() && !list->setViewMode(mode))
            layouts[list->viewMode()]->setChecked(true);
    }
}

void MainWindow::editSaveMealAction()
{
    const auto* action = qobject_cast<QAction*>(sender());
    if (!action || !_browser())
        return;
    bool ok = false;
    const int meal = action->data().toInt(&ok);
    if (ok && (meal == 0 || meal == 2 || meal == 4 || meal == 5))
        _browser()->handleContextMenu(meal);
}

void MainWindow::showCopyDialog()
{
    if (!_diaryPage)
        return;
    std::unique_ptr<CopyPreviousDiaryEntry> dialog(
        CopyPreviousDiaryEntry::construct(this, _diaryPage->getDate()));
    if (!dialog)
        return;
    dialog->exec();
    refreshCurrentWidget();
}

void MainWindow::slotClearDiary()
{
    if (!_diaryPage)
        return;
    const auto answer = showMessage(QMessageBox::Question, tr("Clear Today's Diary Entries"),
                                    tr("This will clear today's entries. Are you sure"),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    const QDate day = _diaryPage->getDate();
    const bool cleared = StorePrompt::change(
        this, tr("Clear Today's Diary Entries"),
        [day] { return DiaryDB::instance()->delDiaryEntries(ShownDay::instance()->user(), day, 0); },
        tr("Today's entries could not be cleared, and the diary is unchanged."));
    // Nothing changed: the page shows the entries still stored.
    if (cleared)
        refreshCurrentWidget();
    refreshEditMenu(DiaryContext, 0);
}

void MainWindow::doMealPlan()
{
    if (_diaryPage)
        _diaryPage->doMealPlan();
}

// Printing and export

void MainWindow::pageSetup()
{
    PageSetup::instance()->doDialog(this);
}

void MainWindow::printDay()
{
    doPrinting(false);
}

void MainWindow::printDayPreview()
{
    doPrinting(true);
}

std::unique_ptr<PrintModule> MainWindow::createPrintCommand(int pageId)
{
    if (pageId == CheckinPage)
        return std::make_unique<PrintCheckin>(this, Clock::today());
    if (pageId == DiaryPage && _diaryPage)
        return std::make_unique<PrintDiary>(this, _diaryPage->getDate());
    return nullptr;
}

void MainWindow::printFromFactory(ReportFactory* factory, bool preview)
{
    PrintModule::printFromFactory(factory, preview, this);
}

// The reports page prints its own viewer, which stays the page's; the diary and check-in
// pages print through a command made for the occasion. Either hands out a factory that is
// ours to delete.
void MainWindow::doPrinting(bool preview)
{
    const int page = _currentPageId();
    std::unique_ptr<PrintModule> command;
    PrintModule* source = nullptr;
    if (page == ReportsPage && _reportsPage) {
        source = _reportsPage->currentViewer();
    } else {
        command = createPrintCommand(page);
        source = command.get();
    }
    if (!source)
        return;
    const std::unique_ptr<ReportFactory> factory(source->getReportFactory());
    if (factory)
        printFromFactory(factory.get(), preview);
}

void MainWindow::exportCsv()
{
    if (_diaryPage)
        CsvExportDiary(this, _diaryPage->getDate()).perform();
}

// Tips

void MainWindow::showTipOfTheDay()
{
    TipOfTheDay::instance()->exec();
}

void MainWindow::resetAllTips()
{
    const auto answer = showMessage(
        QMessageBox::Question, tr("Reset all tips"),
        tr("This will reset all tips previously shown to you. Do you wish to continue?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        TipOfTheDay::instance()->resetAllTips();
}

// Help

QString MainWindow::contextHelpTopic() const
{
    // With no user shown, what is left to do is to restore a backup.
    if (!_closedOnNoUser.isEmpty())
        return QStringLiteral("backup.html");
    const int page = _currentPageId();
    if (page == ReportsPage)
        return QStringLiteral("chart.html");
    if (page == CheckinPage)
        return QStringLiteral("checkin.html");
    if (page == DiaryPage) {
        const QWidget* focus = _diaryFocus();
        if (!focus)
            return QString();
        // A widget nobody named counts as the diary's, unless it belongs to the browser.
        const QString name = focus->objectName();
        if (focus == _diaryList() || name == QLatin1String("menubar") || name == QLatin1String("unnamed"))
            return QStringLiteral("diary.html");
        const FoodQueryWidget* browser = _browser();
        if (browser && browser->isAncestorOf(focus))
            return QStringLiteral("browser.html");
        return name.isEmpty() ? QStringLiteral("diary.html") : QStringLiteral("browser.html");
    }
    return _brand()->getInt("www_count") != 0 ? QStringLiteral("website.html") : QString();
}

void MainWindow::contextHelp()
{
    const QString topic = contextHelpTopic();
    if (!topic.isEmpty())
        BXHelp::showTopic(topic);
}

void MainWindow::helpContents()
{
    if (_helpClient->isOpen()) {
        _helpClient->showPage(QStringLiteral("!!%%contents"));
        return;
    }
    _helpClient->setArguments({QStringLiteral("-profile"), BXHelp::profilePath(),
                               QStringLiteral("-startwithcontents")});
    _helpClient->openAssistant();
}

void MainWindow::helpIndex()
{
    if (_helpClient->isOpen()) {
        _helpClient->showPage(QStringLiteral("!!%%index"));
        return;
    }
    _helpClient->setArguments({QStringLiteral("-profile"), BXHelp::profilePath(),
                               QStringLiteral("-startwithindex")});
    _helpClient->openAssistant();
}

void MainWindow::helpDoDelayShow()
{
    if (_pendingHelpPage.isEmpty())
        return;
    _helpClient->showPage(_pendingHelpPage);
    _pendingHelpPage.clear();
}

// Web sections

void MainWindow::resetWebView(QActionGroup*)
{
    const int count = _brand()->getInt("www_count");
    for (int section = 1; section <= count; ++section) {
        const QByteArray number = QByteArray::number(section);
        QAction* action = new QAction(this);
        action->setObjectName(QStringLiteral("www_action_") + QString::fromLatin1(number));
        const QString text = _brand()->getString(("www_tooltip_" + number).constData());
        action->setText(text);
        action->setIconText(text);
        if (section <= 5)
            action->setShortcut(QKeySequence(QStringLiteral("Ctrl+%1").arg(section + 3)));
        _addTool(action, ("www_icon_" + number).constData());
        viewMenu->addAction(action);
        connect(action, &QAction::triggered, this, &MainWindow::webSectionSelected);
        _webActions.append(action);
    }
}

QString MainWindow::webSectionUrl(int section, QString* error) const
{
    QString url = _brand()->getString(("www_url_" + QByteArray::number(section)).constData());
    *error = OrvUrlParams::replaceAll(url);
    return error->isEmpty() ? url : QString();
}

void MainWindow::webSectionSelected()
{
    const QObject* action = sender();
    if (!action)
        return;
    QString name = action->objectName();
    const int section = name.remove(QStringLiteral("www_action_")).toInt();
    QString error;
    const QString url = webSectionUrl(section, &error);
    if (error.isEmpty())
        gotoUrl(url);
    refreshEditMenu(WebContext, 0);
}

void MainWindow::gotoUrl(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}
