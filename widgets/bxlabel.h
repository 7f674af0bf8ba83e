#pragma once

#include <QLabel>

// A label that can be clicked: a mouse button released over it emits clicked(), which by
// default gives keyboard focus to the label's buddy (set with QLabel::setBuddy).
class BXLabel : public QLabel
{
    Q_OBJECT

public:
    BXLabel(QWidget* parent, const QString& text);
    BXLabel(const QString& text, QWidget* parent);

signals:
    void clicked();

public slots:
    void invokeBuddy();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void init();
};
