#include "app/mainwindow.h"

#include "userdb/storednotices.h"
#include "widgets/bxhelp.h"
#include "widgets/bxhelpclient.h"
#include "widgets/bxtoolbar.h"
#include "widgets/bxtoolbarbutton.h"
#include "widgets/pagestack.h"
#include "widgets/progressbox.h"
#include "widgets/screenfit.h"
#include "widgets/searchlineedit.h"
#include "widgets/shownday.h"
#include "widgets/storeprompt.h"
#include "core/clock.h"
#include "browser/foodquerywidget.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/notificationcenter.h"
#include "diary/diarylistview.h"
#include "diary/diarysummary.h"
#include "diary/diaryview.h"
#include "diary/diarywidget.h"
#include "profile/checkinwidget.h"
#include "reports/reportscontainer.h"
#include "userdb/userdb.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int InitialWidth = 774;
constexpr int InitialHeight = 786;

QAction* makeAction(QObject* parent, const char* name)
{
    auto* action = new QAction(parent);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void setTexts(QAction* action, const QString& menuText, const QString& toolText)
{
    if (!action)
        return;
    action->setText(menuText);
    action->setIconText(toolText);
}

} // namespace

MainWindow::MainWindow(QWidget* parent, const char* name)
    : QMainWindow(parent)
{
    setObjectName(QString::fromLatin1(name));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    topLineFrame = new QFrame(central);
    topLineFrame->setObjectName(QStringLiteral("topLineFrame"));
    topLineFrame->setFrameShape(QFrame::HLine);
    topLineFrame->setFrameShadow(QFrame::Sunken);
    layout->addWidget(topLineFrame);
    auto* pages = new PageStack(central);
    mainStack = pages;
    mainStack->setObjectName(QStringLiteral("mainStack"));
    WStackPage = new QWidget(mainStack);
    WStackPage->setObjectName(QStringLiteral("WStackPage"));
    mainStack->addWidget(WStackPage);
    // A page larger than the screen scrolls: what a page shows never makes the window outgrow it.
    _pageArea = ScreenFit::scrolled(mainStack, central);
    layout->addWidget(_pageArea);
    connect(pages, &PageStack::needChanged, this, &MainWindow::_fitPageArea);
    setCentralWidget(central);
    // Posted, never shown at once: a notice comes from inside a reading.
    StoredNotices::setListener(
        [this] { QMetaObject::invokeMethod(this, &MainWindow::_tellStoredNotices, Qt::QueuedConnection); });

    _createActions();
    _createMenus();
    languageChange();
    resize(minimumSizeHint().expandedTo(QSize(InitialWidth, InitialHeight)));
    _connectActions();
    init();
}

// The metrics uploader has no parent: it outlives a failed upload until the window goes.
MainWindow::~MainWindow()
{
    StoredNotices::setListener(nullptr);
    delete _metrics;
}

