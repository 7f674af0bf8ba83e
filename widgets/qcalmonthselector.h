#pragma once

#include <QMenu>

// The list of the twelve months that a calendar's month button pops up; each month's
// action carries its number (1 to 12) as data.
class QCalMonthSelector : public QMenu
{
    Q_OBJECT

public:
    explicit QCalMonthSelector(QWidget* parent);
};
