#include "app/tipoftheday.h"

#include "widgets/shownday.h"
#include "widgets/bxhelp.h"
#include "widgets/storeprompt.h"
#include "widgets/userturn.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/regularfile.h"
#include "userdb/bxsqldb.h"
#include "userdb/userdb.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMetaEnum>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextStream>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

TipOfTheDay* TipOfTheDay::s_instance = nullptr;
std::optional<TipOfTheDay::UserState> TipOfTheDay::s_state;

namespace {

// The event names that the tips file uses: those of the toolkit generation the
// format was made with. Names that no longer exist make a tip a plain tip of the day.
const char* const kEventNames[] = {
    "None", "Timer", "MouseButtonPress", "MouseButtonRelease", "MouseButtonDblClick",
    "MouseMove", "KeyPress", "KeyRelease", "FocusIn", "FocusOut", "Enter", "Leave", "Paint",
    "Move", "Resize", "Create", "Destroy", "Show", "Hide", "Close", "Quit", "Reparent",
    "ShowMinimized", "ShowNormal", "WindowActivate", "WindowDeactivate", "ShowToParent",
    "HideToParent", "ShowMaximized", "ShowFullScreen", "Accel", "Wheel", "AccelAvailable",
    "CaptionChange", "IconChange", "ParentFontChange", "ApplicationFontChange",
    "ParentPaletteChange", "ApplicationPaletteChange", "PaletteChange", "Clipboard", "Speech",
    "SockAct", "AccelOverride", "DeferredDelete", "DragEnter", "DragMove", "DragLeave", "Drop",
    "DragResponse", "ChildInserted", "ChildRemoved", "LayoutHint", "ShowWindowRequest",
    "WindowBlocked", "WindowUnblocked", "ActivateControl", "DeactivateControl", "ContextMenu",
    "IMStart", "IMCompose", "IMEnd", "Accessibility", "TabletMove", "LocaleChange",
    "LanguageChange", "LayoutDirectionChange", "Style", "TabletPress", "TabletRelease",
    "OkRequest", "HelpRequest", "WindowStateChange", "IconDrag", "User", "MaxUser"};

QString cleanField(const QString& field)
{
    return field.trimmed().remove(QLatin1Char('"'));
}

QWidget* mainWidget()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto found = std::find_if(windows.begin(), windows.end(), [](QWidget* widget) {
        return qobject_cast<QMainWindow*>(widget) != nullptr;
    });
    return found == windows.end() ? nullptr : *found;
}

} // namespace

std::optional<TipOfTheDay::UserState> TipOfTheDay::readUserState(qint64 user)
{
    UserDB* users = UserDB::instance();
    const std::optional<int> stored = users->getTipOfTheDay(user);
    std::optional<QSet<int>> shown = users->getTopicsShown(user);
    if (!stored || !shown)
        return std::nullopt;
    return UserState{user, *stored, std::move(*shown)};
}

void TipOfTheDay::keepUserState(const UserState& state)
{
    s_state = state;
    if (s_instance)
        s_instance->_applyUserState();
}

std::optional<int> TipOfTheDay::heldTipOfTheDay()
{
    const UserState* state = _heldState();
    return state ? std::optional<int>(state->tipOfTheDay) : std::nullopt;
}

TipOfTheDay::UserState* TipOfTheDay::_heldState()
{
    // With no user shown, there is nobody to hold a state for.
    return s_state && s_state->user >= 0 && s_state->user == ShownDay::instance()->user() ? &*s_state
                                                                                          : nullptr;
}

TipOfTheDay* TipOfTheDay::instance()
{
    if (!s_instance) {
        s_instance = new TipOfTheDay(mainWidget());
        s_instance->init();
    }
    return s_instance;
}

void TipOfTheDay::cleanUp()
{
    delete s_instance;
    s_instance = nullptr;
}

TipOfTheDay::TipOfTheDay(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("TipOfTheDay"));
    setModal(true);
    setSizeGripEnabled(false);
    _buildForm();
    languageChange();
    setMinimumSize(450, 230);
    resize(minimumSizeHint().expandedTo(QSize(364, 202)));
}

TipOfTheDay::~TipOfTheDay()
{
    if (s_instance == this)
        s_instance = nullptr;
}

