#include "profile/targetspage.h"

#include "core/brandengine.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "profile/dietplans/dietplan.h"
#include "profile/dietplans/dietplanmanager.h"
#include "profile/settargetsdialog.h"
#include "profile/workingtargets.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int CustomPlanId = 0;

// The rows of the nutrient grid: the nutrient, its name and its value label's object name.
// init() replaces the fibre name by the brand's spelling.
struct NutrientRow
{
    DBTypes::NutType nut;
    const char* name;
    const char* valueName;
};

constexpr NutrientRow Rows[DBTypes::NUTRIENT_COUNT] = {
    {DBTypes::ENERGY, QT_TRANSLATE_NOOP("TargetsPage", "Energy:"), "_energyTargetLabel"},
    {DBTypes::CARBS, QT_TRANSLATE_NOOP("TargetsPage", "Carbohydrates:"), "_carbTargetLabel"},
    {DBTypes::FAT, QT_TRANSLATE_NOOP("TargetsPage", "Fat:"), "_fatTargetLabel"},
    {DBTypes::PROTEIN, QT_TRANSLATE_NOOP("TargetsPage", "Protein:"), "_proteinTargetLabel"},
    {DBTypes::FIBER, QT_TRANSLATE_NOOP("TargetsPage", "Fiber:"), "_fiberTargetLabel"},
    {DBTypes::SATFAT, QT_TRANSLATE_NOOP("TargetsPage", "Sat. Fat:"), "_sfatTargetLabel"},
    {DBTypes::SUGAR, QT_TRANSLATE_NOOP("TargetsPage", "Sugar:"), "_sugarTargetLabel"},
    {DBTypes::SODIUM, QT_TRANSLATE_NOOP("TargetsPage", "Sodium"), "_sodiumTargetLabel"},
    {DBTypes::CHOLESTEROL, QT_TRANSLATE_NOOP("TargetsPage", "Cholesterol:"), "_cholTargetLabel"},
    {DBTypes::CALCIUM, QT_TRANSLATE_NOOP("TargetsPage", "Calcium:"), "_calciumTargetLabel"},
};

// A brand word with its first letter in upper case, followed by the suffix.
QString brandSpelling(const char* id, const QString& suffix)
{
    QString word = BrandEngine::instance()->getString(id);
    if (!word.isEmpty())
        word[0] = word[0].toUpper();
    return word + suffix;
}

} // namespace

TargetsPage::TargetsPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TargetsPage"));
    _buildForm();
    languageChange();
    init();
}

void TargetsPage::_buildForm()
{
    auto* pageLayout = new QVBoxLayout(this);
    textLabel3 = new QLabel(this);
    textLabel3->setObjectName(QStringLiteral("textLabel3"));
    textLabel3->setWordWrap(true);
    textLabel3->setIndent(20);
    pageLayout->addWidget(textLabel3);

    _dietPlanBox = new QGroupBox(this);
    _dietPlanBox->setObjectName(QStringLiteral("_dietPlanButtonGroup"));
    _dietPlanButtonGroup = new QButtonGroup(this);
    _customPlanRadio = new QRadioButton(_dietPlanBox);
    _customPlanRadio->setObjectName(QStringLiteral("_customPlanRadio"));
    _dietPlanButtonGroup->addButton(_customPlanRadio, CustomPlanId);
    auto* planColumn = new QVBoxLayout(_dietPlanBox);
    planColumn->addWidget(_customPlanRadio);
    planColumn->addStretch(1);

    _buildNutrientBox();
    auto* row = new QHBoxLayout;
    row->addWidget(_dietPlanBox, 0, Qt::AlignTop);
    row->addWidget(groupBox12);
    pageLayout->addLayout(row);
    pageLayout->addStretch(1);
}

void TargetsPage::_buildNutrientBox()
{
    groupBox12 = new QGroupBox(this);
    groupBox12->setObjectName(QStringLiteral("groupBox12"));
    auto* boxLayout = new QVBoxLayout(groupBox12);
    auto* grid = new QGridLayout;
    QFont bold = font();
    bold.setBold(true);
    for (int i = 0; i < DBTypes::NUTRIENT_COUNT; ++i) {
        auto* name = new QLabel(groupBox12);
        name->setFont(bold);
        _nameLabels.append(name);
        _valueLabels[Rows[i].nut] = new QLabel(groupBox12);
        _valueLabels[Rows[i].nut]->setObjectName(QLatin1String(Rows[i].valueName));
        grid->addWidget(name, i, 0);
        grid->addWidget(_valueLabels[Rows[i].nut], i, 1);
    }
    _fiberLabel = _nameLabels[4];
    _fiberLabel->setObjectName(QStringLiteral("_fiberLabel"));
    boxLayout->addLayout(grid);
    _customiseButton = new QPushButton(groupBox12);
    _customiseButton->setObjectName(QStringLiteral("_customiseButton"));
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(_customiseButton);
    boxLayout->addLayout(buttonRow);
}