void MainWindow::_createActions()
{
    updateAction = makeAction(this, "updateAction");
    fileBackup_DatabasesAction = makeAction(this, "fileBackup_DatabasesAction");
    fileRestore_DatabasesAction = makeAction(this, "fileRestore_DatabasesAction");
    csvExportAction = makeAction(this, "csvExportAction");
    pageSetupAction = makeAction(this, "pageSetupAction");
    printPreviewAction = makeAction(this, "printPreviewAction");
    printAction = makeAction(this, "printAction");
    exitAction = makeAction(this, "exitAction");
    em_CopyFromAnotherDay = makeAction(this, "em_CopyFromAnotherDay");
    eM_DiaryClearAll = makeAction(this, "eM_DiaryClearAll");
    eM_DiarySavedNewFromNone = makeAction(this, "eM_DiarySavedNewFromNone");
    eM_DiarySavedNewFromBreakfast = makeAction(this, "eM_DiarySavedNewFromBreakfast");
    eM_DiarySavedNewFromLunch = makeAction(this, "eM_DiarySavedNewFromLunch");
    eM_DiarySavedNewFromDinner = makeAction(this, "eM_DiarySavedNewFromDinner");
    eM_DiarySavedNewFromSnacks = makeAction(this, "eM_DiarySavedNewFromSnacks");
    eM_DiaryDeleteEntry = makeAction(this, "eM_DiaryDeleteEntry");
    eM_DiaryEditEntry = makeAction(this, "eM_DiaryEditEntry");
    eM_DiaryFoodNewCat = makeAction(this, "eM_DiaryFoodNewCat");
    eM_DiaryFoodNewFood = makeAction(this, "eM_DiaryFoodNewFood");
    eM_DiaryFoodEdit = makeAction(this, "eM_DiaryFoodEdit");
    eM_DiaryFoodDelete = makeAction(this, "eM_DiaryFoodDelete");
    eM_DiaryExerNewCat = makeAction(this, "eM_DiaryExerNewCat");
    eM_DiaryExerNewExer = makeAction(this, "eM_DiaryExerNewExer");
    eM_DiaryExerEdit = makeAction(this, "eM_DiaryExerEdit");
    eM_DiaryExerDelete = makeAction(this, "eM_DiaryExerDelete");
    eM_DiarySavedRename = makeAction(this, "eM_DiarySavedRename");
    eM_DiarySavedDelete = makeAction(this, "eM_DiarySavedDelete");
    eM_JournalNewEntryToday = makeAction(this, "eM_JournalNewEntryToday");
    eM_JournalEditEntry = makeAction(this, "eM_JournalEditEntry");
    eM_JournalDeleteEntry = makeAction(this, "eM_JournalDeleteEntry");
    eM_NoApplicableAction = makeAction(this, "eM_NoApplicableAction");
    mealPlanAction = makeAction(this, "mealPlanAction");
    publishAction = makeAction(this, "publishAction");
    optionsPreferencesAction = makeAction(this, "optionsPreferencesAction");
    toggleFluidNutrientAction = makeAction(this, "toggleFluidNutrientAction");
    toggleViewModeNormal = makeAction(this, "toggleViewModeNormal");
    toggleViewModeA = makeAction(this, "toggleViewModeA");
    toggleViewModeB = makeAction(this, "toggleViewModeB");
    viewBackAction = makeAction(this, "viewBackAction");
    viewForwardAction = makeAction(this, "viewForwardAction");
    viewHomeAction = makeAction(this, "viewHomeAction");
    viewDiaryAction = makeAction(this, "viewDiaryAction");
    viewCheckinAction = makeAction(this, "viewCheckinAction");
    viewReportsAction = makeAction(this, "viewReportsAction");
    optionsSet_Nutritional_TargetsAction = makeAction(this, "optionsSet_Nutritional_TargetsAction");
    optionsPersonal_ProfileAction = makeAction(this, "optionsPersonal_ProfileAction");
    optionsCreateUsersAction = makeAction(this, "optionsCreateUsersAction");
    helpHelpAction = makeAction(this, "helpHelpAction");
    helpContentsAction = makeAction(this, "helpContentsAction");
    helpIndexAction = makeAction(this, "helpIndexAction");
    helpTipAction = makeAction(this, "helpTipAction");
    helpResetTipAction = makeAction(this, "helpResetTipAction");
    aboutAction = makeAction(this, "aboutAction");

    printAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    viewDiaryAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+1")));
    viewCheckinAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+2")));
    viewReportsAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+3")));
    helpHelpAction->setShortcut(QKeySequence(QStringLiteral("F1")));

    // The meal index that editSaveMealAction() hands to the browser.
    eM_DiarySavedNewFromBreakfast->setData(0);
    eM_DiarySavedNewFromLunch->setData(2);
    eM_DiarySavedNewFromDinner->setData(4);
    eM_DiarySavedNewFromSnacks->setData(5);
}

void MainWindow::_createMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menubar"));

    fileMenu = bar->addMenu(QString());
    fileMenu->setObjectName(QStringLiteral("File"));
    fileMenu->addActions({updateAction, fileBackup_DatabasesAction, fileRestore_DatabasesAction});
    fileMenu->addSeparator();
    fileMenu->addAction(csvExportAction);
    fileMenu->addSeparator();
    fileMenu->addActions({pageSetupAction, printPreviewAction, printAction});
    fileMenu->addSeparator();
    fileMenu->addAction(exitAction);

    editMenu = bar->addMenu(QString());
    editMenu->setObjectName(QStringLiteral("Edit"));
    // The focus may have moved since the last refresh: follow it as the menu opens.
    connect(editMenu, &QMenu::aboutToShow, this, [this] { refreshEditMenu(-1, 0); });
    editMenu->addActions({em_CopyFromAnotherDay, eM_DiaryClearAll});
    savedMealMenu = editMenu->addMenu(QString());
    savedMealMenu->setObjectName(QStringLiteral("savedMealMenu"));
    savedMealMenu->menuAction()->setObjectName(QStringLiteral("savedMealMenu"));
    savedMealMenu->addActions({eM_DiarySavedNewFromNone, eM_DiarySavedNewFromBreakfast,
                               eM_DiarySavedNewFromLunch, eM_DiarySavedNewFromDinner,
                               eM_DiarySavedNewFromSnacks});
    editMenu->addActions({eM_DiaryDeleteEntry, eM_DiaryEditEntry, eM_DiaryFoodNewCat,
                          eM_DiaryFoodNewFood, eM_DiaryFoodEdit, eM_DiaryFoodDelete,
                          eM_DiaryExerNewCat, eM_DiaryExerNewExer, eM_DiaryExerEdit,
                          eM_DiaryExerDelete, eM_DiarySavedRename, eM_DiarySavedDelete,
                          eM_JournalNewEntryToday, eM_JournalEditEntry, eM_JournalDeleteEntry,
                          eM_NoApplicableAction});

    toolsMenu = bar->addMenu(QString());
    toolsMenu->setObjectName(QStringLiteral("Tools"));
    toolsMenu->addActions({mealPlanAction, publishAction});
    _toolsSeparator = toolsMenu->addSeparator();
    toolsMenu->addAction(optionsPreferencesAction);

    viewMenu = bar->addMenu(QString());
    viewMenu->setObjectName(QStringLiteral("View"));
    viewMenu->addAction(toggleFluidNutrientAction);
    layoutMenu = viewMenu->addMenu(QString());
    layoutMenu->setObjectName(QStringLiteral("Layout"));
    layoutMenu->menuAction()->setObjectName(QStringLiteral("Layout"));
    layoutMenu->addActions({toggleViewModeNormal, toggleViewModeA, toggleViewModeB});
    viewMenu->addActions({viewBackAction, viewForwardAction, viewHomeAction});
    _viewPagesSeparator = viewMenu->addSeparator();
    viewMenu->addActions({viewDiaryAction, viewCheckinAction, viewReportsAction});

    usersMenu = bar->addMenu(QString());
    usersMenu->setObjectName(QStringLiteral("Users"));
    usersMenu->addActions({optionsSet_Nutritional_TargetsAction, optionsPersonal_ProfileAction});
    usersMenu->addSeparator();
    usersMenu->addAction(optionsCreateUsersAction);
    deleteUserMenu = usersMenu->addMenu(QString());
    deleteUserMenu->setObjectName(QStringLiteral("DeleteUser"));
    _usersSeparator = usersMenu->addSeparator();

    helpMenu = bar->addMenu(QString());
    helpMenu->setObjectName(QStringLiteral("Help"));
    helpMenu->addActions({helpHelpAction, helpContentsAction, helpIndexAction, helpTipAction,
                          helpResetTipAction});
    helpMenu->addSeparator();
    helpMenu->addAction(aboutAction);
}

