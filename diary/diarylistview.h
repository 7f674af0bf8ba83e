#pragma once

#include "browser/itemdrag.h"
#include "core/diaryday.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class BrowsableDBIterator;
class BXCalendar;
struct DiaryPageContent;
class DiaryListViewItem;
class QAction;
class QMenu;

// The diary list: one day of the current user's diary under seven group rows (the six meal
// groups and the exercises), with up to five nutrient columns. Column 0 of every row holds
// the row's id under RowIdRole: minus its GroupType for a group row, HintRowId for the hint
// row of an empty group, the diary entry id for an entry row. It shows and acts on the user
// and day of ShownDay; the calendar it is bound to carries the bold marks of days that hold
// entries.
//
// Every change goes to the diary store first; the rows follow only what the store took.
class DiaryListView : public QTreeWidget
{
    Q_OBJECT

public:
    static constexpr int RowIdRole = Qt::UserRole;
    static constexpr int HintRowId = -9999;
    static constexpr int MaxNutrientColumns = 5;

    // The commands of the row context menu.
    enum ContextCommand {
        EditCommand = 1,
        RemoveCommand = 2,
        SaveMealCommand = 3,
        LoadMealCommand = 4
    };

    DiaryListView(QWidget* parent, const char* name);

    void setCalendar(BXCalendar* calendar);
    // The shown day as a date code.
    QString today() const;
    // Shows a day read whole: columns, snack layout, rows, totals and the month's marks.
    void showRead(const DiaryPageContent& content);
    // Whether the calendar holds the marked days of the user's month of `date`, as read with
    // a day shown; the months browsed in the calendar are marked for its display only.
    bool holdsMarkedDays(qint64 user, const QDate& date) const;
    // The glasses of water of the shown day, which mark the day as one with entries.
    void setFluid(int cups);

    int getViewMode() const { return _viewMode; }
    // The NutType of each nutrient column, each followed by ':'; "-" without one.
    QString getColumnSettings() const;
    const std::vector<DBTypes::NutType>& nutrientColumns() const { return _columns; }

    // Whether the selected row is an entry row.
    bool isAnyItemSelected() const;
    // Whether the calendar marks the shown day bold, that is, the day has entries.
    bool isEmpty() const;
    // Whether the shown day holds entries or water, as the list holds them.
    bool shouldBold() const;

    // The group row of a GroupType (1 to 6, 8).
    QTreeWidgetItem* groupRow(int group) const;
    static qint64 rowId(const QTreeWidgetItem* row);
    // The amount text of a number of servings ("1/2", "2¼", "1.3").
    static QString niceDouble(double value);

    // The GroupType of the group row that shows a food entry of `meal` in a snack layout.
    static int fileGroup(int viewMode, int meal);
    // The nutrients of a column settings text: whole numbers 0 to 9, each once, at most five.
    static std::vector<DBTypes::NutType> parseColumnSettings(const QString& settings);
    static QString printColumnSettings(const std::vector<DBTypes::NutType>& columns);
    // The total of a nutrient over the entries a group row shows in a snack layout.
    static float groupTotal(const DBTypes::DiaryDay& day, int viewMode, int group,
                            DBTypes::NutType nut);

    // Stores a food entry for the shown day (a new one when its id is negative) and adds its
    // row; the row, or nullptr when the store refused it.
    DiaryListViewItem* addFoodItem(DBTypes::FoodDiaryItem& entry);
    DiaryListViewItem* addFoodItemToGui(const DBTypes::FoodDiaryItem& entry);
    // Stamps an exercise entry with the shown day and the current user.
    void completeExerciseEntry(DBTypes::ExerciseDiaryItem& entry) const;
    // The group's totals of the day the list holds, and its hint row when it has no entry.
    void showHideEmptyText(QTreeWidgetItem* group);

    QMenu* headerMenu() const { return _headerMenu; }
    // The payload of the selected entry row, owned by the caller, or nullptr when no entry
    // row is selected; the row is remembered as the one dragged out of this list.
    ItemDrag* dragObject();
    // The current user's saved meals, then the shared ones.
    static std::vector<std::unique_ptr<BrowsableDBIterator>> savedMealLists();

signals:
    void totalChanged(const DBTypes::DiaryDay& day);
    void requestEditMenuRefresh(const int context, const int state);
    void dropFinished();
    void newSavedMeal(const qint64 mealId);
    void notifyAdvanceMode(int mode);

public slots:
    void resizeColumns();
    // Rebuilds the nutrient columns from a settings text.
    void setColumnSettings(const QString& settings);
    // Stores the snack layout (SnackDisplay) in the user's preferences, then regroups the
    // group rows and files the shown entries again; false, with the layout as it was, when
    // it was not stored.
    bool setViewMode(int mode);
    int viewMode() const { return _viewMode; }
    // Reads and marks the days with entries of the calendar's month, as one reading action;
    // the marks of other months stay.
    void refreshCalendar();
    void setBoldDay(const QString& dateCode);
    void setBoldDay(const QDate& date);
    void unsetBoldDay(const QString& dateCode);
    void unsetBoldDay(const QDate& date);
    void setBoldToday();
    void checkEntries();
    // Reads the shown day's rows again, inside the caller's reading action.
    void showToday();
    void addContextFood(DBTypes::FoodDiaryItem& entry);
    // Adds a saved meal's foods, each with its own meal group, as one change.
    void addContextMeal(std::vector<DBTypes::FoodDiaryItem>& entries);
    void addContextExercise(DBTypes::ExerciseDiaryItem& entry);
    void doExerciseDialog(qint64 exerciseId);
    void deleteEntry();
    void editEntry();
    DiaryListViewItem* addExItemToGui(const DBTypes::ExerciseDiaryItem& entry);
    // Opens the header menu for a section.
    void popupNutrientMenu(int section);
    void handleHeaderContextMenu(QAction* action);
    // Adds what a drop accepted by the drag handling carries.
    void objectDropped(QDropEvent* event);
    // Opens the row menu for the row at a point of the viewport.
    void showContextMenu(const QPoint& pos);
    // Runs a ContextCommand on the current row.
    void handleContextMenu(int command);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // Where a drag comes from: this list, another widget of the program, or nullptr for
    // another program.
    virtual const QObject* dropSource(const QDropEvent* event) const;

