#include "catalogue/searchrank.h"

#include "catalogue/stringmatcherutf.h"
#include "catalogue/wordforms.h"

#include <QStringList>

#include <algorithm>
#include <cstring>

namespace {

constexpr int NAMES_THE_FOOD = 4;
constexpr int LATER_AS_TYPED = 3;
constexpr int HOLDS_AS_TYPED = 2;
constexpr int LATER_IN_OTHER_FORM = 1;
constexpr int ONLY_OTHER_FORMS = 0;

bool isLatin1(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 256; });
}

bool equalsIgnoringCase(QByteArrayView text, const QByteArray& lowered)
{
    return text.size() == lowered.size() && text.compare(lowered, Qt::CaseInsensitive) == 0;
}

bool holds(QLatin1StringView name, const QByteArray& lowered)
{
    return name.contains(QLatin1StringView(lowered), Qt::CaseInsensitive);
}

} // namespace

SearchRank::SearchRank(const QString& terms)
{
    std::vector<QString> words;
    getWordsIntoVector(words, terms);
    QStringList searched;
    for (const QString& word : words) {
        if (!word.startsWith(QLatin1Char('-')))
            searched << word;
    }
    const qsizetype wordCount = searched.size();
    if (wordCount > 1)
        searched << searched.join(QLatin1Char(' '));
    for (qsizetype i = 0; i < searched.size(); ++i) {
        if (!isLatin1(searched.at(i)))
            continue;
        const WordForms forms(searched.at(i));
        Searched text{forms.word().toLatin1(), {}, {}};
        for (const QString& form : forms.others()) {
            text.others.push_back(form.toLatin1());
            if (i < wordCount && !form.contains(forms.word()))
                text.apart.push_back(text.others.back());
        }
        _searched.push_back(std::move(text));
    }
}

qint64 SearchRank::of(const BrowsableDBItem& item) const
{
    return (qint64(_tier(item.name)) << 32) + qint32(item.weight);
}

int SearchRank::_tier(const char* name) const
{
    bool laterInOtherForm = false;
    for (const char* start = name;;) {
        const char* end = std::strchr(start, ',');
        const Match match = _match(QByteArrayView(start, end ? end : start + std::strlen(start)));
        if (start == name && match != Match::None)
            return NAMES_THE_FOOD;
        if (match == Match::Typed)
            return LATER_AS_TYPED;
        laterInOtherForm = laterInOtherForm || match == Match::Other;
        if (!end)
            break;
        start = end + 1;
    }
    if (!_holdsOnlyOtherForms(QLatin1StringView(name)))
        return HOLDS_AS_TYPED;
    return laterInOtherForm ? LATER_IN_OTHER_FORM : ONLY_OTHER_FORMS;
}

SearchRank::Match SearchRank::_match(QByteArrayView segment) const
{
    const QByteArrayView trimmed = segment.trimmed();
    const auto typed = [trimmed](const Searched& text) { return equalsIgnoringCase(trimmed, text.typed); };
    if (std::any_of(_searched.begin(), _searched.end(), typed))
        return Match::Typed;
    const auto other = [trimmed](const Searched& text) {
        return std::any_of(text.others.begin(), text.others.end(),
                           [trimmed](const QByteArray& form) { return equalsIgnoringCase(trimmed, form); });
    };
    return std::any_of(_searched.begin(), _searched.end(), other) ? Match::Other : Match::None;
}

// A name that holds neither form of a word was found through its category.
bool SearchRank::_holdsOnlyOtherForms(QLatin1StringView name) const
{
    return std::any_of(_searched.begin(), _searched.end(), [name](const Searched& text) {
        return !text.apart.empty() && !holds(name, text.typed)
            && std::any_of(text.apart.begin(), text.apart.end(),
                           [name](const QByteArray& form) { return holds(name, form); });
    });
}
