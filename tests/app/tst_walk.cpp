// A walk through the main window: long random runs of what a user does (menus, tool bar, tabs,
// searches, rows, keys, Add, users, dialogs answered every way), checking the window's promises
// by id after every step. Each run prints its seed; PANTREL_WALK_SEED replays one,
// PANTREL_WALK_STEPS sets how many steps each run takes and PANTREL_WALK_TRACE prints one line
// a step. The walk's choices and the answers to dialogs come from streams of their own, the
// answers' seeded by the step, and every run starts from the same files: a seed replays exactly.

#include "mainwindowdoubles.h"

#include "browser/addfoodpopupmenu.h"
#include "browser/browseritemflags.h"
#include "browser/draglistview.h"
#include "browser/exercisewidget.h"
#include "browser/foodquerywidget.h"
#include "browser/foodviewitem.h"
#include "browser/foodwidget.h"
#include "catalogue/catalogueservices.h"
#include "core/numberparser.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "diary/diarylistview.h"
#include "diary/diarylistviewitem.h"
#include "diary/diaryview.h"
#include "diary/diarywidget.h"
#include "profile/datelineedit.h"
#include "profile/profilewizard.h"
#include "userdb/diarydb.h"
#include "userdb/savedmealdb.h"
#include "widgets/bxtoolbar.h"
#include "widgets/bxtoolbarbutton.h"
#include "widgets/expandingtabbar.h"
#include "widgets/screenfit.h"
#include "widgets/searchlineedit.h"
#include "tests/support/scriptedprompter.h"

#include <QAbstractEventDispatcher>
#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTest>
#include <QTemporaryFile>
#include <QTextDocumentFragment>
#include <QTimer>

#include <algorithm>
#include <cmath>

using namespace MainWindowTest;

namespace {

constexpr QSize SmallScreen(1024, 600);

// About two minutes of walking in the ordinary build. Under the sanitizers a step takes about
// twice as long, and the suite runs a test beside every core: the walks are shorter, so that a
// loaded machine stays well within the test's time limit.
#if defined(__SANITIZE_ADDRESS__)
constexpr int StepsEach = 160;
#else
constexpr int StepsEach = 400;
#endif
constexpr quint32 Seeds = 24;

// How the walk answered a question.
enum class Answer { Accept, Refuse };

// What one step asked and how it was answered.
struct StepLog
{
    QStringList said;
    bool refused = false;
    bool accepted = false;
    // The step replaced the diary: what it holds was not made by the step.
    bool replaced = false;
    // Progress dialogs the user stopped, and what was told after a stop.
    QList<QPointer<QProgressDialog>> stopped;
    QStringList toldAfterStop;

    void note(Answer answer, const QString& what)
    {
        (answer == Answer::Refuse ? refused : accepted) = true;
        said.append(what);
    }
    // Every question of the step was refused: nothing it asked about may change.
    bool onlyRefused() const { return refused && !accepted; }
};

// What Add was asked to store: the panel's item as shown.
struct Shown
{
    enum Kind { None, Food, SavedMeal, Exercise } kind = None;
    qint64 id = 0;
    int servingId = 0;
    QString serving;
    double amount = 0.0;
    float minutes = 0.0f;
    QString name;
};

// Reads the diary file by a connection of its own.
template<typename Read>
void readDiaryFile(const Read& read)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("walkread"));
        db.setDatabaseName(databaseFile());
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open())
            read(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("walkread"));
}

// The user's own items of every kind the browser lists, keyed by table and id, with their names.
QMap<QString, QString> ownItems()
{
    QMap<QString, QString> items;
    readDiaryFile([&items](QSqlDatabase& db) {
        const QList<QPair<QString, QString>> tables = {
            {QStringLiteral("custom_foods"), QStringLiteral("SELECT food_id, name FROM custom_foods")},
            {QStringLiteral("custom_food_cats"), QStringLiteral("SELECT category_id, name FROM custom_food_cats")},
            {QStringLiteral("custom_exercises"), QStringLiteral("SELECT activity_id, description FROM custom_exercises")},
            {QStringLiteral("custom_exercise_cats"),
             QStringLiteral("SELECT category_id, description FROM custom_exercise_cats")},
            {QStringLiteral("saved_meals"), QStringLiteral("SELECT group_id, name FROM group_diary WHERE status = 1")},
            {QStringLiteral("favorites"),
             QStringLiteral("SELECT item_type || ':' || item_id, user_id FROM favorites")},
            {QStringLiteral("user_users"), QStringLiteral("SELECT user_id, name FROM user_users")},
        };
        for (const auto& [table, sql] : tables) {
            QSqlQuery rows(sql, db);
            while (rows.next())
                items.insert(table + QLatin1Char('/') + rows.value(0).toString(), rows.value(1).toString());
        }
    });
    return items;
}

// The files the window writes (diary, backups, settings), each with a digest of its content;
// locks and the database's shared-memory index, which readers write too, are left out.
QMap<QString, QByteArray> filesIn(const QStringList& folders)
{
    QMap<QString, QByteArray> files;
    for (const QString& folder : folders) {
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString name = it.fileName();
            if (name.endsWith(QLatin1String("-shm")) || name.contains(QLatin1String("lock"))
                || name.endsWith(QLatin1String(".probe")) || name.endsWith(QLatin1String(".channel")))
                continue;
            QFile file(path);
            files.insert(path, file.open(QIODevice::ReadOnly)
                                   ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                   : QByteArray("unread"));
        }
    }
    return files;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Lets the program finish what the step set going, as its own loop does while the user looks:
// calls held for the user's turn run now, never in a later step.
// A key that presses a button shows it down a moment before the click: the click is the step's.
void settle()
{
    const auto pressed = [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            const QList<QAbstractButton*> inside = window->findChildren<QAbstractButton*>();
            if (std::any_of(inside.begin(), inside.end(), [](QAbstractButton* b) { return b->isDown(); }))
                return true;
        }
        return false;
    };
    for (int pass = 0; pass < 4 || (pressed() && pass < 100); ++pass) {
        QEventLoop loop;
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop,
                         &QEventLoop::quit);
        loop.exec();
        if (pass >= 3 && pressed())
            QTest::qWait(10);
    }
}

// Answers every question of the prompter at random, as a user might: a button, a name, a
// number or a menu entry, or Escape.
class WalkPrompter : public ScriptedPrompter
{
public:
    std::function<quint32(quint32)> pick;
    std::function<void(Answer, const QString&)> note;
    // The meal of the last Add menu entry chosen; 0 when none was.
    int chosenMeal = 0;

    QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton,
                                        QMessageBox::StandardButton escape) override
    {
        QList<QMessageBox::StandardButton> offered;
        for (int bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
            if (buttons.testFlag(QMessageBox::StandardButton(bit)))
                offered.append(QMessageBox::StandardButton(bit));
        }
        const int chosen = offered.isEmpty() ? -1 : int(pick(quint32(offered.size()) + 1)) - 1;
        const QMessageBox::StandardButton button = chosen < 0 ? escape : offered.at(chosen);
        answer(int(button));
        note(offered.size() > 1 && button == escape ? Answer::Refuse : Answer::Accept,
             QStringLiteral("question \"%1\" %2").arg(caption).arg(int(button)));
        return ScriptedPrompter::message(parent, icon, caption, text, buttons, defaultButton, escape);
    }

    int choice(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
               const QStringList& buttonTexts, int defaultIndex, int escapeIndex) override
    {
        const int chosen = int(pick(quint32(buttonTexts.size()) + 1)) - 1;
        const int index = chosen < 0 ? escapeIndex : chosen;
        answer(index);
        note(buttonTexts.size() > 1 && index == escapeIndex ? Answer::Refuse : Answer::Accept,
             QStringLiteral("choice \"%1\" %2").arg(caption).arg(index));
        return ScriptedPrompter::choice(parent, icon, caption, text, buttonTexts, defaultIndex, escapeIndex);
    }

    QString getText(QWidget* parent, const QString& caption, const QString& label, const QString& text,
                    bool* ok, const QString& help) override
    {
        static const QStringList names = {QStringLiteral("Walk snacks"), QStringLiteral("Crème brûlée"),
                                          QString(), QStringLiteral("  "), QStringLiteral("Banana bread")};
        const bool given = pick(3) != 0;
        if (given)
            answer(names.at(int(pick(quint32(names.size())))));
        note(given ? Answer::Accept : Answer::Refuse, QStringLiteral("text"));
        return ScriptedPrompter::getText(parent, caption, label, text, ok, help);
    }

    double getDouble(QWidget* parent, const QString& caption, const QString& label, double value, double minValue,
                     double maxValue, int decimals, bool* ok, const QString& help, const QString& field) override
    {
        const bool given = pick(3) != 0;
        if (given)
            answer(minValue + (maxValue - minValue) * double(pick(1000)) / 1000.0);
        note(given ? Answer::Accept : Answer::Refuse, QStringLiteral("number"));
        return ScriptedPrompter::getDouble(parent, caption, label, value, minValue, maxValue, decimals, ok, help,
                                           field);
    }

    QAction* popup(QMenu* menu, const QPoint& at) override
    {
        QList<QAction*> entries;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator() && action->isEnabled() && action->isVisible())
                entries.append(action);
        }
        const bool given = !entries.isEmpty() && pick(4) != 0;
        QAction* chosen = given ? entries.at(int(pick(quint32(entries.size())))) : nullptr;
        if (chosen)
            answer(chosen->text());
        chosenMeal = chosen && qobject_cast<AddFoodPopupMenu*>(menu)
                         ? AddFoodPopupMenu::mealOf(chosen->data().toInt()) : 0;
        note(given ? Answer::Accept : Answer::Refuse,
             QStringLiteral("menu %1").arg(chosen ? chosen->text() : QStringLiteral("Escape")));
        return ScriptedPrompter::popup(menu, at);
    }
};

// The main window whose message boxes the walk answers.
class WalkWindow : public ScriptedMainWindow
{
public:
    std::function<QMessageBox::StandardButton(QMessageBox::Icon, const QString&, QMessageBox::StandardButtons)>
        answerBox;

protected:
    QMessageBox::StandardButton showMessage(QMessageBox::Icon icon, const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton, const QString& acceptText,
                                            const QString& details) override
    {
        ScriptedMainWindow::showMessage(icon, caption, text, buttons, defaultButton, acceptText, details);
        return answerBox(icon, caption, buttons);
    }
};

} // namespace

class TestWalk : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void walk_data();
    void walk();
    void replays();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    quint32 pick(quint32 bound) { return bound ? _random.bounded(bound) : 0; }
    quint32 answerPick(quint32 bound) { return bound ? _answers.bounded(bound) : 0; }
    template<typename T>
    T pickOf(const QList<T>& list) { return list.at(int(pick(quint32(list.size())))); }

    void startAfresh();
    // Runs one walk from fresh files; the trace holds one line a step.
    void walkOnce(quint32 seed, int steps);
    void step();
    void triggerAction();
    void switchTab();
    void search();
    void selectRow();
    void pressKey();
    void addShown();
    void diaryKey();

    void answer(const QPointer<QWidget>& shown, int attempt);
    void stopProgress(QProgressDialog* progress);
    bool completeWizard(ProfileWizard* wizard);
    QMessageBox::StandardButton answerBox(QMessageBox::Icon icon, const QString& caption,
                                          QMessageBox::StandardButtons buttons);

    void checkPromises(const QMap<QString, QByteArray>& filesBefore, const QMap<QString, QString>& itemsBefore,
                       const std::optional<DBTypes::DiaryDay>& dayBefore);
    void checkMadeIsCurrent(const QMap<QString, QString>& itemsBefore);
    void checkPanel();
    void checkAdded(const std::optional<DBTypes::DiaryDay>& dayBefore);
    void checkDiary();
    void checkEditOffers();
    void checkStopped();
    void checkFits(QWidget* window);

    Shown shownItem();
    std::optional<DBTypes::DiaryDay> shownDay() const;
    FoodQueryWidget* browser() const { return _window->diaryPage()->foodQueryWidget3; }
    DiaryListView* diaryList() const { return _window->diaryPage()->diaryView1->mealView; }
    QStringList writtenFolders() const
    {
        return {BXSettings::getUserDBPath(), _backups.path(), QFileInfo(BXSettings().fileName()).path()};
    }

    quint32 _seed = 0;
    QRandomGenerator _random;
    QRandomGenerator _answers;
    QPointer<WalkWindow> _window;
    WalkPrompter* _prompter = nullptr;
    QTemporaryDir _backups;
    QByteArray _settings;
    StepLog _log;
    Shown _added;
    QStringList _trace;
    // Whether the diary's list, rather than the browser, had the focus last.
    bool _diaryInFront = true;
};

void TestWalk::initTestCase()
{
    loadBrand(BrandSwitches());
    // Every window is fitted to its screen, as the program's are.
    ScreenFit::install();
    QVERIFY(_backups.isValid());
    _settings = readAll(BXSettings().fileName());
}

