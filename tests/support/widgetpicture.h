#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

// Saves what `widget` shows as <build>/widget-pictures/<name>.png, so that a person can
// look over the widgets the tests build. False when the picture could not be written.
inline bool saveWidgetPicture(QWidget* widget, const QString& name)
{
    const QString folder = QDir::cleanPath(QCoreApplication::applicationDirPath()
                                           + QStringLiteral("/../widget-pictures"));
    return QDir().mkpath(folder)
        && widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}
