#pragma once

#include <QWidget>

class QLabel;

// The wizard's welcome text.
class IntroPage : public QWidget
{
    Q_OBJECT

public:
    explicit IntroPage(QWidget* parent);

    QLabel* textLabel1;

public slots:
    void languageChange();
};
