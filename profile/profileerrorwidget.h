#pragma once

#include <QStringList>
#include <QWidget>

// The list of what is still missing on a wizard page: one red line per message, its size
// following the lines.
class ProfileErrorWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ProfileErrorWidget(QWidget* parent);

    void addError(const QString& message);
    void clearErrors();
    const QStringList& errors() const { return _errors; }

    QSize sizeHint() const override;

public slots:
    // Shows a red background for a second.
    void flash();
    void unflash();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void _changed();

    QStringList _errors;
    QColor _background = Qt::white;
};
