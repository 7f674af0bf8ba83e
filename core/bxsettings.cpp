#include "core/bxsettings.h"

#include "core/brandengine.h"
#include "core/createdirectory.h"
#include "core/lockcheck.h"
#include "core/regularfile.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

// The start refuses a brand whose id names no folder (BrandEngine::servesTheProgram), so no
// folder, file or settings name is ever made of an empty one.
QString brandId()
{
    const QString id = BrandEngine::instance()->getString("brand_id");
    assert(!id.trimmed().isEmpty() && "settings and folders are named only after a checked brand");
    return id;
}

bool datastoreCompat()
{
    return BrandEngine::instance()->getBool("datastore_compat");
}

// The resource folder: unset until set from the command line or first asked for.
std::optional<QString>& resourceFolder()
{
    static std::optional<QString> folder;
    return folder;
}

// Appends each level to path.
QString withLevels(QString path, const QStringList& levels)
{
    for (const QString& level : levels)
        path += QLatin1Char('/') + level;
    return path;
}

} // namespace

const BXSettings::SettingData BXSettings::_settingsData[] = {
    {IntSetting, SelectedReport, "/reports/selectedReport", "0"},
    {BoolSetting, NutrientEnergyNet, "/reports/nutrient/energyNet", "0"},
    {BoolSetting, NutrientEnergyBurned, "/reports/nutrient/energyBurned", "0"},
    {BoolSetting, NutrientEnergyIntake, "/reports/nutrient/energyIntake", "0"},
    {BoolSetting, NutrientFat, "/reports/nutrient/fat", "1"},
    {BoolSetting, NutrientSaturatedFat, "/reports/nutrient/saturatedfat", "0"},
    {BoolSetting, NutrientCholesterol, "/reports/nutrient/cholesterol", "0"},
    {BoolSetting, NutrientProtein, "/reports/nutrient/protein", "1"},
    {BoolSetting, NutrientSodium, "/reports/nutrient/sodium", "0"},
    {BoolSetting, NutrientFiber, "/reports/nutrient/fiber", "1"},
    {BoolSetting, NutrientCarb, "/reports/nutrient/carb", "1"},
    {BoolSetting, NutrientSugar, "/reports/nutrient/sugar", "0"},
    {BoolSetting, NutrientCalcium, "/reports/nutrient/calcium", "0"},
    {IntSetting, NutrientReportPeriod, "/reports/nutrient/period", "1"},
    {IntSetting, WeightReportPeriod, "/reports/weight/period", "1"},
    {IntSetting, StaticDbUpdateInterval, "/staticdb/updateInterval", "28"},
    {TextSetting, StaticDbLastUpdate, "/staticdb/lastUpdate", ""},
    {TextSetting, DoNotSyncDevices, "/palmcond/doNotSyncDevices", "0"},
    {BoolSetting, BrowserAdvancedSearch, "/browser/advancedSearch", "0"},
    {TextSetting, ProxySettings, "proxySettings", ""},
    {TextSetting, DataBackupPath, "dataBackupPath", ""},
};

BXSettings::BXSettings(bool)
    : QSettings(usableSettingsFile(), QSettings::IniFormat)
    , _brandId(brandId())
{
    loadSettings();
}

BXSettings::~BXSettings() = default;

QString BXSettings::configDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

// Settings live in a folder named after the brand; older brands keep their own file name.
QString BXSettings::settingsFile()
{
    const QString folder = configDir() + QLatin1Char('/') + brandId();
    if (datastoreCompat())
        return folder + QStringLiteral("/DesktopPantrel.ini");
    return folder + QLatin1Char('/') + brandId() + QStringLiteral(".ini");
}

std::optional<QString> BXSettings::settingsProblem()
{
    const QString path = settingsFile();
    const auto told = [](const char* text, const std::pair<QString, QString>& problem) {
        return QCoreApplication::translate("BXSettings", text)
            .arg(QDir::toNativeSeparators(problem.first), problem.second);
    };
    const std::optional<QString> unreadable = QFileInfo::exists(path) ? RegularFile::problem(path) : std::nullopt;
    if (unreadable)
        return told(QT_TRANSLATE_NOOP("BXSettings",
                                      "The settings in %1 cannot be read or saved: %2. The program "
                                      "uses its default settings and keeps no changes to them "
                                      "until the file can be read."),
                    {path, *unreadable});
    if (const auto folder = folderProblem())
        return told(QT_TRANSLATE_NOOP("BXSettings",
                                      "The settings cannot be kept in %1: %2. The program uses its "
                                      "default settings and keeps no changes to them until it is "
                                      "a folder."),
                    *folder);
    if (const auto lock = LockCheck::problem(lockFile(path), LockWaitMs))
        return told(QT_TRANSLATE_NOOP("BXSettings",
                                      "The lock %1 of the settings cannot be used: %2. The program "
                                      "keeps no changes to its settings until it is removed."),
                    *lock);
    if (const auto toolkit = toolkitSettingsProblem())
        return told(QT_TRANSLATE_NOOP("BXSettings",
                                      "%1, where the file dialogs keep the folders last used, "
                                      "cannot be used: %2. The dialogs keep no folders until it "
                                      "is removed."),
                    *toolkit);
    return std::nullopt;
}

