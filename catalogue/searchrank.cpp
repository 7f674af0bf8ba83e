#include "catalogue/searchrank.h"

#include "catalogue/stringmatcherutf.h"
#include "catalogue/wordforms.h"

#include <QStringList>

#include <algorithm>
#include <cstring>

namespace {

constexpr int NAMES_THE_FOOD = 2;
constexpr int NAMES_A_SORT = 1;

bool isLatin1(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 256; });
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
    if (searched.size() > 1)
        searched << searched.join(QLatin1Char(' '));
    for (const QString& text : searched) {
        if (!isLatin1(text))
            continue;
        const WordForms forms(text);
        _forms.push_back(forms.word().toLatin1());
        for (const QString& form : forms.others())
            _forms.push_back(form.toLatin1());
    }
}

qint64 SearchRank::of(const BrowsableDBItem& item) const
{
    return (qint64(_tier(item.name)) << 32) + qint32(item.weight);
}

int SearchRank::_tier(const char* name) const
{
    int tier = NAMES_THE_FOOD;
    for (const char* start = name;; tier = NAMES_A_SORT) {
        const char* end = std::strchr(start, ',');
        if (_isSearched(QByteArrayView(start, end ? end : start + std::strlen(start))))
            return tier;
        if (!end)
            return 0;
        start = end + 1;
    }
}

bool SearchRank::_isSearched(QByteArrayView segment) const
{
    const QByteArrayView trimmed = segment.trimmed();
    return std::any_of(_forms.begin(), _forms.end(), [trimmed](const QByteArray& form) {
        return trimmed.size() == form.size() && trimmed.compare(form, Qt::CaseInsensitive) == 0;
    });
}
