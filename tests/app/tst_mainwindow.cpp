// The main window's frame and Edit menu: brand switches, web sections, geometry, the Edit
// menu for every page and browser list, context help and printing.

#include "core/displaydate.h"
#include "mainwindowdoubles.h"
#include "urlrecorder.h"

#include "widgets/bxhelpclient.h"
#include "widgets/bxtoolbar.h"
#include "widgets/searchlineedit.h"
#include "browser/draglistview.h"
#include "browser/exercisewidget.h"
#include "browser/foodviewitem.h"
#include "browser/foodquerywidget.h"
#include "browser/foodwidget.h"
#include "catalogue/catalogueservices.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/fooddbdynamic.h"
#include "userdb/savedmealdb.h"
#include "widgets/expandingtabbar.h"
#include "diary/diarylistview.h"
#include "diary/diaryview.h"
#include "diary/diarywidget.h"
#include "profile/checkinwidget.h"
#include "reports/reportscontainer.h"
#include "reports/reportviewer.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTest>
#include <QScopeGuard>
#include <QTimer>
#include <QToolButton>

#include <map>

using namespace MainWindowTest;

Q_DECLARE_METATYPE(MainWindow::SavedGeometry)

namespace {

QStringList visibleItems(const QMenu* menu)
{
    QStringList names;
    for (const QAction* action : menu->actions()) {
        if (action->isVisible() && !action->isSeparator())
            names.append(action->objectName().isEmpty() ? action->text() : action->objectName());
    }
    return names;
}

QStringList enabledItems(const QMenu* menu)
{
    QStringList names;
    for (const QAction* action : menu->actions()) {
        if (action->isVisible() && action->isEnabled() && !action->isSeparator())
            names.append(action->objectName());
    }
    return names;
}

// Whether the main tool bar shows the button of that text; false when it has none.
bool toolShown(MainWindow* window, const QString& text)
{
    BXToolBar* bar = window->mainToolBar();
    for (QAction* handle : bar->actions()) {
        const auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(handle));
        if (button && button->text() == text)
            return handle->isVisible();
    }
    return false;
}

// Whether the tool bar shows a button of that text, and it is enabled.
bool toolEnabled(MainWindow* window, const QString& text)
{
    BXToolBar* bar = window->mainToolBar();
    for (QAction* handle : bar->actions()) {
        const auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(handle));
        if (button && button->text() == text && handle->isVisible())
            return button->isEnabled();
    }
    return false;
}

// Opens the window's Edit menu from its menu bar and clicks the item, as the user does.
void clickEditMenuItem(MainWindow* window, QAction* item)
{
    QMenuBar* bar = window->menuBar();
    QMenu* edit = bar->findChild<QMenu*>(QStringLiteral("Edit"));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(edit->menuAction()).center());
    QTRY_VERIFY(edit->isVisible());
    QTest::mouseClick(edit, Qt::LeftButton, {}, edit->actionGeometry(item).center());
}

MainWindow::SavedGeometry saved(int x, int y, int w, int h, bool max, int sw, int sh)
{
    MainWindow::SavedGeometry g;
    g.x = x;
    g.y = y;
    g.width = w;
    g.height = h;
    g.maximized = max;
    g.screenWidth = sw;
    g.screenHeight = sh;
    g.complete = true;
    return g;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void restoredPlacement_data();
    void restoredPlacement();
    void windowGrownToItsLayoutStaysOnTheDesktop_data();
    void windowGrownToItsLayoutStaysOnTheDesktop();
    void maximisedWindowSavesShrunkGeometry();
    void geometryRoundTripsThroughSettings();
    void windowOpensAtSavedPlaceAndSavesOnClose();

    void brandSwitches_data();
    void brandSwitches();
    void webSections();

    void editMenu_data();
    void editMenu();
    void editMenuOpensOnWhatHasTheFocus();
    void browserItemsComeBackWithTheDiaryPage();
    void browserSelectionDrivesTheEditMenu();
    void editMenuShowsWhatItMakes_data();
    void editMenuShowsWhatItMakes();
    void hiddenPageLeavesTheEditMenuAlone();
    void checkinItemsNameTheDate();
    void contextHelpFollowsPageAndFocus();
    void printingDeletesOnlyWhatItMade();
    void screenshot();

private:
    ScriptedMainWindow* makeWindow(const BrandSwitches& switches = BrandSwitches());
    void focusAndWait(QWidget* widget);
    void makeEditMenuItems(FoodQueryWidget* browser);

    ScriptedMainWindow* _window = nullptr;
    ScriptedMainWindow* _editWindow = nullptr;
    QHash<QString, qint64> _editItems; // the edit window's own items by name
    qint64 _ann = -1;
};

void TestMainWindow::initTestCase()
{
    loadBrand(BrandSwitches());
    startFreshDatabase();
    _ann = addUser(QStringLiteral("Ann"));
}

void TestMainWindow::cleanupTestCase()
{
    delete _window;
    _window = nullptr;
    BXSqlDb::cleanUp();
    UserDB::cleanUp();
    BrandEngine::cleanUp();
}

