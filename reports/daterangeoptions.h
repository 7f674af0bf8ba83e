#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

class QGroupBox;
class QLabel;
class QPopupCalendarWidget;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

// The frame of the print and export options dialogs: an explanation on top, the Range group
// (the selected day or a range of dates), the dialog's own choices, and a row of Help, the
// action button and Cancel. Run modally by its caller.
class DateRangeOptions : public QDialog
{
    Q_OBJECT

public:
    QGroupBox* buttonGroup1;
    QRadioButton* printDayRadioButton;
    QRadioButton* printRangeRadioButton;
    QPopupCalendarWidget* startDateEdit;
    QLabel* textLabel2;
    QPopupCalendarWidget* endDateEdit;
    QPushButton* helpButton = nullptr;
    QPushButton* printButton = nullptr;
    QPushButton* cancelButton = nullptr;

public slots:
    // Keeps the day, names it on the day button and offers the week up to it as the range.
    virtual void setDate(const QDate& day);
    virtual void showHelp() = 0;

protected:
    // Makes the explanation label (named infoName) and the Range group; the subclass adds
    // its own choices below them and then calls addButtons().
    DateRangeOptions(QWidget* parent, Qt::WindowFlags flags, const char* name,
                     const char* infoName);
    // The explanation label made by the constructor.
    QLabel* info() const;
    // The dialog's column, for the choices between the Range group and the buttons.
    QVBoxLayout* column() const;
    // The Range group's column, for choices of more days.
    QVBoxLayout* rangeColumn() const;
    // Makes the button row; Tab goes from the last choice to Help, the action button, Cancel.
    void addButtons(QWidget* lastChoice);
    // Keeps the day button's text, with "%s" where setDate() names the day.
    void keepDayTemplate();
    // The range when the range button is on (true); else the kept day twice (false).
    bool chosenRange(QDate& first, QDate& last) const;

private:
    QLabel* _info;
    QVBoxLayout* _column;
    QVBoxLayout* _rangeColumn;
    QDate _day;
    QString _dayTemplate;
};
