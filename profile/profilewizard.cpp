#include "profile/profilewizard.h"

#include "core/brandengine.h"
#include "core/clock.h"
#include "core/dateconversion.h"
#include "profile/activitylevelpage.h"
#include "profile/activitylevelpc.h"
#include "profile/finishpage.h"
#include "profile/goalpage.h"
#include "profile/goalpc.h"
#include "profile/intropage.h"
#include "profile/measurementspage.h"
#include "profile/measurementspc.h"
#include "profile/pagecontroller.h"
#include "profile/personaldetailspage.h"
#include "profile/personaldetailspc.h"
#include "profile/targetspage.h"
#include "profile/targetspc.h"
#include "profile/wizardmenu.h"
#include "profile/yourprofilepage.h"
#include "profile/yourprofilepc.h"
#include "widgets/pagestack.h"
#include "widgets/screenfit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

const QColor HeaderColour(131, 156, 214);
constexpr int HeaderHeight = 60;
constexpr int HeaderFontPoints = 15;

} // namespace

ProfileWizard::ProfileWizard(QWidget* parent)
    : QDialog(parent)
    , _defaultController(std::make_unique<PageController>())
{
    setObjectName(QStringLiteral("Profile Wizard"));
    setModal(true);
    setWindowTitle(tr("Personal Profile"));
    _buildFrame();
    _addPages();
    setSection(Welcome);
    // The size the pages ask for, not the two thirds of the screen that adjustSize() allows.
    resize(sizeHint());
}

ProfileWizard::~ProfileWizard() = default;

void ProfileWizard::_buildFrame()
{
    _menu = new WizardMenu(this);
    const std::unique_ptr<QPixmap> logo(
        BrandEngine::instance()->getPixmapPtr("graphics.image.profile.logo"));
    _menu->setImage(logo.get());
    _stack = new PageStack(this);
    _stack->setObjectName(QStringLiteral("Wizard Widget Stack"));

    auto* column = new QVBoxLayout;
    column->addWidget(_buildHeader());
    // The pages scroll on a screen too small for them, and the buttons stay in reach.
    column->addWidget(ScreenFit::scrolled(_stack, this), 1);
    column->addLayout(_buildButtonRow());
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(_menu);
    layout->addLayout(column);

    connect(_menu, qOverload<int>(&WizardMenu::selected), this, &ProfileWizard::doMenuSelection);
    connect(_nextButton, &QPushButton::clicked, this, &ProfileWizard::doNext);
    connect(_backButton, &QPushButton::clicked, this, &ProfileWizard::doBack);
    connect(_cancelButton, &QPushButton::clicked, this, &ProfileWizard::reject);
}

QWidget* ProfileWizard::_buildHeader()
{
    auto* header = new QWidget(this);
    header->setFixedHeight(HeaderHeight);
    header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    header->setAutoFillBackground(true);
    QPalette colours = header->palette();
    colours.setColor(QPalette::Window, HeaderColour);
    header->setPalette(colours);
    _headerLabel = new QLabel(header);
    _headerLabel->setFont(QFont(QStringLiteral("Arial"), HeaderFontPoints));
    _headerLabel->setIndent(20);
    auto* layout = new QHBoxLayout(header);
    layout->addWidget(_headerLabel);
    return header;
}

QLayout* ProfileWizard::_buildButtonRow()
{
    _backButton = new QPushButton(tr("< Back"), this);
    _backButton->setObjectName(QStringLiteral("Prev"));
    _nextButton = new QPushButton(tr("Next >"), this);
    _nextButton->setObjectName(QStringLiteral("Next"));
    _nextButton->setDefault(true);
    _cancelButton = new QPushButton(tr("Cancel"), this);
    _cancelButton->setObjectName(QStringLiteral("Cancel"));
    auto* row = new QHBoxLayout;
    row->setContentsMargins(5, 5, 5, 5);
    row->setSpacing(10);
    row->addStretch(1);
    row->addWidget(_backButton);
    row->addWidget(_nextButton);
    row->addWidget(_cancelButton);
    return row;
}

void ProfileWizard::_addPages()
{
    auto* details = new PersonalDetailsPage(this);
    auto* measurements = new MeasurementsPage(this);
    auto* activity = new ActivityLevelPage(this);
    auto* yourProfile = new YourProfilePage(this);
    auto* goals = new GoalPage(this);
    auto* targets = new TargetsPage(this);
    _controllers[PersonalDetails] = std::make_unique<PersonalDetailsPC>(details);
    _controllers[Measurements] = std::make_unique<MeasurementsPC>(measurements);
    _controllers[ActivityLevel] = std::make_unique<ActivityLevelPC>(activity);
    _controllers[YourProfile] = std::make_unique<YourProfilePC>(yourProfile);
    _controllers[Goals] = std::make_unique<GoalPC>(goals);
    _controllers[Targets] = std::make_unique<TargetsPC>(targets);
    addPage(Welcome, tr("Welcome"), new IntroPage(this));
    addPage(PersonalDetails, tr("Personal Details"), details);
    addPage(Measurements, tr("Measurements"), measurements);
    addPage(ActivityLevel, tr("Activity Level"), activity);
    addPage(YourProfile, tr("Your Profile"), yourProfile);
    addPage(Goals, tr("Goals"), goals);
    addPage(Targets, tr("Targets"), targets);
    addPage(Finish, tr("Finish"), new FinishPage(this));
}

