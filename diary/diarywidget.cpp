#include "diary/diarywidget.h"
#include "core/clock.h"

#include "widgets/bxcalendar.h"
#include "widgets/qpopupcalendar.h"
#include "widgets/qpopupcalendarwidget.h"
#include "browser/foodquerywidget.h"
#include "core/brandengine.h"
#include "core/notificationcenter.h"
#include "diary/diarylistview.h"
#include "diary/diarysummary.h"
#include "diary/diaryview.h"
#include "net/mealplandialog.h"
#include "userdb/userdb.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <memory>

DiaryWidget::DiaryWidget(QWidget* parent, const char* name, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
    setObjectName(QString::fromLatin1(name));
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    auto* diaryPane = new QWidget(splitter);
    prevDayButton = new QPushButton(diaryPane);
    prevDayButton->setObjectName(QStringLiteral("prevDayButton"));
    currentDayButton = new QPushButton(tr("Today"), diaryPane);
    currentDayButton->setObjectName(QStringLiteral("currentDayButton"));
    nextDayButton = new QPushButton(diaryPane);
    nextDayButton->setObjectName(QStringLiteral("nextDayButton"));
    dateLabel = new QLabel(diaryPane);
    dateLabel->setObjectName(QStringLiteral("dateLabel"));
    dateButton = new QPopupCalendarWidget(diaryPane, "dateButton");
    diaryView1 = new DiaryView(diaryPane, "diaryView1");
    summaryWidget = new DiarySummary(diaryPane, "summaryWidget", 0);
    foodQueryWidget3 = new FoodQueryWidget(splitter, "foodQueryWidget3");

    auto* dateBar = new QHBoxLayout;
    dateBar->addWidget(dateLabel, 1);
    dateBar->addWidget(prevDayButton);
    dateBar->addWidget(currentDayButton);
    dateBar->addWidget(nextDayButton);
    dateBar->addWidget(dateButton);
    auto* diaryLayout = new QVBoxLayout(diaryPane);
    diaryLayout->addLayout(dateBar);
    diaryLayout->addWidget(diaryView1, 1);
    diaryLayout->addWidget(summaryWidget);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    splitter->setSizes({600, 400});
    init();
}

void DiaryWidget::init()
{
    NotificationCenter::addObserver(this, "refresh(const QString&,const NotificationParam&)",
                                    "staticdb_update_notification");
    const BrandEngine* brand = BrandEngine::instance();
    prevDayButton->setIcon(brand->getPixmap("graphics.icon.backarrow"));
    nextDayButton->setIcon(brand->getPixmap("graphics.icon.frontarrow"));

    BXCalendar* calendar = dateButton->popupCalendar()->calendar();
    _list()->setCalendar(calendar);
    calendar->setDate(Clock::today(), true);

    connect(prevDayButton, &QPushButton::clicked, this, &DiaryWidget::prevDayButton_clicked);
    connect(nextDayButton, &QPushButton::clicked, this, &DiaryWidget::nextDayButton_clicked);
    connect(currentDayButton, &QPushButton::clicked, this,
            &DiaryWidget::currentDayButton_clicked);
    connect(dateButton->popupCalendar(), &QPopupCalendar::daySelected, _list(),
            &DiaryListView::showToday);
    connect(dateButton->popupCalendar(), &QPopupCalendar::daySelected, this,
            &DiaryWidget::dateChanged);
    connect(foodQueryWidget3, &FoodQueryWidget::addFoodSignal, diaryView1,
            &DiaryView::dvAddFood);
    connect(foodQueryWidget3, &FoodQueryWidget::addExerciseSignal, diaryView1,
            &DiaryView::dvAddExercise);
    connect(foodQueryWidget3, &FoodQueryWidget::doExerciseDialog, _list(),
            &DiaryListView::doExerciseDialog);
    connect(_list(), &DiaryListView::dropFinished, foodQueryWidget3,
            &FoodQueryWidget::focusSearchEdit);
    connect(_list(), &DiaryListView::totalChanged, summaryWidget, &DiarySummary::totalChanged);
    connect(summaryWidget, &DiarySummary::setBold, _list(), &DiaryListView::setBoldToday);
    connect(summaryWidget, &DiarySummary::chkBold, _list(), &DiaryListView::checkEntries);
}

DiaryListView* DiaryWidget::_list() const
{
    return diaryView1->mealView;
}

QDate DiaryWidget::getDate() const
{
    return dateButton->popupCalendar()->calendar()->getDate();
}

void DiaryWidget::_moveTo(const QDate& date)
{
    dateButton->popupCalendar()->calendar()->setDate(date, true);
    dateChanged(getDate());
    _list()->showToday();
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

void DiaryWidget::dateChanged(const QDate& date)
{
    dateButton->setDate(getDate());
    dateLabel->setText(QLocale::c().toString(getDate(), QStringLiteral("dddd, d MMM yyyy")));
    const int user = UserDB::instance()->getCurrentUser();
    if (user < 0)
        return;
    const QByteArray code = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
    summaryWidget->setNutrientTarget(user, date,
                                     UserDB::instance()->getCheckin(user, code.constData()));
    QByteArray backward = code;
    float weight = UserDB::instance()->getNextWeight(user, backward.data(), false);
    if (weight < -0.005f) {
        QByteArray forward = code;
        weight = UserDB::instance()->getNextWeight(user, forward.data(), true);
    }
    emit userWeightChanged(weight);
}

void DiaryWidget::doMealPlan()
{
    const BrandEngine* brand = BrandEngine::instance();
    const DBTypes::UserPrefs prefs =
        UserDB::instance()->getUserPrefs(UserDB::instance()->getCurrentUser());
    const bool forced =
        brand->idExists("publish_on_quit_forced") && brand->getBool("publish_on_quit_forced");
    if (forced || (!prefs.webUserName.isEmpty() && !prefs.webPassword.isEmpty())) {
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
    QMessageBox::warning(this, tr("No login specified"), text);
}

void DiaryWidget::raiseWidget()
{
    emit requestEditMenuRefresh(1, 0);
    if (auto* stack = qobject_cast<QStackedWidget*>(parentWidget()))
        stack->setCurrentWidget(this);
}

void DiaryWidget::refresh(const QString& name, const NotificationParam& param)
{
    Q_UNUSED(name);
    Q_UNUSED(param);
    foodQueryWidget3->refreshStatic();
    foodQueryWidget3->refreshDynamic();
}

void DiaryWidget::setVisibleFluidAndNutrient(bool visible)
{
    const int user = UserDB::instance()->getCurrentUser();
    if (user >= 0)
        UserDB::instance()->setNutrientFluidHidden(user, !visible);
    summaryWidget->setVisible(visible);
}

void DiaryWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    dateChanged(getDate());
    _list()->showToday();
    _list()->refreshCalendar();
    foodQueryWidget3->refreshDynamic();
}
