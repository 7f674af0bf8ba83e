// Brands that keep the older layout: settings under a domain named after the brand alone and
// the data folder below a folder of the brand id.

#include "core/bxsettings.h"

#include "testbrand.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

class TestBXSettingsCompat : public QObject {
    Q_OBJECT

private:
    QTemporaryDir _dir;

private slots:
    void initTestCase()
    {
        loadTestBrand(_dir, "<string id=\"brand_id\" value=\"Older\"/>\n"
                            "<bool id=\"datastore_compat\" value=\"TRUE\"/>\n");
    }

    void cleanupTestCase() { BrandEngine::cleanUp(); }

    void olderLayout()
    {
        QVERIFY(BXSettings().writeEntry(QStringLiteral("windowX"), 3));
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QVERIFY(QFileInfo::exists(config + QStringLiteral("/Older/DesktopPantrel.ini")));

        const QString data = BXSettings::getDirData();
        QCOMPARE(data, BXSettings::getAppDataDir() + QStringLiteral("/Older/Pantrel/VersionTwo/Default/"));
        QVERIFY(!QFileInfo::exists(data));
    }
};

QTEST_GUILESS_MAIN(TestBXSettingsCompat)
#include "tst_bxsettingscompat.moc"
