#include "browser/draglistview.h"

#include "widgets/shownday.h"
#include "browser/browseritemflags.h"
#include "browser/draglistdelegate.h"
#include "browser/fixedviewitem.h"
#include "browser/moreviewitem.h"
#include "browser/rankedviewitem.h"
#include "catalogue/browsabledb.h"
#include "catalogue/dynamicdb.h"
#include "catalogue/dynamicdbreloadinfo.h"
#include "catalogue/fooddbstatic.h"
#include "catalogue/searchrank.h"
#include "catalogue/staticdb.h"
#include "core/brandengine.h"
#include "core/clock.h"
#include "core/notificationcenter.h"
#include "core/notificationparam.h"
#include "userdb/favoritesdb.h"
#include "userdb/userdb.h"

#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTreeWidgetItemIterator>

#include <cstring>
#include <map>

namespace {

// One hit of the ranked view, ordered by its rank under the search, then by name bytes.
struct ItemInfo
{
    qint64 rank;
    const char* name;
    qint64 id;
    quint32 group;

    bool operator<(const ItemInfo& other) const
    {
        if (rank != other.rank)
            return rank < other.rank;
        return std::strcmp(name, other.name) < 0;
    }
};

const QColor EMPTY_TEXT_BACKGROUND(160, 216, 255);

// The deepest level of rows that a list opens by itself.
const int MAX_OPENED_LEVELS = 100;

qint64 currentUser()
{
    return ShownDay::instance()->user();
}

// A ranked food's name without its category's name and the separators after it.
QString cutCategoryName(const QString& name, const QString& category)
{
    if (!name.startsWith(category))
        return name;
    int start = int(category.size());
    while (start < name.size() && !name.at(start).isLetterOrNumber())
        ++start;
    return name.mid(start);
}

} // namespace

DragListView::DragListView(QWidget* parent, const char* name)
    : QTreeWidget(parent)
    , _contextMenu(new QMenu(this))
    , _lastKeyMs(Clock::now().toMSecsSinceEpoch())
    , _parentName(parent ? parent->objectName() : QString())
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setColumnCount(1);
    setHeaderLabels({tr("Items")});
    header()->hide();
    auto* delegate = new DragListDelegate(this, [this](const QModelIndex& index) {
        return rowFromIndex(index);
    });
    connect(delegate, &DragListDelegate::renameCommitted, this, &DragListView::commitRename);
    setItemDelegate(delegate);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(false);
    setAcceptDrops(true);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setAutoScroll(true);
    setAutoScrollMargin(20);
    setSortingEnabled(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    _favoritePixmap = style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(12, 12);
    connect(this, &DragListView::contextMenuRequested, this, &DragListView::showContextMenu);
    connect(this, &QTreeWidget::itemCollapsed, this, &DragListView::categoryCollapsed);
    connect(this, &QTreeWidget::itemExpanded, this, &DragListView::categoryExpanded);
    NotificationCenter::addObserver(this, "dyndbChanged(const QString&,const NotificationParam&)",
                                    DynamicDB::RELOADED_NOTIFICATION);
}

DragListView::~DragListView() = default;

void DragListView::setup(const QPixmap& pixmap, int flags)
{
    _listPixmap = pixmap;
    _listFlags = flags;
}

void DragListView::setDb(BrowsableDB* db)
{
    const bool again = db == _db && _favoritesUser == currentUser();
    _db = db;
    _db->resetSearchTerms();
    _favoritesRead = false;
    applyTerms(!again);
}

bool DragListView::setSearch(const QString& text, bool testOnly)
{
    static const QRegularExpression threeInARow(QStringLiteral(R"(\S\S\S)"));
    if (!text.isEmpty() && !threeInARow.match(text).hasMatch())
        return false;
    if (!testOnly)
        _search = text;
    return true;
}

void DragListView::applyTerms(bool anew)
{
    const std::optional<RowKey> held = _selectedKey();
    bool kept = false;
    {
        // A refresh keeps the row selected where it is still listed, and that changes nothing
        // for the receivers. A selection the rebuild took away is told.
        const QScopedValueRollback quiet(_rebuilding, true);
        _refill(anew);
        kept = held && !anew && _select(*held);
    }
    if (held && !kept)
        emit selectionChanged(nullptr);
}

