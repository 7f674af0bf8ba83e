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

// Asks what to export as CSV (the selected day, a range or the whole diary) and where:
// one file, a file per day in a folder, or both.
class CSVOptions : public QDialog
{
    Q_OBJECT

public:
    // A new dialog over the parent, run modally by its caller.
    static CSVOptions* construct(QWidget* parent);

    // False for the whole diary (the dates are left alone); else the range, and true.
    virtual bool getDateRangeUnlessAll(QDate& start, QDate& end) const;
    // Always false: the dialog offers no such choice.
    virtual bool omitEmpty() const;
    // The one file's path while its box is ticked, else a null text.
    virtual QString getOneFile() const;
    // The per-day folder while its box is ticked, else a null text.
    virtual QString getManyDir() const;

    QLabel* CSVOptionsInfo;
    QGroupBox* buttonGroup1;
    QRadioButton* printDayRadioButton;
    QRadioButton* printRangeRadioButton;
    QPopupCalendarWidget* startDateEdit;
    QLabel* textLabel2;
    QPopupCalendarWidget* endDateEdit;
    QRadioButton* printAllRadioButton;
    QCheckBox* dayFilesCheckBox;
    QLabel* directoryLabel;
    QPushButton* directoryButton;
    QCheckBox* massFileCheckBox;
    QLabel* fileLabel;
    QPushButton* fileButton;
    QPushButton* helpButton;
    QPushButton* printButton;
    QPushButton* cancelButton;

public slots:
    virtual void setDate(const QDate& day);
    virtual void showHelp();
    virtual void updateUi();
    virtual void uiGetOneFile();
    virtual void uiGetManyDir();
    virtual void oneFileChecked();
    virtual void manyFilesChecked();

protected:
    explicit CSVOptions(QWidget* parent);
    virtual void languageChange();
    virtual void init();
    // The file and folder choosers; a null text when cancelled.
    virtual QString askOneFile();
    virtual QString askManyDir();

private:
    QDate _day;
    QString _dayFormat;
    QString _oneFile;
    QString _manyDir;
};