void TargetsPage::init()
{
    DietPlanManager* manager = DietPlanManager::instance();
    auto* planColumn = static_cast<QVBoxLayout*>(_dietPlanBox->layout());
    for (int index = 0; index < manager->count(); ++index) {
        DietPlan* plan = manager->planAt(index);
        auto* button = new QRadioButton(plan->name(), _dietPlanBox);
        const int id = index + 1;
        _dietPlanButtonGroup->addButton(button, id);
        planColumn->insertWidget(0, button);
        _plans[id] = plan;
    }
    _fiberLabel->setText(brandSpelling("spelling_fiber", QStringLiteral(":")));
    _customiseButton->setText(brandSpelling("spelling_customize", QStringLiteral("...")));
    connect(_customiseButton, &QPushButton::clicked, this, &TargetsPage::doCustomise);
    connect(_dietPlanButtonGroup, &QButtonGroup::idClicked, this, &TargetsPage::selectPlan);
}

DietPlan* TargetsPage::planOfButton(int id) const
{
    const auto found = _plans.find(id);
    return found == _plans.end() ? nullptr : found->second;
}

int TargetsPage::buttonOfPlan(const QString& planId) const
{
    int button = -1;
    for (const auto& [id, plan] : _plans) {
        if (plan->id() == planId)
            button = id;
    }
    return button;
}

void TargetsPage::setWorkingTargets(WorkingTargets* working)
{
    _working = working;
}

void TargetsPage::selectPlan(int id)
{
    if (!_working)
        return;
    DBTypes::CheckinItem& checkin = _working->workingCheckin();
    DBTypes::UserPrefs& prefs = _working->workingPrefs();
    if (id == CustomPlanId) {
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
            checkin.setNoTarget(DBTypes::NutType(nut));
            prefs.setTargetSize(DBTypes::NutType(nut), DBTypes::UserPrefs::None);
        }
    } else if (DietPlan* plan = planOfButton(id)) {
        _working->applyPlan(*plan);
    }
    setTargets(&checkin, &prefs);
}

void TargetsPage::doCustomise()
{
    if (!_working)
        return;
    SetTargetsDialog dialog(this, "SetTargetsDialog", false);
    dialog.load(_working->workingCheckin(), _working->workingPrefs());
    // OK with nothing edited keeps the plan's targets the plan's.
    if (!execTargetsDialog(dialog) || !dialog.isChanged())
        return;
    dialog.get(&_working->workingCheckin(), &_working->workingPrefs());
    setTargets(&_working->workingCheckin(), &_working->workingPrefs());
    _customPlanRadio->setChecked(true);
}

bool TargetsPage::execTargetsDialog(SetTargetsDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

void TargetsPage::setTargets(const DBTypes::CheckinItem* checkin, const DBTypes::UserPrefs*)
{
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
        const auto type = DBTypes::NutType(nut);
        _valueLabels[nut]->setText(
            checkin->hasTarget(type)
                ? UnitCollection::instance()->get(type)->printNumberUnit(checkin->target(type))
                : QStringLiteral("-"));
    }
}

void TargetsPage::languageChange()
{
    setWindowTitle(tr("Form4"));
    textLabel3->setText(tr(
        "Based on your information and goal, we've created a daily nutrition plan for you! If "
        "you prefer, you can customize your own plan using targets recommended by your "
        "doctor."));
    _dietPlanBox->setTitle(tr("Diet Plans"));
    _customPlanRadio->setText(tr("Custom..."));
    groupBox12->setTitle(tr("Nutrients"));
    _customiseButton->setText(tr("Customise..."));
    for (int i = 0; i < DBTypes::NUTRIENT_COUNT; ++i) {
        _nameLabels[i]->setText(tr(Rows[i].name));
        _valueLabels[Rows[i].nut]->setText(QStringLiteral("-"));
    }
}
