#include "diary/copypreviousdiaryentry.h"

#include "widgets/bxcalendar.h"
#include "core/diaryday.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <new>

namespace {

int currentUser()
{
    return UserDB::instance()->getCurrentUser();
}

std::string dateCode(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toStdString();
}

} // namespace

CopyPreviousDiaryEntry* CopyPreviousDiaryEntry::construct(QWidget* parent, const QDate& date)
{
    auto* dialog = new (std::nothrow) CopyPreviousDiaryEntry(parent, date);
    if (!dialog)
        qFatal("new CopyPreviousDiaryEntry failed");
    return dialog;
}

CopyPreviousDiaryEntry::CopyPreviousDiaryEntry(QWidget* parent, const QDate& date)
    : QDialog(parent, Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint),
      copyFromCal(new BXCalendar(this, "copyFromCal")), textDestDate(new QLabel(this)),
      _destination(date)
{
    setWindowTitle(tr("Copy Diary Entries"));
    setMinimumSize(400, 80);
    textDestDate->setObjectName(QStringLiteral("textDestDate"));
    btnAppend = _button(tr("&Append"), "btnAppend");
    btnOverwrite = _button(tr("&Overwrite"), "btnOverwrite");
    btnSCancel = _button(tr("Cancel"), "btnSCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnSCancel);
    buttons->addWidget(btnOverwrite);
    buttons->addWidget(btnAppend);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(copyFromCal);
    layout->addWidget(textDestDate);
    layout->addLayout(buttons);

    connect(btnAppend, &QPushButton::clicked, this, &CopyPreviousDiaryEntry::doAction);
    connect(btnOverwrite, &QPushButton::clicked, this, &CopyPreviousDiaryEntry::doAction);
    connect(btnSCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(copyFromCal, &BXCalendar::monthChanged, this, &CopyPreviousDiaryEntry::updateMonth);
    connect(copyFromCal, &BXCalendar::dateChanged, this, &CopyPreviousDiaryEntry::setDatePrompt);
    copyFromCal->showToday(true);
    copyFromCal->setDate(date, true);
    updateMonth(date);
}

QPushButton* CopyPreviousDiaryEntry::_button(const QString& text, const char* name)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

void CopyPreviousDiaryEntry::updateMonth(const QDate& month)
{
    const QStringList dates =
        DiaryDB::instance()->getAllDatesForMonth(currentUser(), month, false);
    copyFromCal->clearBoldBits();
    copyFromCal->setDayFgColor(_destination, Qt::lightGray);
    for (const QString& date : dates)
        copyFromCal->setBoldDay(date.toLatin1().constData());
    copyFromCal->setDate(copyFromCal->getDate(), true);
}

void CopyPreviousDiaryEntry::setDatePrompt(const QDate& source)
{
    bool enabled = false;
    if (source == _destination) {
        textDestDate->setText(tr("<br><b>Please choose a different day to copy from.</b>"));
    } else if (copyFromCal->isBoldDay(source)) {
        textDestDate->setText(tr("<br><b>Copying from %1 to %2</b><br>")
                                  .arg(source.toString(), _destination.toString()));
        enabled = true;
    } else {
        textDestDate->setText(
            tr("<br><b>There are no diary entries on %1. Please choose another day.</b>")
                .arg(source.toString()));
    }
    btnAppend->setEnabled(enabled);
    btnOverwrite->setEnabled(enabled);
}

void CopyPreviousDiaryEntry::addEntries(int sourceMeal, int destMeal, int overwrite)
{
    if (sourceMeal == -1)
        return;
    DiaryDB* diary = DiaryDB::instance();
    const int user = currentUser();
    if (overwrite)
        diary->delDiaryEntries(user, _destination, destMeal);
    const DBTypes::DiaryDay day =
        diary->getDay(user, dateCode(copyFromCal->getDate()).c_str(), false);
    const std::string destination = dateCode(_destination);
    if (sourceMeal == DBTypes::DiaryDay::EXERCISE) {
        if (destMeal != DBTypes::DiaryDay::EXERCISE)
            return;
        for (DBTypes::ExerciseDiaryItem entry : day.exercises) {
            entry.setDate(destination);
            entry.userId = user;
            diary->addExEntry(entry, false);
        }
        return;
    }
    if (destMeal == DBTypes::DiaryDay::EXERCISE)
        return;
    for (DBTypes::FoodDiaryItem entry : day.foods) {
        if (entry.meal != sourceMeal)
            continue;
        entry.entryId = -1;
        entry.meal = destMeal;
        entry.setDate(destination);
        entry.userId = user;
        diary->addFoodEntry(entry, true);
    }
}

void CopyPreviousDiaryEntry::doAction()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents();
    if (sender() == btnOverwrite)
        DiaryDB::instance()->delDiaryEntries(currentUser(), _destination, 0);
    for (int group = 1; group <= 6; ++group)
        addEntries(group, group, 0);
    addEntries(DBTypes::DiaryDay::EXERCISE, DBTypes::DiaryDay::EXERCISE, 0);
    QApplication::restoreOverrideCursor();
    accept();
}
