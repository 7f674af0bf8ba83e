#ifndef PANTREL_CORE_BXSETTINGS_H
#define PANTREL_CORE_BXSETTINGS_H

#include <QSettings>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <utility>
#include <vector>

class QLocale;

// Settings in a per-brand INI file under the user's config folder; keys carry the brand id
// as prefix so brands never share values. Known settings have typed accessors with
// defaults; anything else goes through plain QSettings keys. Create one on the stack when
// needed.
//
// The static operations answer where the program's folders are; each answer is computed on
// first request and kept for the life of the process.
class BXSettings : public QSettings {
public:
    enum SettingEnum {
        SelectedReport = 0,
        WeightReportPeriod = 2,
        NutrientReportPeriod = 3,
        NutrientEnergyNet = 4,
        NutrientEnergyBurned = 5,
        NutrientEnergyIntake = 6,
        NutrientFat = 7,
        NutrientSaturatedFat = 8,
        NutrientCholesterol = 9,
        NutrientProtein = 10,
        NutrientSodium = 11,
        NutrientFiber = 12,
        NutrientCarb = 13,
        NutrientSugar = 14,
        NutrientCalcium = 15,
        ProxySettings = 16,
        StaticDbLastUpdate = 17,
        StaticDbUpdateInterval = 18,
        BrowserAdvancedSearch = 19,
        DoNotSyncDevices = 20,
        DataBackupPath = 21
    };

    // Type flags of the typed table.
    enum SettingType : quint32 { TextSetting = 0x2000, IntSetting = 0x4000, BoolSetting = 0x8000 };

    struct SettingData {
        quint32 type;
        int id;
        const char* key;
        const char* defaultValue;
    };

    // The flag is kept for the callers' sake and has no effect.
    explicit BXSettings(bool unused = false);
    ~BXSettings() override;

    // Free entries; each key passes through fK(). The writes return whether the value
    // reached the settings file.
    bool writeEntry(const QString& key, const QString& value);
    bool writeEntry(const QString& key, int value);
    bool writeEntry(const QString& key, bool value);
    bool writeEntry(const QString& key, const char* value);
    // *ok (when given) tells whether the entry was stored and, for numbers, readable.
    QString readEntry(const QString& key, const QString& defaultValue = QString(),
                      bool* ok = nullptr);
    int readNumEntry(const QString& key, int defaultValue = 0, bool* ok = nullptr);
    bool readBoolEntry(const QString& key, bool defaultValue = false, bool* ok = nullptr);
    bool removeEntry(const QString& key);

    // Typed access. Asking for an id under the wrong type is a no-op: getters give the empty
    // value of their type, setters ignore the call. A setter given what the getter gives, the
    // stored value or the default, writes nothing: a default is stored only once the user
    // changes it.
    QString getString(SettingEnum id);
    void setString(SettingEnum id, const QString& value);
    int getInt(SettingEnum id);
    void setInt(SettingEnum id, int value);
    bool getBool(SettingEnum id);
    void setBool(SettingEnum id, bool value);

    // The stored form of a key: prefixed with the brand id and a slash unless it already
    // begins with the brand id. The flag has no effect.
    QString fK(const QString& key, bool unused = false) const;

