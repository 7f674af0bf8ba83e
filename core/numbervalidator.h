#ifndef PANTREL_CORE_NUMBERVALIDATOR_H
#define PANTREL_CORE_NUMBERVALIDATOR_H

#include <QString>
#include <QValidator>

#include <limits>
#include <optional>

// The validator of every number field: what it accepts, NumberParser reads as typed. It never
// refuses a keystroke, so no typed character vanishes and joins the digits around it: text
// that is no number, has more decimals than allowed or lies outside the range stays in the
// field as not acceptable, and refusal() says why, naming the field and its range and, for a
// point or comma the locale does not write decimals with, how to write the number.
class NumberValidator : public QValidator {
    Q_OBJECT

public:
    static constexpr int AnyDecimals = std::numeric_limits<int>::max();

    NumberValidator(double bottom, double top, int decimals, QObject* parent);

    State validate(QString& input, int& pos) const override;

    // The number in text when it is acceptable and not blank; nothing otherwise.
    std::optional<double> read(const QString& text) const;
    // Why text is refused, naming the field and the range; empty when it is acceptable.
    QString refusal(const QString& text) const;

    double bottom() const { return _bottom; }
    double top() const { return _top; }
    int decimals() const { return _decimals; }
    QString fieldName() const { return _name; }
    QString storedText() const { return _storedText; }

    void setRange(double bottom, double top);
    void setDecimals(int decimals);
    // The field's name and its units, for the refusal.
    void setField(const QString& name, const QString& units);
    // A blank field then holds no value and is acceptable.
    void setBlankAllowed(bool allowed);
    // Fractions ("3/4", "1 1/2") are then read as amounts.
    void setFractionsAllowed(bool allowed);
    // The text shown for a stored value: acceptable as long as it is left as it is, even when
    // the value lies outside the range.
    void setStoredText(const QString& text);

private:
    std::optional<double> _number(const QString& text) const;
    QString _bound(double value) const;
    // How to write a number for text that holds the separator the locale does not write
    // decimals with; empty when that is not what is wrong with it.
    QString _separatorHint(const QString& text) const;

    double _bottom;
    double _top;
    int _decimals;
    QString _name;
    QString _units;
    QString _storedText;
    bool _blankAllowed = false;
    bool _fractions = false;
};

#endif