void DragListView::_refill(bool anew)
{
    setSortingEnabled(false);
    int treeFlags = 0;
    bool expand = false;
    bool searchable = true;
    if (!_search.isEmpty()) {
        const int mask = (_genericOnly && !_favoritesOnly) ? FLAG_GENERIC : 0;
        searchable = _db->applySearchTerms(_search, false, mask);
        treeFlags = FLAG_SEARCH_PARENT_OF_MATCH;
        expand = true;
    } else {
        _db->resetSearchTerms();
        if (_genericOnly) {
            treeFlags = FLAG_GENERIC_PARENT;
            expand = true;
        }
    }
    if (anew)
        _expanded.clear();
    clear();
    _mvi = nullptr;
    _dragItem = nullptr;
    if (!_favoritesRead || _favoritesUser != currentUser())
        _readFavorites();
    // Terms the catalogue cannot use find nothing.
    if (searchable) {
        if (_search.isEmpty() || !_rankedView)
            _applyTree(treeFlags, expand);
        else
            _applyRanked();
    }
    _updateEmptyText();
    _emptyBox = QRect();
    // The best rows of a new list are at its top; a refresh stays where the user was.
    if (anew)
        scrollToTop();
    viewport()->update();
}

void DragListView::_updateEmptyText()
{
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if ((*it)->type() != FoodViewItem::FixedRow) {
            _emptyText.clear();
            return;
        }
    }
    if (!_search.isEmpty()) {
        _emptyText = tr("Sorry, no items\nmatched your search term.");
    } else if (_favoritesOnly) {
        const QString favorite = BrandEngine::instance()->getString("spelling_favorite");
        _emptyText = tr("You can mark an item as a\n%1 by clicking on\n\"Marked as %1\" in\nits "
                        "description panel.")
                         .arg(favorite);
    } else if (_listFlags & RecipeItemFlag) {
        _emptyText = tr("Enter some search terms\nto locate recipes.");
    } else {
        _emptyText = tr("You have not yet\ncreated any items.\n\nYou can create items\nusing the "
                        "buttons below.");
    }
}

void DragListView::_applyTree(int treeFlags, bool expand)
{
    if (_favoritesOnly) {
        setRootIsDecorated(false);
        _addFavoritesToListView();
        setSortingEnabled(true);
        sortItems(0, Qt::AscendingOrder);
        return;
    }
    setRootIsDecorated(!(_listFlags & RecipeItemFlag));
    setSortingEnabled(false);
    if (expand) {
        std::unique_ptr<BrowsableDBIterator> it =
            _db->getFlattenedChildren(treeFlags | FLAG_CATEGORY, 0);
        while (it && it->next())
            _expanded.insert(it->id());
    }
    _addFromDbToListView(nullptr, _db->getRootId());
}

QString DragListView::_decodeName(const char* name) const
{
    // The shipped catalogue writes ISO 8859-1; the user's trees and the recipes UTF-8.
    if (dynamic_cast<const StaticDB*>(_db))
        return QString::fromLatin1(name);
    return QString::fromUtf8(name);
}

FoodViewItem* DragListView::_newRow(const QString& text, qint64 id, bool fixed)
{
    if (fixed)
        return new FixedViewItem(text, id);
    return new FoodViewItem(text, id);
}

void DragListView::_markFavorite(FoodViewItem* row)
{
    row->setIcon(0, QIcon(_favoritePixmap));
}

void DragListView::_readFavorites()
{
    std::set<qint64> read;
    const qint64 user = currentUser();
    if (FavoritesDB(user).findFavorites(FavoritesDB::ItemFlags(_listFlags), read)) {
        _favorites = std::move(read);
        _favoritesUser = user;
        _favoritesRead = true;
    } else if (_favoritesUser != user) {
        _favorites.clear();
        _favoritesUser.reset();
    }
}

const std::set<qint64>& DragListView::_shownFavorites() const
{
    static const std::set<qint64> none;
    return _favoritesUser == currentUser() ? _favorites : none;
}