void TestWalk::cleanupTestCase()
{
    CatalogueServices::cleanUp();
    BXSqlDb::cleanUp();
    UserDB::cleanUp();
    BrandEngine::cleanUp();
}

// The same files before every run: a fresh diary with two users, Ann's two saved meals, no
// backups, the settings as the test found them.
void TestWalk::startAfresh()
{
    CatalogueServices::cleanUp();
    startFreshDatabase();
    CatalogueServices::install();
    QFile settings(BXSettings().fileName());
    if (settings.open(QIODevice::WriteOnly | QIODevice::Truncate))
        settings.write(_settings);
    settings.close();
    for (const QString& name : QDir(_backups.path()).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(_backups.filePath(name));
    const qint64 ann = addUser(QStringLiteral("Ann"));
    UserDB::instance()->setCurrentUser(ann);
    addUser(QStringLiteral("Bob"));
    // Two saved meals of Ann's, so that the panel shows one after the other.
    DBTypes::FoodDiaryItem toast;
    toast.desc = QStringLiteral("Toast");
    toast.servingDesc = QStringLiteral("slice");
    toast.size = 1.0f;
    toast.values.kind = 'F';
    SavedMealDB::instance()->storeMeal(ann, -1, "Lunch box", {toast}, true);
    SavedMealDB::instance()->storeMeal(ann, -1, "Supper", {toast, toast}, true);
}

void TestWalk::walk_data()
{
    QTest::addColumn<quint32>("seed");
    const QByteArray given = qgetenv("PANTREL_WALK_SEED");
    if (!given.isEmpty()) {
        QTest::newRow("given") << quint32(given.toUInt());
        return;
    }
    for (quint32 seed = 1; seed <= Seeds; ++seed)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

void TestWalk::walk()
{
    QFETCH(quint32, seed);
    const int steps = qEnvironmentVariableIntValue("PANTREL_WALK_STEPS") > 0
                          ? qEnvironmentVariableIntValue("PANTREL_WALK_STEPS") : StepsEach;
    qInfo("walk seed %u, %d steps (PANTREL_WALK_SEED=%u replays it)", seed, steps, seed);
    walkOnce(seed, steps);
}

// A seed walked twice from the same files takes the same steps and gets the same answers.
void TestWalk::replays()
{
    const quint32 seed = qEnvironmentVariableIsSet("PANTREL_WALK_SEED")
                             ? quint32(qEnvironmentVariableIntValue("PANTREL_WALK_SEED")) : 7u;
    walkOnce(seed, StepsEach);
    if (QTest::currentTestFailed())
        return;
    const QStringList first = _trace;
    walkOnce(seed, StepsEach);
    if (QTest::currentTestFailed())
        return;
    for (int n = 0; n < qMin(first.size(), _trace.size()); ++n)
        QVERIFY2(first.at(n) == _trace.at(n),
                 qPrintable(QStringLiteral("seed %1 went another way:\n%2\n%3").arg(seed).arg(first.at(n), _trace.at(n))));
    QCOMPARE(_trace.size(), first.size());
}

void TestWalk::walkOnce(quint32 seed, int steps)
{
    startAfresh();
    _seed = seed;
    _random.seed(seed);
    _trace.clear();

    WalkPrompter prompter;
    _prompter = &prompter;
    prompter.pick = [this](quint32 bound) { return answerPick(bound); };
    prompter.note = [this](Answer answer, const QString& what) { _log.note(answer, what); };
    _window = new WalkWindow;
    auto ending = qScopeGuard([this] {
        qApp->removeEventFilter(this);
        delete _window;
        _window = nullptr;
        _prompter = nullptr;
    });
    _window->realForms = true;
    _window->backupName = _backups.filePath(QStringLiteral("walk.ptBackup"));
    _window->restoreName = _window->backupName;
    _window->answerBox = [this](QMessageBox::Icon icon, const QString& caption, QMessageBox::StandardButtons buttons) {
        return answerBox(icon, caption, buttons);
    };
    const quint32 startSeed[] = {seed, ~0u};
    _answers = QRandomGenerator(startSeed, 2);
    qApp->installEventFilter(this);
    _diaryInFront = true;
    const QMetaObject::Connection focus = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && (now == diaryList() || diaryList()->isAncestorOf(now)))
            _diaryInFront = true;
        else if (now && browser()->isAncestorOf(now))
            _diaryInFront = false;
    });
    auto unfocus = qScopeGuard([focus] { disconnect(focus); });
    _window->resize(SmallScreen.width(), SmallScreen.height() - 40);
    _window->show();
    QVERIFY(QTest::qWaitForWindowExposed(_window));
    QVERIFY(_window->switchUser(_window, UserDB::instance()->getCurrentUser()));

    int ran = 0;
    for (int n = 0; n < steps; ++n) {
        const QMap<QString, QByteArray> files = filesIn(writtenFolders());
        const QMap<QString, QString> items = ownItems();
        const std::optional<DBTypes::DiaryDay> day = shownDay();
        const quint32 stepSeed[] = {seed, quint32(n)};
        _answers = QRandomGenerator(stepSeed, 2);
        _log = StepLog();
        _added = Shown();
        _trace.append(QStringLiteral("%1: nothing to do").arg(n));
        step();
        settle();
        ran = n + 1;
        _trace.last() += QStringLiteral(" [%1]").arg(_log.said.join(QStringLiteral(", ")));
        if (qEnvironmentVariableIsSet("PANTREL_WALK_TRACE"))
            qInfo("%s", qPrintable(_trace.last()));
        if (!_window || _window->quits > 0 || !_window->isVisible())
            break;
        checkPromises(files, items, day);
        if (QTest::currentTestFailed()) {
            qWarning("walk seed %u failed at step %d; the last steps:\n%s", seed, n,
                     qPrintable(_trace.mid(qMax(0, _trace.size() - 12)).join(QLatin1Char('\n'))));
            return;
        }
    }
    qInfo("walk seed %u: %d of %d steps ran", seed, ran, steps);
    QVERIFY2(ran == steps, qPrintable(QStringLiteral("the window closed after step %1").arg(ran - 1)));
}

void TestWalk::step()
{
    using Step = void (TestWalk::*)();
    static const QList<Step> steps = {&TestWalk::triggerAction, &TestWalk::triggerAction, &TestWalk::switchTab,
                                      &TestWalk::search, &TestWalk::selectRow, &TestWalk::selectRow,
                                      &TestWalk::pressKey, &TestWalk::addShown, &TestWalk::addShown,
                                      &TestWalk::diaryKey};
    // On another page than the diary the user goes by the menus.
    const Step chosen = pickOf(steps);
    (this->*(_window->diaryPage()->isVisible() ? chosen : &TestWalk::triggerAction))();
}

