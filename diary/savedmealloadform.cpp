#include "diary/savedmealloadform.h"

#include "widgets/prompter.h"
#include "widgets/storeprompt.h"
#include "catalogue/browsabledbiterator.h"
#include "userdb/savedmealdb.h"
#include "userdb/userdb.h"
#include "diary/savedmeallistboxitem.h"

#include <QListWidget>
#include <QPushButton>

#include <cassert>

SavedMealLoadForm::SavedMealLoadForm(QWidget* parent, const char* name, bool modal,
                                     Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , lbMeals(new QListWidget(this))
    , pbLoad(new QPushButton(this))
    , pbDelete(new QPushButton(this))
    , pbRename(new QPushButton(this))
    , pbCancel(new QPushButton(this))
{
    setObjectName(QString::fromLatin1(name ? name : "SavedMealLoadForm"));
    setModal(modal);
    lbMeals->setObjectName(QStringLiteral("lbMeals"));
    pbLoad->setObjectName(QStringLiteral("pbLoad"));
    pbDelete->setObjectName(QStringLiteral("pbDelete"));
    pbRename->setObjectName(QStringLiteral("pbRename"));
    pbCancel->setObjectName(QStringLiteral("pbCancel"));
    lbMeals->setGeometry(11, 11, 331, 180);
    QPushButton* const column[] = {pbLoad, pbDelete, pbRename};
    for (int i = 0; i < 3; ++i)
        column[i]->setGeometry(352, 11 + 34 * i, 108, 28);
    pbCancel->setGeometry(352, 163, 108, 28);
    // Return belongs to the list: it loads the current meal.
    for (QPushButton* button : {pbLoad, pbDelete, pbRename, pbCancel})
        button->setAutoDefault(false);
    languageChange();
    resize(minimumSizeHint().expandedTo(QSize(471, 202)));
    setTabOrder(lbMeals, pbLoad);
    setTabOrder(pbLoad, pbDelete);
    setTabOrder(pbDelete, pbRename);
    setTabOrder(pbRename, pbCancel);

    connect(pbLoad, &QPushButton::clicked, this, &SavedMealLoadForm::pbLoadClicked);
    connect(pbDelete, &QPushButton::clicked, this, &SavedMealLoadForm::pbDeleteClicked);
    connect(pbRename, &QPushButton::clicked, this, &SavedMealLoadForm::pbRenameClicked);
    connect(pbCancel, &QPushButton::clicked, this, &SavedMealLoadForm::pbCancelClicked);
    // A double click or Return on a row.
    connect(lbMeals, &QListWidget::activated, this, &SavedMealLoadForm::pbLoadClicked);
}

SavedMealLoadForm* SavedMealLoadForm::construct(QWidget* parent)
{
    return new SavedMealLoadForm(parent, nullptr, false,
                                 Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                     | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

void SavedMealLoadForm::languageChange()
{
    setWindowTitle(tr("Meal Loading and Management"));
    pbLoad->setText(tr("Load Meal"));
    pbDelete->setText(tr("Delete Meal"));
    pbRename->setText(tr("Rename Meal"));
    pbCancel->setText(tr("Cancel"));
}

void SavedMealLoadForm::doList(BrowsableDBIterator* it, qint64* mealIdChosen)
{
    lbMeals->clear();
    _mealIdChosen = mealIdChosen;
    appendList(it);
}

void SavedMealLoadForm::appendList(BrowsableDBIterator* it)
{
    while (it && it->next())
        new SavedMealListBoxItem(lbMeals, it->id(), QString::fromUtf8(it->name()));
}

int SavedMealLoadForm::exec()
{
    if (lbMeals->count() > 0)
        lbMeals->setCurrentRow(0);
    lbMeals->setFocus();
    return QDialog::exec();
}

qint64 SavedMealLoadForm::getSelectedMealId() const
{
    const QList<QListWidgetItem*> selected = lbMeals->selectedItems();
    if (selected.isEmpty())
        return -1;
    const auto* meal = dynamic_cast<const SavedMealListBoxItem*>(selected.first());
    assert(meal && "selected row is a SavedMealListBoxItem");
    return meal->getId();
}

void SavedMealLoadForm::_finish(qint64 mealId)
{
    if (_mealIdChosen)
        *_mealIdChosen = mealId;
    QDialog::done(mealId >= 0 ? Accepted : Rejected);
}

void SavedMealLoadForm::pbLoadClicked()
{
    _finish(getSelectedMealId());
}

void SavedMealLoadForm::pbCancelClicked()
{
    _finish(-1);
}

void SavedMealLoadForm::accept()
{
    pbLoadClicked();
}

void SavedMealLoadForm::reject()
{
    pbCancelClicked();
}

void SavedMealLoadForm::pbDeleteClicked()
{
    const qint64 id = getSelectedMealId();
    if (id >= 0 && StorePrompt::change(this, tr("Delete Meal"),
                                       [id] { return SavedMealDB::instance()->deleteMeal(id, UserDB::instance()->getCurrentUser()); }))
        delete lbMeals->selectedItems().first();
    if (lbMeals->count() == 0)
        pbCancelClicked();
}

void SavedMealLoadForm::pbRenameClicked()
{
    const qint64 id = getSelectedMealId();
    if (id < 0)
        return;
    bool ok = false;
    const QString name = Prompter::instance()->getText(
        this, tr("Save Meal"), tr("Enter a name for this meal:"), QString(), &ok,
        QStringLiteral("diary.html#id316350"));
    // A blank name would hide the meal from every list: keep the old one.
    if (!ok || name.trimmed().isEmpty())
        return;
    if (StorePrompt::change(this, tr("Save Meal"),
                            [id, &name] {
                                return SavedMealDB::instance()->renameMeal(id, UserDB::instance()->getCurrentUser(),
                                                                           name.toStdString());
                            }))
        lbMeals->selectedItems().first()->setText(name);
}
