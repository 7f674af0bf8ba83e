#pragma once

#include "reports/daterangeoptions.h"

#include <QDate>

class QCheckBox;
class QLabel;

// Print dialog: one day or a span of days; diary printouts can also be cut down to the
// summary and skip days with nothing logged.
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

private:
    void _showInfo();
};
