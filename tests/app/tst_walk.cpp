// A walk through the main window: long random runs of what a user does (menus, tool bar, tabs,
// searches, rows, keys, Add, users, dialogs answered every way), checking the window's promises
// after every step. Each run prints its seed; PANTREL_WALK_SEED replays one and
// PANTREL_WALK_STEPS sets how many steps each run takes.

#include "mainwindowdoubles.h"

#include "browser/draglistview.h"
#include "browser/exercisewidget.h"
#include "browser/foodquerywidget.h"
#include "browser/foodwidget.h"
#include "catalogue/catalogueservices.h"
#include "diary/diarylistview.h"
#include "diary/diarylistviewitem.h"
#include "diary/diaryview.h"
#include "diary/diarywidget.h"
#include "userdb/diarydb.h"
#include "widgets/searchlineedit.h"
#include "tests/support/scriptedprompter.h"

#include <algorithm>

#include <QAbstractButton>

#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include "widgets/expandingtabbar.h"
#include "widgets/bxtoolbar.h"
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QTimer>
#include <QWizard>

using namespace MainWindowTest;

namespace {

constexpr QSize SmallScreen(1024, 600);

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

    void note(Answer answer, const QString& what)
    {
        (answer == Answer::Refuse ? refused : accepted) = true;
        said.append(what);
    }
    // Every question of the step was refused: nothing it asked about may change.
    bool onlyRefused() const { return refused && !accepted; }
};

// Every row of the diary file, read by a connection of its own, folded into one digest.
QByteArray diaryDigest()
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("walkdigest"));
        db.setDatabaseName(databaseFile());
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery tables(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"), db);
            QStringList names;
            while (tables.next())
                names.append(tables.value(0).toString());
            for (const QString& name : std::as_const(names)) {
                QSqlQuery rows(db);
                rows.exec(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(name));
                hash.addData(name.toUtf8());
                while (rows.next()) {
                    for (int c = 0; c < rows.record().count(); ++c)
                        hash.addData(rows.value(c).toString().toUtf8() + '\x1f');
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("walkdigest"));
    return hash.result();
}

// The names in each of the user's own item tables, keyed by table and row id.
QMap<QString, QString> ownItems()
{
    QMap<QString, QString> items;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("walkitems"));
        db.setDatabaseName(databaseFile());
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        const QList<QPair<QString, QString>> tables = {
            {QStringLiteral("custom_foods"), QStringLiteral("SELECT food_id, name FROM custom_foods")},
            {QStringLiteral("custom_food_cats"), QStringLiteral("SELECT category_id, name FROM custom_food_cats")},
            {QStringLiteral("custom_exercises"), QStringLiteral("SELECT activity_id, description FROM custom_exercises")},
            {QStringLiteral("custom_exercise_cats"), QStringLiteral("SELECT category_id, description FROM custom_exercise_cats")},
            {QStringLiteral("user_users"), QStringLiteral("SELECT user_id, name FROM user_users")},
        };
        if (db.open()) {
            for (const auto& [table, sql] : tables) {
                QSqlQuery rows(sql, db);
                while (rows.next())
                    items.insert(table + QLatin1Char('/') + rows.value(0).toString(), rows.value(1).toString());
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("walkitems"));
    return items;
}

// Files of the folders the window writes to, with their sizes and times.
QStringList filesIn(const QStringList& folders)
{
    QStringList files;
    for (const QString& folder : folders) {
        for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name))
            files.append(QStringLiteral("%1 %2 %3").arg(file.filePath()).arg(file.size())
                             .arg(file.lastModified().toMSecsSinceEpoch()));
    }
    return files;
}