void TestWalk::triggerAction()
{
    QList<QAction*> actions;
    QList<QMenu*> menus;
    for (QAction* action : _window->menuBar()->actions()) {
        if (action->menu())
            menus.append(action->menu());
    }
    for (int m = 0; m < menus.size(); ++m) {
        for (QAction* action : menus.at(m)->actions()) {
            if (action->menu())
                menus.append(action->menu());
            else if (action->isVisible() && action->isEnabled() && !action->isSeparator()
                     && action->menuRole() != QAction::QuitRole && !action->text().contains(QStringLiteral("E&xit")))
                actions.append(action);
        }
    }
    for (QAction* action : _window->mainToolBar()->actions()) {
        if (action->isVisible() && action->isEnabled() && !action->isSeparator())
            actions.append(action);
    }
    if (actions.isEmpty())
        return;
    QAction* action = pickOf(actions);
    _trace.last() = QStringLiteral("%1: action \"%2\"").arg(_trace.size() - 1).arg(action->text());
    _log.replaced = action == _window->fileRestore_DatabasesAction;
    // A choice made in a menu is the user's: what it changes is asked for.
    if (action->isCheckable())
        _log.note(Answer::Accept, QStringLiteral("chosen"));
    action->trigger();
}

void TestWalk::switchTab()
{
    const int index = int(pick(quint32(browser()->categoryBar->count())));
    _trace.last() = QStringLiteral("%1: tab %2").arg(_trace.size() - 1).arg(index);
    browser()->categoryBar->setFocus();
    browser()->categoryBar->setCurrentIndex(index);
}

void TestWalk::search()
{
    static const QStringList words = {QStringLiteral("banana"), QStringLiteral("skim-milk"), QStringLiteral("apples"),
                                      QStringLiteral("zzzz"), QString(), QStringLiteral("low fat milk"),
                                      QStringLiteral("walk"), QStringLiteral("Crème")};
    const QString word = pickOf(words);
    _trace.last() = QStringLiteral("%1: search \"%2\"").arg(_trace.size() - 1).arg(word);
    browser()->prettySearchEdit->lineEdit()->setFocus();
    browser()->prettySearchEdit->lineEdit()->setText(word);
}

void TestWalk::selectRow()
{
    DragListView* list = browser()->getCurrentListview();
    if (!list)
        return;
    QList<QTreeWidgetItem*> rows;
    for (QTreeWidgetItemIterator it(list, QTreeWidgetItemIterator::NotHidden); *it; ++it)
        rows.append(*it);
    if (rows.isEmpty())
        return;
    QTreeWidgetItem* row = pickOf(rows);
    _trace.last() = QStringLiteral("%1: row \"%2\" of %3").arg(_trace.size() - 1).arg(row->text(0), list->objectName());
    list->setFocus();
    list->setCurrentItem(row);
}

void TestWalk::pressKey()
{
    static const QList<Qt::Key> keys = {Qt::Key_Insert, Qt::Key_Delete, Qt::Key_F2, Qt::Key_Return, Qt::Key_Escape};
    DragListView* list = browser()->getCurrentListview();
    if (!list)
        return;
    const Qt::Key key = pickOf(keys);
    _trace.last() = QStringLiteral("%1: key %2 on %3").arg(_trace.size() - 1).arg(QKeySequence(key).toString(),
                                                                               list->objectName());
    list->setFocus();
    QTest::keyClick(list, key);
    if (key == Qt::Key_F2) {
        if (auto* editor = list->findChild<QLineEdit*>()) {
            QTest::keyClicks(editor, QStringLiteral(" walk"));
            const bool renamed = pick(2) != 0;
            if (renamed)
                _log.note(Answer::Accept, QStringLiteral("renamed"));
            QTest::keyClick(editor, renamed ? Qt::Key_Return : Qt::Key_Escape);
        }
    }
}

// The item the panel shows, as Add would store it.
Shown TestWalk::shownItem()
{
    Shown shown;
    switch (browser()->displayStack->currentIndex()) {
    case FoodQueryWidget::FoodPage:
        if (const std::optional<qint64> meal = browser()->foodWidget->shownMealId()) {
            shown.kind = Shown::SavedMeal;
            shown.id = *meal;
            shown.amount = browser()->foodWidget->toDouble();
            shown.name = QTextDocumentFragment::fromHtml(browser()->foodWidget->nameLabel->text())
                             .toPlainText()
                             .simplified();
        } else {
            const DBTypes::FoodDiaryItem& entry = browser()->foodWidget->getFoodDiaryItem();
            shown.kind = Shown::Food;
            shown.id = entry.refId;
            shown.servingId = entry.servingId;
            shown.serving = entry.servingDesc;
            shown.amount = browser()->foodWidget->toDouble();
            shown.name = entry.desc;
        }
        break;
    case FoodQueryWidget::ExercisePage: {
        const DBTypes::ExerciseDiaryItem& entry = browser()->exerciseWidget->getExerciseDiaryItem();
        shown.kind = Shown::Exercise;
        shown.id = entry.exerciseId;
        shown.minutes = entry.duration;
        shown.name = entry.name;
        break;
    }
    default:
        break;
    }
    return shown;
}

