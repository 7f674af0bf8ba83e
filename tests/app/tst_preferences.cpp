#include "app/mainwindow.h"
#include "app/preferencesdialog.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/tarfilewriter.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarystart.h"
#include "userdb/userdb.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "urlrecorder.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The dialog with its message boxes and folder chooser answered by the test.
class ScriptedPreferences : public PreferencesDialog
{
public:
    explicit ScriptedPreferences(QWidget* parent = nullptr) : PreferencesDialog(parent) {}

    QMessageBox::StandardButton answer = QMessageBox::Yes;
    AccountAnswer account = CancelAccount;
    QString chosenFolder;
    QStringList messages;

    template <typename T>
    T* child(const char* name)
    {
        T* widget = findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no child %s", name);
        return widget;
    }

protected:
    QMessageBox::StandardButton showMessage(QMessageBox::Icon, const QString& caption,
                                            const QString& text,
                                            QMessageBox::StandardButtons) override
    {
        messages << caption + QLatin1Char('|') + text;
        return answer;
    }
    QString chooseFolder(const QString&) override { return chosenFolder; }
    AccountAnswer askAccountQuestion() override { return account; }
};

}  // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void storedProxyChoosesTheRadioButton_data();
    void storedProxyChoosesTheRadioButton();
    void proxyIsSavedAsTyped();
    void updateIntervalFollowsTheBox();
    void updateBoxHiddenWithoutUpdates();
    void publishingBoxesFollowTheLogin();
    void forcedPublishingKeepsTheStoredFlags();
    void hiddenLoginSavesEmptyLogin();
    void unitsAreSavedAndInstalled();
    void unsavedPreferencesKeepTheDialogOpen();
    void backupFolderMustBeGiven();
    void missingBackupFolderIsCreatedOnRequest();
    void defaultBackupFolderIsNeitherAskedAboutNorMade();
    void uncreatableBackupFolderKeepsTheDialogOpen();
    void cancelledFolderChooserKeepsThePath();
    void accountPageOpensThroughTheWindow();

private:
    void loadBrand(const QByteArray& switches);
    DBTypes::UserPrefs storedPrefs() { return UserDB::instance()->getUserPrefs(_user).value(); }
    // Stores a web login with both publishing flags on.
    bool storePublishingLogin()
    {
        DBTypes::UserPrefs prefs = storedPrefs();
        prefs.webUserName = QStringLiteral("ada");
        prefs.webPassword = QStringLiteral("secret");
        prefs.autoPublish = true;
        prefs.askBeforePublish = true;
        return UserDB::instance()->setUserPrefs(_user, prefs);
    }

    QTemporaryDir _dir;
    qint64 _user = -1;
};

void TestPreferences::initTestCase()
{
    QVERIFY(_dir.isValid());
    loadBrand(QByteArray());
    const StoreResult start = DiaryStart::startUp(true);
    QVERIFY2(start, qPrintable(start.message()));
    _user = addCompleteUser(QStringLiteral("Ada"));
    QVERIFY(_user >= 0);
    UserDB::instance()->setCurrentUser(_user);
}

void TestPreferences::cleanupTestCase()
{
    UserDB::cleanUp();
    BXSqlDb::cleanUp();
    UnitCollection::cleanUp();
    BrandEngine::cleanUp();
}

// A brand whose given switches take precedence over the shipped brand's.
void TestPreferences::loadBrand(const QByteArray& switches)
{
    const QString xmlPath = _dir.filePath(QStringLiteral("brand.xml"));
    const QString archivePath = _dir.filePath(QStringLiteral("override.dat"));
    QFile xml(xmlPath);
    QVERIFY(xml.open(QIODevice::WriteOnly));
    xml.write("<?xml version=\"1.0\"?>\n<brand>\n" + switches + "</brand>\n");
    xml.close();
    QFile archive(archivePath);
    QVERIFY(archive.open(QIODevice::WriteOnly));
    {
        TarFileWriter writer(archive);
        QVERIFY(writer.addFile(xmlPath, QStringLiteral("brand.xml")));
    }
    archive.close();
    BrandEngine::cleanUp();
    QVERIFY(BrandEngine::instance()->import(QFile::encodeName(archivePath).constData()));
    const QString shipped = BXSettings::getResourceDBPath() + QStringLiteral("brand.dat");
    QVERIFY(BrandEngine::instance()->import(QFile::encodeName(shipped).constData()));
}

void TestPreferences::init()
{
    BXSettings settings;
    settings.setString(BXSettings::ProxySettings, QString());
    settings.setInt(BXSettings::StaticDbUpdateInterval, 28);
    settings.setString(BXSettings::DataBackupPath, _dir.path());
    DBTypes::UserPrefs prefs;
    prefs.measurementUnits = 0;
    prefs.energyUnits = 1;
    QVERIFY(UserDB::instance()->setUserPrefs(_user, prefs));
}

