#pragma once

#include <QList>
#include <QString>

#include <optional>

class BXTickBox;
class NumberValidator;
class QLineEdit;
class QWidget;

// Checks the number fields of a form before the form takes their values. A number field is a
// line edit whose validator is a NumberValidator.
class NumberFieldCheck
{
public:
    // The number fields under form.
    static QList<QLineEdit*> fields(const QWidget* form);
    // The validator of a number field; null for another line edit.
    static const NumberValidator* validatorOf(const QLineEdit* field);
    // The value a number field holds; nothing when it is blank or refused.
    static std::optional<double> value(const QLineEdit* field);
    // True when every shown and enabled number field under form holds what its validator
    // accepts. Otherwise the first refused field gets the focus and the user a message, titled
    // caption, that names the field and its range.
    static bool confirm(QWidget* form, const QString& caption);
    // Keeps tick shown while field holds a value its validator accepts, and blank otherwise.
    static void tickWhenAcceptable(QLineEdit* field, BXTickBox* tick);
    // Puts text into a number field as the display of a stored value, acceptable as shown.
    static void showStored(QLineEdit* field, const QString& text);
    // True while a number field shows the text of its stored value, untouched.
    static bool showsStored(const QLineEdit* field);
    // True while a number field holds what showStored put there, a blank included.
    static bool isUntouched(const QLineEdit* field);
    // Puts text worked out from other fields into a number field: acceptable as shown when it
    // was worked out from stored values only, held to the field's range like typed text
    // otherwise.
    static void showWorkedOut(QLineEdit* field, const QString& text, bool fromStored);
};
