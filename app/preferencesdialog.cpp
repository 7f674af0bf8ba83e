#include "app/preferencesdialog.h"
#include "widgets/shownday.h"
#include "widgets/named.h"
#include "widgets/prompter.h"
#include "widgets/storeprompt.h"

#include "widgets/bxhelp.h"
#include "widgets/numberfieldcheck.h"
#include "widgets/weblink.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/createdirectory.h"
#include "core/numbervalidator.h"
#include "core/unitcollection.h"
#include "core/unitenergy.h"
#include "core/unitmeasurement.h"
#include "core/unitweight.h"
#include "net/orvurlparams.h"
#include "userdb/userdb.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int UpdateIntervalOn = 28;
constexpr int UpdateIntervalOff = -1;
const char* const DirectProxy = "1";

bool brandSwitch(const char* id)
{
    BrandEngine* brand = BrandEngine::instance();
    return brand->idExists(id) && brand->getBool(id);
}

QString brandText(const char* id)
{
    return BrandEngine::instance()->getString(id);
}

bool webLoginShown()
{
    return brandSwitch("publish_enabled") || brandSwitch("mealplans_enabled");
}

DBTypes::UserPrefs& installed()
{
    static DBTypes::UserPrefs prefs;
    return prefs;
}

}  // namespace

PreferencesDialog* PreferencesDialog::construct(QWidget* parent)
{
    return new PreferencesDialog(parent);
}

const DBTypes::UserPrefs& PreferencesDialog::installedPrefs()
{
    return installed();
}

void PreferencesDialog::setPrefs(const DBTypes::UserPrefs& prefs)
{
    installed() = prefs;
    UnitCollection* units = UnitCollection::instance();
    if (prefs.measurementUnits == 0 || prefs.measurementUnits == 1) {
        units->set(UnitCollection::Weight, new UnitWeight(prefs.measurementUnits));
        units->set(UnitCollection::Measurement, new UnitMeasurement(prefs.measurementUnits));
    } else {
        qWarning("Invalid measurement type");
    }
    if (prefs.energyUnits == 0 || prefs.energyUnits == 1)
        units->set(UnitCollection::Energy,
                   new UnitEnergy(UnitEnergy::typeOfPreference(prefs.energyUnits)));
    else
        qWarning("Invalid energy type");
}

PreferencesDialog::PreferencesDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("PreferencesDialog"));
    auto* layout = new QVBoxLayout(this);
    _tabs = named(new QTabWidget(this), "tabWidget");
    layout->addWidget(_tabs);
    _createGeneralTab();
    _createInternetTab();
    _createButtons();
    languageChange();
    resize(QSize(475, 452).expandedTo(minimumSizeHint()));
    _connectSignals();
    init();
}

void PreferencesDialog::_createGeneralTab()
{
    auto* tab = named(new QWidget(_tabs), "generalTab");
    auto* layout = new QVBoxLayout(tab);

    buttonGroup3 = named(new QGroupBox(tab), "buttonGroup3");
    metricRadio = named(new QRadioButton(buttonGroup3), "metricRadio");
    imperialRadio = named(new QRadioButton(buttonGroup3), "imperialRadio");
    auto* measurements = new QHBoxLayout(buttonGroup3);
    measurements->addWidget(metricRadio);
    measurements->addWidget(imperialRadio);
    layout->addWidget(buttonGroup3);

    buttonGroup2 = named(new QGroupBox(tab), "buttonGroup2");
    caloriesRadio = named(new QRadioButton(buttonGroup2), "caloriesRadio");
    kilojoulesRadio = named(new QRadioButton(buttonGroup2), "kilojoulesRadio");
    auto* energy = new QHBoxLayout(buttonGroup2);
    energy->addWidget(caloriesRadio);
    energy->addWidget(kilojoulesRadio);
    layout->addWidget(buttonGroup2);

    grpBackup = named(new QGroupBox(tab), "grpBackup");
    textLabel1 = named(new QLabel(grpBackup), "textLabel1");
    txtBackupPath = named(new QLineEdit(grpBackup), "txtBackupPath");
    textLabel1->setBuddy(txtBackupPath);
    btnShowFileDialog = named(new QPushButton(grpBackup), "btnShowFileDialog");
    btnShowFileDialog->setMinimumWidth(10);
    btnShowFileDialog->setMaximumWidth(20);
    auto* backup = new QHBoxLayout(grpBackup);
    backup->addWidget(textLabel1);
    backup->addWidget(txtBackupPath);
    backup->addWidget(btnShowFileDialog);
    layout->addWidget(grpBackup);
    layout->addStretch();

    _tabs->addTab(tab, QString());
}