    // What the list asks of the user; tests answer in place of the dialogs.
    virtual QAction* execMenu(QMenu* menu, const QPoint& globalPos);
    virtual double askServings(bool* ok);
    virtual QString askMealName(bool* ok);
    virtual void showWarning(const QString& caption, const QString& text);
    // The saved meal chosen in the saved-meal dialog, or -1.
    virtual qint64 chooseSavedMeal();
    // Runs the Add food dialog on a catalogue food (foodId 0 or more) or on `entry`, as an
    // edit when `editing`; true, with `entry` filled from the dialog, when the user accepts.
    virtual bool runFoodDialog(DBTypes::FoodDiaryItem& entry, qint64 foodId, bool editing);
    // The same for the Add exercise dialog; a new entry is given the user's weight.
    virtual bool runExerciseDialog(DBTypes::ExerciseDiaryItem& entry, qint64 exerciseId,
                                   bool editing);
    // Fills an entry from a recipe; false when the recipe cannot be fetched.
    virtual bool loadRecipe(DBTypes::FoodDiaryItem& entry, qint64 recipeId);

private:
    void _createGroupRows();
    void _createHeaderMenu();
    void _prepareHeaderMenu(int section);
    void _applyColumns();
    // Stores the column layout for the current user; whether it is stored.
    bool _storeColumns(const std::vector<DBTypes::NutType>& columns);
    void _resetView();
    // Shows the entries the list holds again, in the columns and layout now chosen.
    void _refill();
    void _fillRows(const DBTypes::DiaryDay& day);
    DiaryListViewItem* _addExRow(const DBTypes::ExerciseDiaryItem& entry);
    void _updateTotals();
    // The entries the list holds follow the rows: kept as they are stored, forgotten as they
    // are removed.
    void _keep(const DBTypes::FoodDiaryItem& entry);
    void _keep(const DBTypes::ExerciseDiaryItem& entry);
    void _forget(qint64 entryId, bool exercise);
    // Replaces the calendar's marks of the month with the dates of it among `dates`.
    void _markMonth(const QDate& month, const QStringList& dates);
    bool _storeFoodEntry(DBTypes::FoodDiaryItem& entry);
    // Makes a change of the list through StorePrompt; `change` may name what it refused in
    // `refusal`. Whether it was stored.
    bool _change(const std::function<bool(QString& refusal)>& change);
    // Reads an entry before its dialog asks for the new one; false when the diary could not
    // be read or `read` found no entry.
    bool _readEntry(const std::function<bool()>& read);
    // Why the store refused `entry`, alone or as one food of a meal.
    QString _refusal(const DBTypes::FoodDiaryItem& entry, bool ofMeal) const;
    // Lays the groups out in a snack display (0 to 2) without storing it.
    void _showViewMode(int mode);
    bool _hasSavedMeals() const;
    void _removeEntry(QTreeWidgetItem* row);
    void _editEntry(QTreeWidgetItem* row);
    void _saveMeal(QTreeWidgetItem* group);
    void _loadMeal(QTreeWidgetItem* group);
    bool _addFoodEntries(std::vector<DBTypes::FoodDiaryItem>& entries, int group);
    void _selectRow(QTreeWidgetItem* row);
    bool _acceptDrag(QDropEvent* event);
    QTreeWidgetItem* _dropTarget(const QPoint& pos) const;
    void _dropFromBrowser(int groupType);
    void _dropSavedMeal(qint64 mealId, int groupType);
    void _moveEntry(int groupType);
    std::optional<float> _userWeight() const;
    bool _readMeal(qint64 mealId, std::optional<std::vector<DBTypes::FoodDiaryItem>>& entries);
    QString _columnTitle(DBTypes::NutType nut) const;
    int _widestColumn() const;

    BXCalendar* _calendar = nullptr;
    int _viewMode = DBTypes::SNACKS_TOGETHER;
    // The shown day's entries and glasses of water, as read with the day and as changed since.
    DBTypes::DiaryDay _day;
    int _fluid = 0;
    // The user and a day of the month whose marked days were read with a day shown.
    std::optional<std::pair<int, QDate>> _marked;
    DiaryListViewItem* _groups[9] = {};
    std::vector<DBTypes::NutType> _columns;
    int _nutrientColumnWidth = 0;
    QMenu* _headerMenu = nullptr;
    int _headerSection = 0;
    QAction* _nutrientActions[DBTypes::NUTRIENT_COUNT] = {};
    QAction* _nutrientSeparator = nullptr;
    QAction* _addNutrientAction = nullptr;
    QAction* _removeNutrientAction = nullptr;
    QAction* _layoutActions[3] = {};

    // The drag in progress: its payload, the entry row dragged out of this list (its id and
    // its group row's id) and the group row under the pointer (0 for none).
    ItemDrag::ItemEncoded _dragItem;
    qint64 _draggedId = 0;
    int _draggedGroupId = 0;
    int _dragTargetGroupId = 0;
};
