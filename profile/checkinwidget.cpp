#include "profile/checkinwidget.h"

#include "widgets/shownday.h"
#include "core/brandengine.h"
#include "core/clock.h"
#include "core/dateconversion.h"
#include "core/displaydate.h"
#include "core/unitcollection.h"
#include "core/plausiblerange.h"
#include "core/unitdescriptor.h"
#include "profile/checkindialog.h"
#include "userdb/bxsqldb.h"
#include "userdb/userdb.h"
#include "widgets/bxcalendar.h"
#include "widgets/headersection.h"
#include "widgets/prompter.h"
#include "widgets/screenfit.h"
#include "widgets/storeprompt.h"

#include <QEvent>
#include <QFrame>
#include <QCursor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyle>
#include <QStackedWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

using M = UserMeasurements;

QByteArray dateCode(const QDate& date)
{
    char code[9];
    DateToCode4(date, code);
    return QByteArray(code);
}

QString tableRow(const QString& label, const QString& value)
{
    return QStringLiteral("<tr><td>%1</td><td> <b>%2</b></td></tr>").arg(label, value);
}

CheckinListItem* asRow(QTreeWidgetItem* item)
{
    return item && item->type() == QTreeWidgetItem::UserType ? static_cast<CheckinListItem*>(item)
                                                              : nullptr;
}

} // namespace

CheckinWidget::CheckinWidget(QWidget* parent, const char* name, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
    setObjectName(QString::fromLatin1(name));
    _buildForm();
    init();
    languageChange();
}

void CheckinWidget::_buildForm()
{
    auto* listBox = new QWidget(this);
    listBox->setObjectName(QStringLiteral("listContainer"));
    checkinListView = new QTreeWidget(listBox);
    checkinListView->setObjectName(QStringLiteral("checkinListView"));
    auto* listLayout = new QVBoxLayout(listBox);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(checkinListView);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("infoPanel"));
    panel->setFrameShape(QFrame::StyledPanel);
    extrapolatedInfo = new QLabel(panel);
    extrapolatedInfo->setObjectName(QStringLiteral("extrapolatedInfo"));
    extrapolatedInfo->setTextFormat(Qt::RichText);
    extrapolatedInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    extrapolatedInfo->setWordWrap(true);
    noteEdit = new QTextEdit(panel);
    noteEdit->setObjectName(QStringLiteral("noteEdit"));
    noteEdit->setReadOnly(true);
    noteEdit->setFrameShape(QFrame::NoFrame);
    QPalette notePalette = noteEdit->palette();
    notePalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    noteEdit->setPalette(notePalette);
    btnCheckin = new QPushButton(panel);
    btnCheckin->setObjectName(QStringLiteral("btnCheckin"));
    auto* panelLayout = new QVBoxLayout(panel);
    // A day with every measurement scrolls here rather than making the page taller than a screen.
    panelLayout->addWidget(ScreenFit::scrolled(extrapolatedInfo, panel), 1);
    panelLayout->addWidget(noteEdit, 1);
    panelLayout->addWidget(btnCheckin);

    checkinCalendar = new BXCalendar(this, "checkinCalendar");
    auto* side = new QVBoxLayout;
    side->addWidget(panel, 1);
    side->addWidget(checkinCalendar);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(listBox, 1);
    layout->addLayout(side);
}

void CheckinWidget::init()
{
    setupColumns();
    _contextMenu = new QMenu(this);
    _editAction = _contextMenu->addAction(QString());
    _contextMenu->addSeparator();
    _deleteAction = _contextMenu->addAction(QString());

    checkinListView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(checkinListView, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* row, int column) {
                doEditItemRequest(row, QCursor::pos(), column);
            });
    connect(checkinListView, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        doContextMenuRequested(checkinListView->itemAt(at),
                               checkinListView->viewport()->mapToGlobal(at),
                               checkinListView->columnAt(at.x()));
    });
    connect(checkinListView, &QTreeWidget::currentItemChanged, this,
            &CheckinWidget::handleListItemSelection);
    connect(checkinCalendar, &BXCalendar::dateChanged, this, &CheckinWidget::_showDate);
    connect(btnCheckin, &QPushButton::clicked, this,
            qOverload<>(&CheckinWidget::updateMeasurements));

    checkinListView->setRootIsDecorated(false);
    checkinListView->setSelectionMode(QAbstractItemView::SingleSelection);
    checkinListView->setAllColumnsShowFocus(true);
    checkinListView->setUniformRowHeights(false);
    checkinListView->header()->setStretchLastSection(true);
    checkinListView->setSortingEnabled(true);
    checkinListView->sortByColumn(0, Qt::AscendingOrder);
    checkinListView->header()->setSectionsClickable(false);
    checkinListView->header()->setSortIndicatorShown(false);
    setFocusPolicy(Qt::StrongFocus);
    checkinCalendar->showToday(true);
    checkinListView->installEventFilter(this);
}

