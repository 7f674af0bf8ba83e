#pragma once

#include "userdb/usermeasurements.h"

#include <QDate>
#include <QTreeWidgetItem>

#include <array>

class QTreeWidget;

// One row of the check-ins list: a check-in date and the values entered on that date.
class CheckinListItem : public QTreeWidgetItem
{
public:
    // The kinds of list column.
    enum ColumnId { Date = 0, Weight, Chest, Waist, Hip, Thigh, Steps, Note, ColumnCount };
    // The list column that shows each kind, or -1 when the kind has no column.
    using ColumnMap = std::array<int, ColumnCount>;

    // Fills the row from the set read for its date and adds it to the list.
    CheckinListItem(QTreeWidget* list, const QDate& date, const UserMeasurements& set,
                    bool stripe, const ColumnMap* columns);

    // Sets the text of the kind's column; a kind without a column is dropped.
    void setText(ColumnId kind, const QString& text);
    QDate getDate() const { return _date; }
    // Shows the values recorded on the row's own date, never ones carried forward.
    void set(const UserMeasurements& set);

    bool stripe() const { return _stripe; }
    void setStripe(bool stripe);

    // Rows order by date alone, whatever the column.
    bool operator<(const QTreeWidgetItem& other) const override;

private:
    QDate _date;
    const ColumnMap* _columns;
    bool _stripe = false;
};
