#pragma once

#include <QDate>
#include <QDialog>
#include <QList>
#include <QPoint>

#include <optional>
#include <vector>

class BXCalendar;
class QButtonGroup;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The dialog that fills the diary day on screen (the destination) from another day: the
// whole day, appended to its entries or in their place, or meal by meal from any user of
// the household. Entries are always written for the current user.
class CopyPreviousDiaryEntry : public QDialog
{
    Q_OBJECT

public:
    // A new dialog for the destination date, which the caller runs and deletes; null when
    // what it shows could not be read.
    static CopyPreviousDiaryEntry* construct(QWidget* parent, const QDate& date);

    QDate destinationDate() const { return _destination; }

    // Copies the source day's foods of one meal group (or its exercises, group 8) into a
    // group of the destination day, first removing that group's entries when overwrite is
    // set. A source of -1 copies nothing. False when the store refused an entry.
    bool addEntries(int sourceMeal, int destMeal, int overwrite);

    QLabel* textLabel1_4;
    QLabel* textDestDate;
    BXCalendar* copyFromCal;
    QFrame* frmSimple;
    QLabel* textLabel1;
    QPushButton* btnAppend;
    QPushButton* btnOverwrite;
    QPushButton* btnAdvance;
    QPushButton* btnSCancel;
    QFrame* frmAdvanced;
    QLabel* textLabel1_2;
    QComboBox* userList;
    QPushButton* btnOK;
    QPushButton* btnSimple;
    QPushButton* btnACancel;

public slots:
    void setDatePrompt(const QDate& source);
    void toggle();
    void rBreakfast(int index);
    void rMSnacks(int index);
    void rLunch(int index);
    void rASnacks(int index);
    void rDinner(int index);
    void rSnacks(int index);
    void rExercises(int index);
    // Marks the days of `month` that have entries; days that could not be read leave the
    // marks as they were. Runs inside a reading action.
    void updateMonth(const QDate& month);
    void doAction();
    void userChanged();
    void languageChange();

private:
    // One meal row of the advanced frame.
    struct MealRow
    {
        QGroupBox* group;
        QComboBox* source;
        QRadioButton* append;
        QRadioButton* overwrite;
        int destination;
    };

    enum Row { Breakfast, MorningSnacks, Lunch, AfternoonSnacks, Dinner, Snacks, Exercises };

    CopyPreviousDiaryEntry(QWidget* parent, const QDate& date);
    void _buildForm();
    QFrame* _buildSimpleFrame();
    QFrame* _buildAdvancedFrame();
    MealRow _buildRow(QWidget* parent, const char* group, const char* source,
                      const char* append, const char* overwrite, int destination);
    QPushButton* _button(QWidget* parent, const char* name);
    void init();
    void _fillUsers();
    void _fillSources();
    void _enableRow(Row row, bool enabled);
    // Reads and marks the month now shown; when it cannot be read, the month and the user
    // marked before are shown again.
    void _showMonth();
    qint64 _sourceUser() const;
    int _chosenSource(Row row) const;
    bool _copyChosenMeals();
    bool _copyAdvanced(Row row, int destination);

    QDate _destination;
    int _snackDisplay = 0;
    QList<int> _sources;
    QList<qint64> _userIds;
    std::vector<MealRow> _rows;
    bool _advancedShown = false;
    std::optional<QPoint> _position;
    // The month and the user whose days are marked.
    QDate _markedMonth;
    int _markedUser = 0;
};
