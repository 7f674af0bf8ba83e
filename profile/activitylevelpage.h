#pragma once

#include <QWidget>

class ProfileErrorWidget;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QRadioButton;
class QVBoxLayout;

// The wizard's page for the daily activity level and the diary's snack display. The button
// ids are the activity and snack-display codes.
class ActivityLevelPage : public QWidget
{
    Q_OBJECT

public:
    explicit ActivityLevelPage(QWidget* parent);

    QLabel* textLabel1;
    QGroupBox* _activityBox;
    QButtonGroup* _activityButtonGroup;
    QRadioButton* _noneButton;
    QRadioButton* _sittingButton;
    QRadioButton* _standingButton;
    QRadioButton* _liftingButton;
    QLabel* textLabel2;
    QGroupBox* _snackBox;
    QButtonGroup* _snackButtonGroup;
    QRadioButton* _snackSingle;
    QRadioButton* _snackAfter;
    QRadioButton* _snackMultiple;

signals:
    void stateChanged();

public slots:
    virtual void updateErrors();
    virtual void languageChange();

private:
    void _buildForm();
    QGroupBox* _buildActivityBox();
    QGroupBox* _buildSnackBox();
    void init();

    QVBoxLayout* _pageLayout;
    QList<QLabel*> _descriptions;
    ProfileErrorWidget* _errorWidget;
};
