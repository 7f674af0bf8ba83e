#pragma once

#include "browser/itemdrag.h"
#include "core/dbtypes.h"
#include "core/fooddiaryitem.h"

#include <QPixmap>
#include <QRect>
#include <QString>
#include <QTreeWidget>

#include <optional>
#include <set>
#include <vector>

class BrowsableDB;
class FoodViewItem;
class MoreViewItem;
class NotificationParam;
class QMenu;
class RankedViewItem;

// The tree list behind each tab of the browser: one catalogue shown as its category tree
// (categories load their children when opened), as the user's favourites, or, during a
// search of the Foods list, as the best 30 hits under their category headers. It takes keys,
// context menus, drags out, moves within the list and diary entries dropped on it; most
// actions only emit a signal for the browser panel.
class DragListView : public QTreeWidget
{
    Q_OBJECT

public:
    // Hits kept by the ranked view.
    static constexpr int RANKED_HITS = 30;

    // The object name is the given one; the parent's object name tells the lists apart
    // ("tabMyFoods", "tabMyExercises", "tabSaveMeals").
    explicit DragListView(QWidget* parent = nullptr, const char* name = nullptr);
    ~DragListView() override;

    void setup(const QPixmap& pixmap, int flags);
    // Shows a catalogue (not owned) from its top. The catalogue shown given again for the
    // same user is a refresh (applyTerms(false)): the rows open and selected stay.
    void setDb(BrowsableDB* db);
    // Accepts the empty text and texts holding three non-space characters in a row; unless
    // testOnly, an accepted text becomes the search text (applied by applyTerms).
    bool setSearch(const QString& text, bool testOnly);
    QString getSearch() const { return _search; }
    void setGenericOnly(bool on) { _genericOnly = on; }
    bool getGenericOnly() const { return _genericOnly; }
    void setFavoritesOnly(bool on) { _favoritesOnly = on; }
    bool getFavoritesOnly() const { return _favoritesOnly; }
    void setRankedView(bool on) { _rankedView = on; }
    bool getRankedView() const { return _rankedView; }
    // The snack layout the menu's meals follow.
    void setSnackDisplay(int snackDisplay) { _snackDisplay = snackDisplay; }
    // The favourites are read with the catalogue and kept by the actions that mark them: a
    // search, the menu, a selection and an opened category read nothing. Keeps a mark stored
    // for the user shown.
    void keepFavorite(qint64 id, bool favorite);
    // Whether the item of that id is one of the favourites the list holds; nothing while it
    // holds none of the user shown.
    std::optional<bool> heldFavorite(qint64 id) const;
    // Rebuilds the list. anew (another search, filter, catalogue or user) forgets which
    // categories were open and shows the list from its top; otherwise both stay.
    void applyTerms(bool anew);
    // The first loaded row, depth first, below `under` (the whole list when null) with that
    // id and with the category bit exactly when category is true.
    FoodViewItem* locateFvi(qint64 id, bool category, FoodViewItem* under) const;

    // The text painted into a list without rows of its own, and its box (invalid until
    // painted; one pixel at 0,0 when it does not fit).
    QString emptyText() const { return _emptyText; }
    QRect emptyTextBox() const { return _emptyBox; }
    const std::set<qint64>& expandedCategories() const { return _expanded; }
    // Opens the category of that id at the list's next refill.
    void keepExpanded(qint64 id) { _expanded.insert(id); }
    MoreViewItem* moreRow() const { return _mvi; }
    FoodViewItem* rowFromIndex(const QModelIndex& index) const;
    // The rename editor's commit: sets the text and reports it; a blank text is refused.
    void commitRename(FoodViewItem* row, const QString& text);

