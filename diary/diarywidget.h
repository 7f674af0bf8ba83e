#pragma once

#include "core/notificationparam.h"

#include <QDate>
#include <QWidget>

class DiaryListView;
class DiarySummary;
class DiaryView;
class FoodQueryWidget;
class QPopupCalendarWidget;
class QLabel;
class QPushButton;

// The diary page: date navigation, the diary list of the chosen day, the summary panel
// and the food and exercise browser.
class DiaryWidget : public QWidget
{
    Q_OBJECT

public:
    DiaryWidget(QWidget* parent, const char* name, Qt::WindowFlags flags = {});

    DiaryView* diaryView1;
    DiarySummary* summaryWidget;
    FoodQueryWidget* foodQueryWidget3;
    QPushButton* prevDayButton;
    QPushButton* currentDayButton;
    QPushButton* nextDayButton;
    QPopupCalendarWidget* dateButton;
    QLabel* dateLabel;

signals:
    // The user's weight in force for the shown date in kilograms; below 0 when none.
    void userWeightChanged(float weight);
    void requestEditMenuRefresh(const int context, const int state);

public slots:
    void nextDayButton_clicked();
    void prevDayButton_clicked();
    void currentDayButton_clicked();
    void dateChanged(const QDate& date);
    void doMealPlan();
    // Raises the page in the page stack that is its parent.
    void raiseWidget();
    void refresh(const QString& name, const NotificationParam& param);
    // Shows or hides the summary panel.
    void setVisibleFluidAndNutrient(bool visible);
    QDate getDate() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void init();
    void _moveTo(const QDate& date);
    DiaryListView* _list() const;
};
