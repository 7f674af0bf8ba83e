#include "diary/diarylistview.h"

#include "widgets/bxcalendar.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>

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

// The order of the six meal group rows in each snack layout.
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

int currentUser()
{
    return UserDB::instance()->getCurrentUser();
}

QString fraction(double whole, const char* sign, const char* alone)
{
    if (whole == 0.0)
        return QString::fromLatin1(alone);
    return QString::number(whole, 'g') + QString::fromUtf8(sign);
}

} // namespace

DiaryListView::DiaryListView(QWidget* parent, const char* name)
    : QTreeWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    setHeaderLabels({tr("Item")});
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setRootIsDecorated(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    _createGroupRows();
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this] { emit requestEditMenuRefresh(1, 0); });
    if (currentUser() >= 0)
        setViewMode(UserDB::instance()->getUserPrefs(currentUser()).snackDisplay);
}

void DiaryListView::_createGroupRows()
{
    for (const GroupRowInfo& info : s_groupRows) {
        auto* row = new QTreeWidgetItem(this, {QString::fromLatin1(info.text)});
        row->setData(0, RowIdRole, -info.group);
        QFont bold = font();
        bold.setBold(true);
        row->setFont(0, bold);
        const QColor colour = info.group == DiaryDay::EXERCISE ? QColor(210, 255, 210)
                                                               : QColor(190, 230, 255);
        row->setBackground(0, colour);
        if (info.group == DiaryDay::EXERCISE)
            row->setFlags(row->flags() & ~Qt::ItemIsSelectable);
        row->setExpanded(true);
        _groups[info.group] = row;
    }
}

void DiaryListView::setCalendar(BXCalendar* calendar)
{
    Q_ASSERT_X(calendar, "DiaryListView::setCalendar", "calendar");
    _calendar = calendar;
    connect(_calendar, &BXCalendar::monthChanged, this, &DiaryListView::refreshCalendar);
    refreshCalendar();
}

QString DiaryListView::today() const
{
    return _calendar->getDate().toString(QStringLiteral("yyyyMMdd"));
}

QString DiaryListView::getColumnSettings() const
{
    if (_columns.empty())
        return QStringLiteral("-");
    QString settings;
    for (DBTypes::NutType nut : _columns)
        settings += QStringLiteral("%1:").arg(int(nut));
    return settings;
}

void DiaryListView::setColumnSettings(const QString& settings)
{
    std::vector<DBTypes::NutType> nutrients;
    for (const QString& part : settings.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int nut = part.toInt(&ok);
        if (ok && nut >= 0 && nut < DBTypes::NUTRIENT_COUNT)
            nutrients.push_back(DBTypes::NutType(nut));
    }
    _setNutrientColumns(nutrients);
    showToday();
}