void MainWindow::languageChange()
{
    fileMenu->setTitle(tr("&File"));
    editMenu->setTitle(tr("&Edit"));
    savedMealMenu->setTitle(tr("Create Saved Meals From"));
    toolsMenu->setTitle(tr("&Tools"));
    viewMenu->setTitle(tr("&View"));
    layoutMenu->setTitle(tr("Layout"));
    usersMenu->setTitle(tr("&Users"));
    if (deleteUserMenu)
        deleteUserMenu->setTitle(tr("Delete User"));
    helpMenu->setTitle(tr("&Help"));

    setTexts(updateAction, tr("Up&date Food Database"), tr("Update DB"));
    setTexts(fileBackup_DatabasesAction, tr("&Backup Data"), tr("Backup Data"));
    setTexts(fileRestore_DatabasesAction, tr("&Restore Data"), tr("Restore Data"));
    setTexts(csvExportAction, tr("Export to CSV ..."), tr("Export to CSV ..."));
    setTexts(pageSetupAction, tr("Page Setup"), tr("Page Setup"));
    setTexts(printPreviewAction, tr("Print Preview..."), tr("Print Preview"));
    setTexts(printAction, tr("&Print"), tr("Print"));
    setTexts(exitAction, tr("E&xit"), tr("Exit"));
    exitAction->setStatusTip(tr("Exit application"));
    setTexts(em_CopyFromAnotherDay, tr("Copy From Another Day..."), tr("Copy Day"));
    setTexts(eM_DiaryClearAll, tr("&Clear all diary entries"), tr("Clear all diary entries"));
    setTexts(eM_DiarySavedNewFromNone, tr("None"), tr("None"));
    setTexts(eM_DiarySavedNewFromBreakfast, tr("Breakfast"), tr("Breakfast"));
    setTexts(eM_DiarySavedNewFromLunch, tr("Lunch"), tr("Lunch"));
    setTexts(eM_DiarySavedNewFromDinner, tr("Dinner"), tr("Dinner"));
    setTexts(eM_DiarySavedNewFromSnacks, tr("Snacks"), tr("Snacks"));
    setTexts(eM_DiaryDeleteEntry, tr("&Delete"), tr("Delete"));
    setTexts(eM_DiaryEditEntry, tr("Edit"), tr("Edit"));
    setTexts(eM_DiaryFoodNewCat, tr("New food category"), tr("New food category"));
    setTexts(eM_DiaryFoodNewFood, tr("New food item"), tr("New food item"));
    setTexts(eM_DiaryFoodEdit, tr("Edit"), tr("Edit"));
    setTexts(eM_DiaryFoodDelete, tr("Delete"), tr("Delete"));
    setTexts(eM_DiaryExerNewCat, tr("Create new exercise category"), tr("New exercise category"));
    setTexts(eM_DiaryExerNewExer, tr("Create new exercise"), tr("New exercise"));
    setTexts(eM_DiaryExerEdit, tr("Edit"), tr("Edit"));
    setTexts(eM_DiaryExerDelete, tr("Delete"), tr("Delete"));
    setTexts(eM_DiarySavedRename, tr("Rename saved meal"), tr("Edit"));
    setTexts(eM_DiarySavedDelete, tr("Delete"), tr("Delete"));
    setTexts(eM_JournalNewEntryToday, tr("Check-In Today!"), tr("Check-In Today!"));
    setTexts(eM_JournalEditEntry, tr("Edit Check-In"), tr("Edit"));
    setTexts(eM_JournalDeleteEntry, tr("Delete Check-In"), tr("Delete"));
    setTexts(eM_NoApplicableAction, tr("No applicable action"), tr("No applicable action"));
    setTexts(mealPlanAction, tr("View Meal Plan"), tr("Meal Plan"));
    setTexts(publishAction, tr("P&ublish Diary"), tr("Publish Diary"));
    setTexts(optionsPreferencesAction, tr("P&references..."), tr("Preferences"));
    setTexts(toggleFluidNutrientAction, tr("Show Diary Summary"), tr("Show Diary Summary"));
    setTexts(toggleViewModeNormal, tr("Single Snack"), tr("Single Snack"));
    setTexts(toggleViewModeA, tr("Snacks after each meal"), tr("Snacks after each meal"));
    setTexts(toggleViewModeB, tr("Snacks below meals"), tr("Snacks below meals"));
    setTexts(viewBackAction, tr("Back"), tr("Back"));
    setTexts(viewForwardAction, tr("Forward"), tr("Forward"));
    setTexts(viewHomeAction, tr("Home"), tr("Home"));
    setTexts(viewDiaryAction, tr("&Diary "), tr("Diary "));
    setTexts(viewCheckinAction, tr("&Check-In"), tr("Check-In"));
    setTexts(viewReportsAction, tr("&Reports"), tr("Reports"));
    setTexts(optionsSet_Nutritional_TargetsAction, tr("&Configure Targets..."), tr("Configure Targets"));
    setTexts(optionsPersonal_ProfileAction, tr("&Personal Profile..."), tr("Personal Profile"));
    setTexts(optionsCreateUsersAction, tr("&Create User"), tr("Create User"));
    setTexts(helpHelpAction, tr("Context Help..."), tr("Help"));
    setTexts(helpContentsAction, tr("&Contents ..."), tr("Contents"));
    setTexts(helpIndexAction, tr("&Index..."), tr("Index"));
    setTexts(helpTipAction, tr("Show Tip of the day"), tr("Show Tip of the day"));
    setTexts(helpResetTipAction, tr("Reset all tips"), tr("Reset all tips"));
    setTexts(aboutAction, tr("&About"), tr("About"));
}

