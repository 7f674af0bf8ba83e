#include "diary/diarylistview.h"

#include "diary/diarylistviewdelegate.h"
#include "diary/diarylistviewitem.h"
#include "diary/diarypagecontent.h"
#include "diary/savedmealloadform.h"
#include "widgets/bxcalendar.h"
#include "widgets/headersection.h"
#include "widgets/prompter.h"
#include "browser/addexercisedialog.h"
#include "browser/addfooddialog.h"
#include "browser/browseritemflags.h"
#include "catalogue/browsabledbiterator.h"
#include "catalogue/recipeproxydb.h"
#include "catalogue/savedmealtree.h"
#include "core/numberparser.h"
#include "core/plausiblerange.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "core/unitenergy.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarydb.h"
#include "widgets/shownday.h"
#include "widgets/storeprompt.h"
#include "userdb/savedmealdb.h"
#include "userdb/storetransaction.h"
#include "userdb/userdb.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>

using DBTypes::DiaryDay;

namespace {

struct GroupRowInfo
{
    int group;
    const char* text;
};

// The seven group rows, in GroupType order.
const GroupRowInfo s_groupRows[] = {
    {DiaryDay::BREAKFAST, " Breakfast"},
    {DiaryDay::MORNING_SNACK, " Morning snack"},
    {DiaryDay::LUNCH, " Lunch"},
    {DiaryDay::AFTERNOON_SNACK, " Afternoon snack"},
    {DiaryDay::DINNER, " Dinner"},
    {DiaryDay::EVENING_SNACK, " Snacks"},
    {DiaryDay::EXERCISE, " Exercises"},
};

const int s_mealGroups[] = {1, 2, 3, 4, 5, 6};

// The order of the six meal group rows in each snack layout; hidden rows go last.
const int s_layoutOrder[3][6] = {
    {1, 3, 5, 6, 2, 4},
    {1, 2, 3, 4, 5, 6},
    {1, 3, 5, 2, 4, 6},
};

// The titles of groups 2, 4 and 6 in each snack layout.
const char* const s_snackTitles[3][3] = {
    {" Morning snack", " Afternoon snack", " Snacks"},
    {" Morning snack", " Afternoon snack", " Evening snack"},
    {" Snacks #1", " Snacks #2", " Snacks #3"},
};

const char* const s_layoutTexts[3] = {"Display all snacks together", "Group snacks between meals",
                                      "Group snacks below meals"};

const char* const s_storeRefusedCaption = "Diary";
const char* const s_storeRefusedText =
    "Your diary could not store this change, so nothing was changed. Check that the disk "
    "holding your data is not full or read-only, then try again.";
const char* const s_privateFoodText =
    "\"%1\" is a food private to another user, so it cannot be added to your diary. Its "
    "owner can move it to Shared Foods for every user.";
const char* const s_privateMealFoodText =
    "This meal holds \"%1\", a food private to another user, so the meal cannot be added to "
    "your diary and nothing was added. The food's owner can move it to Shared Foods for every "
    "user.";

qint64 currentUser()
{
    return ShownDay::instance()->user();
}

QString fraction(double whole, const char* sign, const char* alone)
{
    if (whole == 0.0)
        return QString::fromLatin1(alone);
    return NumberParser::writeShort(whole) + QString::fromUtf8(sign);
}

// A size of 0 or more as a fraction where it is a common one, or with one decimal.
QString sizeText(double size)
{
    const double whole = std::floor(size);
    const double f = size - whole;
    const double quarters = f * 4.0;
    if (quarters == 1.0)
        return fraction(whole, "\u00bc", "1/4");
    if (quarters == 2.0)
        return fraction(whole, "\u00bd", "1/2");
    if (quarters == 3.0)
        return fraction(whole, "\u00be", "3/4");
    if (std::fabs(f - 0.33) < 0.004 && whole == 0.0)
        return QStringLiteral("1/3");
    if ((std::fabs(f - 0.66) < 0.001 || std::fabs(f - 0.67) < 0.004) && whole == 0.0)
        return QStringLiteral("2/3");
    return NumberParser::write(size, 1);
}

bool isMealGroup(qint64 groupRowId)
{
    return groupRowId >= -DiaryDay::EVENING_SNACK && groupRowId <= -DiaryDay::BREAKFAST;
}

} // namespace

DiaryListView::DiaryListView(QWidget* parent, const char* name)
    : QTreeWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    setItemDelegate(new DiaryListViewDelegate(this));
    setHeaderLabels({tr("Item")});
    header()->hide();
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Fixed);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setWordWrap(false);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // A click moves the current row before it selects it: the Edit menu and the tool bar are
    // brought up to date on both.
    const auto refresh = [this] { emit requestEditMenuRefresh(1, 0); };
    connect(this, &QTreeWidget::currentItemChanged, this, refresh);
    connect(this, &QTreeWidget::itemSelectionChanged, this, refresh);
    connect(this, &QWidget::customContextMenuRequested, this, &DiaryListView::showContextMenu);
    connect(header(), &QHeaderView::sectionClicked, this, &DiaryListView::popupNutrientMenu);
    _createGroupRows();
    _createHeaderMenu();
    _nutrientColumnWidth = _widestColumn();
    _showViewMode(_viewMode);
}

void DiaryListView::_createGroupRows()
{
    QFont bold = font();
    bold.setWeight(QFont::Bold);
    for (const GroupRowInfo& info : s_groupRows) {
        auto* row = new DiaryListViewItem(this, QString::fromLatin1(info.text), -info.group, -1, 0);
        row->setFont(bold);
        row->setBaseColor(info.group == DiaryDay::EXERCISE ? QColor(210, 255, 210)
                                                           : QColor(190, 230, 255));
        if (info.group == DiaryDay::EXERCISE)
            row->setFlags(row->flags() & ~Qt::ItemIsSelectable);
        row->setExpanded(true);
        _groups[info.group] = row;
    }
}