std::optional<bool> DragListView::heldFavorite(qint64 id) const
{
    if (_favoritesUser != currentUser())
        return std::nullopt;
    return _favorites.count(id) > 0;
}

void DragListView::keepFavorite(qint64 id, bool favorite)
{
    if (_favoritesUser != currentUser())
        return;
    if (favorite)
        _favorites.insert(id);
    else
        _favorites.erase(id);
}

// The categories still to fill are kept in a list of their own, so a tree of any depth fills
// without recursion. A category row opens once the rows below it are in place, the deepest
// first, so that opening it fills nothing more. Rows deeper than MAX_OPENED_LEVELS open only
// by the user's hand: the view lays out open rows one call per level.
void DragListView::_addFromDbToListView(FoodViewItem* parent, qint64 parentId)
{
    struct Pending {
        FoodViewItem* row;
        qint64 id;
        int level;
    };
    int level = 0;
    for (const QTreeWidgetItem* above = parent; above; above = above->parent())
        ++level;
    std::vector<Pending> pending{{parent, parentId, level}};
    std::vector<FoodViewItem*> opened;
    while (!pending.empty()) {
        const Pending next = pending.back();
        pending.pop_back();
        for (FoodViewItem* row : _addRows(next.row, next.id)) {
            if (next.level < MAX_OPENED_LEVELS) {
                opened.push_back(row);
                pending.push_back({row, row->id, next.level + 1});
            }
        }
    }
    for (auto row = opened.rbegin(); row != opened.rend(); ++row)
        (*row)->setExpanded(true);
}

// Adds the rows of a category's children, made first and then inserted in one call, so that a
// level of any width takes time linear in it; the category rows that are to open.
std::vector<FoodViewItem*> DragListView::_addRows(FoodViewItem* parent, qint64 parentId)
{
    const std::set<qint64>& favorites = _shownFavorites();
    const int required = _genericOnly ? (FLAG_GENERIC | FLAG_SEARCH_MATCH) : FLAG_SEARCH_MATCH;
    std::unique_ptr<BrowsableDBIterator> it = _db->getChildren(parentId, required, 0);
    std::vector<FoodViewItem*> opening;
    if (!it)
        return opening;
    const bool userList = _listFlags & (CustomItemFlag | SavedMealItemFlag);
    QList<QTreeWidgetItem*> rows;
    while (it->next()) {
        const unsigned char flags = it->flags();
        const qint64 id = it->id();
        const bool editable = flags & FLAG_EDITABLE;
        FoodViewItem* row = _newRow(_decodeName(it->name()), id, userList && !editable);
        rows.append(row);
        Qt::ItemFlags itemFlags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
        if (editable)
            itemFlags |= Qt::ItemIsEditable;
        if (flags & FLAG_CATEGORY) {
            row->type = static_cast<unsigned char>(_listFlags | CategoryItemFlag);
            if (editable)
                itemFlags |= Qt::ItemIsDragEnabled;
            row->setFlags(itemFlags);
            row->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
            if (_expanded.count(id) || row->rowKind() == FoodViewItem::FixedRow)
                opening.push_back(row);
        } else {
            row->type = static_cast<unsigned char>(_listFlags);
            row->setFlags(itemFlags | Qt::ItemIsDragEnabled);
            if (favorites.count(id))
                _markFavorite(row);
        }
    }
    if (parent)
        parent->addChildren(rows);
    else
        addTopLevelItems(rows);
    return opening;
}

QString DragListView::_favoritesTitle() const
{
    QString title = BrandEngine::instance()->getString("spelling_favorite");
    if (!title.isEmpty())
        title[0] = title.at(0).toUpper();
    return title + QLatin1Char('s');
}

void DragListView::_addFavoritesToListView()
{
    const std::set<qint64>& favorites = _shownFavorites();
    std::unique_ptr<BrowsableDBIterator> it = _db->getFlattenedChildren(FLAG_SEARCH_MATCH, FLAG_CATEGORY);
    QList<QTreeWidgetItem*> rows;
    while (it && it->next()) {
        const qint64 id = it->id();
        if (favorites.count(id))
            rows.append(_favoriteRow(_decodeName(it->name()), id));
    }
    if (rows.isEmpty())
        return;
    auto* header = new RankedViewItem(this, _favoritesTitle(), -1);
    header->addChildren(rows);
    header->setExpanded(true);
}

