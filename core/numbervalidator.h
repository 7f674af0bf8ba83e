#ifndef PANTREL_CORE_NUMBERVALIDATOR_H
#define PANTREL_CORE_NUMBERVALIDATOR_H

#include <QValidator>

#include <limits>

// The validator of every number field: what it accepts, NumberParser reads as typed. A
// character no number may hold, more decimals than allowed, or a value above the top is
// refused while typing; a value below the bottom is not yet acceptable.
class NumberValidator : public QValidator {
    Q_OBJECT

public:
    static constexpr int AnyDecimals = std::numeric_limits<int>::max();

    NumberValidator(double bottom, double top, int decimals, QObject* parent);

    State validate(QString& input, int& pos) const override;

private:
    double _bottom;
    double _top;
    int _decimals;
};

#endif
