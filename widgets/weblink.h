#pragma once

#include <QLabel>

// A label that behaves like a link on a web page: blue at rest, red with a pointing hand
// while the pointer is over it, and clicked when a mouse button is released over it.
class WebLink : public QLabel
{
    Q_OBJECT

public:
    WebLink(QWidget* parent, const QString& text);

    // The label's text without its rich-text tags, trimmed.
    QString strip() const;

signals:
    void clicked();
    void clicked(const QString& text);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void _setTextColour(const QColor& colour);
};
