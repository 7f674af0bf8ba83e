#pragma once

#include "app/tipoftheday.h"
#include "core/brandengine.h"
#include "core/dbtypes.h"

#include <QFileInfo>
#include <QMainWindow>
#include <QMap>
#include <QMessageBox>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class BXHelpClient;
class BXSettings;
class BXToolBar;
class CheckinWidget;
class DiaryListView;
class DiaryWidget;
class FoodQueryWidget;
class PrintModule;
class ProgressBox;
class QAction;
class QActionGroup;
class QDate;
class QFrame;
class QLabel;
class QMenu;
class QScrollArea;
class QStackedWidget;
class ReportFactory;
class ReportsContainer;
class SyncDialog;

// The application's one top-level window: the stack of the diary, check-in and reports
// pages, the menus and tool bars that reach every part of the program, the per-user
// commands, and backup and restore of the user database.
//
// The dialogs and online services the window starts go through protected virtual hooks,
// so that a subclass can stand in for them.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Page ids of the page stack.
    enum PageId { DiaryPage = 1, ReportsPage = 2, CheckinPage = 3 };
    // Edit-menu contexts.
    enum EditContext { DiaryContext = 1, CheckinContext = 2, ReportsContext = 3, WebContext = 4 };

    // Window geometry as the settings store keeps it.
    struct SavedGeometry
    {
        int x = -1;
        int y = -1;
        int width = -1;
        int height = -1;
        bool maximized = false;
        int screenWidth = -1;
        int screenHeight = -1;
        bool complete = false;  // every key was found
    };
    struct Placement
    {
        QRect rect;
        bool maximized = false;
    };

    explicit MainWindow(QWidget* parent = nullptr, const char* name = "MainWindow");
    ~MainWindow() override;

    // Where the window opens for a saved geometry on a desktop of the given size.
    static Placement restoredPlacement(const SavedGeometry& saved, const QSize& desktop);
    // Where a window at rect stands once grown to size: moved back so that what it grew
    // past the desktop's right or bottom edge is on the desktop again, where it fits.
    static QPoint grownOnto(const QRect& rect, const QSize& size, const QSize& desktop);
    // What is saved for the window's geometry on a desktop of the given size.
    static SavedGeometry geometryToSave(const QRect& geometry, bool maximized, const QSize& desktop);
    static SavedGeometry readGeometry(BXSettings& settings);
    static void writeGeometry(BXSettings& settings, const SavedGeometry& geometry);
    // The available desktop of the default screen.
    static QSize availableDesktop();

    BXHelpClient* getAssistant() const { return _helpClient; }
    QStackedWidget* pageStack() const { return mainStack; }
    DiaryWidget* diaryPage() const { return _diaryPage; }
    CheckinWidget* checkinPage() const { return _checkinPage; }
    ReportsContainer* reportsPage() const { return _reportsPage; }
    BXToolBar* mainToolBar() const { return _toolBar; }
    bool maximizeOnFirstShow() const { return _maximizeOnShow; }
    int editContext() const { return _editContext; }

    // The help page that context help opens now; empty when none.
    QString contextHelpTopic() const;

    // Copies source onto destination with the user database closed; a null text on
    // success, otherwise the reason.
    virtual QString doCopy(QFileInfo& source, QFileInfo& destination);
    // Checks a backup file for restore; a null text when it may be restored. `unread`, when
    // given, says whether the text tells a read that failed for a reason of the system or
    // another program's hold, which says nothing of the file.
    static QString checkBackupFile(const QString& path, bool* unread = nullptr);

    // What the window holds of the diary outside the pages, read with the user so that menus,
    // focus and tips never read it: the users of the Users menu, the tips' state of the user
    // and the snack layout of the browser's menus. The actions that change them keep them.
    struct UserHold
    {
        QList<DBTypes::UserProfile> users;
        TipOfTheDay::UserState tips;
        int snackDisplay = 0;
    };
    // Reads the hold of `user` inside the caller's reading action (the user switch's);
    // nothing when any of it could not be read.
    static std::optional<UserHold> readUserHold(qint64 user);
    // Puts a hold read for the user now current in place.
    void keepUserHold(const UserHold& hold);

    // Shows no user and no day: no page is in front, and the tool bar and the actions on a user
    // are closed, so that nothing acts for a user or a day that is not shown. Open stay the ways
    // to a user (Restore Data, the users held, Create User), Exit and Help. The status line says
    // `told` until a user is shown; the Users menu lists `users`.
    void showNoUser(const QList<DBTypes::UserProfile>& users, const QString& told);
    // What the status line says when the page of the user named could not be read.
    static QString unreadUserText(const QString& name);
    // What the window tells when the diary's users could not be read.
    static QString noUserReadText();
    // How a damaged diary is put right; nothing unless SQLite found the diary damaged.
    static QString restoreHint();

    void setVisible(bool visible) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

