#pragma once

#include <QString>

#include <map>
#include <memory>
#include <vector>

class DietPlan;

// The registry of diet plans, filled once from the brand's switches when first asked for.
class DietPlanManager
{
public:
    static DietPlanManager* instance();
    // Deletes the registry and its plans; the next instance() reads the brand again.
    static void cleanUp();

    int count() const;
    // The plan at a position in registration order; null outside 0 to count() - 1.
    DietPlan* planAt(int index) const;
    // The plan registered under the id, or null.
    DietPlan* plan(const QString& id) const;
    // Registers the plan under its id, taking the place of an earlier plan of the same id in
    // plan(); both stay in registration order.
    void addPlan(std::unique_ptr<DietPlan> plan);

    ~DietPlanManager();

private:
    DietPlanManager();
    DietPlanManager(const DietPlanManager&) = delete;
    DietPlanManager& operator=(const DietPlanManager&) = delete;

    static DietPlanManager* s_instance;

    std::map<QString, DietPlan*> _plansById;
    std::vector<std::unique_ptr<DietPlan>> _plans;
};