void DiaryListView::_createHeaderMenu()
{
    _headerMenu = new QMenu(this);
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
        _nutrientActions[nut] = _headerMenu->addAction(_columnTitle(DBTypes::NutType(nut)));
        _nutrientActions[nut]->setCheckable(true);
    }
    _nutrientSeparator = _headerMenu->addSeparator();
    _addNutrientAction = _headerMenu->addAction(tr("Add Nutrient"));
    _removeNutrientAction = _headerMenu->addAction(tr("Remove Nutrient"));
    _headerMenu->addSeparator();
    for (int mode = 0; mode < 3; ++mode) {
        _layoutActions[mode] = _headerMenu->addAction(tr(s_layoutTexts[mode]));
        _layoutActions[mode]->setCheckable(true);
    }
}

// Wide enough for any nutrient's title in the header's own font beside the header menu's
// triangle, in either energy unit, and for the largest figures in the list's font.
int DiaryListView::_widestColumn() const
{
    QStringList titles{UnitEnergy(UnitEnergy::Kilocalories).printName(),
                       UnitEnergy(UnitEnergy::Kilojoules).printName()};
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
        titles << _columnTitle(DBTypes::NutType(nut));
    int widest = fontMetrics().horizontalAdvance(QStringLiteral("KilojoulesXX"));
    for (const QString& title : titles)
        widest = std::max(widest, HeaderSection::width(header(), title, true));
    return widest;
}

QString DiaryListView::_columnTitle(DBTypes::NutType nut) const
{
    return UnitCollection::instance()->get(nut)->printName();
}

void DiaryListView::setCalendar(BXCalendar* calendar)
{
    Q_ASSERT_X(calendar, "DiaryListView::setCalendar", "calendar");
    _calendar = calendar;
    // The month the user moves to is read once the calendar's click has been handled.
    connect(_calendar, &BXCalendar::monthChanged, this, &DiaryListView::refreshCalendar,
            Qt::QueuedConnection);
}

QString DiaryListView::today() const
{
    return QString::fromLatin1(ShownDay::instance()->dateCode());
}

std::vector<DBTypes::NutType> DiaryListView::parseColumnSettings(const QString& settings)
{
    std::vector<DBTypes::NutType> nutrients;
    for (const QString& part : settings.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int nut = part.toInt(&ok);
        if (!ok || nut < 0 || nut >= DBTypes::NUTRIENT_COUNT)
            continue;
        if (std::find(nutrients.begin(), nutrients.end(), nut) != nutrients.end())
            continue;
        if (nutrients.size() == size_t(MaxNutrientColumns))
            break;
        nutrients.push_back(DBTypes::NutType(nut));
    }
    return nutrients;
}

QString DiaryListView::printColumnSettings(const std::vector<DBTypes::NutType>& columns)
{
    if (columns.empty())
        return QStringLiteral("-");
    QString settings;
    for (DBTypes::NutType nut : columns)
        settings += QStringLiteral("%1:").arg(int(nut));
    return settings;
}

QString DiaryListView::getColumnSettings() const
{
    return printColumnSettings(_columns);
}

void DiaryListView::setColumnSettings(const QString& settings)
{
    _columns = parseColumnSettings(settings);
    _applyColumns();
    _refill();
}

void DiaryListView::_applyColumns()
{
    QStringList titles{tr("Item")};
    for (DBTypes::NutType nut : _columns)
        titles << _columnTitle(nut);
    setColumnCount(int(titles.size()));
    setHeaderLabels(titles);
    for (int column = 1; column < int(titles.size()); ++column) {
        headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        setColumnWidth(column, _nutrientColumnWidth);
    }
    // Group rows paint every column, the new ones too, in their own font and colour.
    for (DiaryListViewItem* group : _groups) {
        if (!group)
            continue;
        group->setFont(group->getFont());
        group->setBaseColor(group->baseColor());
    }
    resizeColumns();
}

bool DiaryListView::_storeColumns(const std::vector<DBTypes::NutType>& columns)
{
    const qint64 user = currentUser();
    return user < 0 || StorePrompt::change(this, QString(), [user, &columns] {
        return UserDB::instance()->saveColumnSettings(user, printColumnSettings(columns));
    });
}

void DiaryListView::resizeColumns()
{
    if (viewport()->width() < 1)
        return;
    const int others = (columnCount() - 1) * (columnCount() > 1 ? columnWidth(1) : 0);
    setColumnWidth(0, std::max(0, viewport()->width() - others - 1));
    for (DiaryListViewItem* group : _groups) {
        if (!group)
            continue;
        for (int i = 0; i < group->childCount(); ++i)
            static_cast<DiaryListViewItem*>(group->child(i))->resizeNameColumn();
    }
}

void DiaryListView::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    resizeColumns();
}

bool DiaryListView::isAnyItemSelected() const
{
    const QTreeWidgetItem* row = currentItem();
    return row && row->isSelected() && rowId(row) > 0;
}

bool DiaryListView::isEmpty() const
{
    return _calendar && _calendar->isBoldDay(ShownDay::instance()->date());
}

bool DiaryListView::shouldBold() const
{
    return !_day.empty() || _fluid != 0;
}

void DiaryListView::setFluid(int cups)
{
    _fluid = cups;
}

QTreeWidgetItem* DiaryListView::groupRow(int group) const
{
    return group >= 0 && group < 9 ? _groups[group] : nullptr;
}

qint64 DiaryListView::rowId(const QTreeWidgetItem* row)
{
    return row->data(0, RowIdRole).toLongLong();
}

QString DiaryListView::niceDouble(double value)
{
    const QString size = sizeText(std::fabs(value));
    // A minus only before a figure that is not zero, as every other figure.
    return value < 0.0 && NumberParser::write(value, 1).startsWith(QLatin1Char('-'))
        ? QLatin1Char('-') + size
        : size;
}

int DiaryListView::fileGroup(int viewMode, int meal)
{
    switch (meal) {
    case DiaryDay::BREAKFAST:
    case DiaryDay::LUNCH:
    case DiaryDay::DINNER:
        return meal;
    case DiaryDay::MORNING_SNACK:
    case DiaryDay::AFTERNOON_SNACK:
        return viewMode == DBTypes::SNACKS_TOGETHER ? int(DiaryDay::EVENING_SNACK) : meal;
    default:
        return DiaryDay::EVENING_SNACK;
    }
}