void MainWindow::_connectActions()
{
    connect(updateAction, &QAction::triggered, this, &MainWindow::updateDatabases);
    connect(fileBackup_DatabasesAction, &QAction::triggered, this, &MainWindow::backupUserDB);
    connect(fileRestore_DatabasesAction, &QAction::triggered, this, &MainWindow::restoreUserDB);
    connect(csvExportAction, &QAction::triggered, this, &MainWindow::exportCsv);
    connect(pageSetupAction, &QAction::triggered, this, &MainWindow::pageSetup);
    connect(printPreviewAction, &QAction::triggered, this, &MainWindow::printDayPreview);
    connect(printAction, &QAction::triggered, this, &MainWindow::printDay);
    connect(exitAction, &QAction::triggered, this, &MainWindow::myClose);
    connect(em_CopyFromAnotherDay, &QAction::triggered, this, &MainWindow::showCopyDialog);
    connect(eM_DiaryClearAll, &QAction::triggered, this, &MainWindow::slotClearDiary);
    for (QAction* meal : {eM_DiarySavedNewFromBreakfast, eM_DiarySavedNewFromLunch,
                          eM_DiarySavedNewFromDinner, eM_DiarySavedNewFromSnacks})
        connect(meal, &QAction::triggered, this, &MainWindow::editSaveMealAction);
    connect(mealPlanAction, &QAction::triggered, this, &MainWindow::doMealPlan);
    connect(publishAction, &QAction::triggered, this, &MainWindow::publishDay);
    connect(optionsPreferencesAction, &QAction::triggered, this, &MainWindow::setPreferences);
    connect(optionsSet_Nutritional_TargetsAction, &QAction::triggered, this, &MainWindow::setTargets);
    connect(optionsPersonal_ProfileAction, &QAction::triggered, this, &MainWindow::setPersonalProfile);
    connect(optionsCreateUsersAction, &QAction::triggered, this, &MainWindow::fromProfileMenuCreateUser);
    connect(helpHelpAction, &QAction::triggered, this, &MainWindow::contextHelp);
    connect(helpContentsAction, &QAction::triggered, this, &MainWindow::helpContents);
    connect(helpIndexAction, &QAction::triggered, this, &MainWindow::helpIndex);
    connect(helpTipAction, &QAction::triggered, this, &MainWindow::showTipOfTheDay);
    connect(helpResetTipAction, &QAction::triggered, this, &MainWindow::resetAllTips);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::displayAbout);
}

