#include "app/startwait.h"

#include "widgets/progressbox.h"
#include "userdb/busywait.h"

#include <QCoreApplication>
#include <QDir>

#include <utility>

namespace {

// A wait reports at least every tenth of a second; a pause of thrice that means it ended.
constexpr int EndedAfterMs = 300;

StartWait* s_current = nullptr;

} // namespace

StartWait::StartWait(const QString& diary) : _diary(diary)
{
    _ended.setSingleShot(true);
    _ended.setInterval(EndedAfterMs);
    QObject::connect(&_ended, &QTimer::timeout, [this] { _close(); });
    _before = BusyWait::watcher();
    _outer = std::exchange(s_current, this);
    BusyWait::watch(this);
}

StartWait::~StartWait()
{
    BusyWait::watch(_before);
    s_current = _outer;
}

bool StartWait::quitChosen()
{
    return s_current && s_current->stopped();
}

bool StartWait::report(qint64, qint64)
{
    if (!_box) {
        _box = std::make_unique<ProgressBox>(
            nullptr, QCoreApplication::translate("StartWait", "Waiting for your diary"),
            QCoreApplication::translate("StartWait",
                                                 "Another program is using your diary %1.\nThe "
                                                 "program starts as soon as it lets go of it.")
                         .arg(QDir::toNativeSeparators(_diary)));
        _box->setCancelText(QCoreApplication::translate("StartWait", "Quit"));
    }
    _ended.start();
    _reporting = true;
    // The box's own pass hears the channel and the user's Quit.
    const bool goOn = _box->advance(0, 0);
    _reporting = false;
    return goOn;
}

// Never from inside the box's own pass of events.
void StartWait::_close()
{
    if (_reporting)
        _ended.start();
    else
        _box.reset();
}
