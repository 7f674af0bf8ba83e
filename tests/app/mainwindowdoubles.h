#pragma once

// Stand-ins for the main window's tests: a brand made of the shipped brand with test
// switches in front, the user database started from the template, and a main window whose
// dialogs, file choosers and online services answer from a script.

#include "app/mainwindow.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "reports/printmodule.h"
#include "reports/reportfactory.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarystart.h"
#include "userdb/storednotices.h"
#include "userdb/userdb.h"
#include "tests/support/brandinfront.h"
#include "tests/support/testsession.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QList>
#include <QPair>
#include <QStringList>

#include <cassert>
#include <functional>
#include <utility>

namespace MainWindowTest {

// The switches that the tests vary; everything else comes from the shipped brand.
struct BrandSwitches
{
    bool mealPlans = false;
    bool publish = false;
    bool family = true;
    bool update = false;
    bool metrics = false;
    int wwwCount = 0;
};

inline QString brandXml(const BrandSwitches& s)
{
    auto word = [](bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); };
    QString xml = QStringLiteral("<brand>\n");
    xml += QStringLiteral("<bool id=\"mealplans_enabled\" value=\"%1\"/>\n").arg(word(s.mealPlans));
    xml += QStringLiteral("<bool id=\"publish_enabled\" value=\"%1\"/>\n").arg(word(s.publish));
    xml += QStringLiteral("<bool id=\"feature.family\" value=\"%1\"/>\n").arg(word(s.family));
    xml += QStringLiteral("<bool id=\"update_enabled\" value=\"%1\"/>\n").arg(word(s.update));
    xml += QStringLiteral("<bool id=\"metrics_enabled\" value=\"%1\"/>\n").arg(word(s.metrics));
    xml += QStringLiteral("<int id=\"www_count\" value=\"%1\"/>\n").arg(s.wwwCount);
    for (int n = 1; n <= s.wwwCount; ++n) {
        xml += QStringLiteral("<string id=\"www_tooltip_%1\" value=\"Section %1\"/>\n").arg(n);
        xml += QStringLiteral("<string id=\"www_url_%1\" value=\"http://www.pantrel.example/s%1?p=${PRODUCT}\"/>\n").arg(n);
        xml += QStringLiteral("<image id=\"www_icon_%1\" fileref=\"www.png\"/>\n").arg(n);
    }
    xml += QStringLiteral("</brand>\n");
    return xml;
}

// Loads the test switches in front of the shipped brand.
inline void loadBrand(const BrandSwitches& switches)
{
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::darkGreen);
    const bool loaded = loadBrandInFront(brandXml(switches), {{QStringLiteral("www.png"), icon}});
    assert(loaded);
    (void)loaded;
}

inline QString databaseFile()
{
    return BXSettings::getUserDBPath() + QStringLiteral("userdata.db");
}

// Starts a fresh user database from the template.
inline void startFreshDatabase()
{
    BXSqlDb::cleanUp();
    QDir folder(BXSettings::getUserDBPath());
    for (const QString& name : folder.entryList({QStringLiteral("userdata*")}, QDir::Files))
        folder.remove(name);
    const StoreResult start = DiaryStart::startUp(true);
    if (!start)
        qFatal("cannot start the user database: %s", qPrintable(start.message()));
    // A new diary, as at a start of the program: nothing of another is told.
    StoredNotices::restart();
}

// Adds a user with a complete profile; a test cannot go on without it.
inline qint64 addUser(const QString& name)
{
    const qint64 id = addCompleteUser(name);
    if (id < 0)
        qFatal("cannot add the user %s", qPrintable(name));
    return id;
}

// A factory and a print command that count their own deletion.
struct Counters
{
    int factoriesDeleted = 0;
    int commandsDeleted = 0;
};

class CountingFactory : public ReportFactory
{
public:
    explicit CountingFactory(Counters* counters) : _counters(counters) {}
    ~CountingFactory() override { ++_counters->factoriesDeleted; }
    Report* getReport(ReportDeviceMetrics*) override { return nullptr; }
    bool preferLandscape() const override { return false; }

private:
    Counters* _counters;
};

class CountingCommand : public PrintModule
{
public:
    CountingCommand(Counters* counters, bool cancelled) : _counters(counters), _cancelled(cancelled) {}
    ~CountingCommand() override { ++_counters->commandsDeleted; }
    ReportFactory* getReportFactory() override
    {
        return _cancelled ? nullptr : new CountingFactory(_counters);
    }

private:
    Counters* _counters;
    bool _cancelled;
};

// The main window with scripted dialogs.
class ScriptedMainWindow : public MainWindow
{
public:
    ScriptedMainWindow() : MainWindow(nullptr, "MainWindow") {}