signals:
    void userChanged(qint64 user);
    void signalTargetUpdate(const DBTypes::CheckinItem& checkin, const DBTypes::UserPrefs& prefs);

public slots:
    // Frame.
    void addWidget(QWidget* page, int id);
    void raisePage(int id);
    void prepShow(int id);
    void refreshCurrentWidget();

    // Edit menu and page commands.
    void refreshEditMenu(int context, int state);
    void hideAllEditMenuItems();
    void setupDiaryMenuItems();
    void setupJournalMenuItems(int hasCheckin);
    void setupGraphMenuItems();
    void setupWebMenuItems();
    void changeDiaryView();
    void editSaveMealAction();
    void showCopyDialog();
    void slotClearDiary();
    void doMealPlan();
    void pageSetup();
    void printDay();
    void printDayPreview();
    void doPrinting(bool preview);
    void exportCsv();
    void showTipOfTheDay();
    void resetAllTips();
    void contextHelp();
    void helpContents();
    void helpIndex();
    void helpDoDelayShow();
    void resetWebView(QActionGroup* group);
    void webSectionSelected();
    void gotoUrl(const QString& url);

    // Users and lifecycle.
    bool switchUser(QWidget* parent, qint64 userId);
    // The start's user: the first of `users` whose profile is complete or is completed now,
    // a new one when there are none. A profile read incomplete is asked for again with the
    // reason, and one not completed gives way to the next user; the window shows no user when
    // none is left, or when a complete user's page could not be read. False only when the
    // first user of an empty diary was not made.
    bool showFirstUser(const QList<DBTypes::UserProfile>& users);
    void fromProfileMenuSwitchUser(qint64 id);
    void fromProfileMenuCreateUser();
    void fromProfileMenuDeleteUser(qint64 id);
    void refreshProfileMenu();
    void setPersonalProfile();
    void setTargets();
    void setPreferences();
    void displayAbout();
    void myClose();
    void publishDay();
    void appAboutToStart();
    void updateDatabases();
    void autoUpdateDatabases(bool error);
    void sendMetrics();
    void metricsDone(bool error);
    void resetUserMetrics();
    void processMessage(const QString& message);

    // Backup and restore.
    void backupUserDB();
    void restoreUserDB();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // Message boxes: returns the button pressed (none once the end of the session was asked
    // for). `acceptText` replaces the text of the Ok button when given; `details` (a long
    // report) is shown on request below the text.
    virtual QMessageBox::StandardButton showMessage(QMessageBox::Icon icon, const QString& caption,
                                                    const QString& text,
                                                    QMessageBox::StandardButtons buttons,
                                                    QMessageBox::StandardButton defaultButton,
                                                    const QString& acceptText = QString(),
                                                    const QString& details = QString());
    virtual QString askBackupFileName(const QString& proposed);
    virtual QString askRestoreFileName(const QString& folder);

    // Dialogs: each returns true when the user accepted it. The wizard over a stored profile
    // returns true only when something in it was changed.
    virtual bool execProfileWizard(QWidget* parent, bool create, DBTypes::UserProfile& profile,
                                   DBTypes::CheckinItem& checkin, DBTypes::UserPrefs& prefs);
    // The targets dialog returns true only when something in it was changed.
    virtual bool execTargetsDialog(DBTypes::CheckinItem& checkin, DBTypes::UserPrefs& prefs);
    virtual bool execPreferences();
    virtual void installUnits(const DBTypes::UserPrefs& prefs);

    // Printing.
    virtual std::unique_ptr<PrintModule> createPrintCommand(int pageId);
    virtual void printFromFactory(ReportFactory* factory, bool preview);

    // Publishing: true when the publisher could be prepared.
    virtual bool preparePublisher();
    // Runs the publishing prompt (or only makes it when `show` is false); false when it was
    // cancelled, else *discard tells the choice.
    virtual bool askPublishingChoice(bool show, bool* discard);
    virtual void publishNow();

    // Online services.
    virtual void startUpdateCheck();
    virtual void stopUpdateCheck();
    virtual void runDatabaseUpdate();
    virtual QObject* createMetricsUploader();
    virtual void startMetricsUpload(QObject* uploader);
    virtual QString metricsError(QObject* uploader) const;
    virtual bool restartUserDatabase(QString* error);
    // The bytes free to this user on the disk of the folder; -1 when it cannot be told.
    virtual void quitProgram();

    // Text of a web section's address after its tokens are expanded; empty with *error set
    // when it cannot be built.
    QString webSectionUrl(int section, QString* error) const;

