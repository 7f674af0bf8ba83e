#pragma once

#include <QStringList>
#include <QWidget>

// The list of what is still missing on a wizard page: red messages, each wrapped to the
// page's width, the height following the lines. A long message never widens the page.
class ProfileErrorWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ProfileErrorWidget(QWidget* parent);

    void addError(const QString& message);
    void clearErrors();
    const QStringList& errors() const { return _errors; }

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

public slots:
    // Shows a red background for a second.
    void flash();
    void unflash();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void _changed();
    QRect _messageRect(const QString& message, int top, int width) const;

    QStringList _errors;
    QColor _background = Qt::white;
};