void TestPreferences::cleanup()
{
    loadBrand(QByteArray());
}

void TestPreferences::storedProxyChoosesTheRadioButton_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::newRow("default") << QString() << "radDefaultProxy" << QString() << QString();
    QTest::newRow("direct") << "1" << "radProxyDirect" << QString() << QString();
    QTest::newRow("manual") << "proxy.lan:3128" << "radProxyManual" << "proxy.lan" << "3128";
    QTest::newRow("three parts") << "a:b:c" << "radDefaultProxy" << QString() << QString();
    QTest::newRow("port alone") << ":8080" << "radDefaultProxy" << QString() << QString();
}

void TestPreferences::storedProxyChoosesTheRadioButton()
{
    QFETCH(QString, stored);
    QFETCH(QString, checked);
    QFETCH(QString, host);
    QFETCH(QString, port);
    BXSettings().setString(BXSettings::ProxySettings, stored);
    ScriptedPreferences dialog;
    QVERIFY(dialog.child<QRadioButton>(qPrintable(checked))->isChecked());
    QCOMPARE(dialog.child<QLineEdit>("txtProxyHost")->text(), host);
    QCOMPARE(dialog.child<QLineEdit>("txtProxyPort")->text(), port);
    const bool manual = checked == QLatin1String("radProxyManual");
    QCOMPARE(dialog.child<QLineEdit>("txtProxyHost")->isEnabled(), manual);
    QCOMPARE(dialog.child<QLineEdit>("txtProxyPort")->isEnabled(), manual);
}

void TestPreferences::proxyIsSavedAsTyped()
{
    {
        ScriptedPreferences dialog;
        dialog.child<QRadioButton>("radProxyManual")->setChecked(true);
        QVERIFY(dialog.child<QLineEdit>("txtProxyHost")->isEnabled());
        dialog.save();
        QCOMPARE(BXSettings().getString(BXSettings::ProxySettings), QStringLiteral(":"));
    }
    {
        ScriptedPreferences dialog;
        dialog.child<QRadioButton>("radProxyDirect")->setChecked(true);
        QVERIFY(!dialog.child<QLineEdit>("txtProxyHost")->isEnabled());
        dialog.save();
        QCOMPARE(BXSettings().getString(BXSettings::ProxySettings), QStringLiteral("1"));
    }
}

void TestPreferences::updateIntervalFollowsTheBox()
{
    loadBrand("<bool id=\"update_enabled\" value=\"true\"/>\n");
    BXSettings().setInt(BXSettings::StaticDbUpdateInterval, 14);
    ScriptedPreferences dialog;
    QCheckBox* box = dialog.child<QCheckBox>("autoStaticDbUpdate");
    QVERIFY(!box->isHidden());
    QVERIFY(box->isChecked());
    dialog.save();
    QCOMPARE(BXSettings().getInt(BXSettings::StaticDbUpdateInterval), 28);
    box->setChecked(false);
    dialog.save();
    QCOMPARE(BXSettings().getInt(BXSettings::StaticDbUpdateInterval), -1);
}

void TestPreferences::updateBoxHiddenWithoutUpdates()
{
    BXSettings().setInt(BXSettings::StaticDbUpdateInterval, 14);
    ScriptedPreferences dialog;
    QVERIFY(dialog.child<QCheckBox>("autoStaticDbUpdate")->isHidden());
    dialog.save();
    QCOMPARE(BXSettings().getInt(BXSettings::StaticDbUpdateInterval), 14);
}

void TestPreferences::publishingBoxesFollowTheLogin()
{
    loadBrand("<bool id=\"publish_enabled\" value=\"true\"/>\n");
    QVERIFY(storePublishingLogin());

    ScriptedPreferences dialog;
    QVERIFY(!dialog.child<QGroupBox>("groupBox3")->isHidden());
    QVERIFY(dialog.child<QGroupBox>("groupBox3")->title().endsWith(QLatin1String(" Login")));
    QCheckBox* upload = dialog.child<QCheckBox>("uploadOnExitBox");
    QCheckBox* confirm = dialog.child<QCheckBox>("confirmUploadBox");
    QVERIFY(upload->isEnabled() && upload->isChecked());
    QVERIFY(confirm->isEnabled());

    dialog.child<QLineEdit>("webUsernameEdit")->setText(QStringLiteral("   "));
    QVERIFY(!upload->isEnabled());
    QVERIFY(!upload->isChecked());
    QVERIFY(!confirm->isEnabled());
    QVERIFY(confirm->isChecked());

    dialog.child<QLineEdit>("webUsernameEdit")->setText(QStringLiteral("ada"));
    QVERIFY(upload->isEnabled());
    QVERIFY(!confirm->isEnabled());
    upload->setChecked(true);
    QVERIFY(confirm->isEnabled());
}