void TestMainWindow::cleanup()
{
    if (_window != _editWindow) {
        delete _window;
        _window = nullptr;
    }
}

ScriptedMainWindow* TestMainWindow::makeWindow(const BrandSwitches& switches)
{
    delete _window;
    _window = nullptr;
    _editWindow = nullptr;
    loadBrand(switches);
    _window = new ScriptedMainWindow;
    // The window starts on no user: the tests act for Ann.
    UserDB::instance()->setCurrentUser(_ann);
    return _window;
}

void TestMainWindow::focusAndWait(QWidget* widget)
{
    _window->show();
    QApplication::setActiveWindow(_window);
    QVERIFY(QTest::qWaitForWindowActive(_window));
    if (widget)
        widget->setFocus();
    else if (QApplication::focusWidget())
        QApplication::focusWidget()->clearFocus();
    QTRY_COMPARE(QApplication::focusWidget(), widget);
}

// Geometry

void TestMainWindow::restoredPlacement_data()
{
    QTest::addColumn<MainWindow::SavedGeometry>("geometry");
    QTest::addColumn<QSize>("desktop");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<bool>("maximized");

    QTest::newRow("other desktop") << saved(50, 40, 800, 600, false, 1280, 778) << QSize(1024, 746)
                                   << QRect(51, 37, 921, 671) << false;
    QTest::newRow("same desktop") << saved(50, 40, 800, 600, true, 1024, 746) << QSize(1024, 746)
                                  << QRect(50, 40, 800, 600) << true;
    MainWindow::SavedGeometry missing = saved(50, 40, 800, 600, false, 1024, 746);
    missing.complete = false;
    QTest::newRow("a key missing") << missing << QSize(1024, 746) << QRect(51, 37, 921, 671) << false;
    QTest::newRow("x at the edge") << saved(1024, 40, 800, 600, false, 1024, 746) << QSize(1024, 746)
                                   << QRect(1024, 40, 800, 600) << false;
    QTest::newRow("x zero") << saved(0, 40, 800, 600, false, 1024, 746) << QSize(1024, 746)
                            << QRect(51, 37, 921, 671) << false;
    QTest::newRow("too wide") << saved(10, 40, 1025, 600, false, 1024, 746) << QSize(1024, 746)
                              << QRect(51, 37, 921, 671) << false;
}

void TestMainWindow::restoredPlacement()
{
    QFETCH(MainWindow::SavedGeometry, geometry);
    QFETCH(QSize, desktop);
    const MainWindow::Placement placement = MainWindow::restoredPlacement(geometry, desktop);
    QTEST(placement.rect, "rect");
    QTEST(placement.maximized, "maximized");
}

// The default place on a 1280-pixel desktop is 64 pixels in; a layout 1245 pixels wide
// grows the window past the right edge unless it moves back.
void TestMainWindow::windowGrownToItsLayoutStaysOnTheDesktop_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("at");

    QTest::newRow("wider") << QRect(64, 40, 1152, 720) << QSize(1245, 720) << QPoint(35, 40);
    QTest::newRow("taller") << QRect(64, 300, 1152, 400) << QSize(1152, 600) << QPoint(64, 200);
    QTest::newRow("still fits") << QRect(20, 40, 1152, 720) << QSize(1245, 720) << QPoint(20, 40);
    QTest::newRow("wider than the desktop") << QRect(64, 40, 1152, 720) << QSize(1400, 720) << QPoint(0, 40);
    QTest::newRow("shrunk") << QRect(200, 40, 1000, 720) << QSize(900, 720) << QPoint(200, 40);
}

void TestMainWindow::windowGrownToItsLayoutStaysOnTheDesktop()
{
    QFETCH(QRect, rect);
    QFETCH(QSize, size);
    QTEST(MainWindow::grownOnto(rect, size, QSize(1280, 800)), "at");
}

void TestMainWindow::maximisedWindowSavesShrunkGeometry()
{
    const QSize desktop(1440, 878);
    const MainWindow::SavedGeometry g = MainWindow::geometryToSave(QRect(0, 0, 1440, 878), true, desktop);
    QCOMPARE(QRect(g.x, g.y, g.width, g.height), QRect(72, 43, 1296, 791));
    QVERIFY(g.maximized);
    QCOMPARE(QSize(g.screenWidth, g.screenHeight), desktop);
    const MainWindow::Placement back = MainWindow::restoredPlacement(g, desktop);
    QCOMPARE(back.rect, QRect(72, 43, 1296, 791));
    QVERIFY(back.maximized);

    const MainWindow::SavedGeometry plain = MainWindow::geometryToSave(QRect(5, 6, 700, 500), false, desktop);
    QCOMPARE(QRect(plain.x, plain.y, plain.width, plain.height), QRect(5, 6, 700, 500));
}

