#include "reports/graphcheckbox.h"

#include "core/brandengine.h"
#include "widgets/bxlabel.h"

#include <QHBoxLayout>

GraphCheckBox::GraphCheckBox(const QString& text, QWidget* parent, const QColor& colour)
    : QWidget(parent),
      _tick(BrandEngine::instance()->getPixmap("graphics.icon.tick")),
      _swatch(new BXLabel(QString(), this)),
      _spacer(new BXLabel(QString(), this)),
      _text(new BXLabel(text, this))
{
    setObjectName(text);
    const int h = fontMetrics().height();
    _empty = QPixmap(h, h);
    _empty.fill(Qt::transparent);
    if (!_tick.isNull())
        _tick = _tick.scaled(h, h, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    _swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
    _swatch->setFixedSize(h, h);
    _swatch->setAutoFillBackground(true);
    QPalette swatchColours = _swatch->palette();
    swatchColours.setColor(QPalette::Window, colour);
    _swatch->setPalette(swatchColours);
    _swatch->setAlignment(Qt::AlignCenter);
    _swatch->setPixmap(_empty);
    _spacer->setFixedSize(5, h);

    auto* layout = new QHBoxLayout(this);
    layout->setObjectName(QStringLiteral("Graph Check box layout"));
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(_swatch);
    layout->addWidget(_spacer);
    layout->addWidget(_text);
    for (BXLabel* label : {_swatch, _spacer, _text})
        connect(label, &BXLabel::clicked, this, &GraphCheckBox::procClickSignals);
}

void GraphCheckBox::setChecked(bool checked)
{
    _checked = checked;
    _swatch->setPixmap(checked ? _tick : _empty);
    emit clicked();
}

void GraphCheckBox::procClickSignals()
{
    setChecked(!_checked);
}
