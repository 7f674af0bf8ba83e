#ifndef PANTREL_CORE_TYPEDTEXT_H
#define PANTREL_CORE_TYPEDTEXT_H

#include <QString>

// The text with the typographic apostrophes and quotes that a web page or a word processor
// writes (’ ‘ “ ”) as the plain ones (' and "), which names hold and keyboards type: what
// the user typed or pasted is compared with names as so read.
QString withPlainQuotes(QString text);

#endif
