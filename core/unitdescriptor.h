#ifndef PANTREL_CORE_UNITDESCRIPTOR_H
#define PANTREL_CORE_UNITDESCRIPTOR_H

#include <QString>

class NumberValidator;
class PlausibleRange;
class QObject;
class QValidator;

// How one kind of quantity is shown and typed. Values are held in one internal unit
// (kilocalories, grams or milligrams, kilograms, centimetres, steps); a descriptor turns an
// internal value into the number shown, supplies the validator of an edit field and turns
// typed text back into the internal unit. Numbers are written with a decimal point and typed
// text is read by NumberParser's rule.
class UnitDescriptor {
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
    QString printUnits() const { return _units; }

    // The bare number, or "-" for a value that is not valid.
    void printNumber(QString& out, double value) const;
    QString printNumber(double value) const;
    // The number followed by its unit, or "-" for a value that is not valid.
    void printNumberUnit(QString& out, double value) const;
    QString printNumberUnit(double value) const;

protected:
    UnitDescriptor(const QString& name, const char* numberFormat, const char* numberUnitFormat,
                   const QString& units);

    // Reads typed text (NumberParser's rule) as a single-precision number; 0 when it is no
    // finite number.
    static double parseNumber(const QString& text);
    // The validator of the nutrient fields: 0 to 2000000 with one decimal.
    static QValidator* createNutrientValidator(QObject* parent);
    // A decimal validator with only its bottom set.
    static QValidator* createDecimalValidator(double bottom, QObject* parent);

    QString _numberFormat;
    QString _numberUnitFormat;
    QString _missingText;
    QString _units;
    QString _name;

private:
    QString format(const QString& pattern, double value) const;
};

#endif
