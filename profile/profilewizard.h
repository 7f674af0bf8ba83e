#pragma once

#include "core/dbtypes.h"

#include <QDialog>

#include <memory>

class QButtonGroup;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class UnitDescriptor;

// The modal profile wizard: a user's name, date of birth, sex, height and weight. It works
// on copies of a profile, a check-in and preferences; set() loads them and get() hands the
// entered records out, the check-in dated today. Height and weight are shown and typed in
// the units of the preferences.
class ProfileWizard : public QDialog
{
    Q_OBJECT

public:
    explicit ProfileWizard(QWidget* parent);
    ~ProfileWizard() override;

    void set(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
             const DBTypes::UserPrefs* prefs);
    void get(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
             DBTypes::UserPrefs* prefs);

    // Whether every field holds a usable value; Finish is enabled only then.
    bool isComplete() const;

    QLineEdit* nameField() const { return _nameField; }
    QDateEdit* birthDateField() const { return _birthDateField; }
    QRadioButton* maleRadioButton() const { return _maleRadioButton; }
    QRadioButton* femaleRadioButton() const { return _femaleRadioButton; }
    QLineEdit* heightField() const { return _heightField; }
    QLineEdit* weightField() const { return _weightField; }
    QPushButton* finishButton() const { return _finishButton; }

public slots:
    void accept() override;

private slots:
    void updateErrors();

private:
    void _build();
    void _applyUnits();
    void _save();
    // A field's value in its internal unit: the loaded value while the field shows it
    // unchanged, -1 for an empty field.
    static double _value(const QLineEdit* field, const UnitDescriptor& unit,
                         const QString& loadedText, double loadedValue);
    double _height() const;
    double _weight() const;

    QLineEdit* _nameField;
    QDateEdit* _birthDateField;
    QButtonGroup* _sexButtonGroup;
    QRadioButton* _maleRadioButton;
    QRadioButton* _femaleRadioButton;
    QLabel* _heightLabel;
    QLineEdit* _heightField;
    QLabel* _weightLabel;
    QLineEdit* _weightField;
    QLabel* _errorLabel;
    QPushButton* _finishButton;
    QPushButton* _cancelButton;

    std::unique_ptr<UnitDescriptor> _heightUnit;
    std::unique_ptr<UnitDescriptor> _weightUnit;
    QString _loadedHeightText;
    QString _loadedWeightText;

    DBTypes::UserProfile _profile;
    DBTypes::CheckinItem _checkin;
    DBTypes::UserPrefs _prefs;
};