void PreferencesDialog::_createInternetTab()
{
    auto* tab = named(new QWidget(_tabs), "internetTab");
    auto* layout = new QVBoxLayout(tab);

    groupBox3 = named(new QGroupBox(tab), "groupBox3");
    textLabel6 = named(new QLabel(groupBox3), "textLabel6");
    webUsernameEdit = named(new QLineEdit(groupBox3), "webUsernameEdit");
    textLabel6->setBuddy(webUsernameEdit);
    textLabel7 = named(new QLabel(groupBox3), "textLabel7");
    webPasswordEdit = named(new QLineEdit(groupBox3), "webPasswordEdit");
    webPasswordEdit->setEchoMode(QLineEdit::Password);
    textLabel7->setBuddy(webPasswordEdit);
    bxURL = new WebLink(groupBox3, QString());
    bxURL->setObjectName(QStringLiteral("bxURL"));
    auto* login = new QGridLayout(groupBox3);
    login->addWidget(textLabel6, 0, 0);
    login->addWidget(webUsernameEdit, 0, 1);
    login->addWidget(textLabel7, 1, 0);
    login->addWidget(webPasswordEdit, 1, 1);
    login->addWidget(bxURL, 2, 0, 1, 2);
    layout->addWidget(groupBox3);

    groupBox4 = named(new QGroupBox(tab), "groupBox4");
    radDefaultProxy = named(new QRadioButton(groupBox4), "radDefaultProxy");
    radProxyDirect = named(new QRadioButton(groupBox4), "radProxyDirect");
    radProxyManual = named(new QRadioButton(groupBox4), "radProxyManual");
    labelProxyHost = named(new QLabel(groupBox4), "labelProxyHost");
    txtProxyHost = named(new QLineEdit(groupBox4), "txtProxyHost");
    labelProxyPort = named(new QLabel(groupBox4), "labelProxyPort");
    txtProxyPort = named(new QLineEdit(groupBox4), "txtProxyPort");
    auto* port = new NumberValidator(1.0, 65535.0, 0, txtProxyPort);
    port->setField(tr("Port"), QString());
    port->setBlankAllowed(true);
    txtProxyPort->setValidator(port);
    auto* proxy = new QGridLayout(groupBox4);
    proxy->addWidget(radDefaultProxy, 0, 0, 1, 4);
    proxy->addWidget(radProxyDirect, 1, 0, 1, 4);
    proxy->addWidget(radProxyManual, 2, 0, 1, 4);
    proxy->addWidget(labelProxyHost, 3, 0);
    proxy->addWidget(txtProxyHost, 3, 1);
    proxy->addWidget(labelProxyPort, 3, 2);
    proxy->addWidget(txtProxyPort, 3, 3);
    enableManualProxy(false);
    layout->addWidget(groupBox4);

    uploadOnExitBox = named(new QCheckBox(tab), "uploadOnExitBox");
    confirmUploadBox = named(new QCheckBox(tab), "confirmUploadBox");
    autoStaticDbUpdate = named(new QCheckBox(tab), "autoStaticDbUpdate");
    layout->addWidget(uploadOnExitBox);
    layout->addWidget(confirmUploadBox);
    layout->addWidget(autoStaticDbUpdate);
    layout->addStretch();

    _tabs->addTab(tab, QString());
}

void PreferencesDialog::_createButtons()
{
    helpButton = named(new QPushButton(this), "helpButton");
    pushButton6 = named(new QPushButton(this), "pushButton6");
    pushButton5 = named(new QPushButton(this), "pushButton5");
    pushButton6->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addWidget(helpButton);
    row->addStretch();
    row->addWidget(pushButton6);
    row->addWidget(pushButton5);
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
}

