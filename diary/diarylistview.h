#pragma once

#include "core/diaryday.h"

#include <QString>
#include <QTreeWidget>

#include <map>
#include <vector>

class BXCalendar;

// The diary list: one day of the current user's diary under seven group rows (the six meal
// groups and the exercises), with a column per chosen nutrient. Column 0 of every row
// holds the row's id under RowIdRole: minus its GroupType for a group row, HintRowId for the
// hint row of an empty group, the diary entry id for an entry row. The calendar it is bound
// to decides the day shown and carries the bold marks of days that hold entries.
class DiaryListView : public QTreeWidget
{
    Q_OBJECT

public:
    static constexpr int RowIdRole = Qt::UserRole;
    static constexpr int HintRowId = -9999;

    DiaryListView(QWidget* parent, const char* name);

    void setCalendar(BXCalendar* calendar);
    // The calendar's selected date as a date code.
    QString today() const;

    int getViewMode() const { return _viewMode; }
    // The NutType of each nutrient column, each followed by ':'; "-" without one.
    QString getColumnSettings() const;

    // Whether the selected row is an entry row.
    bool isAnyItemSelected() const;
    // Whether the calendar marks the shown day bold, that is, the day has entries.
    bool isEmpty() const;
    // Whether the shown day holds entries or water.
    bool shouldBold() const;

    // The group row of a GroupType (1 to 6, 8).
    QTreeWidgetItem* groupRow(int group) const;
    static int rowId(const QTreeWidgetItem* row);
    // The amount text of a number of servings ("1/2", "2¼", "1.3").
    static QString niceDouble(double value);

signals:
    void totalChanged(const DBTypes::DiaryDay& day);
    void requestEditMenuRefresh(const int context, const int state);
    void dropFinished();
    void newSavedMeal(const int mealId);
    void notifyAdvanceMode(int mode);

public slots:
    // Colon-separated NutType numbers such as "0:2:"; parts that are no whole number are
    // skipped. Rebuilds the columns and reloads the day.
    void setColumnSettings(const QString& settings);
    // Sets the snack layout (SnackDisplay), stores it in the user's preferences and
    // regroups the group rows.
    void setViewMode(int mode);
    void refreshCalendar();
    void setBoldDay(const QDate& date);
    void unsetBoldDay(const QDate& date);
    void setBoldToday();
    void checkEntries();
    // Reloads the rows of the calendar's day.
    void showToday();
    // Removes the selected entry (no question) and updates the totals.
    void deleteEntry();
    void editEntry();
    // Stores a new food entry for the shown day and adds its row.
    void addContextFood(DBTypes::FoodDiaryItem& entry);
    void addContextExercise(DBTypes::ExerciseDiaryItem& entry);
    void doExerciseDialog(int exerciseId);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void _createGroupRows();
    void _resetView();
    void _addFoodItemToGui(const DBTypes::FoodDiaryItem& entry);
    void _addExItemToGui(const DBTypes::ExerciseDiaryItem& entry);
    void _showHideEmptyText(QTreeWidgetItem* group, const DBTypes::DiaryDay& day);
    void _updateTotals();
    DBTypes::DiaryDay _loadDay() const;
    int _fileGroup(int meal) const;
    void _setNutrientColumns(const std::vector<DBTypes::NutType>& nutrients);
    void _refreshColumnTitles();

    BXCalendar* _calendar = nullptr;
    int _viewMode = DBTypes::SNACKS_TOGETHER;
    std::map<int, QTreeWidgetItem*> _groups;
    std::vector<DBTypes::NutType> _columns;
};
