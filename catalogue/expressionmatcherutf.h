#ifndef PANTREL_CATALOGUE_EXPRESSIONMATCHERUTF_H
#define PANTREL_CATALOGUE_EXPRESSIONMATCHERUTF_H

#include "catalogue/stringmatcherutf.h"

#include <memory>
#include <vector>

// Tests single names against a search expression: every plain word must occur, and no word
// written with a leading "-" may occur.
class ExpressionMatcherUtf {
public:
    explicit ExpressionMatcherUtf(const QString& expression);

    bool operator()(const char* text, int length) const;

    // At least one word, and no word shorter than 3 characters.
    static bool isValidExpression(const QString& expression);

private:
    std::vector<std::unique_ptr<StringMatcherUtf>> _required;
    std::vector<std::unique_ptr<StringMatcherUtf>> _excluded;
};

#endif
