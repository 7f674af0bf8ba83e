#include "widgets/bxcalendar.h"
#include "widgets/prompter.h"

#include "core/displaydate.h"
#include "core/clock.h"

#include "widgets/numberspinbox.h"
#include "widgets/qcalmonthselector.h"
#include "widgets/qcalview.h"
#include "widgets/signalblocker.h"
#include "core/brandengine.h"
#include "core/dateconversion.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QDate defaultMinimum()
{
    return QDate(1900, 1, 1);
}

QDate defaultMaximum()
{
    return QDate(2100, 1, 1);
}

QPushButton* flatButton(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFlat(true);
    return button;
}

bool sameMonth(const QDate& a, const QDate& b)
{
    return a.year() == b.year() && a.month() == b.month();
}

}

BXCalendar::BXCalendar(QWidget* parent, const char* name) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    init(Clock::today(), defaultMinimum(), defaultMaximum());
}

BXCalendar::BXCalendar(QWidget* parent, const QDate& date, const QDate& minimum,
                       const QDate& maximum)
    : QWidget(parent)
{
    init(date, minimum, maximum);
}

void BXCalendar::init(const QDate& date, const QDate& minimum, const QDate& maximum)
{
    BrandEngine* brand = BrandEngine::instance();
    _prevButton = flatButton(this, "prevMonthButton");
    _prevButton->setIcon(brand->getPixmap("graphics.icon.backarrow"));
    _prevButton->setMinimumWidth(40);
    _monthButton = flatButton(this, "monthButton");
    _monthButton->setText(tr("Month"));
    _monthButton->setMinimumWidth(110);
    _nextButton = flatButton(this, "nextMonthButton");
    _nextButton->setIcon(brand->getPixmap("graphics.icon.frontarrow"));
    _nextButton->setFixedWidth(40);
    _yearSpin = new NumberSpinBox(this);
    _yearSpin->setObjectName(QStringLiteral("yearSpinBox"));
    _yearSpin->setSingleStep(1);
    _yearSpin->setRange(minimum.year(), maximum.year());
    _yearSpin->setMinimumWidth(60);
    _todayButton = new QPushButton(this);
    _todayButton->setObjectName(QStringLiteral("todayButton"));
    _todayButton->setMinimumWidth(60);
    _todayButton->hide();

    auto* controls = new QHBoxLayout;
    controls->setSpacing(1);
    const std::pair<QWidget*, int> row[] = {
        {_prevButton, 1}, {_monthButton, 8}, {_nextButton, 1}, {_yearSpin, 1}, {_todayButton, 1},
    };
    for (const auto& [widget, stretch] : row) {
        widget->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        controls->addWidget(widget, stretch);
    }

    _grid = new QCalView(this, date, minimum, maximum);
    _grid->setObjectName(QStringLiteral("calView"));
    _grid->setFont(QFont(QStringLiteral("Helvetica"), 10));
    _grid->setOutlinedDate(Clock::today());

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(controls);
    column->addWidget(_grid);

    setTabOrder(_yearSpin, _monthButton);
    setTabOrder(_monthButton, _prevButton);
    setTabOrder(_prevButton, _nextButton);

    connect(_grid, &QCalView::dateSelected, this, &BXCalendar::handleDateSelection);
    connect(_prevButton, &QPushButton::clicked, this, &BXCalendar::prevButtonPress);
    connect(_nextButton, &QPushButton::clicked, this, &BXCalendar::nextButtonPress);
    connect(_yearSpin, &QSpinBox::valueChanged, this, &BXCalendar::updateYear);
    connect(_todayButton, &QPushButton::clicked, this, &BXCalendar::todayButtonPress);
    connect(_monthButton, &QPushButton::pressed, this, &BXCalendar::displayMonthList);

    languageChange();
    setMinimumDate(minimum);
    setMaximumDate(maximum);
    setDate(date, true);
}

void BXCalendar::languageChange()
{
    _prevButton->setToolTip(tr("Previous month"));
    _monthButton->setToolTip(tr("Click to select different month"));
    _nextButton->setToolTip(tr("Next month"));
    _todayButton->setText(tr("Today"));
    _todayButton->setToolTip(tr("Goto TODAY"));
}

QDate BXCalendar::getDate() const
{
    return _grid->getDate();
}

void BXCalendar::setMinimumDate(const QDate& date)
{
    _minimum = date;
    {
        SignalBlocker blocker(_yearSpin);
        _yearSpin->setMinimum(date.year());
    }
    _grid->setMinimumDate(date);
}

