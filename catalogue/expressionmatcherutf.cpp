#include "catalogue/expressionmatcherutf.h"

#include <QDebug>

ExpressionMatcherUtf::ExpressionMatcherUtf(const QString& expression)
{
    std::vector<QString> words;
    getWordsIntoVector(words, expression);
    for (const QString& word : words) {
        if (word.startsWith(QLatin1Char('-'))) {
            qDebug("false: '%s'", qPrintable(word.mid(1)));
            _excluded.push_back(std::make_unique<StringMatcherUtf>(word.mid(1)));
        } else {
            qDebug("true:  '%s'", qPrintable(word));
            _required.push_back(std::make_unique<StringMatcherUtf>(word));
        }
    }
}

bool ExpressionMatcherUtf::operator()(const char* text, int length) const
{
    for (const auto& matcher : _required) {
        if (!(*matcher)(text, length))
            return false;
    }
    for (const auto& matcher : _excluded) {
        if ((*matcher)(text, length))
            return false;
    }
    return true;
}

bool ExpressionMatcherUtf::isValidExpression(const QString& expression)
{
    std::vector<QString> words;
    return getWordsIntoVector(words, expression) >= 3;
}
