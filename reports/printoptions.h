#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPopupCalendarWidget;
class QPushButton;
class QRadioButton;

// Asks what to print: the selected day or a range of dates, and for diaries whether to
// print only the daily summary and whether to leave out empty days.
class PrintOptions : public QDialog
{
    Q_OBJECT

public:
    // A new dialog over the parent, run modally by its caller.
    static PrintOptions* construct(QWidget* parent);

    virtual void displayExtendedOptions(bool showSummaryOnly, bool showOmitEmpty);
    // The range when the range button is on (true); else the kept day twice (false).
    virtual bool getDateRange(QDate& first, QDate& last) const;
    virtual bool summaryOnly() const;
    virtual bool omitEmpty() const;

    QLabel* PrintOptionsInfo;
    QGroupBox* buttonGroup1;
    QRadioButton* printDayRadioButton;
    QRadioButton* printRangeRadioButton;
    QPopupCalendarWidget* startDateEdit;
    QLabel* textLabel2;
    QPopupCalendarWidget* endDateEdit;
    QCheckBox* summaryOnlyCheckbox;
    QCheckBox* omitEmptyCheckbox;
    QPushButton* helpButton;
    QPushButton* printButton;
    QPushButton* cancelButton;

public slots:
    // Keeps the day, names it on the day button and offers the week up to it as the range.
    virtual void setDate(const QDate& day);
    virtual void showHelp();

protected:
    explicit PrintOptions(QWidget* parent);
    virtual void languageChange();
    virtual void init();

private:
    QDate _day;
    QString _dayTemplate;
};
