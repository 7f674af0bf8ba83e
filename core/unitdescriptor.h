#ifndef PANTREL_CORE_UNITDESCRIPTOR_H
#define PANTREL_CORE_UNITDESCRIPTOR_H

#include <QCoreApplication>
#include <QString>

class NumberValidator;
class PlausibleRange;
class QObject;
class QValidator;

// Converts one kind of quantity between its stored unit (kcal, g, mg, kg, cm, steps) and
// what the user sees and types, and hands out the matching field validator. Every figure it
// writes, in a text or into a field, and every figure typed follow NumberParser's rule: the
// decimal separator of the user's locale.
class UnitDescriptor {
    Q_DECLARE_TR_FUNCTIONS(UnitDescriptor)

public:
    virtual ~UnitDescriptor();

    // The number to show for an internal value.
    virtual double displayValue(double value) const;
    // Negative values are unset.
    virtual bool isValid(double value) const;
    // A new validator owned by parent, or null for a unit that offers none.
    virtual QValidator* createValidator(QObject* parent) const;
    // The validator of a field named name that takes values within range (internal unit):
    // createValidator's kind, its range turned into this unit and rounded inwards.
    NumberValidator* createFieldValidator(const QString& name, const PlausibleRange& range,
                                          QObject* parent) const;
    // The internal value of typed text; 0 for a text that is no number.
    virtual double input(const QString& text) const;

    QString printName() const { return _name; }
    // The name as it reads inside a sentence ("calories"), translated as a word of its own.
    virtual QString nameInText() const { return _name; }
    QString printUnits() const { return _units; }

    // The bare number, or "-" for a value that is not valid.
    void printNumber(QString& out, double value) const;
    QString printNumber(double value) const;
    // The number followed by its unit, or "-" for a value that is not valid.
    void printNumberUnit(QString& out, double value) const;
    QString printNumberUnit(double value) const;
    // The bare number as printNumber writes it, in the form a field of the user's locale holds
    // and reads back unchanged; blank for a value that is not valid.
    QString printField(double value) const;
    // A value that may lie below zero (which the unit itself writes as missing): the figure
    // of its size, with a minus only where that figure is not zero.
    QString printSignedNumber(double value) const;
    QString printSignedNumberUnit(double value) const;
    // The figure shown for a value, as a number in the display unit.
    double shownValue(double value) const;
    // minuend - subtrahend, worked out from the figures shown for both so that the three
    // figures add up; bare, or with the unit.
    QString printDifference(double minuend, double subtrahend) const;
    QString printDifferenceUnit(double minuend, double subtrahend) const;

protected:
    // A unit shown with decimals digits after the separator; unitText follows the figure where
    // printNumberUnit writes it (" g", or nothing).
    UnitDescriptor(const QString& name, int decimals, const QString& unitText,
                   const QString& units);

    // Reads typed text (NumberParser's rule) as a single-precision number; 0 when it is no
    // finite number.
    static double parseNumber(const QString& text);
    // The validator of the nutrient fields: 0 to 2000000 with one decimal.
    static QValidator* createNutrientValidator(QObject* parent);
    // A decimal validator with only its bottom set.
    static QValidator* createDecimalValidator(double bottom, QObject* parent);

    int _decimals;
    QString _unitText;
    QString _missingText;
    QString _units;
    QString _name;

private:
    // The figure of value with or without its unit; the missing text for a value not valid.
    QString format(double value, bool withUnit) const;
    // A number in the display unit as it is shown.
    QString formatShown(double shown, bool withUnit) const;
    QString formatSigned(double value, bool withUnit) const;
};

#endif