void ProfileWizard::addPage(int id, const QString& name, QWidget* page)
{
    _menu->addSection(id, name);
    _menu->setSectionEnabled(id, isSectionEnabled(id));
    _stack->addWidget(page);
    _pages[id] = page;
    sectionPageController(id)->notify(this, SLOT(enableSections()));
}

QWidget* ProfileWizard::page(int id) const
{
    const auto found = _pages.find(id);
    return found == _pages.end() ? nullptr : found->second;
}

PageController* ProfileWizard::sectionPageController(int id) const
{
    const auto found = _controllers.find(id);
    if (found == _controllers.end() || _menu->sectionPosition(id) < 0)
        return _defaultController.get();
    return found->second.get();
}

bool ProfileWizard::isSectionEnabled(int id) const
{
    const int position = _menu->sectionPosition(id);
    if (position <= 0)
        return position == 0;
    const int previous = _menu->sectionAtPosition(position - 1);
    return sectionPageController(previous)->isPageComplete() && isSectionEnabled(previous);
}

void ProfileWizard::enableSections()
{
    for (int position = 0; position < _menu->sectionCount(); ++position) {
        const int id = _menu->sectionAtPosition(position);
        _menu->setSectionEnabled(id, isSectionEnabled(id));
    }
}

void ProfileWizard::set(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
                        const DBTypes::UserPrefs* prefs)
{
    if (profile)
        _profile = *profile;
    if (checkin)
        _checkin = *checkin;
    if (prefs)
        _prefs = *prefs;
    for (int position = 0; position < _menu->sectionCount(); ++position) {
        sectionPageController(_menu->sectionAtPosition(position))
            ->load(&_profile, &_checkin, &_prefs);
        enableSections();
    }
    _loadedProfile = _profile;
    _loadedCheckin = _checkin;
    _loadedPrefs = _prefs;
    _handOut(&_loadedProfile, &_loadedCheckin, &_loadedPrefs);
    _loaded = true;
}

void ProfileWizard::_handOut(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
                             DBTypes::UserPrefs* prefs)
{
    for (int position = 0; position < _menu->sectionCount(); ++position)
        sectionPageController(_menu->sectionAtPosition(position))->save(profile, checkin, prefs);
    DateToCode4(Clock::today(), checkin->date);
    if (profile->created[0] == '\0')
        DateToCode4(Clock::today(), profile->created);
}

void ProfileWizard::get(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
                        DBTypes::UserPrefs* prefs)
{
    _handOut(&_profile, &_checkin, &_prefs);
    if (profile)
        *profile = _profile;
    if (checkin)
        *checkin = _checkin;
    if (prefs)
        *prefs = _prefs;
}

bool ProfileWizard::isChanged() const
{
    return !_loaded || !(_profile == _loadedProfile && _checkin == _loadedCheckin
                         && _prefs == _loadedPrefs);
}

void ProfileWizard::setSection(int id)
{
    if (_menu->activeSection() >= 0)
        sectionPageController(_menu->activeSection())->save(&_profile, &_checkin, &_prefs);
    PageController* entered = sectionPageController(id);
    entered->load(&_profile, &_checkin, &_prefs);
    entered->start();
    _headerLabel->setText(_menu->sectionName(id));
    if (QWidget* shown = page(id))
        _stack->setCurrentWidget(shown);
    _menu->setSectionEnabled(id, true);
    _menu->setActiveSection(id);
    const int position = _menu->sectionPosition(id);
    setBackButtonEnabled(position != 0);
    setFinishButtonEnabled(position == _menu->sectionCount() - 1);
}

void ProfileWizard::doNext()
{
    const int active = _menu->activeSection();
    if (!sectionPageController(active)->isPageComplete()) {
        WizardMenu::beep();
        return;
    }
    const int position = _menu->sectionPosition(active);
    if (position == _menu->sectionCount() - 1)
        accept();
    else
        setSection(_menu->sectionAtPosition(position + 1));
}

void ProfileWizard::doBack()
{
    const int position = _menu->sectionPosition(_menu->activeSection());
    if (position > 0)
        setSection(_menu->sectionAtPosition(position - 1));
}

void ProfileWizard::doMenuSelection(int id)
{
    const int active = _menu->activeSection();
    if (_menu->sectionPosition(id) > _menu->sectionPosition(active)
        && !sectionPageController(active)->isPageComplete()) {
        WizardMenu::beep();
        return;
    }
    setSection(id);
}

void ProfileWizard::setBackButtonEnabled(bool enabled)
{
    _backButton->setEnabled(enabled);
}

void ProfileWizard::setFinishButtonEnabled(bool finish)
{
    _nextButton->setText(finish ? tr("Finish") : tr("Next >"));
}
