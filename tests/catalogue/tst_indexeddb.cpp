// The word search over a catalogue tree and the word matchers behind it.

#include "catalogue/expressionmatcherutf.h"
#include "catalogue/staticdb.h"
#include "catalogue/stringmatcherutf.h"
#include "core/bxsettings.h"
#include "tools/staticdbwriter/foodrecord.h"
#include "tools/staticdbwriter/staticdbwriter.h"

#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

CatalogueNode food(quint32 id, const QByteArray& name, unsigned char flags = 0)
{
    FoodRecord record;
    record.displayName = name;
    record.referenceQuantity = 100.0f;
    return CatalogueNode::makeItem(id, name, id, record.encode(), flags);
}

// Fruit (Apples (Raw, Apples, raw), Apple, raw, Apple pie, apple sauce), Brands (Brands cola),
// CAFE au lait (with a capital E acute), XYZ bar, and foods whose names a search finds in
// another form of the word typed, or not at all.
CatalogueNode tree()
{
    CatalogueNode apples = CatalogueNode::makeCategory(20, "Apples", FLAG_GENERIC);
    apples.children = {food(1, "Raw", FLAG_GENERIC), food(2, "Apples, raw")};
    CatalogueNode fruit = CatalogueNode::makeCategory(10, "Fruit", FLAG_GENERIC);
    fruit.children = {apples, food(3, "Apple, raw"), food(4, "Apple pie"), food(5, "apple sauce", FLAG_GENERIC)};
    CatalogueNode brands = CatalogueNode::makeCategory(11, "Brands", FLAG_NON_MATCHABLE);
    brands.children = {food(6, "Brands cola")};
    CatalogueNode root = CatalogueNode::makeCategory(0, "Foods");
    root.children = {fruit, brands, food(7, "CAF\xC9 au lait"), food(8, "XYZ bar"),
                     food(30, "Egg, whole"), food(31, "Egg rolls"), food(32, "Peanuts"),
                     food(33, "Soup, pea"), food(34, "Strawberries, raw"), food(35, "Fish, anchovy")};
    return root;
}

} // namespace

class TestIndexedDB : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void splitsWords();
    void matchesWordsIgnoringCase_data();
    void matchesWordsIgnoringCase();
    void matchesUtf8Names_data();
    void matchesUtf8Names();
    void checksTermsUsable();
    void unusableTermsMatchNothing_data();
    void unusableTermsMatchNothing();
    void searchesThirtyOneWords();
    void findsOtherFormsAsWholeWords_data();
    void findsOtherFormsAsWholeWords();
    void matchesThroughCategoryNames();
    void excludesWords();
    void ignoresEmptyExclusions();
    void skipsNonMatchableNames();
    void requiresFlags();
    void resetMatchesEverything();
    void matchesExpressions();

private:
    // The search bits of the record with this id and kind.
    int searchBits(quint32 id, bool category = false) const;
    QStringList matchingItems() const;

    QTemporaryDir _dir;
    std::unique_ptr<StaticDB> _db;
};

