#ifndef PANTREL_CATALOGUE_WORDFORMS_H
#define PANTREL_CATALOGUE_WORDFORMS_H

#include <QStringList>

#include <vector>

// The forms in which a search finds a word: the word itself and its simple English singular or
// plural, read from its ending ("eggs" and "egg", "berry" and "berries", "peach" and "peaches",
// "tomato" with "tomatos" and "tomatoes", "mangoes" with "mango" and "mangos", "anchovies" with
// "anchovy", "anchovie" and "anchovi", "chilies" with "chili", "leaves" with "leave", "leaf" and
// "leafe", "leaf" with "leafs" and "leaves", "knife" with "knifes" and "knives"). A word
// ending in "s" (but not "ss" or "us") is taken as a plural, any other as a singular; a word
// that does not end in a letter has no other form. Forms shorter than three characters are
// left out, as a search word that short finds too much. Both the word search and the ranking
// of its hits take their forms from here, and so do they the words' other spellings and the
// words that a hyphen joins.
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

    // The places of the hyphens that join two words into one, with a letter or digit on both
    // sides ("low-fat", "half-and-half"; not the one of "-fry").
    static std::vector<qsizetype> joints(QStringView word);
    // The word written with those hyphens as spaces and then with them left out ("low fat" and
    // "lowfat"); none for a word without them.
    static QStringList apartAndJoined(const QString& word);
    // The words that those hyphens join ("low", "fat"); none for a word without them.
    static QStringList joinedWords(const QString& word);
    // Whether the joined words are found also apart, anywhere in a name: each has three
    // characters or more ("skim-milk"), as a shorter one ("t" of "t-bone") stands almost
    // anywhere, and none after the first is "free" or "less", which say that the first is
    // not there ("salt-free").
    static bool standsApart(const QString& word);
    // Whether the word joins only words of one or two characters ("a-1", "b-b-q", "7-up"),
    // which mean something only together: it is written with its hyphens or closed up.
    static bool ofShortWords(const QString& word);
    // The other spelling of a word written two common ways ("doughnut" for "donut" or "donuts",
    // "catsup" for "ketchup"), lowered, or an empty text. The pairs are the singulars of
    // donut/doughnut, ketchup/catsup, yoghurt/yogurt, whisky/whiskey, kebab/kabob, chilli/chili
    // and omelette/omelet; the British and American aubergine/eggplant, courgette/zucchini,
    // wholemeal/whole-wheat, flavour/flavor, flavoured/flavored, fibre/fiber and bun/roll; and
    // what people type for what the catalogue writes otherwise: stir-fry/stir-fried,
    // sugar-free/sugarless, x-large/extra-large, tomato-ketchup/catsup. A word of the pair
    // written with a hyphen is two words typed apart too ("tomato ketchup", see joinedPhrase).
    QString otherSpelling() const;
    // The two words joined by a hyphen where the pairs above hold them so ("tomato-ketchup"
    // for "tomato" and "Ketchup"), else an empty text.
    static QString joinedPhrase(const QString& first, const QString& second);

private:
    QString _word;
    QStringList _others;
    bool _plural = false;
};

#endif