    // Whether a drag of `mime` from `source` may be dropped on `target` (decoding its
    // payload); a drag without a source widget comes from another program and is refused.
    bool canDrop(const QMimeData* mime, const QObject* source, QTreeWidgetItem* target);
    // Drops what canDrop accepted; false when it refused.
    bool dropPayload(const QMimeData* mime, const QObject* source, QTreeWidgetItem* target);
    // Whether target lies outside the row being dragged.
    bool dragDestIsNotChild(QTreeWidgetItem* target) const;
    // The row a drag out of the list starts from (the selected row), or null.
    FoodViewItem* startDragRow();

signals:
    void viewAllClicked();
    void addContextFood(DBTypes::FoodDiaryItem& entry);
    // A saved meal's foods, to be added to the diary as one change.
    void addContextMeal(std::vector<DBTypes::FoodDiaryItem>& entries);
    void doExerciseDialog(qint64 id);
    void addCustomFood(qint64 id);
    void addCustomFoodCategory(qint64 id);
    void editCustomFood(qint64 id);
    void editCustomFoodCategory(qint64 id);
    void renameSavedMeal(const qint64 id, const QString& name);
    void deleteSavedMeal(const qint64 id);
    void addCustomFoodFromMeal(FoodViewItem* row);
    void removeCustomFood(qint64 id);
    void removeCustomFoodCategory(qint64 id);
    void addCustomEx(qint64 id);
    void editCustomEx(qint64 id);
    void addCustomExCategory(qint64 id);
    void editCustomExCategory(qint64 id);
    void removeCustomEx(qint64 id);
    void removeCustomExCategory(qint64 id);
    void removeFood();
    void insertNewFoodItem();
    void insertNewFoodCat();
    void editFood();
    void removeExercise();
    void insertNewExerciseItem();
    void insertNewExerciseCat();
    void editExercise();
    void editSavedMeal();
    void deleteSavedMeal();
    void addToCustomFoodDB(const qint64 category, const QString& name, const QString& servingName,
                           const DBTypes::FoodItem& values);
    void addToCustomExDB(const qint64 category, const QString& name, const float rate);
    // Every change of the selected row (null for none), and after a favourite action.
    void selectionChanged(QTreeWidgetItem* row);
    void contextMenuRequested(QTreeWidgetItem* row, const QPoint& globalPos, int column);
    void itemRenamed(QTreeWidgetItem* row, int column, const QString& text);
    // The list was rebuilt after its catalogue changed, with the changed row or the row
    // selected before selected again where it is still listed.
    void reloaded();
    // After reloaded, when the change was to one row (made, moved or renamed): that row,
    // now the list's current row.
    void changedRowShown(QTreeWidgetItem* row);

public slots:
    void showContextMenu(QTreeWidgetItem* row, const QPoint& globalPos, int column);
    void handleContextMenu(int id);
    void categoryExpanded(QTreeWidgetItem* row);
    void categoryCollapsed(QTreeWidgetItem* row);
    void dyndbChanged(const QString& name, const NotificationParam& param);

protected:
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // A list that grows shorter keeps its current row in sight when it was: a detail panel
    // below that grows to show the row never hides it.
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // A row's id and whether it is a category: ids of items and categories may be the same.
    struct RowKey {
        qint64 id;
        bool category;
    };

    // Population.
    // Rebuilds the rows as applyTerms does, leaving none selected.
    void _refill(bool anew);
    std::optional<RowKey> _selectedKey() const;
    // Selects and shows the listed row of that key; false when it is not listed.
    bool _select(const RowKey& key);
    // Whether the catalogue holds the record, listed or not; when it does, the categories
    // above it are kept open for the next refill.
    bool _openTo(const RowKey& key);
    void _applyTree(int treeFlags, bool expand);
    void _addFromDbToListView(FoodViewItem* parent, qint64 parentId);
    std::vector<FoodViewItem*> _addRows(FoodViewItem* parent, qint64 parentId);
    void _addFavoritesToListView();
    RankedViewItem* _favoriteRow(const QString& name, qint64 id);
    void _applyRanked();
    FoodViewItem* _newRow(const QString& text, qint64 id, bool fixed);
    QString _decodeName(const char* name) const;
    QString _favoritesTitle() const;
    void _updateEmptyText();
    void _computeEmptyBox();
    void _markFavorite(FoodViewItem* row);
    // The user's favourites of the list's type. When they cannot be read, those the list
    // showed for the same user: a refresh that could not read them keeps its stars.
    void _readFavorites();
    // The favourites held of the user shown: none while the list holds another user's.
    const std::set<qint64>& _shownFavorites() const;
    bool _isInMoreButton(const QPoint& viewportPos) const;

    // Menus and actions.
    void _fillMenu(const FoodViewItem* row, int snackDisplay);
    void _addMenuEntry(const QString& text, int id);
    void _addFavoriteEntry(const FoodViewItem* row);
    bool _runAction(int id, qint64 rowId, unsigned char rowType, const QString& rowText);
    bool _emitRowSignal(int id, qint64 rowId);
    bool _addFoodThroughDialog(qint64 foodId, int meal);
    void _addSavedMeal(qint64 mealId, unsigned char rowType, int meal);
    void _addRecipe(qint64 recipeId, int meal);
    void _handleKey(int key);
    void _askCreate(bool food);

    // Drops.
    bool _catalogueTakes(unsigned char payloadType) const;
    void _doLocalItemDrag(FoodViewItem* target);
    void _doDiaryItemDrag(FoodViewItem* target);
    void _diaryFoodDrop(FoodViewItem* target);
    void _diaryExerciseDrop(FoodViewItem* target);

    QMenu* _contextMenu;
    qint64 _lastKeyMs;
    FoodViewItem* _dragItem = nullptr;
    ItemDrag::ItemEncoded _payload;
    QString _parentName;
    QPixmap _favoritePixmap;
    QPixmap _listPixmap;
    int _listFlags = 0;
    BrowsableDB* _db = nullptr;
    QString _search;
    bool _genericOnly = false;
    bool _favoritesOnly = false;
    bool _rankedView = false;
    QString _emptyText;
    QRect _emptyBox;
    bool _moreClickInProgress = false;
    MoreViewItem* _mvi = nullptr;
    std::set<qint64> _expanded;
    std::set<qint64> _favorites;
    // The user whose favourites the list holds; none while it holds none.
    std::optional<qint64> _favoritesUser;
    // Whether they were read since the list was given its catalogue: only then does a refill
    // (a search, a filter) take them as held, kept by the list's own changes.
    bool _favoritesRead = false;
    int _snackDisplay = 0;
    // While the rows are rebuilt, the selection's changes are not told: only where it ends.
    bool _rebuilding = false;
};