void TestIndexedDB::initTestCase()
{
    QVERIFY(_dir.isValid());
    BXSettings::setResourceDBPath(_dir.path() + QLatin1Char('/'));
    StaticDBWriter writer(QDate(2024, 1, 1));
    writer.addChunk(StaticDB::FOOD_CHUNK, tree());
    QSaveFile file(_dir.filePath(QStringLiteral("static.db")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(writer.toByteArray());
    QVERIFY(file.commit());
}

void TestIndexedDB::init()
{
    _db = std::make_unique<StaticDB>(StaticDB::FOOD_CHUNK);
}

void TestIndexedDB::cleanup()
{
    _db.reset();
}

int TestIndexedDB::searchBits(quint32 id, bool category) const
{
    const std::vector<BrowsableDBItem>& items = _db->getItems();
    for (size_t i = 0; i < items.size(); ++i) {
        const unsigned char flags = _db->getFlags()[i];
        if (items[i].id == id && ((flags & FLAG_CATEGORY) != 0) == category)
            return flags & FLAG_SEARCH_BITS;
    }
    return -1;
}

QStringList TestIndexedDB::matchingItems() const
{
    QStringList names;
    auto it = _db->getFlattenedChildren(FLAG_SEARCH_MATCH, FLAG_CATEGORY);
    while (it->next())
        names << QString::fromLatin1(it->name());
    names.sort();
    return names;
}

void TestIndexedDB::splitsWords()
{
    std::vector<QString> words{QStringLiteral("kept")};
    QCOMPARE(getWordsIntoVector(words, QStringLiteral("  App\t-pie\n x ")), 1);
    QCOMPARE(words, std::vector<QString>({"kept", "App", "-pie", "x"}));
    words.clear();
    QCOMPARE(getWordsIntoVector(words, QStringLiteral(" \t ")), 0);
    QVERIFY(words.empty());
}

void TestIndexedDB::matchesWordsIgnoringCase_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("found");
    QTest::newRow("inside") << "apple" << QByteArray("Pineapple juice") << true;
    QTest::newRow("upper word") << "APPLE" << QByteArray("apple") << true;
    QTest::newRow("upper text") << "apple" << QByteArray("APPLE PIE") << true;
    QTest::newRow("at the end") << "pie" << QByteArray("Apple pie") << true;
    QTest::newRow("shifted by a repeat") << "aab" << QByteArray("aaab") << true;
    QTest::newRow("longer than text") << "apples" << QByteArray("appl") << false;
    QTest::newRow("singular of es") << "peaches" << QByteArray("Peach, raw") << true;
    QTest::newRow("form after a longer word") << "peas" << QByteArray("Peanuts, pea") << true;
    QTest::newRow("singular, joined") << "wheelbarrows" << QByteArray("Pushing a wheelbarrow or cart") << true;
    QTest::newRow("os of oes") << "mangoes" << QByteArray("Mangos, raw") << true;
    QTest::newRow("f of ves") << "leaves" << QByteArray("Spices, bay leaf") << true;
    QTest::newRow("i of ies") << "chilies" << QByteArray("Peppers, hot chili, red, raw") << true;
    QTest::newRow("one letter") << "s" << QByteArray("Peas") << true;
    QTest::newRow("singular after a hyphen") << "fries" << QByteArray("Tortillas, ready-to-bake or -fry") << false;
    QTest::newRow("absent") << "pear" << QByteArray("Apple pie") << false;
    QTest::newRow("hyphen as written") << "sugar-free" << QByteArray("Energy drink, sugar-free") << true;
    QTest::newRow("hyphen left out") << "low-fat" << QByteArray("Milk, lowfat, fluid") << true;
    QTest::newRow("hyphens as spaces") << "half-and-half" << QByteArray("Cream, fluid, half and half") << true;
    QTest::newRow("hyphen apart, plural") << "ice-cream" << QByteArray("Ice creams, vanilla") << true;
    QTest::newRow("hyphen joined, singular") << "chick-peas" << QByteArray("Soup, chickpea") << true;
    QTest::newRow("hyphen joined, no part") << "chick-peas" << QByteArray("Chickpeaflour") << false;
    QTest::newRow("hyphen, parts elsewhere") << "low-fat" << QByteArray("Fat, low sodium") << true;
    QTest::newRow("hyphen, a part missing") << "t-bone" << QByteArray("Fish, bone meal") << false;
    QTest::newRow("hyphen, ending as typed") << "x-" << QByteArray("x ray") << false;
    QTest::newRow("hyphen, a short part only joined") << "bar-b-q" << QByteArray("Squash, winter, hubbard") << false;
    QTest::newRow("short words closed up") << "a-1" << QByteArray("Sauce, A1 steak") << true;
    QTest::newRow("short words as written") << "b-b-q" << QByteArray("Chips, B-B-Q") << true;
    QTest::newRow("short words apart") << "a-1" << QByteArray("Milk, 1%, with vitamin A") << false;
    QTest::newRow("typographic apostrophe") << QString::fromUtf8("kellogg’s") << QByteArray("Snacks, KELLOGG'S") << true;
    QTest::newRow("typographic apostrophe, absent") << QString::fromUtf8("hershey’s") << QByteArray("Tomatoes, red") << false;
    QTest::newRow("typographic quote") << QString::fromUtf8("0”") << QByteArray("trimmed to 0\" fat") << true;
    QTest::newRow("no such letter") << QString::fromUtf8("š") << QByteArray("Peas") << false;
    QTest::newRow("other spelling") << "donuts" << QByteArray("Doughnuts, cake-type") << true;
    QTest::newRow("other spelling, back") << "catsup" << QByteArray("Ketchup") << true;
    QTest::newRow("accent typed small") << QString::fromUtf8("caf\u00e9") << QByteArray("CAF\xC9") << false;
    QTest::newRow("accent typed capital") << QString::fromUtf8("CAF\u00c9") << QByteArray("caf\xE9") << true;
}

void TestIndexedDB::matchesWordsIgnoringCase()
{
    QFETCH(QString, word);
    QFETCH(QByteArray, text);
    QFETCH(bool, found);
    QCOMPARE(StringMatcherUtf(word)(text.constData(), int(text.size())), found);
}

void TestIndexedDB::matchesUtf8Names_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");
    QTest::newRow("ascii word") << "mix" << QString::fromUtf8("Trail MIX à la maison") << true;
    QTest::newRow("ascii word absent") << "soup" << QString::fromUtf8("Борщ") << false;
    QTest::newRow("cyrillic, other case") << QString::fromUtf8("борщ")
                                          << QString::fromUtf8("Борщ red") << true;
    QTest::newRow("accented capitals") << QString::fromUtf8("BRÛLÉE")
                                       << QString::fromUtf8("Crème brûlée") << true;
    QTest::newRow("emoji") << QString::fromUtf8("🍜") << QString::fromUtf8("Pho 🍜") << true;
    QTest::newRow("accent not dropped") << QString::fromUtf8("crème") << "Creme" << false;
    QTest::newRow("singular, accented") << QString::fromUtf8("CAFÉS") << QString::fromUtf8("Glace au café") << true;
    QTest::newRow("hyphen as a space, accented") << QString::fromUtf8("crème-brûlée")
                                                 << QString::fromUtf8("Crème Brûlée") << true;
    QTest::newRow("hyphen left out, ascii") << "hot-dog" << QString::fromUtf8("Hotdog à la maison") << true;
    QTest::newRow("apostrophe, typographic in the name") << "grandma's" << QString::fromUtf8("Grandma’s scone") << true;
    QTest::newRow("typographic apostrophe typed") << QString::fromUtf8("grandma‘s") << "Grandma's scone" << true;
}

