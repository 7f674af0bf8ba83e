#pragma once

#include "reports/daterangeoptions.h"

#include <QDate>

class QCheckBox;
class QLabel;

// Asks what to print: the selected day or a range of dates, and for diaries whether to
// print only the daily summary and whether to leave out empty days.
class PrintOptions : public DateRangeOptions
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
    QCheckBox* summaryOnlyCheckbox;
    QCheckBox* omitEmptyCheckbox;

public slots:
    void showHelp() override;

protected:
    explicit PrintOptions(QWidget* parent);
    virtual void languageChange();
    virtual void init();
};