void PreferencesDialog::languageChange()
{
    setWindowTitle(tr("Preferences"));
    _tabs->setTabText(0, tr("General"));
    _tabs->setTabText(1, tr("Internet"));
    buttonGroup3->setTitle(tr("Measurements"));
    metricRadio->setText(tr("&Metric"));
    imperialRadio->setText(tr("&Imperial"));
    buttonGroup2->setTitle(tr("Energy"));
    caloriesRadio->setText(tr("C&alories"));
    kilojoulesRadio->setText(tr("&Kilojoules"));
    grpBackup->setTitle(tr("Backup Directory"));
    textLabel1->setText(tr("&Path:"));
    btnShowFileDialog->setText(QStringLiteral("..."));
    textLabel6->setText(tr("&Username:"));
    textLabel7->setText(tr("&Password:"));
    groupBox4->setTitle(tr("Internet Proxy"));
    radDefaultProxy->setText(tr("Use default settings"));
    radProxyDirect->setText(tr("Connect to Internet directly"));
    radProxyManual->setText(tr("Use manual proxy settings"));
    labelProxyHost->setText(tr("HTTP Proxy:"));
    labelProxyPort->setText(tr("port:"));
    uploadOnExitBox->setText(
        tr("Automatically publish diary entries when quitting the application"));
    confirmUploadBox->setText(tr("Ask before publishing diary entries"));
    autoStaticDbUpdate->setText(
        tr("Automatically check for new database updates every four weeks"));
    helpButton->setText(tr("&Help"));
    pushButton6->setText(tr("&OK"));
    pushButton5->setText(tr("&Cancel"));
}

void PreferencesDialog::_connectSignals()
{
    connect(pushButton5, &QPushButton::clicked, this, &QDialog::reject);
    connect(pushButton6, &QPushButton::clicked, this, &PreferencesDialog::save);
    connect(uploadOnExitBox, &QCheckBox::stateChanged, this,
            &PreferencesDialog::enableWidgetsAppropriately);
    connect(webUsernameEdit, &QLineEdit::textChanged, this,
            &PreferencesDialog::enableWidgetsAppropriately);
    connect(webPasswordEdit, &QLineEdit::textChanged, this,
            &PreferencesDialog::enableWidgetsAppropriately);
    connect(helpButton, &QPushButton::clicked, this, &PreferencesDialog::showHelp);
    connect(radProxyManual, &QRadioButton::toggled, this, &PreferencesDialog::enableManualProxy);
    connect(btnShowFileDialog, &QPushButton::clicked, this, &PreferencesDialog::showFileDialog);
}

void PreferencesDialog::init()
{
    UserDB* users = UserDB::instance();
    DBTypes::UserPrefs prefs;
    // Preferences that could not be read are never offered: OK would store them back.
    _read = StorePrompt::read(parentWidget(), [users, &prefs] {
        prefs = users->getUserPrefs(ShownDay::instance()->user()).value_or(prefs);
    });
    _initUnits(prefs);
    _initWebLogin(prefs);
    _initProxy();
    txtBackupPath->setText(QDir::toNativeSeparators(QDir::cleanPath(BXSettings::backupFolder()))
                           + QDir::separator());
    if (brandSwitch("update_enabled"))
        autoStaticDbUpdate->setChecked(BXSettings().getInt(BXSettings::StaticDbUpdateInterval)
                                       != UpdateIntervalOff);
    else
        autoStaticDbUpdate->hide();
}

void PreferencesDialog::_initUnits(const DBTypes::UserPrefs& prefs)
{
    if (prefs.measurementUnits == 0)
        metricRadio->setChecked(true);
    else if (prefs.measurementUnits == 1)
        imperialRadio->setChecked(true);
    else
        qWarning("PreferencesDialog::ini() - Invalid measurement unit");

    if (prefs.energyUnits == 0)
        kilojoulesRadio->setChecked(true);
    else if (prefs.energyUnits == 1)
        caloriesRadio->setChecked(true);
    else
        qWarning("PreferencesDialog::ini() - Invalid energy unit");
}

