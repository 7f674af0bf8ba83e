// Feeds arbitrary bytes to the tar reader and to the brand import, then exercises the
// lookups and token expansion on whatever the import accepted, and reads every id the
// program asks for as the program reads it.
#include "core/brandengine.h"
#include "core/tarreader.h"

#include <QDir>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string s_archivePath;

const char* const s_ids[] = {"app_name", "brand_id", "web_address", "a", "b", "c", "splash", "logo", "n"};

// The ids the program reads, as texts, switches and numbers.
const char* const s_programIds[] = {
    "app_name", "app_name_short", "brand_id", "datastore_compat", "default_energy_units",
    "default_measurement_units", "mealplan_auth_url", "mealplans_enabled", "metrics_auth_url",
    "metrics_enabled", "publish_auth_url", "publish_enabled", "publish_on_quit_forced",
    "spelling_favorite", "spelling_fiber", "spelling_twoweeks", "steps_measurement_enabled",
    "update_enabled", "update_rss_url", "web_address", "www_count",
};
const char* const s_programImages[] = {
    "splash", "graphics_tick_no_no", "graphics_tick_no_yes", "graphics_tick_yes_no", "graphics_tick_yes_yes",
};

void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

void removeArchive()
{
    std::remove(s_archivePath.c_str());
}

bool writeArchive(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(s_archivePath.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

void readEveryMember()
{
    TarReader reader;
    if (!reader.open(s_archivePath))
        return;
    for (const std::string& name : reader.listFiles(".*", false))
        reader.readFile(name);
}

void lookUpEverything(const BrandEngine& brand)
{
    QString error;
    for (const char* id : s_ids) {
        if (!brand.idExists(id))
            continue;
        brand.imageBytes(id, &error);
        QString token = QStringLiteral("${%1}").arg(QString::fromLatin1(id).toUpper());
        brand.expandTokens(token, &error);
    }
    QString text = QStringLiteral("${APP_NAME} at ${WEB_ADDRESS}: ${A}${B}${C} ${}");
    brand.expandTokens(text, &error);
}

void readAsTheProgramDoes(const BrandEngine& brand)
{
    QString error;
    for (const char* id : s_programIds) {
        QString text = brand.getString(id);
        brand.replaceTokens(text);
        brand.getBool(id);
        brand.getInt(id);
    }
    for (const char* id : s_programImages)
        brand.imageBytes(id, &error);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Warnings about skipped elements are expected by the thousand; keep the output readable.
    qInstallMessageHandler(dropMessages);
    s_archivePath = QDir::tempPath().toStdString() + "/fuzz_brandarchive_" + std::to_string(getpid()) + ".dat";
    std::atexit(removeArchive);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!writeArchive(data, size))
        return 0;
    readEveryMember();
    BrandEngine* brand = BrandEngine::instance();
    if (brand->import(s_archivePath.c_str())) {
        lookUpEverything(*brand);
        // The program goes on only with a brand that serves it.
        QString reason;
        if (brand->servesTheProgram(&reason))
            readAsTheProgramDoes(*brand);
    }
    BrandEngine::cleanUp();
    return 0;
}