void TestIndexedDB::matchesUtf8Names()
{
    QFETCH(QString, word);
    QFETCH(QString, name);
    QFETCH(bool, found);
    const QByteArray text = name.toUtf8();
    const StringMatcherUtf matcher(word, StringMatcherUtf::Encoding::Utf8);
    QCOMPARE(matcher(text.constData(), int(text.size())), found);
}

void TestIndexedDB::checksTermsUsable()
{
    QVERIFY(!_db->applySearchTerms(QStringLiteral("ap"), true, 0));
    QVERIFY(!_db->applySearchTerms(QStringLiteral("ap -xy"), true, 0));
    QVERIFY(_db->applySearchTerms(QStringLiteral("ap -xyz"), true, 0));
    QVERIFY(_db->applySearchTerms(QStringLiteral("app -pie"), true, 0));
    QCOMPARE(searchBits(4), int(FLAG_SEARCH_BITS)); // checking marks nothing
    QVERIFY(!_db->applySearchTerms(QStringLiteral(" \t "), false, 0));
    QCOMPARE(searchBits(4), int(FLAG_SEARCH_BITS)); // nor do blank terms
    QVERIFY(_db->applySearchTerms(QStringLiteral("app -pie"), false, 0));
    QCOMPARE(searchBits(4), 0);
}

void TestIndexedDB::unusableTermsMatchNothing_data()
{
    QTest::addColumn<QString>("terms");
    QTest::newRow("short") << QStringLiteral("ap");
    QTest::newRow("short with exclusion") << QStringLiteral("ap -xy");
    QTest::newRow("lone dash") << QStringLiteral("-");
    QTest::newRow("dashes") << QStringLiteral("- - -");
    QTest::newRow("only exclusions") << QStringLiteral("-xyz -pie");
    QTest::newRow("32 words") << QStringLiteral("apple ").repeated(32);
}

void TestIndexedDB::unusableTermsMatchNothing()
{
    QFETCH(QString, terms);
    QVERIFY(!_db->applySearchTerms(terms, true, 0));
    QVERIFY(_db->applySearchTerms(terms, false, 0));
    for (unsigned char flags : _db->getFlags())
        QCOMPARE(flags & FLAG_SEARCH_BITS, 0);
    QVERIFY(matchingItems().isEmpty());
    QVERIFY(!_db->hasChildren(_db->getRootId(), FLAG_SEARCH_MATCH, 0));
}

void TestIndexedDB::searchesThirtyOneWords()
{
    QVERIFY(_db->applySearchTerms(QStringLiteral("apple ").repeated(31), false, 0));
    QCOMPARE(searchBits(8), 0);
    QCOMPARE(searchBits(4), int(FLAG_SEARCH_MATCH));
}

void TestIndexedDB::findsOtherFormsAsWholeWords_data()
{
    QTest::addColumn<QString>("terms");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("singular") << "eggs" << QStringList({"Egg, whole"});
    QTest::newRow("not in a longer word") << "peas" << QStringList({"Soup, pea"});
    QTest::newRow("plural") << "strawberry" << QStringList({"Strawberries, raw"});
    QTest::newRow("y of ies, upper case") << "ANCHOVIES" << QStringList({"Fish, anchovy"});
    QTest::newRow("excluded in any form") << "raw -strawberry" << QStringList({"Apple, raw", "Apples, raw", "Raw"});
    QTest::newRow("closed up, words of the names") << "APPLESAUCE" << QStringList({"apple sauce"});
    QTest::newRow("closed up, no words of the names") << "applepies" << QStringList();
}