void TestMainWindow::geometryRoundTripsThroughSettings()
{
    BXSettings settings;
    for (const char* key : {"windowWidth", "windowHeight", "windowX", "windowY", "windowMaximized",
                            "screenWidth", "screenHeight"})
        settings.removeEntry(QString::fromLatin1(key));
    QVERIFY(!MainWindow::readGeometry(settings).complete);

    MainWindow::writeGeometry(settings, saved(11, 12, 713, 514, true, 1000, 700));
    const MainWindow::SavedGeometry read = MainWindow::readGeometry(settings);
    QVERIFY(read.complete);
    QCOMPARE(QRect(read.x, read.y, read.width, read.height), QRect(11, 12, 713, 514));
    QVERIFY(read.maximized);
    QCOMPARE(QSize(read.screenWidth, read.screenHeight), QSize(1000, 700));

    settings.removeEntry(QStringLiteral("screenWidth"));
    QVERIFY(!MainWindow::readGeometry(settings).complete);
}

void TestMainWindow::windowOpensAtSavedPlaceAndSavesOnClose()
{
    const QSize desktop = MainWindow::availableDesktop();
    QVERIFY(desktop.width() > 100 && desktop.height() > 100);
    const QRect wanted(20, 30, desktop.width() - 40, desktop.height() - 50);
    {
        BXSettings settings;
        MainWindow::writeGeometry(settings, saved(wanted.x(), wanted.y(), wanted.width(), wanted.height(),
                                                  false, desktop.width(), desktop.height()));
    }
    ScriptedMainWindow* window = makeWindow();
    QCOMPARE(window->pos(), wanted.topLeft());
    QCOMPARE(window->size(), wanted.size());
    QVERIFY(!window->maximizeOnFirstShow());

    window->show();
    window->move(25, 35);
    // Help open beside it goes with the window, which the program ends with.
    window->helpContentsAction->trigger();
    QVERIFY(window->getAssistant()->isOpen());
    QVERIFY(window->close());
    QVERIFY(!window->getAssistant()->isOpen());
    BXSettings settings;
    const MainWindow::SavedGeometry written = MainWindow::readGeometry(settings);
    QVERIFY(written.complete);
    QCOMPARE(QPoint(written.x, written.y), QPoint(25, 35));
    QCOMPARE(QSize(written.screenWidth, written.screenHeight), desktop);
    // The pages go with the close, and what reaches the window after it (a focus change as a
    // dialog goes, a message asking for a reload) finds none to act on.
    QVERIFY(!window->diaryPage());
    QVERIFY(!window->reportsPage());
    QLineEdit other;
    other.show();
    other.activateWindow();
    other.setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(QApplication::focusWidget(), &other);
    window->refreshCurrentWidget();
}

// Brand switches

void TestMainWindow::brandSwitches_data()
{
    QTest::addColumn<bool>("mealPlans");
    QTest::addColumn<bool>("publish");
    QTest::addColumn<bool>("family");
    QTest::addColumn<bool>("update");

    QTest::newRow("everything on") << true << true << true << true;
    QTest::newRow("meal plans only") << true << false << true << false;
    QTest::newRow("publishing only") << false << true << false << false;
    QTest::newRow("everything off") << false << false << false << false;
}

