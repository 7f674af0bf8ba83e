#include "net/metrics.h"

#include <QWidget>

Metrics::Metrics(QWidget* parent, const char* name)
    : QObject(parent)
{
    setObjectName(QString::fromLatin1(name));
}

QString Metrics::getLastError() const
{
    return tr("Cannot connect to server");
}

void Metrics::start()
{
    // No secure web client is available to this build yet, so no report is sent; the
    // usage counts stay in the user database until one is.
}
