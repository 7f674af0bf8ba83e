// Builds the shipped catalogue file from the nutrient data archive and the exercise table
// (and, when asked, its gzip copy), verifies a built file through the catalogue's own reader,
// or writes a synthetic catalogue of many foods for the benchmarks.

#include "catalogue/staticdb.h"
#include "core/bxsettings.h"
#include "tools/staticdbwriter/staticdbverifier.h"
#include "tools/staticdbwriter/staticdbwriter.h"
#include "tools/staticdbwriter/tool/exercisetablereader.h"
#include "tools/staticdbwriter/tool/foodcataloguebuilder.h"
#include "tools/staticdbwriter/tool/foodgroups.h"
#include "tools/staticdbwriter/tool/syntheticcatalogue.h"
#include "tools/staticdbwriter/tool/usdafoodreader.h"
#include "tools/staticdbwriter/tool/zipreader.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>

#include <cstdio>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "staticdbtool: %s\n", qPrintable(message));
    return 1;
}

int build(const QString& usdaPath, const QString& exercisePath, const QString& date,
          const QString& output, const QString& gzipOutput)
{
    const QDate creationDate = QDate::fromString(date, Qt::ISODate);
    if (!creationDate.isValid())
        return fail(QStringLiteral("--date needs a date as yyyy-MM-dd, not \"%1\"").arg(date));
    QString error;
    const std::optional<ZipReader> archive = ZipReader::open(usdaPath, &error);
    if (!archive)
        return fail(error);
    const std::optional<std::vector<UsdaFood>> foods = UsdaFoodReader::read(*archive, &error);
    if (!foods)
        return fail(error);
    const std::optional<std::map<int, int>> groups = FoodGroups::assign(*foods, &error);
    if (!groups)
        return fail(error);
    const std::optional<CatalogueNode> exercises = ExerciseTableReader::read(exercisePath, &error);
    if (!exercises)
        return fail(error);

    StaticDBWriter writer(creationDate);
    writer.addChunk(StaticDB::FOOD_CHUNK, FoodCatalogueBuilder::build(*foods, *groups));
    writer.addChunk(StaticDB::EXERCISE_CHUNK, *exercises);
    if (!writer.write(output, &error))
        return fail(error);
    if (!gzipOutput.isEmpty() && !writer.writeGzip(gzipOutput, &error))
        return fail(error);
    std::printf("staticdbtool: wrote %zu foods and %zu exercise categories to %s\n", foods->size(),
                exercises->children.size(), qPrintable(output));
    return 0;
}

// Loads the catalogue into StaticDB's shared mapping: path must name a static.db.
bool useCatalogue(const QString& path, const char* option)
{
    const QFileInfo file(path);
    if (file.fileName() != QLatin1String("static.db")) {
        fail(QStringLiteral("%1 takes a file named static.db, not %2").arg(QLatin1String(option), path));
        return false;
    }
    BXSettings::setResourceDBPath(file.absolutePath() + QLatin1Char('/'));
    return true;
}

// With an exercise table the catalogue gets an exercise chunk too, as an installable one needs.
int buildSynthetic(const QString& countText, const QString& from, const QString& output,
                   const QString& exercisePath)
{
    bool isNumber = false;
    const int count = countText.toInt(&isNumber);
    if (!isNumber)
        return fail(QStringLiteral("--synthetic-foods needs a number of foods, not \"%1\"").arg(countText));
    if (!useCatalogue(from, "--from"))
        return 1;
    bool failed = false;
    const StaticDB foods(StaticDB::FOOD_CHUNK, &failed);
    if (failed)
        return fail(QString::fromStdString(foods.errorMessage()));
    QString error;
    const std::optional<CatalogueNode> tree = SyntheticCatalogue::build(foods, count, &error);
    if (!tree)
        return fail(error);
    StaticDBWriter writer(QDate::fromString(QString::fromLatin1(foods.getCreationDate()), Qt::ISODate));
    writer.addChunk(StaticDB::FOOD_CHUNK, *tree);
    if (!exercisePath.isEmpty()) {
        const std::optional<CatalogueNode> exercises = ExerciseTableReader::read(exercisePath, &error);
        if (!exercises)
            return fail(error);
        writer.addChunk(StaticDB::EXERCISE_CHUNK, *exercises);
    }
    if (!writer.write(output, &error))
        return fail(error);
    std::printf("staticdbtool: wrote %d synthetic foods to %s\n", count, qPrintable(output));
    return 0;
}

QStringList verifyChunk(int chunkId)
{
    bool failed = false;
    StaticDB tree(chunkId, &failed);
    if (failed)
        return {QString::fromStdString(tree.errorMessage())};
    if (tree.getItems().size() < 2)
        return {QStringLiteral("chunk %1 holds no records below its root").arg(chunkId)};
    return chunkId == StaticDB::FOOD_CHUNK ? StaticDBVerifier::verifyFoods(tree)
                                           : StaticDBVerifier::verifyExercises(tree);
}

int verify(const QString& path)
{
    if (!useCatalogue(path, "--verify"))
        return 1;
    const QStringList problems = verifyChunk(StaticDB::FOOD_CHUNK) + verifyChunk(StaticDB::EXERCISE_CHUNK);
    for (const QString& problem : problems.mid(0, 50))
        std::fprintf(stderr, "staticdbtool: %s\n", qPrintable(problem));
    if (!problems.isEmpty())
        return fail(QStringLiteral("%1 breaks %2 rules").arg(path).arg(problems.size()));
    std::printf("staticdbtool: %s verified\n", qPrintable(path));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Builds or verifies the catalogue file static.db, or writes a synthetic one."));
    parser.addHelpOption();
    const QCommandLineOption usda(QStringLiteral("usda"), QStringLiteral("Nutrient data archive."), QStringLiteral("jar"));
    const QCommandLineOption exercises(QStringLiteral("exercises"), QStringLiteral("Exercise table."), QStringLiteral("file"));
    const QCommandLineOption date(QStringLiteral("date"), QStringLiteral("Creation date, yyyy-MM-dd."), QStringLiteral("date"));
    const QCommandLineOption output(QStringLiteral("output"), QStringLiteral("File to write."), QStringLiteral("file"));
    const QCommandLineOption gzip(QStringLiteral("gzip"), QStringLiteral("Also write a gzip-compressed copy."), QStringLiteral("file"));
    const QCommandLineOption synthetic(QStringLiteral("synthetic-foods"),
        QStringLiteral("Write a catalogue of this many foods copied from the foods of --from, for benchmarks."),
        QStringLiteral("count"));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("A built static.db."), QStringLiteral("file"));
    const QCommandLineOption verifyOption(QStringLiteral("verify"), QStringLiteral("Verify a static.db."), QStringLiteral("file"));
    parser.addOptions({usda, exercises, date, output, gzip, synthetic, from, verifyOption});
    parser.process(app);

    if (parser.isSet(verifyOption))
        return verify(parser.value(verifyOption));
    if (parser.isSet(synthetic)) {
        if (!parser.isSet(from) || !parser.isSet(output))
            return fail(QStringLiteral("--synthetic-foods needs --from and --output"));
        return buildSynthetic(parser.value(synthetic), parser.value(from), parser.value(output),
                              parser.value(exercises));
    }
    if (!parser.isSet(usda) || !parser.isSet(exercises) || !parser.isSet(date) || !parser.isSet(output))
        return fail(QStringLiteral("give --usda, --exercises, --date and --output, or --synthetic-foods, or --verify"));
    return build(parser.value(usda), parser.value(exercises), parser.value(date), parser.value(output),
                 parser.value(gzip));
}
