#include "diary/diarywidget.h"

#include "browser/exercisewidget.h"
#include "browser/foodquerywidget.h"
#include "core/brandengine.h"
#include "core/clock.h"
#include "core/displaydate.h"
#include "core/notificationcenter.h"
#include "diary/diarylistslaveheader.h"
#include "diary/diarylistview.h"
#include "diary/diarypagecontent.h"
#include "diary/diarysummary.h"
#include "diary/diaryview.h"
#include "diary/greentickswidget.h"
#include "net/mealplandialog.h"
#include "userdb/userdb.h"
#include "widgets/bxcalendar.h"
#include "widgets/invisiblestyle.h"
#include "widgets/prompter.h"
#include "widgets/qpopupcalendar.h"
#include "widgets/shownday.h"
#include "widgets/storeprompt.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyleFactory>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {

const QColor kDateBar(189, 216, 248);

QToolButton* toolButton(QWidget* parent, const char* name)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoRaise(true);
    return button;
}

void paintBackground(QWidget* widget, const QColor& colour)
{
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Window, colour);
    colours.setColor(QPalette::Button, colour);
    colours.setColor(QPalette::WindowText, Qt::black);
    colours.setColor(QPalette::ButtonText, Qt::black);
    widget->setPalette(colours);
    widget->setAutoFillBackground(true);
}

} // namespace

DiaryWidget::DiaryWidget(QWidget* parent, const char* name, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
    setObjectName(QString::fromLatin1(name));
    _buildForm();
    languageChange();
    init();
}

QFrame* DiaryWidget::_buildDateBar(QWidget* parent)
{
    frame10 = new QFrame(parent);
    frame10->setObjectName(QStringLiteral("frame10"));
    paintBackground(frame10, kDateBar);
    dateLabel = new QLabel(frame10);
    dateLabel->setObjectName(QStringLiteral("dateLabel"));
    dateLabel->setTextFormat(Qt::PlainText);
    dateLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    dateLabel->setIndent(5);
    greenTicksWidget1 = new GreenTicksWidget(frame10, "greenTicksWidget1");
    calendarFrame = new QFrame(frame10);
    calendarFrame->setObjectName(QStringLiteral("calendarFrame"));
    dateButton = toolButton(calendarFrame, "dateButton");
    dateButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    (new QHBoxLayout(calendarFrame))->addWidget(dateButton);
    dateFrame = new QFrame(frame10);
    dateFrame->setObjectName(QStringLiteral("dateFrame"));
    prevDayButton = toolButton(dateFrame, "prevDayButton");
    currentDayButton = toolButton(dateFrame, "currentDayButton");
    nextDayButton = toolButton(dateFrame, "nextDayButton");
    auto* days = new QHBoxLayout(dateFrame);
    for (QWidget* button : {prevDayButton, currentDayButton, nextDayButton})
        days->addWidget(button);
    for (QFrame* frame : {calendarFrame, dateFrame})
        frame->layout()->setContentsMargins(2, 2, 2, 2);
    auto* bar = new QHBoxLayout(frame10);
    bar->setContentsMargins(0, 0, 4, 0);
    bar->addWidget(dateLabel, 1);
    bar->addWidget(greenTicksWidget1);
    bar->addWidget(calendarFrame);
    bar->addWidget(dateFrame);
    return frame10;
}

void DiaryWidget::_buildForm()
{
    splitter2 = new QSplitter(Qt::Horizontal, this);
    splitter2->setObjectName(QStringLiteral("splitter2"));
    groupBox1 = new QGroupBox(splitter2);
    groupBox1->setObjectName(QStringLiteral("groupBox1"));
    auto* diary = new QVBoxLayout(groupBox1);
    diary->setSpacing(0);
    diary->addWidget(_buildDateBar(groupBox1));
    slaveHeader = new DiaryListSlaveHeader(groupBox1, "slaveHeader");
    diaryView1 = new DiaryView(groupBox1, "diaryView1");
    summaryWidget = new DiarySummary(groupBox1, "summaryWidget", 0);
    diary->addWidget(slaveHeader);
    diary->addWidget(diaryView1, 1);
    diary->addWidget(summaryWidget);
    foodQueryWidget3 = new FoodQueryWidget(splitter2, "foodQueryWidget3");
    foodQueryWidget3->setMinimumWidth(200);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter2);
}

void DiaryWidget::languageChange()
{
    setWindowTitle(tr("Diary"));
    _showDateLabel();
    dateButton->setText(tr("  Calendar  "));
    dateButton->setToolTip(tr("Select a day from the calendar"));
    currentDayButton->setText(tr("Today"));
}

