#pragma once

#include <QDate>
#include <QWidget>

class BXCalendar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The check-ins page: the calendar, the list of the user's check-in days and the button
// that opens the check-in of the calendar's date.
class CheckinWidget : public QWidget
{
    Q_OBJECT

public:
    CheckinWidget(QWidget* parent, const char* name, Qt::WindowFlags flags = {});

    QDate getDate() const;
    // Whether the current user has a check-in on that date.
    bool hasCheckin(const QDate& date) const;

    BXCalendar* calendar;
    QTreeWidget* checkinList;
    QPushButton* btnCheckin;

signals:
    // Context 2; state 1 when the calendar's date has a check-in, else 0.
    void requestEditMenuRefresh(const int context, const int state);

public slots:
    void raiseWidget();
    void checkinToday();
    // Removes the check-in of the selected list row and refreshes the page.
    void deleteJournal();
    // Labels btnCheckin for the date and emits requestEditMenuRefresh(2, has).
    void updateButtons(const QDate& date);
    // Refills the list and the calendar's bold marks from the current user's check-ins.
    void populate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void init();
    bool _removeCheckin(QTreeWidgetItem* row);
};
