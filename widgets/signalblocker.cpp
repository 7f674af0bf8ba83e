#include "widgets/signalblocker.h"

#include <QObject>

SignalBlocker::SignalBlocker(QObject* object, bool block)
    : _object(object), _wasBlocked(object->signalsBlocked())
{
    _object->blockSignals(block);
}

SignalBlocker::~SignalBlocker()
{
    _object->blockSignals(_wasBlocked);
}