void TestWalk::addShown()
{
    // With nothing shown, the user picks an item of the list first.
    if (browser()->displayStack->currentIndex() == FoodQueryWidget::NothingPage) {
        DragListView* list = browser()->getCurrentListview();
        QList<QTreeWidgetItem*> items;
        for (QTreeWidgetItemIterator it(list, QTreeWidgetItemIterator::NotHidden); list && *it; ++it) {
            if ((*it)->childCount() == 0)
                items.append(*it);
        }
        if (!items.isEmpty())
            list->setCurrentItem(pickOf(items));
    }
    const bool exercise = browser()->displayStack->currentIndex() == FoodQueryWidget::ExercisePage;
    QPushButton* add = exercise ? browser()->exerciseWidget->addButton : browser()->foodWidget->addButton;
    if (!add->isVisible() || !add->isEnabled())
        return;
    static const QStringList amounts = {QStringLiteral("1"), QStringLiteral("2.5"), QStringLiteral("1/2"),
                                        QStringLiteral("1 1/2"), QStringLiteral("3")};
    QLineEdit* amount = exercise ? browser()->exerciseWidget->sizeLineEdit : browser()->foodWidget->sizeLineEdit;
    QComboBox* serving = exercise ? browser()->exerciseWidget->servingBox : browser()->foodWidget->servingBox;
    if (pick(2) == 0 && amount->isEnabled())
        amount->setText(pickOf(amounts));
    if (serving->count() > 1 && serving->isEnabled())
        serving->setCurrentIndex(int(pick(quint32(serving->count()))));
    _trace.last() = QStringLiteral("%1: Add \"%2\" of %3").arg(_trace.size() - 1).arg(amount->text(),
                                                                                   serving->currentText());
    _log.note(Answer::Accept, QStringLiteral("added"));
    _added = shownItem();
    if (exercise) {
        static const QMap<QString, double> fractions = {{QStringLiteral("1/2"), 0.5}, {QStringLiteral("1 1/2"), 1.5}};
        const double typed = fractions.value(amount->text(), QLocale::c().toDouble(amount->text()));
        _added.minutes = float(typed * (serving->currentText() == QLatin1String("hours") ? 60.0 : 1.0));
    }
    _prompter->chosenMeal = 0;
    add->setFocus();
    add->click();
}

void TestWalk::diaryKey()
{
    DiaryListView* diary = diaryList();
    QList<QTreeWidgetItem*> rows;
    for (QTreeWidgetItemIterator it(diary); *it; ++it)
        rows.append(*it);
    if (rows.isEmpty())
        return;
    QTreeWidgetItem* row = pickOf(rows);
    diary->setCurrentItem(row);
    const Qt::Key key = pick(2) ? Qt::Key_Delete : Qt::Key_Return;
    _trace.last() = QStringLiteral("%1: diary row \"%2\", key %3").arg(_trace.size() - 1).arg(
        row->text(0).simplified(), QKeySequence(key).toString());
    if (key == Qt::Key_Delete)
        _log.note(Answer::Accept, QStringLiteral("deleted"));
    diary->setFocus();
    QTest::keyClick(diary, key);
}

QMessageBox::StandardButton TestWalk::answerBox(QMessageBox::Icon icon, const QString& caption,
                                                QMessageBox::StandardButtons buttons)
{
    if (!_log.stopped.isEmpty() && icon == QMessageBox::Information)
        _log.toldAfterStop.append(caption);
    QList<QMessageBox::StandardButton> offered;
    for (int bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
        if (buttons.testFlag(QMessageBox::StandardButton(bit)))
            offered.append(QMessageBox::StandardButton(bit));
    }
    if (offered.isEmpty())
        return QMessageBox::Ok;
    const QMessageBox::StandardButton chosen = offered.at(int(answerPick(quint32(offered.size()))));
    const bool refused = offered.size() > 1 && (chosen == QMessageBox::No || chosen == QMessageBox::Cancel);
    _log.note(refused ? Answer::Refuse : Answer::Accept, QStringLiteral("box \"%1\" %2").arg(caption).arg(int(chosen)));
    return chosen;
}

// Every window the program shows is answered once the events waiting are handled, in the
// order shown: what it is answered does not hang on how fast the machine is.
bool TestWalk::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        const Qt::WindowType type = widget->windowType();
        if (widget->isWindow() && widget != _window && type != Qt::Popup && type != Qt::ToolTip
            && qobject_cast<QDialog*>(widget)) {
            QPointer<QWidget> shown(widget);
            QTimer::singleShot(0, this, [this, shown] { answer(shown, 0); });
        }
    }
    return QObject::eventFilter(watched, event);
}

void TestWalk::answer(const QPointer<QWidget>& shown, int attempt)
{
    if (!shown || !shown->isVisible())
        return;
    checkFits(shown);
    if (auto* progress = qobject_cast<QProgressDialog*>(shown.data())) {
        stopProgress(progress);
        return;
    }
    auto* dialog = qobject_cast<QDialog*>(shown.data());
    const QString name = QString::fromLatin1(dialog->metaObject()->className());
    const bool tip = dialog->inherits("TipOfTheDay");
    auto* wizard = qobject_cast<ProfileWizard*>(dialog);
    // With no user left, a new one is made: the walk goes on with it.
    const QMap<QString, QString> items = wizard ? ownItems() : QMap<QString, QString>();
    const bool mustMake = wizard && std::none_of(items.keyBegin(), items.keyEnd(), [](const QString& key) {
        return key.startsWith(QStringLiteral("user_users/"));
    });
    // A dialog that keeps refusing OK is left by Escape; a wizard takes a click a page.
    const bool giveUp = attempt > (wizard ? 20 : 3);
    const int way = giveUp ? 1 : mustMake || attempt > 0 ? 0 : int(answerPick(4));
    if (way == 0) {
        if (attempt == 0)
            _log.note(Answer::Accept, name + QStringLiteral(" OK"));
        bool clicked = false;
        if (wizard) {
            clicked = completeWizard(wizard);
        } else {
            for (QComboBox* box : dialog->findChildren<QComboBox*>()) {
                if (box->isVisible() && box->isEnabled() && box->count() > 0 && answerPick(3) == 0)
                    box->setCurrentIndex(int(answerPick(quint32(box->count()))));
            }
            QPushButton* ok = nullptr;
            if (auto* buttons = dialog->findChild<QDialogButtonBox*>()) {
                ok = buttons->button(QDialogButtonBox::Ok);
                if (!ok)
                    ok = buttons->button(QDialogButtonBox::Save);
            }
            for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                if (!ok && button->isDefault())
                    ok = button;
            }
            if (ok && ok->isEnabled()) {
                ok->click();
                clicked = true;
            }
        }
        if (shown && shown->isVisible())
            QTimer::singleShot(0, this, [this, shown, attempt, clicked] { answer(shown, clicked ? attempt + 1 : 99); });
        return;
    }
    _log.note(tip ? Answer::Accept : Answer::Refuse,
              name + (way == 3 ? QStringLiteral(" close") : way == 2 ? QStringLiteral(" Cancel")
                                                                    : QStringLiteral(" Escape")));
    QPushButton* cancel = wizard ? wizard->cancelButton() : nullptr;
    if (auto* buttons = dialog->findChild<QDialogButtonBox*>(); !cancel && buttons)
        cancel = buttons->button(QDialogButtonBox::Cancel);
    if (way == 3)
        dialog->close();
    else if (way == 2 && cancel && cancel->isVisible() && cancel->isEnabled())
        cancel->click();
    else
        QTest::keyClick(dialog, Qt::Key_Escape);
}

