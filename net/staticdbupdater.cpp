#include "net/staticdbupdater.h"

#include "catalogue/exdbstatic.h"
#include "catalogue/fooddbstatic.h"
#include "catalogue/staticdb.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/keptfiles.h"
#include "core/notificationcenter.h"
#include "core/regularfile.h"
#include "core/workprogress.h"
#include "net/bxhttp.h"
#include "net/orvurlparams.h"
#include "net/rssreader.h"
#include "widgets/userturn.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>

StaticDbUpdater* StaticDbUpdater::s_instance = nullptr;

namespace {

constexpr int BLOCK_SIZE = 64 * 1024;

// Whether the file begins with the two bytes of a gzip header.
bool hasGzipMagic(const QString& path)
{
    QFile file;
    if (!RegularFile::open(file, path))
        return false;
    return file.read(2) == QByteArray("\x1f\x8b", 2);
}

// The install's progress, told to the dialog by installProgress; Cancel calls abort().
class InstallProgress : public WorkProgress
{
public:
    explicit InstallProgress(StaticDbUpdater* updater) : _updater(updater) {}

protected:
    bool report(qint64 done, qint64 total) override
    {
        emit _updater->installProgress(int(done), int(total));
        UserTurn::passEvents();
        return _updater->state() != StaticDbUpdater::ABORTED;
    }

private:
    StaticDbUpdater* _updater;
};

} // namespace

StaticDbUpdater* StaticDbUpdater::instance()
{
    if (!s_instance)
        s_instance = new StaticDbUpdater;
    return s_instance;
}

void StaticDbUpdater::cleanUp()
{
    delete s_instance;
}

StaticDbUpdater::~StaticDbUpdater()
{
    delete _http;
    _dropDownload();
    if (s_instance == this)
        s_instance = nullptr;
}

QString StaticDbUpdater::databasePath()
{
    return BXSettings::getUserDBPath() + QStringLiteral("static.db");
}

QString StaticDbUpdater::backupPath()
{
    return BXSettings::getUserDBPath() + QStringLiteral("static.db.backup");
}

QString StaticDbUpdater::downloadPath()
{
    return BXSettings::getUserDBPath() + QStringLiteral("static.download");
}

void StaticDbUpdater::removeLeftovers()
{
    KeptFiles::add(QStringLiteral("catalogue update"), [] {
        return QStringList{databasePath(), backupPath(), downloadPath(), _freshPath()};
    });
    QFile::remove(downloadPath());
    QFile::remove(_freshPath());
}

void StaticDbUpdater::setError(const QString& error)
{
    _error = error;
    _state = FAILED;
}

void StaticDbUpdater::abort()
{
    _state = ABORTED;
    qDebug("StaticDbUpdater: Aborted");
    if (_http)
        _http->client()->abort();
}

// Requests may end inside the old wrapper's signals, so it is deleted once they return.
void StaticDbUpdater::_setHttpHost(const QString& url)
{
    if (_http) {
        _http->disconnect(this);
        _http->deleteLater();
    }
    _http = new BXHttp(url, this);
    connect(_http, &BXHttp::requestFinished, this, &StaticDbUpdater::rssRequestFinished);
    connect(_http, &BXHttp::requestFinished, this, &StaticDbUpdater::downloadRequestFinished);
    connect(_http, &BXHttp::responseHeaderReceived, this, &StaticDbUpdater::responseHeaderReceived);
    _badResponse = false;
}

bool StaticDbUpdater::checkForUpdate()
{
    if (processing())
        return false;
    qDebug("StaticDbUpdater: Making RSS request");
    _message = QString();
    _state = CHECKING;
    QString url = BrandEngine::instance()->getString("update_rss_url");
    const QString failure = OrvUrlParams::replaceAll(url);
    if (!failure.isEmpty()) {
        qDebug("StaticDbUpdater: Could not construct URL for RSS request");
        setError(failure);
        return false;
    }
    _feedUrl = url;
    _setHttpHost(url);
    _requestIds[RSS_REQUEST] = _http->doGet(url);
    return true;
}