void MainWindow::init()
{
    // The window starts on today, with no user of its own choosing: none at the start, when
    // the first user's page is read before the window shows.
    ShownDay::instance()->show(ShownDay::instance()->user(), Clock::today());
    statusBar()->hide();
    _applyBrandSwitches();
    _previousUser = -1;
    _metrics = nullptr;
    _syncDialog = nullptr;

    _toolBar = new BXToolBar(this, "ToolBar");
    _pageGroup = new QActionGroup(this);
    _pageGroup->setExclusive(true);
    for (QAction* page : {viewDiaryAction, viewCheckinAction, viewReportsAction}) {
        page->setCheckable(true);
        _pageGroup->addAction(page);
    }
    connect(mainStack, &QStackedWidget::currentChanged, this, &MainWindow::_pageChanged);

    _createDiaryPage();
    _createCheckinPage();
    _createReportsPage();

    resetWebView(_pageGroup);
    // No user is shown yet: the diary page reads its day with the first user.
    mainStack->setCurrentWidget(_diaryPage);
    prepShow(DiaryPage);

    _helpClient = new BXHelpClient(this);
    connect(_helpClient, &BXHelpClient::assistantOpened, this, &MainWindow::helpDoDelayShow);

    _restoreGeometry();
    BXHelp::init(helpHelpAction, _helpClient);
    if (publishAction)
        publishAction->setStatusTip(
            tr("Publish this day to your %1 diary").arg(_brand()->getString("web_address")));
    setWindowTitle(_brand()->getString("app_name"));
    if (_brand()->idExists("metrics_enabled") && _brand()->getBool("metrics_enabled"))
        _atUsersTurn(10, &MainWindow::sendMetrics);
    NotificationCenter::addObserver(this, SLOT(appAboutToStart()), "app_about_to_start");

    if (FoodQueryWidget* browser = _browser())
        browser->prettySearchEdit->lineEdit()->setFocus();

    _buildToolBars();
    _wireViewActions();
}

void MainWindow::_removeAction(QAction*& action)
{
    delete action;
    action = nullptr;
}

void MainWindow::_applyBrandSwitches()
{
    if (!(_brand()->idExists("update_enabled") && _brand()->getBool("update_enabled")))
        _removeAction(updateAction);
    if (!_brand()->getBool("mealplans_enabled"))
        _removeAction(mealPlanAction);
    if (!_brand()->getBool("publish_enabled"))
        _removeAction(publishAction);
    if (!mealPlanAction && !publishAction)
        _toolsSeparator->setVisible(false);
    const bool family = _brand()->idExists("feature.family") && _brand()->getBool("feature.family");
    if (!family) {
        _removeAction(optionsCreateUsersAction);
        delete deleteUserMenu;
        deleteUserMenu = nullptr;
        const QList<QAction*> items = usersMenu->actions();
        for (QAction* item : items) {
            if (item->isSeparator())
                item->setVisible(false);
        }
    }
}

void MainWindow::_createDiaryPage()
{
    _diaryPage = new DiaryWidget(mainStack, "diaryWidget");
    addWidget(_diaryPage, DiaryPage);
    _addTool(viewDiaryAction, "diary_icon");
    viewDiaryAction->setChecked(true);
    connect(viewDiaryAction, &QAction::triggered, this, [this] { raisePage(DiaryPage); });

    DiaryListView* list = _diaryList();
    FoodQueryWidget* browser = _browser();
    // The Edit menu and the tool bar serve the part of the page that the focus went to.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now || !_diaryPage || !_diaryPage->isAncestorOf(now))
            return;
        _lastDiaryFocus = now;
        refreshEditMenu(DiaryContext, 0);
    });
    connect(_diaryPage, &DiaryWidget::requestEditMenuRefresh, this, &MainWindow::refreshEditMenu);
    connect(list, &DiaryListView::requestEditMenuRefresh, this, &MainWindow::refreshEditMenu);
    connect(browser, &FoodQueryWidget::editStateChanged, this, [this] { refreshEditMenu(DiaryContext, 0); });
    // The browser's menus follow the snack layout the diary shows.
    connect(list, &DiaryListView::notifyAdvanceMode, browser, &FoodQueryWidget::setSnackDisplay);

    connect(eM_DiaryDeleteEntry, &QAction::triggered, list, &DiaryListView::deleteEntry);
    connect(eM_DiaryEditEntry, &QAction::triggered, list, &DiaryListView::editEntry);
    const std::pair<QAction*, QPushButton*> buttons[] = {
        {eM_DiaryFoodNewCat, browser->myFoodNewCat}, {eM_DiaryFoodNewFood, browser->myFoodNewItem},
        {eM_DiaryFoodEdit, browser->myFoodEdit},     {eM_DiaryFoodDelete, browser->myFoodDelete},
        {eM_DiaryExerNewCat, browser->myExNewCat},   {eM_DiaryExerNewExer, browser->myExNewItem},
        {eM_DiaryExerEdit, browser->myExEdit},       {eM_DiaryExerDelete, browser->myExDelete},
        {eM_DiarySavedRename, browser->savedMealEdit}, {eM_DiarySavedDelete, browser->savedMealDelete},
    };
    for (const auto& [action, button] : buttons)
        connect(action, &QAction::triggered, button, &QPushButton::click);
}