// A pipe or a device in the settings file's place is never opened: the first read would wait
// for ever, or never end. The settings then live beneath it, where nothing can be read or made.
// A folder or a file without permission the toolkit refuses by itself.
QString BXSettings::usableSettingsFile()
{
    const QFileInfo info(settingsFile());
    if (info.exists() && !info.isFile() && !info.isDir())
        return info.filePath() + QLatin1Char('/') + info.fileName();
    return info.filePath();
}

void BXSettings::loadSettings()
{
    for (const SettingData& data : _settingsData)
        _settings[data.type | quint32(data.id)] = &data;
}

const BXSettings::SettingData* BXSettings::find(SettingType type, SettingEnum id) const
{
    const auto it = _settings.find(type | quint32(id));
    return it == _settings.end() ? nullptr : it->second;
}

QString BXSettings::fK(const QString& key, bool) const
{
    if (key.startsWith(_brandId))
        return key;
    return _brandId + (key.startsWith(QLatin1Char('/')) ? key : QLatin1Char('/') + key);
}

// A pipe, a link to nothing or a file that cannot be read in place of the lock, or a lock that
// cannot be removed, would keep the toolkit's write waiting for ever: nothing is changed while
// one is there.
bool BXSettings::isStorable() const
{
    return isWritable() && !LockCheck::problem(lockFile(fileName()), LockWaitMs);
}

bool BXSettings::store(const QString& key, const QVariant& value)
{
    if (!isStorable())
        return false;
    setValue(fK(key), value);
    return syncPrivately();
}

// Writes the settings out. What the write makes is the user's alone by the process's mask; a
// settings file or folder that the user made, or links to, keeps its modes.
bool BXSettings::syncPrivately()
{
    sync();
    return status() == QSettings::NoError;
}

QString BXSettings::lockFile(const QString& settings)
{
    return settings + QStringLiteral(".lock");
}

// The file of Qt's own settings.
QString BXSettings::toolkitSettingsFile()
{
    return QFileInfo(settingsFile()).absolutePath() + QStringLiteral("/QtProject.conf");
}

// The file of Qt's own settings, or one of its locks, that may not be opened, and why.
std::optional<std::pair<QString, QString>> BXSettings::toolkitSettingsProblem()
{
    const QString file = toolkitSettingsFile();
    if (const std::optional<QString> reason = RegularFile::problem(file))
        return std::make_pair(file, *reason);
    return LockCheck::problem(lockFile(file), LockWaitMs);
}

// The first of the folders on the way to the settings file that is something else: a file,
// or a link to nothing, where no folder can be made.
std::optional<std::pair<QString, QString>> BXSettings::folderProblem()
{
    QString folder = QFileInfo(settingsFile()).absolutePath();
    for (QFileInfo info(folder); !info.isDir(); info.setFile(folder = info.path())) {
        if (info.isSymLink() && !info.exists())
            return std::make_pair(folder, RegularFile::problem(folder).value_or(qt_error_string(ENOENT)));
        if (info.exists())
            return std::make_pair(folder, qt_error_string(ENOTDIR));
        if (info.isRoot())
            break;
    }
    return std::nullopt;
}