void CheckinWidget::setupColumns()
{
    const struct
    {
        CheckinListItem::ColumnId kind;
        const char* brandSwitch;
    } optional[] = {
        {CheckinListItem::Chest, "chest_measurement_enabled"},
        {CheckinListItem::Waist, "waist_measurement_enabled"},
        {CheckinListItem::Hip, "hip_measurement_enabled"},
        {CheckinListItem::Thigh, "thigh_measurement_enabled"},
        {CheckinListItem::Steps, "steps_measurement_enabled"},
    };
    _columns[CheckinListItem::Date] = 0;
    _columns[CheckinListItem::Weight] = 1;
    int next = 2;
    for (const auto& column : optional)
        _columns[column.kind] = BrandEngine::instance()->getBool(column.brandSwitch) ? next++ : -1;
    _columns[CheckinListItem::Note] = next;
    checkinListView->setColumnCount(next + 1);
}

void CheckinWidget::languageChange()
{
    setWindowTitle(tr("Form1"));
    const QString labels[CheckinListItem::ColumnCount] = {
        tr("Date"), tr("Weight"), tr("Chest"), tr("Waist"),
        tr("Hip"),  tr("Thigh"),  tr("Steps"), tr("Journal Entry")};
    QTreeWidgetItem* header = checkinListView->headerItem();
    for (int kind = 0; kind < CheckinListItem::ColumnCount; ++kind) {
        if (_columns[kind] >= 0)
            header->setText(_columns[kind], labels[kind]);
    }
    _fitColumns();
    btnCheckin->setText(tr("New Check-In"));
    _editAction->setText(tr("&Edit"));
    _deleteAction->setText(tr("&Delete"));
}

qint64 CheckinWidget::_currentUser() const
{
    // While the handheld synchronisation holds the user database closed there is nobody to show.
    return BXSqlDb::isUp() ? ShownDay::instance()->user() : -1;
}

QDate CheckinWidget::getDate() const
{
    return checkinCalendar->getDate();
}

std::optional<bool> CheckinWidget::hasCheckin(const QDate& date) const
{
    const qint64 user = _currentUser();
    if (user < 0)
        return false;
    return UserDB::instance()->hasCheckin(user, dateCode(date).constData());
}

// The page is raised once it could be read, in one reading: it never shows a list it could
// not read, and the page shown before stays.
void CheckinWidget::raiseWidget()
{
    auto* stack = qobject_cast<QStackedWidget*>(parentWidget());
    if (!stack || stack->currentWidget() == this)
        return;
    if (reload())
        stack->setCurrentWidget(this);
}

void CheckinWidget::updateButtons(const QDate& date)
{
    // What could not be read leaves the button as it was.
    if (const std::optional<bool> has = hasCheckin(date))
        _showButton(*has);
}

void CheckinWidget::_showButton(bool checkedIn)
{
    btnCheckin->setText(checkedIn ? tr("Edit Check-In") : tr("New Check-In"));
    emit requestEditMenuRefresh(2, checkedIn ? 1 : 0);
}

void CheckinWidget::populate()
{
    const qint64 user = _currentUser();
    // A list that could not be read is never shown as no check-ins: the list keeps what it
    // showed.
    const std::optional<UserDB::DatedMeasurements> checkins =
        user < 0 ? UserDB::DatedMeasurements()
                 : UserDB::instance()->getMeasurements(user, nullptr, nullptr, nullptr);
    if (checkins)
        _fill(*checkins);
}

void CheckinWidget::_fill(const UserDB::DatedMeasurements& checkins)
{
    checkinListView->clear();
    checkinCalendar->clearBoldBits();
    bool stripe = true;
    for (const auto& [code, set] : checkins) {
        const QDate date = DateFromCode4(code.toLatin1().constData());
        new CheckinListItem(checkinListView, date, set, stripe, &_columns);
        checkinCalendar->setBoldDay(date);
        stripe = !stripe;
    }
    _fitColumns();
}