// A row of the favourites' header, to be inserted with its siblings in one call.
RankedViewItem* DragListView::_favoriteRow(const QString& name, qint64 id)
{
    auto* row = new RankedViewItem(name, id);
    row->type = static_cast<unsigned char>(_listFlags);
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    _markFavorite(row);
    return row;
}

void DragListView::_applyRanked()
{
    setRootIsDecorated(false);
    const int required =
        (_genericOnly && !_favoritesOnly) ? (FLAG_GENERIC | FLAG_SEARCH_MATCH) : FLAG_SEARCH_MATCH;
    const std::set<qint64>& favorites = _shownFavorites();
    std::multiset<ItemInfo> kept;
    std::set<ItemInfo> favoriteHits;
    int more = 0;
    const SearchRank rank = _db->rankFor(_search);
    std::unique_ptr<BrowsableDBIterator> it = _db->getFlattenedChildren(required, FLAG_CATEGORY);
    while (it && it->next()) {
        const ItemInfo info{rank.of(it->item()), it->name(), it->id(),
                            FoodDBStatic::getFoodRankingGroup(*it)};
        if (favorites.count(info.id))
            favoriteHits.insert(info);
        if (_favoritesOnly)
            continue;
        if (int(kept.size()) < RANKED_HITS) {
            kept.insert(info);
            continue;
        }
        ++more;
        if (info.rank > kept.begin()->rank) {
            kept.erase(kept.begin());
            kept.insert(info);
        }
    }
    it.reset();

    if (more != 0) {
        _mvi = new MoreViewItem(this, more == 1 ? tr("1 more result") : tr("%1 more results").arg(more), -2);
        _mvi->setDisabled(true);
    }
    FoodDBStatic* foods = FoodDBStatic::instance();
    std::map<quint32, RankedViewItem*> groupHeaders;
    std::map<QString, RankedViewItem*> namedHeaders;
    std::map<quint32, QString> groupNames;
    RankedViewItem* previousHeader = nullptr;
    for (auto hit = kept.rbegin(); hit != kept.rend(); ++hit) {
        if (groupHeaders.count(hit->group))
            continue;
        const QString name = foods->getCategoryName(int(hit->group));
        groupNames[hit->group] = name;
        RankedViewItem*& header = namedHeaders[name];
        if (!header) {
            header = new RankedViewItem(this, previousHeader, name, -1);
            header->setExpanded(true);
            previousHeader = header;
        }
        groupHeaders[hit->group] = header;
    }
    RankedViewItem* favoritesHeader = nullptr;
    if (!favoriteHits.empty()) {
        favoritesHeader = new RankedViewItem(this, _favoritesTitle(), -1);
        favoritesHeader->setExpanded(true);
    }
    for (const ItemInfo& hit : kept) {
        auto* row = new RankedViewItem(groupHeaders[hit.group],
                                       cutCategoryName(foods->getFoodName(hit.id), groupNames[hit.group]),
                                       hit.id);
        row->type = static_cast<unsigned char>(_listFlags);
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    }
    // The favourites show the best hit first, as the headers above do.
    QList<QTreeWidgetItem*> favoriteRows;
    for (auto hit = favoriteHits.rbegin(); hit != favoriteHits.rend(); ++hit)
        favoriteRows.append(_favoriteRow(foods->getFoodName(hit->id), hit->id));
    if (favoritesHeader)
        favoritesHeader->addChildren(favoriteRows);
}

