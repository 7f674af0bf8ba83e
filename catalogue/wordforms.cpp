#include "catalogue/wordforms.h"

#include <algorithm>
#include <utility>

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

// Words written two common ways, each pair in the singular.
constexpr std::pair<QLatin1StringView, QLatin1StringView> SPELLINGS[] = {
    {QLatin1StringView("donut"), QLatin1StringView("doughnut")},
    {QLatin1StringView("ketchup"), QLatin1StringView("catsup")},
    {QLatin1StringView("yoghurt"), QLatin1StringView("yogurt")},
    {QLatin1StringView("whisky"), QLatin1StringView("whiskey")},
    {QLatin1StringView("kebab"), QLatin1StringView("kabob")},
    {QLatin1StringView("chilli"), QLatin1StringView("chili")},
    {QLatin1StringView("omelette"), QLatin1StringView("omelet")},
    // British and American names, and the forms the catalogue writes.
    {QLatin1StringView("aubergine"), QLatin1StringView("eggplant")},
    {QLatin1StringView("courgette"), QLatin1StringView("zucchini")},
    {QLatin1StringView("wholemeal"), QLatin1StringView("whole-wheat")},
    {QLatin1StringView("flavour"), QLatin1StringView("flavor")},
    {QLatin1StringView("flavoured"), QLatin1StringView("flavored")},
    {QLatin1StringView("fibre"), QLatin1StringView("fiber")},
    {QLatin1StringView("stir-fry"), QLatin1StringView("stir-fried")},
    {QLatin1StringView("sugar-free"), QLatin1StringView("sugarless")},
    {QLatin1StringView("x-large"), QLatin1StringView("extra-large")},
    {QLatin1StringView("tomato-ketchup"), QLatin1StringView("catsup")},
    {QLatin1StringView("bun"), QLatin1StringView("roll")},
};

} // namespace

std::vector<qsizetype> WordForms::joints(QStringView word)
{
    std::vector<qsizetype> found;
    for (qsizetype i = 1; i + 1 < word.size(); ++i) {
        if (word[i] == QLatin1Char('-') && word[i - 1].isLetterOrNumber() && word[i + 1].isLetterOrNumber())
            found.push_back(i);
    }
    return found;
}

QStringList WordForms::apartAndJoined(const QString& word)
{
    const std::vector<qsizetype> places = joints(word);
    if (places.empty())
        return {};
    QString apart = word;
    QString joined = word;
    for (auto place = places.rbegin(); place != places.rend(); ++place) {
        apart[*place] = QLatin1Char(' ');
        joined.remove(*place, 1);
    }
    return {apart, joined};
}

QStringList WordForms::joinedWords(const QString& word)
{
    QStringList words;
    qsizetype from = 0;
    for (qsizetype joint : joints(word)) {
        words << word.mid(from, joint - from);
        from = joint + 1;
    }
    if (from > 0)
        words << word.mid(from);
    return words;
}

bool WordForms::standsApart(const QString& word)
{
    const QStringList words = joinedWords(word.toLower());
    const auto denies = [](const QString& joined) { return joined == QLatin1String("free") || joined == QLatin1String("less"); };
    return !words.isEmpty()
        && std::all_of(words.begin(), words.end(), [](const QString& joined) { return joined.size() >= SHORTEST_FORM; })
        && std::none_of(words.begin() + 1, words.end(), denies);
}

bool WordForms::ofShortWords(const QString& word)
{
    const QStringList words = joinedWords(word);
    return !words.isEmpty()
        && std::all_of(words.begin(), words.end(), [](const QString& joined) { return joined.size() < SHORTEST_FORM; });
}

QString WordForms::otherSpelling() const
{
    for (const auto& [one, other] : SPELLINGS) {
        if (_word == one || (_plural && _others.contains(one)))
            return other;
        if (_word == other || (_plural && _others.contains(other)))
            return one;
    }
    return QString();
}

QString WordForms::joinedPhrase(const QString& first, const QString& second)
{
    const QString joined = (first + QLatin1Char('-') + second).toLower();
    return joints(joined).size() == 1 && !WordForms(joined).otherSpelling().isEmpty() ? joined : QString();
}

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
