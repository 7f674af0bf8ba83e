#pragma once

#include <QWidget>

class BMIWidget;
class ProfileErrorWidget;
class QLabel;
class QLineEdit;
class QVBoxLayout;
class UnitDescriptor;

// The wizard's page that shows the body-mass index of the entered measurements and takes an
// optional resting metabolic rate in the energy unit of the profile's user. Only a rate
// outside the plausible range keeps the wizard from going on.
class YourProfilePage : public QWidget
{
    Q_OBJECT

public:
    explicit YourProfilePage(QWidget* parent);

    QLabel* textLabel1;
    BMIWidget* _bmiWidget;
    QLabel* textLabel2;
    QLabel* textLabel3;
    QLineEdit* _RMRLineEdit;
    QLabel* _RMRUnitLabel;
    QLabel* textLabel4;

signals:
    void stateChanged();

public slots:
    virtual void languageChange();
    // Names a refused rate under the field.
    void updateErrors();
    // The unit the rate is typed in: names it beside the field and fits the field's range.
    void setEnergyUnit(const UnitDescriptor& unit);

private:
    void _buildForm();
    void init();

    QVBoxLayout* _pageLayout;
    ProfileErrorWidget* _errorWidget;
};
