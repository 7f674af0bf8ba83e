// The catalogue writer library: the record encodings and the verifier that the build runs on
// the shipped catalogue.

#include "catalogue/staticdb.h"
#include "core/bxsettings.h"
#include "tools/staticdbwriter/exerciserecord.h"
#include "tools/staticdbwriter/foodrecord.h"
#include "tools/staticdbwriter/staticdbverifier.h"
#include "tools/staticdbwriter/staticdbwriter.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <zlib.h>

namespace {

// The data of a gzip stream, inflated with zlib; empty when the stream is no whole gzip file.
QByteArray gunzip(const QByteArray& compressed)
{
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)
        return QByteArray();
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
    stream.avail_in = uInt(compressed.size());
    QByteArray out;
    int result = Z_OK;
    while (result == Z_OK) {
        char buffer[4096];
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, int(sizeof buffer - stream.avail_out));
    }
    const bool whole = result == Z_STREAM_END && stream.avail_in == 0;
    inflateEnd(&stream);
    return whole ? out : QByteArray();
}

const unsigned char* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

QByteArray foodRecord(quint32 group, bool withReference = true)
{
    FoodRecord record;
    record.rankingGroup = group;
    record.displayName = "Food";
    if (withReference)
        record.referenceQuantity = 100.0f;
    return record.encode();
}

CatalogueNode foods(quint32 breadGroup = 10, quint32 breadId = 2)
{
    CatalogueNode fruit = CatalogueNode::makeCategory(10, "Fruit");
    fruit.children = {CatalogueNode::makeItem(1, "Apple", 2, foodRecord(10))};
    CatalogueNode root = CatalogueNode::makeCategory(0, "Foods");
    root.children = {fruit, CatalogueNode::makeCategory(11, "Empty"),
                     CatalogueNode::makeItem(breadId, "Bread", 1, foodRecord(breadGroup))};
    return root;
}

CatalogueNode exercises(std::optional<float> rate)
{
    ExerciseRecord record;
    record.burnRate = rate;
    CatalogueNode root = CatalogueNode::makeCategory(0, "Exercises");
    root.children = {CatalogueNode::makeItem(12020, "Jogging", 1, record.encode())};
    return root;
}

} // namespace

class TestStaticDBWriter : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void encodesNutrientPresence();
    void roundTripsFoodRecords();
    void rejectsTruncatedRecords();
    void roundTripsExerciseRecords();
    void acceptsWrittenCatalogue();
    void reportsBrokenRules();
    void reportsUnreachableRecords();
    void writesGzipCopy();

private:
    void install(const QByteArray& bytes);

    QTemporaryDir _dir;
};

void TestStaticDBWriter::initTestCase()
{
    QVERIFY(_dir.isValid());
    BXSettings::setResourceDBPath(_dir.path() + QLatin1Char('/'));
}