float DiaryListView::groupTotal(const DiaryDay& day, int viewMode, int group, DBTypes::NutType nut)
{
    if (group == DiaryDay::EXERCISE)
        return day.getGroupTotal(DiaryDay::EXERCISE, DBTypes::ENERGY);
    float sum = 0.0f;
    for (const DBTypes::FoodDiaryItem& food : day.foods) {
        const float value = food.getNutrient(nut);
        if (fileGroup(viewMode, food.meal) == group && value > 0.0f)
            sum += value;
    }
    return sum;
}

bool DiaryListView::setViewMode(int mode)
{
    if (mode < DBTypes::SNACKS_TOGETHER || mode > DBTypes::SNACKS_NUMBERED)
        return false;
    if (mode == _viewMode)
        return true;
    // The layout changes once the diary has stored it.
    if (currentUser() >= 0 && !StorePrompt::change(this, QString(), [mode] {
            // Preferences that could not be read are never written back.
            std::optional<DBTypes::UserPrefs> prefs = UserDB::instance()->getUserPrefs(currentUser());
            if (!prefs)
                return false;
            prefs->snackDisplay = mode;
            return UserDB::instance()->setUserPrefs(currentUser(), *prefs);
        }))
        return false;
    _showViewMode(mode);
    _refill();
    return true;
}

void DiaryListView::_showViewMode(int mode)
{
    _viewMode = mode;
    const QSignalBlocker blocker(this);
    for (int group : s_mealGroups)
        takeTopLevelItem(indexOfTopLevelItem(_groups[group]));
    for (int i = 0; i < 6; ++i) {
        DiaryListViewItem* row = _groups[s_layoutOrder[mode][i]];
        insertTopLevelItem(i, row);
        row->setExpanded(true);
    }
    _groups[DiaryDay::MORNING_SNACK]->setHidden(mode == DBTypes::SNACKS_TOGETHER);
    _groups[DiaryDay::AFTERNOON_SNACK]->setHidden(mode == DBTypes::SNACKS_TOGETHER);
    _groups[DiaryDay::MORNING_SNACK]->setText(0, QString::fromLatin1(s_snackTitles[mode][0]));
    _groups[DiaryDay::AFTERNOON_SNACK]->setText(0, QString::fromLatin1(s_snackTitles[mode][1]));
    _groups[DiaryDay::EVENING_SNACK]->setText(0, QString::fromLatin1(s_snackTitles[mode][2]));
    for (DiaryListViewItem* row : _groups) {
        if (row)
            row->setup();
    }
    emit notifyAdvanceMode(mode);
    resizeColumns();
}

void DiaryListView::refreshCalendar()
{
    if (!_calendar || currentUser() < 0)
        return;
    const QDate month = _calendar->getDate();
    std::optional<QStringList> dates;
    // Dates that could not be read leave the days marked as they were.
    if (StorePrompt::read(this, [month, &dates] {
            dates = DiaryDB::instance()->getAllDatesForMonth(currentUser(), month, false);
        }) && dates)
        _markMonth(month, *dates);
}

bool DiaryListView::holdsMarkedDays(qint64 user, const QDate& date) const
{
    return _marked && _marked->first == user && _marked->second.year() == date.year()
        && _marked->second.month() == date.month();
}

void DiaryListView::_markMonth(const QDate& month, const QStringList& dates)
{
    const QString prefix = month.toString(QStringLiteral("yyyyMM"));
    int bits = 0;
    for (const QString& code : dates) {
        const int day =
            code.size() == 8 && code.startsWith(prefix) ? QStringView(code).mid(6).toInt() : 0;
        if (day >= 1 && day <= month.daysInMonth())
            bits |= 1 << (day - 1);
    }
    _calendar->setBoldBits(month, bits);
}

void DiaryListView::setBoldDay(const QString& dateCode)
{
    setBoldDay(QDate::fromString(dateCode, QStringLiteral("yyyyMMdd")));
}

void DiaryListView::setBoldDay(const QDate& date)
{
    if (_calendar)
        _calendar->setBoldDay(date);
}

void DiaryListView::unsetBoldDay(const QString& dateCode)
{
    unsetBoldDay(QDate::fromString(dateCode, QStringLiteral("yyyyMMdd")));
}

void DiaryListView::unsetBoldDay(const QDate& date)
{
    if (_calendar)
        _calendar->unsetBoldDay(date);
}

void DiaryListView::setBoldToday()
{
    setBoldDay(ShownDay::instance()->date());
}

void DiaryListView::checkEntries()
{
    if (shouldBold())
        setBoldToday();
    else
        unsetBoldDay(ShownDay::instance()->date());
}

void DiaryListView::showToday()
{
    // A day that could not be read is never shown as an empty one: the rows stay as they were
    // and the reading's action tells.
    const std::optional<DiaryDay> day = currentUser() < 0
        ? DiaryDay()
        : DiaryDB::instance()->getDay(currentUser(), today().toLatin1().constData(), false);
    if (!day)
        return;
    _fillRows(*day);
    _updateTotals();
}

// The columns and the layout are laid out again only when they changed, the month's marks
// only when they were read.
void DiaryListView::showRead(const DiaryPageContent& content)
{
    const std::vector<DBTypes::NutType> columns = parseColumnSettings(content.columns);
    const int mode = content.prefs.snackDisplay;
    const bool layout = mode >= DBTypes::SNACKS_TOGETHER && mode <= DBTypes::SNACKS_NUMBERED
        && mode != _viewMode;
    if (layout || columns != _columns)
        _resetView();
    if (columns != _columns) {
        _columns = columns;
        _applyColumns();
    }
    if (layout)
        _showViewMode(mode);
    _fluid = content.fluid;
    if (_calendar && content.markedDays) {
        _calendar->clearBoldBits();
        _markMonth(content.date, *content.markedDays);
        _marked = {content.user, content.date};
    }
    _fillRows(content.day);
    _updateTotals();
}

