#pragma once

class QValueAxis;

// The scale of a chart's value axis: ticks at round steps (1, 2 or 5 times a power of ten),
// the axis' ends on ticks, and labels with exactly the decimals the step needs, so that each
// label says where its tick stands. Every value axis of the charts takes its scale from here.
class AxisScale
{
public:
    // The scale that covers low to high in about five steps (three to eight).
    static AxisScale covering(double low, double high);
    // This scale stretched upwards to the given number of steps.
    AxisScale withSteps(int steps) const;

    double low() const { return _low; }
    double high() const { return _low + _step * _steps; }
    double step() const { return _step; }
    int steps() const { return _steps; }
    int decimals() const { return _decimals; }

    // Sets the axis' range, ticks and label format.
    void applyTo(QValueAxis* axis) const;

private:
    AxisScale(double low, double step, int steps);

    double _low;
    double _step;
    int _steps;
    int _decimals;
};
