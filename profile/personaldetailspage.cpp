#include "profile/personaldetailspage.h"

#include "core/clock.h"
#include "profile/datelineedit.h"
#include "profile/profileerrorwidget.h"
#include "widgets/bxcalendar.h"
#include "widgets/qpopupcalendar.h"
#include "widgets/signalblocker.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int LowestBirthYear = 1900;
constexpr int YoungestAge = 7;
constexpr int NameFieldWidth = 200;

} // namespace

PersonalDetailsPage::PersonalDetailsPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PersonalDetailsPage"));
    _buildForm();
    languageChange();
    init();
}

void PersonalDetailsPage::_buildForm()
{
    _pageLayout = new QVBoxLayout(this);
    _pageLayout->setObjectName(QStringLiteral("PersonalDetailsPageLayout"));
    _pageLayout->setContentsMargins(11, 11, 11, 11);
    _pageLayout->setSpacing(22);
    textLabel2 = new QLabel(this);
    textLabel2->setObjectName(QStringLiteral("textLabel2"));
    textLabel2->setWordWrap(true);
    textLabel2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    textLabel2->setIndent(20);
    _pageLayout->addWidget(textLabel2);

    _detailsBox = new QGroupBox(this);
    _detailsBox->setObjectName(QStringLiteral("_detailsBox"));
    auto* boxLayout = new QVBoxLayout(_detailsBox);
    boxLayout->setContentsMargins(11, 11, 11, 11);
    boxLayout->setSpacing(6);
    boxLayout->addLayout(_buildGrid());
    auto* row = new QHBoxLayout;
    row->setObjectName(QStringLiteral("layout25"));
    row->addStretch(1);
    row->addWidget(_detailsBox);
    row->addStretch(1);
    _pageLayout->addLayout(row);
    _pageLayout->addStretch(1);
    setMinimumSize(QSize(416, 313).expandedTo(minimumSizeHint()));
}

QGridLayout* PersonalDetailsPage::_buildGrid()
{
    auto label = [this](const char* name) {
        auto* made = new QLabel(_detailsBox);
        made->setObjectName(QLatin1String(name));
        made->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return made;
    };
    textLabel3 = label("textLabel3");
    textLabel3_2 = label("textLabel3_2");
    textLabel4 = label("textLabel4");
    _nameField = new QLineEdit(_detailsBox);
    _nameField->setObjectName(QStringLiteral("_nameField"));
    _nameField->setMinimumWidth(NameFieldWidth);
    _calendarButton = new QPushButton(_detailsBox);
    _calendarButton->setObjectName(QStringLiteral("_calendarButton"));
    _dateEditLayout = new QHBoxLayout;
    _dateEditLayout->setObjectName(QStringLiteral("_dateEditLayout"));
    _dateEditLayout->addWidget(_calendarButton);

    _sexButtonBox = new QGroupBox(_detailsBox);
    _sexButtonBox->setObjectName(QStringLiteral("_sexButtonGroup"));
    _sexButtonBox->setFlat(true);
    _maleRadioButton = new QRadioButton(_sexButtonBox);
    _maleRadioButton->setObjectName(QStringLiteral("_maleRadioButton"));
    _femaleRadioButton = new QRadioButton(_sexButtonBox);
    _femaleRadioButton->setObjectName(QStringLiteral("_femaleRadioButton"));
    _sexButtonGroup = new QButtonGroup(this);
    _sexButtonGroup->addButton(_maleRadioButton, 0);
    _sexButtonGroup->addButton(_femaleRadioButton, 1);
    _maleRadioButton->setChecked(true);
    auto* sexRow = new QHBoxLayout(_sexButtonBox);
    sexRow->setObjectName(QStringLiteral("layout4"));
    sexRow->addWidget(_maleRadioButton);
    sexRow->addWidget(_femaleRadioButton);

    auto* grid = new QGridLayout;
    grid->setAlignment(Qt::AlignTop);
    grid->addWidget(textLabel3, 0, 0);
    grid->addWidget(_nameField, 0, 1);
    grid->addWidget(textLabel3_2, 1, 0);
    grid->addLayout(_dateEditLayout, 1, 1);
    grid->addWidget(textLabel4, 2, 0);
    grid->addWidget(_sexButtonBox, 2, 1);
    return grid;
}

