#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Help > About: splash picture, program name, version and edition, plus credits for the
// bundled data and artwork.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    static AboutDialog* construct(QWidget* parent);

    QLabel* pixmapLabel() const { return _pixmapLabel1; }
    QLabel* appnameLabel() const { return _appnameLabel; }
    QLabel* creditsLabel() const { return _creditsLabel; }

protected slots:
    void languageChange();

private:
    explicit AboutDialog(QWidget* parent);
    void init();

    QLabel* _pixmapLabel1 = nullptr;
    QLabel* _appnameLabel = nullptr;
    QLabel* _creditsLabel = nullptr;
    QPushButton* _closeButton = nullptr;
};
