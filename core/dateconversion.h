#ifndef PANTREL_CORE_DATECONVERSION_H
#define PANTREL_CORE_DATECONVERSION_H

// Date codes: a day written "yyyyMMdd", kept in 9-byte fields with a terminating NUL.

#include <QDate>

// Writes the date's code into code, which must hold 9 bytes. An invalid date gives an
// empty code.
void DateToCode4(const QDate& date, char* code);

// The date of a code; an invalid QDate when the text (which may come from a file) is not
// 8 digits naming a day.
QDate DateFromCode4(const char* date);

#endif