void BXCalendar::setMaximumDate(const QDate& date)
{
    _maximum = date;
    {
        SignalBlocker blocker(_yearSpin);
        _yearSpin->setMaximum(date.year());
    }
    _grid->setMaximumDate(date);
}

void BXCalendar::showToday(bool show)
{
    _todayButton->setVisible(show);
}

void BXCalendar::setDate(QDate date, bool repaint)
{
    if (date < _minimum)
        date = _minimum;
    if (date > _maximum)
        date = _maximum;
    if (repaint)
        _grid->update();
    setCtls(date);
    _grid->setDate(date);
    emit dateChanged(date);
}

void BXCalendar::setCal(const QDate& date)
{
    _grid->setDate(date);
}

void BXCalendar::setCtls(const QDate& date)
{
    _prevButton->setEnabled(!sameMonth(date, _minimum));
    _nextButton->setEnabled(!sameMonth(date, _maximum));
    {
        // The year shown follows the date; it is no new choice of year.
        SignalBlocker blocker(_yearSpin);
        _yearSpin->setValue(date.year());
    }
    _monthButton->setText(DisplayDate::monthName(date.month()));
}

void BXCalendar::handleDateSelection(const QDate& date)
{
    emit daySelected(date);
    emit dateChanged(date);
}

void BXCalendar::_moveMonths(int months)
{
    setDate(_grid->getDate().addMonths(months), true);
    emit monthChanged(_grid->getDate());
}

void BXCalendar::nextButtonPress()
{
    _moveMonths(1);
}

void BXCalendar::prevButtonPress()
{
    _moveMonths(-1);
}

// The same day and month in the chosen year; 29 February becomes the 28th in other years.
void BXCalendar::updateYear(int year)
{
    const QDate current = _grid->getDate();
    setDate(current.addYears(year - current.year()), true);
    emit monthChanged(_grid->getDate());
}

void BXCalendar::todayButtonPress()
{
    setDate(Clock::today(), false);
}

void BXCalendar::displayMonthList()
{
    if (_yearSpin->hasFocus())
        _yearSpin->clearFocus();
    const QDate current = _grid->getDate();
    QCalMonthSelector list(this);
    for (QAction* action : list.actions()) {
        const QDate moved = current.addMonths(action->data().toInt() - current.month());
        action->setEnabled(moved >= _minimum && moved <= _maximum);
    }
    list.setMinimumWidth(_monthButton->width());
    _monthButton->setDown(false);
    const QAction* picked = Prompter::instance()->popup(&list, _monthButton->mapToGlobal(QPoint(0, 0)));
    if (picked)
        _moveMonths(picked->data().toInt() - current.month());
}

void BXCalendar::setBoldBits(const QDate& month, const int bits)
{
    _grid->setBoldBits(month, bits);
    _grid->update();
}

void BXCalendar::setBoldDay(const QDate& date)
{
    _grid->setBoldDay(date);
    _grid->update();
}

void BXCalendar::setBoldDay(const char* dateCode)
{
    setBoldDay(DateFromCode4(dateCode));
}

void BXCalendar::unsetBoldDay(const QDate& date)
{
    _grid->unsetBoldDay(date);
    _grid->update();
}

void BXCalendar::unsetBoldDay(const char* dateCode)
{
    unsetBoldDay(DateFromCode4(dateCode));
}

void BXCalendar::clearBoldBits()
{
    _grid->clearBoldBits();
}

bool BXCalendar::isBoldDay(const QDate& date) const
{
    return _grid->isBoldDay(date);
}

void BXCalendar::setDayFgColor(const QDate& date, const QColor& colour)
{
    _grid->setDayFgColor(date, colour);
}

QColor BXCalendar::getDayFgColor(const QDate& date) const
{
    return _grid->getDayFgColor(date);
}

void BXCalendar::setDayBgColor(const QDate& date, const QColor& colour)
{
    _grid->setDayBgColor(date, colour);
}

QColor BXCalendar::getDayBgColor(const QDate& date) const
{
    return _grid->getDayBgColor(date);
}

void BXCalendar::setBackgroundColors(const QColor& colour)
{
    for (QPushButton* button : {_prevButton, _nextButton, _monthButton}) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, colour);
        palette.setColor(QPalette::Window, colour);
        button->setPalette(palette);
        button->setAutoFillBackground(true);
    }
}