void DiaryListView::_fillRows(const DiaryDay& day)
{
    // The entries are kept again as their rows are added.
    _day = DiaryDay();
    _resetView();
    for (const DBTypes::FoodDiaryItem& entry : day.foods)
        addFoodItemToGui(entry);
    for (const DBTypes::ExerciseDiaryItem& entry : day.exercises)
        _addExRow(entry);
    for (DiaryListViewItem* row : _groups) {
        if (row)
            showHideEmptyText(row);
    }
}

void DiaryListView::_refill()
{
    _fillRows(DiaryDay(_day));
    _updateTotals();
}

void DiaryListView::_resetView()
{
    // The removed entry rows hand neither the selection nor the current row on to a group.
    if (currentItem() && currentItem()->parent())
        setCurrentItem(nullptr);
    for (DiaryListViewItem* row : _groups) {
        if (row)
            qDeleteAll(row->takeChildren());
    }
    for (size_t i = 0; i < _columns.size(); ++i) {
        if (_columns[i] == DBTypes::ENERGY)
            headerItem()->setText(int(i) + 1, _columnTitle(DBTypes::ENERGY));
    }
    _nutrientActions[DBTypes::ENERGY]->setText(_columnTitle(DBTypes::ENERGY));
}

DiaryListViewItem* DiaryListView::addFoodItemToGui(const DBTypes::FoodDiaryItem& entry)
{
    _keep(entry);
    const QString text = tr("%1 %2 of %3")
                             .arg(niceDouble(entry.size), DBTypes::ServingItem::shown(entry.servingDesc), entry.desc);
    auto* row = new DiaryListViewItem(_groups[fileGroup(_viewMode, entry.meal)], text,
                                      entry.entryId, entry.meal, 0);
    for (size_t i = 0; i < _columns.size(); ++i) {
        const DBTypes::NutType nut = _columns[i];
        const QString value =
            UnitCollection::instance()->get(nut)->printNumber(entry.getNutrient(nut));
        row->setText(int(i) + 1, value + QLatin1Char(' '));
        row->setTextAlignment(int(i) + 1, Qt::AlignRight | Qt::AlignVCenter);
    }
    setBoldToday();
    return row;
}

DiaryListViewItem* DiaryListView::_addExRow(const DBTypes::ExerciseDiaryItem& entry)
{
    _keep(entry);
    const QString text =
        tr("%1 minutes of %2").arg(NumberParser::write(entry.duration, 1), entry.name);
    auto* row = new DiaryListViewItem(_groups[DiaryDay::EXERCISE], text, entry.entryId,
                                      DiaryDay::EXERCISE, 0);
    const auto energy = std::find(_columns.begin(), _columns.end(), DBTypes::ENERGY);
    if (energy != _columns.end()) {
        const int column = int(energy - _columns.begin()) + 1;
        row->setText(column,
                     UnitCollection::instance()->get(DBTypes::ENERGY)->printNumber(entry.energy()));
        row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    setBoldToday();
    return row;
}

DiaryListViewItem* DiaryListView::addExItemToGui(const DBTypes::ExerciseDiaryItem& entry)
{
    DiaryListViewItem* row = _addExRow(entry);
    showHideEmptyText(_groups[DiaryDay::EXERCISE]);
    return row;
}

void DiaryListView::showHideEmptyText(QTreeWidgetItem* group)
{
    bool hasEntry = false;
    for (int i = group->childCount() - 1; i >= 0; --i) {
        if (rowId(group->child(i)) == HintRowId)
            delete group->takeChild(i);
        else
            hasEntry = true;
    }
    const int groupType = int(-rowId(group));
    for (size_t i = 0; i < _columns.size(); ++i) {
        const DBTypes::NutType nut = _columns[i];
        QString text;
        const bool shown = groupType != DiaryDay::EXERCISE || nut == DBTypes::ENERGY;
        if (hasEntry && shown) {
            const float total = groupTotal(_day, _viewMode, groupType, nut);
            const UnitDescriptor* unit = UnitCollection::instance()->get(nut);
            if (total > -900.0f) {
                text = (nut == DBTypes::ENERGY ? unit->printNumber(total)
                                               : unit->printNumberUnit(total))
                    + QLatin1Char(' ');
            }
        }
        group->setText(int(i) + 1, text);
        group->setTextAlignment(int(i) + 1, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (hasEntry)
        return;
    const QString hint = groupType == DiaryDay::EXERCISE ? tr("Drag an exercise here")
                                                         : tr("Drag a food here");
    auto* row = new DiaryListViewItem(group, hint, HintRowId, -1, 0);
    QFont italic = row->getFont();
    italic.setItalic(true);
    row->setFont(italic);
    row->setFlags(row->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsDragEnabled));
}

void DiaryListView::_updateTotals()
{
    if (!shouldBold())
        unsetBoldDay(ShownDay::instance()->date());
    emit totalChanged(_day);
    emit requestEditMenuRefresh(1, 0);
}

void DiaryListView::_keep(const DBTypes::FoodDiaryItem& entry)
{
    _forget(entry.entryId, false);
    _day.foods.push_back(entry);
}

void DiaryListView::_keep(const DBTypes::ExerciseDiaryItem& entry)
{
    _forget(entry.entryId, true);
    _day.exercises.push_back(entry);
}

void DiaryListView::_forget(qint64 entryId, bool exercise)
{
    const auto same = [entryId](const auto& entry) { return entry.entryId == entryId; };
    if (exercise)
        std::erase_if(_day.exercises, same);
    else
        std::erase_if(_day.foods, same);
}

void DiaryListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    const bool gap = !index.parent().isValid() && index.row() > 0;
    if (!gap) {
        QTreeWidget::drawRow(painter, option, index);
        return;
    }
    // Nothing, the focus frame included, is drawn in the band above a group row.
    painter->save();
    painter->setClipRect(option.rect.adjusted(0, option.rect.height() / 3, 0, 0),
                         Qt::IntersectClip);
    QTreeWidget::drawRow(painter, option, index);
    painter->restore();
}

void DiaryListView::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex&) const
{
    painter->fillRect(rect, palette().base());
}

// --- Header menu -------------------------------------------------------------------------

