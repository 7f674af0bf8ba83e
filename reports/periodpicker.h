#pragma once

#include <QGroupBox>

class QButtonGroup;

// The "Period" box of the chart viewers: a week, two weeks, a month, a quarter or a year.
class PeriodPicker : public QGroupBox
{
    Q_OBJECT

public:
    enum Period { Week = 1, TwoWeeks = 2, Month = 3, Quarter = 4, Year = 5 };

    explicit PeriodPicker(QWidget* parent = nullptr);

    // The days of a period id; any other id counts as a week.
    static int getPeriod(int id);
    // The days and the id of the checked period.
    int getPeriod() const;
    int getPeriodId() const;
    // Checks the period's button; an id without a button changes nothing.
    void setPeriod(int id);
    void disablePeriod(Period period);
    QButtonGroup* buttons() const { return _buttons; }

signals:
    // Carries the days of the period clicked.
    void periodChanged(int days);

private slots:
    void handleClicked(int id);

private:
    QButtonGroup* _buttons;
};
