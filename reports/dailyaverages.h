#pragma once

#include <QDate>
#include <QTextEdit>

// A small table of daily averages over a range: energy eaten, burned and net, fat,
// carbohydrate and protein. Days without entries count as days of nothing.
class DailyAverages : public QTextEdit
{
    Q_OBJECT

public:
    explicit DailyAverages(QWidget* parent = nullptr);

    void setDateRange(const QDate& first, const QDate& last);
};