void DiaryListView::_setNutrientColumns(const std::vector<DBTypes::NutType>& nutrients)
{
    _columns = nutrients;
    setColumnCount(int(_columns.size()) + 1);
    _refreshColumnTitles();
    for (int column = 1; column < columnCount(); ++column) {
        headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}

// The titles name each nutrient in the units in force now, which change with the user.
void DiaryListView::_refreshColumnTitles()
{
    QStringList titles{tr("Item")};
    for (DBTypes::NutType nut : _columns)
        titles << UnitCollection::instance()->get(nut)->printName();
    setHeaderLabels(titles);
}

bool DiaryListView::isAnyItemSelected() const
{
    const QTreeWidgetItem* row = currentItem();
    return row && row->isSelected() && rowId(row) > 0;
}

bool DiaryListView::isEmpty() const
{
    return _calendar && _calendar->isBoldDay(_calendar->getDate());
}

bool DiaryListView::shouldBold() const
{
    for (const auto& [group, row] : _groups) {
        if (row->childCount() > 0 && rowId(row->child(0)) > 0)
            return true;
    }
    if (!_calendar || currentUser() < 0)
        return false;
    return UserDB::instance()->getFluid(currentUser(), today().toLatin1().constData()) != 0;
}

QTreeWidgetItem* DiaryListView::groupRow(int group) const
{
    const auto found = _groups.find(group);
    return found == _groups.end() ? nullptr : found->second;
}

int DiaryListView::rowId(const QTreeWidgetItem* row)
{
    return row->data(0, RowIdRole).toInt();
}

QString DiaryListView::niceDouble(double value)
{
    const double a = std::fabs(value);
    const double whole = std::floor(a);
    const double f = a - whole;
    const double quarters = f * 4.0;
    if (quarters == 0.0)
        return QString::number(value, 'f', 1);
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
    return QString::number(a, 'f', 1);
}

void DiaryListView::setViewMode(int mode)
{
    if (mode < DBTypes::SNACKS_TOGETHER || mode > DBTypes::SNACKS_NUMBERED)
        return;
    _viewMode = mode;
    if (currentUser() >= 0) {
        DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(currentUser());
        if (prefs.snackDisplay != mode) {
            prefs.snackDisplay = mode;
            UserDB::instance()->setUserPrefs(currentUser(), prefs);
        }
    }
    for (int i = 0; i < 6; ++i)
        takeTopLevelItem(indexOfTopLevelItem(_groups[i + 1]));
    for (int i = 0; i < 6; ++i) {
        QTreeWidgetItem* row = _groups[s_layoutOrder[mode][i]];
        insertTopLevelItem(i, row);
        row->setExpanded(true);
    }
    _groups[DiaryDay::MORNING_SNACK]->setHidden(mode == DBTypes::SNACKS_TOGETHER);
    _groups[DiaryDay::AFTERNOON_SNACK]->setHidden(mode == DBTypes::SNACKS_TOGETHER);
    _groups[DiaryDay::MORNING_SNACK]->setText(0, QString::fromLatin1(s_snackTitles[mode][0]));
    _groups[DiaryDay::AFTERNOON_SNACK]->setText(0, QString::fromLatin1(s_snackTitles[mode][1]));
    _groups[DiaryDay::EVENING_SNACK]->setText(0, QString::fromLatin1(s_snackTitles[mode][2]));
    emit notifyAdvanceMode(mode);
}

void DiaryListView::refreshCalendar()
{
    if (!_calendar || currentUser() < 0)
        return;
    _calendar->clearBoldBits();
    const QStringList dates =
        DiaryDB::instance()->getAllDatesForMonth(currentUser(), _calendar->getDate(), false);
    for (const QString& date : dates)
        _calendar->setBoldDay(date.toLatin1().constData());
}

void DiaryListView::setBoldDay(const QDate& date)
{
    if (_calendar)
        _calendar->setBoldDay(date);
}

void DiaryListView::unsetBoldDay(const QDate& date)
{
    if (_calendar)
        _calendar->unsetBoldDay(date);
}

void DiaryListView::setBoldToday()
{
    if (_calendar)
        setBoldDay(_calendar->getDate());
}

void DiaryListView::checkEntries()
{
    if (!_calendar)
        return;
    if (shouldBold())
        setBoldToday();
    else
        unsetBoldDay(_calendar->getDate());
}

DBTypes::DiaryDay DiaryListView::_loadDay() const
{
    if (!_calendar || currentUser() < 0)
        return {};
    return DiaryDB::instance()->getDay(currentUser(), today().toLatin1().constData(), false);
}

void DiaryListView::showToday()
{
    if (currentUser() >= 0) {
        const int mode = UserDB::instance()->getUserPrefs(currentUser()).snackDisplay;
        if (mode != _viewMode)
            setViewMode(mode);
    }
    _refreshColumnTitles();
    const DiaryDay day = _loadDay();
    _resetView();
    for (const DBTypes::FoodDiaryItem& entry : day.foods)
        _addFoodItemToGui(entry);
    for (const DBTypes::ExerciseDiaryItem& entry : day.exercises)
        _addExItemToGui(entry);
    for (const auto& [group, row] : _groups)
        _showHideEmptyText(row, day);
    _updateTotals();
}

void DiaryListView::_resetView()
{
    for (const auto& [group, row] : _groups)
        qDeleteAll(row->takeChildren());
}

int DiaryListView::_fileGroup(int meal) const
{
    if (meal == DiaryDay::BREAKFAST || meal == DiaryDay::LUNCH || meal == DiaryDay::DINNER)
        return meal;
    if (_viewMode != DBTypes::SNACKS_TOGETHER && meal >= DiaryDay::MORNING_SNACK
        && meal <= DiaryDay::EVENING_SNACK)
        return meal;
    return DiaryDay::EVENING_SNACK;
}

void DiaryListView::_addFoodItemToGui(const DBTypes::FoodDiaryItem& entry)
{
    const QString text = tr("%1 %2 of %3")
                             .arg(niceDouble(entry.size), entry.servingDesc, entry.desc);
    auto* row = new QTreeWidgetItem(_groups[_fileGroup(entry.meal)], {text});
    row->setData(0, RowIdRole, entry.entryId);
    for (size_t i = 0; i < _columns.size(); ++i) {
        const DBTypes::NutType nut = _columns[i];
        const QString value =
            UnitCollection::instance()->get(nut)->printNumber(entry.getNutrient(nut));
        row->setText(int(i) + 1, value + QLatin1Char(' '));
        row->setTextAlignment(int(i) + 1, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void DiaryListView::_addExItemToGui(const DBTypes::ExerciseDiaryItem& entry)
{
    const QString text = QString::asprintf("%0.1f minutes of %s", entry.duration,
                                           entry.name.toUtf8().constData());
    auto* row = new QTreeWidgetItem(_groups[DiaryDay::EXERCISE], {text});
    row->setData(0, RowIdRole, entry.entryId);
    for (size_t i = 0; i < _columns.size(); ++i) {
        if (_columns[i] != DBTypes::ENERGY)
            continue;
        row->setText(int(i) + 1, UnitCollection::instance()->get(DBTypes::ENERGY)
                                     ->printNumber(entry.energy()));
        row->setTextAlignment(int(i) + 1, Qt::AlignRight | Qt::AlignVCenter);
        break;
    }
}

void DiaryListView::_showHideEmptyText(QTreeWidgetItem* group, const DBTypes::DiaryDay& day)
{
    bool hasEntry = false;
    for (int i = group->childCount() - 1; i >= 0; --i) {
        if (rowId(group->child(i)) == HintRowId)
            delete group->takeChild(i);
        else
            hasEntry = true;
    }
    const int groupType = -rowId(group);
    for (size_t i = 0; i < _columns.size(); ++i) {
        const DBTypes::NutType nut = _columns[i];
        QString text;
        const bool shown = groupType != DiaryDay::EXERCISE || nut == DBTypes::ENERGY;
        const float total =
            shown ? day.getGroupTotal(DiaryDay::GroupType(groupType), nut) : -999.0f;
        if (hasEntry && total > -900.0f) {
            const UnitDescriptor* unit = UnitCollection::instance()->get(nut);
            text = unit->printNumber(total);
            if (nut != DBTypes::ENERGY)
                text += unit->printUnits();
            text += QLatin1Char(' ');
        }
        group->setText(int(i) + 1, text);
        group->setTextAlignment(int(i) + 1, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (hasEntry)
        return;
    const QString hint = groupType == DiaryDay::EXERCISE ? tr("Drag an exercise here")
                                                         : tr("Drag a food here");
    auto* row = new QTreeWidgetItem(group, {hint});
    row->setData(0, RowIdRole, HintRowId);
    QFont italic = font();
    italic.setItalic(true);
    row->setFont(0, italic);
    row->setFlags(row->flags() & ~Qt::ItemIsSelectable);
}

void DiaryListView::_updateTotals()
{
    checkEntries();
    emit totalChanged(_loadDay());
    emit requestEditMenuRefresh(1, 0);
}

void DiaryListView::deleteEntry()
{
    QTreeWidgetItem* row = currentItem();
    if (!isAnyItemSelected())
        return;
    QTreeWidgetItem* group = row->parent();
    if (rowId(group) == -DiaryDay::EXERCISE)
        DiaryDB::instance()->removeExEntry(rowId(row), false);
    else
        DiaryDB::instance()->removeFoodEntry(rowId(row), false);
    const int index = group->indexOfChild(row);
    QTreeWidgetItem* below = group->child(index + 1);
    QTreeWidgetItem* above = index > 0 ? group->child(index - 1) : nullptr;
    QTreeWidgetItem* next = below && rowId(below) > 0 ? below
                          : above && rowId(above) > 0 ? above
                                                      : nullptr;
    delete row;
    setCurrentItem(next);
    _showHideEmptyText(group, _loadDay());
    _updateTotals();
}

void DiaryListView::editEntry()
{
}

void DiaryListView::addContextFood(DBTypes::FoodDiaryItem& entry)
{
    if (!_calendar || currentUser() < 0)
        return;
    entry.userId = currentUser();
    entry.setDate(today().toStdString());
    DiaryDB* diary = DiaryDB::instance();
    const bool stored = entry.entryId < 0 ? diary->addFoodEntry(entry, true) >= 0
                                          : diary->modifyFoodEntry(entry.entryId, entry);
    if (stored)
        showToday();
}

void DiaryListView::addContextExercise(DBTypes::ExerciseDiaryItem& entry)
{
    if (!_calendar || currentUser() < 0)
        return;
    entry.userId = currentUser();
    entry.status = 1;
    entry.setDate(today().toStdString());
    if (DiaryDB::instance()->addExEntry(entry, false) >= 0)
        showToday();
}

void DiaryListView::doExerciseDialog(int exerciseId)
{
    Q_UNUSED(exerciseId);
}

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