protected slots:
    void languageChange();

private slots:
    void _pageChanged(int index);
    void _summaryToggled(bool on);
    void _hideDiarySummary();
    void _retryMetrics();

private:
    void _createActions();
    void _createMenus();
    void _connectActions();
    void init();
    void _applyBrandSwitches();
    void _removeAction(QAction*& action);
    void _createDiaryPage();
    void _createCheckinPage();
    void _createReportsPage();
    void _restoreGeometry();
    void _fitPageArea();
    void _saveGeometry();
    void _buildToolBars();
    void _addTool(QAction* action, const char* image, const char* name = nullptr);
    void _wireViewActions();
    QWidget* _currentPage() const;
    bool _inFront(const QWidget* page) const;
    int _currentPageId() const;
    DiaryListView* _diaryList() const;
    FoodQueryWidget* _browser() const;
    // The widget of the diary page that the Edit menu, the tool bar and help follow: the one
    // with the focus, else the last of the page that had it, else the diary list.
    QWidget* _diaryFocus() const;
    void _refreshEditMenuFor(int page);
    // Whether the check-ins page lists a check-in on `date`; the Edit menu's state of the
    // page's date.
    bool _listsCheckin(const QDate& date) const;
    int _checkinState() const;
    // Checks the page's button in the page group.
    void _checkPageAction(int id);
    // False for the context of a page that is not the one shown.
    bool _contextShown(int context) const;
    // Offers the commands of the browser's tab in front for the state that it tells.
    void _setupBrowserItems(int state);
    // Whether the diary list, not the browser, is what the Edit menu and the tool bar serve.
    bool _diaryListInFront() const;
    void _showSavedMealItems(DiaryListView* list);
    void _showNoApplicableWhenEmpty();
    bool _publishOnQuitDue(bool* ask);
    void _setCaption(const QString& userName, bool trailingBlank);
    bool _storeWizardProfile(bool found, qint64& userId, DBTypes::UserProfile& profile,
                             DBTypes::CheckinItem& checkin, const DBTypes::UserPrefs& prefs);
    bool _storeProfile(const std::function<bool()>& change);
    bool _showUser(qint64 userId, QWidget* parent = nullptr);
    // Runs `call` that many milliseconds from now, at the user's turn (see UserTurn).
    void _atUsersTurn(int milliseconds, void (MainWindow::*call)());
    // What a user switch reads before anything moves.
    struct UserPage;
    // Reads the page of `userId` inside the caller's reading action; nothing when any of it
    // could not be read.
    std::optional<UserPage> _readUserPage(qint64 userId);
    std::unique_ptr<QFrame> _readReport(qint64 userId, const DBTypes::UserPrefs& prefs);
    // Makes the user read current and shows it.
    void _putUserInPlace(UserPage& read);
    // Reads the page shown again; false when it could not be read.
    bool _reloadCurrentPage();
    bool _createProfile(QWidget* parent, bool found, qint64& userId);
    void _reloadUserCatalogues();
    // Tells, in one box, what the diary holds that was left out or read as unknown since the
    // last box (StoredNotices).
    void _tellStoredNotices();
    // Tells why the stored profile is not complete and asks whether to enter it again.
    bool _askProfileAgain(const DBTypes::UserProfile& profile);
    void _runSyncWait(QWidget* parent, const QString& text);
    bool _copyFile(QFileInfo& source, QFileInfo& destination, bool restoring, bool* cursorSet);
    void _showCopyProgress(const QString& title, const QString& label);
    void _reopenDiary();
    QString _endRestore(const QFileInfo& backup);
    bool _restoredDataIsSound(QString* error);
    QString _restoreFrom(const QString& path);
    bool _showFirstUser();
    // Closes the actions on a user, as showNoUser() says; the window's state on no user.
    void _closeUserActions(bool usersRead);
    // Opens them again as a user is shown.
    void _openUserActions();
    // The name the Users menu shows for the user; empty when it holds none.
    QString _heldName(qint64 id) const;

