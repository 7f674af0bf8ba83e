#include "reports/dateselectorbar.h"

#include "core/brandengine.h"
#include "core/clock.h"
#include "core/displaydate.h"
#include "widgets/bxcalendar.h"
#include "widgets/qpopupcalendar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QStyleFactory>
#include <QToolButton>

namespace {

const QColor BarColour(189, 216, 248);

} // namespace

DateSelectorBar::DateSelectorBar(QWidget* parent)
    : QFrame(parent), _style(QStyleFactory::create(QStringLiteral("Windows")))
{
    setObjectName(QStringLiteral("dateSelectorBar"));
    setFrameShape(QFrame::StyledPanel);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, BarColour);
    colours.setColor(QPalette::Button, BarColour);
    colours.setColor(QPalette::WindowText, Qt::black);
    colours.setColor(QPalette::ButtonText, Qt::black);
    setPalette(colours);

    _label = new QLabel(QStringLiteral("Date Label"), this);
    _label->setObjectName(QStringLiteral("dateLabel"));
    _label->setIndent(5);
    _label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    QFont bold = _label->font();
    bold.setBold(true);
    _label->setFont(bold);

    _calendarButton = _toolButton(QStringLiteral("  Calendar  "));
    _calendarButton->setObjectName(QStringLiteral("calendarButton"));
    _popup = new QPopupCalendar(_calendarButton, Clock::today());
    _calendarButton->setMenu(_popup);
    _calendarButton->setPopupMode(QToolButton::InstantPopup);

    const BrandEngine* brand = BrandEngine::instance();
    _prev = _toolButton(QString());
    _prev->setObjectName(QStringLiteral("prevButton"));
    _prev->setIcon(QIcon(brand->getPixmap("graphics.icon.backarrow")));
    _today = _toolButton(tr("Today"));
    _today->setObjectName(QStringLiteral("todayButton"));
    _next = _toolButton(QString());
    _next->setObjectName(QStringLiteral("nextButton"));
    _next->setIcon(QIcon(brand->getPixmap("graphics.icon.frontarrow")));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(0);
    layout->addWidget(_label);
    layout->addWidget(_panel(_calendarButton));
    layout->addWidget(_panel(_prev, _today, _next));

    connect(_popup, &QPopupCalendar::daySelected, this, &DateSelectorBar::handleCalendarDate);
    // Months browsed before are no choice: the pop-up opens on the bar's day.
    connect(_popup, &QMenu::aboutToShow, this, [this] {
        if (_date.isValid())
            _popup->calendar()->setDate(_date, true);
    });
    connect(_prev, &QToolButton::clicked, this, &DateSelectorBar::handlePrevButton);
    connect(_today, &QToolButton::clicked, this, &DateSelectorBar::handleTodayButton);
    connect(_next, &QToolButton::clicked, this, &DateSelectorBar::handleNextButton);
}

DateSelectorBar::~DateSelectorBar()
{
    // The children use the style until they go: delete them first.
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
    delete _style;
}

QToolButton* DateSelectorBar::_toolButton(const QString& text)
{
    auto* button = new QToolButton(this);
    button->setText(text);
    button->setAutoRaise(true);
    button->setStyle(_style);
    return button;
}

QFrame* DateSelectorBar::_panel(QWidget* child1, QWidget* child2, QWidget* child3)
{
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setStyle(_style);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QWidget* child : {child1, child2, child3}) {
        if (child)
            layout->addWidget(child);
    }
    return panel;
}

void DateSelectorBar::setDate(const QDate& date)
{
    setDate(date, true);
}

void DateSelectorBar::setDate(const QDate& date, bool updateCalendar)
{
    _date = date;
    _label->setText(DisplayDate::longText(date));
    if (updateCalendar)
        _popup->calendar()->setDate(date, true);
    emit dateChanged(date);
}

QDate DateSelectorBar::_moved(int steps) const
{
    switch (_granularity) {
    case Day:
        return _date.addDays(steps);
    case Month:
        return _date.addMonths(steps);
    }
    return _date;
}

void DateSelectorBar::handleTodayButton()
{
    setDate(Clock::today(), true);
}

void DateSelectorBar::handlePrevButton()
{
    setDate(_moved(-1), true);
}

void DateSelectorBar::handleNextButton()
{
    setDate(_moved(1), true);
}

void DateSelectorBar::handleCalendarDate(const QDate& date)
{
    setDate(date, false);
}