void TestIndexedDB::findsOtherFormsAsWholeWords()
{
    QFETCH(QString, terms);
    QFETCH(QStringList, found);
    QVERIFY(_db->applySearchTerms(terms, false, 0));
    QCOMPARE(matchingItems(), found);
}

void TestIndexedDB::matchesThroughCategoryNames()
{
    QVERIFY(_db->applySearchTerms(QStringLiteral("raw apples"), false, 0));
    QCOMPARE(matchingItems(), QStringList({"Apple, raw", "Apples, raw", "Raw"}));
    QCOMPARE(searchBits(20, true), int(FLAG_SEARCH_BITS));
    QCOMPARE(searchBits(10, true), int(FLAG_SEARCH_BITS));
    QCOMPARE(searchBits(1), int(FLAG_SEARCH_MATCH));
}

void TestIndexedDB::excludesWords()
{
    QVERIFY(_db->applySearchTerms(QStringLiteral("apple -raw"), false, 0));
    // The category Apples matches on its own, so its whole subtree stays.
    QCOMPARE(matchingItems(), QStringList({"Apple pie", "Apples, raw", "Raw", "apple sauce"}));
    QCOMPARE(searchBits(20, true), int(FLAG_SEARCH_MATCH));
    QCOMPARE(searchBits(10, true), int(FLAG_SEARCH_BITS));
    QCOMPARE(searchBits(3), 0);
}

void TestIndexedDB::ignoresEmptyExclusions()
{
    QVERIFY(_db->applySearchTerms(QStringLiteral("apple"), false, 0));
    const QStringList plain = matchingItems();
    QVERIFY(_db->applySearchTerms(QStringLiteral("- apple -"), false, 0));
    QCOMPARE(matchingItems(), plain);
    QVERIFY(_db->applySearchTerms(QStringLiteral("apple - -raw"), false, 0));
    QCOMPARE(matchingItems(), QStringList({"Apple pie", "Apples, raw", "Raw", "apple sauce"}));
}

void TestIndexedDB::skipsNonMatchableNames()
{
    QVERIFY(_db->applySearchTerms(QStringLiteral("brands"), false, 0));
    QCOMPARE(matchingItems(), QStringList({"Brands cola"}));
    QCOMPARE(searchBits(11, true), int(FLAG_SEARCH_BITS));
    QVERIFY(_db->applySearchTerms(QStringLiteral("brands cola"), false, 0));
    QCOMPARE(matchingItems(), QStringList({"Brands cola"}));
    QVERIFY(_db->applySearchTerms(QStringLiteral("brands -cola"), false, 0));
    QCOMPARE(searchBits(11, true), 0);
}

void TestIndexedDB::requiresFlags()
{
    QVERIFY(_db->applySearchTerms(QStringLiteral("apple"), false, FLAG_GENERIC));
    // A matching category brings its whole subtree, generic or not.
    QCOMPARE(matchingItems(), QStringList({"Apples, raw", "Raw", "apple sauce"}));
    QCOMPARE(searchBits(4), 0);
    QCOMPARE(searchBits(11, true), 0);
    QCOMPARE(searchBits(6), 0);
}

void TestIndexedDB::resetMatchesEverything()
{
    QVERIFY(_db->applySearchTerms(QStringLiteral("xyz"), false, 0));
    QCOMPARE(matchingItems(), QStringList({"XYZ bar"}));
    _db->resetSearchTerms();
    QCOMPARE(matchingItems().size(), 14);
    for (unsigned char flags : _db->getFlags())
        QCOMPARE(flags & FLAG_SEARCH_BITS, int(FLAG_SEARCH_MATCH));
}

void TestIndexedDB::matchesExpressions()
{
    const ExpressionMatcherUtf matcher(QStringLiteral("APPLE -pie"));
    QVERIFY(matcher("Apple, raw", 10));
    QVERIFY(!matcher("Apple pie", 9));
    QVERIFY(!matcher("Pear", 4));
    QVERIFY(ExpressionMatcherUtf::isValidExpression(QStringLiteral("apple -pie")));
    QVERIFY(!ExpressionMatcherUtf::isValidExpression(QStringLiteral("apple -p")));
    QVERIFY(!ExpressionMatcherUtf::isValidExpression(QStringLiteral(" ")));
}

QTEST_GUILESS_MAIN(TestIndexedDB)
#include "tst_indexeddb.moc"
