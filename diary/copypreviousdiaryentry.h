#pragma once

#include <QDate>
#include <QDialog>

class BXCalendar;
class QLabel;
class QPushButton;

// The dialog that copies the diary entries of a day the user picks into the destination
// day, appended to its entries or in their place.
class CopyPreviousDiaryEntry : public QDialog
{
    Q_OBJECT

public:
    // A new dialog for the destination date; the caller runs and deletes it.
    static CopyPreviousDiaryEntry* construct(QWidget* parent, const QDate& date);

    QDate destinationDate() const { return _destination; }

    // Copies the source day's foods of one meal group (or its exercises, group 8) into a
    // group of the destination day, first removing that group's entries when overwrite is
    // set. A source of -1 copies nothing.
    void addEntries(int sourceMeal, int destMeal, int overwrite);

    BXCalendar* copyFromCal;
    QLabel* textDestDate;
    QPushButton* btnAppend;
    QPushButton* btnOverwrite;
    QPushButton* btnSCancel;

public slots:
    void updateMonth(const QDate& month);
    void setDatePrompt(const QDate& source);
    void doAction();

private:
    CopyPreviousDiaryEntry(QWidget* parent, const QDate& date);
    QPushButton* _button(const QString& text, const char* name);

    QDate _destination;
};