void PreferencesDialog::_initWebLogin(const DBTypes::UserPrefs& prefs)
{
    if (!webLoginShown()) {
        groupBox3->hide();
        uploadOnExitBox->hide();
        confirmUploadBox->hide();
        return;
    }
    webUsernameEdit->setText(prefs.webUserName);
    webPasswordEdit->setText(prefs.webPassword);
    uploadOnExitBox->setChecked(prefs.autoPublish);
    confirmUploadBox->setChecked(prefs.askBeforePublish);
    enableWidgetsAppropriately();
    bxURL->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bxURL->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    connect(bxURL, qOverload<>(&WebLink::clicked), this, &PreferencesDialog::createBXAccount);
    groupBox3->setTitle(tr("%1 Login").arg(brandText("web_address")));
    bxURL->setText(tr("<u>Create new %1 Account</u>").arg(brandText("web_name")));
}

void PreferencesDialog::_initProxy()
{
    const QString proxy = BXSettings().getString(BXSettings::ProxySettings);
    radDefaultProxy->setChecked(true);
    if (proxy.contains(QLatin1Char(':'))) {
        const QStringList parts = proxy.split(QLatin1Char(':'), Qt::SkipEmptyParts);
        if (parts.size() == 2) {
            txtProxyHost->setText(parts.at(0));
            NumberFieldCheck::showStored(txtProxyPort, parts.at(1));
            radProxyManual->setChecked(true);
        }
    } else if (proxy == QLatin1String(DirectProxy)) {
        radProxyDirect->setChecked(true);
    }
}

void PreferencesDialog::enableWidgetsAppropriately()
{
    if (brandSwitch("publish_on_quit_forced")) {
        uploadOnExitBox->setChecked(true);
        uploadOnExitBox->setEnabled(false);
        confirmUploadBox->setChecked(false);
        confirmUploadBox->setEnabled(false);
    } else if (!webUsernameEdit->text().trimmed().isEmpty()
               && !webPasswordEdit->text().trimmed().isEmpty()) {
        uploadOnExitBox->setEnabled(true);
        confirmUploadBox->setEnabled(uploadOnExitBox->isChecked());
    } else {
        uploadOnExitBox->setChecked(false);
        uploadOnExitBox->setEnabled(false);
        confirmUploadBox->setEnabled(false);
    }
}

void PreferencesDialog::enableManualProxy(bool on)
{
    for (QWidget* widget : {static_cast<QWidget*>(txtProxyHost), static_cast<QWidget*>(txtProxyPort),
                            static_cast<QWidget*>(labelProxyHost),
                            static_cast<QWidget*>(labelProxyPort)})
        widget->setEnabled(on);
}

void PreferencesDialog::showFileDialog()
{
    const QString folder = chooseFolder(txtBackupPath->text());
    if (!folder.isEmpty())
        txtBackupPath->setText(QDir::toNativeSeparators(folder));
}

void PreferencesDialog::showHelp()
{
    BXHelp::showTopic(QStringLiteral("started-firsttime.html#started-prefs"));
}

void PreferencesDialog::save()
{
    if (!NumberFieldCheck::confirm(this, windowTitle()))
        return;
    // Every question is asked before anything is stored: the dialog left after a refused one
    // has written nothing.
    const std::optional<QString> backupPath = _backupPath();
    if (!backupPath || !_saveUserPrefs())
        return;
    _saveProxy();
    if (brandSwitch("update_enabled")) {
        BXSettings().setInt(BXSettings::StaticDbUpdateInterval,
                            autoStaticDbUpdate->isChecked() ? UpdateIntervalOn
                                                            : UpdateIntervalOff);
    }
    BXSettings().setString(BXSettings::DataBackupPath, *backupPath);
    accept();
}

void PreferencesDialog::_saveProxy()
{
    QString proxy;
    if (radProxyDirect->isChecked())
        proxy = QLatin1String(DirectProxy);
    else if (radProxyManual->isChecked())
        proxy = txtProxyHost->text() + QLatin1Char(':') + txtProxyPort->text();
    BXSettings().setString(BXSettings::ProxySettings, proxy);
}

DBTypes::UserPrefs PreferencesDialog::_edited(DBTypes::UserPrefs prefs) const
{
    if (!brandSwitch("publish_on_quit_forced")) {
        prefs.autoPublish = uploadOnExitBox->isChecked();
        prefs.askBeforePublish = confirmUploadBox->isChecked();
    }
    prefs.webUserName = webUsernameEdit->text();
    prefs.webPassword = webPasswordEdit->text();
    prefs.measurementUnits = metricRadio->isChecked() ? 0 : 1;
    prefs.energyUnits = caloriesRadio->isChecked() ? 1 : 0;
    return prefs;
}