void MainWindow::_createCheckinPage()
{
    _checkinPage = new CheckinWidget(mainStack, "checkinWidget");
    addWidget(_checkinPage, CheckinPage);
    _addTool(viewCheckinAction, "checkin_icon");
    connect(viewCheckinAction, &QAction::triggered, this, [this] { raisePage(CheckinPage); });
    connect(_checkinPage, &CheckinWidget::requestEditMenuRefresh, this, &MainWindow::refreshEditMenu);
    connect(eM_JournalNewEntryToday, &QAction::triggered, _checkinPage, &CheckinWidget::checkinToday);
    connect(eM_JournalEditEntry, &QAction::triggered, _checkinPage->btnCheckin, &QPushButton::click);
    connect(eM_JournalDeleteEntry, &QAction::triggered, _checkinPage, &CheckinWidget::deleteJournal);
}

void MainWindow::_createReportsPage()
{
    _reportsPage = new ReportsContainer(mainStack, "reportsWidget");
    addWidget(_reportsPage, ReportsPage);
    _addTool(viewReportsAction, "reports_icon");
    connect(viewReportsAction, &QAction::triggered, this, [this] { raisePage(ReportsPage); });
    connect(_reportsPage, &ReportsContainer::requestEditMenuRefresh, this, &MainWindow::refreshEditMenu);
}

void MainWindow::_addTool(QAction* action, const char* image, const char* name)
{
    if (!action)
        return;
    BXToolBarButton* button = _toolBar->addTool(action, _brand()->getPixmap(image), name);
    button->setText(action->iconText());
}

void MainWindow::_buildToolBars()
{
    _toolBar->addSeparator();
    _addTool(printAction, "graphics.icon.print");
    _addTool(publishAction, "graphics.icon.publish", "toolbar_publish");
    _addTool(updateAction, "graphics.icon.updatedb");
    _addTool(mealPlanAction, "graphics.icon.mealplan", "toolbar_mealplan");
    _addTool(em_CopyFromAnotherDay, "graphics.icon.copy");
    const char* const edit = "graphics.icon.diary.edit";
    const char* const remove = "graphics.icon.diary.delete";
    _addTool(eM_DiaryEditEntry, edit);
    _addTool(eM_DiaryDeleteEntry, remove);
    _addTool(eM_DiaryFoodEdit, edit);
    _addTool(eM_DiaryFoodDelete, remove);
    _addTool(eM_DiaryExerEdit, edit);
    _addTool(eM_DiaryExerDelete, remove);
    _addTool(eM_DiarySavedRename, edit);
    _addTool(eM_DiarySavedDelete, remove);
    _addTool(eM_JournalNewEntryToday, "graphics.icon.checkin.today");
    _addTool(eM_JournalEditEntry, "graphics.icon.checkin.edit");
    _addTool(eM_JournalDeleteEntry, "graphics.icon.checkin.delete");
    _addTool(viewBackAction, "graphics.icon.web.back");
    _addTool(viewForwardAction, "graphics.icon.web.forward");
    _addTool(viewHomeAction, "graphics.icon.web.home");
    for (QAction* back : {viewBackAction, viewForwardAction, viewHomeAction})
        back->setVisible(false);

    _helpToolBar = new BXToolBar(this, "Help ToolBar");
    _helpToolBar->addSeparator();
    BXToolBarButton* help = _helpToolBar->addTool(helpHelpAction, _brand()->getPixmap("graphics.icon.help"), nullptr);
    help->setText(helpHelpAction->iconText());
    _toolBar->updateButtonStates();
    _helpToolBar->updateButtonStates();
}

void MainWindow::_wireViewActions()
{
    toggleFluidNutrientAction->setCheckable(true);
    _layoutGroup = new QActionGroup(this);
    _layoutGroup->setExclusive(true);
    for (QAction* mode : {toggleViewModeNormal, toggleViewModeA, toggleViewModeB}) {
        mode->setCheckable(true);
        _layoutGroup->addAction(mode);
    }
    connect(toggleFluidNutrientAction, &QAction::toggled, this, &MainWindow::_summaryToggled);
    connect(_layoutGroup, &QActionGroup::triggered, this, &MainWindow::changeDiaryView);
    DiarySummary* summary = _diaryPage->summaryWidget;
    connect(summary, &DiarySummary::hideDiarySummary, this, &MainWindow::_hideDiarySummary);
    connect(this, &MainWindow::signalTargetUpdate, summary, &DiarySummary::updateTargets);
    connect(summary, &DiarySummary::invokeSetTargets, this, &MainWindow::setTargets);
}

void MainWindow::_summaryToggled(bool on)
{
    // A choice the diary did not store is not shown as made.
    if (_diaryPage && !_diaryPage->setVisibleFluidAndNutrient(on)) {
        const QSignalBlocker blocker(toggleFluidNutrientAction);
        toggleFluidNutrientAction->setChecked(!on);
    }
}