void TestMainWindow::brandSwitches()
{
    QFETCH(bool, mealPlans);
    QFETCH(bool, publish);
    QFETCH(bool, family);
    QFETCH(bool, update);
    BrandSwitches switches;
    switches.mealPlans = mealPlans;
    switches.publish = publish;
    switches.family = family;
    switches.update = update;
    ScriptedMainWindow* window = makeWindow(switches);

    QCOMPARE(window->menuBar()->objectName(), QStringLiteral("menubar"));
    QCOMPARE(window->mealPlanAction != nullptr, mealPlans);
    QCOMPARE(window->publishAction != nullptr, publish);
    QCOMPARE(window->updateAction != nullptr, update);
    QCOMPARE(window->optionsCreateUsersAction != nullptr, family);
    QCOMPARE(window->deleteUserSubmenu() != nullptr, family);
    QCOMPARE(window->findChild<QToolButton*>(QStringLiteral("toolbar_mealplan")) != nullptr, mealPlans);
    QCOMPARE(window->findChild<QToolButton*>(QStringLiteral("toolbar_publish")) != nullptr, publish);

    // Tools on the diary page, and on the reports page where the online items go away.
    QStringList tools;
    if (mealPlans)
        tools << QStringLiteral("mealPlanAction");
    if (publish)
        tools << QStringLiteral("publishAction");
    tools << QStringLiteral("optionsPreferencesAction");
    QCOMPARE(visibleItems(window->toolsSubmenu()), tools);
    QCOMPARE(window->toolsSeparator()->isVisible(), mealPlans || publish);
    window->raisePage(MainWindow::ReportsPage);
    QCOMPARE(visibleItems(window->toolsSubmenu()), QStringList{QStringLiteral("optionsPreferencesAction")});
    if (publish) {
        QVERIFY(window->publishAction->statusTip().startsWith(QStringLiteral("Publish this day to your ")));
        QVERIFY(window->publishAction->statusTip().endsWith(QStringLiteral(" diary")));
    }

    // The Users menu: the per-user items only with the family switch.
    if (family)
        addUser(QStringLiteral("Bob"));
    QVERIFY(window->switchUser(window, UserDB::instance()->getCurrentUser()));
    QStringList users = visibleItems(window->usersSubmenu());
    QCOMPARE(users.mid(0, 2), (QStringList{QStringLiteral("optionsSet_Nutritional_TargetsAction"),
                                           QStringLiteral("optionsPersonal_ProfileAction")}));
    if (family) {
        QCOMPARE(users.size(), 2 + 2 + 2);  // create, delete submenu, Ann and Bob
        QCOMPARE(users.mid(4), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
        QCOMPARE(window->deleteUserSubmenu()->actions().size(), 2);
        QVERIFY(window->usersSeparator()->isVisible());
    } else {
        QCOMPARE(users.size(), 2);
        for (const QAction* item : window->usersSubmenu()->actions())
            QVERIFY(!item->isSeparator() || !item->isVisible());
    }
    if (family)
        UserDB::instance()->deleteUser(UserDB::instance()->getUsersList().value().last().userId);
}

void TestMainWindow::webSections()
{
    BrandSwitches switches;
    switches.wwwCount = 7;
    ScriptedMainWindow* window = makeWindow(switches);
    const QList<QAction*> sections = window->webActions();
    QCOMPARE(sections.size(), 7);
    for (int n = 1; n <= 7; ++n) {
        const QAction* action = sections.at(n - 1);
        QCOMPARE(action->objectName(), QStringLiteral("www_action_%1").arg(n));
        QCOMPARE(action->text(), QStringLiteral("Section %1").arg(n));
        const QKeySequence expected = n <= 5 ? QKeySequence(QStringLiteral("Ctrl+%1").arg(n + 3)) : QKeySequence();
        QCOMPARE(action->shortcut(), expected);
    }

    UrlRecorder browser;
    sections.at(2)->trigger();
    QCOMPARE(browser.urls.size(), 1);
    const QString url = browser.urls.first();
    QVERIFY2(url.startsWith(QStringLiteral("http://www.pantrel.example/s3?p=")), qPrintable(url));
    QVERIFY(!url.contains(QLatin1String("${")));
    QCOMPARE(window->editContext(), int(MainWindow::WebContext));
    QVERIFY(window->eM_NoApplicableAction->isVisible());

    // Web sections have a help page of their own when no page of the stack is shown.
    window->pageStack()->setCurrentIndex(0);
    QCOMPARE(window->contextHelpTopic(), QStringLiteral("website.html"));
}

// Edit menu

void TestMainWindow::editMenu_data()
{
    QTest::addColumn<int>("context");
    QTest::addColumn<int>("state"); // of the check-ins page
    QTest::addColumn<QString>("focus");  // "", "list", "browser" or "was list"
    QTest::addColumn<int>("tab");        // of the browser's category bar; -1 leaves it
    QTest::addColumn<QString>("row");    // selected in that tab's list; empty for none
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("enabled");

    const QString copy = QStringLiteral("em_CopyFromAnotherDay");
    const QStringList food{QStringLiteral("eM_DiaryFoodNewCat"), QStringLiteral("eM_DiaryFoodNewFood"),
                           QStringLiteral("eM_DiaryFoodEdit"), QStringLiteral("eM_DiaryFoodDelete")};
    const QStringList exercise{QStringLiteral("eM_DiaryExerNewCat"), QStringLiteral("eM_DiaryExerNewExer"),
                               QStringLiteral("eM_DiaryExerEdit"), QStringLiteral("eM_DiaryExerDelete")};
    const QStringList saved{QStringLiteral("eM_DiarySavedRename"), QStringLiteral("eM_DiarySavedDelete")};

    const QStringList nothingApplies{QStringLiteral("eM_NoApplicableAction")};
    const QStringList listShown{copy, QStringLiteral("eM_DiaryClearAll"), QStringLiteral("savedMealMenu"),
                                QStringLiteral("eM_DiaryDeleteEntry"), QStringLiteral("eM_DiaryEditEntry")};
    const QStringList listEnabled{copy, QStringLiteral("savedMealMenu")};
    const QString list = QStringLiteral("list");
    const QString browser = QStringLiteral("browser");
    // A dialog that closed left no widget with the focus: the list that had it last still serves.
    QTest::newRow("diary, the list focused last")
        << 1 << 0 << QStringLiteral("was list") << -1 << "" << listShown << listEnabled;
    QTest::newRow("diary list") << 1 << 0 << list << -1 << "" << listShown << listEnabled;
    QTest::newRow("browser, Foods") << 1 << 0 << browser << 0 << "" << (QStringList{copy} + food)
                                    << QStringList{copy, food[0], food[1]};
    QTest::newRow("browser, Exercise") << 1 << 0 << browser << 1 << "" << (QStringList{copy} + exercise)
                                       << QStringList{copy, exercise[0], exercise[1]};
    QTest::newRow("browser, Custom Foods, nothing selected")
        << 1 << 0 << browser << 2 << "" << (QStringList{copy} + food) << QStringList{copy, food[0], food[1]};
    QTest::newRow("browser, Custom Foods, a food selected")
        << 1 << 0 << browser << 2 << "Toast" << (QStringList{copy} + food) << (QStringList{copy} + food);
    // The browser had the focus last; the menu bar has it now.
    QTest::newRow("menu bar after the browser")
        << 1 << 0 << QStringLiteral("menu bar") << 2 << "Toast" << (QStringList{copy} + food)
        << (QStringList{copy} + food);
    QTest::newRow("browser, Custom Exercises, nothing selected")
        << 1 << 0 << browser << 3 << "" << (QStringList{copy} + exercise)
        << QStringList{copy, exercise[0], exercise[1]};
    QTest::newRow("browser, Custom Exercises, an exercise selected")
        << 1 << 0 << browser << 3 << "Rowing" << (QStringList{copy} + exercise) << (QStringList{copy} + exercise);
    QTest::newRow("browser, Saved Meals, nothing selected")
        << 1 << 0 << browser << 4 << "" << (QStringList{copy} + saved) << QStringList{copy};
    QTest::newRow("browser, Saved Meals, a meal selected")
        << 1 << 0 << browser << 4 << "Lunch box" << (QStringList{copy} + saved) << (QStringList{copy} + saved);
    QTest::newRow("check-in without check-in")
        << 2 << 0 << QString() << -1 << ""
        << QStringList{QStringLiteral("eM_JournalNewEntryToday"), QStringLiteral("eM_JournalEditEntry"),
                       QStringLiteral("eM_JournalDeleteEntry")}
        << QStringList{QStringLiteral("eM_JournalNewEntryToday"), QStringLiteral("eM_JournalEditEntry")};
    QTest::newRow("check-in with check-in")
        << 2 << 1 << QString() << -1 << ""
        << QStringList{QStringLiteral("eM_JournalNewEntryToday"), QStringLiteral("eM_JournalEditEntry"),
                       QStringLiteral("eM_JournalDeleteEntry")}
        << QStringList{QStringLiteral("eM_JournalNewEntryToday"), QStringLiteral("eM_JournalEditEntry"),
                       QStringLiteral("eM_JournalDeleteEntry")};
    QTest::newRow("reports") << 3 << 0 << QString() << -1 << "" << QStringList{QStringLiteral("eM_NoApplicableAction")}
                             << QStringList();
    QTest::newRow("web") << 4 << 0 << QString() << -1 << "" << QStringList{QStringLiteral("eM_NoApplicableAction")}
                         << QStringList();
    QTest::newRow("unknown context") << 9 << 0 << QString() << -1 << "" << nothingApplies << QStringList();
}

// The user's own items the Edit menu's rows select, made once for the window that serves them.
void TestMainWindow::makeEditMenuItems(FoodQueryWidget* browser)
{
    FoodDBDynamic* foods = FoodDBDynamic::instance();
    _editItems[QStringLiteral("Toast")] =
        foods->createFood(foods->getRootForUser(_ann), QStringLiteral("Toast"), QStringLiteral("slice"),
                          DBTypes::FoodItem());
    ExDBDynamic* exercises = ExDBDynamic::instance();
    _editItems[QStringLiteral("Rowing")] =
        exercises->createExercise(exercises->getRootForUser(_ann), QStringLiteral("Rowing"), 7.0f);
    DBTypes::FoodDiaryItem toast;
    toast.desc = QStringLiteral("Toast");
    toast.servingDesc = QStringLiteral("slice");
    toast.size = 1.0f;
    toast.values.kind = 'F';
    _editItems[QStringLiteral("Lunch box")] = SavedMealDB::instance()->storeMeal(_ann, -1, "Lunch box", {toast}, true);
    browser->refreshDynamic();
}

void TestMainWindow::editMenu()
{
    QFETCH(int, context);
    QFETCH(int, state);
    QFETCH(QString, focus);
    QFETCH(int, tab);
    QFETCH(QString, row);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, enabled);
    CatalogueServices::install(); // the detail panel reads the selected row
    const auto uninstall = qScopeGuard([] { CatalogueServices::cleanUp(); });
    // One window serves every row.
    if (!_editWindow) {
        _editWindow = makeWindow();
        makeEditMenuItems(_editWindow->diaryPage()->foodQueryWidget3);
    }
    ScriptedMainWindow* window = _editWindow;
    const std::map<int, MainWindow::PageId> pages{{1, MainWindow::DiaryPage},
                                                  {2, MainWindow::CheckinPage},
                                                  {3, MainWindow::ReportsPage}};
    window->raisePage(pages.count(context) ? pages.at(context) : MainWindow::DiaryPage);
    FoodQueryWidget* browser = window->diaryPage()->foodQueryWidget3;
    QWidget* target = nullptr;
    if (focus.endsWith(QLatin1String("list")))
        target = window->diaryPage()->diaryView1->mealView;
    else if (focus == QLatin1String("browser") || focus == QLatin1String("menu bar"))
        target = browser->prettySearchEdit->lineEdit();
    focusAndWait(target);
    if (focus.startsWith(QLatin1String("was ")))
        focusAndWait(nullptr);
    if (focus == QLatin1String("menu bar"))
        focusAndWait(window->menuBar());
    // The browser tells its tab and selection as they change: the menu follows without being asked.
    if (tab >= 0) {
        browser->categoryBar->setCurrentIndex(tab);
        DragListView* list = browser->getCurrentListview();
        list->clearSelection();
        if (!row.isEmpty()) {
            QTreeWidgetItem* item = list->locateFvi(_editItems.value(row), false, nullptr);
            QVERIFY(item);
            list->setCurrentItem(item);
        }
    } else {
        window->refreshEditMenu(context, state);
    }
    QMenu* edit = window->menuBar()->findChild<QMenu*>(QStringLiteral("Edit"));
    QVERIFY(edit);
    QStringList visible = visibleItems(edit);
    QStringList wanted = shown;
    visible.sort();
    wanted.sort();
    QCOMPARE(visible, wanted);
    QStringList active = enabledItems(edit);
    QStringList wantedActive = enabled;
    active.sort();
    wantedActive.sort();
    QCOMPARE(active, wantedActive);

    // The diary context also brings the View items; the others hide them.
    QCOMPARE(window->layoutSubmenu()->menuAction()->isVisible(), context == 1);
    QCOMPARE(window->toggleFluidNutrientAction->isVisible(), context == 1);
    QVERIFY(!window->viewBackAction->isVisible());
    if (focus == QLatin1String("list")) {
        // An empty day offers "None" only.
        QCOMPARE(visibleItems(window->savedMealsMenu()), QStringList{QStringLiteral("eM_DiarySavedNewFromNone")});
    }
    // Tool buttons follow their actions: the tool bar's handle of the copy button.
    QCOMPARE(toolShown(window, QStringLiteral("Copy Day")),
             shown.contains(QStringLiteral("em_CopyFromAnotherDay")));
}

