// The main window's users (switch, create, delete, profile, targets), its preferences and
// about boxes, publishing, the checks run after start, metrics, database updates and the
// messages from other copies of the program.

#include "app/mainwindow.h"
#include "core/clock.h"

#include "app/aboutdialog.h"
#include "widgets/bxtoolbar.h"
#include "widgets/shownday.h"
#include "widgets/storeprompt.h"
#include "widgets/userturn.h"
#include "app/preferencesdialog.h"
#include "app/syncdialog.h"
#include "app/tipoftheday.h"
#include "browser/foodquerywidget.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/fooddbdynamic.h"
#include "catalogue/savedmealtree.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/dateconversion.h"
#include "core/endrequest.h"
#include "core/notificationparam.h"
#include "diary/diarylistview.h"
#include "diary/diarypagecontent.h"
#include "diary/diaryview.h"
#include "diary/diarywidget.h"
#include "net/bxhttp.h"
#include "net/bxpublish.h"
#include "net/metrics.h"
#include "net/publishingprompt.h"
#include "net/staticdbupdater.h"
#include "net/staticdbupdaterui.h"
#include "profile/checkinwidget.h"
#include "profile/profilewizard.h"
#include "profile/settargetsdialog.h"
#include "reports/reportscontainer.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarydb.h"
#include "userdb/storednotices.h"
#include "userdb/storetransaction.h"
#include "userdb/syncdevices.h"
#include "userdb/userdb.h"


#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStatusBar>
#include <QThread>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

constexpr int MetricsAttempts = 3;
constexpr int MetricsRetryMs = 1000;
constexpr int MetricsWaitMs = 15;
constexpr int PublishAtOnceDays = 6;

bool isOpen(const QObject* item)
{
    if (const auto* action = qobject_cast<const QAction*>(item))
        return action->isEnabled();
    const auto* widget = qobject_cast<const QWidget*>(item);
    return widget && widget->isEnabled();
}

void enableAll(const QList<QPointer<QObject>>& items, bool enabled)
{
    for (QObject* item : items) {
        if (auto* action = qobject_cast<QAction*>(item))
            action->setEnabled(enabled);
        else if (auto* widget = qobject_cast<QWidget*>(item))
            widget->setEnabled(enabled);
    }
}

QByteArray todayCode()
{
    char code[DBTypes::DATE_CODE_SIZE] = {};
    DateToCode4(Clock::today(), code);
    return QByteArray(code);
}

} // namespace

