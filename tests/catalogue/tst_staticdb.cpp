// Loading the catalogue file: the tree it gives, the header and directory checks, and the
// guards that keep a corrupt or truncated file from being read past its end.

#include "catalogue/memmappedfile.h"
#include "catalogue/staticdb.h"
#include "core/bxsettings.h"
#include "tools/staticdbwriter/exerciserecord.h"
#include "tools/staticdbwriter/foodrecord.h"
#include "tools/staticdbwriter/staticdbwriter.h"

#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray foodRecord(quint32 group)
{
    FoodRecord record;
    record.rankingGroup = group;
    record.displayName = "Food";
    record.nutrients = {{FoodRecord::ENERGY, 52.0f}, {FoodRecord::SUGAR, 10.0f}};
    record.referenceQuantity = 100.0f;
    record.servings = {{182.0f, "medium"}};
    return record.encode();
}

QByteArray exerciseRecord(float rate)
{
    ExerciseRecord record;
    record.burnRate = rate;
    return record.encode();
}

// Foods: Fruit (Apples (Apple, raw), Banana, Cherry), Vegetables (empty), Bread.
CatalogueNode foods()
{
    CatalogueNode apples = CatalogueNode::makeCategory(12, "Apples");
    apples.children.push_back(CatalogueNode::makeItem(101, "Apple, raw", 5, foodRecord(12)));
    CatalogueNode fruit = CatalogueNode::makeCategory(10, "Fruit");
    fruit.children.push_back(CatalogueNode::makeItem(102, "Banana", 4, foodRecord(10), FLAG_GENERIC));
    fruit.children.push_back(apples);
    fruit.children.push_back(CatalogueNode::makeItem(103, "Cherry", 3, foodRecord(10)));
    CatalogueNode root = CatalogueNode::makeCategory(0, "Foods");
    root.children.push_back(fruit);
    root.children.push_back(CatalogueNode::makeCategory(11, "Vegetables"));
    root.children.push_back(CatalogueNode::makeItem(104, "Bread", 2, foodRecord(0)));
    return root;
}

CatalogueNode exercises()
{
    CatalogueNode running = CatalogueNode::makeCategory(0xF0000C, "Running");
    running.children.push_back(CatalogueNode::makeItem(12020, "Jogging, general", 1, exerciseRecord(0.1225f)));
    CatalogueNode root = CatalogueNode::makeCategory(0, "Exercises");
    root.children.push_back(running);
    return root;
}

QByteArray catalogue(const CatalogueNode& foodTree = foods(), const CatalogueNode& exerciseTree = exercises())
{
    StaticDBWriter writer(QDate(2024, 3, 5));
    writer.addChunk(StaticDB::FOOD_CHUNK, foodTree);
    writer.addChunk(StaticDB::EXERCISE_CHUNK, exerciseTree);
    return writer.toByteArray();
}

// The foods with Bread (id 104, a child of the root) changed by change.
template <typename Change>
QByteArray withBread(Change change)
{
    CatalogueNode tree = foods();
    change(tree.children[2]);
    return catalogue(tree);
}

QByteArray breadWithNutrientSlot(int slot)
{
    FoodRecord record;
    record.displayName = "Bread";
    record.nutrients = {{slot, 1.0f}};
    return withBread([&](CatalogueNode& bread) { bread.record = record.encode(); });
}

QStringList names(std::unique_ptr<BrowsableDBIterator> it)
{
    QStringList result;
    while (it && it->next())
        result << QString::fromLatin1(it->name());
    return result;
}

void putU32(QByteArray& bytes, int at, quint32 value)
{
    qToBigEndian(value, bytes.data() + at);
}

} // namespace

class TestStaticDB : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void loadsTreeAsStored();
    void walksChildrenByFlags();
    void rejectsBadHeader_data();
    void rejectsBadHeader();
    void findsChunksInAnyOrder();
    void missingChunkFailsOnlyThatChunk();
    void missingFileNamesThePath();
    void sharesOneMappingAndReleasesIt();
    void releasesOnlyTakenMappings();
    void rejectsBadStructure_data();
    void rejectsBadStructure();
    void rejectsEveryTruncation();
    void checksReferences_data();
    void checksReferences();
    void rejectsFoundFaults_data();
    void rejectsFoundFaults();
    void survivesCorruptBytes();
    void mapsWholeFile();

private:
    void install(const QByteArray& bytes);
    QString loadError(int chunkId);
    QString corruptAtLoad(const char* problem) const
    {
        return QStringLiteral("Static food/exercise database %1 is corrupt (%2). Please reinstall the software.")
            .arg(_dir.filePath(QStringLiteral("static.db")), QLatin1String(problem));
    }

    QTemporaryDir _dir;
};

