#include "diary/copypreviousdiaryentry.h"

#include "widgets/shownday.h"
#include "core/diaryday.h"
#include "core/displaydate.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarydb.h"
#include "userdb/storetransaction.h"
#include "userdb/userdb.h"
#include "widgets/bxcalendar.h"
#include "widgets/prompter.h"
#include "widgets/screenfit.h"
#include "widgets/storeprompt.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

constexpr int kNone = -1;

qint64 currentUser()
{
    return ShownDay::instance()->user();
}

std::string dateCode(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toStdString();
}

QString sourceText(int group, int snackDisplay)
{
    return group == kNone ? CopyPreviousDiaryEntry::tr("[ None ]")
                          : DBTypes::GroupTypeToString(group, snackDisplay);
}

// The title of a snack row when snacks are kept apart, named as the diary names the group.
QString snackTitle(int group, int snackDisplay)
{
    if (snackDisplay == DBTypes::SNACKS_BETWEEN_MEALS) {
        switch (group) {
        case 2: return CopyPreviousDiaryEntry::tr("Copy morning snack from:");
        case 4: return CopyPreviousDiaryEntry::tr("Copy afternoon snack from:");
        default: return CopyPreviousDiaryEntry::tr("Copy evening snack from:");
        }
    }
    switch (group) {
    case 2: return CopyPreviousDiaryEntry::tr("Copy snacks #1 from:");
    case 4: return CopyPreviousDiaryEntry::tr("Copy snacks #2 from:");
    default:
        return snackDisplay == DBTypes::SNACKS_NUMBERED
                   ? CopyPreviousDiaryEntry::tr("Copy snacks #3 from:")
                   : CopyPreviousDiaryEntry::tr("Copy snacks from:");
    }
}

} // namespace

CopyPreviousDiaryEntry* CopyPreviousDiaryEntry::construct(QWidget* parent, const QDate& date)
{
    // The users, the snack layout and the month's days are read in one reading: a dialog that
    // could not read them is not made (the user was told).
    std::unique_ptr<CopyPreviousDiaryEntry> dialog;
    if (!StorePrompt::read(parent, [&] {
            dialog.reset(new CopyPreviousDiaryEntry(parent, date));
            dialog->copyFromCal->setDate(date, true);
            dialog->updateMonth(date);
        }))
        return nullptr;
    return dialog.release();
}

CopyPreviousDiaryEntry::CopyPreviousDiaryEntry(QWidget* parent, const QDate& date)
    : QDialog(parent, Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint),
      _destination(date)
{
    _buildForm();
    languageChange();
    init();
}