FoodViewItem* DragListView::locateFvi(qint64 id, bool category, FoodViewItem* under) const
{
    const auto matches = [&](QTreeWidgetItem* item) {
        FoodViewItem* row = FoodViewItem::from(item);
        return row && row->id == id && bool(row->type & CategoryItemFlag) == category;
    };
    QList<QTreeWidgetItem*> pending;
    if (under) {
        for (int i = under->childCount() - 1; i >= 0; --i)
            pending.append(under->child(i));
    } else {
        for (int i = topLevelItemCount() - 1; i >= 0; --i)
            pending.append(topLevelItem(i));
    }
    while (!pending.isEmpty()) {
        QTreeWidgetItem* item = pending.takeLast();
        if (matches(item))
            return FoodViewItem::from(item);
        for (int i = item->childCount() - 1; i >= 0; --i)
            pending.append(item->child(i));
    }
    return nullptr;
}

FoodViewItem* DragListView::rowFromIndex(const QModelIndex& index) const
{
    return FoodViewItem::from(itemFromIndex(index));
}

void DragListView::commitRename(FoodViewItem* row, const QString& text)
{
    // No store takes a blank name: the row keeps its text. Otherwise the row shows the new
    // name once the store has it (the receiver of itemRenamed sets it).
    if (text.trimmed().isEmpty())
        return;
    emit itemRenamed(row, 0, text);
}

void DragListView::categoryExpanded(QTreeWidgetItem* item)
{
    FoodViewItem* row = FoodViewItem::from(item);
    // An item's id may also be a category's (a saved meal's and its owner's root): only a
    // category row lists children.
    if (!row || row->id < 0 || !(row->type & CategoryItemFlag))
        return;
    _expanded.insert(row->id);
    if (row->childCount() == 0)
        _addFromDbToListView(row, row->id);
}

void DragListView::categoryCollapsed(QTreeWidgetItem* item)
{
    FoodViewItem* row = FoodViewItem::from(item);
    if (!row)
        return;
    if (row->id < 0) {
        row->setExpanded(true);
        return;
    }
    _expanded.erase(row->id);
    for (QTreeWidgetItem* above = _dragItem ? _dragItem->parent() : nullptr; above; above = above->parent()) {
        if (above == row) {
            _dragItem = nullptr;
            break;
        }
    }
    qDeleteAll(row->takeChildren());
}

void DragListView::dyndbChanged(const QString& /*name*/, const NotificationParam& param)
{
    const auto* info = static_cast<const DynamicDBReloadInfo*>(param.toPointer());
    if (!info || !info->store || static_cast<BrowsableDB*>(info->store) != _db)
        return;
    // Without a row to select, the row selected before stays selected while it is there.
    const std::optional<RowKey> held = _selectedKey();
    const std::optional<RowKey> target =
        info->selectId ? std::optional<RowKey>({info->selectId, info->selectIsCategory}) : held;
    {
        const QScopedValueRollback quiet(_rebuilding, true);
        _refill(false);
        // What was just made, moved or renamed is shown: the categories above it open, and a
        // search that hides it is let go.
        if (target && !locateFvi(target->id, target->category, nullptr) && _openTo(*target)) {
            _search.clear();
            _refill(false);
        }
    }
    // Told even when it is the row selected before: the receivers read it anew as stored.
    const bool selected = target && _select(*target);
    if (held && !selected)
        emit selectionChanged(nullptr);
    emit reloaded();
    if (selected && info->selectId)
        emit changedRowShown(currentItem());
}

std::optional<DragListView::RowKey> DragListView::_selectedKey() const
{
    const FoodViewItem* row = FoodViewItem::from(selectedItems().value(0));
    if (!row)
        return std::nullopt;
    return RowKey{row->id, bool(row->type & CategoryItemFlag)};
}

bool DragListView::_select(const RowKey& key)
{
    FoodViewItem* row = locateFvi(key.id, key.category, nullptr);
    if (!row)
        return false;
    scrollToItem(row);
    setCurrentItem(row);
    return true;
}

bool DragListView::_openTo(const RowKey& key)
{
    // The tree is walked from its root without recursion, each category once.
    std::map<qint64, qint64> parentOf;
    std::vector<qint64> pending{_db->getRootId()};
    while (!pending.empty()) {
        const qint64 category = pending.back();
        pending.pop_back();
        std::unique_ptr<BrowsableDBIterator> it = _db->getChildren(category, 0, 0);
        while (it && it->next()) {
            const qint64 id = it->id();
            const bool isCategory = it->flags() & FLAG_CATEGORY;
            if (id == key.id && isCategory == key.category) {
                for (auto above = parentOf.find(category); above != parentOf.end();
                     above = parentOf.find(above->second))
                    _expanded.insert(above->first);
                return true;
            }
            if (isCategory && parentOf.emplace(id, category).second)
                pending.push_back(id);
        }
    }
    return false;
}