void DiaryListView::_prepareHeaderMenu(int section)
{
    const bool nutrientColumn = section > 0 && section <= int(_columns.size());
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
        const bool shown = std::find(_columns.begin(), _columns.end(), nut) != _columns.end();
        const bool checked = nutrientColumn && _columns[size_t(section) - 1] == nut;
        _nutrientActions[nut]->setChecked(checked);
        _nutrientActions[nut]->setEnabled(checked || !shown);
        _nutrientActions[nut]->setVisible(nutrientColumn);
    }
    _nutrientSeparator->setVisible(nutrientColumn);
    _addNutrientAction->setVisible(columnCount() < MaxNutrientColumns + 1);
    _removeNutrientAction->setVisible(columnCount() > 1);
    const QSignalBlocker blocker(_headerMenu);
    for (int mode = 0; mode < 3; ++mode)
        _layoutActions[mode]->setChecked(mode == _viewMode);
}

void DiaryListView::popupNutrientMenu(int section)
{
    _headerSection = section;
    _prepareHeaderMenu(section);
    if (QAction* chosen = execMenu(_headerMenu, QCursor::pos()))
        handleHeaderContextMenu(chosen);
}

// The columns change once they are stored; the layout actions store the view mode themselves.
void DiaryListView::handleHeaderContextMenu(QAction* action)
{
    const bool nutrientColumn = _headerSection > 0 && _headerSection <= int(_columns.size());
    std::vector<DBTypes::NutType> columns = _columns;
    if (action == _addNutrientAction) {
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
            if (std::find(columns.begin(), columns.end(), nut) == columns.end()) {
                columns.push_back(DBTypes::NutType(nut));
                break;
            }
        }
    } else if (action == _removeNutrientAction) {
        if (nutrientColumn)
            columns.erase(columns.begin() + (_headerSection - 1));
        else if (!columns.empty())
            columns.pop_back();
    } else {
        for (int mode = 0; mode < 3; ++mode) {
            if (action == _layoutActions[mode])
                setViewMode(mode);
        }
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
            if (action == _nutrientActions[nut] && nutrientColumn)
                columns[size_t(_headerSection) - 1] = DBTypes::NutType(nut);
        }
    }
    if (columns != _columns) {
        if (!_storeColumns(columns))
            return;
        _columns = columns;
    }
    _applyColumns();
    _refill();
}

// --- Focus, keys and mouse ---------------------------------------------------------------

void DiaryListView::focusInEvent(QFocusEvent* event)
{
    QTreeWidget::focusInEvent(event);
    emit requestEditMenuRefresh(1, 0);
}

void DiaryListView::focusOutEvent(QFocusEvent* event)
{
    QTreeWidget::focusOutEvent(event);
    const QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return;
    emit requestEditMenuRefresh(focus->objectName() == QLatin1String("menubar") ? 1 : -1, 0);
}

void DiaryListView::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Left)
        return;
    const bool remove = key == Qt::Key_Delete || key == Qt::Key_Backspace;
    const bool edit = key == Qt::Key_Return || key == Qt::Key_Enter;
    if ((remove || edit) && isAnyItemSelected())
        handleContextMenu(remove ? RemoveCommand : EditCommand);
    else
        QTreeWidget::keyPressEvent(event);
}

void DiaryListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (isAnyItemSelected())
        handleContextMenu(EditCommand);
}

void DiaryListView::editEntry()
{
    if (isAnyItemSelected())
        handleContextMenu(EditCommand);
}

void DiaryListView::deleteEntry()
{
    if (isAnyItemSelected())
        handleContextMenu(RemoveCommand);
}

// --- Hooks -------------------------------------------------------------------------------

QAction* DiaryListView::execMenu(QMenu* menu, const QPoint& globalPos)
{
    return Prompter::instance()->popup(menu, globalPos);
}

double DiaryListView::askServings(bool* ok)
{
    const PlausibleRange servings = PlausibleRange::of(PlausibleRange::MealServings);
    return Prompter::instance()->getDouble(this, tr("Please select number of servings"),
                                           tr("Number of serves"), 1.0, servings.bottom(),
                                           servings.top(), 2, ok, QString(), tr("Servings"));
}

QString DiaryListView::askMealName(bool* ok)
{
    return Prompter::instance()->getText(this, tr("Save Meal"), tr("Enter a name for this meal:"),
                                         QString(), ok, QStringLiteral("diary.html#id316350"));
}

void DiaryListView::showWarning(const QString& caption, const QString& text)
{
    Prompter::warning(this, caption, text);
}

qint64 DiaryListView::chooseSavedMeal()
{
    qint64 chosen = -1;
    const std::unique_ptr<SavedMealLoadForm> dialog(SavedMealLoadForm::construct(this));
    const std::vector<std::unique_ptr<BrowsableDBIterator>> lists = savedMealLists();
    dialog->doList(lists[0].get(), &chosen);
    for (size_t i = 1; i < lists.size(); ++i)
        dialog->appendList(lists[i].get());
    dialog->exec();
    return chosen;
}

// --- Adding, editing and removing entries --------------------------------------------------

std::vector<std::unique_ptr<BrowsableDBIterator>> DiaryListView::savedMealLists()
{
    const SavedMealTree* tree = SavedMealTree::instance();
    const qint64 own = tree->getRootForUser(currentUser());
    const qint64 shared = tree->getRootForUser(-1);
    std::vector<std::unique_ptr<BrowsableDBIterator>> lists;
    lists.push_back(tree->getChildren(own, 0, FLAG_CATEGORY));
    if (shared != own)
        lists.push_back(tree->getChildren(shared, 0, FLAG_CATEGORY));
    return lists;
}

bool DiaryListView::_hasSavedMeals() const
{
    for (const std::unique_ptr<BrowsableDBIterator>& list : savedMealLists()) {
        if (list && list->next())
            return true;
    }
    return false;
}

bool DiaryListView::_readEntry(const std::function<bool()>& read)
{
    bool found = false;
    return StorePrompt::read(this, [&] { found = read(); }) && found;
}

bool DiaryListView::_change(const std::function<bool(QString& refusal)>& change)
{
    QString refusal;
    return StorePrompt::change(this, tr(s_storeRefusedCaption), [&] {
        refusal = tr(s_storeRefusedText);
        return change(refusal);
    }, refusal);
}

