#include "profile/activitylevelpage.h"
#include "core/brandengine.h"

#include "profile/profileerrorwidget.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QRadioButton* radio(QWidget* parent, QButtonGroup* group, int id, const char* name)
{
    auto* button = new QRadioButton(parent);
    button->setObjectName(QLatin1String(name));
    group->addButton(button, id);
    return button;
}

QLabel* pageLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setIndent(20);
    return label;
}

} // namespace

ActivityLevelPage::ActivityLevelPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ActivityLevelPage"));
    _buildForm();
    languageChange();
    init();
}

void ActivityLevelPage::_buildForm()
{
    _pageLayout = new QVBoxLayout(this);
    textLabel1 = pageLabel(this, "textLabel1");
    _pageLayout->addWidget(textLabel1);
    _pageLayout->addWidget(_buildActivityBox());
    textLabel2 = pageLabel(this, "textLabel2");
    _pageLayout->addWidget(textLabel2);
    _pageLayout->addWidget(_buildSnackBox());
    _pageLayout->addStretch(1);
}

QGroupBox* ActivityLevelPage::_buildActivityBox()
{
    _activityBox = new QGroupBox(this);
    _activityBox->setObjectName(QStringLiteral("_activityButtonGroup"));
    _activityButtonGroup = new QButtonGroup(this);
    _noneButton = radio(_activityBox, _activityButtonGroup, 0, "_noneButton");
    _sittingButton = radio(_activityBox, _activityButtonGroup, 1, "_sittingButton");
    _standingButton = radio(_activityBox, _activityButtonGroup, 2, "_standingButton");
    _liftingButton = radio(_activityBox, _activityButtonGroup, 3, "_liftingButton");
    auto* grid = new QGridLayout(_activityBox);
    int row = 0;
    for (QRadioButton* button : {_noneButton, _sittingButton, _standingButton, _liftingButton}) {
        auto* description = new QLabel(_activityBox);
        description->setWordWrap(true);
        _descriptions.append(description);
        grid->addWidget(button, row, 0, Qt::AlignTop);
        grid->addWidget(description, row++, 1);
    }
    grid->setColumnStretch(1, 1);
    setTabOrder(_noneButton, _sittingButton);
    setTabOrder(_sittingButton, _standingButton);
    setTabOrder(_standingButton, _liftingButton);
    return _activityBox;
}

QGroupBox* ActivityLevelPage::_buildSnackBox()
{
    _snackBox = new QGroupBox(this);
    _snackBox->setObjectName(QStringLiteral("_snackButtonGroup"));
    _snackButtonGroup = new QButtonGroup(this);
    _snackSingle = radio(_snackBox, _snackButtonGroup, 0, "_snackSingle");
    _snackAfter = radio(_snackBox, _snackButtonGroup, 1, "_snackAfter");
    _snackMultiple = radio(_snackBox, _snackButtonGroup, 2, "_snackMultiple");
    auto* column = new QVBoxLayout(_snackBox);
    for (QRadioButton* button : {_snackSingle, _snackAfter, _snackMultiple})
        column->addWidget(button);
    return _snackBox;
}

void ActivityLevelPage::init()
{
    _errorWidget = new ProfileErrorWidget(this);
    _pageLayout->addWidget(_errorWidget);
    connect(_activityButtonGroup, &QButtonGroup::idClicked, this,
            &ActivityLevelPage::updateErrors);
    updateErrors();
}

void ActivityLevelPage::updateErrors()
{
    _errorWidget->clearErrors();
    if (_activityButtonGroup->checkedId() < 0)
        _errorWidget->addError(tr("You must select an activity level."));
    emit stateChanged();
}

void ActivityLevelPage::languageChange()
{
    setWindowTitle(tr("Activity Level"));
    textLabel1->setText(tr(
        "The amount of daily physical activity that you do as part of your normal routine has "
        "an impact on how many calories you burn.\n\nPlease choose the option that best matches "
        "your average level of daily activity, excluding exercise and sports:"));
    _activityBox->setTitle(tr("Activity levels"));
    _noneButton->setText(tr("Sedentary"));
    _sittingButton->setText(tr("Light"));
    _standingButton->setText(tr("Moderate"));
    _liftingButton->setText(tr("Active"));
    _descriptions[0]->setText(tr("I am immobile most of the time."));
    _descriptions[1]->setText(tr("I work in an office or do light house cleaning, shopping or "
                                 "driving, but primarily I sit most of the day."));
    _descriptions[2]->setText(
        tr("I have an \"on-the-go\" job, with very little time to sit down."));
    _descriptions[3]->setText(tr("My job requires me to do heavy lifting or moving."));
    textLabel2->setText(tr("%1 can group your snacks in several ways. We recommend "
                           "that you pick a display pattern that matches your eating habits.")
                           .arg(BrandEngine::instance()->getString("app_name")));
    _snackBox->setTitle(tr("Snack display"));
    _snackSingle->setText(tr("Display all snacks together"));
    _snackAfter->setText(tr("Group snacks between meals"));
    _snackMultiple->setText(tr("Group snacks below meals"));
}