void StaticDbUpdater::rssRequestFinished(int id, bool error)
{
    if (id != _requestIds[RSS_REQUEST])
        return;
    qDebug("StaticDbUpdater: Finished RSS request");
    _requestIds[RSS_REQUEST] = -1;
    if (error || _badResponse) {
        if (_state != ABORTED) {
            qDebug() << "StaticDbUpdater:" << _http->client()->errorString();
            setError(error ? _http->errorString()
                           : tr("Sorry, an error occurred checking for database updates. "
                                "Please try again later."));
        }
        emit checkFinished(true);
        return;
    }
    if (!_readFeed()) {
        emit checkFinished(true);
        return;
    }
    _state = IDLE;
    emit checkFinished(false);
}

// Whether the feed could be taken; a download link that could not be fetched at least as
// safely as the feed was fails the check.
bool StaticDbUpdater::_readFeed()
{
    const QByteArray data = _http->readAll();
    const RSSReader reader(data);
    _databaseState = NO_INFORMATION;
    const RSSChannel* channel = reader.getChannel();
    if (!channel) {
        qDebug() << "StaticDbUpdater::rssRequestFinished() Failed to parse rss" << data.left(512);
        return true;
    }
    const RSSItem* item = channel->findItemWithGUID(QStringLiteral("staticdb_updates"));
    if (!item) {
        qDebug("StaticDbUpdater::rssRequestFinished() No database update information available.");
        return true;
    }
    if (item->link().isNull()) {
        if (item->hasCustomField(QStringLiteral("orv:message")))
            _message = item->customField(QStringLiteral("orv:message"));
        return true;
    }
    const QString created = QString::fromLatin1(FoodDBStatic::instance()->getCreationDate());
    const QDateTime installed(QDate::fromString(created, Qt::ISODate), QTime(23, 59, 59));
    qDebug("StaticDbUpdater: update if:\ncreationDate (%s)\n<\npubDate(%s)",
           qPrintable(installed.toString(Qt::ISODate)), qPrintable(item->pubDate().toString(Qt::ISODate)));
    if (!item->pubDate().isValid() || installed >= item->pubDate()) {
        _databaseState = UP_TO_DATE;
        return true;
    }
    const QString refusal = BXHttp::refusal(item->link(), _feedUrl);
    if (!refusal.isNull()) {
        _failUnchanged(refusal);
        return false;
    }
    _downloadUrl = item->link();
    _databaseState = UPDATE_AVAILABLE;
    return true;
}

bool StaticDbUpdater::downloadUpdate()
{
    if (_databaseState != UPDATE_AVAILABLE || processing())
        return false;
    qDebug("StaticDbUpdater: Downloading update");
    _dropDownload();
    QDir().mkpath(BXSettings::getUserDBPath());
    // Made anew, so that only the user can read or change it from the first byte on.
    QFile::remove(downloadPath());
    _tempFile = new QFile(downloadPath());
    if (!_tempFile->open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner)) {
        setError(tr("Failed to create temporary file at %1.\n%2").arg(downloadPath(), _tempFile->errorString()));
        _dropDownload();
        return false;
    }
    _state = BUSY;
    _setHttpHost(_downloadUrl);
    connect(_http, &BXHttp::dataReadProgress, this, &StaticDbUpdater::downloadProgress);
    qDebug("StaticDbUpdater: Getting update from URL %s", qPrintable(_downloadUrl));
    _requestIds[DOWNLOAD_REQUEST] = _http->doGet(_downloadUrl, _tempFile);
    return true;
}

void StaticDbUpdater::responseHeaderReceived(const QHttpsResponseHeader& response)
{
    const int status = response.statusCode();
    _badResponse = status < 200 || status > 299;
    if (!_badResponse)
        qDebug("Response code: %d", status);
}

