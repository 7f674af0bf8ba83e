#pragma once

#include "core/dbtypes.h"

#include <QWidget>

#include <map>

class DietPlan;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class SetTargetsDialog;
class WorkingTargets;

// The wizard's page of daily targets: a diet plan's targets for the entered profile and
// goal, or the user's own ("Custom..."), set in the set-targets dialog. The plan buttons and
// the dialog change the working records its controller hands it; without them they do nothing.
class TargetsPage : public QWidget
{
    Q_OBJECT

public:
    explicit TargetsPage(QWidget* parent);

    void setWorkingTargets(WorkingTargets* working);
    // The plan of a plan button's id; null for "Custom..." and unknown ids.
    DietPlan* planOfButton(int id) const;
    // The id of the button that stands for the plan id; -1 when none does.
    int buttonOfPlan(const QString& planId) const;

    QLabel* textLabel3;
    QGroupBox* _dietPlanBox;
    QButtonGroup* _dietPlanButtonGroup;
    QRadioButton* _customPlanRadio;
    QGroupBox* groupBox12;
    QLabel* _fiberLabel;
    QPushButton* _customiseButton;

signals:
    void stateChanged();

public slots:
    virtual void doCustomise();
    virtual void selectPlan(int id);
    virtual void setTargets(const DBTypes::CheckinItem* checkin, const DBTypes::UserPrefs* prefs);
    virtual void languageChange();

protected:
    // Runs the dialog; true when the user accepted it. Tests answer it instead.
    virtual bool execTargetsDialog(SetTargetsDialog& dialog);

private:
    void _buildForm();
    void _buildNutrientBox();
    void init();

    QList<QLabel*> _nameLabels;
    QLabel* _valueLabels[DBTypes::NUTRIENT_COUNT];
    std::map<int, DietPlan*> _plans;
    WorkingTargets* _working = nullptr;
};