void BXSettings::keepPrivate()
{
    // Qt's own settings, the file dialogs' history among them, name the folders of backups and
    // exports: they are kept in the settings folder. Where a file of theirs may not be opened
    // they live beneath it, where nothing can be read or made.
    const auto blocked = toolkitSettingsProblem();
    const QString folder = blocked ? blocked->first : QFileInfo(settingsFile()).absolutePath();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

bool BXSettings::writeEntry(const QString& key, const QString& value)
{
    return store(key, value);
}

bool BXSettings::writeEntry(const QString& key, int value)
{
    return store(key, value);
}

bool BXSettings::writeEntry(const QString& key, bool value)
{
    return store(key, value);
}

bool BXSettings::writeEntry(const QString& key, const char* value)
{
    return store(key, QString::fromUtf8(value));
}

QString BXSettings::readEntry(const QString& key, const QString& defaultValue, bool* ok)
{
    const QVariant value = QSettings::value(fK(key));
    if (ok)
        *ok = value.isValid();
    return value.isValid() ? value.toString() : defaultValue;
}

int BXSettings::readNumEntry(const QString& key, int defaultValue, bool* ok)
{
    bool found = false;
    const QVariant value = QSettings::value(fK(key));
    const int number = value.isValid() ? value.toString().trimmed().toInt(&found) : 0;
    if (ok)
        *ok = found;
    return found ? number : defaultValue;
}

bool BXSettings::readBoolEntry(const QString& key, bool defaultValue, bool* ok)
{
    const QVariant value = QSettings::value(fK(key));
    const QString text = value.toString().trimmed().toLower();
    const bool known = value.isValid()
        && (text == u"true" || text == u"false" || text == u"1" || text == u"0");
    if (ok)
        *ok = known;
    if (!known)
        return defaultValue;
    return text == u"true" || text == u"1";
}

bool BXSettings::removeEntry(const QString& key)
{
    if (!isStorable())
        return false;
    remove(fK(key));
    return syncPrivately();
}

QString BXSettings::getString(SettingEnum id)
{
    const SettingData* data = find(TextSetting, id);
    if (!data)
        return QString();
    return readEntry(QString::fromLatin1(data->key), QString::fromLatin1(data->defaultValue));
}

void BXSettings::setString(SettingEnum id, const QString& value)
{
    if (getString(id) == value)
        return;
    if (const SettingData* data = find(TextSetting, id))
        writeEntry(QString::fromLatin1(data->key), value);
}

int BXSettings::getInt(SettingEnum id)
{
    const SettingData* data = find(IntSetting, id);
    if (!data)
        return 0;
    return readNumEntry(QString::fromLatin1(data->key), QByteArray(data->defaultValue).toInt());
}

void BXSettings::setInt(SettingEnum id, int value)
{
    if (getInt(id) == value)
        return;
    if (const SettingData* data = find(IntSetting, id))
        writeEntry(QString::fromLatin1(data->key), value);
}

bool BXSettings::getBool(SettingEnum id)
{
    const SettingData* data = find(BoolSetting, id);
    if (!data)
        return false;
    return readBoolEntry(QString::fromLatin1(data->key), qstrcmp(data->defaultValue, "0") != 0);
}

void BXSettings::setBool(SettingEnum id, bool value)
{
    if (getBool(id) == value)
        return;
    if (const SettingData* data = find(BoolSetting, id))
        writeEntry(QString::fromLatin1(data->key), value);
}

QString BXSettings::getDirExecutable()
{
    static const QString folder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    return folder;
}

QString BXSettings::getResourceDBPath()
{
    std::optional<QString>& folder = resourceFolder();
    if (!folder)
        folder = getDirExecutable() + QStringLiteral("../share/pantrel/");
    return *folder;
}

void BXSettings::setResourceDBPath(const QString& path)
{
    std::optional<QString>& folder = resourceFolder();
    assert(!folder && "the resource folder is set once, before it is asked for");
    // Resource file names are appended directly to the folder, so it must end with a slash.
    folder = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

void BXSettings::ignoreRelativeFolders()
{
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
                             "XDG_RUNTIME_DIR"}) {
        if (qEnvironmentVariableIsSet(name) && !qEnvironmentVariable(name).startsWith(QLatin1Char('/')))
            qunsetenv(name);
    }
}

QString BXSettings::getAppDataDir()
{
    static const QString folder = [] {
        QString path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (path.isEmpty())
            path = QDir::homePath() + QStringLiteral("/.local/share");
        return path;
    }();
    return folder;
}

QString BXSettings::getDirData()
{
    static const QString folder = [] {
        const QString appData = getAppDataDir();
        if (datastoreCompat())
            return withLevels(appData, {brandId(), QStringLiteral("Pantrel"),
                                        QStringLiteral("VersionTwo"), QStringLiteral("Default")})
                + QLatin1Char('/');
        return withLevels(appData, {brandId()}) + QLatin1Char('/');
    }();
    return folder;
}

QString BXSettings::getRecipeDir()
{
    return getDirData()
        + (datastoreCompat() ? QStringLiteral("../../Recipe") : QStringLiteral("Recipe"));
}

std::vector<BXSettings::FolderMove> BXSettings::oldFolderMoves()
{
    if (datastoreCompat())
        return {};
    const QString oldData = getAppDataDir() + QLatin1Char('/') + QLatin1String(MAKER_DOMAIN);
    const QString oldConfig = configDir() + QLatin1Char('/') + QLatin1String(MAKER_DOMAIN);
    const QString data = getAppDataDir() + QLatin1Char('/') + brandId();
    return {
        {oldData + QStringLiteral("/Pantrel/") + brandId(), data},
        {oldData + QStringLiteral("/Recipe"), data + QStringLiteral("/Recipe")},
        {oldConfig + QStringLiteral("/Pantrel/") + brandId() + QStringLiteral(".ini"),
         settingsFile()},
    };
}

