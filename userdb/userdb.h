#pragma once

#include "core/dbtypes.h"
#include "userdb/usermeasurements.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

class BXSqlQuery;
class StoredRange;

// Users of the household and all their non-diary data: profile, preferences, tips, start
// counts, sync bookkeeping and the dated check-in, water, target, activity, goal and plan
// history, plus the body formulas. Also knows who the current user is.
//
// Dated tables keep one row per user and day. Reading a field for some day walks back to the
// newest earlier row where that field was set.
class UserDB
{
public:
    // The dated tables that ensureRecordExists() guarantees a row in.
    enum TableName { Checkins = 0, Target = 1, Misc = 2, Water = 3 };
    // getStepsList(): one entry per day of the range.
    enum StepMode { StepsPerDay = 0 };

    // The weight trend: the date of the previous weighing (null with fewer than two) and
    // one of "nochange", "increase", "bigincrease", "decrease", "bigdecrease".
    struct Trend
    {
        QString date;
        QString trend;
    };

    // A household holds at most this many users; a backup with more is never restored.
    static constexpr int MaxFamilyUsers = 5;
    // The longest line the profile and preference dialogs take: a line edit's longest text.
    static constexpr double LineLength = 32767;

    using DatedValues = QList<QPair<QString, float>>;
    using DatedMeasurements = QList<QPair<QString, UserMeasurements>>;

    // Removes a user's own catalogue items inside the deletion's transaction; throws
    // BXException on failure. Installed by the catalogues.
    using CatalogueDeleter = std::function<void(qint64 user)>;

    static UserDB* instance();
    // Deletes the store; the next instance() builds a new one.
    static void cleanUp();
    ~UserDB();

    qint64 getCurrentUser() const { return _currentUser; }
    void setCurrentUser(qint64 user) { _currentUser = user; }

    // Users and profiles. A reading gives nothing (nullopt) when the diary could not be read,
    // never a default that looks like data.
    std::optional<int> numUsers();
    // Whether the program can hold a user of this id: each user's own foods and exercises
    // hang under a root made of it (0 to 4095).
    static bool isStorableUserId(qint64 user);
    // The users of the database, but for rows of an id that isStorableUserId() refuses.
    std::optional<QList<DBTypes::UserProfile>> getUsersList();
    // Nothing when the user is missing or could not be read: call it inside an action, whose
    // outcome tells the two apart.
    std::optional<DBTypes::UserProfile> getProfile(qint64 user);
    // The lowest id no user has; nothing when the users could not be read.
    std::optional<qint64> getNextUserID();
    // Adds a user in one transaction and reports the new id through the profile and `id`.
    // False, with `error` saying why, past the brand's user limit or when the rows cannot be
    // stored (nothing is stored then); the store's own failure is the outcome of the action
    // the caller opened.
    bool addUser(DBTypes::UserProfile& profile, qint64* id, QString* error = nullptr);
    // The profile's row and height, whole or not at all.
    bool updateUser(DBTypes::UserProfile& profile);
    // A user's changed profile (when given), the preferences and a check-in, as one change
    // stored whole or not at all; false when nothing was stored.
    bool storeProfileChange(DBTypes::UserProfile* profile, const DBTypes::CheckinItem& checkin,
                            const DBTypes::UserPrefs& prefs);

    // User deletion: every row of the user, and the user's own catalogue items, in one
    // transaction. 0 on success, 1 when nothing was deleted; an exception other than
    // BXException is passed on after the rollback.
    int deleteUser(qint64 user);
    void deleteTable(qint64 user, const QString& table);
    static void setCatalogueDeleter(CatalogueDeleter deleter);

    // Preferences and per-user settings.
    // Nothing when they could not be read; a missing user has the defaults.
    std::optional<DBTypes::UserPrefs> getUserPrefs(qint64 user);
    bool setUserPrefs(qint64 user, const DBTypes::UserPrefs& prefs);
    std::optional<QString> getColumnSettings(qint64 user);
    // The writers of single settings: false when the setting was not stored.
    bool saveColumnSettings(qint64 user, const QString& layout);
    bool setBackupPath(qint64 user, const QString& path);
    bool setNutrientFluidHidden(qint64 user, bool hidden);
    // The folders the users last backed up to.
    std::optional<QStringList> getBackupPaths();

