// Checks the brand archive that the build ships: every id the program asks for is defined
// with the type it is asked as, texts expand, web addresses are usable, the online services
// are off, and every image decodes. A lookup the program makes of an undefined id stops it,
// so a gap here would be a crash for the user.

#include "core/brandengine.h"
#include "core/dbtypes.h"
#include "core/tarreader.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>

#include <memory>

namespace {

// Texts the program reads without asking whether they exist.
const char* const s_strings[] = {
    "app_name", "app_name_short", "brand_id",
    "spelling_fiber", "spelling_favorite", "spelling_customize", "spelling_twoweeks",
    "web_address", "web_name",
};

// Address templates of the web services; the program fills in their request tokens.
const char* const s_urls[] = {
    "web_registration_url", "update_rss_url", "mealplan_auth_url", "publish_auth_url", "metrics_auth_url",
};

// Switches; the optional ones (tested for existence by the program) are set explicitly too.
const char* const s_bools[] = {
    "feature.family",
    "chest_measurement_enabled", "waist_measurement_enabled", "hip_measurement_enabled",
    "thigh_measurement_enabled", "steps_measurement_enabled",
    "datastore_compat", "dietplan.brellix.enabled",
    "mealplans_enabled", "metrics_enabled", "publish_enabled", "publish_on_quit_forced", "update_enabled",
};

const char* const s_ints[] = {
    "default_measurement_units", "default_energy_units", "datastore.old_path.count", "www_count",
};

const char* const s_images[] = {
    "splash", "graphics.image.profile.logo",
    "diary_icon", "reports_icon", "checkin_icon",
    "graphics.icon.checkin.delete", "graphics.icon.checkin.edit", "graphics.icon.checkin.today",
    "graphics.icon.copy", "graphics.icon.diary.delete", "graphics.icon.diary.edit", "graphics.icon.help",
    "graphics.icon.mealplan", "graphics.icon.print", "graphics.icon.publish", "graphics.icon.updatedb",
    "graphics.icon.web.back", "graphics.icon.web.forward", "graphics.icon.web.home",
    "graphics.icon.backarrow", "graphics.icon.frontarrow",
    "graphics.icon.search", "graphics.icon.searchclear", "graphics.icon.food", "graphics.icon.exercise",
    "graphics.icon.addbutton", "graphics.icon.cross", "graphics.icon.tick",
    "graphics_tick_yes_yes", "graphics_tick_yes_no", "graphics_tick_no_yes", "graphics_tick_no_no",
    "graphics.icon.nutrient", "graphics.icon.weight", "graphics.icon.pedometer",
    "graphics.icon.breakdown", "graphics.icon.summary",
};

// The online services' switches, all off in this edition.
const char* const s_onlineSwitches[] = {
    "mealplans_enabled", "metrics_enabled", "publish_enabled", "publish_on_quit_forced", "update_enabled",
};

// Tokens that the address templates may hold; they are filled in per request, not by the brand.
const QStringList s_requestTokens = {
    "PLATFORM", "PRODUCT", "VERSION", "USERNAME", "PWHASH", "USERNAME_OPTIONAL", "PWHASH_OPTIONAL", "CONTENT_DIR",
};

QString brandPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../share/pantrel/brand.dat");
}

QStringList tokensOf(const QString& text)
{
    static const QRegularExpression token(QStringLiteral("\\$\\{([^\\}]+)\\}"));
    QStringList names;
    for (auto it = token.globalMatch(text); it.hasNext();)
        names.append(it.next().captured(1));
    return names;
}

// The template with its request tokens filled in the way a request would fill them.
QUrl requestUrl(QString text)
{
    text.replace("${PLATFORM}", "mac").replace("${PRODUCT}", BrandEngine::s_productWord).replace("${VERSION}", "4.1.0");
    text.replace("${USERNAME}", "alice").replace("${PWHASH}", QString(32, QLatin1Char('0')));
    text.replace("${USERNAME_OPTIONAL}", "alice").replace("${PWHASH_OPTIONAL}", QString(32, QLatin1Char('0')));
    return QUrl(text, QUrl::StrictMode);
}

