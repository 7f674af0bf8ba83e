#pragma once

#include <QString>

// Gives a widget built in code its object name, by which tests and style sheets find it.
template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
