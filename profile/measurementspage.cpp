#include "profile/measurementspage.h"

#include "core/numberparser.h"
#include "core/numbervalidator.h"
#include "core/plausiblerange.h"
#include "core/unitmeasurement.h"
#include "core/unitweight.h"
#include "profile/profileerrorwidget.h"
#include "widgets/numberfieldcheck.h"
#include "widgets/signalblocker.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <cmath>

namespace {

QLineEdit* numberField(QWidget* parent, const char* name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    return field;
}

} // namespace

MeasurementsPage::MeasurementsPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("MeasurementsPage"));
    _buildForm();
    languageChange();
    init();
}

void MeasurementsPage::_buildForm()
{
    _pageLayout = new QVBoxLayout(this);
    textLabel1 = new QLabel(this);
    textLabel1->setObjectName(QStringLiteral("textLabel1"));
    textLabel1->setWordWrap(true);
    textLabel1->setIndent(20);
    _pageLayout->addWidget(textLabel1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(_buildMetricBox());
    row->addWidget(_buildImperialBox());
    row->addStretch(1);
    _pageLayout->addLayout(row);
    _pageLayout->addStretch(1);
}

QGroupBox* MeasurementsPage::_buildMetricBox()
{
    _metricBox = new QGroupBox(this);
    _metricWeightField = numberField(_metricBox, "_metricWeightField");
    _metricHeightField = numberField(_metricBox, "_metricHeightField");
    auto* grid = new QGridLayout(_metricBox);
    _fieldLabels = {new QLabel(_metricBox), new QLabel(_metricBox)};
    grid->addWidget(_fieldLabels[0], 0, 0);
    grid->addWidget(_metricWeightField, 0, 1);
    grid->addWidget(new QLabel(tr("kg"), _metricBox), 0, 2);
    grid->addWidget(_fieldLabels[1], 1, 0);
    grid->addWidget(_metricHeightField, 1, 1);
    grid->addWidget(new QLabel(tr("cm"), _metricBox), 1, 2);
    return _metricBox;
}

QGroupBox* MeasurementsPage::_buildImperialBox()
{
    _imperialBox = new QGroupBox(this);
    _imperialWeigthField = numberField(_imperialBox, "_imperialWeigthField");
    _imperialHeightFeetField = numberField(_imperialBox, "_imperialHeightFeetField");
    _imperialHeightInchesField = numberField(_imperialBox, "_imperialHeightInchesField");
    auto* grid = new QGridLayout(_imperialBox);
    _fieldLabels += {new QLabel(_imperialBox), new QLabel(_imperialBox)};
    grid->addWidget(_fieldLabels[2], 0, 0);
    grid->addWidget(_imperialWeigthField, 0, 1, 1, 3);
    grid->addWidget(new QLabel(tr("lbs"), _imperialBox), 0, 4);
    grid->addWidget(_fieldLabels[3], 1, 0);
    grid->addWidget(_imperialHeightFeetField, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("'"), _imperialBox), 1, 2);
    grid->addWidget(_imperialHeightInchesField, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("\""), _imperialBox), 1, 4);
    return _imperialBox;
}

void MeasurementsPage::init()
{
    _errorWidget = new ProfileErrorWidget(this);
    _pageLayout->addWidget(_errorWidget);
    _setValidators();
    updateErrors();
    const auto follow = [this](QLineEdit* field, void (MeasurementsPage::*update)()) {
        connect(field, &QLineEdit::textChanged, this, [this, update] {
            (this->*update)();
            updateErrors();
        });
    };
    follow(_metricWeightField, &MeasurementsPage::_weightFromMetric);
    follow(_imperialWeigthField, &MeasurementsPage::_weightFromImperial);
    follow(_metricHeightField, &MeasurementsPage::_heightFromMetric);
    follow(_imperialHeightFeetField, &MeasurementsPage::_heightFromImperial);
    follow(_imperialHeightInchesField, &MeasurementsPage::_heightFromImperial);
}

void MeasurementsPage::_setValidators()
{
    const PlausibleRange weight = PlausibleRange::of(PlausibleRange::Weight);
    const PlausibleRange height = PlausibleRange::of(PlausibleRange::Height);
    _metricWeightField->setValidator(UnitWeight(UnitWeight::Kilograms)
                                         .createFieldValidator(tr("Weight"), weight, this));
    _metricHeightField->setValidator(UnitMeasurement(UnitMeasurement::Centimetres)
                                         .createFieldValidator(tr("Height"), height, this));
    // The imperial fields may stay blank while the metric ones are typed.
    NumberValidator* pounds =
        UnitWeight(UnitWeight::Pounds).createFieldValidator(tr("Weight"), weight, this);
    pounds->setBlankAllowed(true);
    _imperialWeigthField->setValidator(pounds);
    // Feet and inches each take a whole number; the height they make is checked in
    // centimetres.
    double feet = 0.0;
    double inches = 0.0;
    UnitMeasurement::metricToImperial(height.top(), feet, inches);
    auto* feetValidator = new NumberValidator(0.0, feet, 0, this);
    feetValidator->setField(tr("Height in feet"), QString());
    feetValidator->setBlankAllowed(true);
    _imperialHeightFeetField->setValidator(feetValidator);
    auto* inchesValidator = new NumberValidator(0.0, 11.0, 0, this);
    inchesValidator->setField(tr("Height in inches"), QString());
    inchesValidator->setBlankAllowed(true);
    _imperialHeightInchesField->setValidator(inchesValidator);
}