void DragListView::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    const int shrunk = event->oldSize().height() - event->size().height();
    QTreeWidgetItem* row = currentItem();
    if (!row || event->oldSize().isEmpty() || shrunk <= 0)
        return;
    const QRect place = visualItemRect(row);
    const bool wasInSight = place.isValid() && place.top() >= 0 && place.bottom() < viewport()->height() + shrunk;
    if (wasInSight && place.bottom() >= viewport()->height())
        scrollToItem(row);
}

void DragListView::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    if (_emptyText.isEmpty())
        return;
    if (!_emptyBox.isValid())
        _computeEmptyBox();
    if (_emptyBox.width() <= 1)
        return;
    QPainter painter(viewport());
    painter.setFont(font());
    painter.fillRect(_emptyBox, EMPTY_TEXT_BACKGROUND);
    painter.setPen(Qt::black);
    painter.drawText(_emptyBox, Qt::AlignCenter, _emptyText);
}

void DragListView::_computeEmptyBox()
{
    const int padding = (2 * fontMetrics().lineSpacing()) / 3;
    int top = 0;
    QTreeWidgetItem* last = nullptr;
    for (QTreeWidgetItem* item = topLevelItemCount() ? topLevelItem(0) : nullptr; item;
         item = itemBelow(item))
        last = item;
    if (last)
        top = visualItemRect(last).bottom() + 1;
    const QRect free = QRect(0, top, viewport()->width(), viewport()->height() - top)
                           .adjusted(padding / 2, padding / 2, -(padding / 2), -(padding / 2));
    const QRect box = fontMetrics()
                          .boundingRect(viewport()->rect(), Qt::AlignCenter, _emptyText)
                          .adjusted(-padding, -padding, padding, padding);
    _emptyBox = free.contains(box) ? box : QRect(0, 0, 1, 1);
}

bool DragListView::_isInMoreButton(const QPoint& viewportPos) const
{
    if (!_mvi || itemAt(viewportPos) != _mvi)
        return false;
    const QRect row = visualItemRect(_mvi);
    return _mvi->isButton(QPoint(viewportPos.x(), viewportPos.y() - row.top()));
}

void DragListView::mousePressEvent(QMouseEvent* event)
{
    if (_mvi && event->button() == Qt::LeftButton && _isInMoreButton(event->position().toPoint())) {
        event->accept();
        _moreClickInProgress = true;
        _mvi->setDepressedButton(true);
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void DragListView::mouseMoveEvent(QMouseEvent* event)
{
    if (_moreClickInProgress && _mvi && (event->buttons() & Qt::LeftButton)) {
        event->accept();
        _mvi->setDepressedButton(_isInMoreButton(event->position().toPoint()));
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void DragListView::mouseReleaseEvent(QMouseEvent* event)
{
    if (_mvi) {
        const bool clicking = _moreClickInProgress && event->button() == Qt::LeftButton;
        _moreClickInProgress = false;
        _mvi->setDepressedButton(false);
        if (clicking) {
            event->accept();
            if (_isInMoreButton(event->position().toPoint()))
                emit viewAllClicked();
            return;
        }
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void DragListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (_mvi && itemAt(event->position().toPoint()) == _mvi)
        return;
    FoodViewItem* selected = FoodViewItem::from(selectedItems().value(0));
    if (selected && (selected->type & CategoryItemFlag)) {
        QTreeWidget::mouseDoubleClickEvent(event);
        return;
    }
    emit contextMenuRequested(selected, event->globalPosition().toPoint(), 0);
}

void DragListView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTreeWidget::selectionChanged(selected, deselected);
    if (!_rebuilding)
        emit selectionChanged(selectedItems().value(0));
}