void PersonalDetailsPage::init()
{
    // A birth date in the current year gives an age of 0, for which no targets exist.
    _minYear = LowestBirthYear;
    _maxYear = Clock::today().year() - 1;

    _calendar = new QPopupCalendar(this, Clock::today());
    _calendar->setMinimumDate(QDate(_minYear, 1, 1));
    _calendar->setMaximumDate(Clock::today().addYears(-YoungestAge));
    _calendarButton->setMenu(_calendar);

    _dobField = new DateLineEdit(_minYear, _maxYear, _detailsBox);
    _dobField->setObjectName(QStringLiteral("_dobField"));
    _dateEditLayout->insertWidget(0, _dobField);
    _dobField->format();

    _errorWidget = new ProfileErrorWidget(this);
    _pageLayout->addWidget(_errorWidget);

    connect(_dobField, &QLineEdit::textChanged, this, &PersonalDetailsPage::updateErrors);
    connect(_dobField, &QLineEdit::textChanged, this, &PersonalDetailsPage::updateDOBFromField);
    connect(_nameField, &QLineEdit::textChanged, this, &PersonalDetailsPage::updateErrors);
    connect(_calendar, &QPopupCalendar::dateChanged, this,
            &PersonalDetailsPage::updateDOBFromCalendar);

    setTabOrder(_nameField, _dobField);
    setTabOrder(_dobField, _calendarButton);
    setTabOrder(_calendarButton, _maleRadioButton);
    setTabOrder(_maleRadioButton, _femaleRadioButton);
    updateErrors();
}

void PersonalDetailsPage::updateErrors()
{
    _errorWidget->clearErrors();
    if (_nameField->text().isEmpty())
        _errorWidget->addError(tr("You must enter your name."));
    if (!_dobField->validDate())
        _errorWidget->addError(tr("You must enter a valid date of birth (%1 - %2).")
                                   .arg(_minYear)
                                   .arg(_maxYear));
    else if (!birthDateAccepted())
        _errorWidget->addError(tr("You must be aged 7 years or older to use this software."));
    emit stateChanged();
}

bool PersonalDetailsPage::birthDateAccepted() const
{
    return _dobField->validDate()
           && _dobField->date() <= Clock::today().addYears(-YoungestAge);
}

void PersonalDetailsPage::updateDOBFromField()
{
    if (!_dobField->validDate())
        return;
    SignalBlocker blockCalendar(_calendar);
    SignalBlocker blockInner(_calendar->calendar());
    _calendar->calendar()->setDate(_dobField->date(), true);
}

void PersonalDetailsPage::updateDOBFromCalendar(const QDate& date)
{
    {
        SignalBlocker blocker(_dobField);
        _dobField->setDate(date);
    }
    updateErrors();
}

void PersonalDetailsPage::languageChange()
{
    setWindowTitle(tr("Personal Details"));
    textLabel2->setText(tr(
        "To begin, we need to know a little about you.\n\nAge and gender have an important "
        "effect on the amount of calories your body burns every day. Please note, you must "
        "be aged 7 years or older to use this software."));
    _detailsBox->setTitle(tr("Personal Details"));
    textLabel3->setText(tr("Full Name:"));
    textLabel3_2->setText(tr("Date of Birth:"));
    textLabel4->setText(tr("Sex:"));
    _sexButtonBox->setTitle(QString());
    _maleRadioButton->setText(tr("Male"));
    _femaleRadioButton->setText(tr("Female"));
    _calendarButton->setText(tr("Calendar"));
}