void TestPreferences::forcedPublishingKeepsTheStoredFlags()
{
    loadBrand("<bool id=\"publish_enabled\" value=\"true\"/>\n"
              "<bool id=\"publish_on_quit_forced\" value=\"true\"/>\n");
    DBTypes::UserPrefs prefs = storedPrefs();
    prefs.autoPublish = false;
    prefs.askBeforePublish = true;
    QVERIFY(UserDB::instance()->setUserPrefs(_user, prefs));

    ScriptedPreferences dialog;
    QCheckBox* upload = dialog.child<QCheckBox>("uploadOnExitBox");
    QVERIFY(upload->isChecked() && !upload->isEnabled());
    QVERIFY(!dialog.child<QCheckBox>("confirmUploadBox")->isChecked());
    dialog.save();
    QCOMPARE(storedPrefs().autoPublish, false);
    QCOMPARE(storedPrefs().askBeforePublish, true);
}

void TestPreferences::hiddenLoginSavesEmptyLogin()
{
    QVERIFY(storePublishingLogin());

    ScriptedPreferences dialog;
    QVERIFY(dialog.child<QGroupBox>("groupBox3")->isHidden());
    QVERIFY(dialog.child<QCheckBox>("uploadOnExitBox")->isHidden());
    QVERIFY(dialog.child<QCheckBox>("confirmUploadBox")->isHidden());
    dialog.save();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const DBTypes::UserPrefs saved = storedPrefs();
    QVERIFY(saved.webUserName.isEmpty());
    QVERIFY(saved.webPassword.isEmpty());
    QVERIFY(!saved.autoPublish);
    QVERIFY(!saved.askBeforePublish);
}

void TestPreferences::unitsAreSavedAndInstalled()
{
    ScriptedPreferences dialog;
    QVERIFY(dialog.child<QRadioButton>("metricRadio")->isChecked());
    QVERIFY(dialog.child<QRadioButton>("caloriesRadio")->isChecked());
    dialog.child<QRadioButton>("kilojoulesRadio")->setChecked(true);
    dialog.child<QRadioButton>("imperialRadio")->setChecked(true);
    dialog.save();
    QCOMPARE(storedPrefs().energyUnits, 0);
    QCOMPARE(storedPrefs().measurementUnits, 1);
    UnitCollection* units = UnitCollection::instance();
    QCOMPARE(units->get(UnitCollection::Energy)->displayValue(100.0), 418.0);
    QVERIFY(qAbs(units->get(UnitCollection::Weight)->displayValue(1.0) - 2.2046) < 0.01);

    DBTypes::UserPrefs metric = storedPrefs();
    metric.energyUnits = 1;
    metric.measurementUnits = 0;
    PreferencesDialog::setPrefs(metric);
    QCOMPARE(units->get(UnitCollection::Energy)->displayValue(100.0), 100.0);
    QCOMPARE(units->get(UnitCollection::Weight)->displayValue(1.0), 1.0);
}

// A store that refuses the preferences (a full disk): the user is told and may try again.
void TestPreferences::unsavedPreferencesKeepTheDialogOpen()
{
    BXSqlDb::perform("CREATE TEMP TRIGGER refuse_prefs BEFORE UPDATE ON user_users "
                     "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    ScriptedPrompter prompter;
    ScriptedPreferences dialog;
    dialog.child<QRadioButton>("kilojoulesRadio")->setChecked(true);
    dialog.child<QRadioButton>("radProxyDirect")->setChecked(true);
    dialog.child<QLineEdit>("txtBackupPath")->setText(_dir.path());
    dialog.save();
    BXSqlDb::perform("DROP TRIGGER refuse_prefs");
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(prompter.asked.size(), 1);
    QCOMPARE(prompter.lastCaption(), QStringLiteral("Cannot save your preferences"));
    // The rule that refused it, told once, and no advice about a disk that is not at fault.
    QCOMPARE(prompter.lastText(), QStringLiteral("The change was not saved: refused."));
    QCOMPARE(storedPrefs().energyUnits, 1);
    QCOMPARE(UnitCollection::instance()->get(UnitCollection::Energy)->displayValue(100.0), 100.0);

    dialog.save();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(storedPrefs().energyUnits, 0);
}

void TestPreferences::backupFolderMustBeGiven()
{
    ScriptedPreferences dialog;
    QCOMPARE(dialog.child<QLineEdit>("txtBackupPath")->text(),
             QDir::cleanPath(_dir.path()) + QLatin1Char('/'));
    dialog.child<QLineEdit>("txtBackupPath")->clear();
    dialog.save();
    QCOMPARE(dialog.messages,
             QStringList{QStringLiteral("Error creating data backup path|No path specified.")});
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(BXSettings().getString(BXSettings::DataBackupPath), _dir.path());
}

void TestPreferences::missingBackupFolderIsCreatedOnRequest()
{
    const QString folder = _dir.filePath(QStringLiteral("backups/2024"));
    {
        ScriptedPreferences dialog;
        dialog.answer = QMessageBox::No;
        dialog.child<QLineEdit>("txtBackupPath")->setText(folder + QStringLiteral("/./"));
        dialog.save();
        QCOMPARE(dialog.messages.size(), 1);
        QVERIFY(dialog.messages.first().startsWith(QLatin1String("Path not found|The folder ")));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!QFileInfo::exists(folder));
    }
    ScriptedPreferences dialog;
    dialog.child<QLineEdit>("txtBackupPath")->setText(folder + QStringLiteral("/./"));
    dialog.save();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(BXSettings().getString(BXSettings::DataBackupPath), folder);
}