void StaticDbUpdater::downloadRequestFinished(int id, bool error)
{
    if (id != _requestIds[DOWNLOAD_REQUEST])
        return;
    qDebug("StaticDbUpdater: Finished download request.");
    _requestIds[DOWNLOAD_REQUEST] = -1;
    disconnect(_http, &BXHttp::dataReadProgress, this, &StaticDbUpdater::downloadProgress);
    if (_tempFile)
        _tempFile->close();
    if (_state == ABORTED) {
        _dropDownload();
        emit downloadFinished(true);
    } else if (_badResponse) {
        qDebug("StaticDbUpdater: Bad response received");
        _dropDownload();
        _failUnchanged(tr("Sorry, an error occurred downloading the update. Please try again later."));
        emit downloadFinished(true);
    } else if (error) {
        qDebug() << "StaticDbUpdater:" << _http->client()->errorString();
        _dropDownload();
        _failUnchanged(_http->errorString());
        emit downloadFinished(true);
    } else {
        _state = IDLE;
        emit downloadFinished(false);
    }
}

bool StaticDbUpdater::checkPermissions() const
{
    const QString folder = BXSettings::getUserDBPath();
    QDir().mkpath(folder);
    const QFileInfo database(databasePath());
    return QFileInfo(folder).isWritable() && (!database.exists() || database.isWritable());
}

// The new catalogue is decompressed and checked beside the current one while that keeps
// running; only then are the catalogues stopped and the files swapped. An interrupted
// install leaves the old copy or the new one under the database's name.
bool StaticDbUpdater::installUpdate()
{
    if (processing())
        return false;
    qDebug("StaticDbUpdater: Installing update");
    if (!_tempFile) {
        setError(tr("No database to install"));
        return false;
    }
    _state = INSTALLING;
    QString created;
    if (_decompressAndCheck(&created) && _newerThanInUse(created) && _swapInNewFile()
        && _restartCatalogues(created)) {
        QFile::remove(backupPath());
        _state = IDLE;
    }
    _dropDownload();
    NotificationCenter::notify("staticdb_update_notification", 0);
    return _state == IDLE;
}

bool StaticDbUpdater::_decompressAndCheck(QString* created)
{
    const QString fresh = _freshPath();
    if (!copyFile(_tempFile->fileName(), fresh)) {
        QFile::remove(fresh);
        if (_state != ABORTED)
            _failUnchanged(tr("The downloaded database update is damaged or incomplete."));
        return false;
    }
    std::string error;
    if (!StaticDB::checkFile(fresh, &error, created)) {
        qDebug("StaticDbUpdater: New database is corrupt: %s", error.c_str());
        QFile::remove(fresh);
        _failUnchanged(tr("The downloaded database update is damaged or incomplete: %1")
                           .arg(QString::fromStdString(error)));
        return false;
    }
    return true;
}

// An update that is not newer than the catalogue in use would never be used: it is refused.
bool StaticDbUpdater::_newerThanInUse(const QString& created)
{
    const QString inUse = QString::fromLatin1(FoodDBStatic::instance()->getCreationDate());
    if (created > inUse)
        return true;
    qDebug("StaticDbUpdater: update of %s is not newer than %s", qPrintable(created), qPrintable(inUse));
    QFile::remove(_freshPath());
    _failUnchanged(tr("The downloaded databases (of %1) are not newer than the ones you have (of %2), "
                      "so they were not installed.")
                       .arg(created, inUse));
    return false;
}

void StaticDbUpdater::_failUnchanged(const QString& what)
{
    setError(tr("%1\n\nYour databases have not been changed.").arg(what));
}

QString StaticDbUpdater::_freshPath()
{
    return databasePath() + QStringLiteral(".new");
}

