#include "profile/dietplans/dietplanmanager.h"

#include "core/brandengine.h"
#include "profile/dietplans/bxdietplan.h"

DietPlanManager* DietPlanManager::s_instance = nullptr;

DietPlanManager* DietPlanManager::instance()
{
    if (!s_instance)
        s_instance = new DietPlanManager;
    return s_instance;
}

void DietPlanManager::cleanUp()
{
    delete s_instance;
    s_instance = nullptr;
}

DietPlanManager::DietPlanManager()
{
    const BrandEngine* brand = BrandEngine::instance();
    const char* const brellixSwitch = "dietplan.brellix.enabled";
    if (brand->idExists(brellixSwitch) && brand->getBool(brellixSwitch))
        addPlan(std::make_unique<BXDietPlan>());
}

DietPlanManager::~DietPlanManager() = default;

int DietPlanManager::count() const
{
    return int(_plans.size());
}

DietPlan* DietPlanManager::planAt(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return _plans[size_t(index)].get();
}

DietPlan* DietPlanManager::plan(const QString& id) const
{
    const auto found = _plansById.find(id);
    return found == _plansById.end() ? nullptr : found->second;
}

void DietPlanManager::addPlan(std::unique_ptr<DietPlan> plan)
{
    _plansById[plan->id()] = plan.get();
    _plans.push_back(std::move(plan));
}
