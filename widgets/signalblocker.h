#pragma once

class QObject;

// Blocks or unblocks an object's signals for the life of the guard, then puts back the
// state the object had before: screens change a widget's value without firing their own
// handlers. Guards nest.
class SignalBlocker
{
public:
    explicit SignalBlocker(QObject* object, bool block = true);
    ~SignalBlocker();

    SignalBlocker(const SignalBlocker&) = delete;
    SignalBlocker& operator=(const SignalBlocker&) = delete;

private:
    QObject* _object;
    bool _wasBlocked;
};