void DiaryWidget::init()
{
    NotificationCenter::addObserver(this, "refresh(const QString&,const NotificationParam&)",
                                    "staticdb_update_notification");
    const BrandEngine* brand = BrandEngine::instance();
    prevDayButton->setIcon(brand->getPixmap("graphics.icon.backarrow"));
    nextDayButton->setIcon(brand->getPixmap("graphics.icon.frontarrow"));

    _popup = new QPopupCalendar(dateButton, Clock::today());
    dateButton->setMenu(_popup);
    dateButton->setPopupMode(QToolButton::InstantPopup);

    slaveHeader->setMaster(_list());
    slaveHeader->setFixedHeight(_list()->header()->sizeHint().height());
    _list()->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    _list()->setCalendar(_popup->calendar());
    _popup->calendar()->setDate(Clock::today(), true);
    _connect();
    _applyStyles();
    // The browser keeps the width that shows its tabs, names and figures whole; the diary
    // takes the rest of the window.
    splitter2->setStretchFactor(0, 1);
    splitter2->setStretchFactor(1, 0);
    const int browser = foodQueryWidget3->sizeHint().width();
    splitter2->setSizes({std::max(600, splitter2->width() - browser), browser});
    _popup->setFixedWidth(32 * QFontMetrics(font()).horizontalAdvance(QLatin1Char('0')));
}

void DiaryWidget::_connect()
{
    connect(prevDayButton, &QToolButton::clicked, this, &DiaryWidget::prevDayButton_clicked);
    connect(nextDayButton, &QToolButton::clicked, this, &DiaryWidget::nextDayButton_clicked);
    connect(currentDayButton, &QToolButton::clicked, this,
            &DiaryWidget::currentDayButton_clicked);
    // A pick, not dateChanged: the calendar also reports the page's own date changes.
    connect(_popup, &QPopupCalendar::daySelected, this, &DiaryWidget::_moveTo);
    // Months browsed before are no day change: the pop-up opens on the day shown.
    connect(_popup, &QMenu::aboutToShow, this,
            [this] { _popup->calendar()->setDate(getDate(), true); });
    connect(foodQueryWidget3, &FoodQueryWidget::addFoodSignal, diaryView1,
            &DiaryView::dvAddFood);
    connect(foodQueryWidget3, &FoodQueryWidget::addMealSignal, _list(),
            &DiaryListView::addContextMeal);
    connect(foodQueryWidget3, &FoodQueryWidget::addExerciseSignal, diaryView1,
            &DiaryView::dvAddExercise);
    connect(foodQueryWidget3, &FoodQueryWidget::doExerciseDialog, _list(),
            &DiaryListView::doExerciseDialog);
    connect(_list(), &DiaryListView::dropFinished, foodQueryWidget3,
            &FoodQueryWidget::focusSearchEdit);
    connect(this, &DiaryWidget::userWeightChanged, foodQueryWidget3->exerciseWidget,
            &ExerciseWidget::userWeightChanged);
    connect(_list(), &DiaryListView::totalChanged, greenTicksWidget1,
            &GreenTicksWidget::totalChanged);
    connect(_list(), &DiaryListView::totalChanged, summaryWidget, &DiarySummary::totalChanged);
    // The list marks the day with what the panel stored.
    const auto marked = [this] {
        _list()->setFluid(summaryWidget->fluid());
        _list()->checkEntries();
    };
    connect(summaryWidget, &DiarySummary::setBold, this, marked);
    connect(summaryWidget, &DiarySummary::chkBold, this, marked);
}

void DiaryWidget::_applyStyles()
{
    // The page owns both styles; made after the children, they are deleted after them.
    auto* invisible = new InvisibleStyle;
    invisible->setParent(this);
    splitter2->setStyle(invisible);
    if (QStyle* windows = QStyleFactory::create(QStringLiteral("Windows"))) {
        windows->setParent(this);
        for (QWidget* widget : std::initializer_list<QWidget*>{
                 frame10, prevDayButton, currentDayButton, nextDayButton, dateButton})
            widget->setStyle(windows);
    }
    const QColor background = dateButton->palette().color(QPalette::Button);
    paintBackground(calendarFrame, background);
    paintBackground(dateFrame, background);
}

DiaryListView* DiaryWidget::_list() const
{
    return diaryView1->mealView;
}

QDate DiaryWidget::getDate() const
{
    return ShownDay::instance()->date();
}

bool DiaryWidget::showDay(qint64 user, const QDate& date)
{
    return _readAndShow(user, date, !_list()->holdsMarkedDays(user, date));
}