// Stops the catalogues and puts the checked file in place, keeping the current copy as the
// backup. The new file replaces the current one in one step, so that the database's name
// always holds a whole catalogue. On failure the current copy stays and the catalogues run
// again.
bool StaticDbUpdater::_swapInNewFile()
{
    ExDBStatic::cleanUp();
    FoodDBStatic::cleanUp();
    const QByteArray database = QFile::encodeName(databasePath());
    const QByteArray backup = QFile::encodeName(backupPath());
    if (QFile::exists(backupPath()) && !QFile::remove(backupPath()))
        _failUnchanged(tr("The old backup copy %1 could not be removed.").arg(backupPath()));
    else if (QFile::exists(databasePath()) && ::link(database.constData(), backup.constData()) != 0
             && !QFile::copy(databasePath(), backupPath()))
        _failUnchanged(tr("No backup copy of your databases could be made at %1.").arg(backupPath()));
    else if (::rename(QFile::encodeName(_freshPath()).constData(), database.constData()) != 0)
        _failUnchanged(tr("The update could not be put in place at %1.").arg(databasePath()));
    if (_state != FAILED)
        return true;
    QFile::remove(_freshPath());
    _startCatalogues();
    return false;
}

// Starts the catalogues on the new file; unless they start and it is the file in use, the
// previous copy is put back.
bool StaticDbUpdater::_restartCatalogues(const QString& created)
{
    bool failed = false;
    FoodDBStatic* foods = FoodDBStatic::instance(&failed);
    if (!failed)
        ExDBStatic::instance(&failed);
    if (!failed && QString::fromLatin1(foods->getCreationDate()) == created)
        return true;
    qDebug("StaticDbUpdater: New databases failed to restart. Restoring backup.");
    ExDBStatic::cleanUp();
    FoodDBStatic::cleanUp();
    // Without a backup there was no copy before: the shipped file serves again.
    const bool restored = QFile::exists(backupPath())
                            ? ::rename(QFile::encodeName(backupPath()).constData(),
                                       QFile::encodeName(databasePath()).constData()) == 0
                            : QFile::remove(databasePath());
    if (restored)
        _failUnchanged(tr("The updated databases could not be started."));
    else
        setError(tr("The updated databases could not be started, and your previous databases could "
                    "not be put back at %1.").arg(databasePath()));
    _startCatalogues();
    return false;
}

void StaticDbUpdater::_startCatalogues()
{
    bool failed = false;
    FoodDBStatic::instance(&failed);
    ExDBStatic::instance(&failed);
}

bool StaticDbUpdater::copyFile(const QString& source, const QString& destination, qint64 limit)
{
    qDebug("StaticDbUpdater: copying compressed file");
    const qint64 compressedSize = QFileInfo(source).size();
    QFile out(destination);
    // Made afresh: opening a pipe left in its place would wait for a reader for ever.
    out.remove();
    if (!hasGzipMagic(source) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    gzFile in = gzopen(QFile::encodeName(source).constData(), "rb");
    if (!in)
        return false;
    QByteArray block(BLOCK_SIZE, Qt::Uninitialized);
    qint64 written = 0;
    InstallProgress progress(this);
    bool ok = gzdirect(in) == 0;
    while (ok) {
        const int n = gzread(in, block.data(), unsigned(block.size()));
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        written += n;
        ok = written <= limit && out.write(block.constData(), n) == n;
        ok = progress.advance(std::min(qint64(gzoffset(in)), compressedSize), compressedSize) && ok;
    }
    // The end of the session stops the install as Cancel does.
    if (progress.stopped())
        _state = ABORTED;
    ok = gzclose_r(in) == Z_OK && ok;
    ok = ok && out.flush() && ::fsync(out.handle()) == 0;
    out.close();
    return ok && out.error() == QFileDevice::NoError;
}

void StaticDbUpdater::_dropDownload()
{
    if (!_tempFile)
        return;
    _tempFile->close();
    _tempFile->remove();
    delete _tempFile;
    _tempFile = nullptr;
}
