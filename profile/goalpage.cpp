#include "profile/goalpage.h"

#include "profile/profileerrorwidget.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

GoalPage::GoalPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("GoalPage"));
    _buildForm();
    languageChange();
    init();
}

void GoalPage::_buildForm()
{
    _pageLayout = new QVBoxLayout(this);
    textLabel2 = new QLabel(this);
    textLabel2->setObjectName(QStringLiteral("textLabel2"));
    textLabel2->setWordWrap(true);
    textLabel2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    textLabel2->setIndent(20);
    _pageLayout->addWidget(textLabel2);

    _goalBox = new QGroupBox(this);
    _goalBox->setObjectName(QStringLiteral("_goalButtonGroup"));
    textLabel1 = new QLabel(_goalBox);
    textLabel1->setObjectName(QStringLiteral("textLabel1"));
    textLabel1->setWordWrap(true);
    _goalButtonGroup = new QButtonGroup(this);
    auto* column = new QVBoxLayout(_goalBox);
    column->addWidget(textLabel1);
    int id = 0;
    for (QRadioButton** button : {&_loseButton, &_maintainButton, &_gainButton}) {
        *button = new QRadioButton(_goalBox);
        _goalButtonGroup->addButton(*button, id++);
        column->addWidget(*button);
    }
    _loseButton->setObjectName(QStringLiteral("_loseButton"));
    _maintainButton->setObjectName(QStringLiteral("_maintainButton"));
    _gainButton->setObjectName(QStringLiteral("_gainButton"));
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(_goalBox);
    row->addStretch(1);
    _pageLayout->addLayout(row);
    _pageLayout->addStretch(1);
}

void GoalPage::init()
{
    _errorWidget = new ProfileErrorWidget(this);
    _pageLayout->addWidget(_errorWidget);
    connect(_goalButtonGroup, &QButtonGroup::idClicked, this, &GoalPage::updateErrors);
    updateErrors();
}

void GoalPage::updateErrors()
{
    _errorWidget->clearErrors();
    if (_goalButtonGroup->checkedId() < 0)
        _errorWidget->addError(tr("You must select a goal."));
    emit stateChanged();
}

void GoalPage::languageChange()
{
    setWindowTitle(tr("Form3"));
    textLabel2->setText(tr("Please select your weight goal from the options below. The goal "
                           "we recommend for your BMI is marked \"(recommended)\".\n\n"
                           "My goal is:"));
    _goalBox->setTitle(tr("Goal"));
    textLabel1->setText(tr("Please select a weight goal. The goal recommended for your BMI is "
                           "marked \"(recommended)\"."));
    _loseButton->setText(tr("To lose weight"));
    _maintainButton->setText(tr("To maintain your current weight"));
    _gainButton->setText(tr("To gain weight"));
}
