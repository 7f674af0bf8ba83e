#include "widgets/weblink.h"

#include <QMouseEvent>

WebLink::WebLink(QWidget* parent, const QString& text) : QLabel(text, parent)
{
    _setTextColour(Qt::blue);
}

QString WebLink::strip() const
{
    const QString source = text();
    QString plain;
    plain.reserve(source.size());
    bool inTag = false;
    for (const QChar c : source) {
        if (inTag) {
            inTag = c != QLatin1Char('>');
        } else if (c == QLatin1Char('<')) {
            inTag = true;
        } else if (c != QLatin1Char('>')) {
            plain += c;
        }
    }
    return plain.trimmed();
}

void WebLink::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    _setTextColour(Qt::red);
    setCursor(Qt::PointingHandCursor);
}

void WebLink::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    _setTextColour(Qt::blue);
    setCursor(Qt::ArrowCursor);
}

void WebLink::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (!rect().contains(event->position().toPoint()))
        return;
    emit clicked();
    emit clicked(strip());
}

void WebLink::_setTextColour(const QColor& colour)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, colour);
    pal.setColor(QPalette::Link, colour);  // anchors in the text take the same colour
    setPalette(pal);
}