void MainWindow::_hideDiarySummary()
{
    toggleFluidNutrientAction->toggle();
}

DiaryListView* MainWindow::_diaryList() const
{
    return _diaryPage ? _diaryPage->diaryView1->mealView : nullptr;
}

FoodQueryWidget* MainWindow::_browser() const
{
    return _diaryPage ? _diaryPage->foodQueryWidget3 : nullptr;
}

void MainWindow::addWidget(QWidget* page, int id)
{
    mainStack->addWidget(page);
    _pages.insert(id, page);
}

// The page reads all it shows in one reading, one wait and one question, and is raised only
// then; nothing reads as it is shown. A page that could not be read was not raised: the shown
// page's button stays checked.
void MainWindow::raisePage(int id)
{
    QWidget* page = _pages.value(id);
    // With no user shown, no page holds a day to show.
    if (!page || page == _currentPage() || !_closedOnNoUser.isEmpty())
        return;
    StorePrompt::act(this, StoreAction::Kind::Read, QString(), [this, id] {
        if (id == DiaryPage)
            _diaryPage->raiseWidget();
        else if (id == CheckinPage)
            _checkinPage->raiseWidget();
        else if (id == ReportsPage)
            _reportsPage->raiseWidget();
        else
            mainStack->setCurrentWidget(_pages.value(id));
        return true;
    });
    _checkPageAction(_currentPageId());
}

QWidget* MainWindow::_currentPage() const
{
    return mainStack->currentWidget();
}

// Whether page is the one in front. The pages go with the window's close, and a closed window
// has none in front, so that nothing reached after the close (a message from another copy, a
// focus change as the last dialog goes) acts on a page that is gone.
bool MainWindow::_inFront(const QWidget* page) const
{
    return page && page == _currentPage();
}

int MainWindow::_currentPageId() const
{
    return _pages.key(_currentPage(), 0);
}

void MainWindow::_pageChanged(int index)
{
    const int id = _pages.key(mainStack->widget(index), 0);
    if (id == 0)
        return;
    prepShow(id);
    _checkPageAction(id);
    _refreshEditMenuFor(id);
}

void MainWindow::_checkPageAction(int id)
{
    const std::pair<int, QAction*> actions[] = {
        {DiaryPage, viewDiaryAction}, {CheckinPage, viewCheckinAction}, {ReportsPage, viewReportsAction}};
    for (const auto& [page, action] : actions) {
        if (page == id)
            action->setChecked(true);
    }
}

// The page just shown brings its own Edit menu and tool buttons.
void MainWindow::_refreshEditMenuFor(int page)
{
    if (page == DiaryPage)
        refreshEditMenu(DiaryContext, 0);
    else if (page == ReportsPage)
        refreshEditMenu(ReportsContext, 0);
    else if (page == CheckinPage)
        refreshEditMenu(CheckinContext, _checkinState());
}

void MainWindow::prepShow(int id)
{
    const bool diary = id == DiaryPage;
    if (mealPlanAction)
        mealPlanAction->setVisible(diary);
    if (publishAction)
        publishAction->setVisible(diary);
    if (mealPlanAction && publishAction)
        _toolsSeparator->setVisible(diary);
    printAction->setVisible(true);
    pageSetupAction->setVisible(true);
    _toolBar->updateButtonStates();
}

// The page shown reads what it shows again in one reading, one wait and one question; a page
// that could not be read keeps what it showed.
void MainWindow::refreshCurrentWidget()
{
    StorePrompt::act(this, StoreAction::Kind::Read, QString(), [this] { return _reloadCurrentPage(); });
    refreshProfileMenu();
}

bool MainWindow::_reloadCurrentPage()
{
    if (_inFront(_diaryPage))
        return _diaryPage->reload();
    if (_inFront(_checkinPage))
        return _checkinPage->reload();
    if (_inFront(_reportsPage))
        return _reportsPage->reload();
    return true;
}

void MainWindow::setVisible(bool visible)
{
    if (visible && _maximizeOnShow) {
        _maximizeOnShow = false;
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    // Sized to the page before it is placed on the screen as it is shown.
    if (visible)
        _fitPageArea();
    QMainWindow::setVisible(visible);
}

// The page area asks for all the page shown needs, as far as the screen has room for the
// window: the window grows to show the page whole where it can, and the page scrolls only on a
// screen too small for it.
void MainWindow::_fitPageArea()
{
    const QSize area = _pageArea->minimumSize().expandedTo(_pageArea->minimumSizeHint());
    const QSize others = (minimumSizeHint() - area).expandedTo(QSize(0, 0));
    const QSize least = mainStack->minimumSizeHint().boundedTo(ScreenFit::room(this) - others);
    _pageArea->setMinimumSize(least.expandedTo(QSize(0, 0)));
    // The window takes its new least size now, not some passes of the event loop later.
    centralWidget()->layout()->activate();
    layout()->activate();
}

// Window geometry

QSize MainWindow::availableDesktop()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize(InitialWidth, InitialHeight);
}