QString DiaryListView::_refusal(const DBTypes::FoodDiaryItem& entry, bool ofMeal) const
{
    if (DiaryDB::instance()->mayStoreFood(entry))
        return tr(s_storeRefusedText);
    return tr(ofMeal ? s_privateMealFoodText : s_privateFoodText).arg(entry.getDesc());
}

bool DiaryListView::_storeFoodEntry(DBTypes::FoodDiaryItem& entry)
{
    entry.userId = currentUser();
    entry.setDate(today().toStdString());
    DiaryDB* diary = DiaryDB::instance();
    if (entry.entryId >= 0)
        return diary->modifyFoodEntry(entry.entryId, entry);
    // Meal-plan entries arrive with a marker id of their own: all are new entries.
    entry.entryId = -1;
    return diary->addFoodEntry(entry, true) >= 0;
}

DiaryListViewItem* DiaryListView::addFoodItem(DBTypes::FoodDiaryItem& entry)
{
    if (!_calendar || currentUser() < 0)
        return nullptr;
    const bool stored = _change([&](QString& refusal) {
        if (_storeFoodEntry(entry))
            return true;
        refusal = _refusal(entry, false);
        return false;
    });
    if (!stored)
        return nullptr;
    DiaryListViewItem* row = addFoodItemToGui(entry);
    showHideEmptyText(row->parent());
    return row;
}

bool DiaryListView::_addFoodEntries(std::vector<DBTypes::FoodDiaryItem>& entries, int group)
{
    if (!_calendar || currentUser() < 0)
        return false;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    // One transaction: a refused entry leaves the day as it was.
    const bool stored = _change([&](QString& refusal) {
        StoreTransaction change;
        if (!change)
            return false;
        const DBTypes::FoodDiaryItem* refused = nullptr;
        for (auto entry = entries.begin(); !refused && entry != entries.end(); ++entry) {
            entry->meal = group;
            entry->entryId = -1;
            if (!_storeFoodEntry(*entry))
                refused = &*entry;
        }
        if (change.end(!refused))
            return true;
        if (refused)
            refusal = _refusal(*refused, true);
        return false;
    });
    if (!stored)
        return false;
    for (const DBTypes::FoodDiaryItem& entry : entries)
        addFoodItemToGui(entry);
    showHideEmptyText(_groups[fileGroup(_viewMode, group)]);
    _updateTotals();
    return true;
}

void DiaryListView::addContextMeal(std::vector<DBTypes::FoodDiaryItem>& entries)
{
    if (!entries.empty())
        _addFoodEntries(entries, entries.front().meal);
}

void DiaryListView::addContextFood(DBTypes::FoodDiaryItem& entry)
{
    if (addFoodItem(entry))
        _updateTotals();
}

void DiaryListView::completeExerciseEntry(DBTypes::ExerciseDiaryItem& entry) const
{
    entry.setDate(today().toStdString());
    entry.userId = currentUser();
}

void DiaryListView::addContextExercise(DBTypes::ExerciseDiaryItem& entry)
{
    if (!_calendar || currentUser() < 0)
        return;
    completeExerciseEntry(entry);
    entry.status = 1;
    if (!_change([&entry](QString&) { return DiaryDB::instance()->addExEntry(entry, false) >= 0; }))
        return;
    addExItemToGui(entry);
    _updateTotals();
}

void DiaryListView::_selectRow(QTreeWidgetItem* row)
{
    setCurrentItem(row);
    if (row)
        row->setSelected(true);
}

void DiaryListView::_removeEntry(QTreeWidgetItem* row)
{
    QTreeWidgetItem* group = row->parent();
    const bool exercise = rowId(group) == -DiaryDay::EXERCISE;
    const qint64 id = rowId(row);
    // The list shows what the diary holds: an entry the store kept stays.
    const bool removed = _change([exercise, id](QString&) {
        DiaryDB* diary = DiaryDB::instance();
        return exercise ? diary->removeExEntry(currentUser(), id, false)
                        : diary->removeFoodEntry(currentUser(), id, false);
    });
    if (!removed)
        return;
    const int index = group->indexOfChild(row);
    QTreeWidgetItem* below = group->child(index + 1);
    QTreeWidgetItem* above = index > 0 ? group->child(index - 1) : nullptr;
    QTreeWidgetItem* next = below && rowId(below) > 0 ? below
                          : above && rowId(above) > 0 ? above
                                                      : nullptr;
    delete row;
    _forget(id, exercise);
    _selectRow(next);
    showHideEmptyText(group);
    _updateTotals();
}

// The name is asked first; the meal's entries are read and stored in one change.
void DiaryListView::_saveMeal(QTreeWidgetItem* group)
{
    bool ok = false;
    const QString name = askMealName(&ok);
    if (!ok || name.trimmed().isEmpty())
        return;
    const int groupType = int(-rowId(group));
    qint64 mealId = -1;
    const bool stored = _change([&](QString&) {
        std::vector<DBTypes::FoodDiaryItem> entries;
        for (const DBTypes::FoodDiaryItem& food : _day.foods) {
            if (fileGroup(_viewMode, food.meal) == groupType)
                entries.push_back(food);
        }
        mealId = SavedMealDB::instance()->storeMeal(currentUser(), -1, name.toStdString(),
                                                    entries, true);
        return mealId >= 1;
    });
    if (stored)
        emit newSavedMeal(mealId);
}

// Whether the saved meal's foods were read (the user was told when not).
bool DiaryListView::_readMeal(qint64 mealId, std::optional<std::vector<DBTypes::FoodDiaryItem>>& entries)
{
    return StorePrompt::read(this, [&] { entries = SavedMealDB::instance()->getSavedMealItems(mealId); })
        && entries;
}

void DiaryListView::_loadMeal(QTreeWidgetItem* group)
{
    const qint64 mealId = chooseSavedMeal();
    if (mealId < 0)
        return;
    std::optional<std::vector<DBTypes::FoodDiaryItem>> entries;
    if (_readMeal(mealId, entries))
        _addFoodEntries(*entries, int(-rowId(group)));
}

