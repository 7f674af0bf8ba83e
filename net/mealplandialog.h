#pragma once

#include "core/fooddiaryitem.h"

#include <QDialog>
#include <QPoint>

#include <memory>

class AddFoodDialog;
class MealPlanDialogPrivate;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;


// Shows the meal plan of one day by meal, downloading it when it is not stored yet, and lets
// the user copy planned foods into the diary: by double click, Enter, the row's add image or
// the context menu (into a meal of the user's choice).
class MealPlanDialog : public QDialog
{
    Q_OBJECT

public:
    enum Page { MEAL_PLAN_PAGE = 0, DOWNLOAD_PAGE = 1, NO_DATA_PAGE = 2, ERROR_PAGE = 3 };

    explicit MealPlanDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~MealPlanDialog() override;

    // A dialog with title bar and system menu; the caller runs and deletes it.
    static MealPlanDialog* construct(QWidget* parent);

    QLabel* dateLabel;
    QStackedWidget* stack;
    QWidget* mealPlanPage;
    QLabel* textLabel2;
    QTreeWidget* itemList;
    QWidget* downloadPage;
    QLabel* textLabel3;
    QProgressBar* downloadProgress;
    QWidget* noDataPage;
    QLabel* textLabel1;
    QWidget* errorPage;
    QLabel* textLabel2_2;
    QLabel* errorLabel;
    QCheckBox* servingSizeCheck;
    QPushButton* doneButton;

signals:
    void addFoodSignal(DBTypes::FoodDiaryItem& entry);

public:
    enum PlanRead { PlanShown, NoPlanStored, PlanUnread };

public slots:
    virtual void setDay(const QDate& date);
    virtual void mealPlanDownloadComplete(bool error, const QString& message);
    virtual void itemPressed(QTreeWidgetItem* row, const QPoint& position, int column);
    virtual void itemClicked(QTreeWidgetItem* row, const QPoint& position, int column);
    virtual void itemDoubleClick(QTreeWidgetItem* row, const QPoint& position, int column);
    virtual void contextMealChosen(int meal);
    virtual void showContextMenu(QTreeWidgetItem* row, const QPoint& position, int column);
    virtual void itemChosen(QTreeWidgetItem* row, int meal);
    virtual void itemChosen(QTreeWidgetItem* row);
    virtual void itemChosen(const DBTypes::FoodDiaryItem& entry, int meal);
    virtual void languageChange();
    // Shows the plan stored for the dialog's day. When the diary cannot be read (the user is
    // told), the dialog keeps what it showed.
    virtual PlanRead showPlanFromDb();

protected:
    virtual void init();
    virtual void destroy();
    // Runs the add-food dialog for a copy; whether the user accepted it.
    virtual bool runAddFoodDialog(AddFoodDialog& dialog);
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void _buildForm();
    void _connectList();
    void _addMealRows();
    void _addFoodRow(const DBTypes::FoodDiaryItem& entry);
    void _setProgress(int done, int total);

    MealPlanDialogPrivate* d = nullptr;
    QPoint _pressPosition;
    QPoint _releasePosition;
};