// Answers every question of the prompter at random, as a user might: a button, a name, a
// number or a menu entry, or Escape.
class WalkPrompter : public ScriptedPrompter
{
public:
    std::function<quint32(quint32)> pick;
    std::function<void(Answer, const QString&)> note;

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
             QStringLiteral("question %1").arg(int(button)));
        return ScriptedPrompter::message(parent, icon, caption, text, buttons, defaultButton, escape);
    }

    int choice(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
               const QStringList& buttonTexts, int defaultIndex, int escapeIndex) override
    {
        const int chosen = int(pick(quint32(buttonTexts.size()) + 1)) - 1;
        const int index = chosen < 0 ? escapeIndex : chosen;
        answer(index);
        note(buttonTexts.size() > 1 && index == escapeIndex ? Answer::Refuse : Answer::Accept,
             QStringLiteral("choice %1").arg(index));
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
        QStringList entries;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator() && action->isEnabled() && action->isVisible())
                entries.append(action->text());
        }
        const bool given = !entries.isEmpty() && pick(4) != 0;
        if (given)
            answer(entries.at(int(pick(quint32(entries.size())))));
        note(given ? Answer::Accept : Answer::Refuse, QStringLiteral("menu"));
        return ScriptedPrompter::popup(menu, at);
    }
};