void TipOfTheDay::_buildForm()
{
    auto* layout = new QVBoxLayout(this);
    layout->setObjectName(QStringLiteral("TipOfTheDayLayout"));
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(6);

    const QColor lightBlue(190, 230, 255);
    _frame8 = new QFrame(this);
    _frame8->setObjectName(QStringLiteral("frame8"));
    _frame8->setFrameShape(QFrame::StyledPanel);
    _frame8->setFrameShadow(QFrame::Sunken);
    QPalette framePalette = _frame8->palette();
    framePalette.setColor(QPalette::Window, lightBlue);
    framePalette.setColor(QPalette::Base, lightBlue);
    _frame8->setPalette(framePalette);
    _frame8->setAutoFillBackground(true);

    auto* frameLayout = new QVBoxLayout(_frame8);
    frameLayout->setObjectName(QStringLiteral("frame8Layout"));
    frameLayout->setContentsMargins(11, 11, 11, 11);
    frameLayout->setSpacing(6);
    _labelTipHeader = new QLabel(_frame8);
    _labelTipHeader->setObjectName(QStringLiteral("labelTipHeader"));
    _labelTipHeader->setFont(QFont(QStringLiteral("Arial"), 16));
    _labelTip = new QTextBrowser(_frame8);
    _labelTip->setObjectName(QStringLiteral("labelTip"));
    _labelTip->setFrameShape(QFrame::NoFrame);
    _labelTip->setPalette(framePalette);
    _labelTip->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    _labelTip->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A link opens a help page; the tip itself stays in place.
    _labelTip->setOpenLinks(false);
    connect(_labelTip, &QTextBrowser::anchorClicked, this,
            [this](const QUrl& url) { tipLinkClicked(url.toString()); });
    frameLayout->addWidget(_labelTipHeader);
    frameLayout->addWidget(_labelTip);
    layout->addWidget(_frame8);

    _buildButtonRow();
}