    // First-time tips and the tip of the day. getTopicsShown() gives the topics whose tips
    // the user has seen, nothing when they could not be read; getTipOfTheDay() -1 for a
    // missing user.
    bool setTipForTopic(qint64 user, int topic);
    std::optional<QSet<int>> getTopicsShown(qint64 user);
    bool resetTipForTopic(qint64 user);
    std::optional<int> getTipOfTheDay(qint64 user);
    bool setTipOfTheDay(qint64 user, int value);

    // Program starts and metrics.
    // The current user's starts of today, this one counted; -1 when it could not be stored.
    int incrementLogin();
    std::optional<int> getLoginsForDay(qint64 user, const QString& date);
    std::optional<QStringList> getLoginDays(qint64 user);
    // getLoginsForDay() of every day with starts, from one query.
    std::optional<QMap<QString, int>> getLoginCounts(qint64 user);
    std::optional<QMap<QString, QMap<QString, int>>> getFoodStats(qint64 user);
    std::optional<QStringList> getCheckinDays(qint64 user);
    bool resetMetrics(qint64 user);

    // Sync housekeeping after a publish; null dates leave the range open.
    bool clearSyncTable(const QString& table, qint64 user, qint64 device, const char* from,
                        const char* to);

    // False when the row is missing and cannot be added.
    bool ensureRecordExists(TableName table, qint64 user, const char* date);

    // Single values carried forward to a date: 0 (a target -1) when none was ever set, `exact`
    // telling whether it was set on the date itself. Every reading from here on gives nothing
    // (nullopt) when the diary could not be read, never a default that looks like data.
    std::optional<float> getWeight(qint64 user, const char* date, bool* exact);
    std::optional<float> getChest(qint64 user, const char* date, bool* exact);
    std::optional<float> getWaist(qint64 user, const char* date, bool* exact);
    std::optional<float> getHip(qint64 user, const char* date, bool* exact);
    std::optional<float> getThigh(qint64 user, const char* date, bool* exact);
    std::optional<float> getSteps(qint64 user, const char* date, bool* exact);
    std::optional<int> getActivity(qint64 user, const char* date, bool* exact);
    std::optional<int> getGoal(qint64 user, const char* date, bool* exact);
    // Whether a value was set on or before the date (then given through `value`).
    std::optional<bool> positionValueGet(qint64 user, const char* date, const char* field,
                                         const char* invalidValue, bool* exact, QVariant* value,
                                         const char* table);
    // -1, not exact, when no target was set or the one set is outside the target's range.
    std::optional<float> getTarget(qint64 user, const char* date, const char* column, bool* exact);

    // Values of one date only.
    std::optional<bool> hasCheckin(qint64 user, const char* date);
    std::optional<int> getFluid(qint64 user, const char* date);
    std::optional<QString> getNote(qint64 user, const char* date);
    bool setFluid(qint64 user, const char* date, int cups);

    // Check-in records.
    std::optional<DBTypes::CheckinItem> getCheckin(qint64 user, const char* date);
    // Stores the check-in's measurements, targets and plan whole or not at all; with
    // checkOnly only says whether it may be stored.
    bool addCheckin(const DBTypes::CheckinItem& item, bool checkOnly);
    static void clearCheckinItem(DBTypes::CheckinItem& item);
    std::optional<UserMeasurements> getDaysMeasurements(qint64 user, const char* date);
    bool setDaysMeasurements(qint64 user, const char* date, const UserMeasurements& set);
    std::optional<bool> canDelete(qint64 user, const char* date, const char* field,
                                  const char* invalidValue);

    // Lists over a range, in ascending date order.
    std::optional<DatedMeasurements> getMeasurements(qint64 user, const char* from, const char* to,
                                                     const char* device);
    std::optional<DatedValues> getWeightList(qint64 user, const char* from, const char* to);
    std::optional<DatedValues> getStepsList(qint64 user, const char* from, const char* to,
                                            StepMode mode);
    // The first weight at or after (else before) the date, which moves to its date; -1 when
    // there is none.
    std::optional<float> getNextWeight(qint64 user, char* date, bool forward);
    // The body weight an exercise on the date burns by, in kilograms: the latest weighing on
    // or before the date, else the earliest after it; -1 when the user has none.
    std::optional<float> weightForDay(qint64 user, const char* date);