void DiaryListView::showContextMenu(const QPoint& pos)
{
    QTreeWidgetItem* row = itemAt(pos);
    if (!row)
        return;
    const qint64 id = rowId(row);
    QMenu menu(this);
    if (row->parent() && id >= 0) {
        menu.addAction(tr("Edit"))->setData(int(EditCommand));
        menu.addAction(tr("Remove"))->setData(int(RemoveCommand));
    } else if (!row->parent() && isMealGroup(id)) {
        // The saved meals are those of the tree held for the user (the browser's): the menu
        // reads nothing. Only a tree not built yet is read, like any other reading.
        bool saved = false;
        if (SavedMealTree::exists())
            saved = _hasSavedMeals();
        else if (!StorePrompt::read(this, [this, &saved] { saved = _hasSavedMeals(); }))
            return;
        if (saved)
            menu.addAction(tr("Load Meal"))->setData(int(LoadMealCommand));
        if (row->childCount() > 0 && rowId(row->child(0)) > 0)
            menu.addAction(tr("Save Meal"))->setData(int(SaveMealCommand));
    }
    if (menu.isEmpty())
        return;
    _selectRow(row);
    if (QAction* chosen = execMenu(&menu, viewport()->mapToGlobal(pos)))
        handleContextMenu(chosen->data().toInt());
}

void DiaryListView::handleContextMenu(int command)
{
    QTreeWidgetItem* row = currentItem();
    if (!row)
        return;
    const bool entry = row->parent() && rowId(row) > 0;
    const bool mealGroup = !row->parent() && isMealGroup(rowId(row));
    switch (command) {
    case EditCommand:
        if (entry)
            _editEntry(row);
        break;
    case RemoveCommand:
        if (entry)
            _removeEntry(row);
        break;
    case SaveMealCommand:
        if (mealGroup)
            _saveMeal(row);
        break;
    case LoadMealCommand:
        if (mealGroup)
            _loadMeal(row);
        break;
    default:
        break;
    }
}

// The entry is read, the dialog asks for the new one with no action open, and the change is
// stored as one action of its own.
void DiaryListView::_editEntry(QTreeWidgetItem* row)
{
    const qint64 id = rowId(row);
    QTreeWidgetItem* oldGroup = row->parent();
    DiaryListViewItem* newRow = nullptr;
    if (rowId(oldGroup) == -DiaryDay::EXERCISE) {
        std::optional<DBTypes::ExerciseDiaryItem> entry;
        if (!_readEntry([&] { return entry = DiaryDB::instance()->getExerciseEntry(currentUser(), id), entry.has_value(); }))
            return;
        const DBTypes::ExerciseDiaryItem stored = *entry;
        // Apply with nothing edited leaves the entry as stored.
        if (!runExerciseDialog(*entry, entry->exerciseId, true)
            || (entry->duration == stored.duration && entry->rate == stored.rate
                && entry->name == stored.name))
            return;
        entry->entryId = id;
        entry->userId = currentUser();
        if (!_change([&entry](QString&) { return DiaryDB::instance()->modifyExEntry(*entry); }))
            return;
        delete row;
        newRow = _addExRow(*entry);
    } else {
        std::optional<DBTypes::FoodDiaryItem> entry;
        if (!_readEntry([&] { return entry = DiaryDB::instance()->getFoodEntry(currentUser(), id), entry.has_value(); }))
            return;
        const DBTypes::FoodDiaryItem stored = *entry;
        // The values follow the amount and serving: with neither edited, nothing is stored.
        if (!runFoodDialog(*entry, -1, true)
            || (entry->size == stored.size && entry->servingId == stored.servingId
                && entry->meal == stored.meal))
            return;
        entry->entryId = id;
        if (!_change([this, &entry](QString& refusal) {
                if (_storeFoodEntry(*entry))
                    return true;
                refusal = _refusal(*entry, false);
                return false;
            }))
            return;
        delete row;
        newRow = addFoodItemToGui(*entry);
    }
    showHideEmptyText(oldGroup);
    showHideEmptyText(newRow->parent());
    _selectRow(newRow);
    _updateTotals();
}

std::optional<float> DiaryListView::_userWeight() const
{
    return UserDB::instance()->weightForDay(currentUser(), today().toLatin1().constData());
}

void DiaryListView::doExerciseDialog(qint64 exerciseId)
{
    if (!_calendar || currentUser() < 0)
        return;
    DBTypes::ExerciseDiaryItem entry;
    if (runExerciseDialog(entry, exerciseId, false))
        addContextExercise(entry);
}

bool DiaryListView::runFoodDialog(DBTypes::FoodDiaryItem& entry, qint64 foodId, bool editing)
{
    const std::unique_ptr<AddFoodDialog> dialog(AddFoodDialog::construct(this));
    if (editing) {
        dialog->setAddButtonLabel(tr("Apply"));
        dialog->setTitle(tr("Edit entry"));
    }
    if (foodId >= 0)
        dialog->setFood(foodId);
    else
        dialog->setFoodItem(entry);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    entry = dialog->getFoodDiaryItem();
    return true;
}

bool DiaryListView::runExerciseDialog(DBTypes::ExerciseDiaryItem& entry, qint64 exerciseId,
                                      bool editing)
{
    const std::unique_ptr<AddExerciseDialog> dialog(AddExerciseDialog::construct(this));
    if (editing) {
        dialog->setAddButtonLabel(tr("Apply"));
        dialog->setTitle(tr("Edit entry"));
        dialog->setExerciseItem(entry);
    } else {
        // The rate offered is never worked out from a weight that could not be read.
        std::optional<float> weight;
        if (!StorePrompt::read(this, [&] { weight = _userWeight(); }) || !weight)
            return false;
        dialog->setUserWeight(*weight);
        dialog->setExercise(exerciseId, 0, 1.0f);
    }
    if (dialog->exec() != QDialog::Accepted)
        return false;
    entry = dialog->getExerciseDiaryItem();
    return true;
}