public:
    // Actions, named as their object names.
    QAction* updateAction = nullptr;
    QAction* fileBackup_DatabasesAction = nullptr;
    QAction* fileRestore_DatabasesAction = nullptr;
    QAction* csvExportAction = nullptr;
    QAction* pageSetupAction = nullptr;
    QAction* printPreviewAction = nullptr;
    QAction* printAction = nullptr;
    QAction* exitAction = nullptr;
    QAction* em_CopyFromAnotherDay = nullptr;
    QAction* eM_DiaryClearAll = nullptr;
    QAction* eM_DiarySavedNewFromNone = nullptr;
    QAction* eM_DiarySavedNewFromBreakfast = nullptr;
    QAction* eM_DiarySavedNewFromLunch = nullptr;
    QAction* eM_DiarySavedNewFromDinner = nullptr;
    QAction* eM_DiarySavedNewFromSnacks = nullptr;
    QAction* eM_DiaryDeleteEntry = nullptr;
    QAction* eM_DiaryEditEntry = nullptr;
    QAction* eM_DiaryFoodNewCat = nullptr;
    QAction* eM_DiaryFoodNewFood = nullptr;
    QAction* eM_DiaryFoodEdit = nullptr;
    QAction* eM_DiaryFoodDelete = nullptr;
    QAction* eM_DiaryExerNewCat = nullptr;
    QAction* eM_DiaryExerNewExer = nullptr;
    QAction* eM_DiaryExerEdit = nullptr;
    QAction* eM_DiaryExerDelete = nullptr;
    QAction* eM_DiarySavedRename = nullptr;
    QAction* eM_DiarySavedDelete = nullptr;
    QAction* eM_JournalNewEntryToday = nullptr;
    QAction* eM_JournalEditEntry = nullptr;
    QAction* eM_JournalDeleteEntry = nullptr;
    QAction* eM_NoApplicableAction = nullptr;
    QAction* mealPlanAction = nullptr;
    QAction* publishAction = nullptr;
    QAction* optionsPreferencesAction = nullptr;
    QAction* toggleFluidNutrientAction = nullptr;
    QAction* toggleViewModeNormal = nullptr;
    QAction* toggleViewModeA = nullptr;
    QAction* toggleViewModeB = nullptr;
    QAction* viewBackAction = nullptr;
    QAction* viewForwardAction = nullptr;
    QAction* viewHomeAction = nullptr;
    QAction* viewDiaryAction = nullptr;
    QAction* viewCheckinAction = nullptr;
    QAction* viewReportsAction = nullptr;
    QAction* optionsSet_Nutritional_TargetsAction = nullptr;
    QAction* optionsPersonal_ProfileAction = nullptr;
    QAction* optionsCreateUsersAction = nullptr;
    QAction* helpHelpAction = nullptr;
    QAction* helpContentsAction = nullptr;
    QAction* helpIndexAction = nullptr;
    QAction* helpTipAction = nullptr;
    QAction* helpResetTipAction = nullptr;
    QAction* aboutAction = nullptr;

    QMenu* savedMealsMenu() const { return savedMealMenu; }
    QMenu* layoutSubmenu() const { return layoutMenu; }
    QMenu* usersSubmenu() const { return usersMenu; }
    QMenu* deleteUserSubmenu() const { return deleteUserMenu; }
    QMenu* toolsSubmenu() const { return toolsMenu; }
    QAction* toolsSeparator() const { return _toolsSeparator; }
    QAction* viewPagesSeparator() const { return _viewPagesSeparator; }
    QAction* usersSeparator() const { return _usersSeparator; }
    QList<QAction*> webActions() const { return _webActions; }
    SyncDialog* syncDialog() const { return _syncDialog; }
    qint64 previousUser() const { return _previousUser; }

