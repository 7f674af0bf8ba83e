#ifndef PANTREL_CORE_DATECONVERSION_H
#define PANTREL_CORE_DATECONVERSION_H

// Date codes: a day written "yyyyMMdd", kept in 9-byte fields with a terminating NUL.

#include <QDate>

// Writes the date's code into code, which must hold 9 bytes. An invalid date gives an
// empty code.
void DateToCode4(const QDate& date, char* code);

// The date of an 8-character code (any other length is a broken invariant); an invalid
// QDate when the code names no date.
QDate DateFromCode4(const char* date);

#endif