    // Publishing.
    std::optional<Trend> getTrend(qint64 user, const QString& date);
    // getTrend() of each date, from one reading of the weights.
    std::optional<QMap<QString, Trend>> getTrends(qint64 user, const QStringList& dates);
    std::optional<QStringList> getDeletedCheckinsForWeb(qint64 user);
    std::optional<QList<QPair<QString, int>>> getChangedFluid(qint64 user, int device);
    std::optional<QList<QPair<QString, int>>> getChangedFluidForWeb(qint64 user);

    // Body formulas: heights in centimetres, weights in kilograms, energy in kilocalories.
    static float calcBMI_f(const float& height, const float& weight);
    static int calcBMI(const float& height, const float& weight);
    // The index as every screen and report shows it, with one decimal.
    static QString bmiText(float index);
    static float calcWeightForBMI(float height, float bmi);
    // The bands of the index, each with its risk. Every screen places an index by the value
    // bmiText shows: below 19 under, 19 to 26 healthy, above 26 at risk.
    enum BmiBand { BmiUnder, BmiHealthy, BmiOver, BmiObese, BmiVeryObese };
    static BmiBand bmiBand(float index);
    // The index at which a band begins; BmiUnder's is the low end of the scale.
    static float bmiBandStart(BmiBand band);
    // The index as bmiText shows it, with the risk of its band.
    static QString bmiWithRisk(float height, float weight);
    static int goalRecommendation(float bmi);
    // The resting energy scaled by the check-in's activity level, by the Harris-Benedict
    // equation. NO_REE when it cannot be computed: a weight or height not above 0, a check-in
    // or birth date that is no valid date code, an age below one calendar year, or an
    // activity level outside sedentary to active.
    static constexpr float NO_REE = -1.0f;
    static float harrisBenedictRee(const DBTypes::CheckinItem& checkin,
                                   const DBTypes::UserProfile& profile);

private:
    UserDB() = default;
    UserDB(const UserDB&) = delete;
    UserDB& operator=(const UserDB&) = delete;

    // The value of the range's column carried forward to the date; 0 when none was set or
    // the one set is outside the range.
    std::optional<float> _carriedForward(qint64 user, const char* date, const StoredRange& range,
                                         bool* exact);
    // The first column of the first row (0 without a row); nothing when it could not be read.
    static std::optional<int> _count(BXSqlQuery& query);
    // Whether _count() is above 0.
    static std::optional<bool> _any(BXSqlQuery& query);
    bool _insertUserRows(const DBTypes::UserProfile& profile, qint64 newId);
    // Whether anything is stored under `user`, a deleted user's id among them; nullopt when
    // that could not be read.
    std::optional<bool> _holdsRows(qint64 user);
    // Removes every row stored under `user` inside the caller's transaction; false when one
    // could not be removed.
    bool _removeUserRows(qint64 user);
    bool _writeProfile(const DBTypes::UserProfile& profile);
    bool _updateUserRow(const char* column, const QVariant& value, qint64 user);
    bool _writeMeasurements(const DBTypes::CheckinItem& item);
    bool _writeTargets(const DBTypes::CheckinItem& item);
    // Every target of the check-in of `user` on `date`; false when one could not be read.
    bool _readTargets(qint64 user, const char* date, DBTypes::CheckinItem& item);
    // Binds the preferences' target sizes from `position` on, in the order of the columns
    // energy_target_size to sodium_target_size.
    static void _bindTargetSizes(BXSqlQuery& query, int position, const DBTypes::UserPrefs& prefs);
    // Today's date code, "yyyyMMdd".
    static QString _todayCode();
    bool _writeMisc(const DBTypes::CheckinItem& item);
    bool _readMisc(DBTypes::CheckinItem& item);
    std::optional<bool> _isOnlyWeighedDate(qint64 user, const char* date);
    static bool _isFamilyBrand();
    static QString _trendWord(double change);

    static UserDB* _instance;
    static CatalogueDeleter s_catalogueDeleter;

    qint64 _currentUser = -1;
};
