#pragma once

#include <QWidget>

class QLabel;

// The wizard's closing text.
class FinishPage : public QWidget
{
    Q_OBJECT

public:
    explicit FinishPage(QWidget* parent);

    QLabel* _textLabel;

public slots:
    void languageChange();
};