MainWindow::Placement MainWindow::restoredPlacement(const SavedGeometry& saved, const QSize& desktop)
{
    const int w = desktop.width();
    const int h = desktop.height();
    const bool usable = saved.complete && saved.screenWidth == w && saved.screenHeight == h
        && saved.x > 0 && saved.x <= w && saved.y > 0 && saved.y <= h && saved.width > 0
        && saved.width <= w && saved.height > 0 && saved.height <= h;
    if (usable)
        return {QRect(saved.x, saved.y, saved.width, saved.height), saved.maximized};
    return {QRect(w / 20, h / 20, w * 9 / 10, h * 9 / 10), false};
}

QPoint MainWindow::grownOnto(const QRect& rect, const QSize& size, const QSize& desktop)
{
    QPoint at = rect.topLeft();
    if (size.width() > rect.width())
        at.setX(std::min(at.x(), std::max(0, desktop.width() - size.width())));
    if (size.height() > rect.height())
        at.setY(std::min(at.y(), std::max(0, desktop.height() - size.height())));
    return at;
}

// The layout's least size is known only once the user's day is laid out, after the window
// is placed: a window that grows to it past the desktop's edge moves back onto the desktop.
// A size the user drags out is left where the user put it.
void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    const QSize old = event->oldSize();
    const bool grownToLeast = (width() > old.width() && width() == minimumWidth())
        || (height() > old.height() && height() == minimumHeight());
    if (!isVisible() || !old.isValid() || !grownToLeast || (windowState() & ~Qt::WindowActive))
        return;
    // The frame, borders included, stays on the desktop.
    const QSize frame = frameGeometry().size() - size();
    move(grownOnto(QRect(pos(), old + frame), size() + frame, availableDesktop()));
}

MainWindow::SavedGeometry MainWindow::geometryToSave(const QRect& geometry, bool maximized,
                                                     const QSize& desktop)
{
    SavedGeometry saved;
    QRect rect = geometry;
    if (maximized) {
        rect = QRect(rect.x() + rect.width() / 20, rect.y() + rect.height() / 20,
                     rect.width() - rect.width() / 10, rect.height() - rect.height() / 10);
    }
    saved.x = rect.x();
    saved.y = rect.y();
    saved.width = rect.width();
    saved.height = rect.height();
    saved.maximized = maximized;
    saved.screenWidth = desktop.width();
    saved.screenHeight = desktop.height();
    saved.complete = true;
    return saved;
}

MainWindow::SavedGeometry MainWindow::readGeometry(BXSettings& settings)
{
    SavedGeometry saved;
    bool ok = false;
    int* const numbers[] = {&saved.width, &saved.height, &saved.x, &saved.y};
    const char* const numberKeys[] = {"windowWidth", "windowHeight", "windowX", "windowY"};
    for (int i = 0; i < 4; ++i) {
        *numbers[i] = settings.readNumEntry(QString::fromLatin1(numberKeys[i]), -1, &ok);
        if (!ok)
            return saved;
    }
    saved.maximized = settings.readBoolEntry(QStringLiteral("windowMaximized"), false, &ok);
    if (!ok)
        return saved;
    saved.screenWidth = settings.readNumEntry(QStringLiteral("screenWidth"), -1, &ok);
    if (!ok)
        return saved;
    saved.screenHeight = settings.readNumEntry(QStringLiteral("screenHeight"), -1, &ok);
    saved.complete = ok;
    return saved;
}

void MainWindow::writeGeometry(BXSettings& settings, const SavedGeometry& geometry)
{
    settings.writeEntry(QStringLiteral("windowMaximized"), geometry.maximized);
    settings.writeEntry(QStringLiteral("windowX"), geometry.x);
    settings.writeEntry(QStringLiteral("windowY"), geometry.y);
    settings.writeEntry(QStringLiteral("windowWidth"), geometry.width);
    settings.writeEntry(QStringLiteral("windowHeight"), geometry.height);
    settings.writeEntry(QStringLiteral("screenWidth"), geometry.screenWidth);
    settings.writeEntry(QStringLiteral("screenHeight"), geometry.screenHeight);
}

void MainWindow::_restoreGeometry()
{
    BXSettings settings;
    const Placement placement = restoredPlacement(readGeometry(settings), availableDesktop());
    resize(placement.rect.size());
    move(placement.rect.topLeft());
    _maximizeOnShow = placement.maximized;
}

// Written while the window is torn down, when it closes at shutdown: the window's frame is
// still known then, and the brand that names the settings store is still loaded.
void MainWindow::_saveGeometry()
{
    if (_geometrySaved)
        return;
    _geometrySaved = true;
    const bool maximized = isMaximized();
    const QRect rect(pos(), size());
    BXSettings settings;
    writeGeometry(settings, geometryToSave(rect, maximized, availableDesktop()));
}
