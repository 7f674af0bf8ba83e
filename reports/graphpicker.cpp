#include "reports/graphpicker.h"

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "reports/graphcheckbox.h"
#include "reports/nutrientchart.h"
#include "widgets/signalblocker.h"

#include <QGridLayout>

GraphPicker::GraphPicker(QWidget* parent) : QGroupBox(tr("Items"), parent)
{
    setObjectName(QStringLiteral("graphPicker"));
    const QString fibre = tr("%1 (g)").arg(BrandEngine::instance()->getString("spelling_fiber"));
    const struct
    {
        int component;
        QString text;
        int setting;
    } table[] = {
        {NutrientChart::EnergyIntake, tr("Energy Intake"), BXSettings::NutrientEnergyIntake},
        {NutrientChart::EnergyBurned, tr("Energy Burned"), BXSettings::NutrientEnergyBurned},
        {NutrientChart::EnergyNet, tr("Energy Net"), BXSettings::NutrientEnergyNet},
        {NutrientChart::Fat, tr("Fat (g)"), BXSettings::NutrientFat},
        {NutrientChart::SaturatedFat, tr("Saturated Fat (g)"), BXSettings::NutrientSaturatedFat},
        {NutrientChart::Cholesterol, tr("Cholesterol (mg)"), BXSettings::NutrientCholesterol},
        {NutrientChart::Protein, tr("Protein (g)"), BXSettings::NutrientProtein},
        {NutrientChart::Sodium, tr("Sodium (mg)"), BXSettings::NutrientSodium},
        {NutrientChart::Carbohydrate, tr("Carbohydrate (g)"), BXSettings::NutrientCarb},
        {NutrientChart::Fiber, fibre, BXSettings::NutrientFiber},
        {NutrientChart::Sugar, tr("Sugar (g)"), BXSettings::NutrientSugar},
        {NutrientChart::Calcium, tr("Calcium (mg)"), BXSettings::NutrientCalcium},
    };
    auto* layout = new QGridLayout(this);
    int index = 0;
    for (const auto& row : table) {
        auto* box = new GraphCheckBox(row.text, this, NutrientChart::colour(row.component));
        // Three to a column, filled top to bottom.
        layout->addWidget(box, index % 3, index / 3);
        connect(box, &GraphCheckBox::clicked, this, &GraphPicker::clicked);
        _entries.push_back({row.component, row.setting, box});
        ++index;
    }
}

int GraphPicker::getComponents() const
{
    int components = 0;
    for (const Entry& entry : _entries) {
        if (entry.box->isChecked())
            components |= entry.component;
    }
    return components;
}

GraphCheckBox* GraphPicker::box(int component) const
{
    for (const Entry& entry : _entries) {
        if (entry.component == component)
            return entry.box;
    }
    return nullptr;
}

void GraphPicker::saveSettings() const
{
    BXSettings settings;
    for (const Entry& entry : _entries)
        settings.setBool(BXSettings::SettingEnum(entry.setting), entry.box->isChecked());
}

void GraphPicker::loadSettings()
{
    // Quiet: the viewer rebuilds once after loading, not once a box.
    const SignalBlocker quiet(this);
    BXSettings settings;
    for (const Entry& entry : _entries)
        entry.box->setChecked(settings.getBool(BXSettings::SettingEnum(entry.setting)));
}

void GraphPicker::setComponents(int components)
{
    const SignalBlocker quiet(this);
    for (const Entry& entry : _entries)
        entry.box->setChecked((components & entry.component) != 0);
}