// Each column but the last, which takes the room left, is as wide as its title and the widest
// value the check-in dialog takes for it, so every row shows whole without being measured.
void CheckinWidget::_fitColumns()
{
    const struct
    {
        CheckinListItem::ColumnId kind;
        UnitCollection::UnitType unit;
        PlausibleRange::Quantity quantity;
    } values[] = {
        {CheckinListItem::Weight, UnitCollection::Weight, PlausibleRange::Weight},
        {CheckinListItem::Chest, UnitCollection::Measurement, PlausibleRange::Chest},
        {CheckinListItem::Waist, UnitCollection::Measurement, PlausibleRange::Waist},
        {CheckinListItem::Hip, UnitCollection::Measurement, PlausibleRange::Hip},
        {CheckinListItem::Thigh, UnitCollection::Measurement, PlausibleRange::Thigh},
        {CheckinListItem::Steps, UnitCollection::Steps, PlausibleRange::Steps},
    };
    QString widest[CheckinListItem::ColumnCount];
    widest[CheckinListItem::Date] = DisplayDate::figures(QDate(2088, 12, 28));
    const UnitCollection* units = UnitCollection::instance();
    for (const auto& value : values) {
        const double top = PlausibleRange::of(value.quantity).top();
        widest[value.kind] = units->get(value.unit)->printNumberUnit(top);
    }
    QHeaderView* header = checkinListView->header();
    const QTreeWidgetItem* titles = checkinListView->headerItem();
    const QFontMetrics metrics(checkinListView->font());
    // The item view's text margin on either side of a cell, and room for the focus frame.
    const int margins =
        2 * (checkinListView->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr,
                                                   checkinListView)
             + 1)
        + 2;
    for (int kind = 0; kind + 1 < CheckinListItem::ColumnCount; ++kind) {
        const int column = _columns[kind];
        if (column < 0)
            continue;
        header->resizeSection(column,
                              std::max(HeaderSection::width(header, titles->text(column), false),
                                       metrics.horizontalAdvance(widest[kind]) + margins));
    }
}

CheckinListItem* CheckinWidget::_rowOf(const QDate& date) const
{
    for (int index = 0; index < checkinListView->topLevelItemCount(); ++index) {
        CheckinListItem* row = asRow(checkinListView->topLevelItem(index));
        if (row && row->getDate() == date)
            return row;
    }
    return nullptr;
}

void CheckinWidget::selectClosestListItem(const QDate& date)
{
    if (CheckinListItem* row = _rowOf(date)) {
        checkinListView->setCurrentItem(row);
        return;
    }
    checkinListView->clearSelection();
    checkinListView->setCurrentItem(nullptr);
}

void CheckinWidget::handleListItemSelection(QTreeWidgetItem* item)
{
    CheckinListItem* row = asRow(item);
    if (!row)
        return;
    checkinCalendar->setDate(row->getDate(), true);
    checkinListView->scrollToItem(row);
}

void CheckinWidget::updateExtrapolatedInfo(const QDate& date)
{
    // What could not be read leaves the values shown as they were.
    if (const std::optional<Day> day = _readDay(_currentUser(), date))
        _showDay(date, *day);
}

std::optional<CheckinWidget::Day> CheckinWidget::_readDay(qint64 user, const QDate& date)
{
    if (user < 0)
        return Day();
    UserDB* users = UserDB::instance();
    const QByteArray code = dateCode(date);
    const std::optional<bool> checkedIn = users->hasCheckin(user, code.constData());
    const std::optional<UserMeasurements> set = users->getDaysMeasurements(user, code.constData());
    if (!checkedIn || !set)
        return std::nullopt;
    Day day{*set, *checkedIn};
    // Without a weight there is no BMI, and so no height to read.
    if (set->has(M::Weight)) {
        const std::optional<DBTypes::UserProfile> profile = users->getProfile(user);
        if (!profile)
            return std::nullopt;
        day.height = profile->height;
    }
    return day;
}

std::optional<CheckinWidget::Content> CheckinWidget::read(qint64 user, const QDate& date)
{
    const std::optional<UserDB::DatedMeasurements> checkins =
        user < 0 ? UserDB::DatedMeasurements()
                 : UserDB::instance()->getMeasurements(user, nullptr, nullptr, nullptr);
    const std::optional<Day> day = _readDay(user, date);
    if (!checkins || !day)
        return std::nullopt;
    return Content{user, date, *checkins, *day};
}

void CheckinWidget::showRead(const Content& content)
{
    _fill(content.checkins);
    {
        const QSignalBlocker quiet(checkinCalendar);
        checkinCalendar->setDate(content.date, true);
    }
    selectClosestListItem(content.date);
    _showDay(content.date, content.day);
    _showButton(content.day.checkedIn);
    _shown = content.date;
}