template<size_t N>
void addRows(const char* const (&ids)[N])
{
    QTest::addColumn<QByteArray>("id");
    for (const char* id : ids)
        QTest::newRow(id) << QByteArray(id);
}

} // namespace

class TestShippedBrand : public QObject
{
    Q_OBJECT

private:
    BrandEngine* _brand = nullptr;

private slots:
    void initTestCase()
    {
        _brand = BrandEngine::instance();
        QVERIFY2(_brand->import(QFile::encodeName(brandPath()).constData()),
                 qPrintable("cannot open the shipped brand archive " + brandPath()));
    }

    void cleanupTestCase() { BrandEngine::cleanUp(); }

    void strings_data() { addRows(s_strings); }
    void strings()
    {
        QFETCH(QByteArray, id);
        QVERIFY2(_brand->idExists(id.constData()), id.constData());
        QString text = _brand->getString(id.constData());
        QVERIFY(!text.trimmed().isEmpty());
        QString error;
        QVERIFY2(_brand->expandTokens(text, &error), qPrintable(error));
    }

    // Brand tokens are not expanded inside addresses, so an address may hold request tokens
    // only; filled in, it must be a well-formed address in the reserved example domain.
    void urls_data() { addRows(s_urls); }
    void urls()
    {
        QFETCH(QByteArray, id);
        QVERIFY2(_brand->idExists(id.constData()), id.constData());
        const QString text = _brand->getString(id.constData());
        for (const QString& token : tokensOf(text))
            QVERIFY2(s_requestTokens.contains(token), qPrintable(token + " is no request token"));
        const QUrl url = requestUrl(text);
        QVERIFY2(url.isValid(), qPrintable(url.errorString()));
        QVERIFY(url.host().endsWith(QLatin1String(".pantrel.example")));
        // Metrics go over SSL; every other service speaks plain HTTP.
        QCOMPARE(url.scheme(), id == "metrics_auth_url" ? QStringLiteral("https") : QStringLiteral("http"));
    }

    // Every address the archive defines, not only the ones listed above, holds request tokens
    // only: brand tokens inside addresses are never expanded.
    void everyAddressHoldsOnlyRequestTokens()
    {
        TarReader archive;
        QVERIFY(archive.open(QFile::encodeName(brandPath()).toStdString()));
        int addresses = 0;
        for (const std::string& member : archive.listFiles(".*xml", true)) {
            QDomDocument document;
            QVERIFY(document.setContent(archive.readFile(member)));
            for (QDomElement element = document.documentElement().firstChildElement(QStringLiteral("string"));
                 !element.isNull(); element = element.nextSiblingElement(QStringLiteral("string"))) {
                const QString id = element.attribute(QStringLiteral("id"));
                if (!id.endsWith(QLatin1String("_url")))
                    continue;
                ++addresses;
                for (const QString& token : tokensOf(_brand->getString(id.toLatin1().constData())))
                    QVERIFY2(s_requestTokens.contains(token), qPrintable(id + ": " + token + " is no request token"));
            }
        }
        QVERIFY(addresses >= int(std::size(s_urls)));
    }

    // The meal-plan request appends "begindate=...&enddate=..." to the address as it is.
    void mealPlanRequestTakesItsDates()
    {
        const QUrl url = requestUrl(_brand->getString("mealplan_auth_url") + "begindate=2026-01-01&enddate=2026-01-08");
        const QUrlQuery query(url);
        QCOMPARE(query.queryItemValue("begindate"), QStringLiteral("2026-01-01"));
        QCOMPARE(query.queryItemValue("enddate"), QStringLiteral("2026-01-08"));
    }