// The main window whose message boxes the walk answers.
class WalkWindow : public ScriptedMainWindow
{
public:
    std::function<QMessageBox::StandardButton(QMessageBox::StandardButtons)> answerBox;

protected:
    QMessageBox::StandardButton showMessage(QMessageBox::Icon icon, const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton, const QString& acceptText,
                                            const QString& details) override
    {
        ScriptedMainWindow::showMessage(icon, caption, text, buttons, defaultButton, acceptText, details);
        return answerBox(buttons);
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

private:
    quint32 pick(quint32 bound) { return bound ? _random.bounded(bound) : 0; }
    template<typename T>
    T pickOf(const QList<T>& list) { return list.at(int(pick(quint32(list.size())))); }

    void step();
    void triggerAction();
    void switchTab();
    void search();
    void selectRow();
    void pressKey();
    void addShown();
    void diaryKey();
    void answerModal();
    void answerDialog(QDialog* dialog);
    QMessageBox::StandardButton answerBox(QMessageBox::StandardButtons buttons);

    void checkPromises(const QByteArray& digestBefore, const QStringList& filesBefore,
                       const QMap<QString, QString>& itemsBefore);
    void checkMadeIsCurrent(const QMap<QString, QString>& itemsBefore);
    void checkPanel();
    void checkDiary();
    void checkFits(QWidget* window);

    FoodQueryWidget* browser() const { return _window->diaryPage()->foodQueryWidget3; }
    QStringList writtenFolders() const { return {BXSettings::getUserDBPath(), _backups.path()}; }

    QRandomGenerator _random;
    QPointer<WalkWindow> _window;
    QTemporaryDir _backups;
    QTimer _answerer;
    StepLog _log;
    QStringList _trail;
    QList<QDialog*> _handled;
};

void TestWalk::initTestCase()
{
    loadBrand(BrandSwitches());
    startFreshDatabase();
    QVERIFY(_backups.isValid());
    CatalogueServices::install();
    addUser(QStringLiteral("Ann"));
    addUser(QStringLiteral("Bob"));
}

void TestWalk::cleanupTestCase()
{
    CatalogueServices::cleanUp();
    BXSqlDb::cleanUp();
    UserDB::cleanUp();
    BrandEngine::cleanUp();
}

void TestWalk::walk_data()
{
    QTest::addColumn<quint32>("seed");
    const QByteArray given = qgetenv("PANTREL_WALK_SEED");
    if (!given.isEmpty()) {
        QTest::newRow("given") << quint32(given.toUInt());
        return;
    }
    for (quint32 seed : {1u, 2u, 3u})
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

void TestWalk::walk()
{
    QFETCH(quint32, seed);
    const int steps = qEnvironmentVariableIntValue("PANTREL_WALK_STEPS") > 0
                          ? qEnvironmentVariableIntValue("PANTREL_WALK_STEPS") : 120;
    qInfo("walk seed %u, %d steps (PANTREL_WALK_SEED=%u replays it)", seed, steps, seed);
    _random.seed(seed);
    _trail.clear();

    WalkPrompter prompter;
    prompter.pick = [this](quint32 bound) { return pick(bound); };
    prompter.note = [this](Answer answer, const QString& what) { _log.note(answer, what); };
    _window = new WalkWindow;
    auto ending = qScopeGuard([this] { delete _window; _window = nullptr; });
    _window->realForms = true;
    _window->backupName = _backups.filePath(QStringLiteral("walk.ptBackup"));
    _window->restoreName = _window->backupName;
    _window->answerBox = [this](QMessageBox::StandardButtons buttons) { return answerBox(buttons); };
    _window->resize(SmallScreen.width(), SmallScreen.height() - 40);
    _window->show();
    QVERIFY(QTest::qWaitForWindowExposed(_window));
    QVERIFY(_window->switchUser(_window, UserDB::instance()->getCurrentUser() > 0
                                              ? UserDB::instance()->getCurrentUser() : 1));
    _answerer.callOnTimeout(this, &TestWalk::answerModal);
    _answerer.start(5);
    auto stopAnswering = qScopeGuard([this] { _answerer.stop(); _answerer.disconnect(); });

    for (int n = 0; n < steps; ++n) {
        const QByteArray digest = diaryDigest();
        const QStringList files = filesIn(writtenFolders());
        const QMap<QString, QString> items = ownItems();
        _log = StepLog();
        _handled.clear();
        _trail.append(QStringLiteral("nothing to do"));
        step();
        if (qEnvironmentVariableIsSet("PANTREL_WALK_TRACE") && !_trail.isEmpty())
            qInfo("%d: %s", n, qPrintable(_trail.last()));
        for (int settle = 0; settle < 3; ++settle)
            QCoreApplication::processEvents();
        // Exit ends the program: the walk ends with it.
        if (!_window || _window->quits > 0 || !_window->isVisible())
            break;
        checkPromises(digest, files, items);
        if (QTest::currentTestFailed()) {
            qWarning("walk seed %u failed at step %d; the last steps:\n%s", seed, n,
                     qPrintable(_trail.mid(qMax(0, _trail.size() - 12)).join(QLatin1Char('\n'))));
            return;
        }
    }
}

void TestWalk::step()
{
    using Step = void (TestWalk::*)();
    static const QList<Step> steps = {&TestWalk::triggerAction, &TestWalk::triggerAction, &TestWalk::switchTab,
                                      &TestWalk::search, &TestWalk::selectRow, &TestWalk::selectRow,
                                      &TestWalk::pressKey, &TestWalk::addShown, &TestWalk::diaryKey};
    (this->*pickOf(steps))();
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
    _trail.last() = QStringLiteral("action \"%1\"").arg(action->text());
    _log.replaced = action == _window->fileRestore_DatabasesAction;
    // A choice made in a menu is the user's: what it changes is asked for.
    if (action->isCheckable())
        _log.note(Answer::Accept, QStringLiteral("chosen"));
    action->trigger();
}

void TestWalk::switchTab()
{
    const int index = int(pick(quint32(browser()->categoryBar->count())));
    _trail.last() = QStringLiteral("tab %1").arg(index);
    browser()->categoryBar->setCurrentIndex(index);
}

void TestWalk::search()
{
    static const QStringList words = {QStringLiteral("banana"), QStringLiteral("skim-milk"), QStringLiteral("apples"),
                                      QStringLiteral("zzzz"), QString(), QStringLiteral("low fat milk"),
                                      QStringLiteral("walk"), QStringLiteral("Crème")};
    const QString word = pickOf(words);
    _trail.last() = QStringLiteral("search \"%1\"").arg(word);
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
    _trail.last() = QStringLiteral("row \"%1\" of %2").arg(row->text(0), list->objectName());
    list->setCurrentItem(row);
}

void TestWalk::pressKey()
{
    static const QList<Qt::Key> keys = {Qt::Key_Insert, Qt::Key_Delete, Qt::Key_F2, Qt::Key_Return, Qt::Key_Escape};
    DragListView* list = browser()->getCurrentListview();
    if (!list)
        return;
    const Qt::Key key = pickOf(keys);
    _trail.last() = QStringLiteral("key %1 on %2").arg(QKeySequence(key).toString(), list->objectName());
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

void TestWalk::addShown()
{
    QPushButton* add = browser()->displayStack->currentIndex() == FoodQueryWidget::ExercisePage
                           ? browser()->exerciseWidget->addButton
                           : browser()->foodWidget->addButton;
    if (!add->isVisible() || !add->isEnabled())
        return;
    _trail.last() = QStringLiteral("Add");
    _log.note(Answer::Accept, QStringLiteral("added"));
    add->click();
}

void TestWalk::diaryKey()
{
    DiaryListView* diary = _window->diaryPage()->diaryView1->mealView;
    QList<QTreeWidgetItem*> rows;
    for (QTreeWidgetItemIterator it(diary); *it; ++it)
        rows.append(*it);
    if (rows.isEmpty())
        return;
    QTreeWidgetItem* row = pickOf(rows);
    diary->setCurrentItem(row);
    const Qt::Key key = pick(2) ? Qt::Key_Delete : Qt::Key_Return;
    _trail.last() = QStringLiteral("diary row \"%1\", key %2").arg(row->text(0), QKeySequence(key).toString());
    if (key == Qt::Key_Delete)
        _log.note(Answer::Accept, QStringLiteral("deleted"));
    diary->setFocus();
    QTest::keyClick(diary, key);
}

QMessageBox::StandardButton TestWalk::answerBox(QMessageBox::StandardButtons buttons)
{
    QList<QMessageBox::StandardButton> offered;
    for (int bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
        if (buttons.testFlag(QMessageBox::StandardButton(bit)))
            offered.append(QMessageBox::StandardButton(bit));
    }
    if (offered.isEmpty())
        return QMessageBox::Ok;
    const QMessageBox::StandardButton chosen = pickOf(offered);
    const bool refused = offered.size() > 1 && (chosen == QMessageBox::No || chosen == QMessageBox::Cancel);
    _log.note(refused ? Answer::Refuse : Answer::Accept, QStringLiteral("box button %1").arg(int(chosen)));
    return chosen;
}

void TestWalk::answerModal()
{
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog)
        return;
    checkFits(dialog);
    if (auto* progress = qobject_cast<QProgressDialog*>(dialog)) {
        // Most work is left to end by itself; now and then it is stopped as a user would, once
        // as its progress shows, so that a replay makes the same choice.
        if (_handled.contains(dialog))
            return;
        _handled.append(dialog);
        if (pick(8) == 0) {
            _log.note(Answer::Refuse, QStringLiteral("progress Escape"));
            QTest::keyClick(progress, Qt::Key_Escape);
        }
        return;
    }
    answerDialog(dialog);
}

void TestWalk::answerDialog(QDialog* dialog)
{
    // A tip records that it was shown, however it is closed.
    const bool tip = dialog->inherits("TipOfTheDay");
    // A dialog that keeps refusing OK is left by Escape.
    const bool again = _handled.contains(dialog);
    _handled.append(dialog);
    const int way = again && _handled.count(dialog) > 3 ? 1 : int(pick(4));
    if (way == 0) {
        for (QComboBox* box : dialog->findChildren<QComboBox*>()) {
            if (box->isVisible() && box->isEnabled() && box->count() > 0 && pick(3) == 0)
                box->setCurrentIndex(int(pick(quint32(box->count()))));
        }
        _log.note(Answer::Accept, QStringLiteral("%1 OK").arg(dialog->metaObject()->className()));
        if (auto* wizard = qobject_cast<QWizard*>(dialog)) {
            QAbstractButton* next = wizard->button(wizard->nextId() < 0 ? QWizard::FinishButton : QWizard::NextButton);
            if (next && next->isEnabled())
                next->click();
            return;
        }
        if (auto* buttons = dialog->findChild<QDialogButtonBox*>()) {
            QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
            if (!ok)
                ok = buttons->button(QDialogButtonBox::Save);
            if (ok && ok->isEnabled()) {
                ok->click();
                return;
            }
        }
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->isDefault() && button->isEnabled()) {
                button->click();
                return;
            }
        }
        return;
    }
    _log.note(tip ? Answer::Accept : Answer::Refuse, QStringLiteral("%1 %2").arg(dialog->metaObject()->className(),
                                                           way == 3 ? QStringLiteral("close") : QStringLiteral("Escape")));
    if (way == 3)
        dialog->close();
    else
        QTest::keyClick(dialog, Qt::Key_Escape);
}