QPushButton* CopyPreviousDiaryEntry::_button(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

void CopyPreviousDiaryEntry::_buildForm()
{
    auto* groupBox1 = new QGroupBox(this);
    groupBox1->setObjectName(QStringLiteral("groupBox1"));
    textLabel1_4 = new QLabel(groupBox1);
    textLabel1_4->setObjectName(QStringLiteral("textLabel1_4"));
    textLabel1_4->setWordWrap(true);
    textDestDate = new QLabel(groupBox1);
    textDestDate->setObjectName(QStringLiteral("textDestDate"));
    textDestDate->setTextFormat(Qt::RichText);
    textDestDate->setWordWrap(true);
    auto* texts = new QVBoxLayout(groupBox1);
    texts->addWidget(textLabel1_4);
    texts->addWidget(textDestDate);
    texts->addStretch(1);

    auto* groupBox2 = new QGroupBox(this);
    groupBox2->setObjectName(QStringLiteral("groupBox2"));
    copyFromCal = new BXCalendar(groupBox2, "copyFromCal");
    (new QVBoxLayout(groupBox2))->addWidget(copyFromCal);

    auto* top = new QHBoxLayout;
    groupBox1->setMinimumWidth(260);
    top->addWidget(groupBox1, 1);
    top->addWidget(groupBox2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(_buildSimpleFrame());
    layout->addWidget(_buildAdvancedFrame());
}

QFrame* CopyPreviousDiaryEntry::_buildSimpleFrame()
{
    frmSimple = new QFrame(this);
    frmSimple->setObjectName(QStringLiteral("frmSimple"));
    textLabel1 = new QLabel(frmSimple);
    textLabel1->setObjectName(QStringLiteral("textLabel1"));
    btnAppend = _button(frmSimple, "btnAppend");
    btnOverwrite = _button(frmSimple, "btnOverwrite");
    btnAdvance = _button(frmSimple, "btnAdvance");
    btnSCancel = _button(frmSimple, "btnSCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnAdvance);
    buttons->addStretch(1);
    buttons->addWidget(btnSCancel);
    buttons->addWidget(btnOverwrite);
    buttons->addWidget(btnAppend);
    auto* layout = new QVBoxLayout(frmSimple);
    layout->addWidget(textLabel1);
    layout->addLayout(buttons);
    return frmSimple;
}

CopyPreviousDiaryEntry::MealRow CopyPreviousDiaryEntry::_buildRow(
    QWidget* parent, const char* group, const char* source, const char* append,
    const char* overwrite, int destination)
{
    MealRow row{new QGroupBox(parent), nullptr, nullptr, nullptr, destination};
    row.group->setObjectName(QString::fromLatin1(group));
    row.source = new QComboBox(row.group);
    row.source->setObjectName(QString::fromLatin1(source));
    row.append = new QRadioButton(row.group);
    row.append->setObjectName(QString::fromLatin1(append));
    row.overwrite = new QRadioButton(row.group);
    row.overwrite->setObjectName(QString::fromLatin1(overwrite));
    auto* choice = new QButtonGroup(row.group);
    choice->addButton(row.append);
    choice->addButton(row.overwrite);
    row.append->setChecked(true);
    auto* layout = new QHBoxLayout(row.group);
    layout->addWidget(row.source, 1);
    layout->addWidget(row.append);
    layout->addWidget(row.overwrite);
    return row;
}

QFrame* CopyPreviousDiaryEntry::_buildAdvancedFrame()
{
    frmAdvanced = new QFrame(this);
    frmAdvanced->setObjectName(QStringLiteral("frmAdvanced"));
    textLabel1_2 = new QLabel(frmAdvanced);
    textLabel1_2->setObjectName(QStringLiteral("textLabel1_2"));
    userList = new QComboBox(frmAdvanced);
    userList->setObjectName(QStringLiteral("userList"));
    _rows = {
        _buildRow(frmAdvanced, "grpBreakfast", "cbBreakfast", "bfAppend", "bfOverwrite", 1),
        _buildRow(frmAdvanced, "grpSnack1", "cbMorningSnacks", "msAppend", "msOverwrite", 2),
        _buildRow(frmAdvanced, "grpLunch", "cbLunch", "lAppend", "lOverwrite", 3),
        _buildRow(frmAdvanced, "grpSnack2", "cbNoonSnacks", "asAppend", "asOverwrite", 4),
        _buildRow(frmAdvanced, "grpDinner", "cbDinner", "dAppend", "dOverwrite", 5),
        _buildRow(frmAdvanced, "grpSnack3", "cbSnacks", "sAppend", "sOverwrite", 6),
        _buildRow(frmAdvanced, "grpExercise", "cbExercise", "eAppend", "eOverwrite", 8),
    };
    btnOK = _button(frmAdvanced, "btnOK");
    btnSimple = _button(frmAdvanced, "btnSimple");
    btnACancel = _button(frmAdvanced, "btnACancel");
    auto* user = new QHBoxLayout;
    user->addWidget(textLabel1_2);
    user->addWidget(userList, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnSimple);
    buttons->addStretch(1);
    buttons->addWidget(btnACancel);
    buttons->addWidget(btnOK);
    // The meals scroll on a screen too small for them all, and the buttons stay in reach.
    auto* mealRows = new QWidget(frmAdvanced);
    auto* meals = new QGridLayout(mealRows);
    meals->setContentsMargins(0, 0, 0, 0);
    for (size_t i = 0; i < _rows.size(); ++i)
        meals->addWidget(_rows[i].group, int(i) / 2, int(i) % 2);
    auto* layout = new QVBoxLayout(frmAdvanced);
    layout->addLayout(user);
    layout->addWidget(ScreenFit::scrolled(mealRows, frmAdvanced), 1);
    layout->addLayout(buttons);
    return frmAdvanced;
}

void CopyPreviousDiaryEntry::languageChange()
{
    setWindowTitle(tr("Copy Previous Diary Entries"));
    textLabel1_4->setText(
        tr("Select a day to copy from, using the calendar to the right. The current selection "
           "is highlighted.\n\nTo copy entries made by a different user, or to copy specific "
           "meals rather than a whole day, click the \"Advanced\" button to see more options."));
    textLabel1->setText(tr("Do you wish to append or overwrite existing entries?"));
    btnAppend->setText(tr("&Append"));
    btnOverwrite->setText(tr("&Overwrite"));
    btnAdvance->setText(tr("A&dvanced"));
    btnSCancel->setText(tr("&Cancel"));
    textLabel1_2->setText(tr("Copy diary entries from:"));
    btnOK->setText(tr("&OK"));
    btnSimple->setText(tr("&Simple"));
    btnACancel->setText(tr("&Cancel"));
    const QStringList titles = {tr("Copy breakfast from:"), tr("Copy morning snacks from:"),
                                tr("Copy lunch from:"),     tr("Copy afternoon snacks from:"),
                                tr("Copy dinner from:"),    tr("Copy snacks from:"),
                                tr("Copy exercises from:")};
    for (size_t i = 0; i < _rows.size(); ++i) {
        _rows[i].group->setTitle(titles.at(int(i)));
        _rows[i].append->setText(tr("&Append"));
        _rows[i].overwrite->setText(tr("&Overwrite"));
    }
}

void CopyPreviousDiaryEntry::init()
{
    connect(btnAppend, &QPushButton::clicked, this, &CopyPreviousDiaryEntry::doAction);
    connect(btnOverwrite, &QPushButton::clicked, this, &CopyPreviousDiaryEntry::doAction);
    connect(btnOK, &QPushButton::clicked, this, &CopyPreviousDiaryEntry::doAction);
    connect(btnAdvance, &QPushButton::clicked, this, &CopyPreviousDiaryEntry::toggle);
    connect(btnSimple, &QPushButton::clicked, this, &CopyPreviousDiaryEntry::toggle);
    connect(btnSCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnACancel, &QPushButton::clicked, this, &QDialog::reject);
    const std::vector<void (CopyPreviousDiaryEntry::*)(int)> rowSlots = {
        &CopyPreviousDiaryEntry::rBreakfast, &CopyPreviousDiaryEntry::rMSnacks,
        &CopyPreviousDiaryEntry::rLunch,     &CopyPreviousDiaryEntry::rASnacks,
        &CopyPreviousDiaryEntry::rDinner,    &CopyPreviousDiaryEntry::rSnacks,
        &CopyPreviousDiaryEntry::rExercises};
    for (size_t i = 0; i < _rows.size(); ++i)
        connect(_rows[i].source, &QComboBox::activated, this, rowSlots[i]);
    connect(userList, &QComboBox::activated, this, &CopyPreviousDiaryEntry::userChanged);
    connect(copyFromCal, &BXCalendar::monthChanged, this, &CopyPreviousDiaryEntry::_showMonth);
    connect(copyFromCal, &BXCalendar::dateChanged, this, &CopyPreviousDiaryEntry::setDatePrompt);
    frmAdvanced->hide();
    // The dialog is never smaller than its rows need, in either form.
    layout()->setSizeConstraint(QLayout::SetMinimumSize);
    copyFromCal->showToday(true);
    _fillUsers();
    _fillSources();
}

void CopyPreviousDiaryEntry::_fillUsers()
{
    QList<DBTypes::UserProfile> users =
        UserDB::instance()->getUsersList().value_or(QList<DBTypes::UserProfile>());
    std::sort(users.begin(), users.end(),
              [](const auto& a, const auto& b) { return a.userId < b.userId; });
    for (const DBTypes::UserProfile& user : users) {
        userList->addItem(user.name);
        _userIds << user.userId;
    }
    userList->setCurrentIndex(std::max(0, int(_userIds.indexOf(currentUser()))));
}

void CopyPreviousDiaryEntry::_fillSources()
{
    _snackDisplay = currentUser() >= 0
                        ? UserDB::instance()->getUserPrefs(currentUser()).value_or(DBTypes::UserPrefs()).snackDisplay
                        : int(DBTypes::SNACKS_TOGETHER);
    const bool together = _snackDisplay == DBTypes::SNACKS_TOGETHER;
    _rows[MorningSnacks].group->setVisible(!together);
    _rows[AfternoonSnacks].group->setVisible(!together);
    if (!together) {
        for (const Row row : {MorningSnacks, AfternoonSnacks, Snacks})
            _rows[row].group->setTitle(snackTitle(_rows[row].destination, _snackDisplay));
    }
    if (together)
        _sources = {1, 3, 5, 6, kNone};
    else if (_snackDisplay == DBTypes::SNACKS_BETWEEN_MEALS)
        _sources = {1, 2, 3, 4, 5, 6, kNone};
    else
        _sources = {1, 3, 5, 2, 4, 6, kNone};
    for (const Row row : {Breakfast, MorningSnacks, Lunch, AfternoonSnacks, Dinner, Snacks}) {
        if (together && (row == MorningSnacks || row == AfternoonSnacks))
            continue;
        for (const int source : _sources)
            _rows[row].source->addItem(sourceText(source, _snackDisplay));
        _rows[row].source->setCurrentIndex(int(_sources.indexOf(_rows[row].destination)));
    }
    QComboBox* exercise = _rows[Exercises].source;
    exercise->addItem(DBTypes::GroupTypeToString(DBTypes::DiaryDay::EXERCISE,
                                                 DBTypes::SNACKS_TOGETHER));
    exercise->addItem(sourceText(kNone, _snackDisplay));
    exercise->setCurrentIndex(0);
}

qint64 CopyPreviousDiaryEntry::_sourceUser() const
{
    const int index = userList->currentIndex();
    return index >= 0 && index < _userIds.size() ? _userIds.at(index) : currentUser();
}

void CopyPreviousDiaryEntry::updateMonth(const QDate& month)
{
    const std::optional<QStringList> dates =
        DiaryDB::instance()->getAllDatesForMonth(_sourceUser(), month, false);
    // Dates that could not be read leave the days marked as they were.
    if (!dates)
        return;
    copyFromCal->clearBoldBits();
    copyFromCal->setDayFgColor(_destination, _sourceUser() == currentUser()
                                                 ? QColor(Qt::lightGray)
                                                 : QColor(Qt::black));
    for (const QString& date : *dates)
        copyFromCal->setBoldDay(date.toLatin1().constData());
    _markedMonth = month;
    _markedUser = userList->currentIndex();
    copyFromCal->setDate(copyFromCal->getDate(), true);
}

void CopyPreviousDiaryEntry::_showMonth()
{
    if (StorePrompt::read(this, [this] { updateMonth(copyFromCal->getDate()); }))
        return;
    userList->setCurrentIndex(_markedUser);
    copyFromCal->setDate(_markedMonth, true);
}

void CopyPreviousDiaryEntry::userChanged()
{
    _showMonth();
    setDatePrompt(copyFromCal->getDate());
}

void CopyPreviousDiaryEntry::setDatePrompt(const QDate& source)
{
    bool enabled = false;
    if (_sourceUser() == currentUser() && source == _destination) {
        textDestDate->setText(tr("<br><b>Please choose a different day to copy from.</b>"));
    } else if (copyFromCal->isBoldDay(source)) {
        textDestDate->setText(tr("<br><b>Copying from %1 to %2</b><br>")
                                  .arg(DisplayDate::textDate(source), DisplayDate::textDate(_destination)));
        enabled = true;
    } else {
        textDestDate->setText(
            tr("<br><b>There are no diary entries on %1. Please choose another day.</b>")
                .arg(DisplayDate::textDate(source)));
    }
    btnAppend->setEnabled(enabled);
    btnOverwrite->setEnabled(enabled);
    btnOK->setEnabled(enabled);
}

void CopyPreviousDiaryEntry::toggle()
{
    if (!_position)
        _position = pos();
    _advancedShown = !_advancedShown;
    frmSimple->setVisible(!_advancedShown);
    frmAdvanced->setVisible(_advancedShown);
    if (_advancedShown)
        move(_position->x(), _position->y() / 2);
    else
        move(*_position);
    layout()->activate();
    // The size the rows ask for, not the two thirds of the screen that adjustSize() allows.
    resize(sizeHint());
    ScreenFit::fit(this);
    update();
}

void CopyPreviousDiaryEntry::_enableRow(Row row, bool enabled)
{
    _rows[row].append->setEnabled(enabled);
    _rows[row].overwrite->setEnabled(enabled);
}

void CopyPreviousDiaryEntry::rBreakfast(int index)
{
    _enableRow(Breakfast, index != _rows[Breakfast].source->count() - 1);
}

void CopyPreviousDiaryEntry::rMSnacks(int index)
{
    _enableRow(MorningSnacks, index != _rows[MorningSnacks].source->count() - 1);
}

void CopyPreviousDiaryEntry::rLunch(int index)
{
    _enableRow(Lunch, index != _rows[Lunch].source->count() - 1);
}

void CopyPreviousDiaryEntry::rASnacks(int index)
{
    _enableRow(AfternoonSnacks, index != _rows[AfternoonSnacks].source->count() - 1);
}

void CopyPreviousDiaryEntry::rDinner(int index)
{
    _enableRow(Dinner, index != _rows[Dinner].source->count() - 1);
}

void CopyPreviousDiaryEntry::rSnacks(int index)
{
    _enableRow(Snacks, index != _rows[Snacks].source->count() - 1);
}

void CopyPreviousDiaryEntry::rExercises(int index)
{
    _enableRow(Exercises, index == 0);
}

bool CopyPreviousDiaryEntry::addEntries(int sourceMeal, int destMeal, int overwrite)
{
    if (sourceMeal == kNone)
        return true;
    DiaryDB* diary = DiaryDB::instance();
    const qint64 user = currentUser();
    if (overwrite) {
        if (!diary->delDiaryEntries(user, _destination, destMeal))
            return false;
        // With all snacks in one group, that group shows meals 2 and 4 as well.
        if (destMeal == DBTypes::DiaryDay::EVENING_SNACK
            && _snackDisplay == DBTypes::SNACKS_TOGETHER
            && !(diary->delDiaryEntries(user, _destination, DBTypes::DiaryDay::MORNING_SNACK)
                 && diary->delDiaryEntries(user, _destination, DBTypes::DiaryDay::AFTERNOON_SNACK)))
            return false;
    }
    const std::string source = dateCode(copyFromCal->getDate());
    const std::optional<DBTypes::DiaryDay> read = diary->getDay(_sourceUser(), source.c_str(), false);
    if (!read)
        return false;
    const DBTypes::DiaryDay& day = *read;
    const std::string destination = dateCode(_destination);
    bool stored = true;
    if (sourceMeal == DBTypes::DiaryDay::EXERCISE) {
        if (destMeal != DBTypes::DiaryDay::EXERCISE)
            return true;
        // Another user's exercise burns by the weight of the user who receives it.
        const bool otherUser = _sourceUser() != user;
        UserDB* users = UserDB::instance();
        std::optional<float> from = 0.0f;
        std::optional<float> to = 0.0f;
        if (otherUser) {
            from = users->weightForDay(_sourceUser(), source.c_str());
            to = users->weightForDay(user, destination.c_str());
        }
        // Never stored by a weight that could not be read.
        if (!from || !to)
            return false;
        for (DBTypes::ExerciseDiaryItem entry : day.exercises) {
            entry.setDate(destination);
            entry.transferTo(user, *from, *to);
            stored = stored && diary->addExEntry(entry, false) >= 0;
        }
        return stored;
    }
    if (destMeal == DBTypes::DiaryDay::EXERCISE)
        return true;
    for (DBTypes::FoodDiaryItem entry : day.foods) {
        if (entry.meal != sourceMeal)
            continue;
        entry.entryId = -1;
        entry.meal = destMeal;
        entry.setDate(destination);
        entry.userId = user;
        // Another user's own food stays theirs: the copy keeps the entry's name, serving and
        // values, as an entry of a food that is gone does.
        if (stored && !DiaryDB::mayNameFood(user, entry.refId))
            entry.refId = -1;
        stored = stored && diary->addFoodEntry(entry, false) >= 0;
    }
    return stored;
}

int CopyPreviousDiaryEntry::_chosenSource(Row row) const
{
    const int index = _rows[row].source->currentIndex();
    if (row == Exercises)
        return index == 0 ? int(DBTypes::DiaryDay::EXERCISE) : kNone;
    return index >= 0 && index < _sources.size() ? _sources.at(index) : kNone;
}

bool CopyPreviousDiaryEntry::_copyAdvanced(Row row, int destination)
{
    return addEntries(_chosenSource(row), destination, _rows[row].overwrite->isChecked());
}

bool CopyPreviousDiaryEntry::_copyChosenMeals()
{
    bool stored = _copyAdvanced(Breakfast, 1) && _copyAdvanced(Lunch, 3)
                  && _copyAdvanced(Dinner, 5);
    if (_snackDisplay != DBTypes::SNACKS_TOGETHER) {
        stored = stored && _copyAdvanced(MorningSnacks, 2) && _copyAdvanced(AfternoonSnacks, 4)
                 && _copyAdvanced(Snacks, 6);
    } else {
        stored = stored && _copyAdvanced(Snacks, 6);
        if (stored && _chosenSource(Snacks) == DBTypes::DiaryDay::EVENING_SNACK)
            stored = addEntries(2, 6, 0) && addEntries(4, 6, 0);
    }
    return stored && _copyAdvanced(Exercises, DBTypes::DiaryDay::EXERCISE);
}

void CopyPreviousDiaryEntry::doAction()
{
    const QObject* action = sender();
    // One transaction: a refused entry leaves the destination day as it was.
    const auto copy = [this, action] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        StoreTransaction change;
        if (!change)
            return false;
        bool stored = true;
        if (action == btnOK) {
            stored = _copyChosenMeals();
        } else {
            if (action == btnOverwrite)
                stored = DiaryDB::instance()->delDiaryEntries(currentUser(), _destination, 0);
            for (int group = 1; group <= 6 && stored; ++group)
                stored = addEntries(group, group, 0);
            stored = stored && addEntries(DBTypes::DiaryDay::EXERCISE, DBTypes::DiaryDay::EXERCISE, 0);
        }
        return change.end(stored);
    };
    if (StorePrompt::change(this, tr("Copy Previous Diary Entries"), copy,
                            tr("The entries could not be copied, and the diary is unchanged.")))
        accept();
    else
        reject();
}