void CheckinWidget::_showDay(const QDate& date, const Day& day)
{
    const UserMeasurements& set = day.set;
    QString text = _infoText(date, day);
    if (set.noteExact() && !set.note().empty()) {
        text += QStringLiteral("<br><br><b>") + tr("Journal Entry:") + QStringLiteral("</b>");
        noteEdit->setPlainText(QString::fromStdString(set.note()));
        noteEdit->show();
    } else {
        noteEdit->hide();
    }
    extrapolatedInfo->setText(text);
}

QString CheckinWidget::_infoText(const QDate& date, const Day& day) const
{
    const UserMeasurements& set = day.set;
    QString text = QStringLiteral("<big><b>")
                   + DisplayDate::longText(date)
                   + QStringLiteral("</b></big><p><p><table>");
    const UnitCollection* units = UnitCollection::instance();
    const struct
    {
        M::Measurements value;
        QString label;
        UnitCollection::UnitType unit;
    } shown[] = {
        {M::Weight, tr("Weight:"), UnitCollection::Weight},
        {M::Chest, tr("Chest:"), UnitCollection::Measurement},
        {M::Waist, tr("Waist:"), UnitCollection::Measurement},
        {M::Hip, tr("Hip:"), UnitCollection::Measurement},
        {M::Thigh, tr("Thigh:"), UnitCollection::Measurement},
        {M::Steps, tr("Steps:"), UnitCollection::Steps},
    };
    for (const auto& row : shown) {
        // Steps are a count of that day alone, never carried from an earlier one.
        const bool known = row.value == M::Steps ? set.exact(row.value) : set.has(row.value);
        if (known) {
            const QString value = units->get(row.unit)->printNumberUnit(set.value(row.value));
            text += tableRow(row.label, value);
        }
    }
    // Without a height the index means nothing.
    if (set.has(M::Weight) && day.height > 0.0f)
        text += tableRow(tr("BMI:"), UserDB::bmiWithRisk(day.height, set.value(M::Weight)));
    const QString ratio = set.waistHipRatioText();
    if (!ratio.isEmpty())
        text += QStringLiteral("<tr><td>%1</td><td><b>%2</b></td></tr>")
                    .arg(tr("Waist/Hip ratio:"), ratio);
    return text + QStringLiteral("</table>");
}

int CheckinWidget::execDialog(CheckinDialog* dialog)
{
    return dialog->exec();
}

bool CheckinWidget::updateMeasurements(const QDate& date)
{
    const qint64 user = _currentUser();
    if (user < 0)
        return false;
    if (date < Clock::today()
        && !Prompter::askYesNo(this, tr("Warning"),
                               tr("You are modifying your checkin set in the past. Do you "
                                  "want to continue?")))
        return false;
    const QByteArray code = dateCode(date);
    // The dialog starts from the check-in as stored, read whole before it opens.
    std::optional<bool> existing;
    std::optional<UserMeasurements> stored;
    if (!StorePrompt::read(this, [&] {
            existing = hasCheckin(date);
            stored = existing ? UserDB::instance()->getDaysMeasurements(user, code.constData())
                              : std::nullopt;
        })
        || !stored)
        return false;
    const QString title = (*existing ? tr("<h2>Edit check-in for %1</h2>")
                                    : tr("<h2>New check-in for %1</h2>"))
                              .arg(DisplayDate::textDate(date));
    const std::unique_ptr<CheckinDialog> dialog(CheckinDialog::construct(this));
    dialog->setMeasurements(*stored);
    dialog->setWindowTitle(*existing ? tr("Edit Check-In") : tr("New Check-In"));
    dialog->setTitle(title);
    while (execDialog(dialog.get()) == QDialog::Accepted) {
        // OK with nothing edited leaves the check-in as stored.
        if (!dialog->isChanged())
            return false;
        // A refused change leaves the values in the dialog for another try.
        if (StorePrompt::change(this, BrandEngine::instance()->getString("app_name_short"),
                                [&] {
                                    return UserDB::instance()->setDaysMeasurements(
                                        user, code.constData(), dialog->getMeasurements());
                                },
                                tr("You cannot delete your last weight entry. Please set a "
                                   "weight or cancel this operation.")))
            return true;
    }
    return false;
}

void CheckinWidget::_refreshAfterCheckin(const QDate& date)
{
    StorePrompt::read(this, [this, date] {
        populate();
        selectClosestListItem(date);
        updateExtrapolatedInfo(date);
        // A check-in cleared away leaves no row whose selection would relabel the button.
        updateButtons(getDate());
    });
}