void TestStaticDBWriter::install(const QByteArray& bytes)
{
    QSaveFile file(_dir.filePath(QStringLiteral("static.db")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    QVERIFY(file.commit());
}

void TestStaticDBWriter::encodesNutrientPresence()
{
    FoodRecord record;
    record.rankingGroup = 0x01020304;
    record.displayName = "Egg";
    record.nutrients = {{FoodRecord::ENERGY, 1.0f}, {FoodRecord::CALCIUM, 2.0f}};
    record.kind = 'V';
    const QByteArray expected = QByteArray::fromHex("01020304" "45676700"
                                                    "81" "3f800000" "01" "40000000" "20");
    QCOMPARE(record.encode(), expected);

    // A present slot outside the diary's nutrients is stepped over with its value.
    const QByteArray withSlot5 = QByteArray::fromHex("00000000" "00" "21" "3f800000" "40a00000" "00");
    const std::optional<FoodRecord> decoded = FoodRecord::decode(bytesOf(withSlot5), bytesOf(withSlot5) + withSlot5.size());
    QVERIFY(decoded);
    QCOMPARE(decoded->nutrients.at(FoodRecord::ENERGY), 1.0f);
    QCOMPARE(decoded->nutrients.at(5), 5.0f);
    QCOMPARE(decoded->kind, 'S');
    QVERIFY(!decoded->referenceQuantity);
    QVERIFY(decoded->servings.empty());
}

void TestStaticDBWriter::roundTripsFoodRecords()
{
    FoodRecord record;
    record.rankingGroup = 7;
    record.displayName = "Butter, salted";
    record.nutrients = {{FoodRecord::ENERGY, 717.0f}, {FoodRecord::SATURATED_FAT, 51.368f},
                        {FoodRecord::SUGAR, 0.06f}};
    record.referenceQuantity = 100.0f;
    record.servings = {{5.0f, "pat"}, {14.2f, "tbsp"}};
    const QByteArray bytes = record.encode();
    const std::optional<FoodRecord> decoded = FoodRecord::decode(bytesOf(bytes), bytesOf(bytes) + bytes.size());
    QVERIFY(decoded);
    QCOMPARE(decoded->displayName, record.displayName);
    QCOMPARE(decoded->nutrients, record.nutrients);
    QCOMPARE(decoded->kind, 'M');
    QCOMPARE(*decoded->referenceQuantity, 100.0f);
    QCOMPARE(decoded->servings.size(), size_t(2));
    QCOMPARE(decoded->servings[1].name, QByteArray("tbsp"));
    QCOMPARE(decoded->servings[1].weight, 14.2f);
}

void TestStaticDBWriter::rejectsTruncatedRecords()
{
    FoodRecord record;
    record.displayName = "Tea";
    record.nutrients = {{FoodRecord::ENERGY, 1.0f}};
    record.servings = {{240.0f, "cup"}};
    const QByteArray bytes = record.encode();
    for (int length = 0; length < bytes.size(); ++length)
        QVERIFY(!FoodRecord::decode(bytesOf(bytes), bytesOf(bytes) + length));
}

void TestStaticDBWriter::roundTripsExerciseRecords()
{
    ExerciseRecord record;
    record.burnRate = 0.1225f;
    QByteArray bytes = record.encode();
    QCOMPARE(bytes.size(), 5);
    QCOMPARE(*ExerciseRecord::decode(bytesOf(bytes), bytesOf(bytes) + 5)->burnRate, 0.1225f);
    QVERIFY(!ExerciseRecord::decode(bytesOf(bytes), bytesOf(bytes) + 4));
    bytes = ExerciseRecord().encode();
    QVERIFY(!ExerciseRecord::decode(bytesOf(bytes), bytesOf(bytes) + 1)->burnRate);
}

void TestStaticDBWriter::acceptsWrittenCatalogue()
{
    StaticDBWriter writer(QDate(2024, 1, 1));
    writer.addChunk(StaticDB::FOOD_CHUNK, foods());
    writer.addChunk(StaticDB::EXERCISE_CHUNK, exercises(0.1f));
    install(writer.toByteArray());
    QCOMPARE(StaticDBVerifier::verifyFoods(StaticDB(StaticDB::FOOD_CHUNK)), QStringList());
    QCOMPARE(StaticDBVerifier::verifyExercises(StaticDB(StaticDB::EXERCISE_CHUNK)), QStringList());
}

void TestStaticDBWriter::reportsBrokenRules()
{
    // Records the program can read but should not be shipped: the verifier reports them.
    CatalogueNode food = foods();
    food.children.push_back(CatalogueNode::makeItem(3, "Water", 1, foodRecord(10, false)));
    StaticDBWriter writer(QDate(2024, 1, 1));
    writer.addChunk(StaticDB::FOOD_CHUNK, food);
    writer.addChunk(StaticDB::EXERCISE_CHUNK, exercises(std::nullopt));
    install(writer.toByteArray());
    const QStringList foodProblems = StaticDBVerifier::verifyFoods(StaticDB(StaticDB::FOOD_CHUNK));
    QCOMPARE(foodProblems.size(), 1);
    QVERIFY(foodProblems.filter(QStringLiteral("neither servings nor a reference quantity")).size() == 1);
    QCOMPARE(StaticDBVerifier::verifyExercises(StaticDB(StaticDB::EXERCISE_CHUNK)).size(), 1);

    // A food of another's id ranking in a group that is no category: the program refuses
    // the file, and the tool reports the loader's reason.
    StaticDBWriter broken(QDate(2024, 1, 1));
    broken.addChunk(StaticDB::FOOD_CHUNK, foods(1, 1));
    install(broken.toByteArray());
    bool failed = false;
    const StaticDB refused(StaticDB::FOOD_CHUNK, &failed);
    QVERIFY(failed);
    QVERIFY(QString::fromStdString(refused.errorMessage()).contains(QStringLiteral("two items with id 1")));
}

void TestStaticDBWriter::reportsUnreachableRecords()
{
    StaticDBWriter writer(QDate(2024, 1, 1));
    writer.addChunk(StaticDB::FOOD_CHUNK, foods());
    QByteArray bytes = writer.toByteArray();
    // Records: Apple, Fruit, Empty, Bread, root. Drop Bread from the root's children.
    const int root = 64 + 16 + 16 + 4 * 16;
    qToBigEndian<quint32>(0x00020000, bytes.data() + root + 12);
    install(bytes);
    const QStringList problems = StaticDBVerifier::verifyTree(StaticDB(StaticDB::FOOD_CHUNK));
    QCOMPARE(problems.size(), 1);
    QVERIFY(problems.first().contains(QStringLiteral("Bread) is reached 0 times")));
}

void TestStaticDBWriter::writesGzipCopy()
{
    StaticDBWriter writer(QDate(2024, 3, 4));
    writer.addChunk(StaticDB::FOOD_CHUNK, foods());
    writer.addChunk(StaticDB::EXERCISE_CHUNK, exercises(0.1225f));
    const QString path = _dir.filePath(QStringLiteral("static.db.gz"));
    QString error;
    QVERIFY2(writer.writeGzip(path, &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray compressed = file.readAll();
    QVERIFY(compressed.startsWith("\x1f\x8b"));
    const QByteArray expected = writer.toByteArray();
    QVERIFY(compressed.size() < expected.size());
    QCOMPARE(gunzip(compressed), expected);

    QVERIFY(!writer.writeGzip(_dir.filePath(QStringLiteral("missing/static.db.gz")), &error));
    QVERIFY(error.contains(QStringLiteral("missing/static.db.gz")));
}

QTEST_GUILESS_MAIN(TestStaticDBWriter)
#include "tst_staticdbwriter.moc"
