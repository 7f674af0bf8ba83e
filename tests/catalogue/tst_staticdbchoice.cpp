// Which catalogue file a new mapping opens: the user's updated copy when it is whole and not
// older than the shipped one, the shipped file otherwise.

#include "catalogue/staticdb.h"
#include "core/bxsettings.h"
#include "tools/staticdbwriter/exerciserecord.h"
#include "tools/staticdbwriter/foodrecord.h"
#include "tools/staticdbwriter/staticdbwriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray catalogue(const QDate& created, const QByteArray& foodName, bool withExercises = true)
{
    FoodRecord food;
    food.displayName = foodName;
    food.nutrients = {{FoodRecord::ENERGY, 52.0f}};
    food.referenceQuantity = 100.0f;
    CatalogueNode foods = CatalogueNode::makeCategory(0, "Foods");
    foods.children.push_back(CatalogueNode::makeItem(101, foodName, 1, food.encode()));
    ExerciseRecord exercise;
    exercise.burnRate = 0.1f;
    CatalogueNode exercises = CatalogueNode::makeCategory(0, "Exercises");
    exercises.children.push_back(CatalogueNode::makeItem(12020, "Jogging", 1, exercise.encode()));
    StaticDBWriter writer(created);
    writer.addChunk(StaticDB::FOOD_CHUNK, foods);
    if (withExercises)
        writer.addChunk(StaticDB::EXERCISE_CHUNK, exercises);
    return writer.toByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString openedCreationDate()
{
    bool failed = false;
    StaticDB db(StaticDB::FOOD_CHUNK, &failed);
    return failed ? QStringLiteral("failed") : QString::fromLatin1(db.getCreationDate());
}

} // namespace

class TestStaticDBChoice : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(_shipped.isValid());
        BXSettings::setResourceDBPath(_shipped.path() + QLatin1Char('/'));
        QVERIFY(_own.isValid());
        StaticDB::setUserCopyFolder(_own.path() + QLatin1Char('/'));
        writeFile(_shipped.filePath(QStringLiteral("static.db")), catalogue(QDate(2025, 6, 1), "Banana"));
    }

    void cleanup() { QFile::remove(ownCopy()); }

    void noCopyFolderLooksForNoCopy()
    {
        writeFile(ownCopy(), catalogue(QDate(2026, 1, 2), "Bananas"));
        StaticDB::setUserCopyFolder(QString());
        const QString opened = openedCreationDate();
        StaticDB::setUserCopyFolder(_own.path() + QLatin1Char('/'));
        QCOMPARE(opened, QStringLiteral("2025-06-01"));
    }

    void choosesBetweenCopies_data()
    {
        QTest::addColumn<QByteArray>("own");
        QTest::addColumn<QString>("opened");
        QTest::newRow("no own copy") << QByteArray() << QStringLiteral("2025-06-01");
        QTest::newRow("newer own copy") << catalogue(QDate(2026, 1, 2), "Bananas") << QStringLiteral("2026-01-02");
        QTest::newRow("same day") << catalogue(QDate(2025, 6, 1), "Bananas") << QStringLiteral("2025-06-01");
        QTest::newRow("older own copy") << catalogue(QDate(2024, 1, 2), "Bananas") << QStringLiteral("2025-06-01");
        QTest::newRow("own copy cut off") << catalogue(QDate(2026, 1, 2), "Bananas").left(200)
                                          << QStringLiteral("2025-06-01");
        QTest::newRow("own copy without exercises")
            << catalogue(QDate(2026, 1, 2), "Bananas", false) << QStringLiteral("2025-06-01");
        QTest::newRow("own copy not a catalogue") << QByteArray("hello") << QStringLiteral("2025-06-01");
    }

    void choosesBetweenCopies()
    {
        QFETCH(QByteArray, own);
        QFETCH(QString, opened);
        if (!own.isEmpty())
            writeFile(ownCopy(), own);
        QCOMPARE(openedCreationDate(), opened);
    }

    void checkFileSaysWhy()
    {
        std::string error;
        QString created;
        QVERIFY(StaticDB::checkFile(_shipped.filePath(QStringLiteral("static.db")), &error, &created));
        QCOMPARE(created, QStringLiteral("2025-06-01"));
        QVERIFY(!StaticDB::checkFile(_shipped.filePath(QStringLiteral("missing.db")), &error));
        QVERIFY(QString::fromStdString(error).startsWith(QStringLiteral("Couldn't load")));
        writeFile(ownCopy(), catalogue(QDate(2026, 1, 2), "Bananas", false));
        QVERIFY(!StaticDB::checkFile(ownCopy(), &error));
        QVERIFY(QString::fromStdString(error).contains(QStringLiteral("missing chunk")));
    }

    void ownCopyNeedsNoShippedFile()
    {
        writeFile(ownCopy(), catalogue(QDate(2020, 1, 2), "Bananas"));
        QVERIFY(QFile::rename(_shipped.filePath(QStringLiteral("static.db")), _shipped.filePath(QStringLiteral("moved"))));
        const QString opened = openedCreationDate();
        QVERIFY(QFile::rename(_shipped.filePath(QStringLiteral("moved")), _shipped.filePath(QStringLiteral("static.db"))));
        QCOMPARE(opened, QStringLiteral("2020-01-02"));
    }

private:
    QString ownCopy() const { return _own.filePath(QStringLiteral("static.db")); }

    QTemporaryDir _shipped;
    QTemporaryDir _own;
};

QTEST_GUILESS_MAIN(TestStaticDBChoice)
#include "tst_staticdbchoice.moc"