void TestPreferences::defaultBackupFolderIsNeitherAskedAboutNorMade()
{
    BXSettings().setString(BXSettings::DataBackupPath, QString());
    const QString folder = BXSettings::defaultBackupDir();
    QVERIFY(!QFileInfo::exists(folder));
    ScriptedPreferences dialog;
    dialog.child<QRadioButton>("kilojoulesRadio")->setChecked(true);
    dialog.save();
    QCOMPARE(dialog.messages, QStringList());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(storedPrefs().energyUnits, 0);
    QVERIFY(!QFileInfo::exists(folder));
}

void TestPreferences::uncreatableBackupFolderKeepsTheDialogOpen()
{
    const QString file = _dir.filePath(QStringLiteral("plain-file"));
    QFile plain(file);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();

    ScriptedPreferences dialog;
    dialog.child<QRadioButton>("kilojoulesRadio")->setChecked(true);
    dialog.child<QRadioButton>("radProxyDirect")->setChecked(true);
    dialog.child<QLineEdit>("txtBackupPath")->setText(file + QStringLiteral("/inside"));
    dialog.save();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.messages.size(), 2);
    QVERIFY(dialog.messages.last().startsWith(
        QLatin1String("Error creating data backup path|Invalid path, no security permission")));
    // Nothing is stored while the dialog stays open for another folder.
    QCOMPARE(storedPrefs().energyUnits, 1);
    QCOMPARE(BXSettings().getString(BXSettings::ProxySettings), QString());
    QCOMPARE(BXSettings().getString(BXSettings::DataBackupPath), _dir.path());
}

void TestPreferences::cancelledFolderChooserKeepsThePath()
{
    ScriptedPreferences dialog;
    QLineEdit* path = dialog.child<QLineEdit>("txtBackupPath");
    const QString before = path->text();
    dialog.chosenFolder.clear();
    dialog.showFileDialog();
    QCOMPARE(path->text(), before);
    dialog.chosenFolder = _dir.filePath(QStringLiteral("chosen"));
    dialog.showFileDialog();
    QCOMPARE(path->text(), _dir.filePath(QStringLiteral("chosen")));
}

void TestPreferences::accountPageOpensThroughTheWindow()
{
    loadBrand("<bool id=\"publish_enabled\" value=\"true\"/>\n");
    MainWindow window;
    UrlRecorder browser;
    const auto askFor = [&window](PreferencesDialog::AccountAnswer answer, const QString& login) {
        auto* dialog = new ScriptedPreferences(&window);
        dialog->account = answer;
        dialog->child<QLineEdit>("webUsernameEdit")->setText(login);
        dialog->show();
        dialog->createBXAccount();
        return dialog;
    };

    // Cancel keeps the dialog open and opens nothing.
    std::unique_ptr<ScriptedPreferences> dialog(askFor(PreferencesDialog::CancelAccount, "cy"));
    QVERIFY(dialog->isVisible());
    QVERIFY(browser.urls.isEmpty());

    // No closes the dialog unsaved, then opens the page.
    dialog.reset(askFor(PreferencesDialog::DoNotSave, "cy"));
    QVERIFY(!dialog->isVisible());
    QCOMPARE(browser.urls.size(), 1);
    QVERIFY(storedPrefs().webUserName.isEmpty());

    // Yes saves first.
    dialog.reset(askFor(PreferencesDialog::SaveFirst, "ada"));
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(storedPrefs().webUserName, QStringLiteral("ada"));
    QCOMPARE(browser.urls.size(), 2);
    for (const QString& url : browser.urls) {
        QVERIFY2(url.startsWith(QLatin1String("http://www.pantrel.example/register?product=")),
                 qPrintable(url));
        QVERIFY(!url.contains(QLatin1String("${")));
    }
}

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