    // Message boxes: every box is recorded; the answers are taken in order, Yes or Ok when
    // the script is empty.
    QList<QPair<QString, QString>> messages;
    QList<QMessageBox::StandardButton> answers;
    // The details and icon of the last box.
    QString lastDetails;
    QMessageBox::Icon lastIcon = QMessageBox::NoIcon;
    QString backupName;
    QString restoreName;

    // Shows the real profile wizard, targets and preferences dialogs instead of answering them.
    bool realForms = false;
    // Profile wizard: how many ran, whether it accepts, and the profile it hands out.
    int wizardRuns = 0;
    bool wizardAccepts = true;
    QString wizardName = QStringLiteral("New");

    // The measurement units installed for each user shown, in order.
    QList<int> installedUnits;
    int targetsRuns = 0;
    int preferencesRuns = 0;
    int updateChecks = 0;
    int updatesRun = 0;
    int quits = 0;
    bool publisherReady = false;
    // Prepares the real publisher (which reads the web login) instead of publisherReady.
    bool realPublisher = false;
    int publishes = 0;
    int prompts = 0;
    int promptsShown = 0;
    bool promptAccepts = true;
    bool promptDiscard = false;
    int metricsStarts = 0;
    bool printCancelled = false;
    Counters counters;
    QList<ReportFactory*> printed;
    std::function<bool(QString*)> restart;
    // Runs inside the next message box or profile wizard, before it is answered.
    std::function<void()> duringMessage;
    std::function<void()> duringWizard;

    QString lastCaption() const { return messages.isEmpty() ? QString() : messages.last().first; }
    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().second; }

    using MainWindow::webSectionUrl;

protected:
    QMessageBox::StandardButton showMessage(QMessageBox::Icon icon, const QString& caption,
                                            const QString& text, QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton, const QString&,
                                            const QString& details) override
    {
        messages.append({caption, text});
        lastDetails = details;
        lastIcon = icon;
        if (duringMessage)
            std::exchange(duringMessage, nullptr)();
        if (!answers.isEmpty())
            return answers.takeFirst();
        return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    }
    QString askBackupFileName(const QString&) override { return backupName; }
    QString askRestoreFileName(const QString&) override { return restoreName; }
    bool execProfileWizard(QWidget* parent, bool create, DBTypes::UserProfile& profile,
                           DBTypes::CheckinItem& checkin, DBTypes::UserPrefs& prefs) override
    {
        ++wizardRuns;
        if (duringWizard)
            std::exchange(duringWizard, nullptr)();
        if (realForms)
            return MainWindow::execProfileWizard(parent, create, profile, checkin, prefs);
        if (!wizardAccepts)
            return false;
        const qint64 id = profile.userId;
        profile = completeProfile(wizardName);
        profile.userId = id;
        checkin.weight = 70.0f;
        checkin.hasWeight = true;
        return true;
    }
    bool execTargetsDialog(DBTypes::CheckinItem& checkin, DBTypes::UserPrefs& prefs) override
    {
        ++targetsRuns;
        return realForms ? MainWindow::execTargetsDialog(checkin, prefs) : true;
    }
    bool execPreferences() override
    {
        ++preferencesRuns;
        return realForms ? MainWindow::execPreferences() : true;
    }
    void installUnits(const DBTypes::UserPrefs& prefs) override
    {
        installedUnits.append(prefs.measurementUnits);
        MainWindow::installUnits(prefs);
    }
    std::unique_ptr<PrintModule> createPrintCommand(int) override
    {
        return std::make_unique<CountingCommand>(&counters, printCancelled);
    }
    void printFromFactory(ReportFactory* factory, bool) override { printed.append(factory); }
    bool preparePublisher() override
    {
        return realPublisher ? MainWindow::preparePublisher() : publisherReady;
    }
    void publishNow() override { ++publishes; }
    bool askPublishingChoice(bool show, bool* discard) override
    {
        ++prompts;
        promptsShown += show ? 1 : 0;
        *discard = promptDiscard;
        return promptAccepts;
    }
    void startMetricsUpload(QObject*) override { ++metricsStarts; }
    QString metricsError(QObject*) const override { return QStringLiteral("offline"); }
    void startUpdateCheck() override { ++updateChecks; }
    void stopUpdateCheck() override {}
    void runDatabaseUpdate() override { ++updatesRun; }
    bool restartUserDatabase(QString* error) override
    {
        return restart ? restart(error) : MainWindow::restartUserDatabase(error);
    }
    void quitProgram() override { ++quits; }
};

} // namespace MainWindowTest