void TestMainWindow::editMenuOpensOnWhatHasTheFocus()
{
    ScriptedMainWindow* window = makeWindow();
    QMenu* edit = window->menuBar()->findChild<QMenu*>(QStringLiteral("Edit"));
    // The list had the focus last: its items stand, in the menu and on the bar.
    focusAndWait(window->diaryPage()->diaryView1->mealView);
    focusAndWait(nullptr);
    window->refreshEditMenu(1, 0);
    QVERIFY(visibleItems(edit).contains(QStringLiteral("eM_DiaryEditEntry")));
    QVERIFY(visibleItems(edit).contains(QStringLiteral("em_CopyFromAnotherDay")));
    QVERIFY(toolShown(window, QStringLiteral("Copy Day")));

    // The search field takes the focus without telling the window: opening the menu looks.
    focusAndWait(window->diaryPage()->foodQueryWidget3->prettySearchEdit->lineEdit());
    emit edit->aboutToShow();
    QVERIFY(visibleItems(edit).contains(QStringLiteral("em_CopyFromAnotherDay")));
    QVERIFY(!visibleItems(edit).contains(QStringLiteral("eM_NoApplicableAction")));

    // A dialog that closes leaves no widget with the focus (a new custom food, say): the
    // menu and the tool bar keep to the browser that had it last.
    focusAndWait(nullptr);
    window->diaryPage()->foodQueryWidget3->categoryBar->setCurrentIndex(2); // Custom Foods
    QVERIFY(visibleItems(edit).contains(QStringLiteral("eM_DiaryFoodEdit")));
    QVERIFY(toolShown(window, QStringLiteral("Copy Day")));
}