double MeasurementsPage::metricWeight() const
{
    if (_weightTypedInPounds)
        return NumberFieldCheck::value(_imperialWeigthField)
            ? UnitWeight(UnitWeight::Pounds).input(_imperialWeigthField->text())
            : 0.0;
    return NumberFieldCheck::value(_metricWeightField).value_or(0.0);
}

int MeasurementsPage::metricHeight() const
{
    return int(std::trunc(NumberFieldCheck::value(_metricHeightField).value_or(0.0)));
}

bool MeasurementsPage::validWeight() const
{
    return NumberFieldCheck::value(_metricWeightField).has_value();
}

bool MeasurementsPage::validHeight() const
{
    return NumberFieldCheck::value(_metricHeightField).has_value();
}

QString MeasurementsPage::_firstRefusal(std::initializer_list<const QLineEdit*> fields)
{
    for (const QLineEdit* field : fields) {
        const QString refusal = NumberFieldCheck::validatorOf(field)->refusal(field->text());
        if (!refusal.isEmpty())
            return refusal;
    }
    return QString();
}

void MeasurementsPage::_heightFromMetric()
{
    SignalBlocker blockFeet(_imperialHeightFeetField);
    SignalBlocker blockInches(_imperialHeightInchesField);
    if (!validHeight()) {
        _imperialHeightFeetField->clear();
        _imperialHeightInchesField->clear();
        return;
    }
    double feet = 0.0;
    double inches = 0.0;
    UnitMeasurement::metricToImperial(metricHeight(), feet, inches);
    _imperialHeightFeetField->setText(NumberParser::writeShort(feet));
    _imperialHeightInchesField->setText(NumberParser::writeShort(inches));
}

void MeasurementsPage::_weightFromMetric()
{
    _weightTypedInPounds = false;
    SignalBlocker blockWeight(_imperialWeigthField);
    if (!validWeight())
        _imperialWeigthField->clear();
    else
        _imperialWeigthField->setText(
            NumberParser::write(UnitWeight::metricToImperial(metricWeight()), 1));
}

void MeasurementsPage::_heightFromImperial()
{
    SignalBlocker blockHeight(_metricHeightField);
    const std::optional<double> feet = NumberFieldCheck::value(_imperialHeightFeetField);
    const std::optional<double> inches = NumberFieldCheck::value(_imperialHeightInchesField);
    if (!feet || !inches) {
        _metricHeightField->clear();
        return;
    }
    double centimetres = 0.0;
    UnitMeasurement::imperialToMetric(*feet, *inches, centimetres);
    _metricHeightField->setText(NumberParser::writeShort(centimetres));
}

void MeasurementsPage::_weightFromImperial()
{
    _weightTypedInPounds = true;
    SignalBlocker blockWeight(_metricWeightField);
    if (!NumberFieldCheck::value(_imperialWeigthField))
        _metricWeightField->clear();
    else
        _metricWeightField->setText(NumberParser::write(metricWeight(), 1));
}

void MeasurementsPage::updateErrors()
{
    _errorWidget->clearErrors();
    // A refused imperial field is named before the metric one it left blank.
    if (!validWeight())
        _errorWidget->addError(_firstRefusal({_imperialWeigthField, _metricWeightField}));
    if (!validHeight())
        _errorWidget->addError(_firstRefusal(
            {_imperialHeightFeetField, _imperialHeightInchesField, _metricHeightField}));
    emit stateChanged();
}

void MeasurementsPage::languageChange()
{
    setWindowTitle(tr("Measurements"));
    textLabel1->setText(tr(
        "Please enter your height and weight. These two figures are used to help calculate "
        "your ideal weight and your recommended daily calorie intake.\n\nPlease note, you can "
        "enter your weight in either kilograms or pounds. Your height can be given in either "
        "centimetres or feet and inches."));
    _metricBox->setTitle(tr("Metric"));
    _imperialBox->setTitle(tr("Imperial"));
    for (int i = 0; i < _fieldLabels.size(); ++i)
        _fieldLabels[i]->setText(i % 2 == 0 ? tr("Weight:") : tr("Height:"));
}