    // The executable's folder, ending in "/".
    static QString getDirExecutable();
    // The folder of the shipped files, ending in "/": the one set from the command line or
    // else the executable's folder followed by "../share/pantrel/".
    static QString getResourceDBPath();
    // May only be called before the resource folder is set or asked for.
    static void setResourceDBPath(const QString& path);
    // Takes out of the environment each XDG folder variable that holds no absolute path, which
    // the XDG rules say to ignore, so that neither this program nor Qt reads it. Called at
    // start, before anything reads a folder.
    static void ignoreRelativeFolders();
    // The user's data folder for applications, without a final "/". Like the next, it is made
    // only where a file is first written in it, once its path has proven usable.
    static QString getAppDataDir();
    // The user's data folder of this program, ending in "/".
    static QString getDirData();
    // The folder of the recipe collections: "Recipe" in the data folder; older brands keep
    // theirs two levels above their data folder.
    static QString getRecipeDir();
    // Moves the data and settings found only in the folders of earlier versions to the current
    // ones; a stored user database folder inside a moved folder follows it. Refuses, with the
    // reason in *error, when both hold some, or when a move fails. Called at start, before
    // anything reads the settings or the data folder.
    static bool moveOldFolders(QString* error);
    // Keeps Qt's own settings (the file dialogs' history) in the settings folder. Called at
    // start.
    static void keepPrivate();
    // Why the settings file cannot be read or saved (a pipe, a folder, no permission), naming
    // the file; nothing when it can, or when there is none yet. While it cannot, every
    // settings object reads the defaults and stores nothing. Also why a lock of the settings
    // cannot be used (nothing is stored meanwhile), or Qt's own settings file or one of its
    // locks (the file dialogs keep no folders meanwhile), or why the settings folder cannot be
    // made (a file or a link to nothing on its way).
    static std::optional<QString> settingsProblem();
    // The folder of the user database, ending in "/": the stored "/admin/userdbpath" when it
    // is an absolute path, else the data folder.
    static QString getUserDBPath();
    // The lock that the running copy holds on the user data in getUserDBPath().
    static QString userDataLock();
    // The file made and removed again beside that lock to learn why the lock cannot be made.
    static QString userDataLockProbe();
    // Where the copy that holds that lock records the place of its channel between copies.
    static QString userDataChannel();
    // The files of this class that the program keeps for itself: the settings file, Qt's own
    // settings file, the locks of both and the lock of the user data, with the locks that
    // guard their removal, its probe and the record of the channel. None before a brand is loaded.
    static QStringList keptFiles();
    // The stored folder of the user database, without a final "/"; empty when none or no
    // absolute one is stored. Read afresh at each call.
    static QString storedUserDBPath();
    // Removes the stored folder, so that the user database is kept in the data folder.
    static void forgetUserDBPath();
    // The backup folder: the stored choice, or else the default, which is read, never stored:
    // only the user stores a folder.
    static QString backupFolder();
    // The backup folder used until the user chooses one; nothing creates it before a backup.
    static QString defaultBackupDir();
    // a + "/" + b.
    static QString joinPaths(const QString& a, const QString& b);
    // True when the user's locale writes dates month first.
    static bool getDateFormat();
    // True when the locale's short date writes the month before the day.
    static bool isMonthFirst(const QLocale& locale);

    // The maker's web domain that named the folders of earlier versions.
    static constexpr const char* MAKER_DOMAIN = "pantrel.example";
    // The free key of the user database folder.
    static constexpr const char* UserDBPathKey = "/admin/userdbpath";
    // How long a write waits for another program that writes the settings at the same time.
    static constexpr int LockWaitMs = 2000;

private:
    struct FolderMove {
        QString from;
        QString to;
    };

    static QString configDir();
    static QString settingsFile();
    static QString usableSettingsFile();
    // The lock that Qt takes to write the settings file `settings`.
    static QString lockFile(const QString& settings);
    static QString toolkitSettingsFile();
    static std::optional<std::pair<QString, QString>> toolkitSettingsProblem();
    static std::optional<std::pair<QString, QString>> folderProblem();
    static std::vector<FolderMove> oldFolderMoves();
    static void followMovedFolders(const std::vector<FolderMove>& moved);
    static bool isInUse(const QString& path);
    static bool moveFile(const QString& from, const QString& to, QString* error);

    void loadSettings();
    const SettingData* find(SettingType type, SettingEnum id) const;
    bool isStorable() const;
    bool store(const QString& key, const QVariant& value);
    bool syncPrivately();

    static const SettingData _settingsData[];

    QString _brandId;
    std::map<quint32, const SettingData*> _settings;
};

#endif