void TestMainWindow::browserItemsComeBackWithTheDiaryPage()
{
    ScriptedMainWindow* window = makeWindow();
    focusAndWait(window->diaryPage()->foodQueryWidget3->prettySearchEdit->lineEdit());
    window->diaryPage()->foodQueryWidget3->categoryBar->setCurrentIndex(3); // Custom Exercises
    window->raisePage(MainWindow::ReportsPage);
    QVERIFY(!window->eM_DiaryExerEdit->isVisible());
    window->raisePage(MainWindow::DiaryPage);
    QVERIFY(window->eM_DiaryExerEdit->isVisible());
    window->raisePage(MainWindow::ReportsPage);
    window->refreshEditMenu(-1, 0);
    QVERIFY(window->eM_NoApplicableAction->isVisible());
}

void TestMainWindow::browserSelectionDrivesTheEditMenu()
{
    CatalogueServices::install(); // the detail panel reads the selected food
    ScriptedMainWindow* window = makeWindow();
    FoodQueryWidget* browser = window->diaryPage()->foodQueryWidget3;
    FoodDBDynamic* foods = FoodDBDynamic::instance();
    const qint64 toast = foods->createFood(foods->getRootForUser(UserDB::instance()->getCurrentUser()),
                                        QStringLiteral("Toast"), QStringLiteral("slice"),
                                        DBTypes::FoodItem());
    browser->refreshDynamic();
    focusAndWait(browser->prettySearchEdit->lineEdit());
    browser->categoryBar->setCurrentIndex(2); // Custom Foods
    QTreeWidgetItem* row = browser->myfoodView->locateFvi(toast, false, nullptr);
    QVERIFY(row);
    browser->myfoodView->setCurrentItem(row);
    browser->updateEditMenu();
    QVERIFY(window->eM_DiaryFoodEdit->isVisible() && window->eM_DiaryFoodEdit->isEnabled());
    QVERIFY(window->eM_DiaryFoodDelete->isEnabled());

    browser->myfoodView->clearSelection();
    browser->updateEditMenu();
    QVERIFY(window->eM_DiaryFoodEdit->isVisible() && !window->eM_DiaryFoodEdit->isEnabled());

    browser->categoryBar->setCurrentIndex(3); // Custom Exercises
    browser->updateEditMenu();
    QVERIFY(window->eM_DiaryExerEdit->isVisible() && !window->eM_DiaryFoodEdit->isVisible());
    // The Recipes tab's code is no browser kind: it brings none of the browser's commands.
    browser->categoryStack->setCurrentWidget(browser->tabRecipes);
    browser->updateEditMenu();
    for (QAction* action : {window->eM_DiaryFoodEdit, window->eM_DiaryExerEdit, window->eM_DiarySavedRename})
        QVERIFY(!action->isVisible());
    foods->deleteFood(toast);
    CatalogueServices::cleanUp();
}

