#ifndef PANTREL_CATALOGUE_WORDFORMS_H
#define PANTREL_CATALOGUE_WORDFORMS_H

#include <QStringList>

// The forms in which a search finds a word: the word itself and its simple English singular or
// plural, read from its ending ("eggs" and "egg", "berry" and "berries", "peach" and "peaches",
// "tomato" with "tomatos" and "tomatoes", "mangoes" with "mango" and "mangos", "anchovies" with
// "anchovy", "anchovie" and "anchovi", "chilies" with "chili", "leaves" with "leave", "leaf" and
// "leafe", "leaf" with "leafs" and "leaves", "knife" with "knifes" and "knives"). A word
// ending in "s" (but not "ss" or "us") is taken as a plural, any other as a singular; a word
// that does not end in a letter has no other form. Forms shorter than three characters are
// left out, as a search word that short finds too much. Both the word search and the ranking
// of its hits take their forms from here.
class WordForms {
public:
    explicit WordForms(const QString& word);

    // The word, lowered.
    const QString& word() const { return _word; }
    // Its other forms, lowered: its singulars when it is a plural, else its plurals.
    const QStringList& others() const { return _others; }
    bool isPlural() const { return _plural; }

    // Whether a word, in any case, reads as a plural by the rule above ("Nuts", "foods").
    static bool readsAsPlural(QLatin1StringView word);

private:
    QString _word;
    QStringList _others;
    bool _plural = false;
};

#endif