void CheckinWidget::updateMeasurements()
{
    const QDate date = getDate();
    if (updateMeasurements(date))
        _refreshAfterCheckin(date);
}

void CheckinWidget::checkinToday()
{
    const QDate today = Clock::today();
    if (updateMeasurements(today))
        _refreshAfterCheckin(today);
}

void CheckinWidget::doEditItemRequest(QTreeWidgetItem* item, const QPoint&, int)
{
    CheckinListItem* row = asRow(item);
    if (!row)
        return;
    const QDate date = row->getDate();
    if (!updateMeasurements(date))
        return;
    std::optional<bool> has;
    std::optional<UserMeasurements> stored;
    const bool read = StorePrompt::read(this, [&] {
        updateExtrapolatedInfo(date);
        has = hasCheckin(date);
        if (has.value_or(false))
            stored = UserDB::instance()->getDaysMeasurements(_currentUser(),
                                                             dateCode(date).constData());
    });
    if (!read || !has)
        return;
    if (!*has)
        _removeRow(row);
    else if (stored)
        row->set(*stored);
}

bool CheckinWidget::_removeCheckin(CheckinListItem* row)
{
    const QDate date = row->getDate();
    const bool removed = StorePrompt::change(
        this, BrandEngine::instance()->getString("app_name_short"),
        [this, &date] {
            return UserDB::instance()->setDaysMeasurements(_currentUser(),
                                                           dateCode(date).constData(),
                                                           UserMeasurements());
        },
        tr("Cannot perform operation. You must have at least one weight entry."));
    if (!removed)
        return false;
    _removeRow(row);
    return true;
}

void CheckinWidget::_removeRow(CheckinListItem* row)
{
    checkinCalendar->unsetBoldDay(row->getDate());
    bool stripe = row->stripe();
    for (int index = checkinListView->indexOfTopLevelItem(row) + 1;
         index < checkinListView->topLevelItemCount(); ++index) {
        if (CheckinListItem* below = asRow(checkinListView->topLevelItem(index)))
            below->setStripe(stripe);
        stripe = !stripe;
    }
    {
        // The list would make the next row current and move the calendar away.
        const QSignalBlocker quiet(checkinListView);
        delete row;
    }
    // The calendar's date may have shown the removed values, or carried them forward.
    StorePrompt::read(this, [this] {
        updateButtons(getDate());
        updateExtrapolatedInfo(getDate());
    });
}

void CheckinWidget::deleteJournal()
{
    const QList<QTreeWidgetItem*> selected = checkinListView->selectedItems();
    CheckinListItem* row = selected.isEmpty() ? nullptr : asRow(selected.first());
    if (row && _removeCheckin(row))
        selectClosestListItem(getDate());
}

void CheckinWidget::doContextMenuRequested(QTreeWidgetItem* item, const QPoint& point, int column)
{
    CheckinListItem* row = asRow(item);
    if (!row)
        return;
    QAction* chosen = Prompter::instance()->popup(_contextMenu, point);
    if (chosen == _editAction)
        doEditItemRequest(row, point, column);
    else if (chosen == _deleteAction && _removeCheckin(row))
        selectClosestListItem(getDate());
}

bool CheckinWidget::event(QEvent* event)
{
    if (event->type() == QEvent::Polish && !_polished) {
        _polished = true;
        // Nothing is read inside the event: the page reads today's check-in when it is raised.
        const QSignalBlocker quiet(checkinCalendar);
        checkinCalendar->setDate(Clock::today(), true);
        checkinListView->header()->setSectionsClickable(false);
    }
    return QWidget::event(event);
}

bool CheckinWidget::reload()
{
    std::optional<Content> content;
    return StorePrompt::read(this, [this, &content] {
        content = read(_currentUser(), getDate());
        if (content)
            showRead(*content);
    }) && content;
}

// The page shows another day only once the day was read; otherwise the calendar goes back to
// the day the page shows.
void CheckinWidget::_showDate(const QDate& date)
{
    std::optional<Day> day;
    if (StorePrompt::read(this, [this, date, &day] { day = _readDay(_currentUser(), date); }) && day) {
        _showButton(day->checkedIn);
        selectClosestListItem(date);
        _showDay(date, *day);
        _shown = date;
    } else if (_shown.isValid()) {
        const QSignalBlocker quiet(checkinCalendar);
        checkinCalendar->setDate(_shown, true);
    }
}

void CheckinWidget::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Insert:
        event->accept();
        btnCheckin->animateClick();
        break;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        event->accept();
        deleteJournal();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

bool CheckinWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == checkinListView && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Insert:
        case Qt::Key_Delete:
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