void TipOfTheDay::_buildButtonRow()
{
    auto* row = new QHBoxLayout;
    row->setObjectName(QStringLiteral("layout6"));
    row->setSpacing(6);
    _checkShowOnStart = new QCheckBox(this);
    _checkShowOnStart->setObjectName(QStringLiteral("checkShowOnStart"));
    _btnNextTip = new QPushButton(this);
    _btnNextTip->setObjectName(QStringLiteral("btnNextTip"));
    _btnNextTip->setAutoDefault(false);
    _btnNextTip->setDefault(false);
    _buttonClose = new QPushButton(this);
    _buttonClose->setObjectName(QStringLiteral("buttonClose"));
    _buttonClose->setDefault(true);
    row->addWidget(_checkShowOnStart);
    row->addSpacerItem(new QSpacerItem(120, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    row->addWidget(_btnNextTip);
    row->addWidget(_buttonClose);
    static_cast<QVBoxLayout*>(layout())->addLayout(row);

    connect(_btnNextTip, &QPushButton::clicked, this, &TipOfTheDay::nextTip);
    connect(_buttonClose, &QPushButton::clicked, this, &TipOfTheDay::myClose);
}

void TipOfTheDay::languageChange()
{
    setWindowTitle(tr("Tip of the Day"));
    _labelTipHeader->setText(tr("Tip:"));
    _checkShowOnStart->setText(tr("&Show tips on startup"));
    _checkShowOnStart->setShortcut(QKeySequence(tr("Alt+S")));
    _btnNextTip->setText(tr("&Next Tip"));
    _btnNextTip->setShortcut(QKeySequence(tr("Alt+N")));
    _buttonClose->setText(tr("&Close"));
    _buttonClose->setShortcut(QKeySequence(tr("Alt+C")));
}

qint64 TipOfTheDay::_user() const
{
    return ShownDay::instance()->user();
}

void TipOfTheDay::init()
{
    init(BXSettings::getResourceDBPath() + QStringLiteral("tips.dat"));
}

void TipOfTheDay::init(const QString& tipsPath)
{
    _userDb = UserDB::instance();
    _features = featureList();
    _clearTips();
    buildEventTable();
    registerWidgets(_readTips(tipsPath));
    _tipOrder = _tips.keys();
    _applyUserState();
}

// The check box and the current tip follow the held tip of the day of the current user. A
// state that could not be read is never stored back: Close then stores nothing.
void TipOfTheDay::_applyUserState()
{
    const std::optional<int> stored = heldTipOfTheDay();
    _checkShowOnStart->setChecked(stored.value_or(0) >= 0);
    // A choice that would not be stored is not offered.
    _checkShowOnStart->setEnabled(stored.has_value());
    _currentTip = 0;
    _startAt(stored.value_or(0));
    setTipText(_currentTip);
}

void TipOfTheDay::_clearTips()
{
    _tips.clear();
    _tipOrder.clear();
    _eventTable.clear();
}

// Returns the names of the widgets that the tips watch.
QStringList TipOfTheDay::_readTips(const QString& tipsPath)
{
    QStringList watched;
    QFile file;
    QString reason;
    _readProblem.clear();
    if (!RegularFile::open(file, tipsPath, &reason)) {
        _readProblem = tr("The tips cannot be shown: %1 cannot be read: %2.")
                           .arg(QDir::toNativeSeparators(tipsPath), reason);
        return watched;
    }
    QTextStream stream(&file);
    QString line;
    while (stream.readLineInto(&line)) {
        TipLine tip;
        if (_parseLine(line, tip) && !ignoreTip(tip.features))
            watched += _addTip(tip);
    }
    return watched;
}

// One tip a line: number, features, event name, widget names and the quoted text,
// separated by commas. Empty fields are dropped before the fields are counted.
bool TipOfTheDay::_parseLine(const QString& line, TipLine& tip) const
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char('#')))
        return false;
    const QStringList fields = trimmed.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (fields.size() < 5)
        return false;
    bool ok = false;
    tip.number = cleanField(fields.at(0)).toInt(&ok);
    // The sign of a stored tip number says whether tips show at start: numbers start at 1.
    if (!ok || tip.number < 1)
        return false;
    tip.features = cleanField(fields.at(1));
    tip.event = cleanField(fields.at(2));
    for (const QString& name : cleanField(fields.at(3)).split(QLatin1Char(';'), Qt::SkipEmptyParts))
        tip.widgets += name.trimmed();

    QString text = fields.mid(4).join(QLatin1Char(',')).trimmed();
    text = text.mid(1, text.size() - 2);
    QString error;
    if (!BrandEngine::instance()->expandTokens(text, &error)) {
        qWarning("TipOfTheDay: tip %d skipped: %s", tip.number, qPrintable(error));
        return false;
    }
    tip.text = text.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return true;
}

QStringList TipOfTheDay::_addTip(const TipLine& tip)
{
    _tips.insert(tip.number, tip.text);
    const int type = mapEventStrToEnum(tip.event);
    if (type == 0)
        return {};
    for (const QString& widget : tip.widgets)
        _eventTable[type].append(qMakePair(widget, tip.number));
    return tip.widgets;
}

// A stored value of 0 starts on the first tip, a negative one on its absolute
// value. A tip number that the file no longer has moves on to the next tip.
void TipOfTheDay::_startAt(int stored)
{
    if (_tipOrder.isEmpty())
        return;
    if (stored == 0) {
        _currentTip = _tipOrder.first();
        return;
    }
    _currentTip = stored < 0 ? -std::max(stored, -std::numeric_limits<int>::max()) : stored;
    if (!_tips.contains(_currentTip))
        nextTip();
}

void TipOfTheDay::buildEventTable()
{
    _eventNames.clear();
    const QMetaEnum types = QMetaEnum::fromType<QEvent::Type>();
    for (const char* name : kEventNames) {
        bool known = false;
        const int type = types.keyToValue(name, &known);
        if (known)
            _eventNames.insert(QString::fromLatin1(name), type);
    }
}

int TipOfTheDay::mapEventStrToEnum(const QString& name) const
{
    return _eventNames.value(name, 0);
}

QStringList TipOfTheDay::featureList() const
{
    const BrandEngine* brand = BrandEngine::instance();
    const auto has = [brand](const char* id) { return brand->idExists(id) && brand->getBool(id); };
    QStringList features;
    if (has("feature.family"))
        features << QStringLiteral("FAMILY");
    if (has("publish_enabled"))
        features << QStringLiteral("PUBLISH");
    if (has("mealplans_enabled"))
        features << QStringLiteral("MEALPLAN");
    return features;
}