bool DiaryWidget::_readAndShow(qint64 user, const QDate& date, bool withMarkedDays)
{
    std::optional<DiaryPageContent> content;
    if (StorePrompt::read(this, [&] { content = DiaryPageContent::read(user, date, withMarkedDays); })
        && content) {
        showRead(*content);
        return true;
    }
    // The calendar goes back to the day shown.
    _popup->calendar()->setDate(getDate(), true);
    return false;
}

bool DiaryWidget::reload()
{
    if (!_readAndShow(ShownDay::instance()->user(), getDate(), true))
        return false;
    foodQueryWidget3->refreshDynamic();
    return true;
}

void DiaryWidget::showRead(const DiaryPageContent& content)
{
    ShownDay::instance()->show(content.user, content.date);
    _shown = true;
    _popup->calendar()->setDate(content.date, true);
    _showDateLabel();
    // The panel takes the day first, so that the list's totals find it laid out already.
    summaryWidget->showDay(content.prefs, content.fluid, content.checkin, content.day);
    _list()->showRead(content);
    summaryWidget->keepShownChoice(content.prefs.showNutrientAndFluid);
    // The targets laid the panel out already; only showing or hiding it is left.
    if (summaryWidget->isHidden() == content.prefs.showNutrientAndFluid)
        showFluidAndNutrient(content.prefs.showNutrientAndFluid);
    greenTicksWidget1->updateCheckin(content.checkin);
    if (content.user >= 0)
        emit userWeightChanged(content.weight);
}

void DiaryWidget::_moveTo(const QDate& date)
{
    showDay(ShownDay::instance()->user(), date);
}

void DiaryWidget::prevDayButton_clicked()
{
    _moveTo(getDate().addDays(-1));
}

void DiaryWidget::nextDayButton_clicked()
{
    _moveTo(getDate().addDays(1));
}

void DiaryWidget::currentDayButton_clicked()
{
    _moveTo(Clock::today());
}

// The day the page shows; nothing before it has shown one.
void DiaryWidget::_showDateLabel()
{
    dateLabel->setText(_shown ? DisplayDate::textDate(getDate()) : QString());
}

void DiaryWidget::doMealPlan()
{
    const BrandEngine* brand = BrandEngine::instance();
    // Preferences that could not be read are told as such, never as a login not set.
    std::optional<DBTypes::UserPrefs> prefs;
    if (!StorePrompt::read(this, [&prefs] {
            prefs = UserDB::instance()->getUserPrefs(ShownDay::instance()->user());
        }) || !prefs)
        return;
    const bool forced =
        brand->idExists("publish_on_quit_forced") && brand->getBool("publish_on_quit_forced");
    if (forced || (!prefs->webUserName.isEmpty() && !prefs->webPassword.isEmpty())) {
        const std::unique_ptr<MealPlanDialog> dialog(MealPlanDialog::construct(this));
        connect(dialog.get(), &MealPlanDialog::addFoodSignal, diaryView1, &DiaryView::dvAddFood);
        dialog->setDay(getDate());
        dialog->exec();
        return;
    }
    QString text = tr("If you have a paid ${BRAND_ID} membership\n"
                      "(a separate purchase from this software) you can download\n"
                      "meal plans directly from ${BRAND_ID} to your diary.\n"
                      "Meal Plans are recommended menus for your calorie level.\n\n"
                      "You have not set your username or password. To do this,\n"
                      "go to the internet section of the preferences dialog\n"
                      "and fill out the ${WEB_ADDRESS} login box.");
    brand->replaceTokens(text);
    Prompter::warning(this, tr("No login specified"), text);
}

// The page is raised once it has read its day again; the page shown before stays otherwise.
void DiaryWidget::raiseWidget()
{
    auto* stack = qobject_cast<QStackedWidget*>(parentWidget());
    if (stack && stack->currentWidget() != this && !reload())
        return;
    emit requestEditMenuRefresh(1, 0);
    if (stack)
        stack->setCurrentWidget(this);
}

void DiaryWidget::refresh(const QString& name, const NotificationParam& param)
{
    Q_UNUSED(name);
    Q_UNUSED(param);
    foodQueryWidget3->refreshStatic();
    foodQueryWidget3->refreshDynamic();
}

bool DiaryWidget::setVisibleFluidAndNutrient(bool visible)
{
    const qint64 user = ShownDay::instance()->user();
    if (user >= 0 && !StorePrompt::change(this, QString(), [user, visible] {
            return UserDB::instance()->setNutrientFluidHidden(user, !visible);
        }))
        return false;
    summaryWidget->keepShownChoice(visible);
    showFluidAndNutrient(visible);
    return true;
}

void DiaryWidget::showFluidAndNutrient(bool visible)
{
    summaryWidget->setVisible(visible);
}