void TestWalk::checkPromises(const QByteArray& digestBefore, const QStringList& filesBefore,
                             const QMap<QString, QString>& itemsBefore)
{
    _trail.last() += QStringLiteral(" [%1]").arg(_log.said.join(QStringLiteral(", ")));
    checkPanel();
    checkDiary();
    checkFits(_window);
    if (_log.onlyRefused()) {
        QVERIFY2(diaryDigest() == digestBefore, "questions all refused changed the diary");
        QCOMPARE(filesIn(writtenFolders()), filesBefore);
    }
    if (!_log.replaced)
        checkMadeIsCurrent(itemsBefore);
}

// What a step made of the user's own is the current row of the list in front; a new user's
// own lists and a restored diary are not made by the step, and of several made, one is current.
void TestWalk::checkMadeIsCurrent(const QMap<QString, QString>& itemsBefore)
{
    const QMap<QString, QString> items = ownItems();
    QStringList made;
    for (auto it = items.cbegin(); it != items.cend(); ++it) {
        if (!itemsBefore.contains(it.key()))
            made.append(it.value());
    }
    const auto users = [](const QMap<QString, QString>& held) {
        return std::count_if(held.keyBegin(), held.keyEnd(),
                             [](const QString& key) { return key.startsWith(QStringLiteral("user_users/")); });
    };
    const bool replaced = std::any_of(itemsBefore.keyBegin(), itemsBefore.keyEnd(),
                                      [&items](const QString& key) { return !items.contains(key); });
    if (made.isEmpty() || replaced || users(items) != users(itemsBefore))
        return;
    DragListView* list = browser()->getCurrentListview();
    QTreeWidgetItem* current = list ? list->currentItem() : nullptr;
    QVERIFY2(current && made.contains(current->text(0)),
             qPrintable(QStringLiteral("%1 was made but the list in front (%2) shows \"%3\" as current")
                            .arg(made.join(QStringLiteral(", ")), list ? list->objectName() : QString(),
                                 current ? current->text(0) : QString())));
}

