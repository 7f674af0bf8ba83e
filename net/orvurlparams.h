#pragma once

#include <QString>

// Expansion of the tokens of a web address taken from the brand: platform, product,
// version, the current user's web login and password digest, and the content folder.
class OrvUrlParams
{
public:
    // Expands the tokens of url in place. Returns a null text when the address could be
    // built, otherwise a message for the user saying why not (the address then keeps the
    // replacements made so far and must not be used).
    static QString replaceAll(QString& url);
};
