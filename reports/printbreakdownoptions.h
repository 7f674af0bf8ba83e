#pragma once

#include <QDate>
#include <QDialog>

class QComboBox;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPopupCalendarWidget;
class QPushButton;
class QRadioButton;

// Asks what to print of the energy breakdown: the selected day or a range, the number of
// days per page and whether to leave out empty days. The caller reads the widgets.
class PrintBreakDownOptions : public QDialog
{
    Q_OBJECT

public:
    // A new dialog over the parent, run modally by its caller.
    static PrintBreakDownOptions* construct(QWidget* parent);

    virtual QDate startDate() const;
    virtual QDate endDate() const;

    QLabel* PrintOptionsInfo;
    QGroupBox* buttonGroup1;
    QRadioButton* printDayRadioButton;
    QRadioButton* printRangeRadioButton;
    QPopupCalendarWidget* startDateButton;
    QLabel* textLabel2_2;
    QPopupCalendarWidget* endDateButton;
    QLabel* textLabel1;
    QComboBox* daysPerPage;
    QCheckBox* omitEmptyCheckbox;
    QPushButton* printButton;
    QPushButton* cancelButton;

public slots:
    // Names the day on the day button and offers the week up to it as the range.
    virtual void setDate(const QDate& day);
    // Keeps the end of the range on or after its start.
    virtual void setMaxMin();

protected:
    explicit PrintBreakDownOptions(QWidget* parent);
    virtual void init();
    virtual void languageChange();
};