    // The program's own messages name the brand through these tokens.
    void programTextsExpand()
    {
        QString text = QStringLiteral("If you have a paid ${BRAND_ID} membership ... the ${WEB_ADDRESS} login box.");
        QString error;
        QVERIFY2(_brand->expandTokens(text, &error), qPrintable(error));
        QVERIFY(!text.contains(QLatin1String("${")));
        QVERIFY(text.contains(_brand->getString("brand_id")));
        QVERIFY(text.contains(_brand->getString("web_address")));
    }

    void bools_data() { addRows(s_bools); }
    void bools()
    {
        QFETCH(QByteArray, id);
        QVERIFY2(_brand->idExists(id.constData()), id.constData());
        // A text, number or image defined under a switch's id stops the program here.
        _brand->getBool(id.constData());
    }

    void ints_data() { addRows(s_ints); }
    void ints()
    {
        QFETCH(QByteArray, id);
        QVERIFY2(_brand->idExists(id.constData()), id.constData());
        QVERIFY(_brand->getInt(id.constData()) >= 0);
    }

    void onlineServicesAreOff_data() { addRows(s_onlineSwitches); }
    void onlineServicesAreOff()
    {
        QFETCH(QByteArray, id);
        QVERIFY2(_brand->idExists(id.constData()), id.constData());
        QVERIFY(!_brand->getBool(id.constData()));
    }

    void editionSwitches()
    {
        QVERIFY(_brand->getBool("feature.family"));
        QVERIFY(_brand->getBool("dietplan.brellix.enabled"));
        QVERIFY(!_brand->getBool("datastore_compat"));
        for (const char* id : {"chest_measurement_enabled", "waist_measurement_enabled", "hip_measurement_enabled",
                               "thigh_measurement_enabled", "steps_measurement_enabled"})
            QVERIFY2(_brand->getBool(id), id);
    }

    // A new user's preferences start in kilograms, centimetres and kilocalories.
    void newUsersStartMetricWithKilocalories()
    {
        const DBTypes::UserPrefs prefs;
        QCOMPARE(prefs.measurementUnits, 0);
        QCOMPARE(prefs.energyUnits, 1);
    }

    // Counted ids: each web section and each older data folder needs its own entries.
    void countedIdsExist()
    {
        for (int n = 1; n <= _brand->getInt("www_count"); ++n) {
            for (const char* prefix : {"www_url_", "www_tooltip_", "www_icon_"}) {
                const QByteArray id = prefix + QByteArray::number(n);
                QVERIFY2(_brand->idExists(id.constData()), id.constData());
            }
        }
        for (int n = 0; n < _brand->getInt("datastore.old_path.count"); ++n) {
            const QByteArray id = "datastore.old_path.path_" + QByteArray::number(n);
            QVERIFY2(_brand->idExists(id.constData()), id.constData());
        }
    }

    void images_data() { addRows(s_images); }
    void images()
    {
        QFETCH(QByteArray, id);
        QString error;
        const QByteArray bytes = _brand->imageBytes(id.constData(), &error);
        QVERIFY2(!bytes.isEmpty(), qPrintable(error));
        QVERIFY2(!QImage::fromData(bytes).isNull(), id.constData());
        QVERIFY(!_brand->getPixmap(id.constData()).isNull());
        const std::unique_ptr<QPixmap> owned(_brand->getPixmapPtr(id.constData()));
        QCOMPARE(owned->size(), _brand->getPixmap(id.constData()).size());
    }

    // The green-ticks widget takes its size from one image and shows all four in it.
    void greenTicksShareOneSize()
    {
        const QSize size = _brand->getPixmap("graphics_tick_no_no").size();
        for (const char* id : {"graphics_tick_yes_yes", "graphics_tick_yes_no", "graphics_tick_no_yes"})
            QCOMPARE(_brand->getPixmap(id).size(), size);
    }

    // Tick boxes are 16 x 21 pixels; a larger tick would be cut off.
    void tickFitsTickBox()
    {
        const QSize size = _brand->getPixmap("graphics.icon.tick").size();
        QVERIFY(size.width() <= 16 && size.height() <= 21);
    }
};

QTEST_MAIN(TestShippedBrand)
#include "tst_shippedbrand.moc"