void TestStaticDB::initTestCase()
{
    QVERIFY(_dir.isValid());
    BXSettings::setResourceDBPath(_dir.path() + QLatin1Char('/'));
}

void TestStaticDB::install(const QByteArray& bytes)
{
    QSaveFile file(_dir.filePath(QStringLiteral("static.db")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    QVERIFY(file.commit());
}

QString TestStaticDB::loadError(int chunkId)
{
    bool failed = false;
    StaticDB db(chunkId, &failed);
    if (!failed)
        return QString();
    // A failed store offers only an empty root: browsing or searching it finds nothing.
    const std::unique_ptr<BrowsableDBIterator> children = db.getChildren(db.getRootId(), 0, 0);
    if (db.getItems().size() != 1 || !children || children->next()
        || db.getFlattenedChildren(0, 0)->next() || !db.applySearchTerms(QStringLiteral("apple"), false, 0))
        return QStringLiteral("a failed load left more than an empty root");
    return QString::fromStdString(db.errorMessage());
}

void TestStaticDB::loadsTreeAsStored()
{
    install(catalogue());
    bool failed = true;
    StaticDB db(StaticDB::FOOD_CHUNK, &failed);
    QVERIFY(!failed);
    QCOMPARE(QByteArray(db.getCreationDate()), QByteArray("2024-03-05"));
    QCOMPARE(db.getRootId(), 0);
    QCOMPARE(names(db.getChildCategories(0)), QStringList({"Fruit", "Vegetables"}));
    QCOMPARE(names(db.getChildItems(0)), QStringList({"Bread"}));
    QCOMPARE(names(db.getChildren(10, 0, 0)), QStringList({"Apples", "Banana", "Cherry"}));

    const std::vector<BrowsableDBItem>& items = db.getItems();
    QCOMPARE(items.back().id, 0u);
    for (unsigned char flags : db.getFlags())
        QCOMPARE(flags & FLAG_SEARCH_BITS, int(FLAG_SEARCH_BITS));

    auto it = db.getChildItems(12);
    QVERIFY(it->next());
    QCOMPARE(it->id(), 101u);
    QCOMPARE(it->weight(), 5u);
    const std::optional<FoodRecord> record = FoodRecord::decode(it->data(), db.getMappingEnd());
    QVERIFY(record);
    QCOMPARE(record->rankingGroup, 12u);
    QCOMPARE(record->servings.size(), size_t(1));
    QVERIFY(!it->next());
}

void TestStaticDB::walksChildrenByFlags()
{
    install(catalogue());
    StaticDB db(StaticDB::FOOD_CHUNK);
    QVERIFY(!db.hasChildren(11, 0, 0));
    QVERIFY(db.hasChildren(10, 0, 0));
    QVERIFY(!db.hasChildren(101, 0, 0));
    QVERIFY(!db.getChildren(101, 0, 0));
    QCOMPARE(names(db.getChildItems(10)), QStringList({"Banana", "Cherry"}));
    QCOMPARE(names(db.getChildren(10, FLAG_GENERIC, 0)), QStringList({"Banana"}));
    QCOMPARE(names(db.getChildren(10, 0, FLAG_GENERIC | FLAG_CATEGORY)), QStringList({"Cherry"}));

    const QStringList flattened = names(db.getFlattenedChildren(0, 0));
    QCOMPARE(flattened.size(), int(db.getItems().size()) - 1);
    QVERIFY(!flattened.contains("Foods"));
    QCOMPARE(names(db.getFlattenedChildren(0, FLAG_CATEGORY)).size(), 4);
}

void TestStaticDB::rejectsBadHeader_data()
{
    QTest::addColumn<int>("at");
    QTest::addColumn<char>("value");
    QTest::newRow("version 2") << 35 << char(2);
    QTest::newRow("magic without its NUL") << 31 << char(1);
    QTest::newRow("magic text") << 0 << 'd';
}

void TestStaticDB::rejectsBadHeader()
{
    QFETCH(int, at);
    QFETCH(char, value);
    QByteArray bytes = catalogue();
    bytes[at] = value;
    install(bytes);
    QCOMPARE(loadError(StaticDB::FOOD_CHUNK),
             corruptAtLoad("bad header"));
}

void TestStaticDB::findsChunksInAnyOrder()
{
    QByteArray bytes = catalogue();
    // Swap the two directory entries.
    const QByteArray first = bytes.mid(64, 8);
    bytes.replace(64, 8, bytes.mid(72, 8));
    bytes.replace(72, 8, first);
    install(bytes);
    QCOMPARE(loadError(StaticDB::FOOD_CHUNK), QString());
    QCOMPARE(loadError(StaticDB::EXERCISE_CHUNK), QString());
    StaticDB db(StaticDB::EXERCISE_CHUNK);
    QCOMPARE(names(db.getChildItems(0xF0000C)), QStringList({"Jogging, general"}));
}

void TestStaticDB::missingChunkFailsOnlyThatChunk()
{
    StaticDBWriter writer(QDate(2024, 3, 5));
    writer.addChunk(StaticDB::FOOD_CHUNK, foods());
    install(writer.toByteArray());
    QCOMPARE(loadError(StaticDB::FOOD_CHUNK), QString());
    QCOMPARE(loadError(StaticDB::EXERCISE_CHUNK),
             corruptAtLoad("missing chunk"));
}

void TestStaticDB::missingFileNamesThePath()
{
    const QString path = _dir.filePath(QStringLiteral("static.db"));
    QFile::remove(path);
    QCOMPARE(loadError(StaticDB::FOOD_CHUNK),
             QStringLiteral("Couldn't load food/exercise database %1: No such file or directory.").arg(path));
    install(QByteArray());
    QCOMPARE(loadError(StaticDB::FOOD_CHUNK),
             QStringLiteral("Couldn't load food/exercise database %1: The file is empty.").arg(path));
}

void TestStaticDB::sharesOneMappingAndReleasesIt()
{
    install(catalogue());
    {
        StaticDB foods(StaticDB::FOOD_CHUNK);
        StaticDB exercises(StaticDB::EXERCISE_CHUNK);
        QCOMPARE(foods.getMappingEnd(), exercises.getMappingEnd());
    }
    StaticDBWriter writer(QDate(2025, 1, 2));
    writer.addChunk(StaticDB::FOOD_CHUNK, foods());
    install(writer.toByteArray());
    StaticDB db(StaticDB::FOOD_CHUNK);
    QCOMPARE(QByteArray(db.getCreationDate()), QByteArray("2025-01-02"));
}

void TestStaticDB::releasesOnlyTakenMappings()
{
    // A store that mapped a file and then rejected it gives its use back: the next store maps
    // the file anew.
    install(QByteArray(100, 'x'));
    bool failed = false;
    std::make_unique<StaticDB>(StaticDB::FOOD_CHUNK, &failed);
    QVERIFY(failed);
    install(catalogue());
    QCOMPARE(loadError(StaticDB::FOOD_CHUNK), QString());

    // A store that could not map the file took no use, so it releases none.
    QFile::remove(_dir.filePath(QStringLiteral("static.db")));
    auto missing = std::make_unique<StaticDB>(StaticDB::FOOD_CHUNK, &failed);
    QVERIFY(failed);
    install(catalogue());
    StaticDB foods(StaticDB::FOOD_CHUNK);
    missing.reset();
    QVERIFY(foods.getMappingEnd());
    QCOMPARE(names(foods.getChildren(10, 0, 0)), QStringList({"Apples", "Banana", "Cherry"}));
}

void TestStaticDB::rejectsBadStructure_data()
{
    // Offsets in the written file: the food chunk begins after the header and a directory
    // of two entries and its end marker.
    const int chunk = 64 + 24;
    const int records = chunk + 16;
    QTest::addColumn<int>("at");
    QTest::addColumn<quint32>("value");
    QTest::newRow("chunk beyond the file") << 68 << 0x7FFFFFFFu;
    QTest::newRow("record count beyond the file") << chunk << 100000u;
    QTest::newRow("names area beyond the file") << chunk + 8 << 0x7FFFFFF0u;
    QTest::newRow("name not after the previous one") << records + 16 + 4 << 0u;
    QTest::newRow("record data beyond the file") << records + 12 << 0x7FFFFFF0u;
    QTest::newRow("children beyond their category") << records + 5 * 16 + 8 << 7u;
    // Vegetables (record 5) claims Fruit (record 4), a child of the root.
    QTest::newRow("children of two categories") << records + 5 * 16 + 12 << 1u;
}

void TestStaticDB::rejectsBadStructure()
{
    QFETCH(int, at);
    QFETCH(quint32, value);
    QByteArray bytes = catalogue();
    putU32(bytes, at, value);
    install(bytes);
    QCOMPARE(loadError(StaticDB::FOOD_CHUNK),
             corruptAtLoad("bad chunk"));
}

void TestStaticDB::rejectsEveryTruncation()
{
    const QByteArray bytes = catalogue();
    for (int length = 0; length < bytes.size(); ++length) {
        install(bytes.left(length));
        QVERIFY2(!loadError(StaticDB::EXERCISE_CHUNK).isEmpty(), qPrintable(QString::number(length)));
    }
}

void TestStaticDB::checksReferences_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("chunkId");
    QTest::addColumn<QString>("problem");
    QTest::newRow("ranking group of no record")
        << withBread([](CatalogueNode& bread) { bread.record = foodRecord(99); }) << int(StaticDB::FOOD_CHUNK)
        << "food 104 ranks in group 99, which is no category";
    QTest::newRow("ranking group naming a food")
        << withBread([](CatalogueNode& bread) { bread.record = foodRecord(102); }) << int(StaticDB::FOOD_CHUNK)
        << "food 104 ranks in group 102, which is no category";
    QTest::newRow("last nutrient slot") << breadWithNutrientSlot(29) << int(StaticDB::FOOD_CHUNK) << QString();
    QTest::newRow("nutrient slot past the last")
        << breadWithNutrientSlot(30) << int(StaticDB::FOOD_CHUNK) << "food 104 names a nutrient slot past 29";
    QTest::newRow("presence bytes past the last slot")
        << breadWithNutrientSlot(40) << int(StaticDB::FOOD_CHUNK) << "food 104 names a nutrient slot past 29";
    QTest::newRow("food with the root's id")
        << withBread([](CatalogueNode& bread) { bread.id = 0; }) << int(StaticDB::FOOD_CHUNK)
        << "an item with the root's id 0";
    QTest::newRow("two foods of one id")
        << withBread([](CatalogueNode& bread) { bread.id = 102; }) << int(StaticDB::FOOD_CHUNK)
        << "two items with id 102";
    CatalogueNode exerciseTree = exercises();
    exerciseTree.children[0].children[0].id = 0;
    QTest::newRow("exercise with the root's id")
        << catalogue(foods(), exerciseTree) << int(StaticDB::EXERCISE_CHUNK) << "an item with the root's id 0";
}

// A reference to nothing is refused with its reason: at load with the advice to reinstall,
// by the check of a downloaded file without it.
void TestStaticDB::checksReferences()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, chunkId);
    QFETCH(QString, problem);
    install(bytes);
    std::string error;
    const bool passes = StaticDB::checkFile(_dir.filePath(QStringLiteral("static.db")), &error);
    if (problem.isEmpty()) {
        QVERIFY2(passes, error.c_str());
        QCOMPARE(loadError(chunkId), QString());
        return;
    }
    const QString reason = QStringLiteral("Static food/exercise database is corrupt (%1).").arg(problem);
    QVERIFY(!passes);
    QCOMPARE(QString::fromStdString(error), reason);
    QCOMPARE(loadError(chunkId), corruptAtLoad(qPrintable(problem)));
}

