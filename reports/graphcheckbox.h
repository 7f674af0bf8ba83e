#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

class BXLabel;

// A tick box of the graph picker: a swatch of the series' colour that shows a tick when
// checked, and the series' name. A click on any part toggles it.
class GraphCheckBox : public QWidget
{
    Q_OBJECT

public:
    GraphCheckBox(const QString& text, QWidget* parent, const QColor& colour);

    bool isChecked() const { return _checked; }
    BXLabel* swatch() const { return _swatch; }
    BXLabel* textLabel() const { return _text; }

signals:
    void clicked();

public slots:
    // Shows the tick when checked and emits clicked().
    void setChecked(bool checked);
    void procClickSignals();

private:
    bool _checked = false;
    QPixmap _empty;
    QPixmap _tick;
    BXLabel* _swatch;
    BXLabel* _spacer;
    BXLabel* _text;
};