private:
    // Widgets.
    QFrame* topLineFrame = nullptr;
    QStackedWidget* mainStack = nullptr;
    QScrollArea* _pageArea = nullptr;
    QWidget* WStackPage = nullptr;
    QMap<int, QWidget*> _pages;

    QMenu* fileMenu = nullptr;
    QMenu* editMenu = nullptr;
    QMenu* savedMealMenu = nullptr;
    QMenu* toolsMenu = nullptr;
    QMenu* viewMenu = nullptr;
    QMenu* layoutMenu = nullptr;
    QMenu* usersMenu = nullptr;
    QMenu* deleteUserMenu = nullptr;
    QMenu* helpMenu = nullptr;

    QAction* _toolsSeparator = nullptr;
    QAction* _viewPagesSeparator = nullptr;
    QAction* _usersSeparator = nullptr;
    QList<QAction*> _userActions;
    QList<QAction*> _webActions;
    QActionGroup* _pageGroup = nullptr;
    QActionGroup* _layoutGroup = nullptr;
    QActionGroup* _usersGroup = nullptr;

    DiaryWidget* _diaryPage = nullptr;
    CheckinWidget* _checkinPage = nullptr;
    ReportsContainer* _reportsPage = nullptr;
    BXToolBar* _toolBar = nullptr;
    BXToolBar* _helpToolBar = nullptr;

    int _editContext = DiaryContext;
    // The brand in force: one loaded again (a test's, say) is never one the window kept.
    static BrandEngine* _brand() { return BrandEngine::instance(); }
    QPointer<QWidget> _lastDiaryFocus;
    BXHelpClient* _helpClient = nullptr;
    QString _pendingHelpPage;
    bool _maximizeOnShow = false;
    bool _geometrySaved = false;
    SyncDialog* _syncDialog = nullptr;
    bool _copying = false;
    // A user switch runs, with the questions it may ask: a message of the channel waits for it to
    // end, as it would close the diary in the middle of it.
    bool _switchingUser = false;
    // A backup or restore runs; another one does not start.
    bool _fileCommand = false;
    // The progress of the copy, with its Cancel.
    std::unique_ptr<ProgressBox> _copyProgress;
    QStringList _heldMessages;
    // What the end of a backup or restore that stayed adds to its message: that the disk did not
    // confirm it.
    QString _copyNote;
    // The user stopped the last copy of a backup or restore: it is told as cancelled, not failed.
    bool _copyStopped = false;

    qint64 _previousUser = -1;
    // What is closed while no user is shown, and what the status line says of it.
    QList<QPointer<QObject>> _closedOnNoUser;
    QPointer<QLabel> _noUserText;
    // The user whose page the last switch could not read; -1 when it read.
    qint64 _unreadUser = -1;
    // The users as the Users menu lists them (see UserHold).
    QList<DBTypes::UserProfile> _users;
    QObject* _metrics = nullptr;
    int _metricsAttempts = 0;
};