void TestMainWindow::editMenuShowsWhatItMakes_data()
{
    QTest::addColumn<int>("tab"); // of the category bar
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("made");
    QTest::newRow("a food on the Foods tab") << 0 << "banana" << "New food";
    QTest::newRow("an exercise on the Exercise tab") << 1 << "sweeping" << "New exercise";
}

// The Edit menu offers what the tab in front makes. Made while a search of that tab is up,
// what was made is the current row of its own tab, and the detail panel offers it.
void TestMainWindow::editMenuShowsWhatItMakes()
{
    QFETCH(int, tab);
    QFETCH(QString, search);
    QFETCH(QString, made);
    CatalogueServices::install();
    ScriptedMainWindow* window = makeWindow();
    FoodQueryWidget* browser = window->diaryPage()->foodQueryWidget3;
    browser->refreshDynamic();
    browser->categoryBar->setCurrentIndex(tab);
    QLineEdit* field = browser->prettySearchEdit->lineEdit();
    focusAndWait(field);
    QTest::keyClicks(field, search);
    DragListView* found = browser->getCurrentListview();
    QTreeWidgetItem* row = found->topLevelItem(0) ? found->topLevelItem(0)->child(0) : nullptr;
    QVERIFY(row);
    found->setCurrentItem(row);
    QAction* action = tab == 0 ? window->eM_DiaryFoodNewFood : window->eM_DiaryExerNewExer;
    QVERIFY(action->isVisible() && action->isEnabled());
    QVERIFY(!(tab == 0 ? window->eM_DiaryExerNewExer : window->eM_DiaryFoodNewFood)->isVisible());
    QTimer::singleShot(0, [] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->accept(); });
    clickEditMenuItem(window, action);
    DragListView* list = tab == 0 ? browser->myfoodView : browser->myexerciseView;
    QCOMPARE(browser->getCurrentListview(), list);
    QCOMPARE(list->currentItem()->text(0), made);
    QCOMPARE(field->text(), QString());
    QVERIFY((tab == 0 ? browser->foodWidget->nameLabel : browser->exerciseWidget->nameLabel)->text().contains(made));
    // The Edit menu and the tool bar offer to change what was made.
    const QList<QAction*> changes = tab == 0 ? QList<QAction*>{window->eM_DiaryFoodEdit, window->eM_DiaryFoodDelete}
                                             : QList<QAction*>{window->eM_DiaryExerEdit, window->eM_DiaryExerDelete};
    for (QAction* change : changes)
        QVERIFY2(change->isVisible() && change->isEnabled(), qPrintable(change->objectName()));
    QVERIFY(toolEnabled(window, QStringLiteral("Edit")) && toolEnabled(window, QStringLiteral("Delete")));
}

