#include "catalogue/wordforms.h"

namespace {

constexpr int SHORTEST_FORM = 3;

bool isVowel(QChar c)
{
    return QStringLiteral("aeiou").contains(c);
}

// Endings after which a plural adds "es" ("glasses", "boxes", "peaches", "radishes").
bool takesEs(const QString& word)
{
    return word.endsWith(QLatin1Char('s')) || word.endsWith(QLatin1Char('x'))
        || word.endsWith(QLatin1Char('z')) || word.endsWith(QLatin1String("ch"))
        || word.endsWith(QLatin1String("sh"));
}

QStringList singulars(const QString& word)
{
    if (word.endsWith(QLatin1String("ies")))
        return {word.chopped(3) + QLatin1Char('y'), word.chopped(1), word.chopped(2)};
    if (word.endsWith(QLatin1String("ves"))) {
        const QString stem = word.chopped(3);
        return {word.chopped(1), stem + QLatin1Char('f'), stem + QLatin1String("fe")};
    }
    if (word.endsWith(QLatin1String("oes")))
        return {word.chopped(1), word.chopped(2), word.chopped(2) + QLatin1Char('s')};
    if (word.endsWith(QLatin1String("es")) && takesEs(word.chopped(2)))
        return {word.chopped(1), word.chopped(2)};
    return {word.chopped(1)};
}

QStringList plurals(const QString& word)
{
    if (word.endsWith(QLatin1Char('y')) && word.size() > 1 && !isVowel(word.at(word.size() - 2)))
        return {word.chopped(1) + QLatin1String("ies")};
    if (takesEs(word))
        return {word + QLatin1String("es")};
    if (word.endsWith(QLatin1Char('o')))
        return {word + QLatin1Char('s'), word + QLatin1String("es")};
    // "elf" and "life" take "ves"; the forms keep at least two letters of the word.
    if (word.endsWith(QLatin1Char('f')) && word.size() > 2)
        return {word + QLatin1Char('s'), word.chopped(1) + QLatin1String("ves")};
    if (word.endsWith(QLatin1String("fe")) && word.size() > 3)
        return {word + QLatin1Char('s'), word.chopped(2) + QLatin1String("ves")};
    return {word + QLatin1Char('s')};
}

} // namespace

bool WordForms::readsAsPlural(QLatin1StringView word)
{
    return word.endsWith(QLatin1Char('s'), Qt::CaseInsensitive)
        && !word.endsWith(QLatin1String("ss"), Qt::CaseInsensitive)
        && !word.endsWith(QLatin1String("us"), Qt::CaseInsensitive);
}

WordForms::WordForms(const QString& word) : _word(word.toLower())
{
    if (_word.isEmpty() || !_word.back().isLetter())
        return;
    _plural = readsAsPlural(QLatin1StringView(_word.right(2).toLatin1()));
    for (const QString& form : _plural ? singulars(_word) : plurals(_word)) {
        if (form.size() >= SHORTEST_FORM)
            _others << form;
    }
}