bool DiaryListView::loadRecipe(DBTypes::FoodDiaryItem& entry, qint64 recipeId)
{
    RecipeProxyDB* recipes = RecipeProxyDB::instance(true);
    return recipes && recipes->loadRecipeIntoFDI(entry, recipeId);
}

// --- Drag and drop -----------------------------------------------------------------------

ItemDrag* DiaryListView::dragObject()
{
    QTreeWidgetItem* row = currentItem();
    if (!row || !row->isSelected() || !row->parent() || rowId(row) <= 0)
        return nullptr;
    _draggedId = rowId(row);
    _draggedGroupId = int(rowId(row->parent()));
    const unsigned char type =
        _draggedGroupId == -DiaryDay::EXERCISE ? ExerciseItemFlag : FoodItemFlag;
    return new ItemDrag(_draggedId, type);
}

void DiaryListView::startDrag(Qt::DropActions)
{
    ItemDrag* payload = dragObject();
    if (!payload)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(payload);
    drag->exec(Qt::CopyAction);
    _draggedId = 0;
    _draggedGroupId = 0;
}

const QObject* DiaryListView::dropSource(const QDropEvent* event) const
{
    return event->source();
}

QTreeWidgetItem* DiaryListView::_dropTarget(const QPoint& pos) const
{
    QTreeWidgetItem* row = itemAt(pos);
    if (!row)
        return _groups[DiaryDay::EXERCISE];
    const qint64 id = rowId(row);
    // Over the upper half of a group row the drop belongs to the group above.
    if (!row->parent() && id >= -DiaryDay::EXERCISE && id <= -DiaryDay::MORNING_SNACK)
        row = itemAt(pos - QPoint(0, visualItemRect(row).height() / 2));
    return row;
}

bool DiaryListView::_acceptDrag(QDropEvent* event)
{
    _dragTargetGroupId = 0;
    if (!ItemDrag::decode(event->mimeData(), _dragItem) || (_dragItem.type & CategoryItemFlag))
        return false;
    QTreeWidgetItem* target = _dropTarget(event->position().toPoint());
    while (target && target->parent())
        target = target->parent();
    if (target)
        _dragTargetGroupId = int(rowId(target));
    const QObject* source = dropSource(event);
    if (!source)
        return false;
    if (source != this) {
        if (_dragItem.type & ExerciseItemFlag)
            return true;
        return isMealGroup(_dragTargetGroupId)
            && (_dragItem.type & (FoodItemFlag | RecipeItemFlag | SavedMealItemFlag));
    }
    return target && _draggedId > 0 && isMealGroup(_draggedGroupId)
        && _dragTargetGroupId != -DiaryDay::EXERCISE;
}

void DiaryListView::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void DiaryListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (_acceptDrag(event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void DiaryListView::dragLeaveEvent(QDragLeaveEvent* event)
{
    _dragTargetGroupId = 0;
    event->accept();
}

void DiaryListView::dropEvent(QDropEvent* event)
{
    if (!_acceptDrag(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    objectDropped(event);
}

void DiaryListView::objectDropped(QDropEvent* event)
{
    if (_dragItem.type & ExerciseItemFlag) {
        if (dropSource(event) != this)
            doExerciseDialog(_dragItem.id);
        return;
    }
    if (!isMealGroup(_dragTargetGroupId))
        return;
    if (dropSource(event) == this)
        _moveEntry(-_dragTargetGroupId);
    else
        _dropFromBrowser(-_dragTargetGroupId);
}

void DiaryListView::_dropFromBrowser(int groupType)
{
    if (_dragItem.type & SavedMealItemFlag) {
        _dropSavedMeal(_dragItem.id, groupType);
        return;
    }
    DBTypes::FoodDiaryItem entry;
    qint64 foodId = _dragItem.id;
    if (_dragItem.type & RecipeItemFlag) {
        if (!loadRecipe(entry, _dragItem.id)) {
            showWarning(tr("Add recipe - error"),
                        tr("Sorry, we couldn't fetch recipe details for that recipe."));
            return;
        }
        foodId = -1;
    }
    if (!runFoodDialog(entry, foodId, false))
        return;
    entry.meal = groupType;
    if (addFoodItem(entry)) {
        _updateTotals();
        emit dropFinished();
    }
}

void DiaryListView::_dropSavedMeal(qint64 mealId, int groupType)
{
    bool ok = false;
    const double servings = askServings(&ok);
    if (!ok || !std::isfinite(servings) || servings < 0.1 || servings > 2000.0)
        return;
    std::optional<std::vector<DBTypes::FoodDiaryItem>> entries;
    if (!_readMeal(mealId, entries))
        return;
    for (DBTypes::FoodDiaryItem& entry : *entries) {
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
            const float value = entry.values.getNutrient(DBTypes::NutType(nut));
            // Missing values stay missing.
            if (value >= 0.0f)
                entry.values.setNutrient(DBTypes::NutType(nut), value * float(servings));
        }
        entry.size *= float(servings);
    }
    if (_addFoodEntries(*entries, groupType))
        emit dropFinished();
}

void DiaryListView::_moveEntry(int groupType)
{
    QTreeWidgetItem* oldGroup = groupRow(-_draggedGroupId);
    if (!oldGroup || _draggedGroupId == -groupType)
        return;
    QTreeWidgetItem* row = nullptr;
    for (int i = 0; i < oldGroup->childCount() && !row; ++i) {
        if (rowId(oldGroup->child(i)) == _draggedId)
            row = oldGroup->child(i);
    }
    if (!row)
        return;
    // The entry is read and stored in its new meal as one change.
    std::optional<DBTypes::FoodDiaryItem> entry;
    const qint64 id = _draggedId;
    const bool moved = _change([&](QString& refusal) {
        entry = DiaryDB::instance()->getFoodEntry(currentUser(), id);
        if (!entry)
            return false;
        entry->meal = groupType;
        if (_storeFoodEntry(*entry))
            return true;
        refusal = _refusal(*entry, false);
        return false;
    });
    if (!moved)
        return;
    delete row;
    DiaryListViewItem* newRow = addFoodItemToGui(*entry);
    _selectRow(newRow);
    showHideEmptyText(oldGroup);
    showHideEmptyText(newRow->parent());
    _updateTotals();
}