bool BXSettings::moveOldFolders(QString* error)
{
    const std::vector<FolderMove> moves = oldFolderMoves();
    for (const FolderMove& move : moves) {
        if (QFileInfo::exists(move.from) && isInUse(move.to)) {
            *error = QCoreApplication::translate(
                         "BXSettings", "Your data and settings are found both in %1 and in %2. "
                                       "Keep the one you want, move or delete the other, and "
                                       "start the program again.")
                         .arg(move.from, move.to);
            return false;
        }
    }
    std::vector<FolderMove> moved;
    for (const FolderMove& move : moves) {
        if (!QFileInfo::exists(move.from))
            continue;
        if (!moveFile(move.from, move.to, error))
            return false;
        moved.push_back(move);
    }
    followMovedFolders(moved);
    // Leaves no empty folders behind; rmdir refuses folders that still hold something.
    for (const QString& base : {getAppDataDir(), configDir()}) {
        const QString domain = base + QLatin1Char('/') + QLatin1String(MAKER_DOMAIN);
        QDir().rmdir(domain + QStringLiteral("/Pantrel"));
        QDir().rmdir(domain);
    }
    return true;
}

// A stored user database folder that lay in a moved folder names its new place.
void BXSettings::followMovedFolders(const std::vector<FolderMove>& moved)
{
    const QString stored = storedUserDBPath();
    for (const FolderMove& move : moved) {
        if (stored == move.from || stored.startsWith(move.from + QLatin1Char('/'))) {
            BXSettings().writeEntry(QLatin1String(UserDBPathKey),
                                    move.to + stored.mid(move.from.size()));
            return;
        }
    }
}

// A file, or a folder that holds something.
bool BXSettings::isInUse(const QString& path)
{
    const QFileInfo info(path);
    return info.exists()
        && (!info.isDir()
            || !QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

// Renames, never copies, so that no two copies of the user's data can go separate ways.
bool BXSettings::moveFile(const QString& from, const QString& to, QString* error)
{
    QDir().rmdir(to);
    orvCreateDirectory(QFileInfo(to).absolutePath());
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *error = QCoreApplication::translate("BXSettings", "%1 cannot be moved to %2: %3.")
                 .arg(from, to, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

QString BXSettings::storedUserDBPath()
{
    // Only an absolute folder is taken: an empty or relative one would put the user database
    // wherever the program happens to be started.
    const QString path = BXSettings().readEntry(QLatin1String(UserDBPathKey), QString());
    return QDir::isAbsolutePath(path) ? QDir::cleanPath(path) : QString();
}

void BXSettings::forgetUserDBPath()
{
    BXSettings().removeEntry(QLatin1String(UserDBPathKey));
}

QString BXSettings::getUserDBPath()
{
    static const QString folder = [] {
        const QString path = storedUserDBPath();
        return path.isEmpty() ? getDirData() : path + QLatin1Char('/');
    }();
    return folder;
}

QString BXSettings::userDataLock()
{
    return getUserDBPath() + QStringLiteral("pantrel.lock");
}

QString BXSettings::userDataLockProbe()
{
    return userDataLock() + QStringLiteral(".probe");
}

QString BXSettings::userDataChannel()
{
    return getUserDBPath() + QStringLiteral("pantrel.channel");
}

QStringList BXSettings::keptFiles()
{
    // Before a brand names the folders, none is kept.
    if (BrandEngine::instance()->getString("brand_id").trimmed().isEmpty())
        return {};
    QStringList kept = RegularFile::lockFiles(userDataLock()) << userDataLockProbe() << userDataChannel();
    for (const QString& settings : {settingsFile(), toolkitSettingsFile()})
        kept << settings << RegularFile::lockFiles(lockFile(settings));
    return kept;
}

QString BXSettings::defaultBackupDir()
{
    static const QString folder = [] {
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        // A relative folder in the user's folder list is no folder, as the XDG rules say.
        if (!documents.startsWith(QLatin1Char('/')))
            documents = QDir::homePath();
        return documents + QLatin1Char('/') + brandId() + QStringLiteral(" Backups");
    }();
    return folder;
}

QString BXSettings::backupFolder()
{
    const QString stored = BXSettings().getString(DataBackupPath);
    return stored.trimmed().isEmpty() ? defaultBackupDir() : stored;
}

QString BXSettings::joinPaths(const QString& a, const QString& b)
{
    return a + QLatin1Char('/') + b;
}

bool BXSettings::isMonthFirst(const QLocale& locale)
{
    return !locale.toString(QDate(2005, 12, 31), QLocale::ShortFormat).startsWith(u"31");
}

bool BXSettings::getDateFormat()
{
    static const bool monthFirst = isMonthFirst(QLocale());
    return monthFirst;
}
