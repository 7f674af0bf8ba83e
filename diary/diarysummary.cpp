#include "diary/diarysummary.h"

#include "diary/fluidcounterview.h"
#include "diary/fluidcounterviewbutton.h"
#include "diary/smallsummary.h"
#include "diary/summaryexercisewidget.h"
#include "diary/summarywidget.h"
#include "userdb/userdb.h"
#include "widgets/prompter.h"
#include "widgets/shownday.h"
#include "widgets/storeprompt.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kMaxCups = DBTypes::CheckinItem::MaxFluid;
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
    : SummarySource(parent)
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

qint64 DiarySummary::user() const
{
    return _shown ? ShownDay::instance()->user() : -1;
}

QDate DiarySummary::date() const
{
    return ShownDay::instance()->date();
}

void DiarySummary::setNutrientTarget(const DBTypes::UserPrefs& prefs, int fluid,
                                     const DBTypes::CheckinItem& checkin)
{
    _shown = true;
    _prefs = prefs;
    _targets = checkin;
    for (auto& [nutrient, data] : _nutrients) {
        data.size = prefs.targetSize(nutrient);
        data.target = checkin.target(nutrient);
        data.noTarget = checkin.noTarget(nutrient);
    }
    _fluid = std::clamp(fluid, 0, kMaxCups);
    emit targetsModified();
    updateView(-1);
}

void DiarySummary::updateTargets(const DBTypes::CheckinItem& checkin, const DBTypes::UserPrefs& prefs)
{
    setNutrientTarget(prefs, _fluid, checkin);
}

void DiarySummary::keepShownChoice(bool shown)
{
    _prefs.showNutrientAndFluid = shown;
}

void DiarySummary::showDay(const DBTypes::UserPrefs& prefs, int fluid,
                           const DBTypes::CheckinItem& checkin, const DBTypes::DiaryDay& day)
{
    _takeTotals(day);
    emit valuesModified();
    setNutrientTarget(prefs, fluid, checkin);
}

void DiarySummary::totalChanged(const DBTypes::DiaryDay& day)
{
    if (!_takeTotals(day))
        return;
    emit valuesModified();
    // The sentences grow with their figures: the panel keeps room for them whole.
    resizeWidget();
}

bool DiarySummary::_takeTotals(const DBTypes::DiaryDay& day)
{
    bool changed = false;
    for (auto& [nutrient, data] : _nutrients) {
        const float total = day.getTotal(nutrient);
        changed = changed || total != data.value;
        data.value = total;
    }
    float minutes = 0.0f;
    for (const DBTypes::ExerciseDiaryItem& entry : day.exercises)
        minutes += entry.duration;
    minutes = std::max(minutes, 0.0f);
    changed = changed || minutes != _exerciseMinutes;
    _exerciseMinutes = minutes;
    return changed;
}

void DiarySummary::adjustFluidValue(int delta)
{
    const qint64 user = this->user();
    if (user < 0)
        return;
    // The stored count is read and changed in one action, which waits once; a count that
    // could not be read is never the base of a stored one.
    const QByteArray date = ShownDay::instance()->dateCode();
    int cups = _fluid;
    const bool stored = StorePrompt::change(this, QString(), [user, delta, &date, &cups] {
        const std::optional<int> read = UserDB::instance()->getFluid(user, date.constData());
        if (!read)
            return false;
        cups = std::clamp(*read + delta, 0, kMaxCups);
        return UserDB::instance()->setFluid(user, date.constData(), cups);
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
    if (user() < 0) {
        resizeWidget();
        return;
    }
    int options = _shownOptions();
    if (id >= 1 && _toggleOptions(id)) {
        options = _prefs.summaryOptions;
        if (!(options & (NutrientsShown | ExerciseShown | WaterShown)))
            emit hideDiarySummary();
    }
    _applyOptions(options);
    resizeWidget();
}

// A panel shown with none of its parts chosen (as the user last hid it, or as an older diary
// stores it) shows them all; only the user's own choice is stored.
int DiarySummary::_shownOptions() const
{
    const int parts = NutrientsShown | ExerciseShown | WaterShown;
    return !(_prefs.summaryOptions & parts) && _prefs.showNutrientAndFluid ? kAllShown
                                                                          : _prefs.summaryOptions;
}

// The options are read and stored in one change: preferences that could not be read are
// never written back, and the panel shows a choice once the diary has stored it.
bool DiarySummary::_toggleOptions(int id)
{
    const qint64 user = this->user();
    int options = 0;
    const bool stored = StorePrompt::change(this, QString(), [this, user, id, &options] {
        std::optional<DBTypes::UserPrefs> prefs = UserDB::instance()->getUserPrefs(user);
        if (!prefs)
            return false;
        _prefs = *prefs;
        prefs->summaryOptions = _shownOptions() ^ id;
        options = prefs->summaryOptions;
        return UserDB::instance()->setUserPrefs(user, *prefs);
    });
    if (stored)
        _prefs.summaryOptions = options;
    return stored;
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
    if (user() < 0)
        return;
    const int options = _prefs.summaryOptions;
    for (QAction* action : _menu->actions())
        if (action->isCheckable())
            action->setChecked(options & action->data().toInt());
    if (QAction* chosen = Prompter::instance()->popup(_menu, event->globalPos()))
        doMenuItem(chosen->data().toInt());
}

// A double click shows the options as stored, read once the click has been handled.
void DiarySummary::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    QMetaObject::invokeMethod(this, &DiarySummary::_reapplyStored, Qt::QueuedConnection);
}

void DiarySummary::_reapplyStored()
{
    const qint64 user = this->user();
    std::optional<DBTypes::UserPrefs> prefs;
    if (user >= 0 && StorePrompt::read(this, [user, &prefs] { prefs = UserDB::instance()->getUserPrefs(user); })
        && prefs)
        _prefs = *prefs;
    updateView(-1);
}

// The sentences take more lines at a narrower width, fewer at a wider one.
void DiarySummary::resizeEvent(QResizeEvent* event)
{
    SummarySource::resizeEvent(event);
    resizeWidget();
}

void DiarySummary::setVisible(bool visible)
{
    SummarySource::setVisible(visible);
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
    return _stacked(&QWidget::minimumSizeHint);
}

QSize DiarySummary::_stacked(QSize (QWidget::*size)() const) const
{
    QSize least(0, 0);
    const auto add = [&least, size](const QWidget* panel) {
        const QSize hint = (panel->*size)();
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

// Each panel is measured once: the panel keeps room for what it holds, its least size.
void DiarySummary::resizeWidget()
{
    for (QWidget* panel : std::initializer_list<QWidget*>{_nutrientBars, _water, _oneLiner, _exercise})
        panel->setMinimumSize(panel->minimumSizeHint());
    setMinimumSize(_stacked(&QWidget::minimumSize));
}