// Fills what the wizard's page asks that is empty, as a user would, and goes on; false when
// the page cannot be left.
bool TestWalk::completeWizard(ProfileWizard* wizard)
{
    static const QMap<QString, QString> typed = {
        {QStringLiteral("_nameField"), QStringLiteral("Walker")},
        {QStringLiteral("_metricWeightField"), QStringLiteral("70")},
        {QStringLiteral("_metricHeightField"), QStringLiteral("175")},
        {QStringLiteral("_imperialWeigthField"), QStringLiteral("154")},
        {QStringLiteral("_imperialHeightFeetField"), QStringLiteral("5")},
        {QStringLiteral("_imperialHeightInchesField"), QStringLiteral("9")},
    };
    for (QLineEdit* field : wizard->findChildren<QLineEdit*>()) {
        auto* date = qobject_cast<DateLineEdit*>(field);
        if (!field->isVisible() || (!date && !field->text().trimmed().isEmpty()) || (date && date->validDate()))
            continue;
        field->clear();
        if (date)
            QTest::keyClicks(field, DateLineEdit::dateText(QDate(1980, 5, 17), BXSettings::getDateFormat()));
        else if (typed.contains(field->objectName()))
            QTest::keyClicks(field, typed.value(field->objectName()));
    }
    QList<QWidget*> groups;
    for (QRadioButton* radio : wizard->findChildren<QRadioButton*>()) {
        if (radio->isVisible() && !groups.contains(radio->parentWidget()))
            groups.append(radio->parentWidget());
    }
    for (QWidget* group : std::as_const(groups)) {
        const QList<QRadioButton*> radios = group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
        if (!radios.isEmpty() && std::none_of(radios.begin(), radios.end(), [](QRadioButton* r) { return r->isChecked(); }))
            radios.first()->click();
    }
    const QString page = wizard->headerLabel()->text();
    wizard->nextButton()->click();
    if (wizard->isVisible() && wizard->headerLabel()->text() == page) {
        _log.note(Answer::Refuse, QStringLiteral("wizard held at \"%1\"").arg(page));
        return false;
    }
    return true;
}

// Work is mostly left to end by itself; now and then it is stopped as a user would, by
// Cancel, Escape or the close button.
void TestWalk::stopProgress(QProgressDialog* progress)
{
    const int way = int(answerPick(5));
    if (way > 2) {
        _log.note(Answer::Accept, QStringLiteral("progress left"));
        return;
    }
    static const QStringList ways = {QStringLiteral("Cancel"), QStringLiteral("Escape"), QStringLiteral("close")};
    _log.note(Answer::Refuse, QStringLiteral("progress ") + ways.at(way));
    _log.stopped.append(progress);
    if (way == 0) {
        if (auto* cancel = progress->findChild<QPushButton*>())
            cancel->click();
    } else if (way == 1) {
        QTest::keyClick(progress, Qt::Key_Escape);
    } else {
        progress->close();
    }
}

std::optional<DBTypes::DiaryDay> TestWalk::shownDay() const
{
    const qint64 user = UserDB::instance()->getCurrentUser();
    const QByteArray day = _window->diaryPage()->getDate().toString(QStringLiteral("yyyyMMdd")).toLatin1();
    return user > 0 ? DiaryDB::instance()->getDay(user, day.constData(), false) : std::nullopt;
}

void TestWalk::checkPromises(const QMap<QString, QByteArray>& filesBefore, const QMap<QString, QString>& itemsBefore,
                             const std::optional<DBTypes::DiaryDay>& dayBefore)
{
    checkStopped();
    if (QTest::currentTestFailed())
        return;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowType() != Qt::Popup && window->windowType() != Qt::ToolTip)
            checkFits(window);
        if (QTest::currentTestFailed())
            return;
    }
    checkPanel();
    if (QTest::currentTestFailed())
        return;
    checkDiary();
    if (QTest::currentTestFailed())
        return;
    checkEditOffers();
    if (QTest::currentTestFailed())
        return;
    if (_added.kind != Shown::None)
        checkAdded(dayBefore);
    if (QTest::currentTestFailed())
        return;
    if (_log.onlyRefused()) {
        const QMap<QString, QByteArray> files = filesIn(writtenFolders());
        QStringList changed;
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            if (filesBefore.value(it.key()) != it.value())
                changed.append(it.key());
        }
        for (auto it = filesBefore.cbegin(); it != filesBefore.cend(); ++it) {
            if (!files.contains(it.key()))
                changed.append(it.key());
        }
        QVERIFY2(changed.isEmpty(), qPrintable(QStringLiteral("questions all refused changed %1")
                                                   .arg(changed.join(QStringLiteral(", ")))));
    }
    if (!_log.replaced)
        checkMadeIsCurrent(itemsBefore);
    // Windows left open by the step are closed by the user before the next.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != _window && window->isVisible() && window->isWindow() && window->windowType() != Qt::Popup)
            window->close();
    }
}

// Work the user stopped is stopped: its dialog is gone and nothing is told done.
void TestWalk::checkStopped()
{
    for (const QPointer<QProgressDialog>& progress : std::as_const(_log.stopped))
        QVERIFY2(!progress || !progress->isVisible(), "a progress dialog stopped by the user is still shown");
    QVERIFY2(_log.toldAfterStop.isEmpty(),
             qPrintable(QStringLiteral("work stopped by the user then told \"%1\"")
                            .arg(_log.toldAfterStop.join(QStringLiteral("\", \"")))));
}

