#include "diary/diarysummary.h"

#include "diary/fluidcounterview.h"
#include "diary/fluidcounterviewbutton.h"
#include "diary/smallsummary.h"
#include "diary/summaryexercisewidget.h"
#include "diary/summarywidget.h"
#include "userdb/userdb.h"
#include "widgets/prompter.h"
#include "widgets/storeprompt.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kMaxCups = 20;
constexpr int kAllShown = 255;

QAction* addOption(QMenu* menu, const QString& text, int id)
{
    QAction* action = menu->addAction(text);
    action->setData(id);
    action->setCheckable(true);
    return action;
}

} // namespace

DiarySummary::DiarySummary(QWidget* parent, const char* name, int flags)
    : QFrame(parent)
{
    Q_UNUSED(flags);
    setObjectName(QString::fromLatin1(name));
    for (int n = 0; n < DBTypes::NUTRIENT_COUNT; ++n)
        _nutrients[DBTypes::NutType(n)] = SummaryNutrientData();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    _nutrientBars = new SummaryWidget(this, "NutrientSummary", 0);
    _water = new FluidCounterView(this, "FluidSummary");
    _oneLiner = new SmallSummary(this, "OneLinerSummary", 0);
    _exercise = new SummaryExerciseWidget(this, "ExerciseSummary");
    layout->addWidget(_nutrientBars);
    layout->addWidget(_exercise);
    layout->addWidget(_water);
    layout->addWidget(_oneLiner);
    // After the counter's own handlers, so that the count is stored first.
    connect(_water->upButton(), &QPushButton::clicked, this, &DiarySummary::setBold);
    connect(_water->downButton(), &QPushButton::clicked, this, &DiarySummary::chkBold);

    _menu = new QMenu(this);
    _menu->addAction(tr("Configure targets..."))->setData(0);
    _menu->addSeparator();
    addOption(_menu, tr("Show nutrients summary"), NutrientsShown);
    addOption(_menu, tr("Show exercise summary"), ExerciseShown);
    addOption(_menu, tr("Show water summary"), WaterShown);
}

