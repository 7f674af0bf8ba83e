#include "reports/axisscale.h"

#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

constexpr int WantedSteps = 5;

// The round step nearest to a raw one: 1, 2 or 5 times a power of ten.
double roundStep(double raw)
{
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double factor = raw / power;
    if (factor < 1.5)
        return power;
    if (factor < 3.0)
        return 2.0 * power;
    if (factor < 7.0)
        return 5.0 * power;
    return 10.0 * power;
}

} // namespace

AxisScale::AxisScale(double low, double step, int steps)
    : _low(low), _step(step), _steps(steps),
      _decimals(std::max(0, -int(std::floor(std::log10(step) + 1e-9))))
{
}

AxisScale AxisScale::covering(double low, double high)
{
    // Ends no double spans hold no scale: such an axis is left at its unit span.
    if (!std::isfinite(high - low) || !std::isfinite(std::max(std::abs(low), std::abs(high)) * 2))
        return AxisScale(0.0, 1.0 / WantedSteps, WantedSteps);
    if (!(high > low)) {
        // One value alone: a step of its own size around it.
        const double size = std::max(std::abs(low), 1.0);
        low -= size / 2;
        high += size / 2;
    }
    const double step = roundStep((high - low) / WantedSteps);
    // Ends a hair inside a tick are on it: sums of decimals are never exact.
    const double first = std::floor(low / step + 1e-9);
    const double last = std::ceil(high / step - 1e-9);
    return AxisScale(first * step, step, std::max(1, int(std::lround(last - first))));
}

AxisScale AxisScale::withSteps(int steps) const
{
    return AxisScale(_low, _step, std::max(steps, _steps));
}

void AxisScale::applyTo(QValueAxis* axis) const
{
    axis->setRange(low(), high());
    axis->setTickType(QValueAxis::TicksFixed);
    axis->setTickCount(_steps + 1);
    axis->setMinorTickCount(0);
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(_decimals));
}