QMessageBox::StandardButton MainWindow::showMessage(QMessageBox::Icon icon, const QString& caption,
                                                    const QString& text,
                                                    QMessageBox::StandardButtons buttons,
                                                    QMessageBox::StandardButton defaultButton,
                                                    const QString& acceptText,
                                                    const QString& details)
{
    // Once the end of the session was asked for, nothing is asked: no button is the answer,
    // which every caller takes as the one that does nothing.
    if (EndRequest::asked())
        return QMessageBox::NoButton;
    QMessageBox box(icon, caption, text, buttons, this);
    box.setDefaultButton(defaultButton);
    box.setDetailedText(details);
    if (!acceptText.isEmpty() && box.button(QMessageBox::Ok))
        box.button(QMessageBox::Ok)->setText(acceptText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MainWindow::_setCaption(const QString& userName, bool trailingBlank)
{
    QString caption = QStringLiteral("%1 - %2").arg(_brand()->getString("app_name"), userName);
    if (trailingBlank)
        caption += QLatin1Char(' ');
    setWindowTitle(caption);
}

// Users

bool MainWindow::execProfileWizard(QWidget* parent, bool create, DBTypes::UserProfile& profile,
                                   DBTypes::CheckinItem& checkin, DBTypes::UserPrefs& prefs)
{
    ProfileWizard wizard(parent);
    if (create)
        wizard.setWindowTitle(tr("Create Personal Profile"));
    else
        wizard.set(&profile, &checkin, &prefs);
    if (wizard.exec() != 1)
        return false;
    wizard.get(&profile, &checkin, &prefs);
    // Finish with nothing edited leaves the profile as stored, with no check-in of today.
    return wizard.isChanged();
}

bool MainWindow::switchUser(QWidget* parent, qint64 userId)
{
    const QScopedValueRollback<bool> switching(_switchingUser, true);
    _unreadUser = -1;
    UserDB* users = UserDB::instance();
    std::optional<DBTypes::UserProfile> found;
    const bool read = StorePrompt::read(parent, [users, userId, &found] {
        for (const DBTypes::UserProfile& profile :
             users->getUsersList().value_or(QList<DBTypes::UserProfile>())) {
            if (profile.userId == userId)
                found = profile;
        }
    });
    if (!read) {
        _unreadUser = userId;
        return false;
    }
    if (found && !found->isValid() && !_askProfileAgain(*found))
        return false;
    if ((!found || !found->isValid()) && !_createProfile(parent, found.has_value(), userId))
        return false;
    return _showUser(userId, parent);
}

bool MainWindow::showFirstUser(const QList<DBTypes::UserProfile>& users)
{
    for (const DBTypes::UserProfile& user : users) {
        if (switchUser(nullptr, user.userId))
            return true;
        if (user.isValid()) {
            showNoUser(users, unreadUserText(user.name));
            return true;
        }
    }
    if (users.isEmpty())
        return switchUser(nullptr, -1);
    showNoUser(users, tr("No profile is complete: choose a user from the Profile menu to complete "
                         "the profile."));
    return true;
}

bool MainWindow::_askProfileAgain(const DBTypes::UserProfile& profile)
{
    QStringList unread;
    if (profile.name.isEmpty())
        unread << tr("name");
    if (!profile.dob[0])
        unread << tr("date of birth");
    if (profile.sex == -1)
        unread << tr("sex");
    if (profile.height <= 0.5f)
        unread << tr("height");
    const QString name = profile.name.isEmpty() ? tr("A user") : profile.name;
    QStringList text{tr("%1's profile has no %2 that this program can read, and a diary needs them "
                        "all.").arg(name, unread.join(QStringLiteral(", ")))};
    // What the diary holds instead, when it holds something: told here rather than in a box
    // of its own.
    text << StoredNotices::take();
    text << tr("Enter the profile again to go on with %1's diary, or Cancel to go on to another "
               "user.").arg(name);
    return showMessage(QMessageBox::Warning, tr("Profile not complete"), text.join(QStringLiteral("\n\n")),
                       QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, tr("Enter Again"))
           == QMessageBox::Ok;
}

// Runs the wizard for a new user (or for the found user's incomplete profile) and stores it;
// the wizard shows that user's units. False when it was cancelled or not stored: the current
// user's units are back in place.
bool MainWindow::_createProfile(QWidget* parent, bool found, qint64& userId)
{
    UserDB* users = UserDB::instance();
    DBTypes::UserProfile profile;
    DBTypes::CheckinItem checkin;
    DBTypes::UserPrefs prefs;
    if (found && !StorePrompt::read(parent, [&] { prefs = users->getUserPrefs(userId).value_or(prefs); }))
        return false;
    // The units shown now come back when no user is made: nothing is read for them.
    const DBTypes::UserPrefs shown = PreferencesDialog::installedPrefs();
    installUnits(prefs);
    bool stored = execProfileWizard(parent, true, profile, checkin, prefs);
    if (stored) {
        qstrncpy(checkin.date, todayCode().constData(), sizeof checkin.date);
        stored = _storeWizardProfile(found, userId, profile, checkin, prefs);
    }
    if (!stored && ShownDay::instance()->user() >= 0)
        installUnits(shown);
    return stored;
}

// Adds the wizard's new user (its id into userId) or completes the found user's profile,
// with the first check-in, as one change; false, after telling the user, when the user
// database does not take it.
bool MainWindow::_storeWizardProfile(bool found, qint64& userId, DBTypes::UserProfile& profile,
                                     DBTypes::CheckinItem& checkin, const DBTypes::UserPrefs& prefs)
{
    UserDB* users = UserDB::instance();
    QString refusal;
    return StorePrompt::change(
        this, tr("Cannot save the profile"),
        [&] {
            refusal = tr("The profile could not be stored.");
            StoreTransaction change;
            if (!change)
                return false;
            qint64 storedId = userId;
            bool made = false;
            QString reason;
            if (found) {
                profile.userId = userId;
                made = users->updateUser(profile);
            } else if (users->addUser(profile, &storedId, &reason) && storedId >= 0) {
                // The wizard does not ask about the summary panel: the new record's choice
                // stands.
                const std::optional<DBTypes::UserPrefs> record = users->getUserPrefs(storedId);
                DBTypes::UserPrefs chosen = prefs;
                if (record)
                    chosen.showNutrientAndFluid = record->showNutrientAndFluid;
                made = record && users->setUserPrefs(storedId, chosen);
            }
            // A refused new user carries the store's own reason (the household limit, say).
            if (!reason.isEmpty())
                refusal = reason;
            checkin.userId = storedId;
            made = made && users->addCheckin(checkin, false);
            if (!change.end(made))
                return false;
            userId = storedId;
            return true;
        },
        refusal);
}

// Stores a profile change through StorePrompt; whether it was stored.
bool MainWindow::_storeProfile(const std::function<bool()>& change)
{
    return StorePrompt::change(this, tr("Cannot save the profile"), change,
                               tr("The profile could not be stored."));
}

// What a user switch reads before anything moves: the user's name, diary page and hold, and
// the check-ins page or the report when it is in front.
struct MainWindow::UserPage
{
    QString name;
    DiaryPageContent diary;
    UserHold hold;
    std::optional<CheckinWidget::Content> checkins;
    std::unique_ptr<QFrame> report;
};

// One reading, one wait and one question: reads the user's name, preferences, diary page,
// hold and the page in front whole, then makes the user current and puts the user's diary
// page, layout, units and page in front in place; the browser and the user's own catalogues
// are read for the user now current inside the same reading, and keep what they showed when
// they cannot be read. False, with the user, the day, the title and the pages as they were,
// when any of what is read first could not be read.
bool MainWindow::_showUser(qint64 userId, QWidget* parent)
{
    const QScopedValueRollback<bool> switching(_switchingUser, true);
    bool moved = false;
    StorePrompt::act(parent, StoreAction::Kind::Read, QString(), [&] {
        std::optional<UserPage> page = _readUserPage(userId);
        if (page)
            _putUserInPlace(*page);
        moved = page.has_value();
        return moved;
    });
    _unreadUser = moved ? -1 : userId;
    return moved;
}

std::optional<MainWindow::UserPage> MainWindow::_readUserPage(qint64 userId)
{
    UserPage read;
    std::optional<DBTypes::UserProfile> profile = UserDB::instance()->getProfile(userId);
    std::optional<DiaryPageContent> page = DiaryPageContent::read(userId, ShownDay::instance()->date());
    std::optional<UserHold> hold = readUserHold(userId);
    if (!profile || !page || !hold)
        return std::nullopt;
    if (_inFront(_checkinPage)) {
        read.checkins = CheckinWidget::read(userId, _checkinPage->getDate());
        if (!read.checkins)
            return std::nullopt;
    }
    if (_inFront(_reportsPage)) {
        read.report = _readReport(userId, page->prefs);
        if (!read.report)
            return std::nullopt;
    }
    read.name = profile->name;
    read.diary = std::move(*page);
    read.hold = std::move(*hold);
    return read;
}

// The report in front as the user's: read for the user and drawn in the user's units, which
// are in force while it is read; the units shown come back when it could not be read.
std::unique_ptr<QFrame> MainWindow::_readReport(qint64 userId, const DBTypes::UserPrefs& prefs)
{
    const DBTypes::UserPrefs shown = PreferencesDialog::installedPrefs();
    installUnits(prefs);
    const ShownDay::Reading reading(userId);
    std::unique_ptr<QFrame> report = _reportsPage->readReport(_reportsPage->currentReportId());
    if (!report)
        installUnits(shown);
    return report;
}

void MainWindow::_putUserInPlace(UserPage& read)
{
    const qint64 userId = read.diary.user;
    _previousUser = userId;
    _openUserActions();
    // Units first: everything shown below is written in the new user's units.
    installUnits(read.diary.prefs);
    if (_diaryPage)
        _diaryPage->showRead(read.diary);
    else
        ShownDay::instance()->show(userId, read.diary.date);
    // From no user, the diary page read is the one in front.
    if (_diaryPage && _currentPage() == WStackPage)
        mainStack->setCurrentWidget(_diaryPage);
    keepUserHold(read.hold);
    _setCaption(read.name, true);
    QAction* const layouts[] = {toggleViewModeNormal, toggleViewModeA, toggleViewModeB};
    if (read.diary.prefs.snackDisplay >= 0 && read.diary.prefs.snackDisplay < 3)
        layouts[read.diary.prefs.snackDisplay]->setChecked(true);
    {
        // Put in place as stored: showing a user writes nothing back.
        const QSignalBlocker stored(toggleFluidNutrientAction);
        toggleFluidNutrientAction->setChecked(read.diary.prefs.showNutrientAndFluid);
    }
    if (read.checkins)
        _checkinPage->showRead(*read.checkins);
    // The browser builds the user's own catalogues again as it shows the user.
    if (FoodQueryWidget* browser = _browser())
        browser->showCurrentUser();
    else
        _reloadUserCatalogues();
    if (read.report)
        _reportsPage->showReport(_reportsPage->currentReportId(), std::move(read.report));
    emit userChanged(userId);
}

// The user's own foods, exercises and saved meals are trees of the current user: the trees
// already built are built again for the user now current (or from a database started again).
void MainWindow::_reloadUserCatalogues()
{
    if (FoodDBDynamic::exists())
        FoodDBDynamic::instance()->reload(0, false);
    if (ExDBDynamic::exists())
        ExDBDynamic::instance()->reload(0, false);
    if (SavedMealTree::exists())
        SavedMealTree::instance()->reload(0, false);
}

void MainWindow::_tellStoredNotices()
{
    // The most notices one box names; it counts the others.
    constexpr qsizetype MostShown = 8;
    QStringList notices = StoredNotices::take();
    if (notices.isEmpty())
        return;
    if (const qsizetype more = notices.size() - MostShown; more > 0) {
        notices.resize(MostShown);
        notices.append(tr("... and %n more like these.", nullptr, int(more)));
    }
    notices.append(tr("The diary keeps each of these values as it is stored, and Backup Data "
                      "copies them with it. Entering a value again in its dialog replaces it."));
    showMessage(QMessageBox::Warning, tr("Values left out"), notices.join(QStringLiteral("\n\n")),
                QMessageBox::Ok, QMessageBox::Ok);
}

void MainWindow::fromProfileMenuSwitchUser(qint64 id)
{
    const qint64 shown = ShownDay::instance()->user();
    if (id == shown || switchUser(this, id))
        return;
    if (shown < 0 && _unreadUser == id)
        showNoUser(_users, unreadUserText(_heldName(id)));
    // A switch that did not happen leaves the menu marking the user shown.
    for (QAction* item : std::as_const(_userActions))
        item->setChecked(item->data().toLongLong() == shown);
}

std::optional<MainWindow::UserHold> MainWindow::readUserHold(qint64 user)
{
    UserDB* users = UserDB::instance();
    std::optional<QList<DBTypes::UserProfile>> list = users->getUsersList();
    std::optional<TipOfTheDay::UserState> tips = TipOfTheDay::readUserState(user);
    const std::optional<DBTypes::UserPrefs> prefs = users->getUserPrefs(user);
    if (!list || !tips || !prefs)
        return std::nullopt;
    return UserHold{std::move(*list), std::move(*tips), prefs->snackDisplay};
}

QString MainWindow::restoreHint()
{
    // The way out of damage only where SQLite found the diary damaged when it read it again.
    if (!BXSqlDb::damageProven())
        return QString();
    return tr("A damaged diary can be replaced by your latest backup with Restore Data in the File "
              "menu.");
}

QString MainWindow::unreadUserText(const QString& name)
{
    return (tr("%1's diary could not be read, so no day is shown. Choose %1 in the Users menu to "
               "try again.").arg(name)
            + QLatin1Char(' ') + restoreHint())
        .trimmed();
}

QString MainWindow::noUserReadText()
{
    return (tr("The diary's users could not be read, so no diary is shown.") + QLatin1Char(' ')
            + restoreHint())
        .trimmed();
}

void MainWindow::showNoUser(const QList<DBTypes::UserProfile>& users, const QString& told)
{
    ShownDay::instance()->show(-1, Clock::today());
    const qint64 first = users.isEmpty() ? -1 : users.first().userId;
    keepUserHold({users, TipOfTheDay::UserState{first, -1, {}}, 0});
    _closeUserActions(!users.isEmpty());
    setWindowTitle(_brand()->getString("app_name"));
    // No page is in front: the pages hold no day to show.
    mainStack->setCurrentWidget(WStackPage);
    if (!_noUserText) {
        _noUserText = new QLabel;
        _noUserText->setWordWrap(true);
        statusBar()->addWidget(_noUserText, 1);
    }
    _noUserText->setText(told);
    statusBar()->show();
}

void MainWindow::_closeUserActions(bool usersRead)
{
    enableAll(std::exchange(_closedOnNoUser, {}), true);
    // The actions of a closed menu are closed with it, so that no shortcut reaches them.
    QList<QObject*> closing{centralWidget(), _toolBar};
    for (QAction* menu : menuBar()->actions()) {
        if (menu->menu() != fileMenu && menu->menu() != usersMenu && menu->menu() != helpMenu)
            closing << menu;
    }
    for (qsizetype i = 2; i < closing.size(); ++i) {
        if (QMenu* menu = static_cast<QAction*>(closing.at(i))->menu())
            closing << QList<QObject*>(menu->actions().cbegin(), menu->actions().cend());
    }
    closing << fileBackup_DatabasesAction << csvExportAction << pageSetupAction << printPreviewAction
            << printAction << helpResetTipAction << optionsSet_Nutritional_TargetsAction
            << optionsPersonal_ProfileAction;
    if (!usersRead)
        closing << optionsCreateUsersAction;
    // Only what is open now is opened again with a user: the rest keeps its own state.
    for (QObject* item : std::as_const(closing)) {
        if (isOpen(item))
            _closedOnNoUser << item;
    }
    enableAll(_closedOnNoUser, false);
}

void MainWindow::_openUserActions()
{
    enableAll(std::exchange(_closedOnNoUser, {}), true);
    // The tool bar's buttons follow their actions once they are open again.
    _toolBar->updateButtonStates();
    delete _noUserText;
    statusBar()->hide();
}

QString MainWindow::_heldName(qint64 id) const
{
    for (const DBTypes::UserProfile& user : _users) {
        if (user.userId == id)
            return user.name;
    }
    return QString();
}

void MainWindow::keepUserHold(const UserHold& hold)
{
    _users = hold.users;
    TipOfTheDay::keepUserState(hold.tips);
    if (FoodQueryWidget* browser = _browser())
        browser->setSnackDisplay(hold.snackDisplay);
    refreshProfileMenu();
}

// The wizard opens at once: the count is that of the users held, and the new user is made
// and then shown, with nothing read before.
void MainWindow::fromProfileMenuCreateUser()
{
    if (_users.size() >= UserDB::MaxFamilyUsers) {
        showMessage(QMessageBox::Information, tr("Create User"),
                    tr("This program keeps at most %1 users. Delete a user before you create "
                       "a new one.")
                        .arg(UserDB::MaxFamilyUsers),
                    QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    qint64 made = -1;
    if (_createProfile(this, false, made))
        switchUser(this, made);
}

// Built from the users held: opening or refreshing the menu never reads the diary.
void MainWindow::refreshProfileMenu()
{
    if (optionsCreateUsersAction)
        optionsCreateUsersAction->setEnabled(_users.size() < UserDB::MaxFamilyUsers
                                             && !_closedOnNoUser.contains(optionsCreateUsersAction));
    const bool family = _brand()->idExists("feature.family") && _brand()->getBool("feature.family");
    if (deleteUserMenu) {
        deleteUserMenu->clear();
        // A menu with no user to delete is closed.
        deleteUserMenu->menuAction()->setEnabled(!_users.isEmpty());
    }
    qDeleteAll(_userActions);
    _userActions.clear();
    _usersSeparator->setVisible(family);
    if (!family)
        return;
    delete _usersGroup;
    _usersGroup = new QActionGroup(this);
    _usersGroup->setExclusive(true);
    const qint64 current = ShownDay::instance()->user();
    for (const DBTypes::UserProfile& user : std::as_const(_users)) {
        const qint64 id = user.userId;
        QAction* item = usersMenu->addAction(user.name);
        item->setCheckable(true);
        item->setData(id);
        item->setChecked(id == current);
        _usersGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, id] { fromProfileMenuSwitchUser(id); });
        _userActions.append(item);
        if (deleteUserMenu) {
            QAction* remove = deleteUserMenu->addAction(user.name);
            remove->setData(id);
            connect(remove, &QAction::triggered, this, [this, id] { fromProfileMenuDeleteUser(id); });
        }
    }
}

// Asks with the name the menu shows, then deletes in one change: one wait, one question while
// another program holds the diary, and nothing else read or changed when it was not deleted.
void MainWindow::fromProfileMenuDeleteUser(qint64 id)
{
    const QString name = _heldName(id);
    if (showMessage(QMessageBox::Question, tr("Delete user..."),
                    tr("Are you sure you want to delete user \"%1\"?").arg(name),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (showMessage(QMessageBox::Question, tr("Are you sure?"),
                    tr("Clicking YES will delete everything associated with \"%1\".").arg(name),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    const bool deleted = StorePrompt::change(
        this, tr("User not deleted"), [id] { return UserDB::instance()->deleteUser(id) == 0; },
        tr("Profile \"%1\" cannot be deleted at this time. Please try again later.").arg(name));
    if (!deleted)
        return;
    showMessage(QMessageBox::Information, tr("User is deleted"),
                tr("All records associated with \"%1\" have been purged.").arg(name),
                QMessageBox::Ok, QMessageBox::Ok);
    _users.removeIf([id](const DBTypes::UserProfile& user) { return user.userId == id; });
    refreshProfileMenu();
    if (!_users.isEmpty()) {
        const DBTypes::UserProfile next = _users.first();
        // A deleted user is never left shown: without the next user's page, no user is.
        if (!switchUser(this, next.userId) && ShownDay::instance()->user() == id)
            showNoUser(_users, unreadUserText(next.name));
    } else if (!switchUser(this, -1)) {
        showMessage(QMessageBox::Critical, tr("User creation canceled."),
                    tr("You must finish the profile before you can use this program."),
                    QMessageBox::Ok, QMessageBox::Ok, tr("Quit"));
        quitProgram();
        return;
    }
    refreshCurrentWidget();
}

void MainWindow::quitProgram()
{
    QCoreApplication::exit(1);
}

void MainWindow::setPersonalProfile()
{
    UserDB* users = UserDB::instance();
    const qint64 user = ShownDay::instance()->user();
    DBTypes::UserProfile profile;
    DBTypes::CheckinItem checkin;
    DBTypes::UserPrefs prefs;
    // What the wizard shows, and stores back, is read whole or not at all.
    if (!StorePrompt::read(this, [&] {
            profile = users->getProfile(user).value_or(profile);
            checkin = users->getCheckin(user, todayCode().constData()).value_or(checkin);
            prefs = users->getUserPrefs(user).value_or(prefs);
        }))
        return;
    if (execProfileWizard(this, false, profile, checkin, prefs)) {
        if (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        // The window shows the profile as stored: nothing of it when it was not.
        if (!_storeProfile([&] { return users->storeProfileChange(&profile, checkin, prefs); }))
            return;
        BXSettings settings;
        settings.writeEntry(QStringLiteral("sync/uploadOnExit"), false);
        _setCaption(profile.name, false);
        for (DBTypes::UserProfile& held : _users) {
            if (held.userId == user)
                held.name = profile.name;
        }
    }
    refreshCurrentWidget();
}

bool MainWindow::execTargetsDialog(DBTypes::CheckinItem& checkin, DBTypes::UserPrefs& prefs)
{
    SetTargetsDialog dialog(this, "SetTargetsDialog", true);
    dialog.load(checkin, prefs);
    // OK with nothing edited leaves the targets as stored, on no new date.
    if (dialog.exec() != 1 || !dialog.isChanged())
        return false;
    dialog.get(&checkin, &prefs);
    return true;
}

void MainWindow::setTargets()
{
    if (!_diaryPage)
        return;
    UserDB* users = UserDB::instance();
    const qint64 user = ShownDay::instance()->user();
    const QByteArray date = _diaryPage->getDate().toString(QStringLiteral("yyyyMMdd")).toLatin1();
    DBTypes::CheckinItem checkin;
    DBTypes::UserPrefs prefs;
    if (!StorePrompt::read(this, [&] {
            checkin = users->getCheckin(user, date.constData()).value_or(checkin);
            prefs = users->getUserPrefs(user).value_or(prefs);
        }))
        return;
    if (!execTargetsDialog(checkin, prefs))
        return;
    if (!_storeProfile([&] { return users->storeProfileChange(nullptr, checkin, prefs); }))
        return;
    emit signalTargetUpdate(checkin, prefs);
}

bool MainWindow::execPreferences()
{
    std::unique_ptr<PreferencesDialog> dialog(PreferencesDialog::construct(this));
    return dialog->prefsRead() && dialog->exec() == QDialog::Accepted;
}

void MainWindow::installUnits(const DBTypes::UserPrefs& prefs)
{
    PreferencesDialog::setPrefs(prefs);
}

void MainWindow::setPreferences()
{
    if (execPreferences())
        refreshCurrentWidget();
}

void MainWindow::displayAbout()
{
    std::unique_ptr<AboutDialog> dialog(AboutDialog::construct(this));
    dialog->exec();
}

void MainWindow::myClose()
{
    close();
}

// Publishing

bool MainWindow::preparePublisher()
{
    BxPublish publisher(this);
    return publisher.prepare();
}

void MainWindow::publishNow()
{
    BxPublish publisher(this);
    if (publisher.prepare())
        publisher.publish();
}

bool MainWindow::askPublishingChoice(bool show, bool* discard)
{
    std::unique_ptr<PublishingPrompt> prompt(PublishingPrompt::construct(this));
    if (!prompt->datesRead() || (show && prompt->exec() == 0))
        return false;
    *discard = prompt->radioDiscard->isChecked();
    return true;
}

bool MainWindow::_publishOnQuitDue(bool* ask)
{
    *ask = false;
    // A brand without publishing, or a window on no user, reads nothing for it.
    if (!(_brand()->idExists("publish_enabled") && _brand()->getBool("publish_enabled"))
        || ShownDay::instance()->user() < 0)
        return false;
    if (_brand()->idExists("publish_on_quit_forced") && _brand()->getBool("publish_on_quit_forced"))
        return true;
    // Read in one reading, told when it could not be: unread preferences never pass for "no
    // publishing at quit" unsaid.
    std::optional<DBTypes::UserPrefs> prefs;
    if (!StorePrompt::read(this, [&prefs] {
            prefs = UserDB::instance()->getUserPrefs(ShownDay::instance()->user());
        }) || !prefs)
        return false;
    *ask = prefs->askBeforePublish;
    return !prefs->webUserName.isEmpty() && prefs->autoPublish;
}

void MainWindow::publishDay()
{
    BXSettings settings;
    const QString last = settings.readEntry(QStringLiteral("LastSyncDate"));
    if (!preparePublisher())
        return;
    // A stored value that is no date code counts as never published.
    const QByteArray code = last.trimmed().toLatin1();
    const QDate lastDate = code.size() == 8 ? DateFromCode4(code.constData()) : QDate();
    if (lastDate.isValid() && lastDate >= Clock::today().addDays(-PublishAtOnceDays)) {
        publishNow();
        return;
    }
    const bool forced = _brand()->idExists("publish_on_quit_forced") && _brand()->getBool("publish_on_quit_forced");
    bool discard = false;
    if (!askPublishingChoice(!forced, &discard))
        return;
    if (!discard) {
        publishNow();
        return;
    }
    const qint64 user = ShownDay::instance()->user();
    // Discarded as one change: what stays unmarked is offered again next time, all of it.
    StorePrompt::change(this, QString(), [user] {
        StoreTransaction change;
        if (!change)
            return false;
        const qint64 website = SyncDevices::find("website");
        UserDB* users = UserDB::instance();
        return change.end(
            DiaryDB::instance()->resetItemStatus(user)
            && users->clearSyncTable(QStringLiteral("water_diary_sync"), user, website, nullptr, nullptr)
            && users->clearSyncTable(QStringLiteral("user_checkins_sync"), user, website, nullptr, nullptr));
    }, tr("The unpublished changes could not be discarded."));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The pages go with the close. While a dialog or menu runs its own loop inside a method of
    // the window or of a page, the window stays: a page deleted under that loop would be used,
    // and its dialog deleted again, once the loop returns.
    if (QThread::currentThread()->loopLevel() > 1) {
        event->ignore();
        return;
    }
    if (BXSqlDb::isUp()) {
        bool ask = false;
        if (_publishOnQuitDue(&ask) && preparePublisher()) {
            const bool publish = !ask
                || showMessage(QMessageBox::Question, tr("%1 Web Publish").arg(_brand()->getString("web_address")),
                               tr("Do you want to publish new diary entries to the online diary now?"),
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
                    == QMessageBox::Yes;
            if (publish)
                publishDay();
        }
    }
    event->accept();
    // The program ends with this window: a parentless one shown beside it (Help) would keep it
    // running unseen, taking the wake-up of every later start, so it closes too.
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (other != this && !other->parentWidget() && other->isVisible()
            && other->testAttribute(Qt::WA_QuitOnClose))
            other->close();
    }
    _saveGeometry();
    // Taking the pages out must not show the next one, which would read the database (closed
    // while the handheld synchronisation has it): the page shown goes last.
    mainStack->blockSignals(true);
    mainStack->hide();
    QList<int> ids = _pages.keys();
    std::stable_partition(ids.begin(), ids.end(),
                          [this](int id) { return _pages.value(id) != mainStack->currentWidget(); });
    for (const int id : ids) {
        QWidget* page = _pages.take(id);
        if (page == static_cast<QWidget*>(_diaryPage))
            _diaryPage = nullptr;
        if (page == static_cast<QWidget*>(_checkinPage))
            _checkinPage = nullptr;
        if (page == static_cast<QWidget*>(_reportsPage))
            _reportsPage = nullptr;
        delete page;
    }
}

// Start-up checks and online services

void MainWindow::appAboutToStart()
{
    BXSettings settings;
    const int interval = settings.getInt(BXSettings::StaticDbUpdateInterval);
    const QDateTime now = Clock::now();
    QDateTime last = QDateTime::fromString(settings.getString(BXSettings::StaticDbLastUpdate), Qt::ISODate);
    if (!last.isValid()) {
        last = now;
        settings.setString(BXSettings::StaticDbLastUpdate, now.toString(Qt::ISODate));
    }
    // Only a brand that offers updates and names a feed is ever checked.
    const bool updates = _brand()->idExists("update_enabled") && _brand()->getBool("update_enabled")
        && _brand()->idExists("update_rss_url");
    if (updates && interval != -1 && last.daysTo(now) >= interval) {
        startUpdateCheck();
        settings.setString(BXSettings::StaticDbLastUpdate, now.toString(Qt::ISODate));
    }
    refreshEditMenu(DiaryContext, 0);
    TipOfTheDay* tips = TipOfTheDay::instance();
    // Shown from the event loop, so that the program's own loop runs (and can be ended)
    // while the tip is on screen, and never over a box that opened first.
    // A tip state that could not be read with the user shows no tip.
    const int stored = TipOfTheDay::heldTipOfTheDay().value_or(-1);
    if (stored < 0)
        return;
    // The stored tip is the one the user closed last time: today's is the one after it.
    if (stored > 0)
        tips->nextTip();
    UserTurn::post(tips, [tips] { tips->exec(); });
}

void MainWindow::startUpdateCheck()
{
    StaticDbUpdater* updater = StaticDbUpdater::instance();
    // The update's dialogs run their own event loops: they start once the check's signals
    // have returned.
    connect(updater, &StaticDbUpdater::checkFinished, this, &MainWindow::autoUpdateDatabases,
            Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
    updater->checkForUpdate();
}

void MainWindow::stopUpdateCheck()
{
    disconnect(StaticDbUpdater::instance(), &StaticDbUpdater::checkFinished, this,
               &MainWindow::autoUpdateDatabases);
}

void MainWindow::runDatabaseUpdate()
{
    StaticDbUpdaterUI(this).doUpdate(false);
}

void MainWindow::updateDatabases()
{
    stopUpdateCheck();
    runDatabaseUpdate();
}

void MainWindow::autoUpdateDatabases(bool)
{
    stopUpdateCheck();
    // The check ran unasked: its dialogs wait until no other box is open.
    UserTurn::post(this, [this] { runDatabaseUpdate(); });
}

QObject* MainWindow::createMetricsUploader()
{
    return new Metrics(nullptr, "metrics");
}

void MainWindow::startMetricsUpload(QObject* uploader)
{
    static_cast<Metrics*>(uploader)->start();
}

QString MainWindow::metricsError(QObject* uploader) const
{
    return static_cast<Metrics*>(uploader)->getLastError();
}

void MainWindow::sendMetrics()
{
    if (!BXSqlDb::isUp() || UserDB::instance()->numUsers().value_or(0) == 0) {
        _atUsersTurn(MetricsWaitMs, &MainWindow::sendMetrics);
        return;
    }
    if (!_metrics) {
        _metrics = createMetricsUploader();
        // A failure is shown in a message box, never inside the upload's own signals.
        connect(_metrics, SIGNAL(done(bool)), this, SLOT(metricsDone(bool)), Qt::QueuedConnection);
        connect(_metrics, SIGNAL(uploadOk()), this, SLOT(resetUserMetrics()));
    }
    _metricsAttempts = 0;
    if (BXHttp::isConnected())
        startMetricsUpload(_metrics);
}

void MainWindow::metricsDone(bool error)
{
    if (!error) {
        _metrics->deleteLater();
        _metrics = nullptr;
        return;
    }
    ++_metricsAttempts;
    if (_metricsAttempts < MetricsAttempts) {
        _atUsersTurn(MetricsRetryMs, &MainWindow::_retryMetrics);
        return;
    }
    const QString text = tr("Please contact technical support with the following message\nError: ")
        + metricsError(_metrics);
    UserTurn::post(this, [this, text] {
        showMessage(QMessageBox::Critical, tr("Cannot send metrics"), text, QMessageBox::Ok,
                    QMessageBox::Ok);
    });
}

void MainWindow::_retryMetrics()
{
    if (_metrics)
        startMetricsUpload(_metrics);
}

void MainWindow::resetUserMetrics()
{
    // The report carries the data of the user who was current when it was built, who need
    // not be the current one any more.
    const auto* metrics = qobject_cast<const Metrics*>(sender());
    const qint64 user = metrics ? metrics->reportedUser() : ShownDay::instance()->user();
    // The report was sent: counts not cleared would be sent again with the next one. The reply
    // may come while a question is open: the change waits for it.
    UserTurn::post(this, [this, user] {
        StorePrompt::change(this, tr("Cannot send metrics"),
                            [user] { return UserDB::instance()->resetMetrics(user); },
                            tr("The counts that were sent could not be cleared."));
    });
}

// What a timer brings reads the diary: it runs once no question is open and no action runs a
// loop of its own (a user switch asking to try again, say), never inside one.
void MainWindow::_atUsersTurn(int milliseconds, void (MainWindow::*call)())
{
    QTimer::singleShot(milliseconds, this, [this, call] { UserTurn::post(this, [this, call] { (this->*call)(); }); });
}

// Instance messages

void MainWindow::_runSyncWait(QWidget* parent, const QString& text)
{
    BXSqlDb::cleanUp();
    _syncDialog = SyncDialog::construct(parent);
    if (!text.isEmpty())
        _syncDialog->textLabel()->setText(text);
    _syncDialog->setModal(true);
    _syncDialog->setMinimumSize(100, 100);
    _syncDialog->exec();
    // Still ours when the program closed it rather than "Start up!": the session ends.
    if (_syncDialog) {
        _syncDialog->deleteLater();
        _syncDialog = nullptr;
    }
}

void MainWindow::processMessage(const QString& message)
{
    if (_copying) {
        // The user database file is being copied; the message waits for the copy to end.
        _heldMessages.append(message);
        return;
    }
    if (_switchingUser) {
        // Heard inside a question of the switch (another program holds the diary): it acts
        // once the switch has ended, back in the program's own loop.
        UserTurn::post(this, [this, message] { processMessage(message); });
        return;
    }
    // A wake-up is the application's: it brings the dialog in front as well as this window.
    if (message == QLatin1String("Shut down!")) {
        if (!_syncDialog)
            _runSyncWait(this, QString());
    } else if (message == QLatin1String("Start DB Backup")) {
        if (!_syncDialog)
            _runSyncWait(nullptr, tr("Please wait. Backing up database"));
    } else if (message == QLatin1String("Start up!")) {
        if (BXSqlDb::isUp() && !_syncDialog) {
            refreshCurrentWidget();
            return;
        }
        QString error;
        if (!restartUserDatabase(&error)) {
            showMessage(QMessageBox::Critical, tr("Error after sync"),
                        tr("Cannot start application after sync: %1").arg(error), QMessageBox::Ok,
                        QMessageBox::Ok);
            quitProgram();
            return;
        }
        if (_syncDialog) {
            SyncDialog* dialog = _syncDialog;
            _syncDialog = nullptr;
            dialog->done(QDialog::Accepted);
            dialog->deleteLater();
        }
        // The synchronisation may have changed the user's own foods and exercises: they are
        // read again with the page shown, in one reading.
        StorePrompt::act(this, StoreAction::Kind::Read, QString(), [this] {
            _reloadUserCatalogues();
            return _reloadCurrentPage();
        });
        refreshProfileMenu();
    }
}
