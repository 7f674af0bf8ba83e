#include "browser/foodquerywidget.h"

#include "widgets/bxinputdialog.h"
#include "widgets/searchlineedit.h"
#include "widgets/tabbodywidget.h"
#include "core/brandengine.h"
#include "userdb/diarydb.h"
#include "userdb/savedmealdb.h"
#include "userdb/userdb.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

FoodQueryWidget::FoodQueryWidget(QWidget* parent, const char* name)
    : QFrame(parent)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("FoodQueryWidget"));
    setWindowTitle(tr("Foods"));

    _container = new TabBodyWidget(this, "container");
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(_container);

    const BrandEngine* brand = BrandEngine::instance();
    prettySearchEdit = new SearchLineEdit(_container, "prettySearchEdit",
                                          brand->getPixmap("graphics.icon.search"),
                                          brand->getPixmap("graphics.icon.searchclear"));
    _searchLineEdit = prettySearchEdit->lineEdit();

    auto* grid = new QGridLayout;
    myFoodNewCat = _addButton(_container, "myFoodNewCat", tr("New &Category"));
    myFoodNewItem = _addButton(_container, "myFoodNewItem", tr("Ne&w Food"));
    myFoodDelete = _addButton(_container, "myFoodDelete", tr("&Delete"));
    myFoodEdit = _addButton(_container, "myFoodEdit", tr("&Edit"));
    myExNewCat = _addButton(_container, "myExNewCat", tr("New &Category"));
    myExNewItem = _addButton(_container, "myExNewItem", tr("Ne&w Exercise"));
    myExDelete = _addButton(_container, "myExDelete", tr("&Delete"));
    myExEdit = _addButton(_container, "myExEdit", tr("&Edit"));
    newSavedMeal = _addButton(_container, "newSavedMeal", tr("&New"));
    savedMealDelete = _addButton(_container, "savedMealDelete", tr("&Delete"));
    savedMealEdit = _addButton(_container, "savedMealEdit", tr("&Rename"));
    grid->addWidget(myFoodNewCat, 0, 0);
    grid->addWidget(myFoodNewItem, 0, 1);
    grid->addWidget(myExNewCat, 1, 0);
    grid->addWidget(myExNewItem, 1, 1);
    grid->addWidget(newSavedMeal, 2, 0);
    grid->addWidget(savedMealDelete, 2, 1);
    grid->addWidget(savedMealEdit, 2, 2);
    // Pressed only through the main window's Edit menu and the lists' keys.
    for (QPushButton* hidden : {myFoodDelete, myFoodEdit, myExDelete, myExEdit})
        hidden->hide();
    savedMealDelete->setEnabled(false);
    savedMealEdit->setEnabled(false);
    for (QPushButton* button : {myFoodNewCat, myFoodNewItem, myFoodDelete, myFoodEdit, myExNewCat,
                                myExNewItem, myExDelete, myExEdit, savedMealDelete, savedMealEdit})
        connect(button, &QPushButton::clicked, this, &FoodQueryWidget::dynamicButtonPushed);

    auto* body = new QVBoxLayout(_container);
    body->setContentsMargins(10, 10, 10, 10);
    body->setSpacing(6);
    body->addSpacing(10);
    body->addWidget(prettySearchEdit);
    body->addLayout(grid);
    body->addStretch(1);

    connect(prettySearchEdit, &SearchLineEdit::rightIconClicked, this,
            &FoodQueryWidget::escapePressed);
}

QPushButton* FoodQueryWidget::_addButton(QWidget* parent, const char* name, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QTreeWidgetItem* FoodQueryWidget::_diaryGroupRow(int group) const
{
    const auto* diaryList = window()->findChild<QTreeWidget*>(QStringLiteral("mealView"));
    if (!diaryList)
        return nullptr;
    for (int i = 0; i < diaryList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = diaryList->topLevelItem(i);
        if (row->data(0, Qt::UserRole).toInt() == -group)
            return row;
    }
    return nullptr;
}

void FoodQueryWidget::handleContextMenu(int id)
{
    if (id < 0 || id > 5)
        return;
    const QTreeWidgetItem* group = _diaryGroupRow(id + 1);
    if (!group)
        return;
    std::vector<DBTypes::FoodDiaryItem> entries;
    for (int i = 0; i < group->childCount(); ++i) {
        const int entryId = group->child(i)->data(0, Qt::UserRole).toInt();
        if (entryId < 1)
            break;
        if (const auto entry = DiaryDB::instance()->getFoodEntry(entryId))
            entries.push_back(*entry);
    }
    if (entries.empty())
        return;
    bool ok = false;
    const QString name =
        BXInputDialog::getText(tr("Save Meal"), tr("Please choose a name for your new saved meal"),
                               QLineEdit::Normal, QString(), &ok);
    if (!ok || name.trimmed().isEmpty())
        return;
    SavedMealDB::instance()->storeMeal(UserDB::instance()->getCurrentUser(), -1,
                                       name.toUtf8().toStdString(), entries, true);
}

void FoodQueryWidget::refreshDynamic()
{
}

void FoodQueryWidget::refreshStatic()
{
}

void FoodQueryWidget::focusSearchEdit()
{
    if (_searchLineEdit->text().isEmpty())
        return;
    _searchLineEdit->selectAll();
    _searchLineEdit->setFocus();
}

void FoodQueryWidget::fqAddFood(DBTypes::FoodDiaryItem& entry)
{
    emit addFoodSignal(entry);
    _searchLineEdit->selectAll();
    _searchLineEdit->activateWindow();
    _searchLineEdit->setFocus();
}

void FoodQueryWidget::fqAddExercise(DBTypes::ExerciseDiaryItem& entry)
{
    emit addExerciseSignal(entry);
    _searchLineEdit->selectAll();
    _searchLineEdit->activateWindow();
    _searchLineEdit->setFocus();
}

void FoodQueryWidget::fqExerciseDialog(int exerciseId)
{
    emit doExerciseDialog(exerciseId);
}

void FoodQueryWidget::escapePressed()
{
    _searchLineEdit->clear();
}

void FoodQueryWidget::dynamicButtonPushed()
{
}