// What a step made or renamed of the user's own is the current row of its own tab, in front;
// a new user's own lists and a restored diary are not made by the step, and of several made,
// one is current.
void TestWalk::checkMadeIsCurrent(const QMap<QString, QString>& itemsBefore)
{
    const QMap<QString, QString> items = ownItems();
    const auto users = [](const QMap<QString, QString>& held) {
        return std::count_if(held.keyBegin(), held.keyEnd(),
                             [](const QString& key) { return key.startsWith(QStringLiteral("user_users/")); });
    };
    const bool replaced = std::any_of(itemsBefore.keyBegin(), itemsBefore.keyEnd(), [&](const QString& key) {
        return !items.contains(key) && !key.startsWith(QStringLiteral("favorites/"));
    });
    if (replaced || users(items) != users(itemsBefore))
        return;
    struct Own { QString table; DragListView* list; unsigned char flags; };
    FoodQueryWidget* b = browser();
    const QList<Own> owns = {
        {QStringLiteral("custom_foods"), b->myfoodView, FoodItemFlag},
        {QStringLiteral("custom_food_cats"), b->myfoodView, CategoryItemFlag},
        {QStringLiteral("custom_exercises"), b->myexerciseView, ExerciseItemFlag},
        {QStringLiteral("custom_exercise_cats"), b->myexerciseView, CategoryItemFlag},
        {QStringLiteral("saved_meals"), b->savedMealView, SavedMealItemFlag},
    };
    QStringList made;
    bool current = false;
    DragListView* list = b->getCurrentListview();
    const FoodViewItem* row = list ? FoodViewItem::from(list->currentItem()) : nullptr;
    for (auto it = items.cbegin(); it != items.cend(); ++it) {
        if (itemsBefore.value(it.key(), QStringLiteral("\x1f")) == it.value())
            continue;
        const QString table = it.key().section(QLatin1Char('/'), 0, 0);
        const qint64 id = it.key().section(QLatin1Char('/'), 1).section(QLatin1Char(':'), -1).toLongLong();
        if (table == QLatin1String("favorites")) {
            // A favourite stays the current row of the list it was marked in.
            made.append(QStringLiteral("favourite %1").arg(id));
            current = current || (row && row->id == id);
            continue;
        }
        for (const Own& own : owns) {
            if (own.table != table)
                continue;
            made.append(QStringLiteral("%1 %2 \"%3\"").arg(table).arg(id).arg(it.value()));
            current = current || (row && list == own.list && row->id == id && (row->type & own.flags) == own.flags
                                  && row->isSelected());
        }
    }
    QVERIFY2(made.isEmpty() || current,
             qPrintable(QStringLiteral("%1 was made or renamed but the list in front (%2) has %3 as current")
                            .arg(made.join(QStringLiteral(", ")), list ? list->objectName() : QString(),
                                 row ? QStringLiteral("%1 \"%2\"").arg(row->id).arg(row->text(0)) : QStringLiteral("no row"))));
}

// The panel shows the current row's item, by id.
void TestWalk::checkPanel()
{
    const int page = browser()->displayStack->currentIndex();
    if (page == FoodQueryWidget::NothingPage)
        return;
    DragListView* list = browser()->getCurrentListview();
    QVERIFY2(list, "the panel shows an item while no list is in front");
    const FoodViewItem* row = FoodViewItem::from(list->currentItem());
    QVERIFY2(row && row->isSelected() && !row->isHidden(),
             qPrintable(QStringLiteral("the panel shows an item while %1 shows none selected").arg(list->objectName())));
    if (row->type & RecipeItemFlag)
        return;
    const Shown shown = shownItem();
    QVERIFY2(shown.id == row->id && (shown.kind == Shown::SavedMeal) == bool(row->type & SavedMealItemFlag),
             qPrintable(QStringLiteral("the panel shows %1 \"%2\" for the row %3 \"%4\"")
                            .arg(shown.id).arg(shown.name).arg(row->id).arg(row->text(0))));
}

// Add stored exactly what the panel showed, with its amount and serving, in the meal chosen.
void TestWalk::checkAdded(const std::optional<DBTypes::DiaryDay>& dayBefore)
{
    const std::optional<DBTypes::DiaryDay> day = shownDay();
    if (!dayBefore || !day)
        return;
    QList<DBTypes::FoodDiaryItem> foods;
    for (const DBTypes::FoodDiaryItem& entry : day->foods) {
        if (std::none_of(dayBefore->foods.begin(), dayBefore->foods.end(),
                         [&entry](const DBTypes::FoodDiaryItem& old) { return old.entryId == entry.entryId; }))
            foods.append(entry);
    }
    QList<DBTypes::ExerciseDiaryItem> exercises;
    for (const DBTypes::ExerciseDiaryItem& entry : day->exercises) {
        if (std::none_of(dayBefore->exercises.begin(), dayBefore->exercises.end(),
                         [&entry](const DBTypes::ExerciseDiaryItem& old) { return old.entryId == entry.entryId; }))
            exercises.append(entry);
    }
    const int meal = _prompter->chosenMeal;
    switch (_added.kind) {
    case Shown::Food:
        QVERIFY2(exercises.isEmpty() && foods.size() == (meal > 0 ? 1 : 0),
                 qPrintable(QStringLiteral("Add of \"%1\" stored %2 foods and %3 exercises")
                                .arg(_added.name).arg(foods.size()).arg(exercises.size())));
        if (!foods.isEmpty()) {
            const DBTypes::FoodDiaryItem& stored = foods.first();
            QCOMPARE(stored.refId, _added.id);
            QCOMPARE(stored.servingId, _added.servingId);
            QCOMPARE(stored.servingDesc, _added.serving);
            QVERIFY2(std::abs(double(stored.size) - _added.amount) < 1e-4,
                     qPrintable(QStringLiteral("Add stored %1 of \"%2\"; the panel showed %3")
                                    .arg(stored.size).arg(_added.name).arg(_added.amount)));
            QCOMPARE(stored.meal, meal);
        }
        break;
    case Shown::SavedMeal: {
        const auto items = SavedMealDB::instance()->getSavedMealItems(_added.id);
        QVERIFY(items);
        QVERIFY2(exercises.isEmpty() && foods.size() == (meal > 0 ? qsizetype(items->size()) : 0),
                 qPrintable(QStringLiteral("Add of a meal of %1 foods stored %2").arg(items->size()).arg(foods.size())));
        for (const DBTypes::FoodDiaryItem& stored : std::as_const(foods))
            QCOMPARE(stored.meal, meal);
        break;
    }
    case Shown::Exercise:
        QVERIFY2(foods.isEmpty() && exercises.size() <= 1,
                 qPrintable(QStringLiteral("Add of \"%1\" stored %2 foods and %3 exercises")
                                .arg(_added.name).arg(foods.size()).arg(exercises.size())));
        if (!exercises.isEmpty()) {
            QCOMPARE(exercises.first().name, _added.name);
            QCOMPARE(exercises.first().duration, _added.minutes);
        }
        break;
    case Shown::None:
        break;
    }
}

