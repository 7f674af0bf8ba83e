#pragma once

#include "core/notificationparam.h"

#include <QDate>
#include <QWidget>

class DiaryListSlaveHeader;
class DiaryListView;
struct DiaryPageContent;
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
// green ticks and calendar controls, the diary list and the summary panel. It shows the user
// and day of ShownDay: a new day or user is read whole first, and only then moves ShownDay and
// every part of the page; a day that could not be read leaves all of them as they were.
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
    void doMealPlan();
    // Reads the page again, then raises it in the page stack that is its parent.
    void raiseWidget();
    void refresh(const QString& name, const NotificationParam& param);
    // Keeps the choice for the user, then shows or hides the summary panel; false, with the
    // panel as it was, when the choice was not stored.
    bool setVisibleFluidAndNutrient(bool visible);
    // Shows or hides the summary as the user's stored choice says, storing nothing.
    void showFluidAndNutrient(bool visible);
    // The day shown.
    QDate getDate() const;
    // Reads the user's day whole, in one reading action, then shows it; false, with the
    // page, the user and the day as they were, when it could not be read (the user is told).
    // The month's marked days are read only when the user or the month changes.
    bool showDay(qint64 user, const QDate& date);
    // Reads the shown day again with its month's marked days, and the browser's own lists;
    // false when it could not be read.
    bool reload();
    // Shows a day read whole, and makes its user and day the ones shown.
    void showRead(const DiaryPageContent& content);

private:
    void _buildForm();
    QFrame* _buildDateBar(QWidget* parent);
    void languageChange();
    void init();
    void _connect();
    void _applyStyles();
    void _moveTo(const QDate& date);
    bool _readAndShow(qint64 user, const QDate& date, bool withMarkedDays);
    DiaryListView* _list() const;
    void _showDateLabel();

    QPopupCalendar* _popup = nullptr;
    // Whether the page has shown a day.
    bool _shown = false;
};