bool TipOfTheDay::ignoreTip(const QString& features) const
{
    const QStringList tokens = features.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return std::any_of(tokens.begin(), tokens.end(), [this](const QString& token) {
        const QString word = token.trimmed();
        return !word.isEmpty() && !_features.contains(word);
    });
}

void TipOfTheDay::registerWidgets(const QList<QString>& names)
{
    if (names.isEmpty())
        return;
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        if (names.contains(widget->objectName()))
            widget->installEventFilter(this);
    }
}

bool TipOfTheDay::eventFilter(QObject* watched, QEvent* event)
{
    // While the user database is handed to another program no tip can be recorded.
    if (BXSqlDb::isUp() && event)
        _postTipFor(watched, int(event->type()));
    return false;
}

// A topic whose shown state could not be read with the user is not shown, rather than
// again and again.
void TipOfTheDay::_postTipFor(QObject* watched, int type)
{
    UserState* state = _heldState();
    const auto entries = _eventTable.constFind(type);
    if (!state || entries == _eventTable.constEnd())
        return;
    const QString name = watched->objectName();
    const auto entry = std::find_if(entries->cbegin(), entries->cend(),
                                    [&name](const QPair<QString, int>& e) { return e.first == name; });
    if (entry == entries->cend() || state->topicsShown.contains(entry->second))
        return;
    // Taken as shown at once: the same event again before the tip opens shows it once. It
    // opens in its turn, for the user it was taken for only.
    const int tip = entry->second;
    const qint64 user = state->user;
    state->topicsShown.insert(tip);
    UserTurn::post(this, [this, tip, user] {
        if (_heldState() && _user() == user)
            showTipForTopic(tip);
    });
}

bool TipOfTheDay::showTipForTopic(int tip)
{
    if (tip == 0 || isVisible())
        return false;
    const qint64 user = _user();
    setTipText(tip);
    _checkShowOnStart->hide();
    _btnNextTip->hide();
    _topic = tip;
    exec();
    _topic = 0;
    _checkShowOnStart->show();
    _btnNextTip->show();
    setTipText(_currentTip);
    // Stored once the user closed it. A tip whose showing could not be stored shows again at
    // the next start: the user is told.
    StorePrompt::change(this, QString(), [this, user, tip] { return _userDb->setTipForTopic(user, tip); });
    return true;
}

void TipOfTheDay::setTipText(int tip)
{
    if (_tips.isEmpty() && !_readProblem.isEmpty())
        _labelTip->setPlainText(_readProblem);
    else
        _labelTip->setHtml(_tips.value(tip));
}

void TipOfTheDay::nextTip()
{
    if (_tipOrder.isEmpty())
        return;
    const auto next = std::upper_bound(_tipOrder.cbegin(), _tipOrder.cend(), _currentTip);
    _currentTip = next == _tipOrder.cend() ? _tipOrder.first() : *next;
    setTipText(_currentTip);
}

// Closing a topic tip stores only that it was shown (once it has closed); closing the tip of
// the day stores where it stands only when that changed.
void TipOfTheDay::myClose()
{
    const int value = _checkShowOnStart->isChecked() ? _currentTip : -_currentTip;
    UserState* held = _heldState();
    if (!_topic && held && held->tipOfTheDay != value
        && StorePrompt::change(this, windowTitle(),
                               [this, value] { return _userDb->setTipOfTheDay(_user(), value); }))
        held->tipOfTheDay = value;
    accept();
}

// One change: the tip of the day starts again at the first tip, and every topic tip shows
// again, beginning with the focused widget's. Nothing moves when it was not stored.
void TipOfTheDay::resetAllTips()
{
    const int first = _tipOrder.isEmpty() ? 0 : _tipOrder.first();
    if (!StorePrompt::change(this, windowTitle(), [this, first] {
            return _userDb->setTipOfTheDay(_user(), first) && _userDb->resetTipForTopic(_user());
        }))
        return;
    keepUserState({_user(), first, {}});
    if (QWidget* focused = QApplication::focusWidget())
        _postTipFor(focused, QEvent::FocusIn);
}

void TipOfTheDay::tipLinkClicked(const QString& page)
{
    BXHelp::showTopic(page);
}