QByteArray DiarySummary::_dateCode() const
{
    return _date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

void DiarySummary::setNutrientTarget(const int user, const QDate& date,
                                     const DBTypes::CheckinItem& checkin)
{
    if (user < 0 || !date.isValid()) {
        _user = user;
        _date = date;
        _targets = checkin;
        return;
    }
    // Inside the page's reading action, which tells a reading that failed: the panel then keeps
    // the day, the targets and the count it showed.
    const std::optional<DBTypes::UserPrefs> prefs = UserDB::instance()->getUserPrefs(user);
    const std::optional<int> cups = prefs ? UserDB::instance()->getFluid(
                                                user, qPrintable(date.toString(QStringLiteral("yyyyMMdd"))))
                                          : std::nullopt;
    if (!cups)
        return;
    _user = user;
    _date = date;
    _targets = checkin;
    for (auto& [nutrient, data] : _nutrients) {
        data.size = prefs->targetSize(nutrient);
        data.target = checkin.target(nutrient);
        data.noTarget = checkin.noTarget(nutrient);
    }
    _fluid = std::clamp(*cups, 0, kMaxCups);
    emit targetsModified();
    updateView(-1);
}

void DiarySummary::updateTargets(const DBTypes::CheckinItem& checkin)
{
    if (_user < 0 || !_date.isValid())
        return;
    setNutrientTarget(_user, _date, checkin);
    updateView(-1);
}

void DiarySummary::totalChanged(const DBTypes::DiaryDay& day)
{
    for (auto& [nutrient, data] : _nutrients)
        data.value = day.getTotal(nutrient);
    float minutes = 0.0f;
    for (const DBTypes::ExerciseDiaryItem& entry : day.exercises)
        minutes += entry.duration;
    _exerciseMinutes = std::max(minutes, 0.0f);
    emit valuesModified();
    // The sentences grow with their figures: the panel keeps room for them whole.
    resizeWidget();
}

void DiarySummary::adjustFluidValue(int delta)
{
    if (_user < 0 || !_date.isValid())
        return;
    // The stored count is read and changed in one action, which waits once; a count that
    // could not be read is never the base of a stored one.
    const QByteArray date = _dateCode();
    int cups = _fluid;
    const bool stored = StorePrompt::change(this, QString(), [this, delta, &date, &cups] {
        const std::optional<int> read = UserDB::instance()->getFluid(_user, date.constData());
        if (!read)
            return false;
        cups = std::clamp(*read + delta, 0, kMaxCups);
        return UserDB::instance()->setFluid(_user, date.constData(), cups);
    });
    if (stored)
        _fluid = cups;
}

void DiarySummary::_applyOptions(int options)
{
    _nutrientBars->setVisible(options & NutrientsShown);
    _oneLiner->setVisible(options & NutrientsShown);
    _exercise->setVisible(options & ExerciseShown);
    _water->setVisible(options & WaterShown);
}

void DiarySummary::updateView(int id)
{
    const int user = UserDB::instance()->getCurrentUser();
    if (user < 0) {
        resizeWidget();
        return;
    }
    const std::optional<DBTypes::UserPrefs> read = UserDB::instance()->getUserPrefs(user);
    DBTypes::UserPrefs prefs = read.value_or(DBTypes::UserPrefs());
    // A panel shown with none of its parts chosen (as the user last hid it, or as an older
    // diary stores it) shows them all; only the user's own choice is stored.
    const int parts = NutrientsShown | ExerciseShown | WaterShown;
    if (!(prefs.summaryOptions & parts) && prefs.showNutrientAndFluid)
        prefs.summaryOptions = kAllShown;
    // Preferences that could not be read are never written back; the panel shows a choice
    // once the diary has stored it.
    if (id >= 1 && read) {
        DBTypes::UserPrefs chosen = prefs;
        chosen.summaryOptions ^= id;
        if (StorePrompt::change(this, QString(),
                                [user, &chosen] { return UserDB::instance()->setUserPrefs(user, chosen); }))
            prefs = chosen;
        if (!(prefs.summaryOptions & parts))
            emit hideDiarySummary();
    }
    _applyOptions(prefs.summaryOptions);
    resizeWidget();
}

void DiarySummary::doMenuItem(int id)
{
    if (id == 0)
        emit invokeSetTargets();
    else
        updateView(id);
}

void DiarySummary::contextMenuEvent(QContextMenuEvent* event)
{
    const int user = UserDB::instance()->getCurrentUser();
    if (user < 0)
        return;
    const int options =
        UserDB::instance()->getUserPrefs(user).value_or(DBTypes::UserPrefs()).summaryOptions;
    for (QAction* action : _menu->actions())
        if (action->isCheckable())
            action->setChecked(options & action->data().toInt());
    if (QAction* chosen = Prompter::instance()->popup(_menu, event->globalPos()))
        doMenuItem(chosen->data().toInt());
}

void DiarySummary::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    doMenuItem(-1);
}

// The sentences take more lines at a narrower width, fewer at a wider one.
void DiarySummary::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    resizeWidget();
}

void DiarySummary::setVisible(bool visible)
{
    QFrame::setVisible(visible);
    if (!visible)
        return;
    if (isVisible())
        updateView(-1);
    else
        resizeWidget();
}

// The panels one above the other, as wide as the widest needs, each as high as its texts
// need at its width.
QSize DiarySummary::minimumSizeHint() const
{
    QSize least(0, 0);
    const auto add = [&least](const QWidget* panel) {
        const QSize hint = panel->minimumSizeHint();
        least = QSize(std::max(least.width(), hint.width()), least.height() + hint.height());
    };
    if (!_nutrientBars->isHidden())
        add(_nutrientBars);
    if (_oneLiner->hasContent())
        add(_oneLiner);
    if (!_exercise->isHidden())
        add(_exercise);
    if (!_water->isHidden())
        add(_water);
    return least;
}

void DiarySummary::resizeWidget()
{
    for (QWidget* panel : std::initializer_list<QWidget*>{_nutrientBars, _water, _oneLiner, _exercise})
        panel->setMinimumSize(panel->minimumSizeHint());
    setMinimumSize(minimumSizeHint());
}
