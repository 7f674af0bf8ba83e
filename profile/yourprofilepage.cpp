#include "profile/yourprofilepage.h"
#include "core/brandengine.h"

#include "core/numbervalidator.h"
#include "core/plausiblerange.h"
#include "core/unitenergy.h"
#include "profile/bmiwidget.h"
#include "profile/profileerrorwidget.h"
#include "widgets/numberfieldcheck.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QLabel* pageLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setIndent(20);
    return label;
}

} // namespace

YourProfilePage::YourProfilePage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("YourProfilePage"));
    _buildForm();
    languageChange();
    init();
}

void YourProfilePage::_buildForm()
{
    _pageLayout = new QVBoxLayout(this);
    textLabel1 = pageLabel(this, "textLabel1");
    textLabel2 = pageLabel(this, "textLabel2");
    textLabel3 = pageLabel(this, "textLabel3");
    textLabel4 = pageLabel(this, "textLabel4");
    // The paragraphs wrap at the page's width; the RMR question stays beside its field.
    for (QLabel* paragraph : {textLabel1, textLabel2, textLabel4})
        paragraph->setWordWrap(true);
    _RMRLineEdit = new QLineEdit(this);
    _RMRLineEdit->setObjectName(QStringLiteral("_RMRLineEdit"));
    _pageLayout->addWidget(textLabel1);
    _pageLayout->addWidget(textLabel2);
    auto* rmrRow = new QHBoxLayout;
    rmrRow->addWidget(textLabel3);
    rmrRow->addWidget(_RMRLineEdit);
    _RMRUnitLabel = new QLabel(this);
    _RMRUnitLabel->setObjectName(QStringLiteral("_RMRUnitLabel"));
    rmrRow->addWidget(_RMRUnitLabel);
    rmrRow->addStretch(1);
    _pageLayout->addLayout(rmrRow);
    _pageLayout->addWidget(textLabel4);
    _pageLayout->addStretch(1);
}

void YourProfilePage::init()
{
    _bmiWidget = new BMIWidget(this);
    _bmiWidget->set(26, 80.0f, 183.0f);
    auto* scaleRow = new QHBoxLayout;
    scaleRow->addStretch(1);
    scaleRow->addWidget(_bmiWidget);
    scaleRow->addStretch(1);
    _pageLayout->insertLayout(1, scaleRow);
    // Until a profile is loaded, kilocalories: the unit the rate is stored in.
    setEnergyUnit(UnitEnergy(UnitEnergy::Kilocalories));
    _errorWidget = new ProfileErrorWidget(this);
    _pageLayout->addWidget(_errorWidget);
    connect(_RMRLineEdit, &QLineEdit::textChanged, this, &YourProfilePage::updateErrors);
}

void YourProfilePage::updateErrors()
{
    _errorWidget->clearErrors();
    const QString refusal =
        NumberFieldCheck::validatorOf(_RMRLineEdit)->refusal(_RMRLineEdit->text());
    if (!refusal.isEmpty())
        _errorWidget->addError(refusal);
    emit stateChanged();
}

void YourProfilePage::setEnergyUnit(const UnitDescriptor& unit)
{
    const QValidator* old = _RMRLineEdit->validator();
    NumberValidator* validator = unit.createFieldValidator(
        tr("RMR"), PlausibleRange::of(PlausibleRange::RestingEnergy), this);
    validator->setBlankAllowed(true);
    _RMRLineEdit->setValidator(validator);
    delete old;
    _RMRUnitLabel->setText(unit.printUnits());
}

void YourProfilePage::languageChange()
{
    setWindowTitle(tr("Your Profile"));
    textLabel1->setText(tr(
        "Based on the information you have entered, we have calculated your Body Mass Index "
        "(BMI). This is a measure of how healthy you are at your current weight."));
    textLabel2->setText(tr(
        "A BMI between 19 and 26 is considered healthy by medical professionals. If your BMI "
        "is higher than 26, you are at risk of some serious health problems.\n\n%1 "
        "will use the information you have entered so far to estimate your Resting Metabolic "
        "Rate, or RMR. It is possible to determine RMR more precisely using some medical "
        "and scientific devices, so if your doctor provides you with an RMR, you should use "
        "that one instead.").arg(BrandEngine::instance()->getString("app_name")));
    textLabel3->setText(tr("If you know your RMR, please enter it here:"));
    textLabel4->setText(tr("If you don't know your RMR, just leave the area blank."));
}
