#pragma once

#include <QWidget>

class DateLineEdit;
class ProfileErrorWidget;
class QButtonGroup;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPopupCalendar;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

// The wizard's page for the user's name, date of birth and sex. It lists what is missing
// and signals stateChanged() whenever that may have changed.
class PersonalDetailsPage : public QWidget
{
    Q_OBJECT

public:
    explicit PersonalDetailsPage(QWidget* parent);

    // A valid date of birth of someone old enough to use the program.
    bool birthDateAccepted() const;

    QLabel* textLabel2;
    QGroupBox* _detailsBox;
    QLineEdit* _nameField;
    QLabel* textLabel3;
    QLabel* textLabel3_2;
    QLabel* textLabel4;
    QGroupBox* _sexButtonBox;
    QButtonGroup* _sexButtonGroup;
    QRadioButton* _maleRadioButton;
    QRadioButton* _femaleRadioButton;
    QPushButton* _calendarButton;
    DateLineEdit* _dobField;
    ProfileErrorWidget* _errorWidget;
    QPopupCalendar* _calendar;
    int _minYear;
    int _maxYear;

signals:
    void stateChanged();

public slots:
    void updateErrors();
    void updateDOBFromField();
    void updateDOBFromCalendar(const QDate& date);
    void languageChange();

private:
    void _buildForm();
    QGridLayout* _buildGrid();
    void init();

    QVBoxLayout* _pageLayout;
    QHBoxLayout* _dateEditLayout;
};