// True when the preferences are stored; otherwise the user was told why not.
bool PreferencesDialog::_saveUserPrefs()
{
    UserDB* users = UserDB::instance();
    const qint64 user = ShownDay::instance()->user();
    DBTypes::UserPrefs prefs;
    // The stored preferences are read and changed in one action: what could not be read is
    // never written back. Told once, with the store's reason.
    if (!StorePrompt::change(this, tr("Cannot save your preferences"),
                             [this, users, user, &prefs] {
                                 const std::optional<DBTypes::UserPrefs> read = users->getUserPrefs(user);
                                 if (!read)
                                     return false;
                                 prefs = _edited(*read);
                                 // Nothing edited, nothing written.
                                 return prefs == *read || users->setUserPrefs(user, prefs);
                             },
                             tr("Your preferences could not be stored in the user database.")))
        return false;
    setPrefs(prefs);
    return true;
}

// The backup folder typed, made when the user asked for it; none when the user was told why not
// or refused to have it made.
std::optional<QString> PreferencesDialog::_backupPath()
{
    const QString typed = txtBackupPath->text();
    const QString failureCaption = tr("Error creating data backup path");
    if (typed.isEmpty()) {
        showMessage(QMessageBox::Critical, failureCaption, tr("No path specified."),
                    QMessageBox::Ok);
        return std::nullopt;
    }
    const QString path = QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(typed)).absoluteFilePath());
    // The default folder is made by the first backup; only a folder the user named is asked about.
    const bool isDefault = path == QDir::cleanPath(BXSettings::defaultBackupDir());
    if (!isDefault && !QFileInfo(path).isDir()) {
        const QMessageBox::StandardButton answer = showMessage(
            QMessageBox::Question, tr("Path not found"),
            tr("The folder %1 cannot be found.\nCreate this folder?").arg(typed),
            QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return std::nullopt;
        if (!orvCreateDirectory(path)) {
            showMessage(QMessageBox::Critical, failureCaption,
                        tr("Invalid path, no security permission or out of space to create "
                           "folder:\n%1")
                            .arg(typed),
                        QMessageBox::Ok);
            return std::nullopt;
        }
    }
    return path;
}

void PreferencesDialog::createBXAccount()
{
    switch (askAccountQuestion()) {
    case SaveFirst:
        save();
        break;
    case DoNotSave:
        reject();
        break;
    case CancelAccount:
        return;
    }
    _openAccountPage();
}

void PreferencesDialog::_openAccountPage()
{
    QString url = brandText("web_registration_url");
    if (!OrvUrlParams::replaceAll(url).isEmpty()) {
        qDebug("could not construct website url");
        return;
    }
    if (!parentWidget()
        || !QMetaObject::invokeMethod(parentWidget(), "gotoUrl", Q_ARG(QString, url)))
        qDebug("no window to open %s", qPrintable(url));
}

QMessageBox::StandardButton PreferencesDialog::showMessage(QMessageBox::Icon icon,
                                                           const QString& caption,
                                                           const QString& text,
                                                           QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, caption, text, buttons, this);
    if (buttons.testFlag(QMessageBox::Yes)) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
    return QMessageBox::StandardButton(box.exec());
}

QString PreferencesDialog::chooseFolder(const QString& start)
{
    return QFileDialog::getExistingDirectory(this, tr("Choose a backup directory"), start,
                                             QFileDialog::ShowDirsOnly);
}

PreferencesDialog::AccountAnswer PreferencesDialog::askAccountQuestion()
{
    QMessageBox box(QMessageBox::Question,
                    tr("Create new %1 Account").arg(brandText("web_name")),
                    tr("You are about to be directed to the %1 web page.\nDo you want to save "
                       "your preferences first?")
                        .arg(brandText("web_address")),
                    QMessageBox::NoButton, this);
    QPushButton* yes = box.addButton(tr("Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(tr("No"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return SaveFirst;
    return box.clickedButton() == no ? DoNotSave : CancelAccount;
}
