#include "profile/profilewizard.h"
#include "core/clock.h"

#include "core/unitmeasurement.h"
#include "core/unitweight.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstring>

namespace {

void writeDateCode(const QDate& date, char* code)
{
    const QByteArray text = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
    std::memset(code, 0, DBTypes::DATE_CODE_SIZE);
    std::memcpy(code, text.constData(), std::min<qsizetype>(text.size(), 8));
}

QString unitLabel(const QString& caption, const UnitDescriptor& unit)
{
    return QStringLiteral("%1 (%2):").arg(caption, unit.printUnits().trimmed());
}

} // namespace

ProfileWizard::ProfileWizard(QWidget* parent)
    : QDialog(parent)
{
    setModal(true);
    setWindowTitle(tr("Personal Profile"));
    _build();
    _applyUnits();
}

ProfileWizard::~ProfileWizard() = default;

void ProfileWizard::_build()
{
    _nameField = new QLineEdit(this);
    _nameField->setObjectName(QStringLiteral("_nameField"));
    _birthDateField = new QDateEdit(this);
    _birthDateField->setObjectName(QStringLiteral("_birthDateField"));
    _birthDateField->setDateRange(QDate(1900, 1, 1), Clock::today());
    _birthDateField->setDate(QDate(1970, 1, 1));
    _birthDateField->setCalendarPopup(true);
    _maleRadioButton = new QRadioButton(tr("Male"), this);
    _maleRadioButton->setObjectName(QStringLiteral("_maleRadioButton"));
    _femaleRadioButton = new QRadioButton(tr("Female"), this);
    _femaleRadioButton->setObjectName(QStringLiteral("_femaleRadioButton"));
    _sexButtonGroup = new QButtonGroup(this);
    _sexButtonGroup->addButton(_maleRadioButton, 0);
    _sexButtonGroup->addButton(_femaleRadioButton, 1);
    _heightLabel = new QLabel(this);
    _heightField = new QLineEdit(this);
    _heightField->setObjectName(QStringLiteral("_heightField"));
    _weightLabel = new QLabel(this);
    _weightField = new QLineEdit(this);
    _weightField->setObjectName(QStringLiteral("_weightField"));
    _errorLabel = new QLabel(this);
    _errorLabel->setObjectName(QStringLiteral("_errorLabel"));
    _errorLabel->setStyleSheet(QStringLiteral("color: red"));
    _finishButton = new QPushButton(tr("Finish"), this);
    _finishButton->setObjectName(QStringLiteral("_finishButton"));
    _finishButton->setDefault(true);
    _cancelButton = new QPushButton(tr("Cancel"), this);
    _cancelButton->setObjectName(QStringLiteral("_cancelButton"));

    auto* sexRow = new QHBoxLayout;
    sexRow->addWidget(_maleRadioButton);
    sexRow->addWidget(_femaleRadioButton);
    sexRow->addStretch(1);
    auto* form = new QFormLayout;
    form->addRow(tr("Name:"), _nameField);
    form->addRow(tr("Date of birth:"), _birthDateField);
    form->addRow(tr("Sex:"), sexRow);
    form->addRow(_heightLabel, _heightField);
    form->addRow(_weightLabel, _weightField);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(_cancelButton);
    buttons->addWidget(_finishButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(_errorLabel);
    layout->addLayout(buttons);

    connect(_finishButton, &QPushButton::clicked, this, &ProfileWizard::accept);
    connect(_cancelButton, &QPushButton::clicked, this, &ProfileWizard::reject);
    connect(_nameField, &QLineEdit::textChanged, this, &ProfileWizard::updateErrors);
    connect(_heightField, &QLineEdit::textChanged, this, &ProfileWizard::updateErrors);
    connect(_weightField, &QLineEdit::textChanged, this, &ProfileWizard::updateErrors);
    connect(_sexButtonGroup, &QButtonGroup::idToggled, this, &ProfileWizard::updateErrors);
}

void ProfileWizard::_applyUnits()
{
    const bool imperial = _prefs.measurementUnits == 1;
    _heightUnit = std::make_unique<UnitMeasurement>(imperial ? UnitMeasurement::Inches
                                                             : UnitMeasurement::Centimetres);
    _weightUnit = std::make_unique<UnitWeight>(imperial ? UnitWeight::Pounds
                                                        : UnitWeight::Kilograms);
    _heightLabel->setText(unitLabel(tr("Height"), *_heightUnit));
    _weightLabel->setText(unitLabel(tr("Weight"), *_weightUnit));
    delete _heightField->validator();
    _heightField->setValidator(_heightUnit->createValidator(_heightField));
    delete _weightField->validator();
    _weightField->setValidator(_weightUnit->createValidator(_weightField));
    _heightField->setText(_profile.height > 0.0f ? _heightUnit->printNumber(_profile.height)
                                                 : QString());
    const bool hasWeight = _checkin.hasWeight && _checkin.weight > 0.0f;
    _weightField->setText(hasWeight ? _weightUnit->printNumber(_checkin.weight) : QString());
    _loadedHeightText = _heightField->text();
    _loadedWeightText = _weightField->text();
    updateErrors();
}

void ProfileWizard::set(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
                        const DBTypes::UserPrefs* prefs)
{
    if (profile) {
        _profile = *profile;
        _nameField->setText(profile->name);
        if (profile->dob[0] != '\0')
            _birthDateField->setDate(QDate::fromString(
                QString::fromLatin1(profile->dob, 8), QStringLiteral("yyyyMMdd")));
        if (profile->sex == 0)
            _maleRadioButton->setChecked(true);
        else if (profile->sex == 1)
            _femaleRadioButton->setChecked(true);
    }
    if (checkin)
        _checkin = *checkin;
    if (prefs)
        _prefs = *prefs;
    _applyUnits();
}

void ProfileWizard::_save()
{
    _profile.name = _nameField->text();
    writeDateCode(_birthDateField->date(), _profile.dob);
    _profile.sex = _sexButtonGroup->checkedId();
    _profile.height = float(_height());
    const double weight = _weight();
    _checkin.weight = float(weight);
    _checkin.hasWeight = weight > 0.0;
}

void ProfileWizard::get(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
                        DBTypes::UserPrefs* prefs)
{
    _save();
    writeDateCode(Clock::today(), _checkin.date);
    writeDateCode(Clock::today(), _profile.created);
    if (profile)
        *profile = _profile;
    if (checkin)
        *checkin = _checkin;
    if (prefs)
        *prefs = _prefs;
}

double ProfileWizard::_value(const QLineEdit* field, const UnitDescriptor& unit,
                             const QString& loadedText, double loadedValue)
{
    if (field->text().trimmed().isEmpty())
        return -1.0;
    return field->text() == loadedText ? loadedValue : unit.input(field->text());
}

double ProfileWizard::_height() const
{
    return _value(_heightField, *_heightUnit, _loadedHeightText, _profile.height);
}

double ProfileWizard::_weight() const
{
    return _value(_weightField, *_weightUnit, _loadedWeightText, _checkin.weight);
}

bool ProfileWizard::isComplete() const
{
    return _errorLabel->text().isEmpty();
}

void ProfileWizard::updateErrors()
{
    QStringList errors;
    if (_nameField->text().trimmed().isEmpty())
        errors << tr("Please enter your name.");
    if (_sexButtonGroup->checkedId() < 0)
        errors << tr("Please choose male or female.");
    if (_height() <= 0.5)
        errors << tr("Please enter your height.");
    if (_weight() <= 0.0)
        errors << tr("Please enter your weight.");
    _errorLabel->setText(errors.join(QLatin1Char('\n')));
    _finishButton->setEnabled(errors.isEmpty());
}

void ProfileWizard::accept()
{
    if (!isComplete()) {
        QApplication::beep();
        return;
    }
    QDialog::accept();
}
