#include "net/staticdbupdaterui.h"

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "net/installupdatequestion.h"
#include "net/staticdbupdater.h"
#include "widgets/prompter.h"

#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

QString caption()
{
    return StaticDbUpdaterUI::tr("Database Updates");
}

} // namespace

StaticDbUpdaterUI::StaticDbUpdaterUI(QWidget* parent)
    : QObject(parent)
    , _parentWidget(parent)
    , _progress(new QProgressDialog(tr("Downloading database update..."), tr("Cancel"), 0, 0, parent,
                                    Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                        | Qt::WindowCloseButtonHint | Qt::Dialog))
{
    _progress->setModal(true);
    _progress->setAutoClose(false);
    _progress->setAutoReset(false);
    // Shown only while a download runs, not on its own after the usual delay.
    _progress->reset();
}

StaticDbUpdaterUI::~StaticDbUpdaterUI()
{
    delete _progress;
}

bool StaticDbUpdaterUI::doUpdate(bool skipCheck)
{
    _failed = false;
    const BrandEngine* brand = BrandEngine::instance();
    // A brand without an update address has nothing to update from.
    if (!(brand->idExists("update_rss_url") && brand->idExists("update_enabled")
          && brand->getBool("update_enabled"))) {
        _failed = true;
        Prompter::warning(_parentWidget, caption(),
                          tr("This program has no address to update the food database from."));
        return false;
    }
    StaticDbUpdater* updater = StaticDbUpdater::instance();
    if (!skipCheck && !_check())
        return !_failed;
    if (updater->databaseState() != StaticDbUpdater::UPDATE_AVAILABLE)
        return true;

    InstallUpdateQuestion question(_parentWidget);
    BXSettings settings;
    const bool autoCheck = settings.getInt(BXSettings::StaticDbUpdateInterval) != -1;
    question.setAutoCheck(autoCheck);
    const bool yes = askToInstall(question);
    // The box as it was shown is the stored choice or its default: only a change is stored.
    if (question.autoCheck() != autoCheck)
        settings.setInt(BXSettings::StaticDbUpdateInterval, question.autoCheck() ? 28 : -1);
    if (!yes)
        return true;
    if (!permitted()) {
        _failed = true;
        Prompter::warning(_parentWidget, caption(),
                          tr("You do not have the required permissions to update the static databases. "
                             "Please contact your network administrator."));
        return false;
    }
    _download();
    return !_failed;
}

void StaticDbUpdaterUI::_fail(const QString& message)
{
    _failed = true;
    Prompter::critical(_parentWidget, caption(), message);
}

bool StaticDbUpdaterUI::_check()
{
    StaticDbUpdater* updater = StaticDbUpdater::instance();
    QMessageBox box(QMessageBox::NoIcon, caption(), tr("Checking for database updates"), QMessageBox::Cancel,
                    _parentWidget);
    box.setModal(true);
    connect(updater, &StaticDbUpdater::checkFinished, &box, &QDialog::accept);
    if (updater->state() != StaticDbUpdater::CHECKING && !updater->checkForUpdate()) {
        if (updater->state() == StaticDbUpdater::FAILED)
            _fail(updater->errorString());
        return false;
    }
    if (!runCheckingBox(box)) {
        updater->abort();
        return false;
    }
    if (updater->state() == StaticDbUpdater::FAILED) {
        _fail(updater->errorString());
        return false;
    }
    switch (updater->databaseState()) {
    case StaticDbUpdater::NO_INFORMATION:
        Prompter::information(_parentWidget, caption(),
                              updater->hasMessage() ? updater->message()
                                                    : tr("Sorry, there are no database updates for your product"));
        return false;
    case StaticDbUpdater::UP_TO_DATE:
        Prompter::information(_parentWidget, caption(), tr("Your databases are up to date."));
        return false;
    default:
        return true;
    }
}

void StaticDbUpdaterUI::_download()
{
    StaticDbUpdater* updater = StaticDbUpdater::instance();
    _progress->setLabelText(tr("Downloading database update..."));
    _progress->setWindowTitle(caption());
    _progress->setFixedSize(500, 100);
    _progress->setRange(0, 0);
    connect(_progress, &QProgressDialog::canceled, updater, &StaticDbUpdater::abort);
    connect(updater, &StaticDbUpdater::downloadFinished, this, &StaticDbUpdaterUI::downloadFinished);
    // Once shown, the modal dialog's setValue() runs an event loop, which must not run inside
    // the download's own signals: the progress comes by the event loop.
    connect(updater, &StaticDbUpdater::downloadProgress, this, &StaticDbUpdaterUI::_showDownloadProgress,
            Qt::QueuedConnection);
    connect(updater, &StaticDbUpdater::installProgress, this, &StaticDbUpdaterUI::_setProgress);
    if (updater->downloadUpdate())
        runProgress(*_progress);
    updater->disconnect(this);
    _progress->disconnect(updater);
    switch (updater->state()) {
    case StaticDbUpdater::FAILED:
        _fail(updater->errorString());
        break;
    case StaticDbUpdater::IDLE:
        Prompter::information(_parentWidget, caption(), tr("Your databases have been updated successfully."));
        break;
    default:
        break;
    }
}

bool StaticDbUpdaterUI::runCheckingBox(QMessageBox& box)
{
    box.exec();
    return box.result() == QDialog::Accepted;
}

bool StaticDbUpdaterUI::askToInstall(InstallUpdateQuestion& question)
{
    return question.exec() == QDialog::Accepted;
}

void StaticDbUpdaterUI::runProgress(QProgressDialog& dialog)
{
    dialog.exec();
}

bool StaticDbUpdaterUI::permitted() const
{
    return StaticDbUpdater::instance()->checkPermissions();
}

// The install processes events, so it starts once the download's signals have returned.
void StaticDbUpdaterUI::downloadFinished(bool error)
{
    if (!error && StaticDbUpdater::instance()->state() != StaticDbUpdater::ABORTED) {
        _progress->setLabelText(tr("Installing database update..."));
        QTimer::singleShot(0, this, &StaticDbUpdaterUI::_install);
        return;
    }
    _closeProgress();
}

void StaticDbUpdaterUI::_install()
{
    StaticDbUpdater* updater = StaticDbUpdater::instance();
    if (updater->state() != StaticDbUpdater::ABORTED)
        updater->installUpdate();
    _closeProgress();
}

void StaticDbUpdaterUI::_closeProgress()
{
    disconnect(_progress, &QProgressDialog::canceled, StaticDbUpdater::instance(), &StaticDbUpdater::abort);
    _progress->close();
    _progress->reset();
}

// Progress that arrives after the download has ended is stale.
void StaticDbUpdaterUI::_showDownloadProgress(int done, int total)
{
    if (StaticDbUpdater::instance()->state() == StaticDbUpdater::BUSY)
        _setProgress(done, total);
}

void StaticDbUpdaterUI::_setProgress(int done, int total)
{
    _progress->setRange(0, std::max(total, 0));
    _progress->setValue(total > 0 ? std::clamp(done, 0, total) : 0);
}