void TestWalk::checkPanel()
{
    const int page = browser()->displayStack->currentIndex();
    if (page == FoodQueryWidget::NothingPage)
        return;
    DragListView* list = browser()->getCurrentListview();
    QVERIFY2(list, "the panel shows an item while no list is in front");
    QTreeWidgetItem* current = list->currentItem();
    QVERIFY2(current && current->isSelected() && !current->isHidden(),
             qPrintable(QStringLiteral("the panel shows an item while %1 shows none selected").arg(list->objectName())));
    const QString shown = page == FoodQueryWidget::FoodPage ? browser()->foodWidget->nameLabel->text()
                                                            : browser()->exerciseWidget->nameLabel->text();
    const QString row = current->text(0).simplified();
    QVERIFY2(shown.simplified().contains(row.left(20), Qt::CaseInsensitive),
             qPrintable(QStringLiteral("the panel shows \"%1\" for the row \"%2\"").arg(shown, row)));
}

void TestWalk::checkDiary()
{
    DiaryListView* diary = _window->diaryPage()->diaryView1->mealView;
    const auto user = UserDB::instance()->getCurrentUser();
    const QString day = _window->diaryPage()->getDate().toString(QStringLiteral("yyyyMMdd"));
    for (QTreeWidgetItemIterator it(diary); *it; ++it) {
        const auto* row = dynamic_cast<const DiaryListViewItem*>(*it);
        if (!row || row->parent() == nullptr || row->getKind() < 1 || row->getKind() > 6)
            continue;
        const auto stored = DiaryDB::instance()->getFoodEntry(user, row->getId());
        QVERIFY2(stored, qPrintable(QStringLiteral("the diary shows \"%1\", which is not stored").arg(row->text(0))));
        QCOMPARE(stored->userId, user);
        QCOMPARE(QString::fromLatin1(stored->date), day);
        QVERIFY2(row->text(0).simplified().contains(stored->desc.simplified().left(12)),
                 qPrintable(QStringLiteral("the diary shows \"%1\" for \"%2\"").arg(row->text(0), stored->desc)));
    }
}

void TestWalk::checkFits(QWidget* window)
{
    const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize());
    QVERIFY2(least.width() <= SmallScreen.width() && least.height() <= SmallScreen.height(),
             qPrintable(QStringLiteral("%1 needs %2x%3, more than a 1024x600 screen")
                            .arg(window->metaObject()->className()).arg(least.width()).arg(least.height())));
}

QTEST_MAIN(TestWalk)
#include "tst_walk.moc"