// A page that is not shown never takes over the Edit menu and the tool bar: the check-ins page
// follows a new user's date while the diary is shown.
void TestMainWindow::hiddenPageLeavesTheEditMenuAlone()
{
    ScriptedMainWindow* window = makeWindow();
    focusAndWait(window->diaryPage()->diaryView1->mealView);
    window->refreshEditMenu(1, 0);
    window->checkinPage()->updateButtons(window->checkinPage()->getDate());
    QMenu* edit = window->menuBar()->findChild<QMenu*>(QStringLiteral("Edit"));
    emit edit->aboutToShow();
    QVERIFY(visibleItems(edit).contains(QStringLiteral("eM_DiaryEditEntry")));
    QVERIFY(!window->eM_JournalEditEntry->isVisible());
    QVERIFY(toolShown(window, QStringLiteral("Copy Day")));
    // Shown, it brings its own.
    window->raisePage(MainWindow::CheckinPage);
    QVERIFY(window->eM_JournalEditEntry->isVisible());
    QVERIFY(!toolShown(window, QStringLiteral("Copy Day")));
    window->raisePage(MainWindow::DiaryPage);
    QVERIFY(!window->eM_JournalEditEntry->isVisible());
    QVERIFY(toolShown(window, QStringLiteral("Copy Day")));
}

void TestMainWindow::checkinItemsNameTheDate()
{
    ScriptedMainWindow* window = makeWindow();
    window->raisePage(MainWindow::CheckinPage);
    const QString date = DisplayDate::textDate(window->checkinPage()->getDate());
    window->refreshEditMenu(2, 1);
    QCOMPARE(window->eM_JournalEditEntry->text(), QStringLiteral("Edit Check-In for ") + date);
    QCOMPARE(window->eM_JournalEditEntry->iconText(), QStringLiteral("Edit"));
    QCOMPARE(window->eM_JournalDeleteEntry->text(), QStringLiteral("Delete Check-In for ") + date);
    window->refreshEditMenu(2, 0);
    QCOMPARE(window->eM_JournalEditEntry->text(), QStringLiteral("New Check-In for ") + date);
    QCOMPARE(window->eM_JournalEditEntry->iconText(), QStringLiteral("New"));
    QVERIFY(!window->eM_JournalDeleteEntry->isEnabled());
}

void TestMainWindow::contextHelpFollowsPageAndFocus()
{
    ScriptedMainWindow* window = makeWindow();
    DiaryWidget* diary = window->diaryPage();
    focusAndWait(diary->diaryView1->mealView);
    QCOMPARE(window->contextHelpTopic(), QStringLiteral("diary.html"));
    focusAndWait(diary->foodQueryWidget3->prettySearchEdit->lineEdit());
    QCOMPARE(window->contextHelpTopic(), QStringLiteral("browser.html"));
    auto* unnamed = new QLineEdit(diary);
    unnamed->show();
    focusAndWait(unnamed);
    QCOMPARE(window->contextHelpTopic(), QStringLiteral("diary.html"));
    // Without a focus, the part of the page that had it last.
    focusAndWait(nullptr);
    QCOMPARE(window->contextHelpTopic(), QStringLiteral("diary.html"));
    focusAndWait(diary->foodQueryWidget3->prettySearchEdit->lineEdit());
    focusAndWait(nullptr);
    QCOMPARE(window->contextHelpTopic(), QStringLiteral("browser.html"));

    window->raisePage(MainWindow::CheckinPage);
    focusAndWait(diary->diaryView1->mealView);
    QCOMPARE(window->contextHelpTopic(), QStringLiteral("checkin.html"));
    window->raisePage(MainWindow::ReportsPage);
    QCOMPARE(window->contextHelpTopic(), QStringLiteral("chart.html"));
    // Without web sections there is no page for anything else.
    window->pageStack()->setCurrentIndex(0);
    QCOMPARE(window->contextHelpTopic(), QString());
    // With no user shown, the way back: a backup restored.
    window->showNoUser({}, QStringLiteral("not read"));
    QCOMPARE(window->contextHelpTopic(), QStringLiteral("backup.html"));
}

void TestMainWindow::printingDeletesOnlyWhatItMade()
{
    ScriptedMainWindow* window = makeWindow();
    window->printDay();
    QCOMPARE(window->printed.size(), 1);
    QCOMPARE(window->counters.factoriesDeleted, 1);
    QCOMPARE(window->counters.commandsDeleted, 1);

    window->printCancelled = true;
    window->printDay();
    QCOMPARE(window->printed.size(), 1);
    QCOMPARE(window->counters.commandsDeleted, 2);

    // The reports page prints its own viewer, which stays the page's; without a viewer
    // nothing is printed.
    window->viewReportsAction->trigger();
    QCOMPARE(window->pageStack()->currentWidget(), static_cast<QWidget*>(window->reportsPage()));
    ReportViewer* viewer = window->reportsPage()->currentViewer();
    window->printDayPreview();
    QCOMPARE(window->printed.size(), viewer ? 2 : 1);
    QCOMPARE(window->counters.commandsDeleted, 2);
    QCOMPARE(window->reportsPage()->currentViewer(), viewer);
    if (viewer)
        viewer->saveSettings();
}

void TestMainWindow::screenshot()
{
    ScriptedMainWindow* window = makeWindow();
    window->resize(900, 700);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->refreshEditMenu(1, 0);
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/../mainwindow.png");
    QVERIFY(window->grab().save(path));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
