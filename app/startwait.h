#pragma once

#include "core/workprogress.h"

#include <QString>
#include <QTimer>

#include <memory>

class ProgressBox;

// What the start shows while another program holds the diary: as soon as a wait of the store
// begins, a window that names the diary waited for, with Quit. Its events are handled as the
// wait goes on, so the program's channel keeps answering and a later start brings this window
// to the user. It closes once the waits have ended, and with the object; the store's waits are
// then heard by whoever heard them before.
class StartWait : public WorkProgress
{
public:
    // Hears of every wait of the store from now on.
    explicit StartWait(const QString& diary);
    ~StartWait() override;
    StartWait(const StartWait&) = delete;
    StartWait& operator=(const StartWait&) = delete;

    // Whether the user chose Quit (or Escape, or the close button) in the window of a start
    // that waits now.
    static bool quitChosen();

protected:
    bool report(qint64 done, qint64 total) override;

private:
    void _close();

    QString _diary;
    std::unique_ptr<ProgressBox> _box;
    // Runs out once no wait has gone on for a while.
    QTimer _ended;
    bool _reporting = false;
    WorkProgress* _before = nullptr;
    StartWait* _outer = nullptr;
};
