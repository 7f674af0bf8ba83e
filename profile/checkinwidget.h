#pragma once

#include "profile/checkinlistitem.h"
#include "userdb/userdb.h"

#include <QDate>
#include <QWidget>

#include <optional>

class BXCalendar;
class CheckinDialog;
class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QPoint;
class QPushButton;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The check-ins page: every check-in of the current user in a list, the check-in days in bold
// on a calendar, and for the calendar's date the latest weight and measurements, the BMI, the
// waist/hip ratio and the day's journal note. Check-ins are created, edited and deleted here
// through the check-in dialog.
class CheckinWidget : public QWidget
{
    Q_OBJECT

public:
    // What the page shows of a day: its check-in as it stands then, whether the user checked
    // in that day, and the height the BMI is figured from (below 0 when not needed).
    struct Day
    {
        UserMeasurements set;
        bool checkedIn = false;
        float height = -1.0f;
    };
    // Everything the page shows of a user on a day, read whole before any of it is shown.
    struct Content
    {
        qint64 user = -1;
        QDate date;
        UserDB::DatedMeasurements checkins;
        Day day;
    };

    CheckinWidget(QWidget* parent, const char* name, Qt::WindowFlags flags = {});

    // Reads the page of the user's day inside the caller's reading action; nothing when any of
    // it could not be read. A user below 0 has a blank page.
    static std::optional<Content> read(qint64 user, const QDate& date);
    // Shows a page read whole, on the day it was read for.
    void showRead(const Content& content);

    virtual QDate getDate() const;
    // Whether the current user has a check-in on that date.
    // Whether the user checked in on the date; nothing when it could not be read.
    virtual std::optional<bool> hasCheckin(const QDate& date) const;
    // Refills the list and the calendar's bold marks from the current user's check-ins.
    virtual void populate();
    // Reads and shows the list, the calendar's day and its buttons again, in one reading
    // action; false, with the page as it was, when it could not be read.
    bool reload();
    // Runs the check-in dialog for a date; true when a change was stored.
    virtual bool updateMeasurements(const QDate& date);

    QTreeWidget* checkinListView = nullptr;
    BXCalendar* checkinCalendar = nullptr;
    QLabel* extrapolatedInfo = nullptr;
    QTextEdit* noteEdit = nullptr;
    QPushButton* btnCheckin = nullptr;

signals:
    // Context 2; state 1 when the calendar's date has a check-in, else 0.
    void requestEditMenuRefresh(const int context, const int state);

public slots:
    virtual void raiseWidget();
    // Labels btnCheckin for the date and emits requestEditMenuRefresh(2, has).
    virtual void updateButtons(const QDate& date);
    // Selects the date's row, or clears the selection when the date has none.
    virtual void selectClosestListItem(const QDate& date);
    virtual void handleListItemSelection(QTreeWidgetItem* row);
    virtual void updateExtrapolatedInfo(const QDate& date);
    // The check-in of the calendar's date.
    virtual void updateMeasurements();
    virtual void doContextMenuRequested(QTreeWidgetItem* row, const QPoint& point, int column);
    virtual void doEditItemRequest(QTreeWidgetItem* row, const QPoint& point, int column);
    // Deletes the check-in of the selected row.
    virtual void deleteJournal();
    virtual void checkinToday();

protected slots:
    virtual void languageChange();

protected:
    virtual void setupColumns();
    // Runs the dialog modally; its result code.
    virtual int execDialog(CheckinDialog* dialog);

    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void _showDate(const QDate& date);
    static std::optional<Day> _readDay(qint64 user, const QDate& date);
    // Shows the day's figures and note.
    void _showDay(const QDate& date, const Day& day);
    // Labels btnCheckin and emits requestEditMenuRefresh(2, checkedIn).
    void _showButton(bool checkedIn);
    void _fill(const UserDB::DatedMeasurements& checkins);
    void init();
    void _buildForm();
    qint64 _currentUser() const;
    void _fitColumns();
    CheckinListItem* _rowOf(const QDate& date) const;
    void _refreshAfterCheckin(const QDate& date);
    bool _removeCheckin(CheckinListItem* row);
    void _removeRow(CheckinListItem* row);
    QString _infoText(const QDate& date, const Day& day) const;

    CheckinListItem::ColumnMap _columns{};
    QMenu* _contextMenu = nullptr;
    QAction* _editAction = nullptr;
    QAction* _deleteAction = nullptr;
    bool _polished = false;
    // The day the page shows.
    QDate _shown;
};
