#pragma once

#include <QWidget>

class ProfileErrorWidget;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QRadioButton;
class QVBoxLayout;

// The wizard's page for the weight goal; the button ids are the goal codes. The goal
// recommended for the user's body-mass index is marked in its button's text.
class GoalPage : public QWidget
{
    Q_OBJECT

public:
    explicit GoalPage(QWidget* parent);

    QLabel* textLabel2;
    QGroupBox* _goalBox;
    QButtonGroup* _goalButtonGroup;
    QLabel* textLabel1;
    QRadioButton* _loseButton;
    QRadioButton* _maintainButton;
    QRadioButton* _gainButton;

signals:
    void stateChanged();

public slots:
    void updateErrors();
    virtual void languageChange();

private:
    void _buildForm();
    void init();

    QVBoxLayout* _pageLayout;
    ProfileErrorWidget* _errorWidget;
};