void TestStaticDB::rejectsFoundFaults_data()
{
    // Files that once crashed the loader or sent a walk of the tree by id round in a circle.
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("food record cut off in its ranking group")
        << QByteArray(
            "4461746162617365207375626a65637420746f20636f707972696768742e1a00"
            "00000001323032342d30332d3035000000000000000000000000000000000000"
            "0000000100000048000000020000001000000030000000340000000100000000"
            "000000050000000080000000000000020000000000000001610072000000");
    QTest::newRow("a child category with the root's id")
        << QByteArray(
            "4461746162617365207375626a65637420746f20636f707972696768742e1a00"
            "00000001323032342d30332d3035000000000000000000000000000000000000"
            "0000000100000048000000020000001000000030000000348000000000000000"
            "00000000000000008000000000000002000000000001000061007200");
}

void TestStaticDB::rejectsFoundFaults()
{
    QFETCH(QByteArray, hex);
    install(QByteArray::fromHex(hex));
    QCOMPARE(loadError(StaticDB::FOOD_CHUNK),
             corruptAtLoad("bad chunk"));
}

void TestStaticDB::survivesCorruptBytes()
{
    const QByteArray bytes = catalogue();
    QRandomGenerator random(2024);
    for (int round = 0; round < 300; ++round) {
        QByteArray corrupt = bytes;
        for (int i = 0; i < 4; ++i)
            corrupt[random.bounded(int(corrupt.size()))] = char(random.bounded(256));
        install(corrupt);
        for (int chunkId : {StaticDB::FOOD_CHUNK, StaticDB::EXERCISE_CHUNK}) {
            bool failed = false;
            StaticDB db(chunkId, &failed);
            db.applySearchTerms(QStringLiteral("apple"), false, 0);
            names(db.getFlattenedChildren(0, 0));
        }
    }
}

void TestStaticDB::mapsWholeFile()
{
    install(catalogue());
    std::unique_ptr<MemMappedFile> file = MemMappedFile::open(_dir.filePath(QStringLiteral("static.db")));
    QVERIFY(file);
    QCOMPARE(file->getLength(), int(catalogue().size()));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(file->getData()), file->getLength()), catalogue());
    QVERIFY(!MemMappedFile::open(_dir.filePath(QStringLiteral("missing.db"))));
}

QTEST_GUILESS_MAIN(TestStaticDB)
#include "tst_staticdb.moc"