// Every row of the diary is a stored entry of the user's shown day, shown as stored, and every
// stored entry of the day has its row.
void TestWalk::checkDiary()
{
    const std::optional<DBTypes::DiaryDay> day = shownDay();
    if (!day)
        return;
    DiaryListView* diary = diaryList();
    const std::vector<DBTypes::NutType>& columns = diary->nutrientColumns();
    const UnitCollection* units = UnitCollection::instance();
    int rows = 0;
    for (QTreeWidgetItemIterator it(diary); *it; ++it) {
        const auto* row = dynamic_cast<const DiaryListViewItem*>(*it);
        if (!row || !row->parent() || row->getId() <= 0)
            continue;
        ++rows;
        const QString text = row->text(0).simplified();
        if (row->getKind() == DBTypes::DiaryDay::EXERCISE) {
            const auto stored = std::find_if(day->exercises.begin(), day->exercises.end(),
                                             [row](const auto& entry) { return entry.entryId == row->getId(); });
            QVERIFY2(stored != day->exercises.end(),
                     qPrintable(QStringLiteral("the diary shows \"%1\", which is not stored").arg(text)));
            QVERIFY2(text.contains(stored->name.simplified()) && text.contains(NumberParser::write(stored->duration, 1)),
                     qPrintable(QStringLiteral("the diary shows \"%1\" for %2 minutes of \"%3\"")
                                    .arg(text).arg(stored->duration).arg(stored->name)));
            for (size_t c = 0; c < columns.size(); ++c) {
                if (columns[c] == DBTypes::ENERGY)
                    QCOMPARE(row->text(int(c) + 1).trimmed(), units->get(DBTypes::ENERGY)->printNumber(stored->energy()));
            }
            continue;
        }
        const auto stored = std::find_if(day->foods.begin(), day->foods.end(),
                                         [row](const auto& entry) { return entry.entryId == row->getId(); });
        QVERIFY2(stored != day->foods.end(),
                 qPrintable(QStringLiteral("the diary shows \"%1\", which is not stored").arg(text)));
        QVERIFY2(text.contains(stored->desc.simplified()) && text.startsWith(DiaryListView::niceDouble(stored->size))
                     && text.contains(DBTypes::ServingItem::shown(stored->servingDesc).simplified()),
                 qPrintable(QStringLiteral("the diary shows \"%1\" for %2 %3 of \"%4\"")
                                .arg(text).arg(stored->size).arg(stored->servingDesc, stored->desc)));
        QCOMPARE(row->getKind(), stored->meal);
        QCOMPARE(row->parent(), diary->groupRow(DiaryListView::fileGroup(diary->viewMode(), stored->meal)));
        for (size_t c = 0; c < columns.size(); ++c)
            QCOMPARE(row->text(int(c) + 1).trimmed(), units->get(columns[c])->printNumber(stored->getNutrient(columns[c])));
    }
    QCOMPARE(rows, int(day->foods.size() + day->exercises.size()));
}

// The Edit menu and the tool bar offer what the row in front allows: the diary's entry when the
// diary's list had the focus last, else the browser's own item of the tab in front.
void TestWalk::checkEditOffers()
{
    if (!_window->diaryPage()->isVisible() || QApplication::activeModalWidget())
        return;
    DiaryListView* diary = diaryList();
    QList<QPair<QAction*, bool>> offers;
    if (_diaryInFront) {
        const bool entry = diary->currentItem() && diary->currentItem()->isSelected()
                           && DiaryListView::rowId(diary->currentItem()) > 0;
        offers = {{_window->eM_DiaryEditEntry, entry}, {_window->eM_DiaryDeleteEntry, entry}};
    } else {
        DragListView* list = browser()->getCurrentListview();
        const FoodViewItem* row = list ? FoodViewItem::from(list->currentItem()) : nullptr;
        // The user's own items, and own categories but the fixed ones at the top.
        const bool own = row && row->isSelected() && !row->isHidden() && row->id > 0
                         && (row->type & (CustomItemFlag | SavedMealItemFlag))
                         && (!(row->type & CategoryItemFlag) || (row->flags() & Qt::ItemIsDragEnabled));
        FoodQueryWidget* b = browser();
        if (list == b->myfoodView || list == b->foodView)
            offers = {{_window->eM_DiaryFoodEdit, own && list == b->myfoodView},
                      {_window->eM_DiaryFoodDelete, own && list == b->myfoodView}};
        else if (list == b->myexerciseView || list == b->exerciseView)
            offers = {{_window->eM_DiaryExerEdit, own && list == b->myexerciseView},
                      {_window->eM_DiaryExerDelete, own && list == b->myexerciseView}};
        else if (list == b->savedMealView)
            offers = {{_window->eM_DiarySavedRename, own}, {_window->eM_DiarySavedDelete, own}};
    }
    for (const auto& [action, allowed] : std::as_const(offers)) {
        QVERIFY2(action->isVisible() && action->isEnabled() == allowed,
                 qPrintable(QStringLiteral("Edit > %1 is %2 while the row in front %3 it")
                                .arg(action->text(),
                                     !action->isVisible() ? QStringLiteral("hidden")
                                     : action->isEnabled() ? QStringLiteral("offered") : QStringLiteral("closed"),
                                     allowed ? QStringLiteral("allows") : QStringLiteral("does not allow"))));
    }
    for (BXToolBarButton* button : _window->mainToolBar()->findChildren<BXToolBarButton*>()) {
        for (const auto& [action, allowed] : std::as_const(offers)) {
            if (button->text() == action->iconText() && button->isVisible())
                QVERIFY2(button->isEnabled() == allowed,
                         qPrintable(QStringLiteral("the tool bar's %1 is %2 while the row in front %3 it")
                                        .arg(button->text(),
                                             button->isEnabled() ? QStringLiteral("offered") : QStringLiteral("closed"),
                                             allowed ? QStringLiteral("allows") : QStringLiteral("does not allow"))));
        }
    }
}

// A window's frame, and the least size it may take, fit a 1024x600 screen.
void TestWalk::checkFits(QWidget* window)
{
    const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize());
    const QRect frame = window->frameGeometry();
    QVERIFY2(least.width() <= SmallScreen.width() && least.height() <= SmallScreen.height()
                 && frame.width() <= SmallScreen.width() && frame.height() <= SmallScreen.height(),
             qPrintable(QStringLiteral("%1 needs %2x%3 and takes %4x%5, more than a 1024x600 screen")
                            .arg(window->metaObject()->className()).arg(least.width()).arg(least.height())
                            .arg(frame.width()).arg(frame.height())));
}

// The walk runs on a 1024x600 screen: the windows are fitted to it as on a small laptop's.
int main(int argc, char** argv)
{
    QTemporaryFile screens;
    if (!screens.open())
        qFatal("cannot write the screen's description: %s", qPrintable(screens.errorString()));
    screens.write(R"({"windowFrameMargins": true, "screens": [{"name": "small", "x": 0, "y": 0,
                    "width": 1024, "height": 600, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    screens.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    QApplication app(argc, argv);
    TestWalk test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_walk.moc"
