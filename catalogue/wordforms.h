#ifndef PANTREL_CATALOGUE_WORDFORMS_H
#define PANTREL_CATALOGUE_WORDFORMS_H

#include <QStringList>

// The forms in which a search finds a word: the word itself and its simple English singular or
// plural, read from its ending ("eggs" and "egg", "berry" and "berries", "peach" and "peaches",
// "tomato" with "tomatos" and "tomatoes", "mangoes" with "mango" and "mangos", "anchovies" with
// "anchovy" and "anchovie", "leaves" with "leave", "leaf" and "leafe", "knives" with "knife"). A word
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

private:
    QString _word;
    QStringList _others;
    bool _plural = false;
};

#endif
