#pragma once

#include "core/notificationparam.h"

#include <QDate>
#include <QWidget>

#include <functional>

class DiaryListSlaveHeader;
class DiaryListView;
class DiarySummary;
class DiaryView;
class FoodQueryWidget;
class GreenTicksWidget;
class QFrame;
class QGroupBox;
class QLabel;
class QPopupCalendar;
class QSplitter;
class QToolButton;

// The diary page: beside the food and exercise browser, the chosen day's date bar with its
// green ticks and calendar controls, the diary list and the summary panel. The page owns the
// chosen date; every change of it reloads the list and gives the summary panel, the ticks
// and the browser the check-in and weight in force that day.
class DiaryWidget : public QWidget
{
    Q_OBJECT

public:
    DiaryWidget(QWidget* parent, const char* name, Qt::WindowFlags flags = {});

    QPopupCalendar* popupCalendar() const { return _popup; }

    QSplitter* splitter2;
    QGroupBox* groupBox1;
    QFrame* frame10;
    QLabel* dateLabel;
    GreenTicksWidget* greenTicksWidget1;
    QFrame* calendarFrame;
    QToolButton* dateButton;
    QFrame* dateFrame;
    QToolButton* prevDayButton;
    QToolButton* currentDayButton;
    QToolButton* nextDayButton;
    DiaryListSlaveHeader* slaveHeader;
    DiaryView* diaryView1;
    DiarySummary* summaryWidget;
    FoodQueryWidget* foodQueryWidget3;

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
    // Keeps the choice for the user, then shows or hides the summary panel; false, with the
    // panel as it was, when the choice was not stored.
    bool setVisibleFluidAndNutrient(bool visible);
    // Shows or hides the summary as the user's stored choice says, storing nothing.
    void showFluidAndNutrient(bool visible);
    QDate getDate() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void _buildForm();
    QFrame* _buildDateBar(QWidget* parent);
    void languageChange();
    void init();
    void _connect();
    void _applyStyles();
    void _moveTo(const QDate& date);
    void _pickedInCalendar(const QDate& date);
    void _showDay(const std::function<void()>& show);
    DiaryListView* _list() const;
    void _showDateLabel();

    QPopupCalendar* _popup = nullptr;
    // The day the page shows.
    QDate _shown;
};
